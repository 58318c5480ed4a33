// The window's first frame, drawn only once the window has grown to full screen. GL's buffers
// were made for the 1024 x 768 that glutCreateWindow gave the window; the first frame must still be
// drawn for the window's size, as every later one is, and not leave the lower left 1024 x 768 of
// the right frame at the window's top left corner, without the texts.
#include <gtest/gtest.h>

#include <array>

#include "apoyo/tablero.h"
#include "render/ventana_prueba.h"

namespace {

// GLUT's frames while the window opens and goes full screen are not drawn.
void sin_dibujar() {}

bool es_rojo(const std::array<int, 3> &c)
{
    return c[0] > 100 && c[1] < 30 && c[2] < 30;
}

TEST(PrimerFotograma, DibujadoTrasCrecerLaVentanaLaLlena)
{
    abre_ventana(sin_dibujar);
    estado_de_arranque();
    dibuja_fotograma(); // the process's first frame
    // Red squares (row + column even) from the far corner to the near one, away from the cursor.
    for (const auto &casilla :
         {std::array<int, 2>{0, 2}, std::array<int, 2>{1, 1}, std::array<int, 2>{7, 7}}) {
        const auto color = color_en(casilla[1] + 0.5, 0.0, casilla[0] + 0.5);
        EXPECT_TRUE(es_rojo(color)) << "square (" << casilla[0] << "," << casilla[1] << ") is "
                                    << color[0] << "," << color[1] << "," << color[2];
    }
    const auto titulo = proyecta(0, 7.5, 9);
    EXPECT_GT(pixeles_claros(titulo[0], titulo[1], 260, 14), 100) << "title";
    const auto blancas = proyecta(6, 7, 0);
    EXPECT_GT(pixeles_claros(blancas[0], blancas[1], 260, 14), 50) << "white count";
}

} // namespace
