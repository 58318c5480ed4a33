// bench/programa/base_glut.cpp — the baseline the game is measured against: the least a freeglut
// program can do with the same window. It opens a double-buffered RGB window with a depth buffer,
// switches it to full screen and, for every frame GLUT asks for, only clears and swaps. Every key
// asks for a frame, as the game's do; ESC exits with status 0.
#include <GL/glut.h>

#include <cstdlib>

namespace {

void fotograma_desnudo()
{
    glClearColor(0.0F, 0.0F, 0.0F, 0.0F);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

void tecla(unsigned char codigo, int /*x*/, int /*y*/)
{
    if (codigo == 27) {
        std::exit(0);
    }
    glutPostRedisplay();
}

void tecla_especial(int /*codigo*/, int /*x*/, int /*y*/)
{
    glutPostRedisplay();
}

} // namespace

int main(int argc, char **argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("base_glut");
    glutDisplayFunc(fotograma_desnudo);
    glutSpecialFunc(tecla_especial);
    glutKeyboardFunc(tecla);
    glutFullScreen();
    glutMainLoop();
    return 0;
}
