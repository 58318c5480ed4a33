"""The end-to-end tests' fixtures: the game binary (--voltaro PATH), the X display the tests run
on (DISPLAY, a private Xvfb of the test command's or of xvfb-run's), the running game, and the
project's tools run on the harness. pytest.ini puts the harness (tests/arnes) on the import path."""

import os
import re
import subprocess
import sys

import pytest

from arnes import juego as arnes_juego
from arnes.juego import Partida
from arnes.proceso import huerfano_muere
from arnes.x import PLAZO, Conexion


def pytest_addoption(parser):
    parser.addoption("--voltaro", metavar="PATH", help="the game binary under test")
    parser.addoption("--paquete", metavar="FOLDER",
                     help="a build of the Debian package, for test_paquete.py")


@pytest.fixture(scope="session")
def binario(request):
    assert request.config.getoption("--voltaro"), "--voltaro PATH names the game under test"
    ruta = os.path.abspath(request.config.getoption("--voltaro"))
    assert os.access(ruta, os.X_OK), f"{ruta} is not an executable"
    return ruta


@pytest.fixture(scope="session")
def version(binario):
    """The version of CMake's project(), as the cache of the binary's build tree holds it."""
    with open(os.path.join(os.path.dirname(binario), "CMakeCache.txt"), encoding="utf-8") as f:
        return re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.+)$", f.read(), re.MULTILINE).group(1)


@pytest.fixture(scope="session")
def pantalla():
    """The harness's connection (arnes.x.Conexion) to the display the tests run on."""
    assert os.environ.get("DISPLAY"), "DISPLAY is not set: these tests need an X server"
    with Conexion() as conexion:
        yield conexion


@pytest.fixture
def partida(binario, pantalla):
    """The game running, its window focused, its banner printed (arnes.juego.Partida)."""
    with Partida(binario) as p:
        yield p


@pytest.fixture(scope="session")
def herramienta():
    """Runs Python with the arguments given in the source tree, on the harness as the project's
    tools run (tests/ on PYTHONPATH), and returns the finished run, its output as text."""
    pruebas = os.path.dirname(os.path.dirname(arnes_juego.__file__))
    entorno = dict(os.environ, PYTHONPATH=pruebas)

    def corre(*argumentos):
        return subprocess.run(huerfano_muere([sys.executable, *argumentos]), env=entorno,
                              cwd=os.path.dirname(pruebas), capture_output=True, text=True,
                              timeout=PLAZO, check=False)
    return corre


def pytest_terminal_summary(terminalreporter):
    """Starts that the X server refused, and that were started again, are said at the end."""
    if arnes_juego.arranques_rechazados:
        terminalreporter.write_line(
            f"{arnes_juego.arranques_rechazados} start(s) refused by the X server and started "
            "again")
