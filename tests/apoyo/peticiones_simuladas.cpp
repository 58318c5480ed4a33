// tests/apoyo/peticiones_simuladas.cpp — the window requests' stand-in for the unit tests, which
// run with no display: redraw requests are counted, the exits are real (death tests observe them).
#include <cstdlib>

#include "apoyo/tablero.h"
#include "input/peticiones.h"

int redibujos_pedidos = 0;

void pedir_redibujo()
{
    ++redibujos_pedidos;
}

void terminar_programa(int estado)
{
    std::exit(estado);
}
