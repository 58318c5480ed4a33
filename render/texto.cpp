// render/texto.cpp — the window's texts. Their colour comes from the white material that the
// frame sets before them: with lighting on, a raster position is lit like a vertex.
#include "render/texto.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include <algorithm>
#include <cstdio>

#include "game/estado.h"

namespace {

constexpr int LARGO_LINEA = 64; // longer than any text of the window, zero included

// GLUT's Helvetica bitmap font of `tamano` points, 12 or 18, or nullptr for any other size.
void *fuente_de(int tamano)
{
    if (tamano == 12) {
        return GLUT_BITMAP_HELVETICA_12;
    }
    if (tamano == 18) {
        return GLUT_BITMAP_HELVETICA_18;
    }
    return nullptr;
}

// Width in pixels of `texto` drawn in `fuente`.
int ancho_de(void *fuente, const char *texto)
{
    int ancho = 0;
    for (const char *c = texto; *c != '\0'; ++c) {
        ancho += glutBitmapWidth(fuente, static_cast<unsigned char>(*c));
    }
    return ancho;
}

// Sets the raster position of `texto`, in `fuente`, at world point (x, y, z). A point that
// projects outside the window would make the position invalid, and OpenGL would drop the whole
// text; on a narrow window (5:4, portrait) the title and help lines start left of it. Such a
// point is moved, at its depth, to the nearest window point from which the text starts inside
// and, when it fits, ends inside; the position is set at the world point under it, so that the
// text is lit there like the others. Half a pixel of margin keeps the new position inside
// whatever the rounding of the way back.
void situa_texto(GLfloat x, GLfloat y, GLfloat z, void *fuente, const char *texto)
{
    glRasterPos3f(x, y, z);
    GLint valida = GL_FALSE;
    glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valida);
    if (valida == GL_TRUE) {
        return;
    }
    GLdouble modelo[16];
    GLdouble proyeccion[16];
    GLint vista[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelo);
    glGetDoublev(GL_PROJECTION_MATRIX, proyeccion);
    glGetIntegerv(GL_VIEWPORT, vista);
    GLdouble wx = 0;
    GLdouble wy = 0;
    GLdouble wz = 0;
    // Behind the eye or beyond the far plane there is no window point to move to.
    if (gluProject(x, y, z, modelo, proyeccion, vista, &wx, &wy, &wz) == GL_FALSE || wz <= 0.0 ||
        wz >= 1.0) {
        return;
    }
    const GLdouble izquierda = vista[0] + 0.5;
    const GLdouble derecha =
        std::max(izquierda, vista[0] + vista[2] - 0.5 - ancho_de(fuente, texto));
    wx = std::clamp(wx, izquierda, derecha);
    wy = std::clamp(wy, vista[1] + 0.5, std::max(vista[1] + 0.5, vista[1] + vista[3] - 0.5));
    GLdouble ox = 0;
    GLdouble oy = 0;
    GLdouble oz = 0;
    if (gluUnProject(wx, wy, wz, modelo, proyeccion, vista, &ox, &oy, &oz) == GL_TRUE) {
        glRasterPos3d(ox, oy, oz);
    }
}

// Draws `texto` in the font of `tamano` points starting at world point (x, y, z), or at the
// nearest point inside the window when that one is outside.
void escribe_en(GLfloat x, GLfloat y, GLfloat z, const char *texto, int tamano)
{
    void *fuente = fuente_de(tamano);
    if (fuente == nullptr) {
        return;
    }
    situa_texto(x, y, z, fuente, texto);
    EscribirTexto(texto, tamano);
}

// The text of status message `codigo`, or nullptr for the codes that show none.
const char *texto_mensaje(int codigo)
{
    switch (codigo) {
    case MSG_ILEGAL:
        return "EN ESA POSICION NO PUEDES TIRAR.";
    case MSG_MAQUINA_PASA:
        return "LA MAQUINA NO PUEDE TIRAR. TE TOCA A TI..";
    case MSG_JUGADOR_PASA:
        return "NO PUEDES TIRAR. PULSA 'ESPACIO' PARA SALTAR TU TURNO.";
    case MSG_GANA_JUGADOR:
        return "FIN DEL JUEGO. HAS GANADO.";
    case MSG_GANA_MAQUINA:
        return "FIN DEL JUEGO. GANA LA MAQUINA.";
    case MSG_EMPATE:
        return "FIN DEL JUEGO. EMPATE.";
    default:
        return nullptr;
    }
}

// Writes into `linea` (of `largo` bytes) the last-move line that the window shows now, and
// returns false, leaving `linea` empty, when no line is shown. After the person's move the line
// shows it; after the computer's, the computer's. It stays hidden after a pass, at the end, and
// for an attempt that follows the computer's pass.
bool linea_ultima_tirada(char *linea, int largo)
{
    linea[0] = '\0';
    if (pierde_turno != 0) {
        return false;
    }
    const bool fin_de_partida = msg >= MSG_GANA_JUGADOR && msg <= MSG_EMPATE;
    if (ataca == BLANCAS && msg != MSG_JUGADOR_PASA && !fin_de_partida) {
        std::snprintf(linea, static_cast<size_t>(largo), "HAS TIRADO EN: %c %d.", 65 + tiradai,
                      tiradan + 1);
        return true;
    }
    if (primera_tirada == 0 && msg != MSG_MAQUINA_PASA && !fin_de_partida) {
        std::snprintf(linea, static_cast<size_t>(largo), "MAQUINA HA TIRADO EN: %c %d.", 65 + imax,
                      nmax + 1);
        return true;
    }
    return false;
}

} // namespace

void EscribirTexto(const char *texto, int tamano)
{
    void *fuente = fuente_de(tamano);
    if (fuente == nullptr) {
        return;
    }
    for (const char *c = texto; *c != '\0'; ++c) {
        glutBitmapCharacter(fuente, static_cast<unsigned char>(*c));
    }
}

void ejes()
{
    char linea[LARGO_LINEA];
    for (int k = 0; k < TAM; ++k) {
        std::snprintf(linea, sizeof linea, "%d", k + 1);
        escribe_en(static_cast<GLfloat>(k) + 0.4F, 0.1F, 0.0F, linea, 18);
    }
    for (int k = 0; k < TAM; ++k) {
        std::snprintf(linea, sizeof linea, "%c", 65 + k);
        escribe_en(-0.2F, 0.1F, static_cast<GLfloat>(k) + 0.5F, linea, 18);
    }
}

void mensajes()
{
    escribe_en(0.0F, 7.5F, 9.0F, "VOLTARO v.1.0             (BY TORNALUX)", 18);
    escribe_en(0.0F, 7.0F, 9.0F, "UTILIZA LOS CURSORES PARA DESPLAZARTE POR EL TABLERO.", 12);
    escribe_en(0.0F, 6.5F, 9.0F, "PARA TIRAR, PULSA 'ESPACIO'.", 12);
    escribe_en(0.0F, 6.0F, 9.0F, "VUELVE A PULSAR 'ESPACIO' PARA QUE TIRE LA MAQUINA.", 12);

    char linea[LARGO_LINEA];
    if (linea_ultima_tirada(linea, sizeof linea)) {
        escribe_en(0.0F, 5.0F, 9.0F, linea, 18);
    }
    const char *estado = texto_mensaje(msg);
    if (estado != nullptr) {
        escribe_en(0.0F, 4.0F, 9.0F, estado, 18);
    }
    std::snprintf(linea, sizeof linea, "FICHAS BLANCAS: %d", numx);
    escribe_en(6.0F, 7.0F, 0.0F, linea, 18);
    std::snprintf(linea, sizeof linea, "FICHAS NEGRAS:  %d", num0);
    escribe_en(6.0F, 6.7F, 0.0F, linea, 18);
}
