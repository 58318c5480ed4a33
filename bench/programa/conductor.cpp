// bench/programa/conductor.cpp — measures the game from outside, as a person meets it, against
// the bare freeglut program base_glut measured the same way in the same run:
//   start-up      from just before the process is spawned to its first swapped frame;
//   key to frame  from an XTest key event to the next swap (Right moves the cursor, SPACE plays);
//   idle          CPU time of all the process's threads over a span with no input;
//   memory        peak resident set (VmHWM) just before ESC ends the program.
// Both programs run with marca_fotogramas preloaded, which sends the time of every swap down a
// pipe; the driver's own times come from the same CLOCK_MONOTONIC. Start-ups alternate between
// the two programs so that a busy machine slows both alike; times are medians over repetitions.
//
// Usage: conductor MARCAS JUEGO BASE [ARRANQUES [RONDAS [REPOSO_S]]], by default 11 start-ups of
// each with Mesa's shader cache (and half as many without), 16 rounds of Right, Right, SPACE,
// and 10 seconds idle.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char *const TITULO_JUEGO = "Davro v.1.0     Kalvendor";
const char *const TITULO_BASE = "base_glut";
constexpr int FD_MARCAS = 9;       // where the program finds the pipe's writing end
constexpr int PLAZO_MS = 10000;    // for anything that should happen at once; reached on failure
constexpr int CALMA_MS = 200;      // no swap for this long: the program has settled
constexpr int TRAS_TECLA_MS = 40;  // after a key's frame, a wait for any frame that follows it
constexpr double DESCARGADO = 1.0; // seconds allowed for a started program to stop

std::int64_t ahora_ns()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

[[noreturn]] void falla(const std::string &motivo)
{
    std::fprintf(stderr, "conductor: %s\n", motivo.c_str());
    std::exit(2);
}

int entero(const char *texto)
{
    char *fin = nullptr;
    const long n = std::strtol(texto, &fin, 10);
    if (*fin != '\0' || n < 1 || n > 1000) {
        falla(std::string("not a count: ") + texto);
    }
    return static_cast<int>(n);
}

double mediana(std::vector<double> v)
{
    if (v.empty()) {
        return 0.0;
    }
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 == 1 ? v[m] : (v[m - 1] + v[m]) / 2.0;
}

// The value that 90% of the samples do not exceed (nearest rank).
double percentil_90(std::vector<double> v)
{
    if (v.empty()) {
        return 0.0;
    }
    std::sort(v.begin(), v.end());
    const auto rango = static_cast<std::size_t>(0.9 * static_cast<double>(v.size()) + 0.999);
    return v[std::min(rango, v.size()) - 1];
}

// One started program: its process, the reading end of its swap pipe and its window once found.
struct Programa {
    const char *nombre;
    const char *titulo;
    pid_t pid;
    int marcas;
    std::int64_t lanzado_ns;
    Window ventana;
};

// Starts a program with the shim preloaded; `sin_cache` turns Mesa's shader cache off for it, so
// that its first frame compiles every shader as on the first run ever.
Programa lanzar(const char *ruta, const char *titulo, const char *marcas, bool sin_cache = false)
{
    int tubo[2];
    if (pipe2(tubo, O_CLOEXEC) != 0) {
        falla("pipe2 failed");
    }
    std::vector<std::string> entorno;
    for (char **e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "LD_PRELOAD=", 11) != 0) {
            entorno.emplace_back(*e);
        }
    }
    entorno.push_back(std::string("LD_PRELOAD=") + marcas);
    entorno.push_back("MARCA_FOTOGRAMAS_FD=" + std::to_string(FD_MARCAS));
    if (sin_cache) {
        entorno.emplace_back("MESA_SHADER_CACHE_DISABLE=true");
    }
    std::vector<char *> envp;
    envp.reserve(entorno.size() + 1);
    for (auto &e : entorno) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_adddup2(&acciones, tubo[1], FD_MARCAS);
    posix_spawn_file_actions_addopen(&acciones, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::string programa = ruta;
    char *argv[] = {programa.data(), nullptr};

    Programa p{ruta, titulo, 0, tubo[0], ahora_ns(), 0};
    if (posix_spawn(&p.pid, ruta, &acciones, nullptr, argv, envp.data()) != 0) {
        falla(std::string("cannot start ") + ruta);
    }
    posix_spawn_file_actions_destroy(&acciones);
    close(tubo[1]);
    return p;
}

// The time of the program's next swap, or nothing if none comes within `plazo_ms`.
std::optional<std::int64_t> siguiente_marca(const Programa &p, int plazo_ms)
{
    pollfd espera{p.marcas, POLLIN, 0};
    if (poll(&espera, 1, plazo_ms) <= 0) {
        return std::nullopt;
    }
    std::int64_t ns = 0;
    if (read(p.marcas, &ns, sizeof ns) != static_cast<ssize_t>(sizeof ns)) {
        return std::nullopt;
    }
    return ns;
}

// Reads swaps until none has come for `calma_ms`; returns how many came, and leaves the time of
// the last one in `ultima` when given.
int esperar_calma(const Programa &p, int calma_ms, std::int64_t *ultima = nullptr)
{
    int cuantas = 0;
    while (const auto marca = siguiente_marca(p, calma_ms)) {
        ++cuantas;
        if (ultima != nullptr) {
            *ultima = *marca;
        }
    }
    return cuantas;
}

bool tiene_titulo(Display *x, Window w, const char *titulo)
{
    char *nombre = nullptr;
    if (XFetchName(x, w, &nombre) == 0 || nombre == nullptr) {
        return false;
    }
    const bool es = std::strcmp(nombre, titulo) == 0;
    XFree(nombre);
    return es;
}

// The top-level window with this title, or 0. With no window manager every top-level window is
// a child of the root, undecorated.
Window buscar_ventana(Display *x, const char *titulo)
{
    Window raiz = 0;
    Window padre = 0;
    Window *hijas = nullptr;
    unsigned int n = 0;
    Window hallada = 0;
    if (XQueryTree(x, DefaultRootWindow(x), &raiz, &padre, &hijas, &n) != 0) {
        for (unsigned int i = 0; i < n && hallada == 0; ++i) {
            if (tiene_titulo(x, hijas[i], titulo)) {
                hallada = hijas[i];
            }
        }
        XFree(hijas);
    }
    return hallada;
}

bool a_pantalla_completa(Display *x, Window w)
{
    XWindowAttributes a{};
    return XGetWindowAttributes(x, w, &a) != 0 && a.width == DisplayWidth(x, DefaultScreen(x)) &&
           a.height == DisplayHeight(x, DefaultScreen(x)) && a.map_state == IsViewable;
}

// One start-up: milliseconds from the spawn to the first swap and to the last swap of start-up
// (the full-screen frame), and how many frames start-up drew.
struct Arranque {
    double primero_ms;
    double ultimo_ms;
    int fotogramas;
};

// Waits for the first swap, the full-screen window and the end of start-up's frames, then gives
// the window the keyboard (there is no window manager to do it).
Arranque arrancar(Display *x, Programa &p)
{
    const auto primera = siguiente_marca(p, PLAZO_MS);
    if (!primera) {
        falla(std::string(p.nombre) + " swapped no frame");
    }
    std::int64_t ultima = *primera;
    int fotogramas = 1;
    const std::int64_t limite = ahora_ns() + std::int64_t{PLAZO_MS} * 1000000;
    while (p.ventana == 0 || !a_pantalla_completa(x, p.ventana)) {
        if (ahora_ns() > limite) {
            falla(std::string(p.nombre) + ": no full-screen window titled '" + p.titulo + "'");
        }
        p.ventana = buscar_ventana(x, p.titulo);
        fotogramas += esperar_calma(p, 10, &ultima);
    }
    fotogramas += esperar_calma(p, CALMA_MS, &ultima);
    XSetInputFocus(x, p.ventana, RevertToPointerRoot, CurrentTime);
    XSync(x, False);
    return {static_cast<double>(*primera - p.lanzado_ns) / 1e6,
            static_cast<double>(ultima - p.lanzado_ns) / 1e6, fotogramas};
}

void tecla(Display *x, KeySym simbolo, bool pulsada)
{
    XTestFakeKeyEvent(x, XKeysymToKeycode(x, simbolo), pulsada ? True : False, CurrentTime);
    XFlush(x);
}

// Presses and releases one key; returns the milliseconds from the press to the next swap.
double tecla_a_fotograma(Display *x, const Programa &p, KeySym simbolo, int *de_mas)
{
    *de_mas += esperar_calma(p, 0);
    const std::int64_t antes = ahora_ns();
    tecla(x, simbolo, true);
    const auto marca = siguiente_marca(p, PLAZO_MS);
    tecla(x, simbolo, false);
    if (!marca) {
        falla(std::string(p.nombre) + " drew no frame after a key");
    }
    *de_mas += esperar_calma(p, TRAS_TECLA_MS);
    return static_cast<double>(*marca - antes) / 1e6;
}

// ESC, then the exit status; a program that does not stop within a second is killed.
int terminar(Display *x, Programa &p)
{
    XSetInputFocus(x, p.ventana, RevertToPointerRoot, CurrentTime);
    tecla(x, XK_Escape, true);
    tecla(x, XK_Escape, false);
    int estado = 0;
    const std::int64_t limite = ahora_ns() + static_cast<std::int64_t>(DESCARGADO * 1e9);
    while (waitpid(p.pid, &estado, WNOHANG) == 0) {
        if (ahora_ns() > limite) {
            kill(p.pid, SIGKILL);
            waitpid(p.pid, &estado, 0);
            break;
        }
        esperar_calma(p, 5);
    }
    close(p.marcas);
    // The server closes the window when it sees the client gone; the next program's search
    // must not find this one.
    while (buscar_ventana(x, p.titulo) != 0 && ahora_ns() < limite + 1000000000) {
        usleep(2000);
    }
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : 128 + WTERMSIG(estado);
}

// CPU time in nanoseconds of every thread of the process so far: the scheduler's own count,
// /proc/PID/task/TID/schedstat.
std::int64_t cpu_ns(pid_t pid)
{
    const std::string tareas = "/proc/" + std::to_string(pid) + "/task";
    std::int64_t total = 0;
    DIR *dir = opendir(tareas.c_str());
    if (dir == nullptr) {
        return 0;
    }
    while (const dirent *e = readdir(dir)) {
        if (e->d_name[0] == '.') {
            continue;
        }
        std::ifstream f(tareas + "/" + e->d_name + "/schedstat");
        std::int64_t ns = 0;
        if (f >> ns) {
            total += ns;
        }
    }
    closedir(dir);
    return total;
}

// The same in the coarser user + system clock ticks of /proc/PID/stat.
long cpu_ticks(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string linea;
    std::getline(f, linea);
    // The command name may hold spaces; the fields after it are counted from its ')'.
    std::istringstream campos(linea.substr(linea.rfind(')') + 2));
    std::string campo;
    long utime = 0;
    long stime = 0;
    for (int i = 3; i <= 15 && campos >> campo; ++i) {
        if (i == 14) {
            utime = std::stol(campo);
        } else if (i == 15) {
            stime = std::stol(campo);
        }
    }
    return utime + stime;
}

// A "Vm...:   N kB" line of /proc/PID/status, in MiB.
double memoria_mib(pid_t pid, const char *campo)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string linea;
    const std::string buscado = std::string(campo) + ":";
    while (std::getline(f, linea)) {
        if (linea.compare(0, buscado.size(), buscado) == 0) {
            return std::stod(linea.substr(buscado.size())) / 1024.0;
        }
    }
    return 0.0;
}

int hilos(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string linea;
    while (std::getline(f, linea)) {
        if (linea.compare(0, 8, "Threads:") == 0) {
            return std::stoi(linea.substr(8));
        }
    }
    return 0;
}

// Resident memory by where it is mapped (/proc/PID/smaps), in MiB: what the shader compiler,
// the GL driver, the other libraries and the anonymous memory (heap, JIT code, GL buffers)
// hold.
constexpr int GRUPOS = 6;
const char *const NOMBRE_GRUPO[GRUPOS] = {
    "  LLVM (libLLVM)",         "  Mesa's driver (swrast_dri.so)",
    "  other shared libraries", "  anonymous: heap, JIT code, buffers",
    "  X shared-memory images", "  the rest (program, stack, files)"};

int grupo_de(const std::string &ruta)
{
    if (ruta.find("libLLVM") != std::string::npos) {
        return 0;
    }
    if (ruta.find("swrast_dri") != std::string::npos) {
        return 1;
    }
    if (ruta.find(".so") != std::string::npos) {
        return 2;
    }
    if (ruta.empty() || ruta == "[heap]") {
        return 3;
    }
    if (ruta.compare(0, 5, "/SYSV") == 0) {
        return 4;
    }
    return 5;
}

void memoria_por_grupo(pid_t pid, double *mib)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/smaps");
    std::string linea;
    int grupo = GRUPOS - 1;
    while (std::getline(f, linea)) {
        std::istringstream campos(linea);
        std::string primero;
        campos >> primero;
        if (primero.back() != ':') {
            // A mapping's header: range, permissions, offset, device, inode, then the path.
            std::string ignorado;
            std::string ruta;
            for (int k = 0; k < 4; ++k) {
                campos >> ignorado;
            }
            std::getline(campos >> std::ws, ruta);
            grupo = grupo_de(ruta);
        } else if (primero == "Rss:") {
            double kb = 0;
            campos >> kb;
            mib[grupo] += kb / 1024.0;
        }
    }
}

struct Cifras {
    std::vector<double> arranque_ms;
    std::vector<double> pantalla_completa_ms;
    std::vector<double> sin_cache_ms;
    int fotogramas_arranque = 0;
    std::vector<double> derecha_ms;
    std::vector<double> espacio_ms;
    int de_mas = 0;
    double reposo_cpu_ms = 0;
    long reposo_ticks = 0;
    int reposo_fotogramas = 0;
    double pico_mib = 0;
    double residente_mib = 0;
    double por_grupo_mib[GRUPOS] = {};
    int hilos = 0;
    int salida = 0;
};

void fila(const std::string &que, double juego, double base, const char *unidad)
{
    std::printf("%-40s %10.2f %10.2f %8.2fx  %s\n", que.c_str(), juego, base,
                base > 0 ? juego / base : 0.0, unidad);
}

void fila_diferencia(const std::string &que, double juego, double base, const char *unidad)
{
    std::printf("%-40s %10.2f %10.2f %+9.2f  %s\n", que.c_str(), juego, base, juego - base, unidad);
}

// The median of the ratios of paired samples: start-ups launched one right after the other meet
// the same load on the machine.
void fila_pares(const std::string &que, const std::vector<double> &juego,
                const std::vector<double> &base)
{
    std::vector<double> razones;
    for (std::size_t k = 0; k < juego.size() && k < base.size(); ++k) {
        razones.push_back(juego[k] / base[k]);
    }
    std::printf("%-40s %10s %10s %8.2fx\n", que.c_str(), "", "", mediana(razones));
}

double menor(const std::vector<double> &v)
{
    return *std::min_element(v.begin(), v.end());
}

// Launches, starts up and ends each program in turn, `veces` times; returns nothing but adds the
// start-up times to `cifras` (0 the game, 1 the baseline).
void arranques(Display *x, const char *const *rutas, const char *const *titulos, const char *marcas,
               int veces, bool sin_cache, Cifras *cifras)
{
    for (int r = 0; r < veces; ++r) {
        for (int i = 0; i < 2; ++i) {
            Programa p = lanzar(rutas[i], titulos[i], marcas, sin_cache);
            const Arranque a = arrancar(x, p);
            if (sin_cache) {
                cifras[i].sin_cache_ms.push_back(a.primero_ms);
            } else {
                cifras[i].arranque_ms.push_back(a.primero_ms);
                cifras[i].pantalla_completa_ms.push_back(a.ultimo_ms);
                cifras[i].fotogramas_arranque = a.fotogramas;
            }
            const int salida = terminar(x, p);
            if (salida != 0) {
                falla(std::string(rutas[i]) + " ended with status " + std::to_string(salida) +
                      " after ESC");
            }
        }
    }
}

// Two Rights and a SPACE, `rondas` times, each key timed to its frame.
void teclas(Display *x, const Programa &p, int rondas, Cifras &c)
{
    for (int r = 0; r < rondas; ++r) {
        c.derecha_ms.push_back(tecla_a_fotograma(x, p, XK_Right, &c.de_mas));
        c.derecha_ms.push_back(tecla_a_fotograma(x, p, XK_Right, &c.de_mas));
        c.espacio_ms.push_back(tecla_a_fotograma(x, p, XK_space, &c.de_mas));
    }
    esperar_calma(p, CALMA_MS);
}

// Both programs left without input for `segundos`: their CPU time and any frame they draw.
void reposo(Programa *vivos, Cifras **cifras, int segundos)
{
    std::int64_t ns0[2];
    long ticks0[2];
    for (int k = 0; k < 2; ++k) {
        ns0[k] = cpu_ns(vivos[k].pid);
        ticks0[k] = cpu_ticks(vivos[k].pid);
    }
    const std::int64_t fin = ahora_ns() + std::int64_t{segundos} * 1000000000;
    while (ahora_ns() < fin) {
        pollfd esperas[2] = {{vivos[0].marcas, POLLIN, 0}, {vivos[1].marcas, POLLIN, 0}};
        const auto resta = static_cast<int>((fin - ahora_ns()) / 1000000);
        if (poll(esperas, 2, std::max(resta, 1)) > 0) {
            for (int k = 0; k < 2; ++k) {
                if ((esperas[k].revents & POLLIN) != 0) {
                    cifras[k]->reposo_fotogramas += esperar_calma(vivos[k], 0);
                }
            }
        }
    }
    for (int k = 0; k < 2; ++k) {
        cifras[k]->reposo_cpu_ms = static_cast<double>(cpu_ns(vivos[k].pid) - ns0[k]) / 1e6;
        cifras[k]->reposo_ticks = cpu_ticks(vivos[k].pid) - ticks0[k];
    }
}

void memoria(pid_t pid, Cifras &c)
{
    c.pico_mib = memoria_mib(pid, "VmHWM");
    c.residente_mib = memoria_mib(pid, "VmRSS");
    memoria_por_grupo(pid, c.por_grupo_mib);
    c.hilos = hilos(pid);
}

void informe(const Cifras &j, const Cifras &b, int reposo_s)
{
    std::printf("%-40s %10s %10s %9s\n", "", "voltaro", "base_glut", "ratio");
    fila("start-up to first swap, median", mediana(j.arranque_ms), mediana(b.arranque_ms), "ms");
    fila_pares("  median of paired ratios", j.arranque_ms, b.arranque_ms);
    fila("  fastest", menor(j.arranque_ms), menor(b.arranque_ms), "ms");
    fila("  to the full-screen frame, median", mediana(j.pantalla_completa_ms),
         mediana(b.pantalla_completa_ms), "ms");
    fila("  first swap, no shader cache, median", mediana(j.sin_cache_ms), mediana(b.sin_cache_ms),
         "ms");
    fila_pares("  median of paired ratios", j.sin_cache_ms, b.sin_cache_ms);
    fila("key to frame, Right, median", mediana(j.derecha_ms), mediana(b.derecha_ms), "ms");
    fila("  90th percentile", percentil_90(j.derecha_ms), percentil_90(b.derecha_ms), "ms");
    fila("key to frame, SPACE, median", mediana(j.espacio_ms), mediana(b.espacio_ms), "ms");
    fila("  90th percentile", percentil_90(j.espacio_ms), percentil_90(b.espacio_ms), "ms");
    std::printf("%-40s %10.2f %10.2f %9s  ms of CPU, all threads (%ld and %ld clock ticks)\n",
                ("idle CPU in " + std::to_string(reposo_s) + " s").c_str(), j.reposo_cpu_ms,
                b.reposo_cpu_ms, "", j.reposo_ticks, b.reposo_ticks);
    fila("peak resident memory (VmHWM)", j.pico_mib, b.pico_mib, "MiB");
    std::printf("%-40s %10s %10s %9s\n", "resident now (VmRSS), by mapping", "", "", "difference");
    fila_diferencia("  all", j.residente_mib, b.residente_mib, "MiB");
    for (int g = 0; g < GRUPOS; ++g) {
        fila_diferencia(NOMBRE_GRUPO[g], j.por_grupo_mib[g], b.por_grupo_mib[g], "MiB");
    }
    std::printf("%zu start-ups each with Mesa's shader cache, %zu without; %zu Right and %zu "
                "SPACE each\n",
                j.arranque_ms.size(), j.sin_cache_ms.size(), j.derecha_ms.size(),
                j.espacio_ms.size());
    std::printf("frames drawn at start-up %d and %d; while idle %d and %d; unasked after keys %d "
                "and %d; threads %d and %d; exit status after ESC %d and %d\n",
                j.fotogramas_arranque, b.fotogramas_arranque, j.reposo_fotogramas,
                b.reposo_fotogramas, j.de_mas, b.de_mas, j.hilos, b.hilos, j.salida, b.salida);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: conductor MARCAS JUEGO BASE [ARRANQUES [RONDAS [REPOSO_S]]]\n");
        return 2;
    }
    const char *marcas = argv[1];
    const char *rutas[2] = {argv[2], argv[3]};
    const char *titulos[2] = {TITULO_JUEGO, TITULO_BASE};
    const int veces = argc > 4 ? entero(argv[4]) : 11;
    const int rondas = argc > 5 ? entero(argv[5]) : 16;
    const int reposo_s = argc > 6 ? entero(argv[6]) : 10;
    signal(SIGPIPE, SIG_IGN);

    Display *x = XOpenDisplay(nullptr);
    if (x == nullptr) {
        falla("cannot open the display (DISPLAY)");
    }
    int evento = 0;
    int error = 0;
    int version[2] = {0, 0};
    if (XTestQueryExtension(x, &evento, &error, &version[0], &version[1]) == 0) {
        falla("the X server has no XTest extension");
    }

    // The first round only warms the page cache and fills Mesa's shader cache.
    Cifras cifras[2];
    Cifras descartadas[2];
    arranques(x, rutas, titulos, marcas, 1, false, descartadas);
    arranques(x, rutas, titulos, marcas, veces, false, cifras);
    arranques(x, rutas, titulos, marcas, std::max(veces / 2, 1), true, cifras);

    // Keys: the baseline first, then the game, whose window then covers the baseline's; both
    // stay up through the idle span, which they spend side by side.
    Programa vivos[2] = {lanzar(rutas[1], titulos[1], marcas), {}};
    arrancar(x, vivos[0]);
    teclas(x, vivos[0], rondas, cifras[1]);
    vivos[1] = lanzar(rutas[0], titulos[0], marcas);
    arrancar(x, vivos[1]);
    teclas(x, vivos[1], rondas, cifras[0]);
    Cifras *por_vivo[2] = {&cifras[1], &cifras[0]};
    reposo(vivos, por_vivo, reposo_s);
    memoria(vivos[0].pid, cifras[1]);
    memoria(vivos[1].pid, cifras[0]);
    cifras[0].salida = terminar(x, vivos[1]);
    cifras[1].salida = terminar(x, vivos[0]);
    XCloseDisplay(x);

    informe(cifras[0], cifras[1], reposo_s);
    return cifras[0].salida == 0 && cifras[1].salida == 0 ? 0 : 1;
}
