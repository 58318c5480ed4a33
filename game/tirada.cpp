// game/tirada.cpp — the move engine.
#include "game/tirada.h"

#include "game/estado.h"

namespace {

// The eight directions as (row step, column step), in the order they are examined.
constexpr int DIRECCIONES[8][2] = {{-1, 0},  {-1, -1}, {-1, +1}, {+1, 0},
                                   {+1, -1}, {+1, +1}, {0, -1},  {0, +1}};

// True when at least two squares lie beyond `pos` along `paso` (-1, 0 or +1): a flank needs the
// opponent's disc next to the placed one and a closing square behind it.
bool hay_sitio(int pos, int paso)
{
    return paso == 0 || (paso < 0 ? pos >= 2 : pos <= TAM - 3);
}

// True when `pos` may step on along `paso` without leaving the board: the walk over a run stops
// at the edge square, whatever it holds.
bool dentro(int pos, int paso)
{
    return paso == 0 || (paso < 0 ? pos > 0 : pos < TAM - 1);
}

} // namespace

void ejecuta_tirada(int jugador, int contrario, int fila, int col, int solo_prueba, int acumular)
{
    if (acumular == 0) {
        ptos = 0;
    }
    if (matriz[fila][col] != VACIA) {
        return;
    }
    for (const auto &dir : DIRECCIONES) {
        const int df = dir[0];
        const int dc = dir[1];
        if (!hay_sitio(fila, df) || !hay_sitio(col, dc)) {
            continue;
        }
        if (matriz[fila + df][col + dc] != contrario) {
            continue;
        }
        // Walk the run of opponent discs; `largo` counts them, the walk stops on the closing
        // square.
        int largo = 1;
        int f = fila + (2 * df);
        int c = col + (2 * dc);
        while (dentro(f, df) && dentro(c, dc) && matriz[f][c] == contrario) {
            ++largo;
            f += df;
            c += dc;
        }
        if (matriz[f][c] != jugador) {
            continue;
        }
        ++ptos;
        if (solo_prueba == 0) {
            for (int d = 0; d <= largo; ++d) {
                matriz[fila + (d * df)][col + (d * dc)] = jugador;
            }
        }
    }
}

bool puede_tirar(int jugador, int contrario)
{
    ptos = 0;
    for (int fila = 0; fila < TAM; ++fila) {
        for (int col = 0; col < TAM; ++col) {
            ejecuta_tirada(jugador, contrario, fila, col, 1, 1);
        }
    }
    return ptos > 0;
}
