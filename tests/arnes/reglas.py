"""arnes.reglas — the board as the end-to-end tests see it, modelled apart from the game.

A board is a tuple of 8 strings of 8 characters, row 0 first: "B" a white disc (the person),
"N" a black disc (the computer), "." an empty square, the letters the game's console dump uses.
Squares are (row, column), 0 to 7 each. This module knows the ordinary flanking rule, the
computer's choice as the game describes it (most flanking directions, a legal corner first) and
the cursor's moves over the empty squares, so that a test can check what the game prints against
what the rules say.
"""

from collections import deque

BLANCA, NEGRA, VACIA = "B", "N", "."
TAM = 8

INICIAL = (
    "........",
    "........",
    "........",
    "...BN...",
    "...NB...",
    "........",
    "........",
    "........",
)

DIRECCIONES = [(-1, -1), (-1, 0), (-1, 1), (0, -1), (0, 1), (1, -1), (1, 0), (1, 1)]
ESQUINAS = [(0, 0), (0, 7), (7, 0), (7, 7)]
FLECHAS = ["Left", "Right", "Up", "Down"]  # the X keysym names of the arrow keys


def contrario(color):
    return NEGRA if color == BLANCA else BLANCA


def dentro(fila, col):
    return 0 <= fila < TAM and 0 <= col < TAM


def tramos(tablero, fila, col, color):
    """The runs of opponent discs that a disc of `color` at (fila, col) would turn, one list of
    squares per flanking direction; none at all when the square is occupied."""
    if tablero[fila][col] != VACIA:
        return []
    otro = contrario(color)
    encontrados = []
    for df, dc in DIRECCIONES:
        tramo = []
        f, c = fila + df, col + dc
        while dentro(f, c) and tablero[f][c] == otro:
            tramo.append((f, c))
            f, c = f + df, c + dc
        if tramo and dentro(f, c) and tablero[f][c] == color:
            encontrados.append(tramo)
    return encontrados


def legales(tablero, color):
    """The legal squares of `color`, in reading order."""
    return [(f, c) for f in range(TAM) for c in range(TAM) if tramos(tablero, f, c, color)]


def juega(tablero, fila, col, color):
    """The board after `color` plays the legal square (fila, col)."""
    filas = [list(linea) for linea in tablero]
    filas[fila][col] = color
    for tramo in tramos(tablero, fila, col, color):
        for f, c in tramo:
            filas[f][c] = color
    return tuple("".join(linea) for linea in filas)


def cuenta(tablero):
    """(white discs, black discs)."""
    texto = "".join(tablero)
    return texto.count(BLANCA), texto.count(NEGRA)


def elecciones_maquina(tablero):
    """The squares the computer may choose for black: a legal corner when the corner rule picks
    one (a corner takes the choice from the best square; (0,0) then stands as the score to beat,
    a later corner wins only by scoring more, or when (0,0) was not legal), otherwise any square
    with the most flanking directions, since ties are broken by a coin toss."""
    puntos = {
        (f, c): len(tramos(tablero, f, c, NEGRA)) for f in range(TAM) for c in range(TAM)
    }
    mejor = max(puntos.values())
    referencia, esquina = mejor, None
    for casilla in ESQUINAS:
        valor = puntos[casilla]
        if valor > 0 and (esquina is None or valor > referencia):
            esquina = casilla
            if casilla == (0, 0):
                referencia = valor
    if esquina is not None:
        return {esquina}
    return {casilla for casilla, valor in puntos.items() if valor == mejor and valor > 0}


def mueve_cursor(tablero, cursor, flecha):
    """Where an arrow key leaves the cursor: Left and Right go to the nearest empty square in
    reading order, wrapping around the board; Up and Down to the nearest empty square in the
    cursor's column, staying put when there is none before the edge."""
    fila, col = cursor
    if flecha in ("Left", "Right"):
        paso = 1 if flecha == "Right" else -1
        inicio = fila * TAM + col
        for k in range(1, TAM * TAM + 1):
            i = (inicio + k * paso) % (TAM * TAM)
            if tablero[i // TAM][i % TAM] == VACIA:
                return (i // TAM, i % TAM)
        return cursor
    paso = 1 if flecha == "Down" else -1
    f = fila + paso
    while 0 <= f < TAM:
        if tablero[f][col] == VACIA:
            return (f, col)
        f += paso
    return cursor


def camino(tablero, desde, hasta):
    """A shortest list of arrow keys that takes the cursor from `desde` to the empty square
    `hasta` on this board."""
    previo = {desde: None}
    cola = deque([desde])
    while cola:
        cursor = cola.popleft()
        if cursor == hasta:
            teclas = []
            while previo[cursor] is not None:
                cursor, flecha = previo[cursor]
                teclas.append(flecha)
            return teclas[::-1]
        for flecha in FLECHAS:
            siguiente = mueve_cursor(tablero, cursor, flecha)
            if siguiente not in previo:
                previo[siguiente] = (cursor, flecha)
                cola.append(siguiente)
    raise ValueError(f"the cursor cannot reach {hasta} from {desde}")


def elige_blancas(tablero):
    """The scripted person's choice for white: a corner when one is legal, otherwise the legal
    square that leaves the computer the fewest replies, then the one that turns the fewest discs,
    the last in reading order among equals; None when white has no legal square. Against the
    computer's greedy rule this makes the computer pass several times."""
    def clave(casilla):
        volteadas = sum(len(t) for t in tramos(tablero, *casilla, BLANCA))
        replicas = len(legales(juega(tablero, *casilla, BLANCA), NEGRA))
        return (casilla not in ESQUINAS, replicas, volteadas)
    return min(reversed(legales(tablero, BLANCA)), key=clave, default=None)


# A short game, as pairs of the person's square and the computer's reply: after five moves each
# white has no disc left, so white passes, black passes too and the game ends, won by black.
# The replies are the ones the computer's coin gives unseeded (the C library's rand() sequence).
BARRIDA = [((5, 3), (3, 2)), ((2, 3), (5, 4)), ((3, 5), (3, 6)), ((4, 2), (5, 2)),
           ((2, 4), (1, 4))]


def teclas_barrida():
    """The keys of BARRIDA played straight to its end: each of the person's squares walked to
    with the arrows, SPACE for it and SPACE for the computer's reply, then the two passes. One
    more SPACE after these ends the program with status 1, which only a game played to its end
    does."""
    tablero, cursor, teclas = INICIAL, (0, 0), []
    for blanca, negra in BARRIDA:
        teclas += camino(tablero, cursor, blanca) + ["space", "space"]
        tablero = juega(juega(tablero, *blanca, BLANCA), *negra, NEGRA)
        cursor = negra
    return teclas + ["space", "space"]


def turnos_barrida():
    """teclas_barrida() cut into turns: each group ends with the SPACE that plays the turn."""
    grupos, grupo = [], []
    for tecla in teclas_barrida():
        grupo.append(tecla)
        if tecla == "space":
            grupos.append(grupo)
            grupo = []
    return grupos
