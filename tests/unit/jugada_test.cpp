// The computer player: scores, the greedy choice, the corner rule and the coin toss.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ai/jugada.h"
#include "ai/moneda.h"
#include "apoyo/tablero.h"
#include "game/estado.h"

namespace {

using Casilla = std::pair<int, int>;

struct Puntuada {
    Casilla casilla;
    int puntos;
};

// A position with black to move: every square black scores above 0 (all others score 0), and
// the square chosen whatever the coin says, with the corner rule (mode 3) and without (mode 0).
struct Eleccion {
    const char *que;
    Dibujo tablero;
    std::vector<Puntuada> legales;
    Casilla con_esquinas, sin_esquinas;
};

const Eleccion ELECCIONES[] = {
    {"the only legal corner, (7,7) with 1, beats (2,2) with 3",
     {"........", "........", "...BN...", "..BB....", "..N.N...", ".....N..", "......B.",
      "........"},
     {{{2, 2}, 3}, {{7, 7}, 1}},
     {7, 7},
     {2, 2}},
    {"(7,0) scores more than (0,0), which stays the reference",
     {".BN..NB.", "......BB", ".....N.N", "........", "........", "N.N.....", "BB......",
      "........"},
     {{{0, 0}, 1}, {{0, 7}, 3}, {{7, 0}, 2}, {{7, 2}, 1}},
     {7, 0},
     {0, 7}},
    {"(7,0) only equals the reference",
     {".BN..NB.", "......BB", ".....N.N", "........", "........", "N.......", "B.......",
      "........"},
     {{{0, 0}, 1}, {{0, 7}, 3}, {{7, 0}, 1}},
     {0, 7},
     {0, 7}},
    {"(0,0), once taken, keeps the choice against a later corner that scores less",
     {".BN.....", "B..N....", "N..B....", ".NB.....", "...B....", "...N...N", ".......B",
      "........"},
     {{{0, 0}, 2}, {{3, 3}, 3}, {{7, 7}, 1}},
     {0, 0},
     {3, 3}},
    {"without (0,0) the first legal corner; a unique best square after lower ones",
     {".....NB.", "........", "........", "........", "........", "N.N.....", "BB......",
      "........"},
     {{{0, 7}, 1}, {{7, 0}, 2}, {{7, 2}, 1}},
     {0, 7},
     {7, 0}},
};

TEST(JugadaModo, ScoresEverySquareAndChoosesWhateverTheCoin)
{
    for (const Eleccion &e : ELECCIONES) {
        int esperado[TAM][TAM] = {};
        for (const Puntuada &p : e.legales) {
            esperado[p.casilla.first][p.casilla.second] = p.puntos;
        }
        for (int modo_juego : {3, 0}) {
            SCOPED_TRACE(testing::Message() << e.que << ", mode " << modo_juego);
            for (unsigned semilla = 1; semilla <= 20; ++semilla) {
                siembra_moneda(semilla);
                poner_tablero(e.tablero);
                std::memset(ia, -1, sizeof ia);
                jugada_modo(ia, NEGRAS, BLANCAS, modo_juego);
                EXPECT_EQ(Casilla(imax, nmax), modo_juego == 3 ? e.con_esquinas : e.sin_esquinas)
                    << "seed " << semilla;
                EXPECT_EQ(std::vector<int>(&ia[0][0], &ia[0][0] + TAM * TAM),
                          std::vector<int>(&esperado[0][0], &esperado[0][0] + TAM * TAM));
                EXPECT_EQ(tablero_como_dibujo(), e.tablero) << "choosing plays nothing";
            }
        }
    }
}

// Black in the opening has four squares of one direction each: (2,3), (3,2), (4,5), (5,4). The
// 19 squares before (2,3) score 0 and tie with the best of 0 so far, so each of them draws once;
// then each of the three later squares draws once and takes the choice on a remainder above 4.
// The C library's own rand(), seeded alike, says which square the coin must choose.
Casilla prevista_en_la_apertura(unsigned semilla)
{
    std::srand(semilla);
    for (int i = 0; i < 19; ++i) {
        std::rand();
    }
    Casilla prevista{2, 3};
    for (Casilla empatada : {Casilla{3, 2}, Casilla{4, 5}, Casilla{5, 4}}) {
        if (std::rand() % 10 > 4) {
            prevista = empatada;
        }
    }
    return prevista;
}

// What Mesa does while it fills its shader cache: it draws from rand(), and may seed it, in the
// game's process. None of it may change the computer's replies.
void otra_biblioteca_tira_de_rand()
{
    for (int i = 0; i < 50; ++i) {
        std::rand();
    }
    std::srand(12345);
    std::rand();
}

Casilla elegida_en_la_apertura()
{
    estado_de_arranque();
    jugada_modo(ia, NEGRAS, BLANCAS, modo);
    return {imax, nmax};
}

TEST(JugadaModo, TiesFollowTheCLibraryCoin)
{
    std::set<Casilla> vistas;
    for (unsigned semilla = 1; semilla <= 40; ++semilla) {
        const Casilla prevista = prevista_en_la_apertura(semilla);
        siembra_moneda(semilla);
        otra_biblioteca_tira_de_rand();
        EXPECT_EQ(elegida_en_la_apertura(), prevista) << "seed " << semilla;
        vistas.insert(prevista);
    }
    EXPECT_EQ(vistas.size(), 4u) << "every tied square is chosen for some seed";
}

TEST(JugadaModo, AFreshProcessRepliesAsTheUnseededGenerator)
{
    // The threadsafe style runs the statement in a newly started copy of this program, whose coin
    // has never been tossed nor seeded, and where another library then draws from rand().
    const std::string estilo = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    int codigo = -1;
    const auto salida = [&codigo](int estado) {
        codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
        return true;
    };
    EXPECT_EXIT(
        {
            otra_biblioteca_tira_de_rand();
            const Casilla elegida = elegida_en_la_apertura();
            std::exit(elegida.first * TAM + elegida.second);
        },
        salida, "");
    GTEST_FLAG_SET(death_test_style, estilo);
    const Casilla prevista = prevista_en_la_apertura(1);
    EXPECT_EQ(codigo, prevista.first * TAM + prevista.second);
}

} // namespace
