// The game state at program load and after start-up.
#include <gtest/gtest.h>

#include "apoyo/tablero.h"
#include "game/estado.h"

namespace {

// The state as the program finds it at load, taken before main and so before any test runs.
struct Carga {
    int celdas_ocupadas, ataca, no_ataca, play, primera_tirada, modo, msg, resto;
};
const Carga al_cargar = [] {
    int ocupadas = 0;
    for (const auto &fila : matriz) {
        for (int celda : fila) {
            ocupadas += celda != VACIA;
        }
    }
    return Carga{ocupadas,
                 ataca,
                 no_ataca,
                 play,
                 primera_tirada,
                 modo,
                 msg,
                 numx + num0 + ptos + fin_juego + pierde_turno + ganador + imax + nmax + tiradai +
                     tiradan + x_actual + z_actual + name[0][0] + name[1][0]};
}();

TEST(EstadoDeCarga, ValoresAlCargarElPrograma)
{
    EXPECT_EQ(al_cargar.celdas_ocupadas, 0);
    EXPECT_EQ(al_cargar.ataca, NEGRAS) << "the first SPACE exchanges it, so the person opens";
    EXPECT_EQ(al_cargar.no_ataca, BLANCAS);
    EXPECT_EQ(al_cargar.play, 1);
    EXPECT_EQ(al_cargar.primera_tirada, 1);
    EXPECT_EQ(al_cargar.modo, 0);
    EXPECT_EQ(al_cargar.msg, MSG_NINGUNO);
    EXPECT_EQ(al_cargar.resto, 0) << "counts, flags, moves, cursor and names all start at 0";
}

TEST(EstadoInicial, CuatroFichasEnElCentroYCursorEnUnaCasillaVacia)
{
    estado_de_arranque();
    const Dibujo esperado = {"........", "........", "........", "...BN...",
                             "...NB...", "........", "........", "........"};
    EXPECT_EQ(tablero_como_dibujo(), esperado);
    EXPECT_EQ(z_actual, 0);
    EXPECT_EQ(x_actual, 0);
    EXPECT_EQ(matriz[z_actual][x_actual], 0);
}

TEST(EstadoInicial, PosicionInicialBorraUnaPartidaAnterior)
{
    for (auto &fila : matriz) {
        for (int &celda : fila) {
            celda = NEGRAS;
        }
    }
    posicion_inicial();
    contar_fichas();
    EXPECT_EQ(numx, 2);
    EXPECT_EQ(num0, 2);
}

TEST(EstadoInicial, NombresPorJugadorMenosUno)
{
    estado_de_arranque();
    EXPECT_STREQ(name[NEGRAS - 1], "Maquina (negras)");
    EXPECT_STREQ(name[BLANCAS - 1], "Jugador (blancas)");
}

TEST(EstadoInicial, ModoTresElOrdenadorConLaReglaDeLasEsquinas)
{
    estado_de_arranque();
    EXPECT_EQ(modo, 3);
}

} // namespace
