"""arnes.juego — the real game binary run under X: started, its window found, keys typed, its
transcript read as it grows, its settled picture awaited, its exit awaited.

Juego starts a command (the binary, or a command in front of it such as valgrind) with its
standard output sent where the caller says, finds the game's window by the process id that the
game sets on it (_NET_WM_PID), gives it the keyboard focus and types keys into it through XTest.
The game dies with the process that started it (arnes.proceso.huerfano_muere) and is killed on
the way out of the block. Xvfb now and then refuses a connection made while another client
connects: a start that ends that way before its window appears, with freeglut's "failed to open
display" line as all its stderr and status 1, is started again, at most REINTENTOS times, each
such start reported on standard output and counted in `arranques_rechazados`. Everything is
polled with a deadline, never a fixed long sleep; a deadline missed, or the game gone while
waiting, raises ErrorJuego with the game's stderr, the focus and the game's state.

asentada() waits for a settled picture: the game idle and the picture steady. redibujada() is the
picture of a plain redraw (an ordinary key, "a", only redraws): the frame for the window's size
at that moment.

Partida is a Juego of the bare binary whose transcript goes to a file of its own, read turn by
turn (arnes.transcripcion) as the keys are typed.
"""

import os
import re
import stat
import subprocess
import tempfile
import time

from arnes.proceso import cpu, huerfano_muere, reposo
from arnes.transcripcion import BANNER, lee_turno
from arnes.x import PLAZO, SONDEO, Conexion, ErrorX, espera

SONDEO_VENTANA = 0.05  # seconds between two searches for the game's window
PAUSA_ASENTADA = 0.1  # seconds between two reads of the picture while waiting for it to settle
REINTENTOS = 3  # starts refused by the X server that are started again, in one run
# All that a start refused by the X server writes: freeglut's line, naming the program and the
# display.
RECHAZO = re.compile(rb"freeglut \([^\n]*\): failed to open display '[^\n]*'\n")
arranques_rechazados = 0  # in this process


class ErrorJuego(Exception):
    """The game did not do what was awaited: it exited, or a deadline passed."""


class Juego:
    """One run of `orden` with its standard output going to `salida` (a file object,
    subprocess.PIPE or DEVNULL, or None to close it), under `entorno` (os.environ when None),
    on the display that entorno's DISPLAY names. A context manager: on the way in it starts the
    game, waits for its window and focuses it; on the way out it kills the game if it is still
    there. `proceso` is the game's process, `ventana` its window's id, `x` the harness's
    connection (arnes.x.Conexion) to that display. With `titulo` the window is the one of that
    title instead (for a program that does not set _NET_WM_PID);
    the descriptors `pasa_fds` stay open in the started program under their numbers.
    `arrancado` is the CLOCK_MONOTONIC time (time.monotonic_ns) just before the start that
    counts."""

    def __init__(self, orden, salida=subprocess.DEVNULL, entorno=None, titulo=None, pasa_fds=()):
        self.orden = list(orden)
        self.titulo = titulo
        self.pasa_fds = tuple(pasa_fds)
        self.salida = salida
        self.entorno = entorno
        self.proceso = None
        self.ventana = None
        self.x = None
        self.rechazos = 0  # starts of this run refused by the X server
        self.arrancado = None
        self._dir = None

    def __enter__(self):
        global arranques_rechazados
        pantalla = (self.entorno or os.environ).get("DISPLAY")
        if not pantalla:
            raise ErrorJuego("DISPLAY is not set: the game needs an X server")
        self._dir = tempfile.TemporaryDirectory(prefix="voltaro-juego-")
        self.errores = os.path.join(self._dir.name, "stderr")
        try:
            # The harness's own connection is made before the game's, and is the only one it
            # makes: Xvfb turns away some connections made while another client connects.
            self.x = Conexion(pantalla)
            while True:
                try:
                    self._arranca()
                    return self
                except ErrorJuego:
                    if self.rechazos == REINTENTOS or not self._rechazado():
                        raise
                self.rechazos += 1
                arranques_rechazados += 1
                print(f"X server refused the connection; started again ({self.rechazos} of "
                      f"{REINTENTOS})", flush=True)
                self._vacia_salida()
        except BaseException:
            self.__exit__(None, None, None)  # no `with` body, so no __exit__ either
            raise

    def _arranca(self):
        """Starts the game and waits for its window; fails when the game exits first."""
        cerrar = self.salida is None
        self.ventana = None
        with open(self.errores, "wb") as err:
            self.arrancado = time.monotonic_ns()
            self.proceso = subprocess.Popen(
                huerfano_muere(self.orden), stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL if cerrar else self.salida, stderr=err,
                env=self.entorno, pass_fds=self.pasa_fds,
                preexec_fn=(lambda: os.close(1)) if cerrar else None)
        def busca():
            if self.titulo is None:
                return self.x.ventana_de(self.proceso.pid)
            return self.x.ventana_titulada(self.titulo)
        self.ventana = self.espera(busca, "the game's window to appear", PLAZO,
                                   SONDEO_VENTANA)
        self.enfoca()

    def _rechazado(self):
        """True when the last start ended as one refused by the X server: status 1 before any
        window, and freeglut's line alone on stderr."""
        return (self.ventana is None and self.proceso is not None and self.proceso.poll() == 1
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
        if self.x:
            self.x.cierra()
        if self._dir:
            self._dir.cleanup()
        return False

    def stderr(self):
        with open(self.errores, "rb") as f:
            return f.read()

    def espera(self, condicion, que, plazo=PLAZO, sondeo=SONDEO):
        """Waits (arnes.x.espera) until `condicion` gives something true and returns it;
        ErrorJuego after `plazo` seconds or when the game has exited meanwhile."""
        def hecho():
            # Once the game has exited, what it did just before is looked for once more.
            resultado = condicion()
            if not resultado and self.proceso.poll() is not None and not (resultado := condicion()):
                raise ErrorJuego(f"the game exited with status {self.proceso.returncode} while "
                                 f"waiting for {que}" + self._contexto())
            return resultado
        try:
            return espera(hecho, que, plazo, sondeo)
        except ErrorX as e:
            raise ErrorJuego(str(e) + self._contexto()) from None

    def _contexto(self):
        """What a failure message adds: the game's stderr, who has the keyboard focus and what
        the game process is doing."""
        errores = self.stderr()
        try:
            foco = self.x.foco()
        except Exception:  # the server may be gone: the message goes on without it
            foco = "unknown"
        try:
            estado, esperas = reposo(self.proceso.pid)
            proceso = f"state {estado}, {esperas} waits"
        except Exception:  # psutil.NoSuchProcess and the like: the game is gone
            proceso = "gone"
        return ((f"\n  stderr: {errores[-2000:]!r}" if errores else "")
                + f"\n  focus on window {foco}, the game's is {self.ventana}"
                + f"\n  game process: {proceso}")

    def enfoca(self):
        """Gives the game's window the keyboard focus and waits until it has it."""
        self.x.enfoca(self.ventana)

    def teclas(self, *teclas, retardo=None):
        """Types the keys (X keysym names: "space", "Escape", "Left", "a"...) into the window
        that has the focus; `retardo` is the pause between them in milliseconds (arnes.x's
        default when None, 0 for none)."""
        self.x.teclas(*teclas, retardo=retardo)

    def espera_salida(self, plazo=PLAZO):
        """Waits for the game to exit and returns its exit status."""
        try:
            return self.proceso.wait(timeout=plazo)
        except subprocess.TimeoutExpired:
            raise ErrorJuego(f"the game did not exit within {plazo:.0f} s"
                             + self._contexto()) from None

    # The picture.

    def tamano(self):
        """(width, height) of the game's window."""
        return self.x.tamano(self.ventana)

    def reposo(self):
        """(state, waits) of the game's main thread: see arnes.proceso.reposo."""
        return reposo(self.proceso.pid)

    def asentada(self, desde=None, tamano=None, orden=None):
        """The window's picture (arnes.imagen.Foto) once the game is idle and the picture steady:
        three reads PAUSA_ASENTADA apart that agree (size, picture, the main thread's count of waits
        and the CPU time of all the game's threads), something drawn, and the game's main thread
        waiting all along without waking once. The CPU time tells a frame still being drawn by
        Mesa's rendering threads while the main thread waits for them, which on a slow machine
        (under emulation) outlasts the reads. With `desde`, a count of waits taken (reposo()) before
        something was done to the window, the thread must also have woken and waited again since, so
        that what was done has reached it; with `tamano`, (width, height), the picture must be of
        that size. `orden` is the byte order its pixels are read in (the X server's when None)."""
        lecturas = []  # the last reads, which agree with one another

        def firme():
            estado, esperas = self.reposo()
            foto = self.x.foto(self.ventana, orden)
            ahora = (esperas, cpu(self.proceso.pid), foto)
            quieta = (estado == "S" and (desde is None or esperas > desde) and not foto.negra()
                      and (tamano is None or foto.tamano == tamano))
            if not (quieta and lecturas and lecturas[-1] == ahora):
                lecturas.clear()
            lecturas.append(ahora)
            return len(lecturas) == 3 and foto
        return self.espera(firme, "a steady picture", sondeo=PAUSA_ASENTADA)

    def redibujada(self):
        """The settled picture of a plain redraw at the window's present size: the frame for
        that size. Focuses the window first."""
        self.enfoca()
        desde = self.reposo()[1]
        self.teclas("a")
        return self.asentada(desde)


class Partida(Juego):
    """One run of the game binary with its transcript going to a file of its own, read turn by
    turn as the keys are typed. On the way in it also waits for the start banner."""

    def __init__(self, binario, entorno=None):
        super().__init__([binario], entorno=entorno)
        self.leido = 0  # bytes of the transcript already handed out as turns
        self.ruta_transcripcion = None

    def __enter__(self):
        self._dir_transcripcion = tempfile.TemporaryDirectory(prefix="voltaro-transcripcion-")
        self.ruta_transcripcion = os.path.join(self._dir_transcripcion.name, "stdout")
        try:
            with open(self.ruta_transcripcion, "wb") as self.salida:
                super().__enter__()
            self.espera_texto(BANNER, "the start banner")
        except BaseException:
            self.__exit__(None, None, None)
            raise
        self.leido = len(BANNER)
        return self

    def __exit__(self, *excepcion):
        super().__exit__(*excepcion)
        self._dir_transcripcion.cleanup()
        return False

    def transcripcion(self):
        with open(self.ruta_transcripcion, "rb") as f:
            return f.read()

    def _contexto(self):
        return (f"\n  transcript since the last turn: {self.transcripcion()[self.leido:]!r}"
                + super()._contexto())

    def espera_texto(self, prefijo, que):
        """Waits until the whole transcript starts with `prefijo`."""
        self.espera(lambda: self.transcripcion().startswith(prefijo), que)

    def espera_turno(self, que="a turn"):
        """Waits until the transcript after the last turn is one whole turn, and returns it
        (arnes.transcripcion.Turno)."""
        def completo():
            return lee_turno(self.transcripcion()[self.leido :])
        turno = self.espera(completo, que)
        self.leido += len(turno.bruto)
        return turno

    def espacio(self, que="the turn of a SPACE"):
        """Presses SPACE and returns the turn it printed."""
        self.teclas("space")
        return self.espera_turno(que)
