// bench/reglas.cpp — how long the rules and the computer player take: one square tested, a
// whole-board scan, the computer's choice, a whole computer turn, and perft to depth 6.
#include <benchmark/benchmark.h>

#include <cstring>

#include "ai/jugada.h"
#include "game/estado.h"
#include "game/perft.h"
#include "game/tirada.h"

namespace {

// The computer's first turn: the opening after white has played C5, (2,4).
void tras_la_primera_tirada()
{
    posicion_inicial();
    ejecuta_tirada(BLANCAS, NEGRAS, 2, 4, 0, 0);
}

void BM_ProbarUnaCasilla(benchmark::State &medida)
{
    posicion_inicial();
    for (auto _ : medida) {
        ejecuta_tirada(BLANCAS, NEGRAS, 2, 4, 1, 0);
        benchmark::DoNotOptimize(ptos);
    }
}
BENCHMARK(BM_ProbarUnaCasilla);

void BM_BarrerElTablero(benchmark::State &medida)
{
    tras_la_primera_tirada();
    for (auto _ : medida) {
        benchmark::DoNotOptimize(puede_tirar(NEGRAS, BLANCAS));
    }
}
BENCHMARK(BM_BarrerElTablero);

void BM_JugadaModo(benchmark::State &medida)
{
    tras_la_primera_tirada();
    for (auto _ : medida) {
        jugada_modo(ia, NEGRAS, BLANCAS, MODO_ESQUINAS);
        benchmark::DoNotOptimize(imax);
        benchmark::DoNotOptimize(nmax);
    }
}
BENCHMARK(BM_JugadaModo);

// What one SPACE costs on the computer's turn: the scan for a legal move, the choice and the
// move played. The board is put back each time (a 256-byte copy, inside the timing).
void BM_TurnoDelOrdenador(benchmark::State &medida)
{
    tras_la_primera_tirada();
    int antes[TAM][TAM];
    std::memcpy(antes, matriz, sizeof matriz);
    for (auto _ : medida) {
        std::memcpy(matriz, antes, sizeof matriz);
        if (puede_tirar(NEGRAS, BLANCAS)) {
            jugada_modo(ia, NEGRAS, BLANCAS, MODO_ESQUINAS);
            ejecuta_tirada(NEGRAS, BLANCAS, imax, nmax, 0, 0);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TurnoDelOrdenador);

void BM_Perft6(benchmark::State &medida)
{
    posicion_inicial();
    for (auto _ : medida) {
        benchmark::DoNotOptimize(perft(BLANCAS, NEGRAS, 6));
    }
}
BENCHMARK(BM_Perft6)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
