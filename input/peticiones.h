// input/peticiones.h — what the key handlers ask of the window system: a redraw and the exits.
// The game binary takes them from GLUT and the C library (input/peticiones.cpp); the unit tests,
// which run with no display, link stand-ins of their own.
#ifndef VOLTARO_INPUT_PETICIONES_H
#define VOLTARO_INPUT_PETICIONES_H

// Asks for the window to be drawn again once the current event has been handled.
void pedir_redibujo();

// Ends the program with exit status `estado`: 0 after ESC, 1 after SPACE once the game is over.
[[noreturn]] void terminar_programa(int estado);

#endif
