// tests/apoyo/perft.h — the whole-board scan and perft, the leaves of the game tree to a given
// depth, both on the move engine alone. Shared by the unit tests and the benchmark.
#ifndef VOLTARO_TESTS_PERFT_H
#define VOLTARO_TESTS_PERFT_H

#include <cstdint>

// The turn controller's whole-board scan: ptos set to 0, then every square tested for `jugador`
// with acumular set. True when `jugador` has a legal move.
bool puede_tirar(int jugador, int contrario);

// Counts the positions reached from matriz after `profundidad` plies, `jugador` to move against
// `contrario`. A player with no legal move whose opponent has one passes, and the pass is a ply;
// a position where neither can move is a leaf, however shallow. Leaves matriz as it found it;
// ptos is left changed.
std::uint64_t perft(int jugador, int contrario, int profundidad);

#endif
