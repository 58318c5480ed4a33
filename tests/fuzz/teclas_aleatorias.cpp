// tests/fuzz/teclas_aleatorias.cpp — random key streams fed straight to keyboard() and
// keyboard_especial(), with no display, checking the game's invariants after every key.
//
// Each seed of a fixed list drives a std::mt19937 that picks keys: every ordinary key 0-255, every
// GLUT special key code and arbitrary ints, biased towards the arrows and SPACE so that most games
// are played to their end. The computer's coin (ai/moneda.h) is seeded alike, so a run is the same
// every time. The two exits end a game: the window stand-in below turns them into an
// exception, and the driver puts the state back as start-up leaves it and starts the next game.
//
// Usage: teclas_aleatorias [games]   (15000 by default). Prints one summary line on stderr and
// exits 1 when any invariant failed.
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <tuple>

#include "ai/moneda.h"
#include "apoyo/tablero.h"
#include "game/estado.h"
#include "input/peticiones.h"
#include "input/teclado.h"

// ---- The window's stand-in: redraws are counted, an exit becomes an exception. ----

namespace {

struct Salida {
    int estado; // the exit status the game asked for
};

} // namespace

int redibujos_pedidos = 0;

void pedir_redibujo()
{
    ++redibujos_pedidos;
}

void terminar_programa(int estado)
{
    throw Salida{estado};
}

namespace {

// ---- A copy of the whole game state, to compare before and after a key. ----

using Tablero = std::array<std::array<int, TAM>, TAM>;

struct Foto {
    Tablero matriz, ia;
    int ataca, no_ataca, ptos, fin_juego, play, modo, ganador, numx, num0, imax, nmax, tiradai,
        tiradan, z_actual, x_actual;
    std::int8_t pierde_turno, primera_tirada, msg;
    std::array<std::array<char, LARGO_NOMBRE>, 2> name;

    auto campos() const
    {
        return std::tie(matriz, ia, ataca, no_ataca, ptos, fin_juego, play, modo, ganador, numx,
                        num0, imax, nmax, tiradai, tiradan, z_actual, x_actual, pierde_turno,
                        primera_tirada, msg, name);
    }
    bool operator==(const Foto &otra) const
    {
        return campos() == otra.campos();
    }
};

Foto tomar_foto()
{
    Foto f{};
    std::memcpy(f.matriz.data(), matriz, sizeof matriz);
    std::memcpy(f.ia.data(), ia, sizeof ia);
    std::memcpy(f.name.data(), name, sizeof name);
    f.ataca = ataca;
    f.no_ataca = no_ataca;
    f.ptos = ptos;
    f.fin_juego = fin_juego;
    f.play = play;
    f.modo = modo;
    f.ganador = ganador;
    f.numx = numx;
    f.num0 = num0;
    f.imax = imax;
    f.nmax = nmax;
    f.tiradai = tiradai;
    f.tiradan = tiradan;
    f.z_actual = z_actual;
    f.x_actual = x_actual;
    f.pierde_turno = pierde_turno;
    f.primera_tirada = primera_tirada;
    f.msg = msg;
    return f;
}

// ---- The ordinary Reversi rule, worked out here independently of the game's engine. ----

bool en_tablero(int fila, int col)
{
    return fila >= 0 && fila < TAM && col >= 0 && col < TAM;
}

// Marks in `vuelta` the discs that a disc of `jugador` at (fila, col) would turn: in each of the
// eight directions, an unbroken run of the opponent's discs closed by one of the mover's own.
// Returns how many there are; 0 for an occupied square or an illegal move.
int flanqueadas(const Tablero &t, int jugador, int fila, int col, bool vuelta[TAM][TAM])
{
    if (t[fila][col] != 0) {
        return 0;
    }
    const int contrario = 3 - jugador;
    int total = 0;
    for (int df = -1; df <= 1; ++df) {
        for (int dc = -1; dc <= 1; ++dc) {
            int f = fila + df;
            int c = col + dc;
            int largo = 0;
            while ((df != 0 || dc != 0) && en_tablero(f, c) && t[f][c] == contrario) {
                ++largo;
                f += df;
                c += dc;
            }
            if (largo == 0 || !en_tablero(f, c) || t[f][c] != jugador) {
                continue;
            }
            for (int d = 1; d <= largo; ++d) {
                vuelta[fila + d * df][col + d * dc] = true;
            }
            total += largo;
        }
    }
    return total;
}

bool es_legal(const Tablero &t, int jugador, int fila, int col)
{
    bool vuelta[TAM][TAM] = {};
    return flanqueadas(t, jugador, fila, col, vuelta) > 0;
}

bool tiene_jugada(const Tablero &t, int jugador)
{
    for (int fila = 0; fila < TAM; ++fila) {
        for (int col = 0; col < TAM; ++col) {
            if (es_legal(t, jugador, fila, col)) {
                return true;
            }
        }
    }
    return false;
}

int fichas(const Tablero &t, int color)
{
    int n = 0;
    for (const auto &fila : t) {
        for (int celda : fila) {
            n += celda == color;
        }
    }
    return n;
}

// ---- Failures: counted, and the first few told with where they happened. ----

constexpr int FALLOS_CONTADOS = 20;

struct Donde {
    std::uint32_t semilla;
    long partida, tecla;
    bool especial;
    int codigo;
} donde;

long fallos = 0;

void falla(const char *que)
{
    ++fallos;
    if (fallos <= FALLOS_CONTADOS) {
        std::fprintf(stderr, "fuzz: seed %u, game %ld, key %ld (%s %d): %s\n", donde.semilla,
                     donde.partida, donde.tecla, donde.especial ? "special" : "ordinary",
                     donde.codigo, que);
    }
}

void exige(bool condicion, const char *que)
{
    if (!condicion) {
        falla(que);
    }
}

// ---- The checks after one key. ----

void comprueba_dominios()
{
    bool celdas = true;
    for (const auto &fila : matriz) {
        for (int celda : fila) {
            celdas = celdas && celda >= 0 && celda <= 2;
        }
    }
    exige(celdas, "a cell holds something other than 0, 1 or 2");
    exige(en_tablero(z_actual, x_actual), "cursor off the board");
    exige((ataca == 1 && no_ataca == 2) || (ataca == 2 && no_ataca == 1),
          "ataca/no_ataca are not 1 and 2");
    exige(msg >= MSG_NINGUNO && msg <= MSG_EMPATE, "msg outside 0..6");
    exige(fin_juego >= 0 && fin_juego <= 2, "fin_juego outside 0..2");
    exige(play == 0 || play == 1, "play is not a flag");
    exige(pierde_turno == 0 || pierde_turno == 1, "pierde_turno is not a flag");
}

// The game has just ended: the winner and the message follow from the discs on the board.
void comprueba_final(const Foto &despues)
{
    const int blancas = fichas(despues.matriz, BLANCAS);
    const int negras = fichas(despues.matriz, NEGRAS);
    const int ganador_esperado = blancas > negras ? BLANCAS : negras > blancas ? NEGRAS : 0;
    exige(despues.ganador == ganador_esperado, "wrong winner");
    exige(despues.msg == (blancas > negras   ? MSG_GANA_JUGADOR
                          : negras > blancas ? MSG_GANA_MAQUINA
                                             : MSG_EMPATE),
          "wrong end-of-game message");
}

// A played move: one new disc of `jugador` at (fila, col), and exactly the discs it flanks turned
// to the mover; nothing else on the board changed.
void comprueba_tirada(const Foto &antes, const Foto &despues, int jugador, int fila, int col)
{
    bool vuelta[TAM][TAM] = {};
    const int esperadas = flanqueadas(antes.matriz, jugador, fila, col, vuelta);
    exige(esperadas > 0, "a move was played that flanks nothing");
    exige(despues.matriz[fila][col] == jugador, "the played square does not hold the mover's disc");
    int cambiadas = 0;
    bool solo_flanqueadas = true;
    for (int f = 0; f < TAM; ++f) {
        for (int c = 0; c < TAM; ++c) {
            if ((f == fila && c == col) || antes.matriz[f][c] == despues.matriz[f][c]) {
                continue;
            }
            ++cambiadas;
            solo_flanqueadas = solo_flanqueadas && vuelta[f][c] &&
                               antes.matriz[f][c] == 3 - jugador && despues.matriz[f][c] == jugador;
        }
    }
    exige(solo_flanqueadas, "a move turned a disc that it does not flank");
    exige(cambiadas == esperadas, "a move did not turn every disc that it flanks");
    exige(fichas(despues.matriz, 0) == fichas(antes.matriz, 0) - 1,
          "a move did not add exactly one disc");
    exige(despues.fin_juego == 0 && despues.pierde_turno == 0 && despues.msg == MSG_NINGUNO,
          "a played move left a pass count or a message");
}

// SPACE while the game runs: one whole turn of the player whose turn it is, with the outcome that
// the rules give from the board before the key.
void comprueba_turno(const Foto &antes, const Foto &despues)
{
    const int jugador = antes.no_ataca;
    const bool mismo_tablero = antes.matriz == despues.matriz;
    if (fichas(antes.matriz, 0) == 0) {
        exige(mismo_tablero && despues.play == 0, "a full board did not end the game");
        comprueba_final(despues);
        return;
    }
    if (!tiene_jugada(antes.matriz, jugador)) {
        exige(mismo_tablero, "a pass changed the board");
        exige(despues.fin_juego == antes.fin_juego + 1 && despues.pierde_turno == 1,
              "a pass was not counted");
        exige(despues.ataca == jugador, "a pass did not hand the turn over");
        if (antes.fin_juego == 0) {
            exige(despues.play == 1, "a first pass ended the game");
            exige(despues.msg == (jugador == NEGRAS ? MSG_MAQUINA_PASA : MSG_JUGADOR_PASA),
                  "wrong message for a pass");
        } else {
            exige(despues.play == 0, "a second pass in a row did not end the game");
            comprueba_final(despues);
        }
        return;
    }
    exige(despues.play == 1, "the game ended with a legal move available and discs to place");
    if (jugador == 2) {
        exige(despues.ataca == 2, "the computer's move did not keep the turn exchanged");
        exige(en_tablero(despues.imax, despues.nmax), "the computer chose a square off the board");
        if (en_tablero(despues.imax, despues.nmax)) {
            comprueba_tirada(antes, despues, 2, despues.imax, despues.nmax);
        }
        exige(despues.z_actual == despues.imax && despues.x_actual == despues.nmax,
              "the cursor is not on the computer's move");
        exige(despues.primera_tirada == 0, "primera_tirada set after a computer move");
        return;
    }
    exige(despues.tiradai == antes.z_actual && despues.tiradan == antes.x_actual,
          "the person's attempt is not recorded at the cursor");
    if (es_legal(antes.matriz, 1, antes.z_actual, antes.x_actual)) {
        exige(despues.ataca == 1, "the person's move did not keep the turn exchanged");
        comprueba_tirada(antes, despues, 1, antes.z_actual, antes.x_actual);
    } else {
        exige(mismo_tablero, "an illegal attempt changed the board");
        exige(despues.msg == MSG_ILEGAL, "an illegal attempt did not show its message");
        exige(despues.ataca == antes.ataca, "an illegal attempt did not give the turn back");
        exige(despues.fin_juego == 0 && despues.pierde_turno == antes.pierde_turno,
              "an illegal attempt changed the pass count");
    }
}

// A special key: only the cursor and the illegal-square message may change; the arrows move the
// cursor onto empty squares only, the other keys not at all.
void comprueba_especial(int tecla, const Foto &antes, Foto despues)
{
    exige(despues.msg == (antes.msg == MSG_ILEGAL ? MSG_NINGUNO : antes.msg),
          "a special key did not clear just the illegal-square message");
    const int fila = despues.z_actual;
    const int col = despues.x_actual;
    const bool se_mueve = fila != antes.z_actual || col != antes.x_actual;
    if (se_mueve) {
        exige(en_tablero(fila, col) && antes.matriz[fila][col] == 0,
              "the cursor moved onto an occupied square");
    }
    switch (tecla) {
    case TECLA_ARRIBA:
    case TECLA_ABAJO:
        exige(col == antes.x_actual, "Up or Down left the cursor's column");
        exige(!se_mueve || (tecla == TECLA_ARRIBA) == (fila < antes.z_actual),
              "Up or Down moved the wrong way");
        break;
    case TECLA_IZQUIERDA:
    case TECLA_DERECHA: {
        const int vacias = fichas(antes.matriz, 0);
        const bool en_vacia = antes.matriz[antes.z_actual][antes.x_actual] == 0;
        exige(se_mueve || vacias == (en_vacia ? 1 : 0),
              "Left or Right stayed though another square is empty");
        break;
    }
    default:
        exige(!se_mueve, "a special key other than an arrow moved the cursor");
        break;
    }
    despues.msg = antes.msg;
    despues.z_actual = antes.z_actual;
    despues.x_actual = antes.x_actual;
    exige(despues == antes, "a special key changed more than the cursor and the message");
}

// ---- The key stream. ----

// Right comes as often as the other three arrows together: the cursor drifts forwards through the
// empty squares and soon reaches one where the person can play, which an even walk back and
// forth would take long to do.
constexpr std::array<int, 6> FLECHAS = {TECLA_IZQUIERDA, TECLA_ARRIBA,  TECLA_ABAJO,
                                        TECLA_DERECHA,   TECLA_DERECHA, TECLA_DERECHA};

struct Tecla {
    bool especial;
    int codigo;
};

// Mostly arrows and SPACE; now and then any ordinary key (ESC among them, which ends the game),
// any special code GLUT sends (F1-F12, arrows, page keys, home, end, insert, freeglut's extras)
// or an arbitrary int. SPACE comes seldom while the cursor stands where the person cannot play
// but could elsewhere, so that a game is not spent mostly on illegal attempts.
Tecla tecla_al_azar(std::mt19937 &azar, const Foto &ahora)
{
    // The board changes only on SPACE, so where the person can play is worked out once per board
    // and not for every arrow.
    static Tablero tablero_visto{};
    static bool legal[TAM][TAM];
    static bool puede_jugar = false;
    if (ahora.matriz != tablero_visto) {
        tablero_visto = ahora.matriz;
        puede_jugar = false;
        for (int fila = 0; fila < TAM; ++fila) {
            for (int col = 0; col < TAM; ++col) {
                legal[fila][col] = es_legal(ahora.matriz, 1, fila, col);
                puede_jugar = puede_jugar || legal[fila][col];
            }
        }
    }
    const bool busca_sitio = ahora.play == 1 && ahora.no_ataca == 1 && puede_jugar &&
                             !legal[ahora.z_actual][ahora.x_actual];
    const int espacios = busca_sitio ? 4 : 70;
    const int r = std::uniform_int_distribution<int>(0, 99)(azar);
    if (r < espacios) {
        return {false, TECLA_ESPACIO};
    }
    if (r < 88) {
        return {true,
                FLECHAS[std::uniform_int_distribution<std::size_t>(0, FLECHAS.size() - 1)(azar)]};
    }
    if (r < 93) {
        return {false, std::uniform_int_distribution<int>(0, 255)(azar)};
    }
    if (r < 98) {
        const int k = std::uniform_int_distribution<int>(0, 29)(azar);
        return {true, k < 12 ? 1 + k : 100 + (k - 12)};
    }
    return {true, std::uniform_int_distribution<int>(INT_MIN, INT_MAX)(azar)};
}

// ---- The driver. ----

constexpr std::array<std::uint32_t, 6> SEMILLAS = {1, 7, 42, 1989, 65537, 20240611};
constexpr long TECLAS_POR_PARTIDA = 20000; // far more than any game needs

struct Cuenta {
    long partidas = 0, terminadas = 0, con_esc = 0, teclas = 0;
};

// Feeds one key and checks what it did. Returns false when the key ended the program.
bool pulsa(const Tecla &tecla, const Foto &antes, std::mt19937 &azar, Cuenta &cuenta)
{
    const int redibujos = redibujos_pedidos;
    const int raton_x = static_cast<int>(azar());
    const int raton_y = static_cast<int>(azar());
    ++cuenta.teclas;
    try {
        if (tecla.especial) {
            keyboard_especial(tecla.codigo, raton_x, raton_y);
        } else {
            keyboard(static_cast<unsigned char>(tecla.codigo), raton_x, raton_y);
        }
    } catch (const Salida &salida) {
        const bool esc = !tecla.especial && tecla.codigo == TECLA_ESC;
        const bool fin = !tecla.especial && tecla.codigo == TECLA_ESPACIO && antes.play == 0;
        exige(esc || fin, "the program ended on a key that does not end it");
        exige(!esc || salida.estado == 0, "ESC did not exit with status 0");
        exige(!fin || salida.estado == 1, "SPACE after the end did not exit with status 1");
        exige(redibujos_pedidos == redibujos, "a redraw was requested on the way out");
        cuenta.terminadas += fin;
        cuenta.con_esc += esc;
        return false;
    }
    const Foto despues = tomar_foto();
    comprueba_dominios();
    exige(redibujos_pedidos == redibujos + 1, "a key did not request exactly one redraw");
    exige(tecla.especial ||
              (tecla.codigo != TECLA_ESC && (tecla.codigo != TECLA_ESPACIO || antes.play == 1)),
          "ESC, or SPACE after the end, did not end the program");
    if (tecla.especial) {
        comprueba_especial(tecla.codigo, antes, despues);
    } else if (tecla.codigo == TECLA_ESPACIO && antes.play == 1) {
        comprueba_turno(antes, despues);
    } else {
        exige(despues == antes, "an ordinary key other than ESC and SPACE changed the state");
    }
    return true;
}

void juega_partida(std::mt19937 &azar, Cuenta &cuenta)
{
    estado_de_arranque();
    donde.tecla = 0;
    while (true) {
        if (++donde.tecla > TECLAS_POR_PARTIDA) {
            falla("the game never ended");
            return;
        }
        const Foto antes = tomar_foto();
        const Tecla tecla = tecla_al_azar(azar, antes);
        donde.especial = tecla.especial;
        donde.codigo = tecla.codigo;
        try {
            if (!pulsa(tecla, antes, azar, cuenta)) {
                return;
            }
        } catch (...) {
            falla("a key handler threw something other than an exit");
            return;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    const long partidas = argc > 1 ? std::atol(argv[1]) : 15000;
    // The transcript goes nowhere. Standard output is opened for reading only, so every write to
    // it fails at once, before any formatting, which would otherwise take a third of the time;
    // a transcript that cannot be written must not disturb the game anyway.
    if (std::freopen("/dev/null", "r", stdout) == nullptr) {
        std::perror("fuzz: /dev/null");
        return 2;
    }
    Cuenta cuenta;
    for (std::size_t i = 0; i < SEMILLAS.size(); ++i) {
        donde.semilla = SEMILLAS[i];
        std::mt19937 azar(SEMILLAS[i]);
        siembra_moneda(SEMILLAS[i]);
        const long hasta = partidas * static_cast<long>(i + 1) / static_cast<long>(SEMILLAS.size());
        for (donde.partida = 0; cuenta.partidas < hasta; ++donde.partida) {
            juega_partida(azar, cuenta);
            ++cuenta.partidas;
        }
    }
    std::fprintf(stderr,
                 "fuzz: %ld games (%ld played to the end, %ld left with ESC), %ld keys, %ld "
                 "invariant failures\n",
                 cuenta.partidas, cuenta.terminadas, cuenta.con_esc, cuenta.teclas, fallos);
    return fallos == 0 ? 0 : 1;
}
