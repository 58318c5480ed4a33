"""The picture on screen is the frame for the window's size at that moment, from the first one on,
whatever is done to the window.

The game runs under the test's own window manager (gestor.Gestor), which maps its window straight
at the size of the screen, as a kiosk or tiling window manager does: the window has that size
before the game draws anything, while the game's GL buffers were made for 1024 x 768 when
glutCreateWindow made the window. (The same order of events, a first frame drawn only after the
window has grown, is what busy machines made by chance, on bare X and under mutter, when the game
drew its first frame into buffers of the old size.) Then the window manager puts the window through
sequences of unmap, resize and map, each inside one server grab so that the game meets all of its
events at once. After the start and after each sequence, once the game is idle and the picture
steady, the picture must be the one the game draws at that size on a plain redraw (an ordinary key,
"a", only redraws), and that one must show the window's texts.

The window must also be named for the desktop (WM_CLASS and _NET_WM_PID) by the time the window
manager is asked to map it, and be asked once only: managed once, with its identity from the
start. ESC still ends the game with status 0."""

import time

from gestor import Gestor, Pantalla
from partida import PLAZO, Fallo, Juego, comprueba, igual, principal
from robustez import xdotool

PAUSA = 0.1  # seconds between two reads of the screen while waiting for a steady picture


def espera(pid):
    """The state of the game's main thread ("S" while it waits) and how many times it has waited
    (its voluntary context switches: one for each wait for an X event or reply, among others)."""
    with open(f"/proc/{pid}/stat") as f:
        estado = f.read().rsplit(")", 1)[1].split()[0]
    with open(f"/proc/{pid}/status") as f:
        esperas = next(int(l.split()[1]) for l in f if l.startswith("voluntary_ctxt_switches:"))
    return estado, esperas


def asentada(pantalla, juego, desde=None):
    """The window's size and picture once the game is idle and the picture steady: three reads
    PAUSA apart that agree, something drawn, and the game's main thread waiting all along without
    waking once. With `desde`, a count of the thread's waits taken before something was done to
    the window, the thread must also have woken and waited again since, so that what was done has
    reached it."""
    limite = time.monotonic() + PLAZO
    anterior, iguales = None, 0
    while time.monotonic() < limite:
        estado, esperas = espera(juego.proceso.pid)
        tamano = pantalla.tamano(juego.ventana)
        ahora = (tamano, esperas, pantalla.foto(*tamano))
        if (ahora == anterior and estado == "S" and (desde is None or esperas > desde)
                and ahora[2].count(0) != len(ahora[2])):
            iguales += 1
            if iguales == 2:
                return tamano, ahora[2]
        else:
            iguales = 0
        anterior = ahora
        time.sleep(PAUSA)
    raise Fallo(f"no steady picture within {PLAZO:.0f} s")


def redibujada(pantalla, juego):
    """The picture of a plain redraw at the window's present size: the frame for that size."""
    xdotool("windowfocus", "--sync", juego.ventana)
    desde = espera(juego.proceso.pid)[1]
    xdotool("key", "a")
    return asentada(pantalla, juego, desde)


def diferencia(tamano, vista, esperada):
    """What a failure says of two pictures of one size: the rows where they differ, and whether
    the texts' band at the top is black in the one on screen."""
    alto = tamano[1]
    fila = len(vista) // alto
    distintas = [y for y in range(alto) if vista[y * fila:(y + 1) * fila]
                 != esperada[y * fila:(y + 1) * fila]]
    banda = vista[:fila * alto // 8]
    textos = "black" if banda.count(0) == len(banda) else "not black"
    return (f"{len(distintas)} of its {alto} rows differ (rows {distintas[0]} to "
            f"{distintas[-1]} from the top), and the top eighth, where the texts are, is {textos}")


def comprueba_fotograma(pantalla, juego, que, desde=None):
    tamano, vista = asentada(pantalla, juego, desde)
    tamano_esperado, esperada = redibujada(pantalla, juego)
    igual(tamano_esperado, tamano, f"{que}: the window's size after a redraw")
    banda = esperada[:len(esperada) // 8]
    comprueba(banda.count(0) != len(banda),
              f"{que}: the redrawn picture at {tamano[0]}x{tamano[1]} shows no texts at the top")
    if vista != esperada:
        raise Fallo(f"{que}: the steady picture at {tamano[0]}x{tamano[1]} is not the frame for "
                    f"that size: {diferencia(tamano, vista, esperada)}")


def prueba(binario):
    with Gestor() as gestor, Pantalla() as pantalla:
        ancho, alto = gestor.ancho, gestor.alto
        with Juego([binario]) as juego:
            ventana = int(juego.ventana)
            igual(pantalla.tamano(ventana), (ancho, alto), "the window's size once mapped")
            comprueba_fotograma(pantalla, juego, "start, mapped at the size of the screen")

            mapeos = [m for m in gestor.mapeos if m[0] == ventana]
            igual(mapeos, [(ventana, ("voltaro", "Voltaro"), juego.proceso.pid)],
                  "the map requests of the window, with its WM_CLASS and _NET_WM_PID then")

            secuencias = [
                ("unmapped, shrunk to two thirds and mapped",
                 ["unmap", (ancho * 2 // 3, alto * 2 // 3), "map"]),
                ("grown to the size of the screen", [(ancho, alto)]),
                ("unmapped and mapped", ["unmap", "map"]),
                ("shrunk to half and grown back", [(ancho // 2, alto // 2), (ancho, alto)]),
                ("unmapped, grown from half and mapped",
                 ["unmap", (ancho // 2, alto // 2), "map", "unmap", (ancho, alto), "map"]),
            ]
            for que, pasos in secuencias:
                desde = espera(juego.proceso.pid)[1]
                gestor.agrupado(ventana, *pasos)
                comprueba_fotograma(pantalla, juego, que, desde)

            xdotool("windowfocus", "--sync", juego.ventana)
            juego.teclas("Escape")
            igual(juego.espera_salida(), 0, "exit status after ESC")


principal(prueba)
