#!/usr/bin/python3
"""bench/programa/conductor.py — measures the game from outside, as a person meets it, against
the bare freeglut program base_glut measured the same way in the same run:
  start-up      from just before the process is started to its first swapped frame, and to
                the last frame of start-up, the full-screen one (the game's first swap, when
                its window has grown before its first frame, is of a cleared buffer);
  key to frame  from an XTest key press to the next swap (Right moves the cursor, SPACE plays);
  idle          CPU time of all the process's threads over a span with no input;
  memory        peak resident set (VmHWM) just before ESC ends the program, and where the
                resident memory is mapped.
Both programs run with marca_fotogramas preloaded, which sends the time of every swap down a
pipe; the driver's own times come from the same CLOCK_MONOTONIC (time.monotonic_ns). Start-ups
alternate between the two programs so that a busy machine slows both alike; times are medians
over repetitions. The programs are started, their windows found and the keys typed by the test
harness (tests/arnes) on the display that DISPLAY names; the process readings come through
psutil.

Usage: conductor.py MARCAS JUEGO BASE [ARRANQUES [RONDAS [REPOSO_S]]], by default 11 start-ups
of each with Mesa's shader cache (and half as many without), 16 rounds of Right, Right, SPACE,
and 10 seconds idle. conductor.py --primeros FOTOGRAMA VECES: a process's first display against
its later ones (fotograma --primero), the medians of VECES processes, with the shader cache and
without.
"""

import math
import os
import select
import struct
import subprocess
import sys
import time
from dataclasses import dataclass, field
from statistics import median as mediana

import psutil

from arnes.juego import ErrorJuego, Juego
from arnes.proceso import cpu
from arnes.x import PLAZO, espera

# base_glut's window is found by its title: freeglut sets no _NET_WM_PID with no window manager.
TITULO_BASE = "base_glut"
CALMA = 0.2  # no swap for this long: the program has settled
# The same at start-up, which ends with the full-screen frame: that frame, when the first swap was
# of a cleared buffer, comes after every shader of the scene is compiled, a few tenths of a second
# with no shader cache, more on a busy machine.
CALMA_ARRANQUE = 1.5
TRAS_TECLA = 0.04  # after a key's frame, a wait for any frame that follows it

# Resident memory by where it is mapped: what the shader compiler, the GL driver, the other
# libraries and the anonymous memory (heap, JIT code, GL buffers) hold.
GRUPOS = ["  LLVM (libLLVM)", "  Mesa's driver (swrast_dri.so)", "  other shared libraries",
          "  anonymous: heap, JIT code, buffers", "  X shared-memory images",
          "  the rest (program, stack, files)"]


class Fallo(Exception):
    """A program did not do what the measurement needs."""


def grupo_de(ruta):
    """The index in GRUPOS of a mapping's path as psutil names it ("[anon]" when it has none)."""
    if "libLLVM" in ruta:
        return 0
    if "swrast_dri" in ruta:
        return 1
    if ".so" in ruta:
        return 2
    if ruta in ("", "[anon]", "[heap]"):
        return 3
    if ruta.startswith("/SYSV"):
        return 4
    return 5


def percentil_90(muestras):
    """The value that 90% of the samples do not exceed (nearest rank)."""
    return sorted(muestras)[math.ceil(0.9 * len(muestras)) - 1]


def mediana_de_razones(juego, base):
    """The median of the ratios of paired samples: start-ups launched one right after the other
    meet the same load on the machine."""
    return mediana([j / b for j, b in zip(juego, base)])


class Programa:
    """One started program (a harness Juego with the swap stamps' pipe handed to it): its
    process, its window (found by its title when one is given), the reading end of the pipe and
    the time it was started at."""

    def __init__(self, ruta, marcas, titulo=None, sin_cache=False):
        self.nombre = ruta
        self.marcas, escritura = os.pipe()
        entorno = dict(os.environ, LD_PRELOAD=marcas, MARCA_FOTOGRAMAS_FD=str(escritura))
        if sin_cache:
            # The first frame then compiles every shader, as on the first run ever.
            entorno["MESA_SHADER_CACHE_DISABLE"] = "true"
        self.juego = Juego([ruta], entorno=entorno, titulo=titulo, pasa_fds=(escritura,))
        try:
            self.juego.__enter__()
        finally:
            os.close(escritura)
        self.pid = self.juego.proceso.pid
        self.lanzado = self.juego.arrancado
        self.fotogramas, self.ultima = 0, None

    def siguiente(self, plazo):
        """The time of the program's next swap in ns, or None if none comes within `plazo`;
        `fotogramas` counts the swaps read, `ultima` is the last one's time."""
        if not select.select([self.marcas], [], [], plazo)[0]:
            return None
        datos = os.read(self.marcas, 8)
        if len(datos) != 8:
            return None
        self.fotogramas += 1
        self.ultima = struct.unpack("=q", datos)[0]
        return self.ultima

    def calma(self, plazo):
        """Reads swaps until none has come for `plazo` seconds; how many came."""
        antes = self.fotogramas
        while self.siguiente(plazo) is not None:
            pass
        return self.fotogramas - antes

    def cierra(self):
        self.juego.__exit__(None, None, None)
        os.close(self.marcas)


@dataclass
class Cifras:
    arranque_ms: list = field(default_factory=list)
    pantalla_completa_ms: list = field(default_factory=list)
    sin_cache_ms: list = field(default_factory=list)
    sin_cache_completa_ms: list = field(default_factory=list)
    fotogramas_arranque: int = 0
    derecha_ms: list = field(default_factory=list)
    espacio_ms: list = field(default_factory=list)
    de_mas: int = 0
    reposo_cpu_ms: float = 0.0
    reposo_fotogramas: int = 0
    pico_mib: float = 0.0
    residente_mib: float = 0.0
    por_grupo_mib: list = field(default_factory=lambda: [0.0] * len(GRUPOS))
    hilos: int = 0
    salida: int = 0


def arranca(p):
    """Waits for the first swap, the full-screen window and the end of start-up's frames, and
    gives the window the keyboard (there is no window manager to do it). Returns milliseconds
    from the start to the first swap and to the last swap of start-up (the full-screen frame),
    and how many frames start-up drew."""
    primera = p.siguiente(PLAZO)
    if primera is None:
        raise Fallo(f"{p.nombre} swapped no frame")
    x, ventana = p.juego.x, p.juego.ventana

    def llena():
        p.calma(0)
        return x.visible(ventana) and x.tamano(ventana) == (x.ancho, x.alto)
    p.juego.espera(llena, "its window to fill the screen", sondeo=0.01)
    p.calma(CALMA_ARRANQUE)
    p.juego.enfoca()
    return (primera - p.lanzado) / 1e6, (p.ultima - p.lanzado) / 1e6, p.fotogramas


def tecla_a_fotograma(p, tecla, cifras):
    """Presses and releases one key; the milliseconds from the press to the next swap."""
    cifras.de_mas += p.calma(0)
    antes = time.monotonic_ns()
    p.juego.x.pulsa(tecla)
    marca = p.siguiente(PLAZO)
    p.juego.x.suelta(tecla)
    if marca is None:
        raise Fallo(f"{p.nombre} drew no frame after a key")
    cifras.de_mas += p.calma(TRAS_TECLA)
    return (marca - antes) / 1e6


def termina(p):
    """ESC, then the exit status, once the X server has closed the window, so that the next start
    finds its own."""
    try:
        p.juego.enfoca()
        p.juego.teclas("Escape")
        estado = p.juego.espera_salida()
        x, ventana = p.juego.x, p.juego.ventana
        espera(lambda: not x.visible(ventana), "the window to close")
    finally:
        p.cierra()
    return estado if estado >= 0 else 128 - estado


def arranques(rutas, titulos, marcas, veces, sin_cache, cifras):
    """Starts, waits for and ends each program in turn, `veces` times, adding the start-up
    times to `cifras` (0 the game, 1 the baseline)."""
    for _ in range(veces):
        for i in (0, 1):
            p = Programa(rutas[i], marcas, titulos[i], sin_cache)
            primero, ultimo, fotogramas = arranca(p)
            if sin_cache:
                cifras[i].sin_cache_ms.append(primero)
                cifras[i].sin_cache_completa_ms.append(ultimo)
            else:
                cifras[i].arranque_ms.append(primero)
                cifras[i].pantalla_completa_ms.append(ultimo)
                cifras[i].fotogramas_arranque = fotogramas
            salida = termina(p)
            if salida != 0:
                raise Fallo(f"{rutas[i]} ended with status {salida} after ESC")


def teclas(p, rondas, cifras):
    """Two Rights and a SPACE, `rondas` times, each key timed to its frame."""
    for _ in range(rondas):
        cifras.derecha_ms.append(tecla_a_fotograma(p, "Right", cifras))
        cifras.derecha_ms.append(tecla_a_fotograma(p, "Right", cifras))
        cifras.espacio_ms.append(tecla_a_fotograma(p, "space", cifras))
    p.calma(CALMA)


def reposo(vivos, cifras, segundos):
    """The programs left without input for `segundos`: their CPU time and any frame they draw."""
    antes = [cpu(p.pid) for p in vivos]
    fin = time.monotonic() + segundos
    while (resta := fin - time.monotonic()) > 0:
        listos = select.select([p.marcas for p in vivos], [], [], resta)[0]
        for p, c in zip(vivos, cifras):
            if p.marcas in listos:
                c.reposo_fotogramas += p.calma(0)
    for p, c, segundos_antes in zip(vivos, cifras, antes):
        c.reposo_cpu_ms = (cpu(p.pid) - segundos_antes) * 1000


def pico_mib(pid):
    """The peak resident set, VmHWM, in MiB: the kernel keeps it in /proc/PID/status only."""
    with open(f"/proc/{pid}/status") as f:
        return next(int(l.split()[1]) for l in f if l.startswith("VmHWM:")) / 1024


def memoria(pid, c):
    proceso = psutil.Process(pid)
    c.pico_mib = pico_mib(pid)
    c.residente_mib = proceso.memory_info().rss / 2**20
    for mapa in proceso.memory_maps(grouped=True):
        c.por_grupo_mib[grupo_de(mapa.path)] += mapa.rss / 2**20
    c.hilos = proceso.num_threads()


def fila(que, juego, base, unidad):
    razon = juego / base if base > 0 else 0.0
    print(f"{que:<40} {juego:10.2f} {base:10.2f} {razon:8.2f}x  {unidad}")


def fila_diferencia(que, juego, base, unidad):
    print(f"{que:<40} {juego:10.2f} {base:10.2f} {juego - base:+9.2f}  {unidad}")


def fila_pares(que, juego, base):
    print(f"{que:<40} {'':>10} {'':>10} {mediana_de_razones(juego, base):8.2f}x")


def informe(j, b, reposo_s):
    print(f"{'':<40} {'voltaro':>10} {'base_glut':>10} {'ratio':>9}")
    fila("start-up to first swap, median", mediana(j.arranque_ms), mediana(b.arranque_ms), "ms")
    fila_pares("  median of paired ratios", j.arranque_ms, b.arranque_ms)
    fila("  fastest", min(j.arranque_ms), min(b.arranque_ms), "ms")
    fila("  to the full-screen frame, median", mediana(j.pantalla_completa_ms),
         mediana(b.pantalla_completa_ms), "ms")
    fila("  first swap, no shader cache, median", mediana(j.sin_cache_ms),
         mediana(b.sin_cache_ms), "ms")
    fila_pares("  median of paired ratios", j.sin_cache_ms, b.sin_cache_ms)
    fila("  to the full-screen frame, median", mediana(j.sin_cache_completa_ms),
         mediana(b.sin_cache_completa_ms), "ms")
    for nombre, cual in (("Right", "derecha_ms"), ("SPACE", "espacio_ms")):
        jm, bm = getattr(j, cual), getattr(b, cual)
        fila(f"key to frame, {nombre}, median", mediana(jm), mediana(bm), "ms")
        fila("  90th percentile", percentil_90(jm), percentil_90(bm), "ms")
    print(f"{f'idle CPU in {reposo_s} s':<40} {j.reposo_cpu_ms:10.2f} {b.reposo_cpu_ms:10.2f} "
          f"{'':>9}  ms of CPU, all threads, to the clock tick")
    fila("peak resident memory (VmHWM)", j.pico_mib, b.pico_mib, "MiB")
    print(f"{'resident now (VmRSS), by mapping':<40} {'':>10} {'':>10} {'difference':>9}")
    fila_diferencia("  all", j.residente_mib, b.residente_mib, "MiB")
    for nombre, jg, bg in zip(GRUPOS, j.por_grupo_mib, b.por_grupo_mib):
        fila_diferencia(nombre, jg, bg, "MiB")
    print(f"{len(j.arranque_ms)} start-ups each with Mesa's shader cache, {len(j.sin_cache_ms)} "
          f"without; {len(j.derecha_ms)} Right and {len(j.espacio_ms)} SPACE each")
    print(f"frames drawn at start-up {j.fotogramas_arranque} and {b.fotogramas_arranque}; while "
          f"idle {j.reposo_fotogramas} and {b.reposo_fotogramas}; unasked after keys {j.de_mas} "
          f"and {b.de_mas}; threads {j.hilos} and {b.hilos}; exit status after ESC {j.salida} "
          f"and {b.salida}")


def primeros(fotograma, veces):
    """A process's first display against its later ones, as `fotograma --primero` prints them (in
    ms): the medians of `veces` processes, with Mesa's shader cache and without."""
    print(f"{'':<40} {'first':>10} {'later ones':>10} {'ratio':>9}")
    for que, entorno in (("first display, shader cache full", os.environ),
                         ("first display, no shader cache",
                          dict(os.environ, MESA_SHADER_CACHE_DISABLE="true"))):
        tiempos = [subprocess.run([fotograma, "--primero"], env=entorno, stdout=subprocess.PIPE,
                                  text=True, check=True).stdout.split() for _ in range(veces)]
        fila(que, *(mediana(float(t) for t in columna) for columna in zip(*tiempos)), "ms")


def cuenta(texto):
    n = int(texto)
    if not 1 <= n <= 1000:
        raise ValueError(texto)
    return n


def mide(marcas, rutas, veces, rondas, reposo_s):
    titulos = (None, TITULO_BASE)
    cifras, descartadas = [Cifras(), Cifras()], [Cifras(), Cifras()]
    # The first round only warms the page cache and fills Mesa's shader cache.
    arranques(rutas, titulos, marcas, 1, False, descartadas)
    arranques(rutas, titulos, marcas, veces, False, cifras)
    arranques(rutas, titulos, marcas, max(veces // 2, 1), True, cifras)

    # Keys: the baseline first, then the game, whose window then covers the baseline's; both
    # stay up through the idle span, which they spend side by side.
    vivos = []
    try:
        for i in (1, 0):
            vivos.append(Programa(rutas[i], marcas, titulos[i]))
            arranca(vivos[-1])
            teclas(vivos[-1], rondas, cifras[i])
        por_vivo = [cifras[1], cifras[0]]
        reposo(vivos, por_vivo, reposo_s)
        for p, c in zip(vivos, por_vivo):
            memoria(p.pid, c)
        cifras[0].salida = termina(vivos.pop())
        cifras[1].salida = termina(vivos.pop())
    finally:
        for p in vivos:
            p.cierra()
    informe(cifras[0], cifras[1], reposo_s)
    return 0 if cifras[0].salida == 0 and cifras[1].salida == 0 else 1


def principal(argumentos):
    solo_primeros = argumentos[:1] == ["--primeros"]
    if not (len(argumentos) == 3 if solo_primeros else 3 <= len(argumentos) <= 6):
        sys.exit("usage: conductor.py MARCAS JUEGO BASE [ARRANQUES [RONDAS [REPOSO_S]]]\n"
                 "       conductor.py --primeros FOTOGRAMA VECES")
    try:
        numeros = [cuenta(a) for a in argumentos[2 if solo_primeros else 3:]]
    except ValueError as e:
        sys.exit(f"conductor: not a count: {e}")
    if solo_primeros:
        primeros(argumentos[1], numeros[0])
        return 0
    veces, rondas, reposo_s = numeros + [11, 16, 10][len(numeros):]
    try:
        return mide(argumentos[0], argumentos[1:3], veces, rondas, reposo_s)
    except (Fallo, ErrorJuego) as e:
        print(f"conductor: {e}", file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(principal(sys.argv[1:]))
