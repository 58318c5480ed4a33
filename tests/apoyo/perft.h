// tests/apoyo/perft.h — perft: the leaves of the game tree to a given depth, counted with the
// move engine alone. The tests compare it with the published counts; the benchmark times it.
#ifndef VOLTARO_TESTS_PERFT_H
#define VOLTARO_TESTS_PERFT_H

#include <cstdint>

// Counts the positions reached from matriz after `profundidad` plies, `jugador` to move against
// `contrario`. A player with no legal move whose opponent has one passes, and the pass is a ply;
// a position where neither can move is a leaf, however shallow. Leaves matriz as it found it;
// ptos is left changed.
std::uint64_t perft(int jugador, int contrario, int profundidad);

#endif
