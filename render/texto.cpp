// render/texto.cpp — the window's texts. Their colour comes from the white material that the
// frame sets before them: with lighting on, a raster position is lit like a vertex.
#include "render/texto.h"

#include <GL/gl.h>
#include <GL/glut.h>

#include <cstdio>

#include "game/estado.h"

namespace {

constexpr int LARGO_LINEA = 64; // longer than any text of the window, zero included

void escribe_en(GLfloat x, GLfloat y, GLfloat z, const char *texto, int tamano)
{
    glRasterPos3f(x, y, z);
    EscribirTexto(texto, tamano);
}

} // namespace

void EscribirTexto(const char *texto, int tamano)
{
    void *fuente = nullptr;
    if (tamano == 12) {
        fuente = GLUT_BITMAP_HELVETICA_12;
    } else if (tamano == 18) {
        fuente = GLUT_BITMAP_HELVETICA_18;
    } else {
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
        glRasterPos2f(static_cast<GLfloat>(k) + 0.4F, 0.1F);
        std::snprintf(linea, sizeof linea, "%d", k + 1);
        EscribirTexto(linea, 18);
    }
    for (int k = 0; k < TAM; ++k) {
        std::snprintf(linea, sizeof linea, "%c", 65 + k);
        escribe_en(-0.2F, 0.1F, static_cast<GLfloat>(k) + 0.5F, linea, 18);
    }
}

const char *texto_mensaje(int codigo)
{
    switch (codigo) {
    case 1:
        return "EN ESA POSICION NO PUEDES TIRAR.";
    case 2:
        return "LA MAQUINA NO PUEDE TIRAR. TE TOCA A TI..";
    case 3:
        return "NO PUEDES TIRAR. PULSA 'ESPACIO' PARA SALTAR TU TURNO.";
    case 4:
        return "FIN DEL JUEGO. HAS GANADO.";
    case 5:
        return "FIN DEL JUEGO. GANA LA MAQUINA.";
    case 6:
        return "FIN DEL JUEGO. EMPATE.";
    default:
        return nullptr;
    }
}

// After the person's move the line shows it; after the computer's, the computer's. It stays
// hidden after a pass, at the end, and for an attempt that follows the computer's pass.
bool linea_ultima_tirada(char *linea, int largo)
{
    linea[0] = '\0';
    if (pierde_turno != 0) {
        return false;
    }
    if (ataca == 1 && (msg < 3 || msg > 6)) {
        std::snprintf(linea, static_cast<size_t>(largo), "HAS TIRADO EN: %c %d.", 65 + tiradai,
                      tiradan + 1);
        return true;
    }
    if (primera_tirada == 0 && msg != 2 && (msg < 4 || msg > 6)) {
        std::snprintf(linea, static_cast<size_t>(largo), "MAQUINA HA TIRADO EN: %c %d.", 65 + imax,
                      nmax + 1);
        return true;
    }
    return false;
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
