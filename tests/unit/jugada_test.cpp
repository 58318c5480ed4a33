// The computer player: scores, the greedy choice, the corner rule and the coin toss.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "ai/jugada.h"
#include "apoyo/tablero.h"
#include "game/estado.h"

namespace {

using Casilla = std::pair<int, int>;

struct Puntuada {
    Casilla casilla;
    int puntos;
};

// A position with black to move: every square black scores above 0 (all others score 0), the
// mode, and the square chosen whatever rand() says.
struct Eleccion {
    const char *que;
    Dibujo tablero;
    std::vector<Puntuada> legales;
    int modo_juego;
    Casilla elegida;
};

// (7,7) is the only legal corner and scores 1; (2,2) scores 3.
const Dibujo ESQUINA_POBRE = {"........", "........", "...BN...", "..BB....",
                              "..N.N...", ".....N..", "......B.", "........"};
// Corners (0,0) 1, (0,7) 3, (7,0) 2.
const Dibujo TRES_ESQUINAS = {".BN..NB.", "......BB", ".....N.N", "........",
                              "........", "N.N.....", "BB......", "........"};
// Corners (0,0) 1, (0,7) 3, (7,0) 1.
const Dibujo TRES_ESQUINAS_EMPATE = {".BN..NB.", "......BB", ".....N.N", "........",
                                     "........", "N.......", "B.......", "........"};
// Corners (0,7) 1 and (7,0) 2; (0,0) not legal.
const Dibujo SIN_PRIMERA_ESQUINA = {".....NB.", "........", "........", "........",
                                    "........", "N.N.....", "BB......", "........"};

const Eleccion ELECCIONES[] = {
    {"the only legal corner beats a better square",
     ESQUINA_POBRE,
     {{{2, 2}, 3}, {{7, 7}, 1}},
     3,
     {7, 7}},
    {"without the corner rule the best square",
     ESQUINA_POBRE,
     {{{2, 2}, 3}, {{7, 7}, 1}},
     0,
     {2, 2}},
    {"(7,0) scores more than (0,0), which stays the reference",
     TRES_ESQUINAS,
     {{{0, 0}, 1}, {{0, 7}, 3}, {{7, 0}, 2}, {{7, 2}, 1}},
     3,
     {7, 0}},
    {"without the corner rule the one square of 3",
     TRES_ESQUINAS,
     {{{0, 0}, 1}, {{0, 7}, 3}, {{7, 0}, 2}, {{7, 2}, 1}},
     0,
     {0, 7}},
    {"(7,0) only equals the reference",
     TRES_ESQUINAS_EMPATE,
     {{{0, 0}, 1}, {{0, 7}, 3}, {{7, 0}, 1}},
     3,
     {0, 7}},
    {"without (0,0) the first legal corner",
     SIN_PRIMERA_ESQUINA,
     {{{0, 7}, 1}, {{7, 0}, 2}, {{7, 2}, 1}},
     3,
     {0, 7}},
    {"a unique best square after lower ones",
     SIN_PRIMERA_ESQUINA,
     {{{0, 7}, 1}, {{7, 0}, 2}, {{7, 2}, 1}},
     0,
     {7, 0}},
};

TEST(JugadaModo, ScoresEverySquareAndChoosesWhateverTheCoin)
{
    for (const Eleccion &e : ELECCIONES) {
        SCOPED_TRACE(testing::Message() << e.que << ", mode " << e.modo_juego);
        int esperado[TAM][TAM] = {};
        for (const Puntuada &p : e.legales) {
            esperado[p.casilla.first][p.casilla.second] = p.puntos;
        }
        for (unsigned semilla = 1; semilla <= 20; ++semilla) {
            std::srand(semilla);
            poner_tablero(e.tablero);
            std::memset(ia, -1, sizeof ia);
            jugada_modo(ia, 2, 1, e.modo_juego);
            EXPECT_EQ(Casilla(imax, nmax), e.elegida) << "seed " << semilla;
            for (int fila = 0; fila < TAM; ++fila) {
                for (int col = 0; col < TAM; ++col) {
                    EXPECT_EQ(ia[fila][col], esperado[fila][col])
                        << "(" << fila << "," << col << ")";
                }
            }
            EXPECT_EQ(tablero_como_dibujo(), e.tablero) << "choosing plays nothing";
        }
    }
}

// Black in the opening has four squares of one direction each: (2,3), (3,2), (4,5), (5,4). The
// 19 squares before (2,3) score 0 and tie with the best of 0 so far, so each of them draws once;
// then each of the three later squares draws once and takes the choice on a remainder above 4.
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

Casilla elegida_en_la_apertura()
{
    estado_de_arranque();
    jugada_modo(ia, 2, 1, modo);
    return {imax, nmax};
}

TEST(JugadaModo, TiesFollowTheCLibraryCoin)
{
    std::set<Casilla> vistas;
    for (unsigned semilla = 1; semilla <= 40; ++semilla) {
        const Casilla prevista = prevista_en_la_apertura(semilla);
        std::srand(semilla);
        EXPECT_EQ(elegida_en_la_apertura(), prevista) << "seed " << semilla;
        vistas.insert(prevista);
    }
    EXPECT_EQ(vistas.size(), 4u) << "every tied square is chosen for some seed";
}

TEST(JugadaModo, AFreshProcessRepliesAsTheUnseededGenerator)
{
    // The threadsafe style runs the statement in a newly started copy of this program, whose
    // rand() has never been called nor seeded.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    int codigo = -1;
    const auto salida = [&codigo](int estado) {
        codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
        return true;
    };
    EXPECT_EXIT(
        {
            const Casilla elegida = elegida_en_la_apertura();
            std::exit(elegida.first * TAM + elegida.second);
        },
        salida, "");
    const Casilla prevista = prevista_en_la_apertura(1);
    EXPECT_EQ(codigo, prevista.first * TAM + prevista.second);
}

} // namespace
