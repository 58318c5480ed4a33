"""tests/e2e/robustez.py — the game run where partida.Partida does not take it: standard output
sent anywhere (a full device, a closed descriptor, a pipe), another X display, a command in
front of the binary (valgrind); and the scripted short game as keys typed blind.

servidor_x() starts a private X server, for the runs that take it away from the game.

A Juego knows nothing of the transcript: it starts the command, waits for a new window with the
game's title, focuses it and types keys; what the game did is read from its exit status, from
its stderr and, when the caller sends standard output to a file, from that file. The xdotool
calls and the window search are partida's.
"""

import contextlib
import os
import shutil
import socket
import subprocess
import tempfile
import time

import partida
from partida import Fallo, igual
from reglas import BARRIDA, BLANCA, INICIAL, NEGRA, camino, juega

PLAZO = partida.PLAZO
PAUSA_CONEXION = 0.2  # seconds for the X server to answer the game's connection
SONDEO_VENTANA = 0.05  # seconds between two searches for the game's window


def teclas_barrida():
    """The keys of the short scripted game played straight to its end: each of the person's
    squares walked to with the arrows, SPACE for it and SPACE for the computer's reply, then the
    two passes. One more SPACE after these ends the program with status 1, which only a game
    played to its end does."""
    tablero, cursor, teclas = INICIAL, (0, 0), []
    for blanca, negra in BARRIDA:
        teclas += camino(tablero, cursor, blanca) + ["space", "space"]
        tablero = juega(juega(tablero, *blanca, BLANCA), *negra, NEGRA)
        cursor = negra
    return teclas + ["space", "space"]


def turnos_barrida():
    """teclas_barrida() cut into turns: each group ends with the SPACE that plays the turn."""
    grupos, grupo = [], []
    for tecla in teclas_barrida():
        grupo.append(tecla)
        if tecla == "space":
            grupos.append(grupo)
            grupo = []
    return grupos


def xdotool(*argumentos):
    """Runs xdotool; fails unless it succeeds. Returns its output."""
    codigo, salida = partida._xdotool(*argumentos)
    igual(codigo, 0, f"xdotool {' '.join(argumentos)} status")
    return salida


class Juego:
    """One run of `orden` (the binary, or a command that runs it) with its standard output going
    to `salida` (a file object, subprocess.PIPE, or None to close it), under `entorno`."""

    def __init__(self, orden, salida=subprocess.DEVNULL, entorno=None, plazo_ventana=PLAZO):
        self.orden = orden
        self.salida = salida
        self.entorno = entorno
        self.plazo_ventana = plazo_ventana
        self.proceso = None
        self.ventana = None
        self.dir = None

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="voltaro-robustez-")
        self.errores = os.path.join(self.dir, "stderr")
        antes = partida._ventanas()
        cerrar = self.salida is None

        def preparar():
            partida._muere_con_el_padre()
            if cerrar:
                os.close(1)

        with open(self.errores, "wb") as err:
            self.proceso = subprocess.Popen(
                self.orden, stdin=subprocess.DEVNULL, stdout=self.salida, stderr=err,
                env=self.entorno, preexec_fn=preparar)
        # Xvfb drops a few of the connections made while other clients connect and disconnect
        # fast, as xdotool does when polled; so the display is not polled until the game's own
        # connection has been made and answered.
        self.espera(self.conectado, "the game to connect to the X server", self.plazo_ventana)
        time.sleep(PAUSA_CONEXION)
        self.ventana = self.espera(lambda: next(iter(partida._ventanas() - antes), None),
                                   "the game's window to appear", self.plazo_ventana,
                                   SONDEO_VENTANA)
        xdotool("windowfocus", "--sync", self.ventana)
        return self

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

    def espera(self, condicion, que, plazo=PLAZO, sondeo=partida.SONDEO):
        """Polls `condicion` every `sondeo` seconds until it gives something true and returns it;
        fails after `plazo` seconds or once the game has exited."""
        limite = time.monotonic() + plazo
        while True:
            resultado = condicion()
            if resultado:
                return resultado
            estado = self.proceso.poll()
            if estado is not None:
                raise Fallo(f"the game exited with status {estado} while waiting for {que}; "
                            f"stderr: {self.stderr()[-2000:]!r}")
            if time.monotonic() > limite:
                raise Fallo(f"timed out after {plazo:.0f} s waiting for {que}")
            time.sleep(sondeo)

    def teclas(self, *teclas):
        """Types the keys into the focused window, as fast as xdotool sends them."""
        xdotool("key", "--delay", "0", *teclas)

    def espera_salida(self, plazo=PLAZO):
        """Waits for the game to exit and returns its exit status (negative: killed by that
        signal)."""
        try:
            return self.proceso.wait(timeout=plazo)
        except subprocess.TimeoutExpired:
            raise Fallo(f"the game did not exit within {plazo:.0f} s; "
                        f"stderr: {self.stderr()[-2000:]!r}") from None


@contextlib.contextmanager
def servidor_x():
    """A private Xvfb, as the test command starts its own: it picks a free display number and
    tells it through a pipe. Yields the display name and the server's process; the server is
    killed on the way out if it is still there."""
    lectura, escritura = os.pipe()
    servidor = subprocess.Popen(
        ["Xvfb", "-displayfd", str(escritura), "-screen", "0", "1920x1080x24", "-nolisten",
         "tcp", "-noreset"], pass_fds=(escritura,), stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL, preexec_fn=partida._muere_con_el_padre)
    os.close(escritura)
    numero = ""
    try:
        with os.fdopen(lectura, "rb") as tubo:
            numero = tubo.readline().strip().decode()
        if not numero:
            raise Fallo(f"Xvfb gave no display number (status {servidor.poll()})")
        yield ":" + numero, servidor
    finally:
        if servidor.poll() is None:
            servidor.kill()
        servidor.wait()
        # A server killed outright leaves its socket file behind, which nobody answers.
        if numero:
            ruta = f"/tmp/.X11-unix/X{numero}"
            with socket.socket(socket.AF_UNIX) as prueba:
                try:
                    prueba.connect(ruta)
                except ConnectionRefusedError:
                    os.unlink(ruta)
                except OSError:
                    pass
