// shell/ventana.h — the game's window: created with its display mode, size, title and lights.
#ifndef VOLTARO_SHELL_VENTANA_H
#define VOLTARO_SHELL_VENTANA_H

// Creates the game's window, RGB, double-buffered with a depth buffer, 1024 x 768 at (0, 0),
// tells the desktop its program (WM_CLASS "voltaro", "Voltaro" and _NET_WM_PID) and sets up its
// lights. glutInit must have run; the callbacks and full screen come after.
void crear_ventana();

#endif
