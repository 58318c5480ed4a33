// The move engine: flanking, flipping, the two flags, and perft over the whole game tree.
#include <gtest/gtest.h>

#include <cstdint>

#include "apoyo/perft.h"
#include "apoyo/tablero.h"
#include "game/estado.h"
#include "game/tirada.h"

namespace {

const Dibujo INICIAL = {"........", "........", "........", "...BN...",
                        "...NB...", "........", "........", "........"};

// One move: the board before, who plays where, the directions it flanks and the board after
// playing it (the same board when it flanks nothing).
struct Tirada {
    const char *que;
    Dibujo antes;
    int jugador, fila, col, direcciones;
    Dibujo despues;
};

const Tirada TIRADAS[] = {
    {"white C5 in the opening flanks D5 against E5",
     INICIAL,
     1,
     2,
     4,
     1,
     {"........", "........", "....B...", "...BB...", "...NB...", "........", "........",
      "........"}},
    {"white D6 in the opening flanks along the row",
     INICIAL,
     1,
     3,
     5,
     1,
     {"........", "........", "........", "...BBB..", "...NB...", "........", "........",
      "........"}},
    {"black C4 in the opening",
     INICIAL,
     2,
     2,
     3,
     1,
     {"........", "........", "...N....", "...NN...", "...NB...", "........", "........",
      "........"}},
    {"a run of black reaching the edge with no white behind it", // the closing square is black
     {".NNNNNNN", "........", "........", "........", "........", "........", "........",
      "........"},
     1,
     0,
     0,
     0,
     {".NNNNNNN", "........", "........", "........", "........", "........", "........",
      "........"}},
    {"a run closed by white on the edge square",
     {".NNNNNNB", "........", "........", "........", "........", "........", "........",
      "........"},
     1,
     0,
     0,
     1,
     {"BBBBBBBB", "........", "........", "........", "........", "........", "........",
      "........"}},
    {"only the discs up to the first white one turn",
     {".NBNB...", "........", "........", "........", "........", "........", "........",
      "........"},
     1,
     0,
     0,
     1,
     {"BBBNB...", "........", "........", "........", "........", "........", "........",
      "........"}},
    {"an empty square breaks the run",
     {".NN.B...", "........", "........", "........", "........", "........", "........",
      "........"},
     1,
     0,
     0,
     0,
     {".NN.B...", "........", "........", "........", "........", "........", "........",
      "........"}},
    {"a corner flanks in its three directions at once",
     {".NB.....", "NN......", "B.B.....", "........", "........", "........", "........",
      "........"},
     1,
     0,
     0,
     3,
     {"BBB.....", "BB......", "B.B.....", "........", "........", "........", "........",
      "........"}},
    {"a diagonal closed on the corner, from row 5 and column 2",
     {"........", "........", "........", "........", "........", "........", ".N......",
      "B......."},
     1,
     5,
     2,
     1,
     {"........", "........", "........", "........", "........", "..B.....", ".B......",
      "B......."}},
    {"row 1, column 6: black all round towards the near edges flanks only inwards",
     {".....NNN", "....BN.N", ".....NNN", "........", "........", "........", "........",
      "........"},
     1,
     1,
     6,
     1,
     {".....NNN", "....BBBN", ".....NNN", "........", "........", "........", "........",
      "........"}},
    {"all eight directions",
     {"........", ".B.B.B..", "..NNN...", ".BN.NB..", "..NNN...", ".B.B.B..", "........",
      "........"},
     1,
     3,
     3,
     8,
     {"........", ".B.B.B..", "..BBB...", ".BBBBB..", "..BBB...", ".B.B.B..", "........",
      "........"}},
};

TEST(EjecutaTirada, TestModeCountsAndNeverTouchesTheBoard)
{
    for (const Tirada &t : TIRADAS) {
        SCOPED_TRACE(t.que);
        poner_tablero(t.antes);
        ptos = 99;
        ejecuta_tirada(t.jugador, 3 - t.jugador, t.fila, t.col, 1, 0);
        EXPECT_EQ(ptos, t.direcciones);
        // Every square of the board, tested in turn, leaves it as it was.
        for (int fila = 0; fila < TAM; ++fila) {
            for (int col = 0; col < TAM; ++col) {
                ejecuta_tirada(t.jugador, 3 - t.jugador, fila, col, 1, 1);
            }
        }
        EXPECT_EQ(tablero_como_dibujo(), t.antes);
    }
}

TEST(EjecutaTirada, PlayModeFlipsEveryFlankedRun)
{
    for (const Tirada &t : TIRADAS) {
        SCOPED_TRACE(t.que);
        poner_tablero(t.antes);
        ptos = 99;
        ejecuta_tirada(t.jugador, 3 - t.jugador, t.fila, t.col, 0, 0);
        EXPECT_EQ(ptos, t.direcciones);
        EXPECT_EQ(tablero_como_dibujo(), t.despues);
    }
}

// On this board (0,0) is taken by a black disc that a white one there would flank, (3,0) is a
// legal white move of one direction and (7,7) is empty but flanks nothing.
const Dibujo BANDERAS = {"NNB.....", "........", "........", ".NB.....",
                         "........", "........", "........", "........"};

TEST(EjecutaTirada, AccumulateAndTestFlags)
{
    struct Caso {
        int fila, col, solo_prueba, acumular, ptos_despues;
        bool juega;
    };
    const Caso casos[] = {
        {0, 0, 1, 0, 0, false},                         // an occupied square resets the count...
        {0, 0, 0, 0, 0, false}, {0, 0, 1, 1, 7, false}, // ...or leaves it when accumulating
        {0, 0, 0, 1, 7, false}, {7, 7, 1, 0, 0, false},
        {7, 7, 0, 0, 0, false}, {7, 7, 1, 1, 7, false},
        {3, 0, 1, 0, 1, false}, {3, 0, 1, 1, 8, false},
        {3, 0, 0, 0, 1, true},  {3, 0, 0, 1, 8, true},
        {3, 0, 2, 5, 8, false}, // any flag other than 0 counts as set
    };
    const Dibujo jugado = {"NNB.....", "........", "........", "BBB.....",
                           "........", "........", "........", "........"};
    for (const Caso &c : casos) {
        SCOPED_TRACE(testing::Message() << "(" << c.fila << "," << c.col << ") solo_prueba "
                                        << c.solo_prueba << " acumular " << c.acumular);
        poner_tablero(BANDERAS);
        ptos = 7;
        ejecuta_tirada(1, 2, c.fila, c.col, c.solo_prueba, c.acumular);
        EXPECT_EQ(ptos, c.ptos_despues);
        EXPECT_EQ(tablero_como_dibujo(), c.juega ? jugado : BANDERAS);
    }
}

TEST(EjecutaTirada, WholeBoardScanOfTheOpeningFindsFourMovesEach)
{
    for (int jugador : {1, 2}) {
        poner_tablero(INICIAL);
        ptos = 0;
        for (int fila = 0; fila < TAM; ++fila) {
            for (int col = 0; col < TAM; ++col) {
                ejecuta_tirada(jugador, 3 - jugador, fila, col, 1, 1);
            }
        }
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
        EXPECT_EQ(perft(1, 2, profundidad), PERFT[profundidad]) << "depth " << profundidad;
        EXPECT_EQ(tablero_como_dibujo(), INICIAL) << "depth " << profundidad;
    }
}

TEST(Perft, PassesAreOnePlyAndAStuckBoardIsALeaf)
{
    // White cannot flank the two black discs on the edge; black has three moves.
    const Dibujo blanco_pasa = {"NB......", "NB......", "........", "........",
                                "........", "........", "........", "........"};
    poner_tablero(blanco_pasa);
    EXPECT_EQ(perft(1, 2, 1), 1u);
    EXPECT_EQ(perft(1, 2, 2), 3u);
    const Dibujo solo_blancas = {"BB......", "........", "........", "........",
                                 "........", "........", "........", "........"};
    poner_tablero(solo_blancas);
    EXPECT_EQ(perft(1, 2, 5), 1u);
}

} // namespace
