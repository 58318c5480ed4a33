// render/escena.h — the 3D scene: light, camera and the frame of board, discs and cursor.
#ifndef VOLTARO_RENDER_ESCENA_H
#define VOLTARO_RENDER_ESCENA_H

// One-time GL state, right after the window is created and while the model-view matrix is still
// the identity: smooth shading, lighting, depth test and light 0, fixed relative to the viewer.
void iniciar_iluminacion();

// GLUT reshape callback: viewport, a 30-degree perspective with the window's aspect, and the
// camera above and beyond the outer corner of square (7,7), looking at the corner of (0,0).
// A height of 0 (a minimised window) is taken as 1. Before the first frame, a size other than
// the one GL's buffers were made with is first made GL's own by the swap of a cleared buffer, so
// that the first frame, like every later one, is drawn into buffers of the window's size.
void reshape(int ancho, int alto);

// GLUT display callback: draws one frame and recounts the discs into numx and num0.
void display();

#endif
