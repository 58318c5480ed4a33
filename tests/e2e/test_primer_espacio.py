"""The first SPACE is the person's turn at the cursor's starting square (0,0), which is empty but
flanks nothing: an illegal attempt that leaves the board as it was and gives the turn back, so
the next SPACE is again the person's."""

from arnes.transcripcion import BANNER

INTENTO_EN_0_0 = (
    b"Jugador (blancas).\n"
    b"----------------------------------------------\n\n\n"
    b"  0 1 2 3 4 5 6 7\n"
    b"0| | | | | | | | |\n"
    b"1| | | | | | | | |\n"
    b"2| | | | | | | | |\n"
    b"3| | | |B|N| | | |\n"
    b"4| | | |N|B| | | |\n"
    b"5| | | | | | | | |\n"
    b"6| | | | | | | | |\n"
    b"7| | | | | | | | |\n"
    b"\n>>>Fichas Blancas (B):2\n>>>Fichas Negras (N):2\n"
    b"Ah\xc3\xad no puedes tirar. Vuelve a intentarlo porque puedes.\n\n"
)


def test_primer_espacio(partida):
    assert partida.espacio("the first SPACE").bruto == INTENTO_EN_0_0, "first SPACE"
    assert partida.espacio("the second SPACE").bruto == INTENTO_EN_0_0, "second SPACE"
    partida.teclas("Escape")
    assert partida.espera_salida() == 0, "exit status after ESC"
    assert partida.transcripcion() == BANNER + 2 * INTENTO_EN_0_0, "whole transcript"
