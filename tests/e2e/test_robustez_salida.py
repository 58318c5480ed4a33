"""Standard output that cannot be written does not stop the game. With it on /dev/full (every
write fails), closed before start, or a pipe whose reader (`head -3`) has gone after the first
lines, the short scripted game is still played to its end, as a SPACE afterwards exits with
status 1, and ESC in the middle of a game still exits with status 0. The status is the game
process's own, not a pipeline's; no signal, no stderr."""

import contextlib
import subprocess

import pytest

from arnes.juego import Juego
from arnes.reglas import teclas_barrida
from arnes.x import PLAZO


@contextlib.contextmanager
def con_dev_full(binario):
    with open("/dev/full", "wb") as lleno, Juego([binario], salida=lleno) as juego:
        yield juego


@contextlib.contextmanager
def cerrada(binario):
    with Juego([binario], salida=None) as juego:
        yield juego


@contextlib.contextmanager
def tuberia_corta(binario):
    with Juego([binario], salida=subprocess.PIPE) as juego:
        head = subprocess.Popen(["head", "-3"], stdin=juego.proceso.stdout,
                                stdout=subprocess.PIPE)
        juego.proceso.stdout.close()  # the reading end is head's alone: gone when head ends
        leido, _ = head.communicate(timeout=PLAZO)
        assert leido == b"\n\n\n", "what head read: the first lines of the cleared console"
        yield juego


PARTIDA_ENTERA = teclas_barrida() + ["space"]
CASOS = [(PARTIDA_ENTERA, 1), (PARTIDA_ENTERA[:8] + ["Escape"], 0)]


@pytest.mark.parametrize("teclas, esperado", CASOS,
                         ids=["SPACE after the end", "ESC in the middle of the game"])
@pytest.mark.parametrize("salida", [con_dev_full, cerrada, tuberia_corta],
                         ids=lambda salida: salida.__name__)
def test_salida_imposible(binario, pantalla, salida, teclas, esperado):
    with salida(binario) as juego:
        juego.teclas(*teclas, retardo=0)
        assert juego.espera_salida() == esperado, "exit status"
        assert juego.stderr() == b"", "stderr"
