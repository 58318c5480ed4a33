// game/estado.cpp — the game state's single definitions and their load-time values.
#include "game/estado.h"

#include <cstdint>

int matriz[TAM][TAM];
int ia[TAM][TAM];
int ataca = NEGRAS;
int no_ataca = BLANCAS;
int ptos;
int fin_juego;
std::int8_t pierde_turno;
int play = 1;
int modo;
int ganador;
std::int8_t primera_tirada = 1;
std::int8_t msg;
int numx;
int num0;
int imax;
int nmax;
int tiradai;
int tiradan;
int z_actual;
int x_actual;
char name[2][LARGO_NOMBRE];

void posicion_inicial()
{
    for (auto &fila : matriz) {
        for (int &celda : fila) {
            celda = VACIA;
        }
    }
    matriz[3][3] = BLANCAS;
    matriz[4][4] = BLANCAS;
    matriz[3][4] = NEGRAS;
    matriz[4][3] = NEGRAS;
}

void contar_fichas()
{
    numx = 0;
    num0 = 0;
    for (const auto &fila : matriz) {
        for (const int celda : fila) {
            numx += celda == BLANCAS;
            num0 += celda == NEGRAS;
        }
    }
}
