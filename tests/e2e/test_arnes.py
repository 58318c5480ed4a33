"""The harness's private X server for a command (python3 -m arnes.xvfb, which the test command
runs the suite under): one of the size asked, the command's exit status given back, so that a
failed suite is never reported as a pass, and no server left behind."""

import os
import subprocess
import sys

import pytest

from arnes.x import Conexion, ErrorX

ARNES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")


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
