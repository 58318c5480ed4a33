// ai/jugada.cpp — the computer player.
#include "ai/jugada.h"

#include "ai/moneda.h"
#include "game/estado.h"
#include "game/tirada.h"

namespace {

// Prefers a legal corner over the greedy choice. `referencia` starts as the best score on the
// board; corner (0,0) takes the choice and becomes the reference, and each later corner takes it
// when it scores more than the reference or when no corner has been taken yet.
void regla_esquinas(int puntos[TAM][TAM], int referencia)
{
    bool esquina_tomada = false;
    if (puntos[0][0] > 0) {
        imax = 0;
        nmax = 0;
        referencia = puntos[0][0];
        esquina_tomada = true;
    }
    constexpr int OTRAS_ESQUINAS[3][2] = {{0, TAM - 1}, {TAM - 1, 0}, {TAM - 1, TAM - 1}};
    for (const auto &esquina : OTRAS_ESQUINAS) {
        const int valor = puntos[esquina[0]][esquina[1]];
        if (valor > 0 && (valor > referencia || !esquina_tomada)) {
            imax = esquina[0];
            nmax = esquina[1];
            esquina_tomada = true;
        }
    }
}

} // namespace

void jugada_modo(int puntos[TAM][TAM], int jugador, int contrario, int modo_juego)
{
    int mejor = 0;
    for (int fila = 0; fila < TAM; ++fila) {
        for (int col = 0; col < TAM; ++col) {
            ejecuta_tirada(jugador, contrario, fila, col, 1, 0);
            puntos[fila][col] = ptos;
            if (ptos > mejor) {
                imax = fila;
                nmax = col;
                mejor = ptos;
            } else if (ptos == mejor && moneda() % 10 > 4) {
                imax = fila;
                nmax = col;
            }
        }
    }
    if (modo_juego == MODO_ESQUINAS) {
        regla_esquinas(puntos, mejor);
    }
}
