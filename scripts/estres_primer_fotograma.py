#!/usr/bin/python3
"""The first-picture stress run (not part of the test suite). Starts the game N times on a private
bare Xvfb of 1280x960 (no window manager) and N times on another one under GNOME's window manager
(mutter as an X11 window manager and compositor, in a D-Bus session of its own), while the machine
is kept busy by busy loops and a disk writer. After each start it takes the first settled picture
of the game's window (once the window has the size of the screen, something drawn and the game
idle, with the picture steady: the test harness's wait) and compares it with the right frame for
that size, then ends the game with ESC. It prints how many first pictures were wrong in each
environment and keeps them, as PNG, in the output folder.

  scripts/estres_primer_fotograma.sh [-n STARTS] [-e desnudo|mutter|ambos] [-b BINARY]
                                     [-c BUSY_LOOPS] [-o FOLDER]

The right frame for the size is the game's own picture after one ordinary key ("a", which only
redraws), taken before the load starts. The pictures are the window's own contents as the game
drew them: under mutter, the window's picture before the compositor paints it, so that a window
caught halfway through an animation, or a desktop not yet repainted, is not taken for the game's.
Exit status: 0 when no first picture was wrong and every start went as it should, 1 otherwise,
2 on a wrong command line. Everything it starts (X servers, mutter, the game, the load) is
stopped on the way out, Ctrl-C included.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

RAIZ = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The harness lives under tests/; nothing is written into the source tree (no byte code).
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(RAIZ, "tests"))
from arnes import juego as arnes_juego  # noqa: E402
from arnes.juego import ErrorJuego, Juego  # noqa: E402
from arnes.proceso import huerfano_muere  # noqa: E402
from arnes.x import PLAZO, Conexion  # noqa: E402
from arnes.xvfb import Xvfb  # noqa: E402

TAMANO = "1280x960"  # the screen's
PARADA = 5.0  # seconds for a helper's process group to end before it is killed
NOMBRES = {"desnudo": "on bare X", "mutter": "under mutter"}


class Fallo(Exception):
    """The run cannot go on: the reference picture, or mutter, did not come."""


def opciones(argumentos):
    lector = argparse.ArgumentParser(
        prog="scripts/estres_primer_fotograma.sh",
        description="Counts wrong first pictures of the game over many starts, under load.")
    lector.add_argument("-n", dest="veces", type=int, default=200, metavar="STARTS",
                        help="starts in each environment (200)")
    lector.add_argument("-e", dest="entornos", default="ambos",
                        choices=["desnudo", "mutter", "ambos"],
                        help="bare X only, mutter only, or both (the default)")
    lector.add_argument("-b", dest="binario", metavar="BINARY",
                        help="the game binary to start (default: build/voltaro, built first)")
    lector.add_argument("-c", dest="bucles", type=int, default=2, metavar="BUSY_LOOPS",
                        help="busy loops, one process each (2); a disk writer runs beside them")
    lector.add_argument("-o", dest="salida", metavar="FOLDER",
                        help="folder for the pictures (default: a new one under /tmp, removed "
                        "when nothing was wrong)")
    o = lector.parse_args(argumentos)
    if o.veces < 0 or o.bucles < 0:
        lector.error("STARTS and BUSY_LOOPS are counts")
    o.entornos = ["desnudo", "mutter"] if o.entornos == "ambos" else [o.entornos]
    return o


class Grupo:
    """A helper in a process group of its own (its process id is the group's), so that stopping
    it stops whatever it started too (dd, dbus-daemon): the group is asked to end, given PARADA
    seconds for its first process to, then killed."""

    def __init__(self, orden, **kwargs):
        self.proceso = subprocess.Popen(huerfano_muere(orden), start_new_session=True,
                                        stdin=subprocess.DEVNULL, **kwargs)

    def para(self):
        for senal, plazo in ((signal.SIGTERM, PARADA), (signal.SIGKILL, None)):
            try:
                os.killpg(self.proceso.pid, senal)
            except ProcessLookupError:
                pass
            try:
                self.proceso.wait(plazo)
                break
            except subprocess.TimeoutExpired:
                continue


def carga(bucles, carpeta):
    """The load: `bucles` busy loops and a disk writer that writes 256 MiB over and over."""
    grupos = [Grupo(["bash", "-c", "while :; do :; done"]) for _ in range(bucles)]
    grupos.append(Grupo(["bash", "-c", 'while :; do dd if=/dev/zero of="$1" bs=1M count=256 '
                         'conv=fsync status=none; done', "_", os.path.join(carpeta, "carga")]))
    return grupos


def arranca_mutter(servidor, carpeta):
    """mutter as the display's window manager and compositor, in a D-Bus session of its own;
    waits until it runs (EWMH's _NET_SUPPORTING_WM_CHECK names a window on the root)."""
    registro = open(os.path.join(carpeta, "mutter.log"), "wb")
    mutter = Grupo(["dbus-run-session", "--", "mutter", "--x11", "--replace"],
                   env=servidor.entorno(), stdout=registro, stderr=subprocess.STDOUT)
    registro.close()
    with Conexion(servidor.nombre) as x:
        limite = time.monotonic() + PLAZO
        while x.propiedad(x.raiz, "_NET_SUPPORTING_WM_CHECK") is None:
            if mutter.proceso.poll() is not None or time.monotonic() > limite:
                mutter.para()
                with open(os.path.join(carpeta, "mutter.log"), errors="replace") as f:
                    raise Fallo("mutter did not start:\n" + f.read())
            time.sleep(0.1)
    time.sleep(1)
    return mutter


def primera(juego, pantalla):
    """The first settled picture of the window at the size of the screen."""
    limite = time.monotonic() + PLAZO
    while True:
        foto = juego.asentada(plazo=max(limite - time.monotonic(), 0.1))
        if foto.tamano == pantalla:
            return foto
        if time.monotonic() > limite:
            raise ErrorJuego(f"the window did not settle at {pantalla[0]}x{pantalla[1]} within "
                             f"{PLAZO:.0f} s")


def termina(juego):
    """Ends the game with ESC; fails unless it exits with status 0 within PLAZO."""
    juego.enfoca()
    juego.teclas("Escape")
    estado = juego.espera_salida(PLAZO)
    if estado != 0:
        raise ErrorJuego(f"the game ended with status {estado} on ESC")


def referencia(binario, servidor, pantalla):
    """The right frame for the size: the game's picture after a key that only redraws, on the
    idle machine."""
    with Juego([binario], entorno=servidor.entorno(), plazo_ventana=PLAZO) as juego:
        primera(juego, pantalla)
        foto = juego.redibujada()
        termina(juego)
    return foto


def entorno(nombre, o, carpeta, salida):
    """Runs the starts in one environment; returns its summary line and how many went wrong."""
    ancho, alto = (int(n) for n in TAMANO.split("x"))
    pantalla = (ancho, alto)
    rechazados_antes = arnes_juego.arranques_rechazados
    mal = sin_asentar = errores = 0
    with Xvfb(TAMANO) as servidor:
        mutter = arranca_mutter(servidor, carpeta) if nombre == "mutter" else None
        grupos = []
        try:
            correcta = referencia(o.binario, servidor, pantalla)
            correcta.guarda(os.path.join(salida, f"{nombre}-referencia.png"))
            grupos = carga(o.bucles, carpeta)
            print(f"{NOMBRES[nombre]}: {o.veces} starts of {o.binario}, {o.bucles} busy loops and "
                  "a disk writer", flush=True)
            for vez in range(1, o.veces + 1):
                try:
                    with Juego([o.binario], entorno=servidor.entorno(),
                               plazo_ventana=PLAZO) as juego:
                        try:
                            foto = primera(juego, pantalla)
                        except ErrorJuego as e:
                            sin_asentar += 1
                            print(f"  start {vez}: no settled picture: {e}", flush=True)
                            ruta = os.path.join(salida, f"{nombre}-{vez}-sin-asentar.png")
                            juego.x.foto(juego.ventana).guarda(ruta)
                            print(f"  the last picture in {ruta}", flush=True)
                        else:
                            if foto != correcta:
                                mal += 1
                                ruta = os.path.join(salida, f"{nombre}-{vez}.png")
                                foto.guarda(ruta)
                                print(f"  start {vez}: wrong first picture, {ruta}", flush=True)
                        termina(juego)
                except Exception as e:  # the game gone, its window gone: counted, and on
                    errores += 1
                    print(f"  start {vez}: {type(e).__name__}: {e}", flush=True)
                if vez % 20 == 0:
                    print(f"  {vez} starts, {mal} wrong first pictures", flush=True)
        finally:
            for grupo in grupos:
                grupo.para()
            if mutter:
                mutter.para()
    rechazados = arnes_juego.arranques_rechazados - rechazados_antes
    linea = f"{NOMBRES[nombre]}: {mal} wrong first pictures in {o.veces} starts"
    if sin_asentar:
        linea += f", {sin_asentar} with no settled picture"
    if errores:
        linea += f", {errores} that failed to start or to end on ESC"
    if rechazados:
        linea += f" ({rechazados} refused by the X server and started again)"
    return linea, mal + sin_asentar + errores


def principal(argumentos):
    o = opciones(argumentos)
    if o.binario is None:
        subprocess.run(["bash", os.path.join(RAIZ, "scripts", "compilar.sh"),
                        "-DVOLTARO_TESTS=OFF"], stdout=subprocess.DEVNULL, check=True)
        o.binario = os.path.join(RAIZ, "build", "voltaro")
    if not (os.path.isfile(o.binario) and os.access(o.binario, os.X_OK)):
        print(f"estres: {o.binario} is not an executable", file=sys.stderr)
        return 2
    propia_salida = o.salida is None
    salida = tempfile.mkdtemp(prefix="voltaro-estres.") if propia_salida else o.salida
    os.makedirs(salida, exist_ok=True)
    resumen, fallos = [], 0
    with tempfile.TemporaryDirectory(prefix="voltaro-estres-tmp.") as carpeta:
        for nombre in o.entornos:
            try:
                linea, mal = entorno(nombre, o, carpeta, salida)
            except (Fallo, ErrorJuego) as e:
                print(f"estres: {NOMBRES[nombre]}: {e}", file=sys.stderr)
                return 1
            resumen.append(linea)
            fallos += mal
    print()
    print("\n".join(resumen))
    if fallos == 0 and propia_salida:
        shutil.rmtree(salida)
    else:
        print(f"pictures in {salida}")
    return 0 if fallos == 0 else 1


if __name__ == "__main__":
    # SIGTERM ends the run as Ctrl-C does, through the clean-up of every block.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    try:
        sys.exit(principal(sys.argv[1:]))
    except KeyboardInterrupt:
        print("estres: interrupted", file=sys.stderr)
        sys.exit(130)
