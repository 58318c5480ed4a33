"""Whole games, played to their end through the keyboard by a scripted person who reads the
transcript: it keeps its own copy of the board and of the cursor, walks the cursor to the square
it chooses with the arrows, and presses SPACE for its own turns and for the computer's. Every
press is checked against the rules: each move legal on the board dumped before it, the
computer's move one its rule allows, each dump the previous board with that move applied, passes
exactly when the player to move has no legal square, the end with the right result, and SPACE
after the end exits with status 1.

The first game is played by a rule to a full board, with passes of both players on the way; the
second follows a short script in which black takes every white disc and the game ends on two
passes in a row."""

import os

import pytest

from arnes.juego import Partida
from arnes.reglas import (BARRIDA, BLANCA, INICIAL, NEGRA, TAM, camino, contrario, cuenta,
                          elecciones_maquina, elige_blancas, juega, legales)

MAX_PULSACIONES = 200  # a game has at most 60 moves and a few passes


def juega_partida(partida, eleccion, respuestas=None):
    """Plays one game: `eleccion(tablero, jugada)` gives the person's square for its jugada-th
    move; `respuestas`, when given, are the computer's expected moves in order. Returns the
    summary of the game: moves, passes per player, how it ended and the final counts."""
    tablero, cursor, mueve = INICIAL, (0, 0), BLANCA
    pases_seguidos, jugadas, pases = 0, {BLANCA: 0, NEGRA: 0}, {BLANCA: 0, NEGRA: 0}
    for pulsacion in range(1, MAX_PULSACIONES + 1):
        lleno = sum(cuenta(tablero)) == TAM * TAM
        posibles = legales(tablero, mueve)
        if mueve == BLANCA and posibles and not lleno:
            objetivo = eleccion(tablero, jugadas[BLANCA])
            assert objetivo in posibles, f"the person's {objetivo} is not legal on {tablero}"
            flechas = camino(tablero, cursor, objetivo)
            if flechas:
                partida.teclas(*flechas)
            cursor = objetivo
        turno = partida.espacio(f"press {pulsacion}")
        donde = f"press {pulsacion}, {mueve} to move on {tablero}"
        if lleno or (not posibles and pases_seguidos == 1):
            break
        if not posibles:
            assert (turno.tipo, turno.color) == ("pasa", mueve), f"{donde}: kind of turn"
            assert turno.tablero == tablero, f"{donde}: dump after the pass"
            pases_seguidos = 1
            pases[mueve] += 1
        else:
            assert (turno.tipo, turno.color) == ("tira", mueve), f"{donde}: kind of turn"
            if mueve == BLANCA:
                assert turno.casilla == cursor, f"{donde}: square of the person's move"
            else:
                permitidas = elecciones_maquina(tablero)
                assert turno.casilla in permitidas, (f"{donde}: the computer played "
                                                     f"{turno.casilla}, its rule allows "
                                                     f"{sorted(permitidas)}")
                if respuestas is not None:
                    assert turno.casilla == respuestas[jugadas[NEGRA]], \
                        f"{donde}: the computer's reply (the same on every run)"
                cursor = turno.casilla
            tablero = juega(tablero, *turno.casilla, mueve)
            assert turno.tablero == tablero, f"{donde}: dump after the move"
            pases_seguidos = 0
            jugadas[mueve] += 1
        mueve = contrario(mueve)
    else:
        pytest.fail(f"no end after {MAX_PULSACIONES} presses")

    blancas, negras = cuenta(tablero)
    ganador = BLANCA if blancas > negras else NEGRA if negras > blancas else None
    assert turno.tipo == "fin", f"{donde}: kind of turn"
    assert turno.color == (None if lleno else mueve), "player named before the end"
    assert turno.ganador == ganador, f"winner of {blancas} white against {negras} black"

    partida.teclas("space")
    assert partida.espera_salida() == 1, "exit status of SPACE after the end"
    assert partida.transcripcion()[partida.leido :] == b"", "transcript after the end"
    return jugadas, pases, "full board" if lleno else "two passes", (blancas, negras)


def test_por_la_regla(partida):
    """The person plays by a rule of the model's, to a full board with passes of both players."""
    resumen = juega_partida(partida, lambda tablero, _: elige_blancas(tablero))
    print("game by the rule: moves %s, passes %s, %s, discs %s" % resumen)
    _, pases, fin, _ = resumen
    assert fin == "full board" and pases[BLANCA] > 0 and pases[NEGRA] > 0, \
        "the game by the rule no longer reaches a full board with passes of both players"


def test_guion(binario, pantalla, tmp_path):
    """The short script in which black takes every white disc, its replies the same every run,
    the first one too: Mesa's shader cache starts empty, which Mesa 25 fills drawing from rand()."""
    with Partida(binario, entorno=dict(os.environ, MESA_SHADER_CACHE_DIR=str(tmp_path))) as p:
        resumen = juega_partida(p, lambda _, jugada: BARRIDA[jugada][0],
                                [negra for _, negra in BARRIDA])
    print("scripted game: moves %s, passes %s, %s, discs %s" % resumen)
    assert resumen[2:] == ("two passes", (0, 14)), "end of the scripted game"
