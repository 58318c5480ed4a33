"""The same keys give the same game whether they are typed one at a time, each waited for, or
all at once as fast as the harness can send them, so that many keys reach the game before it has
drawn a frame. The keys play the short scripted game to its end, with detours: an illegal
attempt at the start, arrows that wrap or stop at the edge, arrows between the person's move and
the computer's SPACE, a SPACE on the computer's new disc, and arrows after the end."""

import time

import pytest

from arnes.juego import Partida
from arnes.reglas import BARRIDA, BLANCA, INICIAL, NEGRA, camino, juega, mueve_cursor

PAUSA_FLECHA = 0.05  # an arrow prints nothing; this is time enough for the game to handle it
FINAL = b"tampoco puede tirar.\nFIN DEL JUEGO\nHa ganado Maquina (negras)\n\n\n\nBY TORNALUX\n"


def secuencia():
    """The keys, in X keysym names, worked out on the model of the board and the cursor."""
    tablero, cursor = INICIAL, (0, 0)
    teclas = ["space"]  # (0,0) flanks nothing
    for flecha in ["Left", "Down", "Up"]:  # wraps to (7,7), stays at the bottom edge, goes up
        teclas.append(flecha)
        cursor = mueve_cursor(tablero, cursor, flecha)
    for jugada, (blanca, negra) in enumerate(BARRIDA):
        teclas += camino(tablero, cursor, blanca) + ["space"]
        tablero = juega(tablero, *blanca, BLANCA)
        teclas += ["Right", "Up", "space"]  # the computer's reply does not depend on the cursor
        tablero = juega(tablero, *negra, NEGRA)
        cursor = negra
        if jugada == 0:
            teclas.append("space")  # an illegal attempt on the computer's disc
    teclas += ["space", "space"]  # white passes, then black: the end
    teclas += ["Left", "Down"]
    return teclas + ["Escape"]


@pytest.fixture(scope="module")
def lenta(binario, pantalla):
    """The transcript of the keys typed one at a time, each turn waited for."""
    with Partida(binario) as partida:
        for numero, tecla in enumerate(secuencia(), 1):
            partida.teclas(tecla)
            if tecla == "space":
                partida.espera_turno(f"the turn of key {numero}")
            elif tecla != "Escape":
                time.sleep(PAUSA_FLECHA)
        assert partida.espera_salida() == 0, "exit status after ESC, keys typed slowly"
        return partida.transcripcion()


def test_despacio(lenta):
    assert lenta.endswith(FINAL), f"the keys no longer play the game to its end: {lenta[-300:]!r}"


def test_deprisa(lenta, partida):
    teclas = secuencia()
    partida.teclas(*teclas, retardo=0)
    assert partida.espera_salida() == 0, "exit status after ESC, keys typed at once"
    assert partida.transcripcion() == lenta, \
        f"transcript of {len(teclas)} keys typed at once against typed slowly"
