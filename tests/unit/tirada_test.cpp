// The move engine: flanking, flipping, the two flags, and perft over the whole game tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "apoyo/tablero.h"
#include "game/estado.h"
#include "game/perft.h"
#include "game/tirada.h"

namespace {

// A board drawn from its top rows; the rows not given are empty.
Dibujo arriba(std::initializer_list<const char *> filas)
{
    Dibujo dibujo;
    dibujo.fill("........");
    std::copy(filas.begin(), filas.end(), dibujo.begin());
    return dibujo;
}

const Dibujo INICIAL = arriba({"........", "........", "........", "...BN...", "...NB..."});

// One move: who plays where, the directions it flanks, the board before and the board after
// playing it (the same board when it flanks nothing).
struct Tirada {
    const char *que;
    int jugador, fila, col, direcciones;
    Dibujo antes, despues;
};

const Tirada TIRADAS[] = {
    {"white C5 in the opening flanks D5 against E5", 1, 2, 4, 1, INICIAL,
     arriba({"........", "........", "....B...", "...BB...", "...NB..."})},
    {"white D6 in the opening flanks along the row", 1, 3, 5, 1, INICIAL,
     arriba({"........", "........", "........", "...BBB..", "...NB..."})},
    {"black C4 in the opening", 2, 2, 3, 1, INICIAL,
     arriba({"........", "........", "...N....", "...NN...", "...NB..."})},
    {"a run of black reaching the edge with no white behind it", 1, 0, 0, 0, arriba({".NNNNNNN"}),
     arriba({".NNNNNNN"})},
    {"a run closed by white on the edge square", 1, 0, 0, 1, arriba({".NNNNNNB"}),
     arriba({"BBBBBBBB"})},
    {"only the discs up to the first white one turn", 1, 0, 0, 1, arriba({".NBNB..."}),
     arriba({"BBBNB..."})},
    {"an empty square breaks the run", 1, 0, 0, 0, arriba({".NN.B..."}), arriba({".NN.B..."})},
    {"a corner flanks in its three directions at once", 1, 0, 0, 3,
     arriba({".NB.....", "NN......", "B.B....."}), arriba({"BBB.....", "BB......", "B.B....."})},
    {"a diagonal closed on the corner, from row 2 and column 5", 1, 2, 5, 1,
     arriba({".......B", "......N.", "........"}), arriba({".......B", "......B.", ".....B.."})},
    {"row 1, column 6: black all round towards the near edges flanks only inwards", 1, 1, 6, 1,
     arriba({".....NNN", "....BN.N", ".....NNN"}), arriba({".....NNN", "....BBBN", ".....NNN"})},
    {"all eight directions", 1, 3, 3, 8,
     arriba({"........", ".B.B.B..", "..NNN...", ".BN.NB..", "..NNN...", ".B.B.B.."}),
     arriba({"........", ".B.B.B..", "..BBB...", ".BBBBB..", "..BBB...", ".B.B.B.."})},
};

// Each case in test mode, then in play mode: the same count of flanking directions, the board
// untouched by the test (and by the whole-board scan), every flanked run flipped by the play.
TEST(EjecutaTirada, TestModeLeavesTheBoardPlayModeFlipsEveryFlankedRun)
{
    for (const Tirada &t : TIRADAS) {
        SCOPED_TRACE(t.que);
        poner_tablero(t.antes);
        for (const int solo_prueba : {1, 0}) {
            ptos = 99;
            ejecuta_tirada(t.jugador, 3 - t.jugador, t.fila, t.col, solo_prueba, 0);
            EXPECT_EQ(ptos, t.direcciones) << (solo_prueba ? "test mode" : "play mode");
            if (solo_prueba) {
                puede_tirar(t.jugador, 3 - t.jugador);
            }
            EXPECT_EQ(tablero_como_dibujo(), solo_prueba ? t.antes : t.despues);
        }
    }
}

// On this board (0,0) is taken by a black disc that a white one there would flank, (3,0) is a
// legal white move of one direction and (7,7) is empty but flanks nothing.
const Dibujo BANDERAS = arriba({"NNB.....", "........", "........", ".NB....."});

TEST(EjecutaTirada, AccumulateAndTestFlags)
{
    // ptos after the call, from 7 before it, without and with acumular; solo_prueba decides only
    // whether the move is played.
    struct Caso {
        int fila, col;
        bool legal;
        int ptos_despues[2];
    };
    const Caso casos[] = {
        {0, 0, false, {0, 7}}, // occupied: reset or left, whatever a disc there flanks
        {7, 7, false, {0, 7}}, // empty, flanks nothing
        {3, 0, true, {1, 8}},  // one direction, played unless only testing
    };
    const Dibujo jugado = arriba({"NNB.....", "........", "........", "BBB....."});
    for (const Caso &c : casos) {
        for (int solo_prueba : {0, 1, 5}) { // any flag other than 0 counts as set
            for (int acumular : {0, 1, 5}) {
                SCOPED_TRACE(testing::Message() << "(" << c.fila << "," << c.col << ") solo_prueba "
                                                << solo_prueba << " acumular " << acumular);
                poner_tablero(BANDERAS);
                ptos = 7;
                ejecuta_tirada(BLANCAS, NEGRAS, c.fila, c.col, solo_prueba, acumular);
                EXPECT_EQ(ptos, c.ptos_despues[acumular != 0]);
                const bool juega = c.legal && solo_prueba == 0;
                EXPECT_EQ(tablero_como_dibujo(), juega ? jugado : BANDERAS);
            }
        }
    }
}

TEST(EjecutaTirada, WholeBoardScanOfTheOpeningFindsFourMovesEach)
{
    for (int jugador : {BLANCAS, NEGRAS}) {
        poner_tablero(INICIAL);
        EXPECT_TRUE(puede_tirar(jugador, 3 - jugador));
        EXPECT_EQ(ptos, 4) << "player " << jugador;
    }
}

// Published leaf counts of the game tree from the opening, white to move, by depth.
constexpr std::uint64_t PERFT[] = {1, 4, 12, 56, 244, 1396, 8200, 55092, 390216, 3005288};

// Depth 9 takes a second or two, under the sanitizers too.
TEST(Perft, PublishedCountsFromTheOpening)
{
    for (int profundidad = 1; profundidad <= 9; ++profundidad) {
        poner_tablero(INICIAL);
        EXPECT_EQ(perft(BLANCAS, NEGRAS, profundidad), PERFT[profundidad])
            << "depth " << profundidad;
        EXPECT_EQ(tablero_como_dibujo(), INICIAL) << "depth " << profundidad;
    }
}

TEST(Perft, PassesAreOnePlyAndAStuckBoardIsALeaf)
{
    // White cannot flank the two black discs on the edge; black has three moves.
    const Dibujo blanco_pasa = arriba({"NB......", "NB......"});
    poner_tablero(blanco_pasa);
    EXPECT_EQ(perft(BLANCAS, NEGRAS, 1), 1u);
    EXPECT_EQ(perft(BLANCAS, NEGRAS, 2), 3u);
    const Dibujo solo_blancas = arriba({"BB......"});
    poner_tablero(solo_blancas);
    EXPECT_EQ(perft(BLANCAS, NEGRAS, 5), 1u);
}

} // namespace
