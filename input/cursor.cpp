// input/cursor.cpp — cursor navigation with the arrow keys, over the empty squares only.
#include "game/estado.h"
#include "input/peticiones.h"
#include "input/teclado.h"

namespace {

constexpr int CASILLAS = TAM * TAM;

// Moves the cursor to the nearest empty square in reading order, `paso` +1 forwards or -1
// backwards, wrapping around the board. Every other square is examined before the cursor's own;
// at most one cycle is made, so on a full board the cursor stays where it is.
void busca_en_orden(int paso)
{
    const int inicio = (z_actual * TAM) + x_actual;
    for (int k = 1; k <= CASILLAS; ++k) {
        const int i = ((inicio + (k * paso)) % CASILLAS + CASILLAS) % CASILLAS;
        if (matriz[i / TAM][i % TAM] == VACIA) {
            z_actual = i / TAM;
            x_actual = i % TAM;
            return;
        }
    }
}

// Moves the cursor along its column, `paso` -1 up or +1 down, to the nearest empty square; with
// none before the edge it stays.
void busca_en_columna(int paso)
{
    for (int fila = z_actual + paso; fila >= 0 && fila < TAM; fila += paso) {
        if (matriz[fila][x_actual] == VACIA) {
            z_actual = fila;
            return;
        }
    }
}

} // namespace

void keyboard_especial(int tecla, int /*x*/, int /*y*/)
{
    if (msg == MSG_ILEGAL) {
        msg = MSG_NINGUNO;
    }
    switch (tecla) {
    case TECLA_IZQUIERDA:
        busca_en_orden(-1);
        break;
    case TECLA_DERECHA:
        busca_en_orden(+1);
        break;
    case TECLA_ARRIBA:
        busca_en_columna(-1);
        break;
    case TECLA_ABAJO:
        busca_en_columna(+1);
        break;
    default:
        break;
    }
    pedir_redibujo();
}
