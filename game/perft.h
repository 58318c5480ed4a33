// game/perft.h — perft, the leaves of the game tree to a given depth, walked with the move engine
// alone: the proof of the engine against the known counts of the game, and a measure of its speed.
// Built as a library of its own for the tests and the benchmarks; the game does not use it.
#ifndef VOLTARO_GAME_PERFT_H
#define VOLTARO_GAME_PERFT_H

#include <cstdint>

// Counts the positions reached from matriz after `profundidad` plies, `jugador` to move against
// `contrario`. A player with no legal move whose opponent has one passes, and the pass is a ply;
// a position where neither can move is a leaf, however shallow. Leaves matriz as it found it;
// ptos is left changed.
std::uint64_t perft(int jugador, int contrario, int profundidad);

#endif
