"""Without an X server the game ends at once and says so: with DISPLAY unset, with a display
whose server has gone, and when the server goes away while the game runs, killed politely
(SIGTERM) while the game waits for keys or outright (SIGKILL) while it is busy redrawing. Each
time: a non-zero exit status, not a signal (no crash, no abort, no core), and exactly one line on
stderr that names the display. The servers are private Xvfbs, so these runs leave the test
command's display alone."""

import os
import signal
import subprocess
import time

from partida import Fallo, Juego, comprueba, igual, principal
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


def prueba(binario):
    entorno = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    sin_servidor(binario, entorno, "", "DISPLAY unset")
    servidor_perdido(binario, signal.SIGTERM, ocupado=False)
    muerta = servidor_perdido(binario, signal.SIGKILL, ocupado=True)
    sin_servidor(binario, dict(entorno, DISPLAY=muerta), muerta, "a display whose server is gone")


principal(prueba)
