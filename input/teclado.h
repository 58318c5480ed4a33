// input/teclado.h — the key handlers: the turn controller (ordinary keys) and the cursor
// (special keys). GLUT calls them; they change the game state and ask for a redraw.
#ifndef VOLTARO_INPUT_TECLADO_H
#define VOLTARO_INPUT_TECLADO_H

constexpr unsigned char TECLA_ESC = 27;     // ends the program, status 0
constexpr unsigned char TECLA_ESPACIO = 32; // plays one turn, or ends a finished game (status 1)

// GLUT's special key codes of the four arrows.
constexpr int TECLA_IZQUIERDA = 100;
constexpr int TECLA_ARRIBA = 101;
constexpr int TECLA_DERECHA = 102;
constexpr int TECLA_ABAJO = 103;

// Ordinary keys. ESC ends the program; SPACE plays one whole turn, the person's at the cursor or
// the computer's, and handles passes, illegal attempts and the end of the game, writing the
// transcript on standard output. The mouse position is ignored.
void keyboard(unsigned char tecla, int x, int y);

// Special keys. The arrows move the cursor onto empty squares, jumping occupied ones: Left and
// Right in reading order with wrap-around, Up and Down in the cursor's column, stopping at the
// edge. Any special key clears the illegal-square message. The mouse position is ignored.
void keyboard_especial(int tecla, int x, int y);

#endif
