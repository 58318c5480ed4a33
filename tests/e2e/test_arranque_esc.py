"""Start-up and ESC: the console is cleared and the banner printed with no line end; the window
has the game's title, tells the desktop its program (WM_CLASS) and process (_NET_WM_PID), fills
the screen and shows the opening exactly as the rendering tests' picture of it; keys that are not SPACE print nothing; ESC ends the program with status 0."""

from arnes.imagen import frente_a_guardada
from arnes.transcripcion import BANNER, TITULO


def test_arranque_y_esc(partida, pantalla):
    propiedades = [pantalla.propiedad(partida.ventana, nombre)
                   for nombre in ("WM_NAME", "WM_CLASS", "_NET_WM_PID")]
    assert propiedades == [("STRING", TITULO.encode()), ("STRING", b"voltaro\0Voltaro\0"),
                           ("CARDINAL", [partida.proceso.pid])], "the window's properties"
    # Full screen: the window's size is the screen's, with no window manager to grant it.
    assert partida.tamano() == (pantalla.ancho, pantalla.alto), "the window's size"
    # The settled picture is the opening as the rendering tests keep it.
    cambio = frente_a_guardada(partida.asentada(), "apertura")
    assert not cambio, f"the opening's picture: {cambio}"
    # Ordinary keys other than SPACE and ESC, and special keys, the arrows among them, only
    # redraw or move the cursor.
    partida.teclas("a", "Return", "BackSpace", "Tab", "F1", "Home", "Left", "Down", "Right")
    partida.teclas("Escape")
    assert partida.espera_salida() == 0, "exit status after ESC"
    assert partida.transcripcion() == BANNER, "whole transcript"
