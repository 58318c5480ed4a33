"""Without an X server the game ends at once and says so: with DISPLAY unset, with a display
whose server has gone, and when the server goes away while the game runs, killed politely
(SIGTERM) while the game waits for keys or outright (SIGKILL) while it is busy redrawing. Each
time: a non-zero exit status, not a signal (no crash, no abort, no core), and exactly one line on
stderr that names the display. The servers are private Xvfbs, so these runs leave the test
command's display alone.

A start that the X server refuses ends the same way, and the test runner starts it again: only
that one, a bounded number of times. A stand-in for the game's start plays the refusals and the
other early exits."""

import os
import signal
import subprocess
import tempfile
import time

import partida
from partida import REINTENTOS, Fallo, Juego, comprueba, igual, principal
from robustez import servidor_x

PLAZO_SALIDA = 10  # seconds for the game to notice that its server is gone


def comprueba_final(estado, errores, pantalla, que):
    comprueba(estado is not None and estado > 0,
              f"{que}: exit status {estado}, expected an error status (negative: a signal)")
    igual(errores.count(b"\n"), 1, f"{que}: lines on stderr, {errores!r}")
    comprueba(b"display" in errores and pantalla.encode() in errores,
              f"{que}: stderr {errores!r} does not name the display {pantalla!r}")


def sin_servidor(binario, entorno, pantalla, que):
    try:
        r = subprocess.run([binario], env=entorno, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=PLAZO_SALIDA,
                           check=False)
    except subprocess.TimeoutExpired:
        raise Fallo(f"{que}: the game did not exit within {PLAZO_SALIDA} s") from None
    comprueba_final(r.returncode, r.stderr, pantalla, que)


def servidor_perdido(binario, senal, ocupado):
    que = f"server killed by {signal.Signals(senal).name}"
    with servidor_x() as (pantalla, servidor):
        os.environ["DISPLAY"] = pantalla  # for xdotool too
        with Juego([binario]) as juego:
            juego.teclas("Right", "space", retardo=0)
            teclas = None
            if ocupado:  # a redraw after every key: the server dies in the middle of drawing
                teclas = subprocess.Popen(["xdotool", "key", "--delay", "1"]
                                          + ["Left", "Right"] * 5000,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                time.sleep(0.3)
            servidor.send_signal(senal)
            servidor.wait()
            estado = juego.espera_salida(PLAZO_SALIDA)
            if teclas:
                teclas.kill()
                teclas.wait()
            comprueba_final(estado, juego.stderr(), pantalla, que)
    return pantalla


# Stands in for the game's start: its first `veces` starts (counted in a file) write `mensaje`
# on stderr and exit with `estado`, the next one is the game.
ARRANQUE_FALSO = """#!/bin/sh
n=$(cat "$1" 2>/dev/null || echo 0)
echo $((n + 1)) >"$1"
[ "$n" -ge "$2" ] && exec "$5"
printf '%s' "$3" >&2
exit "$4"
"""


def arranques_fallidos(binario):
    rechazo = f"freeglut ({binario}): failed to open display '{os.environ['DISPLAY']}'\n"
    otro = ("freeglut (voltaro): ERROR:  Internal error <FBConfig with necessary capabilities "
            "not found> in function fgOpenWindow\n")
    casos = [  # what the stand-in does and how many times; the starts made; whether the run fails
        ("refused once", rechazo, 1, 1, 2, False),
        ("refused every time", rechazo, 1, 99, REINTENTOS + 1, True),
        ("another error", otro, 1, 1, 1, True),
        ("refusal's line, another status", rechazo, 2, 1, 1, True),
        ("refusal's line and another", "Xlib: extension missing\n" + rechazo, 1, 1, 1, True),
    ]
    with tempfile.TemporaryDirectory(prefix="voltaro-arranque-") as dir:
        falso = os.path.join(dir, "arranque")
        with open(falso, "w") as f:
            f.write(ARRANQUE_FALSO)
        os.chmod(falso, 0o755)
        for que, mensaje, estado, veces, arranques, falla in casos:
            contador = os.path.join(dir, que)
            juego = Juego([falso, contador, str(veces), mensaje, str(estado), binario])
            try:
                with juego:
                    juego.teclas("Escape")
                    igual(juego.espera_salida(), 0, f"{que}: exit status after ESC")
                fallo = False
            except Fallo:
                fallo = True
            with open(contador) as f:
                hechos = int(f.read())
            igual((fallo, hechos), (falla, arranques), f"{que}: (the run failed, starts made)")
    partida.arranques_rechazados = 0  # staged above: no refusal of the real X server


def prueba(binario):
    arranques_fallidos(binario)
    entorno = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    sin_servidor(binario, entorno, "", "DISPLAY unset")
    servidor_perdido(binario, signal.SIGTERM, ocupado=False)
    muerta = servidor_perdido(binario, signal.SIGKILL, ocupado=True)
    sin_servidor(binario, dict(entorno, DISPLAY=muerta), muerta, "a display whose server is gone")


principal(prueba)
