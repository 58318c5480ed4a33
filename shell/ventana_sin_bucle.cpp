// shell/ventana_sin_bucle.cpp — the game's window driven from outside the main loop.
#include "shell/ventana_sin_bucle.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <chrono>
#include <thread>

#include "render/escena.h"
#include "shell/ventana.h"

namespace {

bool ventana_abierta = false;

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
    char programa[] = "voltaro";
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
}
