// The turn controller: one press of SPACE is one whole turn; ESC and SPACE after the end exit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ai/moneda.h"
#include "apoyo/tablero.h"
#include "game/estado.h"
#include "input/teclado.h"

namespace {

const Dibujo INICIAL = {"........", "........", "........", "...BN...",
                        "...NB...", "........", "........", "........"};

const std::string PERSONA = "Jugador (blancas).\n";
const std::string MAQUINA = "Maquina (negras).\n";
const std::string PRIMER_PASE = "no puede tirar.\nEl turno pasa de jugador.\n";
const std::string SEGUNDO_PASE = "tampoco puede tirar.\nFIN DEL JUEGO\n";
const std::string ILEGAL = "Ah\xC3\xAD no puedes tirar. Vuelve a intentarlo porque puedes.\n\n";
const std::string CIERRE = "\n\n\nBY TORNALUX\n";

// The console dump the transcript must show for a board drawn as a picture.
std::string volcado(const Dibujo &dibujo)
{
    std::string texto = "----------------------------------------------\n\n\n  0 1 2 3 4 5 6 7\n";
    int blancas = 0;
    int negras = 0;
    for (int fila = 0; fila < TAM; ++fila) {
        texto += std::to_string(fila);
        for (char c : dibujo[fila]) {
            texto += c == '.' ? "| " : std::string("|") + c;
            blancas += c == 'B';
            negras += c == 'N';
        }
        texto += "|\n";
    }
    return texto + "\n>>>Fichas Blancas (B):" + std::to_string(blancas) +
           "\n>>>Fichas Negras (N):" + std::to_string(negras) + "\n";
}

std::string espacio()
{
    return salida_de([] { keyboard(TECLA_ESPACIO, 0, 0); });
}

// Every variable a key can change, to show that a key changed nothing.
std::vector<int> foto()
{
    std::vector<int> v(&matriz[0][0], &matriz[0][0] + TAM * TAM);
    v.insert(v.end(), &ia[0][0], &ia[0][0] + TAM * TAM);
    v.insert(v.end(),
             {ataca, no_ataca, ptos, fin_juego, pierde_turno, play, modo, ganador, primera_tirada,
              msg, numx, num0, imax, nmax, tiradai, tiradan, z_actual, x_actual});
    return v;
}

// Who presses, the pass count left by the turn before (fin_juego and pierde_turno) and the cursor.
struct Antes {
    int ataca, pases, z, x;
};
struct Tras {
    int ataca, z, x, msg, fin_juego, pierde_turno, play, ganador;
};
struct Pulsacion {
    const char *caso;
    const Dibujo &tablero;
    Antes antes;
    std::string salida;
    const Dibujo &despues;
    Tras tras;
};

const Dibujo LLENO_40_24 = {"BBBBBBBB", "BBBBBBBB", "NNNNNNNN", "BBBBBBBB",
                            "NNNNNNNN", "BBBBBBBB", "NNNNNNNN", "BBBBBBBB"};
const Dibujo LLENO_32_32 = {"BBBBBBBB", "NNNNNNNN", "BBBBBBBB", "NNNNNNNN",
                            "BBBBBBBB", "NNNNNNNN", "BBBBBBBB", "NNNNNNNN"};
const Dibujo LLENO_24_40 = {"NNNNNNNN", "NNNNNNNN", "BBBBBBBB", "NNNNNNNN",
                            "BBBBBBBB", "NNNNNNNN", "BBBBBBBB", "NNNNNNNN"};
const Dibujo BLANCAS_EN_2_4 = {"........", "........", "....B...", "...BB...",
                               "...NB...", "........", "........", "........"};
// White flanks nothing; black's only move is (0,2).
const Dibujo SOLO_NEGRAS = {"NB......", "........", "........", "........",
                            "........", "........", "........", "........"};
const Dibujo NEGRAS_EN_0_2 = {"NNN.....", "........", "........", "........",
                              "........", "........", "........", "........"};
const Dibujo SOLO_BLANCAS = {"BN......", "........", "........", "........",
                             "........", "........", "........", "........"};
// Nobody can move.
const Dibujo NADIE_2_1 = {"BB.....N", "........", "........", "........",
                          "........", "........", "........", "........"};
const Dibujo NADIE_1_2 = {"B.....NN", "........", "........", "........",
                          "........", "........", "........", "........"};
const Dibujo NADIE_1_1 = {"B......N", "........", "........", "........",
                          "........", "........", "........", "........"};

const std::string GANA_PERSONA = "Ha ganado Jugador (blancas)\n" + CIERRE;
const std::string GANA_MAQUINA = "Ha ganado Maquina (negras)\n" + CIERRE;
const std::string EMPATE = "Jugador (blancas) y Maquina (negras) han quedado empatados.\n" + CIERRE;

// Each row: case; board; before (ataca, pases, z, x); transcript; board after; after (ataca, z, x,
// msg, fin_juego, pierde_turno, play, ganador).
const std::vector<Pulsacion> PULSACIONES = {
    {"persona juega una casilla legal, tras un pase de la maquina", INICIAL, NEGRAS, 1, 2, 4,
     PERSONA + volcado(BLANCAS_EN_2_4) +
         "Jugador (blancas) tir\xC3\xB3 en la posici\xC3\xB3n (2,4)\n\n",
     BLANCAS_EN_2_4, BLANCAS, 2, 4, MSG_NINGUNO, 0, 0, 1, 0},
    {"persona intenta una casilla ilegal, tras un pase de la maquina", INICIAL, NEGRAS, 1, 0, 0,
     PERSONA + volcado(INICIAL) + ILEGAL, INICIAL, NEGRAS, 0, 0, MSG_ILEGAL, 0, 1, 1, 0},
    {"persona intenta una casilla ocupada", INICIAL, NEGRAS, 0, 3, 4,
     PERSONA + volcado(INICIAL) + ILEGAL, INICIAL, NEGRAS, 3, 4, MSG_ILEGAL, 0, 0, 1, 0},
    {"persona sin jugada: primer pase", SOLO_NEGRAS, NEGRAS, 0, 3, 3,
     PERSONA + PRIMER_PASE + volcado(SOLO_NEGRAS), SOLO_NEGRAS, BLANCAS, 3, 3, MSG_JUGADOR_PASA, 1,
     1, 1, 0},
    {"maquina juega y el cursor salta a su casilla", SOLO_NEGRAS, BLANCAS, 1, 5, 5,
     volcado(NEGRAS_EN_0_2) + "Maquina (negras) (PC) ha tirado en la pos (0,2)\n\n", NEGRAS_EN_0_2,
     NEGRAS, 0, 2, MSG_NINGUNO, 0, 0, 1, 0},
    {"maquina sin jugada: primer pase", SOLO_BLANCAS, BLANCAS, 0, 5, 5,
     MAQUINA + PRIMER_PASE + volcado(SOLO_BLANCAS), SOLO_BLANCAS, NEGRAS, 5, 5, MSG_MAQUINA_PASA, 1,
     1, 1, 0},
    {"segundo pase seguido, de la maquina: gana la persona", NADIE_2_1, BLANCAS, 1, 5, 5,
     MAQUINA + SEGUNDO_PASE + GANA_PERSONA, NADIE_2_1, NEGRAS, 5, 5, MSG_GANA_JUGADOR, 2, 1, 0,
     BLANCAS},
    {"segundo pase seguido, de la persona: gana la maquina", NADIE_1_2, NEGRAS, 1, 5, 5,
     PERSONA + SEGUNDO_PASE + GANA_MAQUINA, NADIE_1_2, BLANCAS, 5, 5, MSG_GANA_MAQUINA, 2, 1, 0,
     NEGRAS},
    {"segundo pase seguido con empate", NADIE_1_1, NEGRAS, 1, 5, 5, PERSONA + SEGUNDO_PASE + EMPATE,
     NADIE_1_1, BLANCAS, 5, 5, MSG_EMPATE, 2, 1, 0, 0},
    {"tablero lleno 40-24: gana la persona", LLENO_40_24, NEGRAS, 0, 5, 5, GANA_PERSONA,
     LLENO_40_24, BLANCAS, 5, 5, MSG_GANA_JUGADOR, 0, 0, 0, BLANCAS},
    {"tablero lleno 32-32: empate, la persona primero", LLENO_32_32, NEGRAS, 0, 5, 5, EMPATE,
     LLENO_32_32, BLANCAS, 5, 5, MSG_EMPATE, 0, 0, 0, 0},
    {"tablero lleno 24-40 en el turno de la maquina", LLENO_24_40, BLANCAS, 0, 5, 5, GANA_MAQUINA,
     LLENO_24_40, NEGRAS, 5, 5, MSG_GANA_MAQUINA, 0, 0, 0, NEGRAS},
};

// numx and num0 are left at 0, as if no frame had been drawn since the board changed: a full
// board must still be seen and the winner named from the board itself.
TEST(Turno, SalidaYEstadoDeUnaPulsacionPorCaso)
{
    for (const Pulsacion &p : PULSACIONES) {
        SCOPED_TRACE(p.caso);
        estado_de_arranque();
        poner_tablero(p.tablero);
        ataca = p.antes.ataca;
        no_ataca = 3 - p.antes.ataca;
        fin_juego = p.antes.pases;
        pierde_turno = static_cast<std::int8_t>(p.antes.pases);
        if (p.antes.pases == 1) {
            // What the other player's pass left showing.
            msg = p.antes.ataca == NEGRAS ? MSG_MAQUINA_PASA : MSG_JUGADOR_PASA;
        }
        z_actual = p.antes.z;
        x_actual = p.antes.x;
        const int redibujos = redibujos_pedidos;

        EXPECT_EQ(espacio(), p.salida);
        EXPECT_EQ(tablero_como_dibujo(), p.despues);
        EXPECT_EQ(ataca, p.tras.ataca);
        EXPECT_EQ(no_ataca, 3 - p.tras.ataca);
        EXPECT_EQ(z_actual, p.tras.z);
        EXPECT_EQ(x_actual, p.tras.x);
        EXPECT_EQ(msg, p.tras.msg);
        EXPECT_EQ(fin_juego, p.tras.fin_juego);
        EXPECT_EQ(pierde_turno, p.tras.pierde_turno);
        EXPECT_EQ(play, p.tras.play);
        EXPECT_EQ(ganador, p.tras.ganador);
        EXPECT_EQ(redibujos_pedidos - redibujos, 1);
    }
}

// The game opens with the cursor on (0,0), which flanks nothing: the person has to press again.
TEST(Turno, PrimerEspacioEnCeroCeroEsIlegalYElTurnoSigueSiendoDeLaPersona)
{
    estado_de_arranque();
    EXPECT_EQ(espacio(), PERSONA + volcado(INICIAL) + ILEGAL);
    EXPECT_EQ(msg, MSG_ILEGAL);
    EXPECT_EQ(ataca, NEGRAS);
    EXPECT_EQ(no_ataca, BLANCAS);

    keyboard_especial(TECLA_DERECHA, 0, 0);
    EXPECT_EQ(msg, MSG_NINGUNO) << "an arrow clears the illegal-square message";
    EXPECT_EQ(ataca, NEGRAS);

    z_actual = 2;
    x_actual = 4;
    const std::string salida = espacio();
    EXPECT_EQ(salida.rfind(PERSONA, 0), 0u) << salida;
    EXPECT_EQ(matriz[2][4], BLANCAS);
    EXPECT_EQ(ataca, BLANCAS);
}

TEST(Turno, EspacioSobreLaUltimaFichaDeLaMaquinaEsIlegal)
{
    estado_de_arranque();
    z_actual = 2;
    x_actual = 4;
    espacio();
    espacio();
    ASSERT_EQ(z_actual, imax);
    ASSERT_EQ(x_actual, nmax);
    EXPECT_EQ(matriz[imax][nmax], NEGRAS);
    EXPECT_EQ(primera_tirada, 0);

    const Dibujo antes = tablero_como_dibujo();
    EXPECT_EQ(espacio(), PERSONA + volcado(antes) + ILEGAL);
    EXPECT_EQ(tablero_como_dibujo(), antes);
    EXPECT_EQ(msg, MSG_ILEGAL);
    EXPECT_EQ(ataca, NEGRAS);
}

// The computer breaks ties by chance, so both games draw from the same seed.
TEST(Turno, FlechasEntreLosTurnosNoCambianLaJugadaDeLaMaquina)
{
    Dibujo tableros[2];
    int jugadas[2][2];
    for (int con_flechas = 0; con_flechas < 2; ++con_flechas) {
        estado_de_arranque();
        z_actual = 4;
        x_actual = 2;
        espacio();
        if (con_flechas) {
            for (int tecla : {TECLA_DERECHA, TECLA_ABAJO, TECLA_DERECHA, TECLA_IZQUIERDA,
                              TECLA_ARRIBA, TECLA_DERECHA}) {
                keyboard_especial(tecla, 0, 0);
            }
        }
        siembra_moneda(7);
        espacio();
        EXPECT_EQ(z_actual, imax);
        EXPECT_EQ(x_actual, nmax);
        tableros[con_flechas] = tablero_como_dibujo();
        jugadas[con_flechas][0] = imax;
        jugadas[con_flechas][1] = nmax;
    }
    EXPECT_EQ(tableros[1], tableros[0]);
    EXPECT_EQ(jugadas[1][0], jugadas[0][0]);
    EXPECT_EQ(jugadas[1][1], jugadas[0][1]);
}

// The person passes, the computer plays: the person's next pass is a first pass again.
TEST(Turno, UnaJugadaEntreDosPasesReiniciaLaCuenta)
{
    estado_de_arranque();
    poner_tablero(SOLO_NEGRAS);
    EXPECT_EQ(espacio(), PERSONA + PRIMER_PASE + volcado(SOLO_NEGRAS));
    EXPECT_EQ(fin_juego, 1);
    EXPECT_EQ(msg, MSG_JUGADOR_PASA);
    espacio();
    EXPECT_EQ(fin_juego, 0);
    EXPECT_EQ(pierde_turno, 0);
    EXPECT_EQ(msg, MSG_NINGUNO);
    const Dibujo tras_la_maquina = tablero_como_dibujo();
    EXPECT_EQ(espacio(), PERSONA + PRIMER_PASE + volcado(tras_la_maquina));
    EXPECT_EQ(fin_juego, 1);
    EXPECT_EQ(play, 1);
}

TEST(Turno, OtrasTeclasSoloPidenRedibujar)
{
    const unsigned char teclas[] = {0, 'a', 'q', 13, 127, 255};
    for (unsigned char tecla : teclas) {
        SCOPED_TRACE(static_cast<int>(tecla));
        estado_de_arranque();
        espacio();
        ASSERT_EQ(msg, MSG_ILEGAL);
        const std::vector<int> antes = foto();
        const int redibujos = redibujos_pedidos;
        EXPECT_EQ(salida_de([tecla] { keyboard(tecla, 0, 0); }), "");
        EXPECT_EQ(foto(), antes) << "only special keys clear the illegal-square message";
        EXPECT_EQ(redibujos_pedidos - redibujos, 1);
    }
}

TEST(TurnoDeathTest, EscSaleConCeroEnCualquierMomento)
{
    estado_de_arranque();
    EXPECT_EXIT(keyboard(TECLA_ESC, 0, 0), testing::ExitedWithCode(0), "");
    espacio();
    EXPECT_EXIT(keyboard(TECLA_ESC, 0, 0), testing::ExitedWithCode(0), "") << "in mid-game";
    poner_tablero(NADIE_1_1);
    espacio();
    espacio();
    ASSERT_EQ(play, 0);
    EXPECT_EXIT(keyboard(TECLA_ESC, 0, 0), testing::ExitedWithCode(0), "") << "after the end";
}

TEST(TurnoDeathTest, DosPasesTerminanYElSiguienteEspacioSaleConUno)
{
    estado_de_arranque();
    poner_tablero(NADIE_2_1);
    EXPECT_EQ(espacio(), PERSONA + PRIMER_PASE + volcado(NADIE_2_1));
    EXPECT_EQ(play, 1);
    EXPECT_EQ(espacio(), MAQUINA + SEGUNDO_PASE + GANA_PERSONA);
    EXPECT_EQ(play, 0);
    EXPECT_EXIT(keyboard(TECLA_ESPACIO, 0, 0), testing::ExitedWithCode(1), "");
}

} // namespace
