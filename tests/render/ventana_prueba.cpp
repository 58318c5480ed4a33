// tests/render/ventana_prueba.cpp — the rendering tests' window.
#include "render/ventana_prueba.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "render/escena.h"
#include "shell/ventana.h"

namespace {

bool ventana_abierta = false;
GLdouble modelo[16];
GLdouble proyeccion[16];
GLint vista[4];

// Lets GLUT handle the window's events until the window is `ancho` x `alto` pixels, for at most
// ten seconds, then once more so that the reshape at that size has been handled.
void espera_tamano(int ancho, int alto)
{
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((glutGet(GLUT_WINDOW_WIDTH) != ancho || glutGet(GLUT_WINDOW_HEIGHT) != alto) &&
           std::chrono::steady_clock::now() < limite) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    glutMainLoopEvent();
}

void espera_pantalla_completa()
{
    espera_tamano(glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
}

} // namespace

void abre_ventana(void (*al_dibujar)())
{
    if (ventana_abierta) {
        glutFullScreen();
        espera_pantalla_completa();
        return;
    }
    int argc = 1;
    char programa[] = "pruebas_render";
    char *argv[] = {programa, nullptr};
    glutInit(&argc, argv);
    crear_ventana();
    glutDisplayFunc(al_dibujar);
    glutReshapeFunc(reshape);
    glutFullScreen();
    espera_pantalla_completa();
    ventana_abierta = true;
}

void cambia_tamano(int ancho, int alto)
{
    // Out of full screen freeglut gives the window back its earlier size, which would undo a
    // resize asked for in the same breath.
    glutLeaveFullScreen();
    glutMainLoopEvent();
    glutReshapeWindow(ancho, alto);
    espera_tamano(ancho, alto);
}

void dibuja_fotograma()
{
    reshape(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    display();
    glFinish();
    XSync(glXGetCurrentDisplay(), False);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelo);
    glGetDoublev(GL_PROJECTION_MATRIX, proyeccion);
    glGetIntegerv(GL_VIEWPORT, vista);
}

std::array<int, 2> proyecta(double x, double y, double z)
{
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
