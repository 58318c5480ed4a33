"""Start-up and ESC: the console is cleared and the banner printed with no line end; keys that
are not SPACE print nothing; ESC ends the program with status 0."""

from partida import BANNER, Partida, igual, principal


def prueba(binario):
    with Partida(binario) as partida:
        # Ordinary keys other than SPACE and ESC, and special keys, the arrows among them, only
        # redraw or move the cursor.
        partida.teclas("a", "Return", "BackSpace", "Tab", "F1", "Home", "Left", "Down", "Right")
        partida.teclas("Escape")
        igual(partida.espera_salida(), 0, "exit status after ESC")
        igual(partida.transcripcion(), BANNER, "whole transcript")


principal(prueba)
