"""What happens to the window from outside changes nothing in the game. The short scripted game
is played once undisturbed and once with a disturbance around every turn, in turn:

- the window shrunk to 1 x 1 pixel, the turn played at that size, then the full screen again;
- the window unmapped and mapped again, as a window manager does to iconify it and bring it
  back (there is none on the test's display), and the keyboard focus given back, which the
  unmapping took away;
- another client's window mapped over the whole screen, the turn played under it, then
  destroyed, so that the game's window is exposed again.

The game must survive all of them, the transcript of the disturbed game must be byte for byte
the undisturbed one, and ESC must still exit with status 0."""

import contextlib

import pytest

from arnes.juego import Partida
from arnes.reglas import turnos_barrida
from arnes.x import tapa


@contextlib.contextmanager
def diminuta(partida):
    partida.x.redimensiona(partida.ventana, 1, 1)
    yield
    partida.x.redimensiona(partida.ventana, partida.x.ancho, partida.x.alto)


@contextlib.contextmanager
def escondida_y_vuelta(partida):
    partida.x.desmapea(partida.ventana)
    partida.x.mapea(partida.ventana)
    partida.enfoca()
    yield


@contextlib.contextmanager
def tapada(partida):
    with tapa():
        partida.enfoca()  # nothing takes it without a window manager, but the game must have it
        yield


PERTURBACIONES = [diminuta, escondida_y_vuelta, tapada]


@pytest.fixture(scope="module")
def esperada(binario, pantalla):
    """The transcript of the undisturbed game."""
    with Partida(binario) as partida:
        partida.teclas(*(tecla for grupo in turnos_barrida() for tecla in grupo), "Escape",
                       retardo=0)
        assert partida.espera_salida() == 0, "exit status after ESC, undisturbed"
        return partida.transcripcion()


def test_perturbada(esperada, partida):
    for numero, grupo in enumerate(turnos_barrida()):
        perturbacion = PERTURBACIONES[numero % len(PERTURBACIONES)]
        with perturbacion(partida):
            partida.teclas(*grupo)
            partida.espera_turno(f"turn {numero + 1}, window {perturbacion.__name__}")
    partida.teclas("Escape")
    assert partida.espera_salida() == 0, "exit status after ESC, disturbed"
    assert partida.transcripcion() == esperada, \
        "the disturbed game's transcript differs from the undisturbed one"
