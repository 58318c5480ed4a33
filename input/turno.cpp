// input/turno.cpp — the turn controller: every press of SPACE is one whole turn, alternately the
// person's (white, at the cursor) and the computer's (black, its own choice).
#include <cstdio>

#include "ai/jugada.h"
#include "console/pintala.h"
#include "game/estado.h"
#include "game/tirada.h"
#include "input/peticiones.h"
#include "input/teclado.h"

// The two transcript lines with accented letters: UTF-8 for today's consoles, or the single
// Latin-1 bytes when built with VOLTARO_CONSOLE_LATIN1.
#ifdef VOLTARO_CONSOLE_LATIN1
#define O_AGUDA "\xF3"
#define I_AGUDA "\xED"
#else
#define O_AGUDA "\xC3\xB3"
#define I_AGUDA "\xC3\xAD"
#endif

namespace {

const char *nombre(int jugador)
{
    return name[jugador - 1];
}

void intercambia_turno()
{
    const int t = ataca;
    ataca = no_ataca;
    no_ataca = t;
}

// Decides and announces the winner from the disc counts and stops the game (play = 0).
void finjuego()
{
    contar_fichas();
    if (numx > num0) {
        ganador = BLANCAS;
        msg = MSG_GANA_JUGADOR;
    } else if (num0 > numx) {
        ganador = NEGRAS;
        msg = MSG_GANA_MAQUINA;
    }
    if (ganador != 0) {
        std::printf("Ha ganado %s\n", nombre(ganador));
    } else {
        std::printf("%s y %s han quedado empatados.\n", nombre(BLANCAS), nombre(NEGRAS));
        msg = MSG_EMPATE;
    }
    std::printf("\n\n\nBY TORNALUX\n");
    play = 0;
}

// The player to move has no legal square: count the pass; the second in a row ends the game.
void pasa_turno()
{
    ++fin_juego;
    pierde_turno = 1;
    if (ataca == NEGRAS) {
        std::printf("%s.\n", nombre(NEGRAS));
        msg = MSG_MAQUINA_PASA;
    } else {
        msg = MSG_JUGADOR_PASA;
    }
    if (fin_juego == 1) {
        std::printf("no puede tirar.\nEl turno pasa de jugador.\n");
        pintala();
    } else if (fin_juego == 2) {
        std::printf("tampoco puede tirar.\nFIN DEL JUEGO\n");
        finjuego();
    }
}

void tira_maquina()
{
    jugada_modo(ia, ataca, no_ataca, modo);
    ejecuta_tirada(ataca, no_ataca, imax, nmax, 0, 0);
    fin_juego = 0;
    pintala();
    std::printf("%s (PC) ha tirado en la pos (%d,%d)\n\n", nombre(NEGRAS), imax, nmax);
    z_actual = imax;
    x_actual = nmax;
    pierde_turno = 0;
    primera_tirada = 0;
    msg = MSG_NINGUNO;
}

// The person plays at the cursor. An illegal square gives the turn back, so that the next SPACE
// is again the person's.
void tira_jugador()
{
    tiradai = z_actual;
    tiradan = x_actual;
    ejecuta_tirada(ataca, no_ataca, tiradai, tiradan, 0, 0);
    fin_juego = 0;
    pintala();
    if (ptos > 0) {
        std::printf("%s tir" O_AGUDA " en la posici" O_AGUDA "n (%d,%d)\n\n", nombre(ataca),
                    tiradai, tiradan);
        msg = MSG_NINGUNO;
        pierde_turno = 0;
    } else {
        std::printf("Ah" I_AGUDA " no puedes tirar. Vuelve a intentarlo porque puedes.\n\n");
        msg = MSG_ILEGAL;
        intercambia_turno();
    }
}

void turno()
{
    if (play == 0) {
        terminar_programa(1);
    }
    intercambia_turno();
    contar_fichas();
    if (numx + num0 == TAM * TAM) {
        finjuego();
        return;
    }
    const bool hay_jugada = puede_tirar(ataca, no_ataca);
    if (ataca == BLANCAS) {
        std::printf("%s.\n", nombre(BLANCAS));
    }
    if (!hay_jugada) {
        pasa_turno();
    } else if (ataca == NEGRAS) {
        tira_maquina();
    } else {
        tira_jugador();
    }
}

} // namespace

void keyboard(unsigned char tecla, int /*x*/, int /*y*/)
{
    if (tecla == TECLA_ESC) {
        terminar_programa(0);
    }
    if (tecla == TECLA_ESPACIO) {
        turno();
    }
    // The transcript is read as the game goes, often through a pipe: send each turn's lines now.
    std::fflush(stdout);
    pedir_redibujo();
}
