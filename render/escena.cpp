// render/escena.cpp — the 3D scene. Square (row, column) covers x from column to column+1 and z
// from row to row+1 in the plane y = 0; every colour is the ambient and diffuse material of both
// faces, lit by one positional light.
#include "render/escena.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include "game/estado.h"
#include "render/texto.h"

namespace {

const GLfloat light_position[] = {18.0F, 10.0F, 18.0F,
                                  1.0F}; // eye coordinates: fixed to the viewer
const GLfloat ambient_color[] = {0.4F, 0.4F, 0.4F, 1.0F};
const GLfloat diffuse_color[] = {0.4F, 0.4F, 0.4F, 1.0F};
const GLfloat specular_color[] = {0.4F, 0.4F, 0.4F, 1.0F};

const GLfloat ROJO[] = {1.0F, 0.0F, 0.0F, 1.0F};   // squares with row + column even
const GLfloat AZUL[] = {0.0F, 0.0F, 1.0F, 1.0F};   // squares with row + column odd
const GLfloat BLANCO[] = {1.0F, 1.0F, 1.0F, 1.0F}; // white discs, and the texts
const GLfloat GRIS[] = {0.3F, 0.3F, 0.3F, 1.0F};   // black discs
const GLfloat VERDE[] = {0.0F, 1.0F, 0.0F, 1.0F};  // cursor
const GLfloat NEGRO[] = {0.0F, 0.0F, 0.0F, 1.0F};  // specular and emission of every material

void pon_color(const GLfloat *color)
{
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, color);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, color);
}

// The unit square at y = 0 of the current frame. With `con_normal` each vertex carries the
// upward normal; without it the square is lit with whatever normal is current.
void cuadro(bool con_normal)
{
    const GLfloat vertices[4][3] = {{1, 0, 0}, {0, 0, 0}, {0, 0, 1}, {1, 0, 1}};
    glBegin(GL_QUADS);
    for (const auto &v : vertices) {
        if (con_normal) {
            glNormal3f(0.0F, 1.0F, 0.0F);
        }
        glVertex3fv(v);
    }
    glEnd();
}

// Draws one disc, a flat tile over the centre of the square whose frame is current.
void ficha()
{
    glPushMatrix();
    glTranslatef(0.5F, 0.1F, 0.5F);
    glScalef(1.0F, 0.2F, 1.0F);
    glutSolidCube(0.6);
    glPopMatrix();
}

void casilla(int fila, int col)
{
    pon_color((fila + col) % 2 == 0 ? ROJO : AZUL);
    glPushMatrix();
    glTranslatef(static_cast<GLfloat>(col), 0.0F, static_cast<GLfloat>(fila));
    cuadro(true);
    if (matriz[fila][col] == BLANCAS) {
        pon_color(BLANCO);
        ficha();
    } else if (matriz[fila][col] == NEGRAS) {
        pon_color(GRIS);
        ficha();
    }
    glPopMatrix();
}

// The cursor, 0.01 above the board so that it shows on an occupied square too. The upward
// normal is set again first: what the cube drawing of a disc on (7,7) leaves current is GLUT's
// business, and the texts drawn after the cursor are lit with the same normal.
void cursor()
{
    pon_color(VERDE);
    glNormal3f(0.0F, 1.0F, 0.0F);
    glPushMatrix();
    glTranslatef(static_cast<GLfloat>(x_actual), 0.01F, static_cast<GLfloat>(z_actual));
    cuadro(false);
    glPopMatrix();
}

// Whether GL has taken the window's size afresh since it was attached to the window: after the
// first buffer swap it has, for good.
bool al_dia = false;

// Before the first frame, GL's buffers keep the size the window had when GL was first attached to
// it, which the scissor box still holds (the game never sets one). Mesa's software renderer takes
// that size inside glutCreateWindow, before the window is mapped, and takes the window's size
// again only at the first drawing after each buffer swap; so a first frame drawn once the window
// has another size (the full-screen one, or one a window manager gave it on mapping it) would be
// a frame for the new size drawn into buffers of the old one: the window would show the lower
// left corner of the right frame, no texts, until the next frame. A swap of a cleared buffer
// (black, as the window is before its first frame) makes the first frame take the window's size
// as every later one does.
void toma_tamano(int ancho, int alto)
{
    if (al_dia) {
        return;
    }
    GLint caja[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, caja);
    if (ancho == caja[2] && alto == caja[3]) {
        return;
    }
    glClearColor(0.0F, 0.0F, 0.0F, 0.0F);
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
    al_dia = true;
}

} // namespace

void iniciar_iluminacion()
{
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glLightfv(GL_LIGHT0, GL_POSITION, light_position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient_color);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse_color);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular_color);
    glEnable(GL_LIGHT0);
}

void reshape(int ancho, int alto)
{
    toma_tamano(ancho, alto);
    if (alto == 0) {
        alto = 1;
    }
    glViewport(0, 0, ancho, alto);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, static_cast<GLdouble>(ancho) / static_cast<GLdouble>(alto), 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(18.0, 10.0, 18.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
}

void display()
{
    contar_fichas();
    glClearColor(0.0F, 0.0F, 0.0F, 0.0F);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, NEGRO);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, NEGRO);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0.0F);
    for (int fila = 0; fila < TAM; ++fila) {
        for (int col = 0; col < TAM; ++col) {
            casilla(fila, col);
        }
    }
    cursor();
    // The texts take their colour from the lit raster position, so from this white material.
    pon_color(BLANCO);
    glColor3f(1.0F, 1.0F, 1.0F);
    ejes();
    mensajes();
    glutSwapBuffers();
    al_dia = true;
}
