// console/pintala.h — the ASCII picture of the board in the console transcript.
#ifndef VOLTARO_CONSOLE_PINTALA_H
#define VOLTARO_CONSOLE_PINTALA_H

// Prints the board dump to standard output: a rule, the column header, one line per row ("B"
// white, "N" black) and the two disc counts. Counts the discs itself from matriz and leaves numx
// and num0 alone, so it is right even when no frame has been drawn since the last move.
void pintala();

#endif
