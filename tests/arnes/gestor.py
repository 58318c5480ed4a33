"""arnes.gestor — a window manager of the test's own.

Gestor connects to the X display and selects SubstructureRedirect on the root window, as a
window manager does: every MapWindow and ConfigureWindow that another client makes on a top-level
window comes to it as a request, and the window is mapped or configured only when and as it says.
Its own requests go straight through, so the test can put the game's window through whatever
sequence of map, unmap and resize it likes, each sequence inside one server grab so that the game
sees all of its events at once (agrupado()). It maps every window at the size of the screen (as a
kiosk or tiling window manager does), grants every configure request as asked, and notes for each
map request the window's WM_CLASS and _NET_WM_PID at that moment (`mapeos`). It runs in a thread
of its own, and every X call on its connection is made in that thread; the test gives it work
through hacer().
"""

import queue
import select
import threading

from Xlib import X
from Xlib import error as xerror

from arnes.x import PLAZO, Conexion

_CONFIGURABLES = {X.CWX: "x", X.CWY: "y", X.CWWidth: "width", X.CWHeight: "height",
                  X.CWBorderWidth: "border_width"}


class ErrorGestor(Exception):
    """The window manager could not start, or X refused what it was asked to do."""


class Gestor:
    """The window manager on the display `nombre` (DISPLAY when None); a context manager that
    starts it and stops it. `ancho` and `alto` are the screen's size."""

    def __init__(self, nombre=None):
        self.nombre = nombre
        self.ancho = self.alto = 0
        self.mapeos = []  # per map request: (window id, WM_CLASS or None, _NET_WM_PID or None)
        self._trabajo = queue.Queue()
        self._parar = threading.Event()
        self._listo = threading.Event()
        self._hilo = None
        self._fallo = None
        self._errores = []  # X errors of the requests made without a reply

    def __enter__(self):
        self._hilo = threading.Thread(target=self._corre, daemon=True)
        self._hilo.start()
        if not self._listo.wait(PLAZO):
            raise ErrorGestor("the test's window manager did not start")
        if self._fallo:
            raise self._fallo
        return self

    def __exit__(self, *excepcion):
        self._parar.set()
        self._hilo.join(PLAZO)
        return False

    def _inicia(self):
        self.x = Conexion(self.nombre)
        self.ancho, self.alto = self.x.ancho, self.x.alto
        self.x.d.set_error_handler(lambda error, peticion: self._errores.append(error))
        otro = xerror.CatchError(xerror.BadAccess)
        self.x.raiz.change_attributes(event_mask=X.SubstructureRedirectMask, onerror=otro)
        self.x.d.sync()
        if otro.get_error():
            raise ErrorGestor("another window manager runs on this display")

    def _corre(self):
        try:
            self._inicia()
        except Exception as fallo:  # handed to __enter__
            self._fallo = fallo
            self._listo.set()
            return
        self._listo.set()
        d = self.x.d
        try:
            while not self._parar.is_set():
                while not self._trabajo.empty():
                    tarea, hecho, resultado = self._trabajo.get()
                    try:
                        resultado.append(tarea())
                    except Exception as e:  # handed to the caller of hacer()
                        resultado.append(e)
                    hecho.set()
                while d.pending_events():
                    evento = d.next_event()
                    if evento.type == X.MapRequest:
                        self._al_mapear(evento.window)
                    elif evento.type == X.ConfigureRequest:
                        self._al_configurar(evento)
                select.select([d], [], [], 0.005)
        finally:
            self.x.cierra()

    def _al_mapear(self, ventana):
        self.mapeos.append((ventana.id, self._clase(ventana), self.x.pid_de(ventana)))
        self.x.d.grab_server()
        ventana.configure(x=0, y=0, width=self.ancho, height=self.alto)
        ventana.map()
        self.x.d.ungrab_server()
        self.x.d.flush()

    def _al_configurar(self, peticion):
        cambios = {nombre: getattr(peticion, nombre) for bit, nombre in _CONFIGURABLES.items()
                   if peticion.value_mask & bit}
        peticion.window.configure(**cambios)
        self.x.d.flush()

    def _clase(self, ventana):
        try:
            return ventana.get_wm_class()
        except xerror.XError:
            return None

    def hacer(self, tarea):
        """Runs tarea() in the window manager's thread and returns what it returns."""
        hecho, resultado = threading.Event(), []
        self._trabajo.put((tarea, hecho, resultado))
        if not hecho.wait(PLAZO):
            raise ErrorGestor("the test's window manager did not answer")
        if isinstance(resultado[0], Exception):
            raise resultado[0]
        return resultado[0]

    def agrupado(self, ventana, *pasos):
        """Puts window `ventana` (an id) through `pasos` inside one server grab: each step is
        "unmap", "map" or a (width, height) to resize it to, at (0, 0)."""
        def tarea():
            objeto = self.x.ventana(int(ventana))
            self._errores.clear()
            self.x.d.grab_server()
            for paso in pasos:
                if paso == "unmap":
                    objeto.unmap()
                elif paso == "map":
                    objeto.map()
                else:
                    objeto.configure(x=0, y=0, width=paso[0], height=paso[1])
            self.x.d.ungrab_server()
            self.x.d.sync()
            if self._errores:
                raise ErrorGestor(f"X errors putting the window through {pasos}: "
                                  f"{self._errores}")
        self.hacer(tarea)
