// console/pintala.cpp — the console board dump.
#include "console/pintala.h"

#include <cstdio>

#include "game/estado.h"

void pintala()
{
    std::printf("----------------------------------------------\n\n\n");
    std::printf("  0 1 2 3 4 5 6 7\n");
    int blancas = 0;
    int negras = 0;
    for (int fila = 0; fila < TAM; ++fila) {
        std::printf("%d", fila);
        for (int col = 0; col < TAM; ++col) {
            switch (matriz[fila][col]) {
            case BLANCAS:
                std::printf("|B");
                ++blancas;
                break;
            case NEGRAS:
                std::printf("|N");
                ++negras;
                break;
            default:
                std::printf("| ");
                break;
            }
        }
        std::printf("|\n");
    }
    std::printf("\n>>>Fichas Blancas (B):%d\n>>>Fichas Negras (N):%d\n", blancas, negras);
}
