// bench/programa/fotograma.cpp — the time of one game frame against a bare frame of the same
// window. The window is opened as the game opens its own (full screen, the same display mode and
// lighting, the game's reshape); then each frame is timed from the call to the moment the X
// server has the picture (glFinish, XSync): the game's display against a clear and swap.
//
// Game and bare frames alternate in blocks, so that a busy machine slows both alike; the figures
// are medians. Two boards are drawn: the opening position (4 discs) and a full board (64, the
// most a frame draws). The first display of the process is left out: it is what --primero times.
//
// With --primero the program times its first display (after a few bare frames), then a block of
// later ones, and prints both in milliseconds: the excess is what Mesa compiles, or loads from
// its shader cache, for a lit scene and bitmap text. Run once per process, several processes.
// With --perfil the frames run in groups bracketed for Callgrind (run it with
// --instr-atstart=no): the dumps are named primer_fotograma, inicial, desnudo and lleno, and each
// holds FOTOGRAMAS_PERFIL frames except the first.
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <valgrind/callgrind.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "game/estado.h"
#include "render/escena.h"
#include "shell/ventana_sin_bucle.h"

namespace {

constexpr int RONDAS = 10;           // blocks of each kind
constexpr int POR_RONDA = 15;        // frames in a block
constexpr int FOTOGRAMAS_PERFIL = 3; // frames in each Callgrind dump but the first

void fotograma_desnudo()
{
    glClearColor(0.0F, 0.0F, 0.0F, 0.0F);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

// One frame, until the X server holds it.
void completo(void (*dibuja)())
{
    dibuja();
    glFinish();
    XSync(glXGetCurrentDisplay(), False);
}

double ms_de(void (*dibuja)())
{
    const auto antes = std::chrono::steady_clock::now();
    completo(dibuja);
    const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - antes;
    return ms.count();
}

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 == 1 ? v[m] : (v[m - 1] + v[m]) / 2.0;
}

// Every square holds a disc, in a checkerboard of the two colours.
void tablero_lleno()
{
    for (int fila = 0; fila < TAM; ++fila) {
        for (int col = 0; col < TAM; ++col) {
            matriz[fila][col] = (fila + col) % 2 == 0 ? 1 : 2;
        }
    }
}

void perfil()
{
    CALLGRIND_START_INSTRUMENTATION;
    CALLGRIND_ZERO_STATS;
    completo(display);
    CALLGRIND_DUMP_STATS_AT("primer_fotograma");
    for (int i = 0; i < FOTOGRAMAS_PERFIL; ++i) {
        completo(display);
    }
    CALLGRIND_DUMP_STATS_AT("inicial");
    for (int i = 0; i < FOTOGRAMAS_PERFIL; ++i) {
        completo(fotograma_desnudo);
    }
    CALLGRIND_DUMP_STATS_AT("desnudo");
    tablero_lleno();
    for (int i = 0; i < FOTOGRAMAS_PERFIL; ++i) {
        completo(display);
    }
    CALLGRIND_DUMP_STATS_AT("lleno");
    CALLGRIND_STOP_INSTRUMENTATION;
}

double mediana_de(void (*dibuja)(), int veces)
{
    std::vector<double> v;
    v.reserve(static_cast<std::size_t>(veces));
    for (int i = 0; i < veces; ++i) {
        v.push_back(ms_de(dibuja));
    }
    return mediana(v);
}

// Blocks of bare frames and of game frames, alternating; returns the two medians.
void alterna(double *juego, double *desnudo)
{
    std::vector<double> j;
    std::vector<double> d;
    for (int r = 0; r < RONDAS; ++r) {
        for (int i = 0; i < POR_RONDA; ++i) {
            d.push_back(ms_de(fotograma_desnudo));
        }
        for (int i = 0; i < POR_RONDA; ++i) {
            j.push_back(ms_de(display));
        }
    }
    *juego = mediana(j);
    *desnudo = mediana(d);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string modo = argc > 1 ? argv[1] : "";
    posicion_inicial();
    abre_ventana(fotograma_desnudo);
    reshape(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    for (int i = 0; i < 5; ++i) {
        completo(fotograma_desnudo);
    }
    if (modo == "--perfil") {
        perfil();
        return 0;
    }

    if (modo == "--primero") {
        const double primero = ms_de(display);
        std::printf("%.3f %.3f\n", primero, mediana_de(display, POR_RONDA));
        return 0;
    }
    completo(display); // what the first frame compiles stays out of the medians
    double juego = 0;
    double desnudo = 0;
    alterna(&juego, &desnudo);
    tablero_lleno();
    double lleno = 0;
    double desnudo_lleno = 0;
    alterna(&lleno, &desnudo_lleno);

    std::printf("renderer: %s, window %dx%d\n", glGetString(GL_RENDERER),
                glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    std::printf("%-40s %10s %10s %9s\n", "", "display", "clear+swap", "ratio");
    std::printf("%-40s %10.2f %10.2f %8.2fx  ms\n", "frame, opening position, median", juego,
                desnudo, juego / desnudo);
    std::printf("%-40s %10.2f %10.2f %8.2fx  ms\n", "frame, full board (64 discs), median", lleno,
                desnudo_lleno, lleno / desnudo_lleno);
    std::printf("%d frames of each kind and board, alternating in blocks of %d\n",
                RONDAS * POR_RONDA, POR_RONDA);
    return 0;
}
