"""Start-up and ESC: the console is cleared and the banner printed with no line end; the window
has the game's title and tells the desktop its program (WM_CLASS) and process (_NET_WM_PID);
keys that are not SPACE print nothing; ESC ends the program with status 0."""

import subprocess

from partida import BANNER, PLAZO, TITULO, Partida, igual, principal


def prueba(binario):
    with Partida(binario) as partida:
        propiedades = subprocess.run(
            ["xprop", "-id", partida.ventana, "WM_NAME", "WM_CLASS", "_NET_WM_PID"],
            capture_output=True, text=True, timeout=PLAZO, check=False).stdout
        igual(propiedades, f'WM_NAME(STRING) = "{TITULO}"\n'
              'WM_CLASS(STRING) = "voltaro", "Voltaro"\n'
              f"_NET_WM_PID(CARDINAL) = {partida.proceso.pid}\n", "the window's properties")
        # Ordinary keys other than SPACE and ESC, and special keys, the arrows among them, only
        # redraw or move the cursor.
        partida.teclas("a", "Return", "BackSpace", "Tab", "F1", "Home", "Left", "Down", "Right")
        partida.teclas("Escape")
        igual(partida.espera_salida(), 0, "exit status after ESC")
        igual(partida.transcripcion(), BANNER, "whole transcript")


principal(prueba)
