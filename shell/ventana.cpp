// shell/ventana.cpp — the game's window.
#include "shell/ventana.h"

#include <GL/glut.h>

#include "render/escena.h"

void crear_ventana()
{
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("Davro v.1.0     Kalvendor");
    iniciar_iluminacion();
}
