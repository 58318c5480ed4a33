"""Without an X server the game ends at once and says so: with DISPLAY unset, with a display
whose server has gone, and when the server goes away while the game runs, killed politely
(SIGTERM) while the game waits for keys or outright (SIGKILL) while it is busy redrawing. Each
time: a non-zero exit status, not a signal (no crash, no abort, no core), and exactly one line on
stderr that names the display. The servers are private Xvfbs, so these runs leave the test
command's display alone.

A start that the X server refuses ends the same way, and the harness starts it again: only that
one, a bounded number of times. A stand-in for the game's start plays the refusals and the other
early exits."""

import os
import signal
import subprocess
import threading
import time

import pytest

from arnes import juego as arnes_juego
from arnes.juego import REINTENTOS, ErrorJuego, Juego
from arnes.x import PLAZO, Conexion
from arnes.xvfb import Xvfb


def comprueba_final(estado, errores, pantalla):
    assert estado is not None and estado > 0, \
        f"exit status {estado}, expected an error status (negative: a signal)"
    assert errores.count(b"\n") == 1, f"lines on stderr, {errores!r}"
    assert b"display" in errores and pantalla.encode() in errores, \
        f"stderr {errores!r} does not name the display {pantalla!r}"


def sin_servidor(binario, entorno, pantalla):
    r = subprocess.run([binario], env=entorno, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=PLAZO,
                       check=False)
    comprueba_final(r.returncode, r.stderr, pantalla)


def sin_display():
    return {k: v for k, v in os.environ.items() if k != "DISPLAY"}


def test_display_sin_definir(binario):
    sin_servidor(binario, sin_display(), "")


def test_servidor_que_ya_no_esta(binario):
    with Xvfb() as servidor:
        servidor.proceso.kill()
    sin_servidor(binario, dict(sin_display(), DISPLAY=servidor.nombre), servidor.nombre)


def pulsa_sin_parar(nombre, parar):
    """Left and Right over and over on display `nombre`, a redraw after every key, until the
    server goes or `parar` is set."""
    try:
        with Conexion(nombre) as x:
            while not parar.is_set():
                x.teclas("Left", "Right", retardo=1)
    except Exception:  # the server gone: what this thread was waiting for
        pass


@pytest.mark.parametrize("senal, ocupado", [(signal.SIGTERM, False), (signal.SIGKILL, True)],
                         ids=["SIGTERM while it waits", "SIGKILL while it redraws"])
def test_servidor_perdido(binario, senal, ocupado):
    with Xvfb() as servidor, Juego([binario], entorno=servidor.entorno()) as juego:
        juego.teclas("Right", "space", retardo=0)
        parar = threading.Event()
        teclas = threading.Thread(target=pulsa_sin_parar, args=(servidor.nombre, parar))
        if ocupado:  # the server dies in the middle of drawing
            teclas.start()
            time.sleep(0.3)
        try:
            servidor.proceso.send_signal(senal)
            servidor.proceso.wait()
            estado = juego.espera_salida(PLAZO)
        finally:
            parar.set()
            if ocupado:
                teclas.join()
        comprueba_final(estado, juego.stderr(), servidor.nombre)


# Stands in for the game's start: its first `veces` starts (counted in a file) write `mensaje`
# on stderr and exit with `estado`, the next one is the game.
ARRANQUE_FALSO = """#!/bin/sh
n=$(cat "$1" 2>/dev/null || echo 0)
echo $((n + 1)) >"$1"
[ "$n" -ge "$2" ] && exec "$5"
printf '%s' "$3" >&2
exit "$4"
"""
RECHAZO = "freeglut ({binario}): failed to open display '{pantalla}'\n"
OTRO = ("freeglut (voltaro): ERROR:  Internal error <FBConfig with necessary capabilities not "
        "found> in function fgOpenWindow\n")
# What the stand-in does and how many times; the starts made; whether the run fails.
ARRANQUES = [
    ("refused once", RECHAZO, 1, 1, 2, False),
    ("refused every time", RECHAZO, 1, 99, REINTENTOS + 1, True),
    ("another error", OTRO, 1, 1, 1, True),
    ("refusal's line, another status", RECHAZO, 2, 1, 1, True),
    ("refusal's line and another", "Xlib: extension missing\n" + RECHAZO, 1, 1, 1, True),
]


@pytest.mark.parametrize("mensaje, estado, veces, arranques, falla",
                         [c[1:] for c in ARRANQUES], ids=[c[0] for c in ARRANQUES])
def test_arranque_fallido(binario, pantalla, tmp_path, monkeypatch, mensaje, estado, veces,
                          arranques, falla):
    # Staged here: no refusal of the real X server to report.
    monkeypatch.setattr(arnes_juego, "arranques_rechazados", 0)
    falso = tmp_path / "arranque"
    falso.write_text(ARRANQUE_FALSO)
    falso.chmod(0o755)
    contador = tmp_path / "arranques"
    mensaje = mensaje.format(binario=binario, pantalla=os.environ["DISPLAY"])
    juego = Juego([falso, contador, str(veces), mensaje, str(estado), binario])
    try:
        with juego:
            juego.teclas("Escape")
            assert juego.espera_salida() == 0, "exit status after ESC"
        fallo = False
    except ErrorJuego:
        fallo = True
    assert (fallo, int(contador.read_text())) == (falla, arranques), \
        "(the run failed, starts made)"
