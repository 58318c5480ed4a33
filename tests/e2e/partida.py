"""tests/e2e/partida.py — runs the real game binary under X and reads its console transcript.

A Partida starts the binary with its standard output going to a temporary file, finds the game's
window by the process id that the game sets on it (_NET_WM_PID), gives it the keyboard focus and
types real key events into it with `xdotool key`, which goes through XTest to the focused window;
there is no window manager under Xvfb to get in the way. Xvfb now and then refuses a connection
made while another client connects: a start that ends that way before its window appears, with
freeglut's "failed to open display" line as all its stderr and status 1, is started again, at
most REINTENTOS times, and each such start is reported on the test's output. The game flushes its
transcript after the banner and after every ordinary key, so the file is polled until the
expected text has arrived, with a deadline and never a fixed long sleep. Used as a context
manager it always kills the game on the way out, and the game is also told to die with the test
process, so no run leaves a voltaro behind.

The transcript is cut into turns: while the game runs, each SPACE prints exactly one of the turn
shapes below, and lee_turno() recognises a complete one, with its board dump parsed into a board
of reglas.py.
"""

import ctypes
import os
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass

from reglas import BLANCA, NEGRA, TAM, VACIA, cuenta

TITULO = "Davro v.1.0     Kalvendor"
BANNER = b"\n" * 56 + b"VOLTARO V1.0  GRAFICO\t\t BY TORNALUX"
NOMBRES = {BLANCA: b"Jugador (blancas)", NEGRA: b"Maquina (negras)"}
ILEGAL = b"Ah\xc3\xad no puedes tirar. Vuelve a intentarlo porque puedes.\n\n"

PLAZO = 10.0  # seconds to wait for anything the game should do at once; reached only on failure
SONDEO = 0.005  # seconds between two looks at the transcript
SONDEO_VENTANA = 0.05  # seconds between two searches for the game's window
PAUSA_CONEXION = 0.2  # seconds for the X server to answer the game's connection
REINTENTOS = 3  # starts refused by the X server that are started again, in one run
# All that a start refused by the X server writes: freeglut's line, naming the program and the
# display.
RECHAZO = re.compile(rb"freeglut \([^\n]*\): failed to open display '[^\n]*'\n")
arranques_rechazados = 0  # in this test process, reported by principal()


class Fallo(Exception):
    """A check of the game failed; the message says what was expected and what came."""


def igual(obtenido, esperado, que):
    if obtenido != esperado:
        raise Fallo(f"{que}:\n  expected {esperado!r}\n  got      {obtenido!r}")


def comprueba(condicion, mensaje):
    if not condicion:
        raise Fallo(mensaje)


# The console dump of a board, and the board of a dump.

CABECERA_VOLCADO = b"-" * 46 + b"\n\n\n  0 1 2 3 4 5 6 7\n"
_CASILLA_VOLCADO = {BLANCA: b"|B", NEGRA: b"|N", VACIA: b"| "}


def volcado(tablero):
    """The bytes of the game's board dump of `tablero`."""
    filas = b"".join(
        b"%d" % i + b"".join(_CASILLA_VOLCADO[c] for c in fila) + b"|\n"
        for i, fila in enumerate(tablero)
    )
    cuentas = b"\n>>>Fichas Blancas (B):%d\n>>>Fichas Negras (N):%d\n" % cuenta(tablero)
    return CABECERA_VOLCADO + filas + cuentas


def tablero_de_volcado(texto):
    """The board pictured by a dump. The dump must be exactly the one of that board: row numbers
    in order and disc counts that add up."""
    lineas = texto.split(b"\n")[4 : 4 + TAM]
    tablero = tuple(linea[2::2].decode().replace(" ", VACIA) for linea in lineas)
    igual(texto, volcado(tablero), "board dump (layout or disc counts)")
    return tablero


# The turn shapes: what one SPACE prints.

_NOMBRE = rb"Jugador \(blancas\)|Maquina \(negras\)"
_VOLCADO = rb"(?P<volcado>-{46}\n\n\n  0 1 2 3 4 5 6 7\n(?:[0-7](?:\|[BN ]){8}\|\n){8}\n" \
    rb">>>Fichas Blancas \(B\):\d+\n>>>Fichas Negras \(N\):\d+\n)"
_CASILLA = rb"\((?P<fila>[0-7]),(?P<col>[0-7])\)\n\n"
_RESULTADO = (
    rb"(?:Ha ganado (?P<ganador>" + _NOMBRE + rb")\n"
    rb"|Jugador \(blancas\) y Maquina \(negras\) han quedado empatados\.\n)"
    rb"\n\n\nBY TORNALUX\n"
)
FORMAS = [
    ("tira", rb"Jugador \(blancas\)\.\n" + _VOLCADO
     + rb"Jugador \(blancas\) tir\xc3\xb3 en la posici\xc3\xb3n " + _CASILLA),
    ("ilegal", rb"Jugador \(blancas\)\.\n" + _VOLCADO + re.escape(ILEGAL)),
    ("tira", _VOLCADO + rb"Maquina \(negras\) \(PC\) ha tirado en la pos " + _CASILLA),
    ("pasa", rb"(?P<nombre>" + _NOMBRE + rb")\.\nno puede tirar\.\n"
     rb"El turno pasa de jugador\.\n" + _VOLCADO),
    ("fin", rb"(?:(?P<nombre>" + _NOMBRE + rb")\.\ntampoco puede tirar\.\nFIN DEL JUEGO\n)?"
     + _RESULTADO),
]
FORMAS = [(tipo, re.compile(patron)) for tipo, patron in FORMAS]


_COLOR_DE_NOMBRE = {nombre: color for color, nombre in NOMBRES.items()}


def _color(nombre):
    return _COLOR_DE_NOMBRE[nombre] if nombre else None


@dataclass
class Turno:
    tipo: str  # "tira" (a move), "ilegal" (the person's rejected attempt), "pasa", "fin"
    color: str  # who moved, tried or passed; for "fin", who passed second (None: full board)
    casilla: tuple  # the square played, for "tira"
    tablero: tuple  # the board of the dump, for "tira", "ilegal" and "pasa"
    ganador: str  # for "fin": BLANCA, NEGRA, or None for a draw
    bruto: bytes  # everything the turn printed


def lee_turno(texto):
    """The Turno that `texto` is exactly, or None while it is not (yet) a complete turn."""
    for tipo, forma in FORMAS:
        m = forma.fullmatch(texto)
        if not m:
            continue
        grupos = m.groupdict()
        tablero = tablero_de_volcado(grupos["volcado"]) if grupos.get("volcado") else None
        casilla = (int(grupos["fila"]), int(grupos["col"])) if grupos.get("fila") else None
        if tipo == "tira":
            color = BLANCA if texto.startswith(NOMBRES[BLANCA]) else NEGRA
        elif tipo == "ilegal":
            color = BLANCA
        else:
            color = _color(grupos.get("nombre"))
        return Turno(tipo, color, casilla, tablero, _color(grupos.get("ganador")), texto)
    return None


# The running game.


def _muere_con_el_padre():
    """Runs in the child before exec: the kernel kills the game when the test process ends,
    whatever way it ends."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


def _xdotool(*argumentos, plazo=PLAZO):
    """Runs xdotool and returns its exit status and its output."""
    try:
        r = subprocess.run(["xdotool", *argumentos], capture_output=True, text=True,
                           timeout=plazo, check=False)
    except subprocess.TimeoutExpired:
        raise Fallo(f"xdotool {' '.join(argumentos)} did not end within {plazo:.0f} s") from None
    return r.returncode, r.stdout


def _ventana_de(pid):
    """The visible window whose _NET_WM_PID is `pid`, or None."""
    _, salida = _xdotool("search", "--onlyvisible", "--pid", str(pid))
    return next(iter(salida.split()), None)


class Juego:
    """One run of `orden` (the binary, or a command in front of it such as valgrind) with its
    standard output going to `salida` (a file object, subprocess.PIPE or DEVNULL, or None to
    close it), under `entorno`: it waits for the game's window, focuses it and types keys. What
    the game did is read from its exit status and its stderr; Partida reads its transcript as
    well."""

    def __init__(self, orden, salida=subprocess.DEVNULL, entorno=None, plazo_ventana=PLAZO):
        self.orden = orden
        self.salida = salida
        self.entorno = entorno
        self.plazo_ventana = plazo_ventana
        self.proceso = None
        self.ventana = None
        self.dir = None
        self.rechazos = 0  # starts of this run refused by the X server

    def __enter__(self):
        global arranques_rechazados
        comprueba(os.environ.get("DISPLAY"), "DISPLAY is not set: these tests need an X server")
        self.dir = tempfile.mkdtemp(prefix="voltaro-e2e-")
        self.errores = os.path.join(self.dir, "stderr")
        while True:
            try:
                self._arranca()
                return self
            except Fallo:
                if self.rechazos == REINTENTOS or not self._rechazado():
                    self.__exit__(None, None, None)  # no `with` body, so no __exit__ either
                    raise
            self.rechazos += 1
            arranques_rechazados += 1
            print(f"X server refused the connection; started again ({self.rechazos} of "
                  f"{REINTENTOS})", flush=True)
            self._vacia_salida()

    def _arranca(self):
        """Starts the game and waits for its window; fails when the game exits first."""
        cerrar = self.salida is None

        def preparar():
            _muere_con_el_padre()
            if cerrar:
                os.close(1)

        with open(self.errores, "wb") as err:
            self.proceso = subprocess.Popen(
                self.orden, stdin=subprocess.DEVNULL, stdout=self.salida, stderr=err,
                env=self.entorno, preexec_fn=preparar)
        # Xvfb turns away some of the connections made while other clients connect and
        # disconnect fast, as xdotool does when polled: the display is not polled until the
        # game's own connection has been made and answered.
        self._espera(self.conectado, "the game to connect to the X server", self.plazo_ventana)
        time.sleep(PAUSA_CONEXION)
        self.ventana = self._espera(lambda: _ventana_de(self.proceso.pid),
                                    "the game's window to appear", self.plazo_ventana,
                                    SONDEO_VENTANA)
        codigo, _ = _xdotool("windowfocus", "--sync", self.ventana)
        igual(codigo, 0, "xdotool windowfocus status")

    def _rechazado(self):
        """True when the last start ended as one refused by the X server: status 1 before any
        window, and freeglut's line alone on stderr."""
        return (self.ventana is None and self.proceso.poll() == 1
                and RECHAZO.fullmatch(self.stderr()) is not None)

    def _vacia_salida(self):
        """Empties the file that standard output goes to, if it is a regular one, so that it
        holds only what the start that counts writes."""
        try:
            fd = self.salida.fileno()
            if stat.S_ISREG(os.fstat(fd).st_mode):
                os.ftruncate(fd, 0)
                os.lseek(fd, 0, os.SEEK_SET)
        except (AttributeError, OSError):
            pass

    def __exit__(self, *excepcion):
        if self.proceso and self.proceso.poll() is None:
            self.proceso.kill()
            self.proceso.wait()
        if self.dir:
            shutil.rmtree(self.dir, ignore_errors=True)
        return False

    def conectado(self):
        """True once the game has a socket open: its connection to the X server is its first."""
        directorio = f"/proc/{self.proceso.pid}/fd"
        try:
            return any(os.readlink(os.path.join(directorio, fd)).startswith("socket:")
                       for fd in os.listdir(directorio))
        except OSError:
            return False

    def stderr(self):
        with open(self.errores, "rb") as f:
            return f.read()

    def _espera(self, condicion, que, plazo=PLAZO, sondeo=SONDEO):
        """Polls `condicion` until it gives something true and returns it; fails after `plazo`
        seconds or when the game has exited meanwhile."""
        limite = time.monotonic() + plazo
        while True:
            resultado = condicion()
            if resultado:
                return resultado
            estado = self.proceso.poll()
            if estado is not None:
                resultado = condicion()
                if resultado:
                    return resultado
                raise Fallo(f"the game exited with status {estado} while waiting for {que}"
                            + self._contexto())
            if time.monotonic() > limite:
                raise Fallo(f"timed out after {plazo:.0f} s waiting for {que}" + self._contexto())
            time.sleep(sondeo)

    def _contexto(self):
        """What a failure message adds: the game's stderr, who has the keyboard focus and what
        the game process is doing."""
        errores = self.stderr()
        _, foco = _xdotool("getwindowfocus")
        try:
            with open(f"/proc/{self.proceso.pid}/stat") as f:
                campos = f.read().rsplit(")", 1)[1].split()
            proceso = f"state {campos[0]}, {int(campos[11]) + int(campos[12])} ticks of CPU"
        except OSError:
            proceso = "gone"
        return ((f"\n  stderr: {errores[-2000:]!r}" if errores else "")
                + f"\n  focus on window {foco.strip()}, the game's is {self.ventana}"
                + f"\n  game process: {proceso}")

    def teclas(self, *teclas, retardo=None):
        """Types the keys (xdotool key names) into the game's window in one xdotool call;
        `retardo` is the pause between them in milliseconds (xdotool's default when None)."""
        opciones = ["--delay", str(retardo)] if retardo is not None else []
        codigo, _ = _xdotool("key", *opciones, *teclas)
        igual(codigo, 0, f"xdotool key status for {teclas}")

    def espera_salida(self, plazo=PLAZO):
        """Waits for the game to exit and returns its exit status."""
        try:
            return self.proceso.wait(timeout=plazo)
        except subprocess.TimeoutExpired:
            raise Fallo(f"the game did not exit within {plazo:.0f} s" + self._contexto()) from None


class Partida(Juego):
    """One run of the game binary with its transcript going to a temporary file, read turn by
    turn as the keys are typed."""

    def __init__(self, binario):
        super().__init__([binario])
        self.leido = 0  # bytes of the transcript already handed out as turns
        self.dir_transcripcion = None

    def __enter__(self):
        self.dir_transcripcion = tempfile.mkdtemp(prefix="voltaro-transcripcion-")
        self.ruta_transcripcion = os.path.join(self.dir_transcripcion, "stdout")
        with open(self.ruta_transcripcion, "wb") as self.salida:
            super().__enter__()
        self.espera_texto(BANNER, "the start banner")
        self.leido = len(BANNER)
        return self

    def __exit__(self, *excepcion):
        super().__exit__(*excepcion)
        if self.dir_transcripcion:
            shutil.rmtree(self.dir_transcripcion, ignore_errors=True)
        return False

    def transcripcion(self):
        with open(self.ruta_transcripcion, "rb") as f:
            return f.read()

    def _contexto(self):
        return (f"\n  transcript since the last turn: {self.transcripcion()[self.leido:]!r}"
                + super()._contexto())

    def espera_texto(self, prefijo, que):
        """Waits until the whole transcript starts with `prefijo`."""
        self._espera(lambda: self.transcripcion().startswith(prefijo), que)

    def espera_turno(self, que="a turn"):
        """Waits until the transcript after the last turn is one whole turn, and returns it."""
        def completo():
            return lee_turno(self.transcripcion()[self.leido :])
        turno = self._espera(completo, que)
        self.leido += len(turno.bruto)
        return turno

    def espacio(self, que="the turn of a SPACE"):
        """Presses SPACE and returns the turn it printed."""
        self.teclas("space")
        return self.espera_turno(que)


def principal(prueba):
    """Runs prueba(binary) with the binary named on the command line; exits 0 when it passes,
    1 with the failure's message when it does not."""
    if len(sys.argv) != 2:
        sys.exit(f"usage: {sys.argv[0]} PATH-TO-VOLTARO")
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("killed by SIGTERM"))
    inicio = time.monotonic()
    try:
        prueba(sys.argv[1])
    except Fallo as fallo:
        print(f"FAIL: {fallo}", file=sys.stderr)
        sys.exit(1)
    rechazos = (f", {arranques_rechazados} start(s) refused by the X server and started again"
                if arranques_rechazados else "")
    print(f"ok ({time.monotonic() - inicio:.1f} s{rechazos})")
