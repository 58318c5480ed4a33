#!/usr/bin/python3
"""Takes the README's picture of the game: the game on a private Xvfb of 1024x768, the person's
move to C5, the computer's reply and the cursor moved on, the screen written as PNG to PATH
(datos/captura.png when none is given). The X server and the game are always stopped.

  PYTHONPATH=tests python3 scripts/captura.py BINARY [PATH]

scripts/captura.sh installs what is missing, builds the game and runs this with it.
"""

import os
import sys
import tempfile

from arnes.juego import ErrorJuego, Partida
from arnes.xvfb import Xvfb

RAIZ = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

TAMANO = "1024x768"
# Down twice and Right four times take the cursor from A1 to C5, a legal first move.
A_C5 = ["Down", "Down", "Right", "Right", "Right", "Right"]


def captura(binario, destino):
    with Xvfb(TAMANO) as servidor, Partida(binario, entorno=servidor.entorno()) as partida:
        partida.teclas(*A_C5, retardo=50)
        partida.espacio("the move to C5")
        partida.espacio("the computer's reply")
        # The arrow's frame has no line in the transcript: its settled picture is awaited.
        desde = partida.reposo()[1]
        partida.teclas("Down")
        partida.asentada(desde)
        foto = partida.x.foto()
        partida.teclas("Escape")
    # Written beside the destination and renamed: a failed run leaves the old picture whole.
    fd, temporal = tempfile.mkstemp(suffix=".png", dir=os.path.dirname(os.path.abspath(destino)))
    os.close(fd)
    try:
        foto.guarda(temporal)
        os.chmod(temporal, 0o644)
        os.replace(temporal, destino)
    except BaseException:
        os.unlink(temporal)
        raise


def principal(argumentos):
    if not 1 <= len(argumentos) <= 2:
        sys.exit("usage: scripts/captura.py BINARY [PATH]")
    destino = argumentos[1] if len(argumentos) == 2 else os.path.join(RAIZ, "datos",
                                                                        "captura.png")
    try:
        captura(argumentos[0], destino)
    except ErrorJuego as e:
        print(f"captura: {e}", file=sys.stderr)
        return 1
    print(destino)
    return 0


if __name__ == "__main__":
    sys.exit(principal(sys.argv[1:]))
