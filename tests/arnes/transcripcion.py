"""arnes.transcripcion — the game's console transcript, cut into turns.

While the game runs, each SPACE prints exactly one of the turn shapes of FORMAS; lee_turno()
recognises a complete one, with its board dump parsed into a board of arnes.reglas. volcado()
gives the bytes of the dump of a board, for a test to compare with what the game printed.
"""

import re
from dataclasses import dataclass

from arnes.reglas import BLANCA, NEGRA, TAM, VACIA, cuenta

TITULO = "Davro v.1.0     Kalvendor"
BANNER = b"\n" * 56 + b"VOLTARO V1.0  GRAFICO\t\t BY TORNALUX"
NOMBRES = {BLANCA: b"Jugador (blancas)", NEGRA: b"Maquina (negras)"}
ILEGAL = b"Ah\xc3\xad no puedes tirar. Vuelve a intentarlo porque puedes.\n\n"

# The console dump of a board, and the board of a dump.

CABECERA_VOLCADO = b"-" * 46 + b"\n\n\n  0 1 2 3 4 5 6 7\n"
_CASILLA_VOLCADO = {BLANCA: b"|B", NEGRA: b"|N", VACIA: b"| "}


def volcado(tablero):
    """The bytes of the game's board dump of `tablero`."""
    filas = b"".join(
        b"%d" % i + b"".join(_CASILLA_VOLCADO[c] for c in fila) + b"|\n"
        for i, fila in enumerate(tablero)
    )
    cuentas = b"\n>>>Fichas Blancas (B):%d\n>>>Fichas Negras (N):%d\n" % cuenta(tablero)
    return CABECERA_VOLCADO + filas + cuentas


class VolcadoIncoherente(AssertionError):
    """A dump of the right shape whose disc counts are not those of its board."""


def tablero_de_volcado(texto):
    """The board pictured by a dump. The dump must be exactly the one of that board: row numbers
    in order and disc counts that add up."""
    lineas = texto.split(b"\n")[4 : 4 + TAM]
    tablero = tuple(linea[2::2].decode().replace(" ", VACIA) for linea in lineas)
    if texto != volcado(tablero):
        raise VolcadoIncoherente(f"board dump (layout or disc counts):\n  expected "
                                 f"{volcado(tablero)!r}\n  got      {texto!r}")
    return tablero


# The turn shapes: what one SPACE prints.

_NOMBRE = rb"Jugador \(blancas\)|Maquina \(negras\)"
_VOLCADO = rb"(?P<volcado>-{46}\n\n\n  0 1 2 3 4 5 6 7\n(?:[0-7](?:\|[BN ]){8}\|\n){8}\n" \
    rb">>>Fichas Blancas \(B\):\d+\n>>>Fichas Negras \(N\):\d+\n)"
_CASILLA = rb"\((?P<fila>[0-7]),(?P<col>[0-7])\)\n\n"
_RESULTADO = (
    rb"(?:Ha ganado (?P<ganador>" + _NOMBRE + rb")\n"
    rb"|Jugador \(blancas\) y Maquina \(negras\) han quedado empatados\.\n)"
    rb"\n\n\nBY TORNALUX\n"
)
FORMAS = [
    ("tira", rb"Jugador \(blancas\)\.\n" + _VOLCADO
     + rb"Jugador \(blancas\) tir\xc3\xb3 en la posici\xc3\xb3n " + _CASILLA),
    ("ilegal", rb"Jugador \(blancas\)\.\n" + _VOLCADO + re.escape(ILEGAL)),
    ("tira", _VOLCADO + rb"Maquina \(negras\) \(PC\) ha tirado en la pos " + _CASILLA),
    ("pasa", rb"(?P<nombre>" + _NOMBRE + rb")\.\nno puede tirar\.\n"
     rb"El turno pasa de jugador\.\n" + _VOLCADO),
    ("fin", rb"(?:(?P<nombre>" + _NOMBRE + rb")\.\ntampoco puede tirar\.\nFIN DEL JUEGO\n)?"
     + _RESULTADO),
]
FORMAS = [(tipo, re.compile(patron)) for tipo, patron in FORMAS]


_COLOR_DE_NOMBRE = {nombre: color for color, nombre in NOMBRES.items()}


def _color(nombre):
    return _COLOR_DE_NOMBRE[nombre] if nombre else None


@dataclass
class Turno:
    tipo: str  # "tira" (a move), "ilegal" (the person's rejected attempt), "pasa", "fin"
    color: str  # who moved, tried or passed; for "fin", who passed second (None: full board)
    casilla: tuple  # the square played, for "tira"
    tablero: tuple  # the board of the dump, for "tira", "ilegal" and "pasa"
    ganador: str  # for "fin": BLANCA, NEGRA, or None for a draw
    bruto: bytes  # everything the turn printed


def lee_turno(texto):
    """The Turno that `texto` is exactly, or None while it is not (yet) a complete turn."""
    for tipo, forma in FORMAS:
        m = forma.fullmatch(texto)
        if not m:
            continue
        grupos = m.groupdict()
        tablero = tablero_de_volcado(grupos["volcado"]) if grupos.get("volcado") else None
        casilla = (int(grupos["fila"]), int(grupos["col"])) if grupos.get("fila") else None
        if tipo == "tira":
            color = BLANCA if texto.startswith(NOMBRES[BLANCA]) else NEGRA
        elif tipo == "ilegal":
            color = BLANCA
        else:
            color = _color(grupos.get("nombre"))
        return Turno(tipo, color, casilla, tablero, _color(grupos.get("ganador")), texto)
    return None
