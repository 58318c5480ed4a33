"""The person's opening at C5 and the computer's reply, typed as a person would: the cursor is
walked there with the arrows, SPACE plays it, the next SPACE lets the computer answer and leaves
the cursor on the computer's new disc, where a further SPACE is an illegal attempt. The pictures
after the move and the reply are the rendering tests' pictures of them."""

from arnes.imagen import frente_a_guardada
from arnes.reglas import NEGRA, juega
from arnes.transcripcion import BANNER, ILEGAL, volcado

TRAS_C5 = (
    "........",
    "........",
    "....B...",
    "...BB...",
    "...NB...",
    "........",
    "........",
    "........",
)

JUGADA_C5 = (
    b"Jugador (blancas).\n"
    b"----------------------------------------------\n\n\n"
    b"  0 1 2 3 4 5 6 7\n"
    b"0| | | | | | | | |\n"
    b"1| | | | | | | | |\n"
    b"2| | | | |B| | | |\n"
    b"3| | | |B|B| | | |\n"
    b"4| | | |N|B| | | |\n"
    b"5| | | | | | | | |\n"
    b"6| | | | | | | | |\n"
    b"7| | | | | | | | |\n"
    b"\n>>>Fichas Blancas (B):4\n>>>Fichas Negras (N):1\n"
    b"Jugador (blancas) tir\xc3\xb3 en la posici\xc3\xb3n (2,4)\n\n"
)

# Black's answers to C5: (2,3) and (2,5) flank (3,3) and (3,4) against (4,3), (4,5) flanks
# (4,4). Each flanks in one direction and none is a corner, so the coin toss may pick any.
RESPUESTAS = {(2, 3), (2, 5), (4, 5)}


def test_c5_y_respuesta(partida):
    # From (0,0), down column 0 to row 2, then right along the empty row 2 to column 4.
    partida.teclas("Down", "Down", "Right", "Right", "Right", "Right")
    assert partida.espacio("the person's move at C5").bruto == JUGADA_C5, "move at C5"
    cambio = frente_a_guardada(partida.asentada(), "tras_c5")
    assert not cambio, f"the picture after C5 against the rendering tests' one: {cambio}"

    respuesta = partida.espacio("the computer's reply")
    assert respuesta.tipo == "tira", "kind of the computer's turn"
    assert respuesta.casilla in RESPUESTAS, \
        f"the computer played {respuesta.casilla}, not one of {sorted(RESPUESTAS)}"
    tablero = juega(TRAS_C5, *respuesta.casilla, NEGRA)
    assert respuesta.bruto == (volcado(tablero) + b"Maquina (negras) (PC) ha tirado en la pos "
                               b"(%d,%d)\n\n" % respuesta.casilla), "computer's reply"
    # The rendering tests' picture of the reply is of (2,5), the choice of the coin unseeded,
    # as in a newly started game.
    if respuesta.casilla == (2, 5):
        cambio = frente_a_guardada(partida.asentada(), "tras_la_respuesta")
        assert not cambio, f"the picture after the reply against the rendering tests' one: {cambio}"

    sobre_el_disco = partida.espacio("SPACE on the computer's disc")
    assert sobre_el_disco.bruto == b"Jugador (blancas).\n" + volcado(tablero) + ILEGAL, \
        "SPACE with the cursor on the computer's disc"

    partida.teclas("Escape")
    assert partida.espera_salida() == 0, "exit status after ESC"
    assert partida.transcripcion() == \
        BANNER + JUGADA_C5 + respuesta.bruto + sobre_el_disco.bruto, "whole transcript"
