"""Start-up and ESC: the console is cleared and the banner printed with no line end; the window
has the game's title, tells the desktop its program (WM_CLASS) and process (_NET_WM_PID), and
fills the screen; keys that are not SPACE print nothing; ESC ends the program with status 0."""

from arnes.transcripcion import BANNER, TITULO


def test_arranque_y_esc(partida, pantalla):
    propiedades = [pantalla.propiedad(partida.ventana, nombre)
                   for nombre in ("WM_NAME", "WM_CLASS", "_NET_WM_PID")]
    assert propiedades == [("STRING", TITULO.encode()), ("STRING", b"voltaro\0Voltaro\0"),
                           ("CARDINAL", [partida.proceso.pid])], "the window's properties"
    # Full screen: the window's size is the screen's, with no window manager to grant it.
    assert partida.tamano() == (pantalla.ancho, pantalla.alto), "the window's size"
    # Ordinary keys other than SPACE and ESC, and special keys, the arrows among them, only
    # redraw or move the cursor.
    partida.teclas("a", "Return", "BackSpace", "Tab", "F1", "Home", "Left", "Down", "Right")
    partida.teclas("Escape")
    assert partida.espera_salida() == 0, "exit status after ESC"
    assert partida.transcripcion() == BANNER, "whole transcript"
