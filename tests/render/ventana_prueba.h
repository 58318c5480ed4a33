// tests/render/ventana_prueba.h — the rendering tests' eyes on the game's window (opened and drawn
// by shell/ventana_sin_bucle): pixels read back as the X server holds them, where world points
// project, and the whole frame.
#ifndef VOLTARO_TESTS_VENTANA_PRUEBA_H
#define VOLTARO_TESTS_VENTANA_PRUEBA_H

#include <array>
#include <vector>

#include "shell/ventana_sin_bucle.h"

// Window coordinates (x from the left, y from the bottom) of a world point, with the matrices
// and viewport that the last frame's reshape left.
std::array<int, 2> proyecta(double x, double y, double z);

// Colour (0-255 each, red green blue) of the window pixel at (x, y) of the last frame.
std::array<int, 3> pixel(int x, int y);

// Colour of the pixel where world point (x, y, z) lands.
std::array<int, 3> color_en(double x, double y, double z);

// The brightest pixel of the rectangle of `ancho` x `alto` pixels whose lower left corner is
// (x, y).
std::array<int, 3> color_mas_claro(int x, int y, int ancho, int alto);

// Number of pixels brighter than a dark background in the rectangle of `ancho` x `alto` pixels
// whose lower left corner is (x, y).
int pixeles_claros(int x, int y, int ancho, int alto);

// The whole window as the X server holds it: red, green and blue bytes of each pixel, rows from
// the top.
struct Imagen {
    int ancho = 0;
    int alto = 0;
    std::vector<unsigned char> rgb;
};
Imagen imagen_de_la_ventana();

#endif
