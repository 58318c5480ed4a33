#!/usr/bin/python3
"""The first-picture stress run: starts the game over and over on a busy machine, on bare X and
under mutter, and counts the first settled pictures that are not the frame for the window's size.
bench/README.md explains it; scripts/estres_primer_fotograma.sh runs it.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from arnes import juego as arnes_juego
from arnes.juego import ErrorJuego, Juego
from arnes.proceso import huerfano_muere, para
from arnes.x import Conexion, ErrorX, espera
from arnes.xvfb import Xvfb

RAIZ = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PANTALLA = (1280, 960)  # the screen's size
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


def grupo(orden, **opciones):
    """A helper started in a session of its own, so that para(..., grupo=True) stops whatever it
    starts too (dd, dbus-daemon)."""
    return subprocess.Popen(huerfano_muere(orden), start_new_session=True,
                            stdin=subprocess.DEVNULL, **opciones)


def carga(bucles, carpeta):
    """The load: `bucles` busy loops and a disk writer that writes 256 MiB over and over."""
    grupos = [grupo(["bash", "-c", "while :; do :; done"]) for _ in range(bucles)]
    grupos.append(grupo(["bash", "-c", 'while :; do dd if=/dev/zero of="$1" bs=1M count=256 '
                         'conv=fsync status=none; done', "_", os.path.join(carpeta, "carga")]))
    return grupos


def arranca_mutter(servidor, carpeta):
    """mutter as the display's window manager and compositor, in a D-Bus session of its own;
    waits until it runs (EWMH's _NET_SUPPORTING_WM_CHECK names a window on the root)."""
    registro = os.path.join(carpeta, "mutter.log")
    with open(registro, "wb") as salida:
        mutter = grupo(["dbus-run-session", "--", "mutter", "--x11", "--replace"],
                       env=servidor.entorno(), stdout=salida, stderr=subprocess.STDOUT)
    with Conexion(servidor.nombre) as x:
        try:
            espera(lambda: mutter.poll() is not None
                   or x.propiedad(x.raiz, "_NET_SUPPORTING_WM_CHECK") is not None,
                   "mutter to start", sondeo=0.1)
            arrancado = mutter.poll() is None
        except ErrorX:
            arrancado = False
    if not arrancado:
        para(mutter, grupo=True)
        with open(registro, errors="replace") as f:
            raise Fallo("mutter did not start:\n" + f.read())
    time.sleep(1)
    return mutter


def termina(juego):
    """Ends the game with ESC; fails unless it exits with status 0."""
    juego.enfoca()
    juego.teclas("Escape")
    estado = juego.espera_salida()
    if estado != 0:
        raise ErrorJuego(f"the game ended with status {estado} on ESC")


def referencia(binario, servidor):
    """The right frame for the size: the game's picture after a key that only redraws, on the
    idle machine."""
    with Juego([binario], entorno=servidor.entorno()) as juego:
        juego.asentada(tamano=PANTALLA)
        foto = juego.redibujada()
        termina(juego)
    return foto


def entorno(nombre, o, carpeta, salida):
    """Runs the starts in one environment; returns its summary line and how many went wrong."""
    rechazados_antes = arnes_juego.arranques_rechazados
    mal = sin_asentar = errores = 0
    with Xvfb("%dx%d" % PANTALLA) as servidor:
        mutter = arranca_mutter(servidor, carpeta) if nombre == "mutter" else None
        grupos = []
        try:
            correcta = referencia(o.binario, servidor)
            correcta.guarda(os.path.join(salida, f"{nombre}-referencia.png"))
            grupos = carga(o.bucles, carpeta)
            print(f"{NOMBRES[nombre]}: {o.veces} starts of {o.binario}, {o.bucles} busy loops and "
                  "a disk writer", flush=True)
            for vez in range(1, o.veces + 1):
                try:
                    with Juego([o.binario], entorno=servidor.entorno()) as juego:
                        try:
                            foto = juego.asentada(tamano=PANTALLA)
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
            for ayudante in grupos + ([mutter] if mutter else []):
                para(ayudante, grupo=True)
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
