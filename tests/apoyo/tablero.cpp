// tests/apoyo/tablero.cpp — shared test helpers.
#include "apoyo/tablero.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "game/estado.h"
#include "shell/arranque.h"

void estado_de_carga()
{
    std::memset(matriz, 0, sizeof matriz);
    std::memset(ia, 0, sizeof ia);
    ataca = NEGRAS;
    no_ataca = BLANCAS;
    ptos = 0;
    fin_juego = 0;
    pierde_turno = 0;
    play = 1;
    modo = 0;
    ganador = 0;
    primera_tirada = 1;
    msg = MSG_NINGUNO;
    numx = 0;
    num0 = 0;
    imax = 0;
    nmax = 0;
    tiradai = 0;
    tiradan = 0;
    z_actual = 0;
    x_actual = 0;
    std::memset(name, 0, sizeof name);
}

void estado_de_arranque()
{
    estado_de_carga();
    // The console's clear and banner are the end-to-end tests' business, kept off the test log.
    salida_de(preparar_partida);
}

void poner_tablero(const Dibujo &dibujo)
{
    for (int fila = 0; fila < TAM; ++fila) {
        for (int col = 0; col < TAM; ++col) {
            const char c = dibujo[fila].at(col);
            matriz[fila][col] = c == 'B' ? BLANCAS : c == 'N' ? NEGRAS : VACIA;
        }
    }
}

std::string fila_como_texto(int fila)
{
    std::string texto;
    for (int col = 0; col < TAM; ++col) {
        texto += ".BN"[matriz[fila][col]];
    }
    return texto;
}

Dibujo tablero_como_dibujo()
{
    Dibujo dibujo;
    for (int fila = 0; fila < TAM; ++fila) {
        dibujo[fila] = fila_como_texto(fila);
    }
    return dibujo;
}

void empieza_captura()
{
    std::fflush(stdout);
    testing::internal::CaptureStdout();
}

std::string termina_captura()
{
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}
