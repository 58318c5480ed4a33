"""tests/e2e/robustez.py — the game run where partida.Partida does not take it: standard output
sent anywhere (a full device, a closed descriptor, a pipe), another X display, a command in
front of the binary (valgrind); and the scripted short game as keys typed blind.

servidor_x() starts a private X server, for the runs that take it away from the game.

The runs themselves are partida's Juego, which knows nothing of the transcript: what the game
did is read from its exit status, from its stderr and, when the caller sends standard output to a
file, from that file.
"""

import contextlib
import os
import socket
import subprocess

import partida
from partida import Fallo, igual
from reglas import BARRIDA, BLANCA, INICIAL, NEGRA, camino, juega

PLAZO = partida.PLAZO


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
