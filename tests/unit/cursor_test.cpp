// Cursor navigation: the arrows move the cursor onto empty squares only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apoyo/tablero.h"
#include "game/estado.h"
#include "input/teclado.h"

namespace {

constexpr int TECLA_F1 = 1; // GLUT's code of F1: a special key that is no arrow

const Dibujo INICIAL = {"........", "........", "........", "...BN...",
                        "...NB...", "........", "........", "........"};
const Dibujo FILA_3_EMPIEZA_OCUPADA = {"........", "........", "........", "BN.BN...",
                                       "...NB...", "........", "........", "........"};
// Column 3 has gaps at rows 0, 5 and 7; column 4 is occupied from row 0 to row 4.
const Dibujo COLUMNAS_3_Y_4 = {"....B...", "...BN...", "...NB...", "...BN...",
                               "...NB...", "........", "...B....", "........"};
const Dibujo RESTO_DE_FILA_OCUPADO = {"........", "........", "........", "N.BNNNNN",
                                      "BB......", "........", "........", "........"};
const Dibujo LLENO = {"BBBBBBBB", "NNNNNNNN", "BBBBBBBB", "NNNNNNNN",
                      "BBBBBBBB", "NNNNNNNN", "BBBBBBBB", "NNNNNNNN"};
const Dibujo SOLO_4_2_VACIA = {"BBBBBBBB", "NNNNNNNN", "BBBBBBBB", "NNNNNNNN",
                               "BB.BBBBB", "NNNNNNNN", "BBBBBBBB", "NNNNNNNN"};

struct Paso {
    const char *caso;
    const Dibujo &tablero;
    int z, x, tecla, z_fin, x_fin;
};

const std::vector<Paso> PASOS = {
    {"derecha desde (0,0)", INICIAL, 0, 0, TECLA_DERECHA, 0, 1},
    {"izquierda desde (0,0) da la vuelta a (7,7)", INICIAL, 0, 0, TECLA_IZQUIERDA, 7, 7},
    {"derecha desde (7,7) da la vuelta a (0,0)", INICIAL, 7, 7, TECLA_DERECHA, 0, 0},
    {"izquierda desde el principio de una fila va al final de la anterior", INICIAL, 1, 0,
     TECLA_IZQUIERDA, 0, 7},
    {"derecha desde (2,7) recorre la fila 3 desde la columna 0", FILA_3_EMPIEZA_OCUPADA, 2, 7,
     TECLA_DERECHA, 3, 2},
    {"derecha salta el resto ocupado de la fila", RESTO_DE_FILA_OCUPADO, 3, 1, TECLA_DERECHA, 4, 2},
    {"izquierda salta lo ocupado hacia atras", RESTO_DE_FILA_OCUPADO, 4, 2, TECLA_IZQUIERDA, 3, 1},
    {"derecha desde la ficha de la maquina en (3,4)", INICIAL, 3, 4, TECLA_DERECHA, 3, 5},
    {"izquierda desde (3,3)", INICIAL, 3, 3, TECLA_IZQUIERDA, 3, 2},
    {"arriba desde (5,3) salta las filas 4 y 3", INICIAL, 5, 3, TECLA_ARRIBA, 2, 3},
    {"abajo desde (2,4) salta las filas 3 y 4", INICIAL, 2, 4, TECLA_ABAJO, 5, 4},
    {"arriba en la fila 0 no se mueve", INICIAL, 0, 3, TECLA_ARRIBA, 0, 3},
    {"abajo en la fila 7 no se mueve", INICIAL, 7, 3, TECLA_ABAJO, 7, 3},
    {"arriba salta cuatro fichas hasta la fila 0", COLUMNAS_3_Y_4, 5, 3, TECLA_ARRIBA, 0, 3},
    {"abajo salta una ficha hasta la fila 7", COLUMNAS_3_Y_4, 5, 3, TECLA_ABAJO, 7, 3},
    {"arriba con la columna ocupada hasta el borde no se mueve", COLUMNAS_3_Y_4, 5, 4, TECLA_ARRIBA,
     5, 4},
    {"F1 no mueve el cursor", INICIAL, 2, 5, TECLA_F1, 2, 5},
};

TEST(Cursor, CadaTeclaLlevaALaCasillaVaciaQueToca)
{
    for (const Paso &p : PASOS) {
        SCOPED_TRACE(p.caso);
        estado_de_arranque();
        poner_tablero(p.tablero);
        z_actual = p.z;
        x_actual = p.x;
        const int redibujos = redibujos_pedidos;
        keyboard_especial(p.tecla, 0, 0);
        EXPECT_EQ(z_actual, p.z_fin);
        EXPECT_EQ(x_actual, p.x_fin);
        EXPECT_EQ(tablero_como_dibujo(), p.tablero);
        EXPECT_EQ(redibujos_pedidos - redibujos, 1);
    }
}

// A full board, or one whose only empty square is the cursor's own, leaves no square to go to:
// every arrow must end and leave the cursor where it is.
TEST(Cursor, SinOtraCasillaVaciaNoSeMueve)
{
    struct Caso {
        const char *caso;
        const Dibujo &tablero;
        int z, x;
    };
    for (const Caso &c : {Caso{"tablero lleno", LLENO, 5, 6},
                          Caso{"solo la casilla del cursor vacia", SOLO_4_2_VACIA, 4, 2}}) {
        for (int tecla : {TECLA_IZQUIERDA, TECLA_ARRIBA, TECLA_DERECHA, TECLA_ABAJO}) {
            SCOPED_TRACE(std::string(c.caso) + ", tecla " + std::to_string(tecla));
            estado_de_arranque();
            poner_tablero(c.tablero);
            z_actual = c.z;
            x_actual = c.x;
            keyboard_especial(tecla, 0, 0);
            EXPECT_EQ(z_actual, c.z);
            EXPECT_EQ(x_actual, c.x);
        }
    }
}

TEST(Cursor, CualquierTeclaEspecialBorraSoloElMensajeDeCasillaIlegal)
{
    for (int antes = MSG_NINGUNO; antes <= MSG_EMPATE; ++antes) {
        for (int tecla : {TECLA_IZQUIERDA, TECLA_ARRIBA, TECLA_DERECHA, TECLA_ABAJO, TECLA_F1}) {
            SCOPED_TRACE("msg " + std::to_string(antes) + ", tecla " + std::to_string(tecla));
            estado_de_arranque();
            msg = static_cast<std::int8_t>(antes);
            keyboard_especial(tecla, 0, 0);
            EXPECT_EQ(msg, antes == MSG_ILEGAL ? MSG_NINGUNO : antes);
        }
    }
}

} // namespace
