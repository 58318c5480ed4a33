// shell/ventana.cpp — the game's window.
#include "shell/ventana.h"

#include <GL/glut.h>
#include <GL/glx.h>
#include <X11/X.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "render/escena.h"

namespace {

// Tells the desktop which program the window belongs to: WM_CLASS (instance "voltaro", class
// "Voltaro", what the menu entry's StartupWMClass names) and _NET_WM_PID.
void da_identidad(Display *pantalla, Window ventana)
{
    char instancia[] = "voltaro";
    char clase[] = "Voltaro";
    XClassHint pista = {instancia, clase};
    XSetClassHint(pantalla, ventana, &pista);
    const auto pid = static_cast<unsigned long>(getpid()); // CARDINAL/32: a long each
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): Xlib takes the data as bytes
    const auto *datos = reinterpret_cast<const unsigned char *>(&pid);
    XChangeProperty(pantalla, ventana, XInternAtom(pantalla, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, datos, 1);
}

} // namespace

// The window's identity has to be on it before it is first mapped: a window manager reads
// WM_CLASS as the window leaves the withdrawn state, and manages the window from then on. freeglut
// 3.4 gives no way to: it sets no class hint (XSetWMProperties without one), sets _NET_WM_PID only
// when an EWMH window manager runs at glutInit, and has no hidden creation (glutCreateWindow makes
// the window, maps it and waits for the map in one call; glutHideWindow acts later, from the main
// loop, and withdraws it). Withdrawing and mapping the window again after glutCreateWindow had
// it managed twice and, by hiding it from freeglut for a while, put off its first frame.
// So the game takes the call with which freeglut maps its window: this XMapWindow, defined in
// the program, comes before libX11's in the dynamic linker's search (the program exports it, as
// libglut uses it), names the window and then maps it with libX11's own. Every window the program
// maps is the game's window.
extern "C" int XMapWindow(Display *pantalla, Window ventana)
{
    using Mapea = int (*)(Display *, Window);
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): dlsym gives a data pointer
    static const auto mapea = reinterpret_cast<Mapea>(dlsym(RTLD_NEXT, "XMapWindow"));
    if (mapea == nullptr) {
        std::fprintf(stderr, "voltaro: libX11's XMapWindow not found: %s\n", dlerror());
        std::_Exit(1);
    }
    da_identidad(pantalla, ventana);
    return mapea(pantalla, ventana);
}

void dibuja_ventana()
{
    Window raiz = None;
    int x = 0;
    int y = 0;
    unsigned ancho = 0;
    unsigned alto = 0;
    unsigned borde = 0;
    unsigned profundidad = 0;
    if (XGetGeometry(glXGetCurrentDisplay(), glXGetCurrentDrawable(), &raiz, &x, &y, &ancho, &alto,
                     &borde, &profundidad) != 0) {
        reshape(static_cast<int>(ancho), static_cast<int>(alto));
    }
    display();
}

void crear_ventana()
{
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("Davro v.1.0     Kalvendor");
    iniciar_iluminacion();
}
