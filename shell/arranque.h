// shell/arranque.h — what start-up does before the window exists: the game state the first turn
// finds, the console cleared and the banner. No GL: the tests call it as the program does.
#ifndef VOLTARO_SHELL_ARRANQUE_H
#define VOLTARO_SHELL_ARRANQUE_H

// Start-up before the window, in its order: the cursor, the initial position, the console cleared
// and the banner (no line end: the transcript's first line continues it), the two names (the
// person "Jugador (blancas)" in slot 0, the computer "Maquina (negras)" in slot 1) and mode 3.
void preparar_partida();

#endif
