// The window's texts: drawn where their raster positions project, shown and hidden as the game
// goes.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "apoyo/tablero.h"
#include "game/estado.h"
#include "input/teclado.h"
#include "render/texto.h"
#include "render/ventana_prueba.h"

namespace {

class Textos : public testing::Test {
  protected:
    void SetUp() override
    {
        abre_ventana();
        estado_de_arranque();
    }

    // Bright pixels in a strip to the right of and above a text's raster position.
    static int tinta_en(double x, double y, double z)
    {
        const auto p = proyecta(x, y, z);
        return pixeles_claros(p[0], p[1], 260, 14);
    }

    static void pulsa(unsigned char tecla)
    {
        salida_de([tecla] { keyboard(tecla, 0, 0); });
    }
};

TEST_F(Textos, AlEmpezarTituloYContadoresSinJugadaNiMensaje)
{
    dibuja_fotograma();
    EXPECT_GT(tinta_en(0, 7.5, 9), 100) << "title";
    EXPECT_GT(tinta_en(0, 7, 9), 50) << "help line";
    EXPECT_GT(tinta_en(6, 7, 0), 50) << "white count";
    EXPECT_GT(tinta_en(6, 6.7, 0), 50) << "black count";
    EXPECT_EQ(tinta_en(0, 5, 9), 0) << "no last move yet";
    EXPECT_EQ(tinta_en(0, 4, 9), 0) << "no status message";
}

TEST_F(Textos, IntentoIlegalMuestraElMensajeSinJugada)
{
    pulsa(TECLA_ESPACIO); // (0,0) flanks nothing
    ASSERT_EQ(msg, 1);
    dibuja_fotograma();
    EXPECT_GT(tinta_en(0, 4, 9), 100);
    EXPECT_EQ(tinta_en(0, 5, 9), 0) << "the computer has not moved yet";

    keyboard_especial(TECLA_DERECHA, 0, 0);
    dibuja_fotograma();
    EXPECT_EQ(tinta_en(0, 4, 9), 0) << "an arrow clears the message";
}

TEST_F(Textos, LaJugadaDelJugadorYLaDeLaMaquinaSeMuestran)
{
    z_actual = 2; // C5
    x_actual = 4;
    pulsa(TECLA_ESPACIO);
    char linea[64];
    ASSERT_TRUE(linea_ultima_tirada(linea, sizeof linea));
    EXPECT_STREQ(linea, "HAS TIRADO EN: C 5.");
    dibuja_fotograma();
    EXPECT_GT(tinta_en(0, 5, 9), 100);

    pulsa(TECLA_ESPACIO);
    ASSERT_TRUE(linea_ultima_tirada(linea, sizeof linea));
    char esperada[64];
    std::snprintf(esperada, sizeof esperada, "MAQUINA HA TIRADO EN: %c %d.", 'A' + imax, nmax + 1);
    EXPECT_STREQ(linea, esperada);
    dibuja_fotograma();
    EXPECT_GT(tinta_en(0, 5, 9), 100);
}

TEST_F(Textos, UnTamanoDesconocidoNoDibujaNiMueveLaPosicion)
{
    dibuja_fotograma();
    glRasterPos3f(0, 5, 9);
    GLfloat antes[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, antes);
    EscribirTexto("NADA", 14);
    GLfloat despues[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, despues);
    EXPECT_EQ(antes[0], despues[0]);
    EscribirTexto("ALGO", 18);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, despues);
    EXPECT_GT(despues[0], antes[0]);
}

} // namespace
