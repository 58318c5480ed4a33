// shell/arranque.cpp — start-up before the window.
#include "shell/arranque.h"

#include <cstdio>

#include "game/estado.h"

namespace {

void pon_nombre(int jugador, const char *nombre)
{
    std::snprintf(name[jugador - 1], sizeof name[jugador - 1], "%s", nombre);
}

// Puts the cursor on the first square, row 0 column 0.
void inicializar_var_globales()
{
    x_actual = 0;
    z_actual = 0;
}

// Clears the console by scrolling the old contents out of sight: 56 line ends.
void limpiar_pantalla()
{
    for (int i = 0; i < 56; ++i) {
        std::printf("\n");
    }
}

} // namespace

void preparar_partida()
{
    inicializar_var_globales();
    posicion_inicial();
    limpiar_pantalla();
    std::printf("VOLTARO V1.0  GRAFICO\t\t BY TORNALUX");
    std::fflush(stdout);
    pon_nombre(BLANCAS, "Jugador (blancas)");
    pon_nombre(NEGRAS, "Maquina (negras)");
    modo = MODO_ESQUINAS;
}
