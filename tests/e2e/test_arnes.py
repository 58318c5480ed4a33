"""The harness's private X server for a command (python3 -m arnes.xvfb, which the test command
runs the suite under): one of the size asked, the command's exit status given back, so that a
failed suite is never reported as a pass, and no server left behind. And the harness's reading of
an X image as the server lays it out: the same picture from a little-endian server (amd64's,
arm64's Xvfb) and a big-endian one (s390x's), whatever the pixel's size and the visual's masks."""

import os
import sys

import pytest

from arnes.imagen import Foto, FormatoX
from arnes.x import Conexion, ErrorX


@pytest.mark.parametrize("guion, estado", [("sys.exit(3)", 3),
                                           ("os.kill(os.getpid(), signal.SIGTERM)", 143)],
                         ids=["exit status", "killed by a signal"])
def test_orden_en_xvfb_propio(herramienta, guion, estado):
    programa = ("import os, signal, sys\nfrom arnes.x import Conexion\nx = Conexion()\n"
                "print(os.environ['DISPLAY'], x.ancho, x.alto, flush=True)\n" + guion)
    r = herramienta("-m", "arnes.xvfb", "--tamano", "640x480", "--", sys.executable, "-c", programa)
    assert r.returncode == estado, f"exit status; stderr {r.stderr!r}"
    nombre, ancho, alto = r.stdout.split()
    assert (ancho, alto) == ("640", "480"), "the private server's screen"
    assert nombre != os.environ.get("DISPLAY"), "the command ran on the tests' own display"
    with pytest.raises(ErrorX):
        Conexion(nombre)


# A picture of 3x2 pixels, (R, G, B) each, and the X images of it that servers send: each
# pixel's value is R, G and B at the visual's masks, its bytes in the server's order, each row
# padded to 32 bits.
PIXELES = [(0x01, 0x02, 0x03), (0xFF, 0x80, 0x00), (0x10, 0x20, 0x30),
           (0x00, 0x00, 0xFF), (0xFE, 0xFD, 0xFC), (0x7F, 0x00, 0x40)]
RGB = (0xFF0000, 0xFF00, 0xFF)
BGR = (0xFF, 0xFF00, 0xFF0000)


def imagen_x(orden, bits, mascaras):
    octetos, filas = bits // 8, []
    for fila in (PIXELES[:3], PIXELES[3:]):
        datos = b"".join(sum(c << (m & -m).bit_length() - 1 for c, m in zip(p, mascaras))
                         .to_bytes(octetos, orden) for p in fila)
        filas.append(datos + bytes(-len(datos) % 4))
    return b"".join(filas)


@pytest.mark.parametrize("orden, bits, mascaras", [
    ("little", 32, RGB), ("big", 32, RGB), ("little", 24, RGB), ("big", 24, RGB),
    ("little", 32, BGR), ("big", 32, BGR)])
def test_imagen_x_como_la_da_el_servidor(orden, bits, mascaras):
    foto = Foto.de_x(3, 2, imagen_x(orden, bits, mascaras), FormatoX(orden, bits, 32, mascaras))
    assert foto.datos == bytes(c for p in PIXELES for c in p)

