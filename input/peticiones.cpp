// input/peticiones.cpp — the redraw request and the exits, through GLUT and the C library.
#include "input/peticiones.h"

#include <GL/glut.h>

#include <cstdlib>

void pedir_redibujo()
{
    glutPostRedisplay();
}

void terminar_programa(int estado)
{
    std::exit(estado);
}
