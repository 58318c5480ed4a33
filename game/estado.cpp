// game/estado.cpp — the game state's single definitions and their load-time values.
#include "game/estado.h"

#include <cstdint>

int matriz[TAM][TAM];
int ia[TAM][TAM];
int ataca = 2;
int no_ataca = 1;
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
            celda = 0;
        }
    }
    matriz[3][3] = 1;
    matriz[4][4] = 1;
    matriz[3][4] = 2;
    matriz[4][3] = 2;
}

void contar_fichas()
{
    numx = 0;
    num0 = 0;
    for (const auto &fila : matriz) {
        for (const int celda : fila) {
            numx += celda == 1;
            num0 += celda == 2;
        }
    }
}
