// shell/main.cpp — start-up: the game state, the console banner, the window with its GL state
// and callbacks, then the GLUT main loop, which drives everything else through the callbacks.
#include <GL/glut.h>
#include <X11/Xlib.h>
#include <fcntl.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "input/teclado.h"
#include "render/escena.h"
#include "shell/arranque.h"
#include "shell/ventana.h"

namespace {

// A standard stream closed by whoever started the game must not be taken by the next file the
// program opens: the X connection would get that number and the transcript would be written into
// it. Each closed one is opened on /dev/null instead; open() returns the lowest free number, and
// every lower one is open by then.
void abre_flujos_cerrados()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            open("/dev/null", O_RDWR);
        }
    }
}

// The X server has gone (killed, or the session ended). One line says so and the program ends
// at once: the exit handlers would close the dead connection, and Mesa and Xlib would add lines
// of their own. The transcript loses nothing, every key's lines are flushed already.
[[noreturn]] int servidor_perdido(Display *pantalla)
{
    std::fprintf(stderr, "voltaro: lost the connection to the X display %s\n",
                 DisplayString(pantalla));
    std::_Exit(1);
}

} // namespace

int main(int argc, char **argv)
{
    abre_flujos_cerrados();
    XSetIOErrorHandler(servidor_perdido);
    // The transcript is a by-product: a closed pipe or a full disk must not end the game.
    std::signal(SIGPIPE, SIG_IGN);

    preparar_partida();

    glutInit(&argc, argv);
    crear_ventana();
    glutDisplayFunc(dibuja_ventana);
    glutSpecialFunc(keyboard_especial);
    glutKeyboardFunc(keyboard);
    glutReshapeFunc(reshape);
    glutFullScreen();
    glutMainLoop();
    return 0;
}
