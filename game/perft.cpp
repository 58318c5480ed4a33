// game/perft.cpp — perft over the move engine's scan, test and play modes.
#include "game/perft.h"

#include <cstdint>
#include <cstring>

#include "game/estado.h"
#include "game/tirada.h"

// Each ply is a call: the walk of the tree is recursion by nature, at most `profundidad` deep.
// NOLINTNEXTLINE(misc-no-recursion)
std::uint64_t perft(int jugador, int contrario, int profundidad)
{
    if (profundidad == 0) {
        return 1;
    }
    if (!puede_tirar(jugador, contrario)) {
        // A pass: the two players change places, on purpose.
        // NOLINTNEXTLINE(readability-suspicious-call-argument)
        return puede_tirar(contrario, jugador) ? perft(contrario, jugador, profundidad - 1) : 1;
    }
    int guardado[TAM][TAM];
    std::memcpy(guardado, matriz, sizeof matriz);
    std::uint64_t hojas = 0;
    for (int fila = 0; fila < TAM; ++fila) {
        for (int col = 0; col < TAM; ++col) {
            if (profundidad == 1) {
                // The last ply needs only the count of legal squares.
                ejecuta_tirada(jugador, contrario, fila, col, 1, 0);
                hojas += ptos > 0;
                continue;
            }
            // An illegal move leaves the board untouched, so only a played one is undone.
            ejecuta_tirada(jugador, contrario, fila, col, 0, 0);
            if (ptos > 0) {
                hojas += perft(contrario, jugador, profundidad - 1);
                std::memcpy(matriz, guardado, sizeof matriz);
            }
        }
    }
    return hojas;
}
