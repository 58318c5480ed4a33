"""What the other tests lean on in their harness, checked on the real game: a picture compared
with another reports exactly the pixels that differ and the box around them, nothing when it is
compared with itself, and reads back the same once kept as PNG; a command run on a private X
server (python3 -m arnes.xvfb) finds one of the size asked, gives back the command's exit status,
and leaves no server behind."""

import os
import subprocess
import sys

import pytest

from arnes.imagen import Foto, diferencia
from arnes.x import Conexion, ErrorX

ARNES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")


def cuenta_a_mano(una, otra):
    """The pixels that differ and their box, pixel by pixel over the rows that differ."""
    fila = una.ancho * 3
    puntos = [(x, y) for y in range(una.alto)
              if una.datos[y * fila:(y + 1) * fila] != otra.datos[y * fila:(y + 1) * fila]
              for x in range(una.ancho)
              if una.datos[y * fila + 3 * x:y * fila + 3 * x + 3]
              != otra.datos[y * fila + 3 * x:y * fila + 3 * x + 3]]
    xs, ys = [p[0] for p in puntos], [p[1] for p in puntos]
    return len(puntos), (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if puntos else None


def test_diferencia_y_png(partida, tmp_path):
    antes = partida.redibujada()
    desde = partida.reposo()[1]
    partida.teclas("Right")  # the cursor moves one square: a small part of the picture changes
    despues = partida.asentada(desde)
    cambio = diferencia(antes, despues)
    pixeles, caja = cuenta_a_mano(antes, despues)
    assert pixeles > 0, "moving the cursor changed nothing on the screen"
    assert (cambio.pixeles, cambio.caja) == (pixeles, caja), f"diferencia says {cambio}"
    assert not diferencia(despues, despues), "a picture differs from itself"
    assert diferencia(despues, despues.recorte(0, 0, 10, 10)), "pictures of two sizes are alike"
    ruta = tmp_path / "despues.png"
    despues.guarda(ruta)
    assert Foto.lee(ruta) == despues, "the picture read back from its PNG file"


@pytest.mark.parametrize("guion, estado", [("sys.exit(3)", 3),
                                           ("os.kill(os.getpid(), signal.SIGTERM)", 143)],
                         ids=["exit status", "killed by a signal"])
def test_orden_en_xvfb_propio(guion, estado):
    programa = ("import os, signal, sys\nfrom arnes.x import Conexion\nx = Conexion()\n"
                "print(os.environ['DISPLAY'], x.ancho, x.alto, flush=True)\n" + guion)
    r = subprocess.run([sys.executable, "-m", "arnes.xvfb", "--tamano", "640x480", "--",
                        sys.executable, "-c", programa], env=dict(os.environ, PYTHONPATH=ARNES),
                       capture_output=True, text=True, timeout=30, check=False)
    assert r.returncode == estado, f"exit status; stderr {r.stderr!r}"
    nombre, ancho, alto = r.stdout.split()
    assert (ancho, alto) == ("640", "480"), "the private server's screen"
    assert nombre != os.environ.get("DISPLAY"), "the command ran on the tests' own display"
    with pytest.raises(ErrorX):
        Conexion(nombre)
