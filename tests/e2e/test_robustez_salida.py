"""Standard output that cannot be written does not stop the game. With it on /dev/full (every
write fails), closed before start, or a pipe whose reader (`head -3`) has gone after the first
lines, the short scripted game is still played to its end, as a SPACE afterwards exits with
status 1, and ESC in the middle of a game still exits with status 0. The status is the game
process's own, not a pipeline's; no signal, no stderr."""

import subprocess

from partida import Fallo, Juego, comprueba, igual, principal
from robustez import teclas_barrida


def con_dev_full(binario, teclas):
    with open("/dev/full", "wb") as lleno, Juego([binario], salida=lleno) as juego:
        juego.teclas(*teclas, retardo=0)
        return juego.espera_salida(), juego.stderr()


def cerrada(binario, teclas):
    with Juego([binario], salida=None) as juego:
        juego.teclas(*teclas, retardo=0)
        return juego.espera_salida(), juego.stderr()


def tuberia_corta(binario, teclas):
    with Juego([binario], salida=subprocess.PIPE) as juego:
        head = subprocess.Popen(["head", "-3"], stdin=juego.proceso.stdout,
                                stdout=subprocess.PIPE)
        juego.proceso.stdout.close()  # the reading end is head's alone: gone when head ends
        leido, _ = head.communicate(timeout=10)
        igual(leido, b"\n\n\n", "what head read: the first lines of the cleared console")
        juego.teclas(*teclas, retardo=0)
        return juego.espera_salida(), juego.stderr()


def prueba(binario):
    partida_entera = teclas_barrida() + ["space"]
    a_medias = partida_entera[:8] + ["Escape"]
    for salida in (con_dev_full, cerrada, tuberia_corta):
        for teclas, esperado, que in ((partida_entera, 1, "SPACE after the end"),
                                      (a_medias, 0, "ESC in the middle of the game")):
            donde = f"stdout {salida.__name__}, {que}"
            try:
                estado, errores = salida(binario, teclas)
            except Fallo as fallo:
                raise Fallo(f"{donde}: {fallo}") from None
            igual(estado, esperado, f"{donde}: exit status")
            comprueba(errores == b"", f"{donde}: stderr {errores!r}")


principal(prueba)
