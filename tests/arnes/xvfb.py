"""arnes.xvfb — a private X server, and a command run on one.

Xvfb() starts Xvfb with -displayfd: the server picks a free display number itself and tells it
through a pipe, so that two runs on one machine never collide. -noreset keeps it up between one
client and the next. It dies with the process that started it (arnes.proceso.huerfano_muere), is
stopped on the way out of the block, and a server killed outright has its socket file removed.

As a command:

    python3 -m arnes.xvfb [--tamano WIDTHxHEIGHT] -- COMMAND ARGS...

runs COMMAND with DISPLAY naming a private Xvfb of that size (1920x1080 unless told), always stops
the server, and exits with COMMAND's status (128 + the signal's number when a signal ended it).
"""

import argparse
import os
import signal
import socket
import subprocess
import sys

from arnes.proceso import huerfano_muere, para

TAMANO = "1920x1080"


class ErrorXvfb(Exception):
    """The server did not start."""


class Xvfb:
    """A private Xvfb of `tamano` ("WIDTHxHEIGHT") in 24-bit colour; a context manager. `nombre`
    is its display's name (":N"), `proceso` the server's process."""

    def __init__(self, tamano=TAMANO):
        self.tamano = tamano
        self.nombre = None
        self.proceso = None

    def __enter__(self):
        lectura, escritura = os.pipe()
        self.proceso = subprocess.Popen(
            huerfano_muere(["Xvfb", "-displayfd", str(escritura), "-screen", "0",
                            f"{self.tamano}x24", "-nolisten", "tcp", "-noreset"]),
            pass_fds=(escritura,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(escritura)
        with os.fdopen(lectura, "rb") as tubo:
            numero = tubo.readline().strip().decode()
        if not numero:
            self.__exit__()
            raise ErrorXvfb(f"Xvfb gave no display number (status {self.proceso.poll()})")
        self.nombre = ":" + numero
        return self

    def entorno(self, base=None):
        """`base` (os.environ when None) with DISPLAY naming this server and no Wayland."""
        entorno = dict(os.environ if base is None else base, DISPLAY=self.nombre)
        entorno.pop("WAYLAND_DISPLAY", None)
        return entorno

    def __exit__(self, *excepcion):
        para(self.proceso)
        if self.nombre:
            _quita_socket_muerto(f"/tmp/.X11-unix/X{self.nombre[1:]}")
        return False


def _quita_socket_muerto(ruta):
    """A server killed outright leaves its socket file behind, which nobody answers."""
    with socket.socket(socket.AF_UNIX) as prueba:
        try:
            prueba.connect(ruta)
        except ConnectionRefusedError:
            os.unlink(ruta)
        except OSError:
            pass


def principal(argumentos=None):
    lector = argparse.ArgumentParser(
        prog="python3 -m arnes.xvfb",
        description="Runs COMMAND on a private Xvfb, which it always stops.")
    lector.add_argument("--tamano", default=TAMANO, metavar="WIDTHxHEIGHT",
                        help=f"the screen's size (default {TAMANO})")
    lector.add_argument("orden", nargs=argparse.REMAINDER, metavar="-- COMMAND ARGS...")
    opciones = lector.parse_args(argumentos)
    orden = opciones.orden[1:] if opciones.orden[:1] == ["--"] else opciones.orden
    if not orden:
        lector.error("no command")
    with Xvfb(opciones.tamano) as servidor:
        hijo = subprocess.Popen(orden, env=servidor.entorno())
        # Ctrl-C reaches the command by itself (the terminal sends it to the whole group); a
        # SIGTERM sent to this process alone is handed on, and the server stopped when it ends.
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        signal.signal(signal.SIGTERM, lambda *_: hijo.send_signal(signal.SIGTERM))
        estado = hijo.wait()
    return 128 - estado if estado < 0 else estado


if __name__ == "__main__":
    sys.exit(principal())
