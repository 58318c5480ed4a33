// shell/main.cpp — start-up: the game state, the console banner, the window with its GL state
// and callbacks, then the GLUT main loop, which drives everything else through the callbacks.
#include <GL/glut.h>

#include <csignal>
#include <cstdio>

#include "game/estado.h"
#include "input/teclado.h"
#include "render/escena.h"
#include "shell/ventana.h"

namespace {

// Puts the cursor on the first square, row 0 column 0.
void inicializar_var_globales()
{
    x_actual = 0;
    z_actual = 0;
}

// Clears the console by scrolling the old contents out of sight.
void limpiar_pantalla()
{
    for (int i = 0; i < 56; ++i) {
        std::printf("\n");
    }
}

void pon_nombre(int jugador, const char *nombre)
{
    std::snprintf(name[jugador - 1], sizeof name[jugador - 1], "%s", nombre);
}

} // namespace

int main(int argc, char **argv)
{
    // The transcript is a by-product: a closed pipe or a full disk must not end the game.
    std::signal(SIGPIPE, SIG_IGN);

    inicializar_var_globales();
    posicion_inicial();
    limpiar_pantalla();
    std::printf("VOLTARO V1.0  GRAFICO\t\t BY TORNALUX");
    std::fflush(stdout);
    pon_nombre(1, "Jugador (blancas)");
    pon_nombre(2, "Maquina (negras)");
    modo = 3;

    glutInit(&argc, argv);
    crear_ventana();
    glutDisplayFunc(display);
    glutSpecialFunc(keyboard_especial);
    glutKeyboardFunc(keyboard);
    glutReshapeFunc(reshape);
    glutFullScreen();
    glutMainLoop();
    return 0;
}
