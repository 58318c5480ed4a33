// shell/ventana_sin_bucle.h — the game's window without the main loop: opened as start-up opens
// it, resized, and drawn one frame at a time when the caller asks. For the rendering tests and the
// frame benchmark; the game does not use it.
#ifndef VOLTARO_SHELL_VENTANA_SIN_BUCLE_H
#define VOLTARO_SHELL_VENTANA_SIN_BUCLE_H

#include "render/escena.h"

// Opens the game's window (crear_ventana) full screen once per process, with the game's reshape,
// and waits until it is mapped at full size; later calls put it back to full screen. `al_dibujar`
// is the display callback for the frames GLUT asks for meanwhile and later: the game's own unless
// a caller wants its first display untouched.
void abre_ventana(void (*al_dibujar)() = display);

// Takes the window out of full screen at `ancho` x `alto` pixels, no larger than the screen, and
// waits until it has that size: the shape of another screen.
void cambia_tamano(int ancho, int alto);

// Draws one frame with the game's reshape and display at the window's current size, and waits
// until the X server holds it.
void dibuja_fotograma();

#endif
