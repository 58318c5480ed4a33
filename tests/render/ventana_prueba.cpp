// tests/render/ventana_prueba.cpp — the rendering tests' eyes on the game's window.
#include "render/ventana_prueba.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

// The pixels are read from the X server, as the person sees them once the frame is swapped.
Imagen imagen_de_la_ventana()
{
    Imagen imagen;
    imagen.ancho = glutGet(GLUT_WINDOW_WIDTH);
    imagen.alto = glutGet(GLUT_WINDOW_HEIGHT);
    XImage *x = XGetImage(glXGetCurrentDisplay(), glXGetCurrentDrawable(), 0, 0,
                          static_cast<unsigned>(imagen.ancho), static_cast<unsigned>(imagen.alto),
                          AllPlanes, ZPixmap);
    if (x == nullptr) {
        return imagen;
    }
    imagen.rgb.reserve(static_cast<std::size_t>(imagen.ancho) * imagen.alto * 3);
    for (int fila = 0; fila < imagen.alto; ++fila) {
        for (int col = 0; col < imagen.ancho; ++col) {
            const unsigned long v = XGetPixel(x, col, fila);
            for (const int desplazamiento : {16, 8, 0}) {
                imagen.rgb.push_back(static_cast<unsigned char>((v >> desplazamiento) & 0xFF));
            }
        }
    }
    XDestroyImage(x);
    return imagen;
}
