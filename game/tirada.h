// game/tirada.h — the move engine: the one routine that knows how a move flanks and flips.
#ifndef VOLTARO_GAME_TIRADA_H
#define VOLTARO_GAME_TIRADA_H

// Tests, and unless solo_prueba is set plays, a disc of `jugador` at (fila, col) against
// `contrario`. Leaves the number of flanking directions in ptos: set afresh when acumular is 0,
// added to its value when acumular is set. The move is legal exactly when it flanks in at least
// one direction; playing turns the placed square and every flanked run to the mover. A test, an
// illegal move and any call on an occupied square leave matriz exactly as it was. Both flags
// count as set when not 0.
void ejecuta_tirada(int jugador, int contrario, int fila, int col, int solo_prueba, int acumular);

// The whole-board scan that opens every turn: ptos set to 0, then every square tested for
// `jugador` with acumular set, so that ptos ends as the sum of flanking directions over the board.
// True when `jugador` has a legal move. matriz is left as it was.
bool puede_tirar(int jugador, int contrario);

#endif
