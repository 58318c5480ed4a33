// tests/render/ventana_prueba.h — the rendering tests' eyes on the game's window (opened and drawn
// by shell/ventana_sin_bucle): the whole frame, read back as the X server holds it.
#ifndef VOLTARO_TESTS_VENTANA_PRUEBA_H
#define VOLTARO_TESTS_VENTANA_PRUEBA_H

#include <cstddef>
#include <vector>

#include "shell/ventana_sin_bucle.h"

// The whole window as the X server holds it: red, green and blue bytes of each pixel, rows from
// the top.
struct Imagen {
    int ancho = 0;
    int alto = 0;
    std::vector<unsigned char> rgb;
};
Imagen imagen_de_la_ventana();

#endif
