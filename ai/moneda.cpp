// ai/moneda.cpp — the computer's coin.
#include "ai/moneda.h"

#include <cstdint>

#ifdef __GLIBC__

#include <stdlib.h> // NOLINT(modernize-deprecated-headers): random_r() is glibc's, not <cstdlib>'s

namespace {

// glibc's rand() draws from a 128-byte additive table; random_r() runs that same generator on
// a table and position given to it, here the coin's own. Unseeded, rand() is seeded with 1.
char tabla[128];         // the generator's table
random_data generador{}; // its position in tabla; zeroed before the table is seeded
bool sembrada = false;   // false until the table has been seeded, by the first draw at latest

} // namespace

void siembra_moneda(unsigned semilla)
{
    generador = random_data{};
    initstate_r(semilla, tabla, sizeof tabla, &generador);
    sembrada = true;
}

int moneda()
{
    if (!sembrada) {
        siembra_moneda(1);
    }
    int32_t numero = 0;
    random_r(&generador, &numero);
    return numero;
}

#else

#include <cstdlib>

// A C library with no random_r(): the coin is its rand() itself, shared with the whole process.
void siembra_moneda(unsigned semilla)
{
    std::srand(semilla);
}

int moneda()
{
    return std::rand();
}

#endif
