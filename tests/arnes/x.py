"""arnes.x — one connection to an X display, and what the harness does through it.

Conexion wraps a python3-xlib Display: it finds a program's window by the process id the program
sets on it (_NET_WM_PID) or by its title, gives a window the keyboard focus and waits until it
has it, types keys through the XTest extension (as a person's keyboard would, to whichever window
has the focus; a key's press and release apart too, for a caller that times what a press does),
reads a window's size and properties, reads a window's whole picture back (arnes.imagen.Foto,
decoded as the screen shows it: the server's byte order, its pixmap formats and the root
window's visual, all read from the connection), and maps, unmaps and resizes a window, each waited
for. tapa() maps another client's window over the whole screen for as long as it is open. espera()
is every wait of the harness: a condition polled until it holds, with one deadline, PLAZO.

Key names are the X keysym names (those xdotool takes too): "space", "Escape", "Left", "a"...
"""

import contextlib
import os
import time

from Xlib import X, XK
from Xlib import display as xdisplay
from Xlib import error as xerror

from arnes.imagen import Foto, FormatoX

# Seconds for anything that the X server or the game should do at once. Every wait ends as soon
# as what it waits for holds; this deadline only ends a test that hangs, so it stands far above
# what a busy machine or one under emulation takes (the slowest wait seen, for the game's first
# settled picture with its every program under qemu's emulation of arm64, took 21 s on a loaded
# machine).
PLAZO = 120.0
SONDEO = 0.005  # seconds between two looks at what is awaited
RETARDO = 12  # milliseconds between two keys when the caller says nothing


class ErrorX(Exception):
    """The X server did not do or show what was asked of it in time."""


def espera(condicion, que, plazo=PLAZO, sondeo=SONDEO):
    """Polls `condicion` every `sondeo` seconds until it gives something true, and returns that;
    ErrorX after `plazo` seconds. Every wait of the harness, and of the tools on it, is this."""
    limite = time.monotonic() + plazo
    while not (resultado := condicion()):
        if time.monotonic() > limite:
            raise ErrorX(f"timed out after {plazo:.0f} s waiting for {que}")
        time.sleep(sondeo)
    return resultado


class Conexion:
    """A connection to the display `nombre` (DISPLAY when None); a context manager that closes
    it. `d` is the python3-xlib Display, `raiz` the root window, `ancho` and `alto` the
    screen's size."""

    def __init__(self, nombre=None):
        try:
            self.d = xdisplay.Display(nombre)
        except (xerror.DisplayError, xerror.ConnectionClosedError) as e:
            raise ErrorX(f"cannot open the X display {nombre or os.environ.get('DISPLAY')!r}: "
                         f"{e}") from None
        pantalla = self.d.screen()
        self.raiz = pantalla.root
        self.ancho, self.alto = pantalla.width_in_pixels, pantalla.height_in_pixels
        self._pid = self.d.intern_atom("_NET_WM_PID")
        info = self.d.display.info
        self.orden = "big" if info.image_byte_order == X.MSBFirst else "little"
        self._formatos = {f.depth: (f.bits_per_pixel, f.scanline_pad)
                          for f in info.pixmap_formats}
        # Pixels are read as the screen shows them: by the root window's visual, as Xvfb's -fbdir
        # file and `xwd -root` read them too. A window's own visual may say otherwise: a
        # big-endian Xvfb gives GL windows visuals whose masks are the root's with their bytes
        # swapped (red 0xff00, green 0xff0000, blue 0xff000000), by which the opening that
        # s390x's Xvfb shows as amd64's does would read with red and green swapped, blue lost.
        self._mascaras = next((v.red_mask, v.green_mask, v.blue_mask)
                              for d in pantalla.allowed_depths for v in d.visuals
                              if v.visual_id == pantalla.root_visual)

    def __enter__(self):
        return self

    def __exit__(self, *excepcion):
        self.cierra()
        return False

    def cierra(self):
        """Closes the connection, once; a server already gone is no error."""
        if self.d is None:
            return
        try:
            self.d.close()
        except (xerror.ConnectionClosedError, OSError):
            pass
        self.d = None

    def ventana(self, ventana):
        """The Window object of `ventana`, a Window or a window id."""
        if isinstance(ventana, int):
            return self.d.create_resource_object("window", ventana)
        return ventana

    # Finding windows.

    def _arbol(self, ventana):
        try:
            hijas = ventana.query_tree().children
        except xerror.XError:
            return
        for hija in hijas:
            yield hija
            yield from self._arbol(hija)

    def pid_de(self, ventana):
        """The _NET_WM_PID of `ventana`, or None."""
        try:
            p = self.ventana(ventana).get_full_property(self._pid, X.AnyPropertyType)
        except xerror.XError:
            return None
        return int(p.value[0]) if p and len(p.value) else None

    def visible(self, ventana):
        try:
            return self.ventana(ventana).get_attributes().map_state == X.IsViewable
        except xerror.XError:
            return False

    def ventana_de(self, pid):
        """The id of a visible window, anywhere in the tree (a window manager's frame may hold
        it), whose _NET_WM_PID is `pid`, or None."""
        for ventana in self._arbol(self.raiz):
            if self.pid_de(ventana) == pid and self.visible(ventana):
                return ventana.id
        return None

    def ventana_titulada(self, titulo):
        """The id of a visible window named `titulo` (WM_NAME), anywhere in the tree, or None:
        for a program that sets no _NET_WM_PID, as freeglut does not with no window manager."""
        for ventana in self._arbol(self.raiz):
            try:
                nombre = ventana.get_wm_name()
            except xerror.XError:
                continue
            if nombre == titulo and self.visible(ventana):
                return ventana.id
        return None

    # The keyboard.

    def foco(self):
        """The id of the window that has the keyboard focus (or X's PointerRoot/None value)."""
        foco = self.d.get_input_focus().focus
        return foco if isinstance(foco, int) else foco.id

    def enfoca(self, ventana):
        """Gives `ventana` the keyboard focus and waits until it has it."""
        ventana = self.ventana(ventana)
        error = xerror.CatchError()
        ventana.set_input_focus(X.RevertToParent, X.CurrentTime, onerror=error)
        self.d.sync()
        if error.get_error():
            raise ErrorX(f"cannot give window {ventana.id} the focus: {error.get_error()}")
        espera(lambda: self.foco() == ventana.id, f"window {ventana.id} to have the focus")

    def codigo(self, tecla):
        keysym = XK.string_to_keysym(tecla)
        codigo = self.d.keysym_to_keycode(keysym) if keysym else 0
        if not codigo:
            raise ValueError(f"no key on this display gives {tecla!r}")
        return codigo

    def teclas(self, *teclas, retardo=None):
        """Presses and releases each key in turn, through XTest; `retardo` milliseconds between
        two keys (RETARDO when None; 0 sends them all at once)."""
        pausa = (RETARDO if retardo is None else retardo) / 1000
        codigos = [self.codigo(t) for t in teclas]
        for n, codigo in enumerate(codigos):
            if n and pausa:
                self.d.sync()
                time.sleep(pausa)
            self.d.xtest_fake_input(X.KeyPress, codigo)
            self.d.xtest_fake_input(X.KeyRelease, codigo)
        self.d.sync()

    def pulsa(self, tecla):
        """Presses one key through XTest and sends the event at once, for a caller that times
        what follows the press; suelta() releases it."""
        self.d.xtest_fake_input(X.KeyPress, self.codigo(tecla))
        self.d.flush()

    def suelta(self, tecla):
        self.d.xtest_fake_input(X.KeyRelease, self.codigo(tecla))
        self.d.flush()

    # Windows' size, properties and picture.

    def tamano(self, ventana):
        """(width, height) of `ventana`."""
        g = self.ventana(ventana).get_geometry()
        return g.width, g.height

    def propiedad(self, ventana, nombre):
        """(type's name, value) of the property `nombre` of `ventana`: the value is bytes for
        8-bit properties, a list of numbers otherwise; None when it is not set."""
        p = self.ventana(ventana).get_full_property(self.d.intern_atom(nombre),
                                                    X.AnyPropertyType)
        if p is None:
            return None
        valor = p.value if p.format == 8 else list(p.value)
        if isinstance(valor, str):
            valor = valor.encode("latin-1")
        return self.d.get_atom_name(p.property_type), valor

    def foto(self, ventana=None, orden=None):
        """The whole picture of `ventana` (the root window, the screen, when None) as a Foto, its
        pixels' bytes read in the byte order `orden` ("little" or "big"; the server's when
        None)."""
        ventana = self.raiz if ventana is None else self.ventana(ventana)
        ancho, alto = self.tamano(ventana)
        imagen = ventana.get_image(0, 0, ancho, alto, X.ZPixmap, 0xFFFFFFFF)
        formato = FormatoX(orden or self.orden, *self._formatos[imagen.depth], self._mascaras)
        return Foto.de_x(ancho, alto, imagen.data, formato)

    # What a window manager or a person does to a window, each waited for.

    def redimensiona(self, ventana, ancho, alto):
        ventana = self.ventana(ventana)
        ventana.configure(width=ancho, height=alto)
        espera(lambda: self.tamano(ventana) == (ancho, alto),
               f"window {ventana.id} to be {ancho}x{alto}")

    def desmapea(self, ventana):
        ventana = self.ventana(ventana)
        ventana.unmap()
        espera(lambda: ventana.get_attributes().map_state == X.IsUnmapped,
               f"window {ventana.id} to be unmapped")

    def mapea(self, ventana):
        ventana = self.ventana(ventana)
        ventana.map()
        espera(lambda: self.visible(ventana), f"window {ventana.id} to be mapped")


@contextlib.contextmanager
def tapa(nombre=None):
    """Another client's window, mapped over the whole screen of display `nombre` for as long as
    the block runs, then destroyed, which exposes what it covered."""
    with Conexion(nombre) as otra:
        encima = otra.raiz.create_window(0, 0, otra.ancho, otra.alto, 0, X.CopyFromParent,
                                         background_pixel=otra.d.screen().white_pixel)
        encima.map()
        espera(lambda: otra.visible(encima), "the covering window to be mapped")
        try:
            yield encima.id
        finally:
            encima.destroy()
            otra.d.sync()
