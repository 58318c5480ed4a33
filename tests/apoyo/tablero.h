// tests/apoyo/tablero.h — helpers shared by the tests: boards drawn as pictures, the game state
// put back to its load-time values, and the transcript captured from standard output.
#ifndef VOLTARO_TESTS_TABLERO_H
#define VOLTARO_TESTS_TABLERO_H

#include <array>
#include <string>

// Eight rows of eight characters: '.' empty, 'B' white (1), 'N' black (2).
using Dibujo = std::array<std::string, 8>;

// Every game-state variable back to its value at program load, then the game's own start-up
// before the window (preparar_partida): the cursor at (0,0), the initial position, the two names
// and mode 3; what it prints is dropped.
void estado_de_arranque();

// Every game-state variable back to its value at program load, and nothing else.
void estado_de_carga();

// Fills matriz from a picture.
void poner_tablero(const Dibujo &dibujo);

// Row `fila` of matriz as a picture line.
std::string fila_como_texto(int fila);

// The whole of matriz as a picture.
Dibujo tablero_como_dibujo();

// Runs `accion` and returns what it wrote on standard output.
template <typename F> std::string salida_de(F accion);

// Redraw requests counted by the test stand-in of the window.
extern int redibujos_pedidos;

// Implementation of salida_de: gtest's capture of stdout.
void empieza_captura();
std::string termina_captura();
template <typename F> std::string salida_de(F accion)
{
    empieza_captura();
    accion();
    return termina_captura();
}

#endif
