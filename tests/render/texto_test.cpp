// The window's texts: drawn where their raster positions project, or from the window's edge when
// that is outside it, shown and hidden as the game goes.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

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

// A text of mensajes(): its world point, its words and its font.
struct TextoVentana {
    const char *que;
    double x, y, z;
    std::string texto;
    void *fuente;
};

int ancho_de(const TextoVentana &t)
{
    return glutBitmapLength(t.fuente, reinterpret_cast<const unsigned char *>(t.texto.c_str()));
}

struct Tinta {
    int claros;
    std::array<int, 3> color;
};

// What a text looks like in the window when it starts at (x, y): its lit pixels in a box that
// holds the whole text, with two pixels to spare each side, its descenders and the tops of its
// capitals, cut to the window; and the brightest of them, the text's colour.
Tinta tinta_de(const TextoVentana &t, int x, int y)
{
    const int desde = std::max(0, x - 2);
    const int hasta = std::min(glutGet(GLUT_WINDOW_WIDTH), x + ancho_de(t) + 2);
    return {pixeles_claros(desde, y - 6, hasta - desde, 26),
            color_mas_claro(desde, y - 6, hasta - desde, 26)};
}

// On a 5:4 screen the title and the first help line start just left of the window; on a
// portrait one the whole left column does, and the counts start just right of it. Each text is
// drawn all the same from the nearest point inside: whole (as many lit pixels as at full screen,
// where every text starts inside and fits), from the left edge or ending at the right one, grey
// like the other texts.
TEST_F(Textos, EnPantallasEstrechasCadaTextoEmpiezaDentroYSeVeEntero)
{
    msg = 3; // the longest status line, under the computer's last move
    primera_tirada = 0;
    imax = 2;
    nmax = 3;
    char ultima[64];
    ASSERT_TRUE(linea_ultima_tirada(ultima, sizeof ultima));
    const std::vector<TextoVentana> textos = {
        {"title", 0, 7.5, 9, "VOLTARO v.1.0             (BY TORNALUX)", GLUT_BITMAP_HELVETICA_18},
        {"help 1", 0, 7, 9, "UTILIZA LOS CURSORES PARA DESPLAZARTE POR EL TABLERO.",
         GLUT_BITMAP_HELVETICA_12},
        {"help 2", 0, 6.5, 9, "PARA TIRAR, PULSA 'ESPACIO'.", GLUT_BITMAP_HELVETICA_12},
        {"help 3", 0, 6, 9, "VUELVE A PULSAR 'ESPACIO' PARA QUE TIRE LA MAQUINA.",
         GLUT_BITMAP_HELVETICA_12},
        {"last move", 0, 5, 9, ultima, GLUT_BITMAP_HELVETICA_18},
        {"status", 0, 4, 9, texto_mensaje(msg), GLUT_BITMAP_HELVETICA_18},
        {"white count", 6, 7, 0, "FICHAS BLANCAS: 2", GLUT_BITMAP_HELVETICA_18},
        {"black count", 6, 6.7, 0, "FICHAS NEGRAS:  2", GLUT_BITMAP_HELVETICA_18},
    };

    dibuja_fotograma();
    std::vector<Tinta> a_pantalla_completa;
    for (const TextoVentana &t : textos) {
        const auto p = proyecta(t.x, t.y, t.z);
        a_pantalla_completa.push_back(tinta_de(t, p[0], p[1]));
        ASSERT_GT(a_pantalla_completa.back().claros, 100) << t.que << " at full screen";
    }

    struct Forma {
        int ancho, alto;
    };
    for (const Forma f : {Forma{1280, 1024}, Forma{768, 1024}}) {
        cambia_tamano(f.ancho, f.alto);
        ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), f.ancho);
        ASSERT_EQ(glutGet(GLUT_WINDOW_HEIGHT), f.alto);
        dibuja_fotograma();
        for (size_t i = 0; i < textos.size(); ++i) {
            const TextoVentana &t = textos[i];
            const auto p = proyecta(t.x, t.y, t.z);
            const int x = p[0] < 0 ? 0 : (p[0] >= f.ancho ? f.ancho - ancho_de(t) : p[0]);
            const Tinta tinta = tinta_de(t, x, p[1]);
            const Tinta &referencia = a_pantalla_completa[i];
            const auto &c = tinta.color;
            EXPECT_EQ(tinta.claros, referencia.claros)
                << t.que << " at " << f.ancho << " x " << f.alto << ", projected at x " << p[0];
            EXPECT_TRUE(c[0] == c[1] && c[1] == c[2] && std::abs(c[0] - referencia.color[0]) <= 10)
                << t.que << " at " << f.ancho << " x " << f.alto << " is " << c[0] << "," << c[1]
                << "," << c[2] << "; at full screen " << referencia.color[0];
        }
    }
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
