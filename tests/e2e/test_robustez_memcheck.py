"""The short scripted game under valgrind's memcheck, from start-up to the SPACE after the end:
no invalid read or write, no use of an uninitialised value and no definite or possible leak,
anywhere, except what tests/valgrind.supp holds of the libraries below the game (the leaks of
Mesa's driver and of its GLX set-up in glutInit, a word-wise strncmp of the dynamic loader), each
with its reason. Blocks still reachable at exit are fine: the game frees nothing on purpose when
it ends. The transcript must also be the one the same keys give without valgrind, and the exit
status the game's own, 1."""

import os
import shutil

from arnes.juego import Juego
from arnes.reglas import teclas_barrida

ESTADO_DE_ERROR = 86  # valgrind's exit status when it found an error; the game never uses it
SUPRESIONES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "valgrind.supp")


def juega(orden, teclas, salida):
    """Runs `orden` with the keys, its transcript into the file `salida`; returns its exit
    status and its transcript."""
    with open(salida, "wb") as out, Juego(orden, salida=out) as juego:
        juego.teclas(*teclas, retardo=0)
        estado = juego.espera_salida()
    with open(salida, "rb") as f:
        return estado, f.read()


def test_memcheck(binario, pantalla, tmp_path):
    assert shutil.which("valgrind"), "valgrind is not installed"
    teclas = teclas_barrida() + ["space"]
    informe = tmp_path / "memcheck.log"
    memcheck = ["valgrind", "--tool=memcheck", f"--error-exitcode={ESTADO_DE_ERROR}",
                "--leak-check=full", "--errors-for-leak-kinds=definite,possible",
                f"--suppressions={SUPRESIONES}", "--num-callers=40", "--keep-debuginfo=yes",
                f"--log-file={informe}"]
    estado, transcripcion = juega(memcheck + [binario], teclas, tmp_path / "memcheck")
    assert estado == 1, (f"exit status {estado} under memcheck (expected 1, {ESTADO_DE_ERROR} "
                         "when it found errors); its report:\n"
                         + informe.read_bytes().decode(errors="replace")[-6000:])
    _, esperada = juega([binario], teclas, tmp_path / "sin_memcheck")
    assert transcripcion == esperada, "transcript under memcheck"
