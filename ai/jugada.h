// ai/jugada.h — the computer player: a one-ply greedy choice of the computer's move.
#ifndef VOLTARO_AI_JUGADA_H
#define VOLTARO_AI_JUGADA_H

#include "game/estado.h"

// Scores every square for `jugador` against `contrario` into `puntos` (flanking directions, 0
// for occupied or illegal squares) and chooses a square with the highest score, leaving its row
// in imax and its column in nmax. Ties are broken by a coin toss (ai/moneda.h); in mode 3 a legal
// corner is then preferred. Only chooses: the caller plays the square, and calls this only when
// `jugador` has a legal move.
void jugada_modo(int puntos[TAM][TAM], int jugador, int contrario, int modo_juego);

#endif
