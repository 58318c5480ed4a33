// render/texto.h — the bitmap texts of the window, placed at points of the 3D scene. A text whose
// point falls outside the window (a narrow or portrait one) starts at the nearest point inside.
#ifndef VOLTARO_RENDER_TEXTO_H
#define VOLTARO_RENDER_TEXTO_H

// Draws `texto` from the current raster position in GLUT's Helvetica bitmap font of `tamano`
// points, 12 or 18; any other size draws nothing.
void EscribirTexto(const char *texto, int tamano);

// The board labels: the column numbers 1-8 along z = 0 and the row letters A-H along x = 0.
void ejes();

// The title, the help lines, the last move, the status message and the two disc counts.
void mensajes();

#endif
