"""The short scripted game under valgrind's memcheck, from start-up to the SPACE after the end:
no invalid read or write, no use of an uninitialised value and no definite or possible leak,
anywhere, except what tests/valgrind.supp holds of the libraries below the game (the leaks of
Mesa's driver and of its GLX set-up in glutInit, a word-wise strncmp of the dynamic loader), each
with its reason. Blocks still
reachable at exit are fine: the game frees nothing on purpose when it ends. The transcript must
also be the one the same keys give without valgrind, and the exit status the game's own, 1."""

import os
import shutil
import subprocess
import tempfile

from partida import Fallo, Juego, comprueba, igual, principal
from robustez import teclas_barrida

ESTADO_DE_ERROR = 86  # valgrind's exit status when it found an error; the game never uses it
PLAZO_VALGRIND = 120  # seconds for start-up and for the whole game under valgrind; about 5 do
SUPRESIONES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "valgrind.supp")


def juega(orden, teclas, dir, nombre, plazo):
    """Runs `orden` with the keys; returns its exit status and its transcript."""
    salida = os.path.join(dir, nombre)
    with open(salida, "wb") as out, Juego(orden, salida=out, plazo_ventana=plazo) as juego:
        juego.teclas(*teclas, retardo=0)
        estado = juego.espera_salida(plazo)
    with open(salida, "rb") as f:
        return estado, f.read()


def prueba(binario):
    comprueba(shutil.which("valgrind"), "valgrind is not installed")
    teclas = teclas_barrida() + ["space"]
    dir = tempfile.mkdtemp(prefix="voltaro-memcheck-")
    try:
        informe = os.path.join(dir, "memcheck.log")
        memcheck = ["valgrind", "--tool=memcheck", f"--error-exitcode={ESTADO_DE_ERROR}",
                    "--leak-check=full", "--errors-for-leak-kinds=definite,possible",
                    f"--suppressions={SUPRESIONES}", "--num-callers=40", "--keep-debuginfo=yes",
                    f"--log-file={informe}"]
        estado, transcripcion = juega(memcheck + [binario], teclas, dir, "memcheck",
                                      PLAZO_VALGRIND)
        if estado != 1:
            with open(informe, "rb") as f:
                texto = f.read().decode(errors="replace")
            raise Fallo(f"exit status {estado} under memcheck (expected 1, {ESTADO_DE_ERROR} "
                        f"when it found errors); its report:\n{texto[-6000:]}")
        _, esperada = juega([binario], teclas, dir, "sin_memcheck", 10)
        igual(transcripcion, esperada, "transcript under memcheck")
    finally:
        shutil.rmtree(dir, ignore_errors=True)


principal(prueba)
