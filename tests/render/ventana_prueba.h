// tests/render/ventana_prueba.h — a real GLUT window with the game's GL state for the rendering
// tests: frames drawn by the game's own display(), pixels read back where world points project.
#ifndef VOLTARO_TESTS_VENTANA_PRUEBA_H
#define VOLTARO_TESTS_VENTANA_PRUEBA_H

#include <array>

#include "render/escena.h"

// Opens the full-screen window once per process, as start-up does, and waits until it is mapped
// at full size; later calls put it back to full screen. `al_dibujar` is the display callback for
// the frames GLUT asks for meanwhile and later: the game's own unless a caller (the frame
// benchmark) wants its first display untouched.
void abre_ventana(void (*al_dibujar)() = display);

// Takes the window out of full screen at `ancho` x `alto` pixels, no larger than the screen, and
// waits until it has that size: the shape of another screen.
void cambia_tamano(int ancho, int alto);

// Draws one frame with the game's reshape and display at the window's current size, and waits
// until it is on screen.
void dibuja_fotograma();

// Window coordinates (x from the left, y from the bottom) of a world point, with the matrices
// that the last frame used.
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

#endif
