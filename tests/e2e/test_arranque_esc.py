"""Start-up and ESC: the console is cleared and the banner printed with no line end; the window
has the game's title, tells the desktop its program (WM_CLASS) and process (_NET_WM_PID), fills
the screen and shows the opening exactly as the rendering tests' picture of it; keys that are not
SPACE print nothing; ESC ends the program with status 0.

Mesa's software path fills a window's pixels in the game's byte order, whatever the X server's:
a big-endian game on a little-endian server (or the other way round) shows other colours, red as
cyan, which no change of the game's could mend. The picture is read in the game's byte order, so
that its shape and colours as drawn are still compared exactly; when that is not the server's,
the test ends with status 77 (autopkgtest's skip) once all else has passed, saying why."""

import pytest

from arnes.imagen import frente_a_guardada
from arnes.transcripcion import BANNER, TITULO


def orden_de_bytes(programa):
    """"little" or "big": the byte order of the ELF program `programa` (its identification's
    sixth byte, 2 for big-endian)."""
    with open(programa, "rb") as f:
        return "big" if f.read(6)[5] == 2 else "little"


def test_arranque_y_esc(binario, partida, pantalla):
    propiedades = [pantalla.propiedad(partida.ventana, nombre)
                   for nombre in ("WM_NAME", "WM_CLASS", "_NET_WM_PID")]
    assert propiedades == [("STRING", TITULO.encode()), ("STRING", b"voltaro\0Voltaro\0"),
                           ("CARDINAL", [partida.proceso.pid])], "the window's properties"
    # Full screen: the window's size is the screen's, with no window manager to grant it.
    assert partida.tamano() == (pantalla.ancho, pantalla.alto), "the window's size"
    # The settled picture is the opening as the rendering tests keep it.
    orden = orden_de_bytes(binario)
    cambio = frente_a_guardada(partida.asentada(orden=orden), "apertura")
    assert not cambio, f"the opening's picture: {cambio}"
    # Ordinary keys other than SPACE and ESC, and special keys, the arrows among them, only
    # redraw or move the cursor.
    partida.teclas("a", "Return", "BackSpace", "Tab", "F1", "Home", "Left", "Down", "Right")
    partida.teclas("Escape")
    assert partida.espera_salida() == 0, "exit status after ESC"
    assert partida.transcripcion() == BANNER, "whole transcript"
    if orden != pantalla.orden:
        pytest.exit(f"the opening's colours on screen not compared: Mesa's software path draws "
                    f"this {orden}-endian game's pixels in its own byte order on a "
                    f"{pantalla.orden}-endian X server", returncode=77)
