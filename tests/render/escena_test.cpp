// The drawn window, whole: each checkpoint of a game, at full screen and on the shapes of other
// screens, against its picture in tests/render/fotos; and the disc counts every frame makes.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "ai/moneda.h"
#include "apoyo/tablero.h"
#include "game/estado.h"
#include "input/teclado.h"
#include "render/foto.h"
#include "render/ventana_prueba.h"

namespace {

class Escena : public testing::Test {
  protected:
    void SetUp() override
    {
        abre_ventana(); // its first frames count the discs of whatever board is there
        estado_de_arranque();
    }
};

TEST_F(Escena, CadaFotogramaRecuentaLasFichas)
{
    EXPECT_EQ(numx, 0);
    EXPECT_EQ(num0, 0);
    dibuja_fotograma();
    EXPECT_EQ(numx, 2);
    EXPECT_EQ(num0, 2);

    poner_tablero({"BBBBBBBB", "NNNNNNNN", "B.......", "........", "........", "........",
                   "........", "........"});
    dibuja_fotograma();
    EXPECT_EQ(numx, 9);
    EXPECT_EQ(num0, 8);
}

void pulsa(unsigned char tecla)
{
    salida_de([tecla] { keyboard(tecla, 0, 0); });
}

// The person plays C5, (2,4), from the opening.
void tira_c5()
{
    z_actual = 2;
    x_actual = 4;
    pulsa(TECLA_ESPACIO);
}

// ... and the computer replies, its coin seeded with 1, which is the coin unseeded: the reply of a
// newly started game, (2,5), which the end-to-end tests see on the real game.
void tira_c5_y_responde()
{
    siembra_moneda(1);
    tira_c5();
    pulsa(TECLA_ESPACIO);
}

// A full board at the end of a game, with status message `mensaje`.
void tablero_final(const Dibujo &tablero, std::int8_t mensaje)
{
    poner_tablero(tablero);
    primera_tirada = 0;
    imax = 7;
    nmax = 7;
    z_actual = 7;
    x_actual = 7;
    msg = mensaje;
    play = 0;
}

// A row of white discs, and one of black.
const std::string BLANCA(8, 'B');
const std::string NEGRA(8, 'N');

// A checkpoint: its picture's name, the game brought there from start-up, and the window's size
// (0 x 0 for full screen).
struct Punto {
    const char *nombre;
    std::function<void()> prepara;
    int ancho = 0;
    int alto = 0;
};

// The computer has played, and the person has no square left: the longest status line under the
// last-move line, with every text of the window shown.
void sin_jugada_del_jugador()
{
    tira_c5_y_responde();
    msg = MSG_JUGADOR_PASA;
}

const Punto PUNTOS[] = {
    {"apertura", [] {}},
    {"intento_ilegal", [] { pulsa(TECLA_ESPACIO); }}, // (0,0) flanks nothing: message 1
    {"tras_c5", tira_c5},
    {"tras_la_respuesta", tira_c5_y_responde},
    {"maquina_sin_jugada",
     [] {
         tira_c5_y_responde();
         msg = MSG_MAQUINA_PASA;
     }},
    {"jugador_sin_jugada", sin_jugada_del_jugador},
    {"gana_el_jugador",
     [] {
         tablero_final({BLANCA, BLANCA, BLANCA, BLANCA, "BBBBNNNN", NEGRA, NEGRA, NEGRA},
                       MSG_GANA_JUGADOR);
     }},
    {"gana_la_maquina",
     [] {
         tablero_final({NEGRA, NEGRA, NEGRA, NEGRA, "NNNNBBBB", BLANCA, BLANCA, BLANCA},
                       MSG_GANA_MAQUINA);
     }},
    {"empate",
     [] {
         tablero_final({BLANCA, BLANCA, BLANCA, BLANCA, NEGRA, NEGRA, NEGRA, NEGRA}, MSG_EMPATE);
     }},
    {"pantalla_5_4", sin_jugada_del_jugador, 1280, 1024},
    {"pantalla_vertical", sin_jugada_del_jugador, 768, 1024},
};

// gtest names a failing case's parameter: by its picture.
void PrintTo(const Punto &punto, std::ostream *salida)
{
    *salida << punto.nombre;
}

class Fotos : public Escena, public testing::WithParamInterface<Punto> {};

TEST_P(Fotos, ElFotogramaEsLaFoto)
{
    const Punto &punto = GetParam();
    punto.prepara();
    if (punto.ancho != 0) {
        cambia_tamano(punto.ancho, punto.alto);
    }
    dibuja_fotograma();
    EXPECT_TRUE(es_la_foto(punto.nombre));
}

INSTANTIATE_TEST_SUITE_P(Puntos, Fotos, testing::ValuesIn(PUNTOS),
                         [](const testing::TestParamInfo<Punto> &p) { return p.param.nombre; });

} // namespace
