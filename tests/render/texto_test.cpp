// The text writer's sizes: what the window's texts look like, everywhere they show, is checked
// whole by the pictures of escena_test.cpp.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "apoyo/tablero.h"
#include "render/texto.h"
#include "render/ventana_prueba.h"

namespace {

TEST(Textos, UnTamanoDesconocidoNoDibujaNiMueveLaPosicion)
{
    abre_ventana();
    estado_de_arranque();
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
