// shell/ventana.cpp — the game's window.
#include "shell/ventana.h"

#include <GL/glut.h>
#include <GL/glx.h>
#include <X11/X.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include "render/escena.h"

namespace {

// Tells the desktop which program the window belongs to: WM_CLASS (instance "voltaro", class
// "Voltaro") and _NET_WM_PID. freeglut sets neither (WM_CLIENT_MACHINE it sets itself) and maps
// the window inside glutCreateWindow, while a window manager reads WM_CLASS only as a window
// leaves the withdrawn state; so the window, the current GLX drawable, is withdrawn, given both
// and mapped again, before any frame is drawn.
void da_identidad()
{
    Display *pantalla = glXGetCurrentDisplay();
    const Window ventana = glXGetCurrentDrawable();
    if (pantalla == nullptr || ventana == None) {
        return;
    }
    XWithdrawWindow(pantalla, ventana, DefaultScreen(pantalla));
    char instancia[] = "voltaro";
    char clase[] = "Voltaro";
    XClassHint pista = {instancia, clase};
    XSetClassHint(pantalla, ventana, &pista);
    const auto pid = static_cast<unsigned long>(getpid()); // CARDINAL/32: a long each
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): Xlib takes the data as bytes
    const auto *datos = reinterpret_cast<const unsigned char *>(&pid);
    XChangeProperty(pantalla, ventana, XInternAtom(pantalla, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, datos, 1);
    XMapWindow(pantalla, ventana);
}

} // namespace

void crear_ventana()
{
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("Davro v.1.0     Kalvendor");
    da_identidad();
    iniciar_iluminacion();
}
