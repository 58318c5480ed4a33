// shell/ventana.h — the game's window: created with its display mode, size, title and lights, and
// drawn at its size.
#ifndef VOLTARO_SHELL_VENTANA_H
#define VOLTARO_SHELL_VENTANA_H

// Creates the game's window, RGB, double-buffered with a depth buffer, 1024 x 768 at (0, 0),
// named for the desktop (WM_CLASS "voltaro", "Voltaro" and _NET_WM_PID) before it is first mapped,
// and sets up its lights. glutInit must have run; the callbacks and full screen come after.
void crear_ventana();

// The display callback: one frame (display) drawn for the size the window has as the frame begins,
// asked of the X server. The size that reshape last had is the one of the last ConfigureNotify
// freeglut has read, and lags behind the window while a resize's event is on its way; GL's
// buffers take the window's size at the frame's first drawing. So a frame drawn in between would
// be drawn for one size into buffers of another, until the event brought the next frame.
void dibuja_ventana();

#endif
