// tests/render/ventana_prueba.cpp — the rendering tests' eyes on the game's window.
#include "render/ventana_prueba.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

std::array<int, 2> proyecta(double x, double y, double z)
{
    GLdouble modelo[16];
    GLdouble proyeccion[16];
    GLint vista[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelo);
    glGetDoublev(GL_PROJECTION_MATRIX, proyeccion);
    glGetIntegerv(GL_VIEWPORT, vista);
    GLdouble wx = 0;
    GLdouble wy = 0;
    GLdouble wz = 0;
    gluProject(x, y, z, modelo, proyeccion, vista, &wx, &wy, &wz);
    return {static_cast<int>(wx), static_cast<int>(wy)};
}

// The pixels are read from the X server, as the person sees them once the frame is swapped.
// Rows are counted from the bottom, like GL's window coordinates.
namespace {

template <typename F> void lee_rectangulo(int x, int y, int ancho, int alto, F por_pixel)
{
    Display *pantalla = glXGetCurrentDisplay();
    const int alto_ventana = glutGet(GLUT_WINDOW_HEIGHT);
    XImage *imagen =
        XGetImage(pantalla, glXGetCurrentDrawable(), x, alto_ventana - y - alto,
                  static_cast<unsigned>(ancho), static_cast<unsigned>(alto), AllPlanes, ZPixmap);
    if (imagen == nullptr) {
        return;
    }
    for (int fila = 0; fila < alto; ++fila) {
        for (int col = 0; col < ancho; ++col) {
            const unsigned long v = XGetPixel(imagen, col, fila);
            por_pixel(std::array<int, 3>{static_cast<int>((v >> 16) & 0xFF),
                                         static_cast<int>((v >> 8) & 0xFF),
                                         static_cast<int>(v & 0xFF)});
        }
    }
    XDestroyImage(imagen);
}

} // namespace

std::array<int, 3> pixel(int x, int y)
{
    std::array<int, 3> color = {0, 0, 0};
    lee_rectangulo(x, y, 1, 1, [&color](const std::array<int, 3> &c) { color = c; });
    return color;
}

std::array<int, 3> color_en(double x, double y, double z)
{
    const auto p = proyecta(x, y, z);
    return pixel(p[0], p[1]);
}

std::array<int, 3> color_mas_claro(int x, int y, int ancho, int alto)
{
    std::array<int, 3> claro = {0, 0, 0};
    lee_rectangulo(x, y, ancho, alto, [&claro](const std::array<int, 3> &c) {
        if (c[0] + c[1] + c[2] > claro[0] + claro[1] + claro[2]) {
            claro = c;
        }
    });
    return claro;
}

int pixeles_claros(int x, int y, int ancho, int alto)
{
    int claros = 0;
    lee_rectangulo(x, y, ancho, alto, [&claros](const std::array<int, 3> &c) {
        claros += c[0] + c[1] + c[2] > 3 * 64;
    });
    return claros;
}

Imagen imagen_de_la_ventana()
{
    Imagen imagen;
    imagen.ancho = glutGet(GLUT_WINDOW_WIDTH);
    imagen.alto = glutGet(GLUT_WINDOW_HEIGHT);
    imagen.rgb.reserve(static_cast<std::size_t>(imagen.ancho) * imagen.alto * 3);
    lee_rectangulo(0, 0, imagen.ancho, imagen.alto, [&imagen](const std::array<int, 3> &c) {
        for (const int canal : c) {
            imagen.rgb.push_back(static_cast<unsigned char>(canal));
        }
    });
    return imagen;
}
