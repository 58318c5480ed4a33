// game/estado.h — the one game in progress: every variable of the game state, with a single
// instance each. Every other part of the program reads and writes them here; nobody keeps a copy.
//
// Players and cell codes share the same numbers (VACIA, BLANCAS, NEGRAS). A square is (row,
// column), 0 to 7 each; on screen the row is a letter A-H and the column a number 1-8, on the
// console both are printed 0-based, row first.
#ifndef VOLTARO_GAME_ESTADO_H
#define VOLTARO_GAME_ESTADO_H

#include <cstdint>

constexpr int TAM = 8;           // squares along each side of the board
constexpr int LARGO_NOMBRE = 24; // bytes of one name slot: at most 23 characters and the zero

constexpr int VACIA = 0;   // an empty square
constexpr int BLANCAS = 1; // white: the person, who opens
constexpr int NEGRAS = 2;  // black: the computer

constexpr int MODO_ESQUINAS = 3; // the game mode whose computer prefers a legal corner

// The status message codes of msg, by what the window says (render/texto.cpp has the texts). The
// three that end the game come last, in a row.
constexpr std::int8_t MSG_NINGUNO = 0;      // nothing: a move was played
constexpr std::int8_t MSG_ILEGAL = 1;       // the person's square is illegal, until a special key
constexpr std::int8_t MSG_MAQUINA_PASA = 2; // the computer cannot move: the person's turn
constexpr std::int8_t MSG_JUGADOR_PASA = 3; // the person cannot move: SPACE passes
constexpr std::int8_t MSG_GANA_JUGADOR = 4; // game over, the person has won
constexpr std::int8_t MSG_GANA_MAQUINA = 5; // game over, the computer has won
constexpr std::int8_t MSG_EMPATE = 6;       // game over, a draw

extern int matriz[TAM][TAM];       // board, [row][column]: VACIA, BLANCAS or NEGRAS
extern int ia[TAM][TAM];           // computer's score of each square from its last evaluation:
                                   // flanking directions, 0 for occupied or illegal squares
extern int ataca;                  // player whose turn is being handled; each SPACE first exchanges
                                   // it with no_ataca, so the load value NEGRAS lets white open
extern int no_ataca;               // the other player
extern int ptos;                   // flank counter left by ejecuta_tirada: directions found by the
                                   // last test, or summed over a whole-board scan
extern int fin_juego;              // consecutive turns without a legal move (0, 1 or 2; 2 ends it)
extern std::int8_t pierde_turno;   // 1 after a turn whose player had no legal move, 0 after a move
extern int play;                   // 1 while the game runs, 0 once it has ended
extern int modo;                   // game mode: 0 at load, MODO_ESQUINAS from start-up on
extern int ganador;                // winner once ended: BLANCAS, NEGRAS, or 0 for a draw
extern std::int8_t primera_tirada; // 1 until the computer has played its first move
extern std::int8_t msg;            // status message shown in the window, one of MSG_*
extern int numx;                   // white discs, recounted from matriz by contar_fichas
extern int num0;                   // black discs, recounted likewise
extern int imax;                   // row of the computer's last chosen move
extern int nmax;                   // column of the computer's last chosen move
extern int tiradai;                // row of the person's last attempted move
extern int tiradan;                // column of the person's last attempted move
extern int z_actual;               // cursor row (0-7)
extern int x_actual;               // cursor column (0-7)
extern char name[2][LARGO_NOMBRE]; // player names; player p's name is slot p-1

// Empties the board and puts the four starting discs: white on (3,3) and (4,4), black on (3,4)
// and (4,3).
void posicion_inicial();

// Recounts the discs of matriz into numx (white) and num0 (black). Every frame does it, and the
// turn controller does it again before it reads the counts, so that a key handled with no frame
// drawn since the last move still sees the board as it is.
void contar_fichas();

#endif
