"""The picture on screen is the frame for the window's size at that moment, from the first one on,
whatever is done to the window.

The game runs under the test's own window manager (arnes.gestor.Gestor), which maps its window
straight at the size of the screen, as a kiosk or tiling window manager does: the window has that
size before the game draws anything, while the game's GL buffers were made for 1024 x 768 when
glutCreateWindow made the window. (The same order of events, a first frame drawn only after the
window has grown, is what busy machines made by chance, on bare X and under mutter, when the game
drew its first frame into buffers of the old size.) Then the window manager puts the window through
sequences of unmap, resize and map, each inside one server grab so that the game meets all of its
events at once. After the start and after each sequence, once the game is idle and the picture
steady, the picture must be the one the game draws at that size on a plain redraw, and that one
must show the window's texts.

The window must also be named for the desktop (WM_CLASS and _NET_WM_PID) by the time the window
manager is asked to map it, and be asked once only: managed once, with its identity from the
start. ESC still ends the game with status 0."""

import pytest

from arnes.gestor import Gestor
from arnes.imagen import diferencia
from arnes.juego import Juego

# What the window manager does to the window after the start, each inside one server grab, in
# this order: (name, steps as fractions of the screen's size).
SECUENCIAS = [
    ("unmapped, shrunk to two thirds and mapped", ["unmap", (2, 3), "map"]),
    ("grown to the size of the screen", [(1, 1)]),
    ("unmapped and mapped", ["unmap", "map"]),
    ("shrunk to half and grown back", [(1, 2), (1, 1)]),
    ("unmapped, grown from half and mapped",
     ["unmap", (1, 2), "map", "unmap", (1, 1), "map"]),
]


@pytest.fixture(scope="module")
def gestionado(binario):
    """The game started under the test's window manager, which stays for the whole module."""
    with Gestor() as gestor, Juego([binario]) as juego:
        yield gestor, juego


def comprueba_fotograma(juego, que, desde=None):
    vista = juego.asentada(desde)
    esperada = juego.redibujada()
    assert esperada.tamano == vista.tamano, f"{que}: the window's size after a redraw"
    ancho, alto = esperada.tamano
    assert not esperada.recorte(0, 0, ancho, alto // 8).negra(), \
        f"{que}: the redrawn picture at {ancho}x{alto} shows no texts at the top"
    cambio = diferencia(vista, esperada)
    texto = "black" if vista.recorte(0, 0, ancho, alto // 8).negra() else "not black"
    assert not cambio, (f"{que}: the steady picture at {ancho}x{alto} is not the frame for that "
                        f"size: {cambio}; the top eighth, where the texts are, is {texto}")


def test_arranque_mapeada_a_pantalla_completa(gestionado):
    gestor, juego = gestionado
    assert juego.tamano() == (gestor.ancho, gestor.alto), "the window's size once mapped"
    comprueba_fotograma(juego, "start, mapped at the size of the screen")
    mapeos = [m for m in gestor.mapeos if m[0] == juego.ventana]
    assert mapeos == [(juego.ventana, ("voltaro", "Voltaro"), juego.proceso.pid)], \
        "the map requests of the window, with its WM_CLASS and _NET_WM_PID then"


@pytest.mark.parametrize("que, pasos", SECUENCIAS, ids=[s[0] for s in SECUENCIAS])
def test_secuencia(gestionado, que, pasos):
    gestor, juego = gestionado
    pasos = [p if isinstance(p, str) else (gestor.ancho * p[0] // p[1], gestor.alto * p[0] // p[1])
             for p in pasos]
    desde = juego.reposo()[1]
    gestor.agrupado(juego.ventana, *pasos)
    comprueba_fotograma(juego, que, desde)


def test_esc(gestionado):
    _, juego = gestionado
    juego.enfoca()
    juego.teclas("Escape")
    assert juego.espera_salida() == 0, "exit status after ESC"
