// The drawn board: square colours, tiles, cursor, full screen and the disc counts of a frame.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "apoyo/tablero.h"
#include "game/estado.h"
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

bool es_rojo(const std::array<int, 3> &c)
{
    return c[0] > 100 && c[1] < 30 && c[2] < 30;
}
bool es_azul(const std::array<int, 3> &c)
{
    return c[2] > 100 && c[0] < 30 && c[1] < 30;
}
bool es_verde(const std::array<int, 3> &c)
{
    return c[1] > 100 && c[0] < 30 && c[2] < 30;
}

TEST_F(Escena, LaVentanaOcupaLaPantallaEntera)
{
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_SCREEN_WIDTH));
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), glutGet(GLUT_SCREEN_HEIGHT));
}

TEST_F(Escena, CasillasRojasYAzulesAlternas)
{
    z_actual = 2; // the cursor away from the squares looked at
    x_actual = 2;
    dibuja_fotograma();
    struct Caso {
        int fila, col;
        bool roja;
    };
    for (const Caso &c : {Caso{0, 0, true}, Caso{0, 1, false}, Caso{1, 0, false}, Caso{7, 7, true},
                          Caso{7, 6, false}, Caso{5, 2, false}}) {
        const auto color = color_en(c.col + 0.5, 0.0, c.fila + 0.5);
        EXPECT_TRUE(c.roja ? es_rojo(color) : es_azul(color))
            << "square (" << c.fila << "," << c.col << ") is " << color[0] << "," << color[1] << ","
            << color[2];
    }
}

TEST_F(Escena, CursorVerdeSobreLaCasillaYBajoLaFicha)
{
    dibuja_fotograma();
    EXPECT_TRUE(es_verde(color_en(0.5, 0.01, 0.5))) << "cursor at (0,0)";

    z_actual = 3; // on the white disc at (3,3): the tile hides the cursor's centre, not its rim
    x_actual = 3;
    dibuja_fotograma();
    const auto centro = color_en(3.5, 0.16, 3.5);
    EXPECT_FALSE(es_verde(centro));
    EXPECT_TRUE(es_verde(color_en(3.1, 0.01, 3.9))) << "cursor rim beside the tile";
}

// The tiles are cubes squashed to a fifth of their height, and normals are not renormalised:
// their top faces take five times the diffuse light of an unscaled surface.
TEST_F(Escena, FichasBlancasYGrisesConLaCaraSuperiorMuyIluminada)
{
    dibuja_fotograma();
    const auto blanca = color_en(3.5, 0.16, 3.5);
    const auto gris = color_en(3.5, 0.16, 4.5);
    const auto casilla = color_en(2.5, 0.0, 2.5); // red square (2,2) beside the tiles
    ASSERT_TRUE(es_rojo(casilla));

    EXPECT_GE(blanca[0], 250);
    EXPECT_EQ(blanca[0], blanca[1]);
    EXPECT_EQ(blanca[1], blanca[2]);
    EXPECT_GT(blanca[0], casilla[0] + 20) << "white top brighter than the square's surface";

    EXPECT_EQ(gris[0], gris[1]);
    EXPECT_EQ(gris[1], gris[2]);
    EXPECT_LT(gris[0], blanca[0]);
    // A unit normal would light the grey (0.3) top at 0.3 of the red square's red channel.
    EXPECT_GT(gris[0], 1.5 * 0.3 * casilla[0])
        << "grey top " << gris[0] << ", square " << casilla[0];
}

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

TEST_F(Escena, UnaFichaEnLaUltimaCasillaNoCambiaElCursorNiLosTextos)
{
    x_actual = 5;
    z_actual = 5;
    dibuja_fotograma();
    const auto cursor_sin = color_en(5.5, 0.01, 5.5);
    const auto titulo = proyecta(0, 7.5, 9);
    const int texto_sin = pixeles_claros(titulo[0], titulo[1], 300, 16);

    matriz[7][7] = 2;
    dibuja_fotograma();
    EXPECT_EQ(color_en(5.5, 0.01, 5.5), cursor_sin);
    EXPECT_EQ(pixeles_claros(titulo[0], titulo[1], 300, 16), texto_sin);
}

} // namespace
