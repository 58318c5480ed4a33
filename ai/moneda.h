// ai/moneda.h — the computer's coin: the numbers the C library's rand() gives, drawn from a
// generator of the game's own.
#ifndef VOLTARO_AI_MONEDA_H
#define VOLTARO_AI_MONEDA_H

// The next number of the sequence, 0 to RAND_MAX: in a game never seeded, the sequence rand()
// gives unseeded, so that the same moves of the person get the same replies on every run. The
// generator is the game's alone: a library in the same process that draws from rand() (Mesa does
// while it fills its shader cache) takes nothing from it.
int moneda();

// Starts the sequence again from `semilla`, as srand() does: the replies then follow rand() seeded
// alike. The game itself never seeds it.
void siembra_moneda(unsigned semilla);

#endif
