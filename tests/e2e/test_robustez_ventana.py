"""What happens to the window from outside changes nothing in the game. The short scripted game
is played once undisturbed and once with a disturbance around every turn, in turn:

- the window shrunk to 1 x 1 pixel, the turn played at that size, then the full screen again;
- the window unmapped and mapped again, as a window manager does to iconify it and bring it
  back (there is none under Xvfb, and xdotool's windowminimize needs one to do anything), and
  the keyboard focus given back, which the unmapping took away;
- another client's window (xmessage) mapped over the whole screen, the turn played under it,
  then closed, so that the game's window is exposed again.

The game must survive all of them, the transcript of the disturbed game must be byte for byte
the undisturbed one, and ESC must still exit with status 0."""

import contextlib
import os
import subprocess

from partida import Partida, comprueba, igual, principal
from robustez import turnos_barrida, xdotool


@contextlib.contextmanager
def diminuta(ventana):
    ancho, alto = xdotool("getdisplaygeometry").split()
    xdotool("windowsize", "--sync", ventana, "1", "1")
    yield
    xdotool("windowsize", "--sync", ventana, ancho, alto)


@contextlib.contextmanager
def escondida_y_vuelta(ventana):
    xdotool("windowunmap", "--sync", ventana)
    xdotool("windowmap", "--sync", ventana)
    xdotool("windowfocus", "--sync", ventana)
    yield


@contextlib.contextmanager
def tapada(ventana):
    ancho, alto = xdotool("getdisplaygeometry").split()
    nombre = f"voltaro-tapa-{os.getpid()}"  # xmessage sets no _NET_WM_PID: found by its name
    encima = subprocess.Popen(["xmessage", "-name", nombre, "-geometry", f"{ancho}x{alto}+0+0",
                               "tapa"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        xdotool("search", "--sync", "--onlyvisible", "--classname", f"^{nombre}$")
        xdotool("windowfocus", "--sync", ventana)  # nothing takes it without a window manager
        yield
    finally:
        encima.kill()
        encima.wait()


PERTURBACIONES = [diminuta, escondida_y_vuelta, tapada]


def prueba(binario):
    turnos = turnos_barrida()
    with Partida(binario) as partida:
        partida.teclas(*(tecla for grupo in turnos for tecla in grupo), "Escape", retardo=0)
        igual(partida.espera_salida(), 0, "exit status after ESC, undisturbed")
        esperada = partida.transcripcion()

    with Partida(binario) as partida:
        for numero, grupo in enumerate(turnos):
            perturbacion = PERTURBACIONES[numero % len(PERTURBACIONES)]
            with perturbacion(partida.ventana):
                partida.teclas(*grupo)
                partida.espera_turno(f"turn {numero + 1}, window {perturbacion.__name__}")
        partida.teclas("Escape")
        igual(partida.espera_salida(), 0, "exit status after ESC, disturbed")
        comprueba(partida.transcripcion() == esperada,
                  "the disturbed game's transcript differs from the undisturbed one:\n"
                  f"  {partida.transcripcion()[-400:]!r}\n  {esperada[-400:]!r}")


principal(prueba)
