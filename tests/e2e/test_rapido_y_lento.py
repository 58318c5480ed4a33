"""The same keys give the same game whether they are typed one at a time, each waited for, or
all at once as fast as xdotool can send them, so that many keys reach the game before it has
drawn a frame. The keys play the short scripted game to its end, with detours: an illegal
attempt at the start, arrows that wrap or stop at the edge, arrows between the person's move and
the computer's SPACE, a SPACE on the computer's new disc, and arrows after the end."""

import time

from partida import Partida, comprueba, igual, principal
from reglas import BARRIDA, BLANCA, INICIAL, NEGRA, camino, juega, mueve_cursor

PAUSA_FLECHA = 0.05  # an arrow prints nothing; this is time enough for the game to handle it
FINAL = b"tampoco puede tirar.\nFIN DEL JUEGO\nHa ganado Maquina (negras)\n\n\n\nBY TORNALUX\n"


def secuencia():
    """The keys, in xdotool's names, worked out on the model of the board and the cursor."""
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


def despacio(binario, teclas):
    with Partida(binario) as partida:
        for numero, tecla in enumerate(teclas, 1):
            partida.teclas(tecla)
            if tecla == "space":
                partida.espera_turno(f"the turn of key {numero}")
            elif tecla != "Escape":
                time.sleep(PAUSA_FLECHA)
        igual(partida.espera_salida(), 0, "exit status after ESC, keys typed slowly")
        return partida.transcripcion()


def deprisa(binario, teclas):
    with Partida(binario) as partida:
        partida.teclas(*teclas, retardo=0)
        igual(partida.espera_salida(), 0, "exit status after ESC, keys typed at once")
        return partida.transcripcion()


def prueba(binario):
    teclas = secuencia()
    lenta = despacio(binario, teclas)
    comprueba(lenta.endswith(FINAL),
              f"the keys no longer play the game to its end: {lenta[-300:]!r}")
    rapida = deprisa(binario, teclas)
    igual(rapida, lenta, f"transcript of {len(teclas)} keys typed at once against typed slowly")
    print(f"{len(teclas)} keys, {len(lenta)} bytes of transcript")


principal(prueba)
