// Degenerate window sizes: a minimised window may report a height of 0, and nothing stops a
// width of 0 either. The projection that reshape leaves must stay finite and invertible, frames
// drawn at that size must raise no GL error, and the next ordinary size must draw the opening's
// whole frame again.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>

#include "apoyo/tablero.h"
#include "game/estado.h"
#include "render/escena.h"
#include "render/foto.h"
#include "render/ventana_prueba.h"

namespace {

TEST(Reshape, TamanosDegeneradosDejanUnaProyeccionUtil)
{
    abre_ventana();
    estado_de_arranque();
    struct Tamano {
        int ancho, alto;
    };
    for (const Tamano &t : {Tamano{800, 0}, Tamano{0, 0}, Tamano{0, 600}, Tamano{1, 1}}) {
        reshape(t.ancho, t.alto);
        GLdouble proyeccion[16];
        glGetDoublev(GL_PROJECTION_MATRIX, proyeccion);
        for (const GLdouble v : proyeccion) {
            EXPECT_TRUE(std::isfinite(v)) << t.ancho << " x " << t.alto;
        }
        // The x and y scales: 0 would flatten the whole scene into a line.
        EXPECT_NE(proyeccion[0], 0.0) << t.ancho << " x " << t.alto;
        EXPECT_NE(proyeccion[5], 0.0) << t.ancho << " x " << t.alto;
        display();
        glFinish();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << t.ancho << " x " << t.alto;
    }

    dibuja_fotograma(); // the window's own size again
    EXPECT_TRUE(es_la_foto("apertura"));
}

} // namespace
