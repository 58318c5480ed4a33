"""tests/e2e/gestor.py — a window manager of the test's own, and the screen as the person sees it.

Gestor connects to the X display through Xlib (ctypes) and selects SubstructureRedirect on the
root window, as a window manager does: every MapWindow and ConfigureWindow that another client
makes on a top-level window comes to it as a request, and the window is mapped or configured only
when and as it says. Its own requests go straight through, so the test can put the game's window
through whatever sequence of map, unmap and resize it likes, each sequence inside one server grab
so that the game sees all of its events at once. It maps every window at the size of the screen
(as a kiosk or tiling window manager does), grants every configure request as asked, and notes
for each map request the window's WM_CLASS and _NET_WM_PID at that moment. It runs in a thread of
its own; the test gives it work through hacer(), and every X call on its connection is made in
that thread.

Pantalla is a plain connection of the test's thread that reads back the screen (XGetImage on the
root window), for pictures of what the window shows.
"""

import ctypes
import ctypes.util
import queue
import select
import threading

from partida import PLAZO, Fallo

_x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")

# Event types, masks and request values of X11/X.h.
MAP_REQUEST, CONFIGURE_REQUEST = 20, 23
SUBSTRUCTURE_REDIRECT_MASK = 1 << 20
CW_X, CW_Y, CW_WIDTH, CW_HEIGHT, CW_BORDER_WIDTH = 1, 2, 4, 8, 16
Z_PIXMAP, ALL_PLANES = 2, ~0 & 0xFFFFFFFFFFFFFFFF
PROP_ANY_TYPE = 0


class _XMapRequestEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("parent", ctypes.c_ulong),
                ("window", ctypes.c_ulong)]


class _XConfigureRequestEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("parent", ctypes.c_ulong),
                ("window", ctypes.c_ulong), ("x", ctypes.c_int), ("y", ctypes.c_int),
                ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("above", ctypes.c_ulong),
                ("detail", ctypes.c_int), ("value_mask", ctypes.c_ulong)]


class _XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xmaprequest", _XMapRequestEvent),
                ("xconfigurerequest", _XConfigureRequestEvent), ("pad", ctypes.c_long * 24)]


class _XWindowChanges(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int),
                ("sibling", ctypes.c_ulong), ("stack_mode", ctypes.c_int)]


class _XClassHint(ctypes.Structure):
    _fields_ = [("res_name", ctypes.c_void_p), ("res_class", ctypes.c_void_p)]


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


class _XErrorEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("display", ctypes.c_void_p),
                ("resourceid", ctypes.c_ulong), ("serial", ctypes.c_ulong),
                ("error_code", ctypes.c_ubyte), ("request_code", ctypes.c_ubyte),
                ("minor_code", ctypes.c_ubyte)]


_ventana = ctypes.c_ulong
_pantalla = ctypes.c_void_p
for _nombre, _resultado, _argumentos in [
    ("XOpenDisplay", _pantalla, [ctypes.c_char_p]),
    ("XCloseDisplay", ctypes.c_int, [_pantalla]),
    ("XDefaultRootWindow", _ventana, [_pantalla]),
    ("XDefaultScreen", ctypes.c_int, [_pantalla]),
    ("XDisplayWidth", ctypes.c_int, [_pantalla, ctypes.c_int]),
    ("XDisplayHeight", ctypes.c_int, [_pantalla, ctypes.c_int]),
    ("XConnectionNumber", ctypes.c_int, [_pantalla]),
    ("XSelectInput", ctypes.c_int, [_pantalla, _ventana, ctypes.c_long]),
    ("XSync", ctypes.c_int, [_pantalla, ctypes.c_int]),
    ("XFlush", ctypes.c_int, [_pantalla]),
    ("XPending", ctypes.c_int, [_pantalla]),
    ("XNextEvent", ctypes.c_int, [_pantalla, ctypes.POINTER(_XEvent)]),
    ("XGrabServer", ctypes.c_int, [_pantalla]),
    ("XUngrabServer", ctypes.c_int, [_pantalla]),
    ("XMapWindow", ctypes.c_int, [_pantalla, _ventana]),
    ("XUnmapWindow", ctypes.c_int, [_pantalla, _ventana]),
    ("XMoveResizeWindow", ctypes.c_int,
     [_pantalla, _ventana, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint]),
    ("XConfigureWindow", ctypes.c_int,
     [_pantalla, _ventana, ctypes.c_uint, ctypes.POINTER(_XWindowChanges)]),
    ("XGetClassHint", ctypes.c_int, [_pantalla, _ventana, ctypes.POINTER(_XClassHint)]),
    ("XInternAtom", ctypes.c_ulong, [_pantalla, ctypes.c_char_p, ctypes.c_int]),
    ("XGetWindowProperty", ctypes.c_int,
     [_pantalla, _ventana, ctypes.c_ulong, ctypes.c_long, ctypes.c_long, ctypes.c_int,
      ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
      ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
      ctypes.POINTER(ctypes.c_void_p)]),
    ("XGetGeometry", ctypes.c_int,
     [_pantalla, _ventana, ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
      ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_uint),
      ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_uint),
      ctypes.POINTER(ctypes.c_uint)]),
    ("XGetImage", ctypes.POINTER(_XImage),
     [_pantalla, _ventana, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
      ctypes.c_ulong, ctypes.c_int]),
    ("XDestroyImage", ctypes.c_int, [ctypes.POINTER(_XImage)]),
    ("XFree", ctypes.c_int, [ctypes.c_void_p]),
]:
    _funcion = getattr(_x, _nombre)
    _funcion.restype = _resultado
    _funcion.argtypes = _argumentos

# Xlib's default error handler ends the process; this one notes the error, for the call that made
# it to find (errores_de), and lets the program go on.
_ManejadorErrores = ctypes.CFUNCTYPE(ctypes.c_int, _pantalla, ctypes.POINTER(_XErrorEvent))
_errores = []


@_ManejadorErrores
def _al_error(pantalla, error):
    _errores.append((pantalla, error.contents.error_code, error.contents.request_code))
    return 0


_x.XSetErrorHandler(_al_error)


def errores_de(pantalla):
    """The X errors of connection `pantalla` noted since the last call, and forgets them."""
    propios = [e for e in _errores if e[0] == pantalla]
    for e in propios:
        _errores.remove(e)
    return propios


def _abre(display=None):
    pantalla = _x.XOpenDisplay(display)
    if not pantalla:
        raise Fallo("cannot open the X display")
    return pantalla


def geometria(pantalla, ventana):
    """(width, height) of `ventana`, or None when it is gone."""
    raiz, x, y = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_int()
    ancho, alto, borde, prof = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
    if not _x.XGetGeometry(pantalla, ventana, ctypes.byref(raiz), ctypes.byref(x), ctypes.byref(y),
                           ctypes.byref(ancho), ctypes.byref(alto), ctypes.byref(borde),
                           ctypes.byref(prof)):
        return None
    return ancho.value, alto.value


class Gestor:
    """The window manager; a context manager that starts it and stops it."""

    def __init__(self):
        self.pantalla = None
        self.ancho = self.alto = 0
        self.mapeos = []  # per map request: (window, WM_CLASS or None, _NET_WM_PID or None)
        self._trabajo = queue.Queue()
        self._parar = threading.Event()
        self._hilo = None
        self._fallo = None
        self._listo = threading.Event()

    def __enter__(self):
        self._hilo = threading.Thread(target=self._corre, daemon=True)
        self._hilo.start()
        if not self._listo.wait(PLAZO):
            raise Fallo("the test's window manager did not start")
        if self._fallo:
            raise self._fallo
        return self

    def __exit__(self, *excepcion):
        self._parar.set()
        self._hilo.join(PLAZO)
        return False

    def _corre(self):
        try:
            self.pantalla = _abre()
            pantalla = self.pantalla
            pantalla_n = _x.XDefaultScreen(pantalla)
            self.ancho = _x.XDisplayWidth(pantalla, pantalla_n)
            self.alto = _x.XDisplayHeight(pantalla, pantalla_n)
            _x.XSelectInput(pantalla, _x.XDefaultRootWindow(pantalla), SUBSTRUCTURE_REDIRECT_MASK)
            _x.XSync(pantalla, 0)
            if errores_de(pantalla):
                raise Fallo("another window manager runs on this display")
        except Fallo as fallo:
            self._fallo = fallo
            self._listo.set()
            return
        self._listo.set()
        evento = _XEvent()
        fd = _x.XConnectionNumber(pantalla)
        try:
            while not self._parar.is_set():
                while not self._trabajo.empty():
                    tarea, hecho, resultado = self._trabajo.get()
                    try:
                        resultado.append(tarea(pantalla))
                    except Exception as e:  # handed to the caller of hacer()
                        resultado.append(e)
                    hecho.set()
                while _x.XPending(pantalla):
                    _x.XNextEvent(pantalla, ctypes.byref(evento))
                    if evento.type == MAP_REQUEST:
                        self._al_mapear(evento.xmaprequest.window)
                    elif evento.type == CONFIGURE_REQUEST:
                        self._al_configurar(evento.xconfigurerequest)
                select.select([fd], [], [], 0.005)
        finally:
            _x.XCloseDisplay(pantalla)

    def _al_mapear(self, ventana):
        self.mapeos.append((ventana, self._clase(ventana), self._pid(ventana)))
        _x.XGrabServer(self.pantalla)
        _x.XMoveResizeWindow(self.pantalla, ventana, 0, 0, self.ancho, self.alto)
        _x.XMapWindow(self.pantalla, ventana)
        _x.XUngrabServer(self.pantalla)
        _x.XFlush(self.pantalla)

    def _al_configurar(self, peticion):
        cambios = _XWindowChanges(peticion.x, peticion.y, peticion.width, peticion.height,
                                  peticion.border_width, 0, 0)
        mascara = peticion.value_mask & (CW_X | CW_Y | CW_WIDTH | CW_HEIGHT | CW_BORDER_WIDTH)
        _x.XConfigureWindow(self.pantalla, peticion.window, mascara, ctypes.byref(cambios))
        _x.XFlush(self.pantalla)

    def _clase(self, ventana):
        pista = _XClassHint()
        if not _x.XGetClassHint(self.pantalla, ventana, ctypes.byref(pista)):
            return None
        clase = tuple(ctypes.string_at(p).decode() if p else ""
                      for p in (pista.res_name, pista.res_class))
        for p in (pista.res_name, pista.res_class):
            if p:
                _x.XFree(p)
        return clase

    def _pid(self, ventana):
        atomo = _x.XInternAtom(self.pantalla, b"_NET_WM_PID", 0)
        tipo, formato = ctypes.c_ulong(), ctypes.c_int()
        n, resto, datos = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        if _x.XGetWindowProperty(self.pantalla, ventana, atomo, 0, 1, 0, PROP_ANY_TYPE,
                                 ctypes.byref(tipo), ctypes.byref(formato), ctypes.byref(n),
                                 ctypes.byref(resto), ctypes.byref(datos)) != 0 or not datos:
            return None
        try:
            return ctypes.cast(datos, ctypes.POINTER(ctypes.c_ulong))[0] if n.value else None
        finally:
            _x.XFree(datos)

    def hacer(self, tarea):
        """Runs tarea(display) in the window manager's thread and returns what it returns."""
        hecho, resultado = threading.Event(), []
        self._trabajo.put((tarea, hecho, resultado))
        if not hecho.wait(PLAZO):
            raise Fallo("the test's window manager did not answer")
        if isinstance(resultado[0], Exception):
            raise resultado[0]
        return resultado[0]

    def agrupado(self, ventana, *pasos):
        """Puts `ventana` through `pasos` inside one server grab: each step is "unmap", "map" or
        a (width, height) to resize it to, at (0, 0)."""
        def tarea(pantalla):
            _x.XGrabServer(pantalla)
            for paso in pasos:
                if paso == "unmap":
                    _x.XUnmapWindow(pantalla, int(ventana))
                elif paso == "map":
                    _x.XMapWindow(pantalla, int(ventana))
                else:
                    _x.XMoveResizeWindow(pantalla, int(ventana), 0, 0, *paso)
            _x.XUngrabServer(pantalla)
            _x.XSync(pantalla, 0)
            errores = errores_de(pantalla)
            if errores:
                raise Fallo(f"X errors putting the window through {pasos}: {errores}")
        self.hacer(tarea)


class Pantalla:
    """A connection of the test's own thread that reads pictures back from the screen."""

    def __enter__(self):
        self.pantalla = _abre()
        self.raiz = _x.XDefaultRootWindow(self.pantalla)
        return self

    def __exit__(self, *excepcion):
        _x.XCloseDisplay(self.pantalla)
        return False

    def tamano(self, ventana):
        """(width, height) of `ventana`."""
        tamano = geometria(self.pantalla, int(ventana))
        if tamano is None:
            raise Fallo(f"window {ventana} is gone")
        return tamano

    def foto(self, ancho, alto):
        """The screen's pixels in the rectangle of `ancho` x `alto` at its top left corner, as
        bytes (32 bits a pixel, row after row)."""
        imagen = _x.XGetImage(self.pantalla, self.raiz, 0, 0, ancho, alto, ALL_PLANES, Z_PIXMAP)
        if not imagen:
            raise Fallo(f"cannot read the screen back: {errores_de(self.pantalla)}")
        try:
            i = imagen.contents
            return ctypes.string_at(i.data, i.bytes_per_line * i.height)
        finally:
            _x.XDestroyImage(imagen)
