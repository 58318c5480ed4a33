"""The commands that drive the real game outside the suite, run as a developer runs them: the
README's screenshot and the first-picture stress run, each on a private Xvfb of its own; and
what the whole-program benchmark leans on: a window found by its title, a descriptor handed to the
program, a key timed from its press."""

import os

from arnes.imagen import Foto
from arnes.juego import Juego
from arnes.transcripcion import TITULO

ESTRES = "bench/programa/estres_primer_fotograma.py"


def test_captura(herramienta, binario, tmp_path):
    destino = tmp_path / "captura.png"
    r = herramienta("scripts/captura.py", binario, str(destino))
    assert (r.returncode, r.stdout) == (0, f"{destino}\n"), r.stderr
    foto = Foto.lee(destino)
    assert foto.tamano == (1024, 768) and not foto.negra(), "the picture of the whole screen"


def test_captura_fallida_deja_la_anterior(herramienta, tmp_path):
    """A game that does not start fails the command and leaves the picture that was there."""
    destino = tmp_path / "captura.png"
    destino.write_bytes(b"anterior")
    r = herramienta("scripts/captura.py", "/bin/false", str(destino))
    assert r.returncode == 1 and "captura:" in r.stderr
    assert destino.read_bytes() == b"anterior" and os.listdir(tmp_path) == ["captura.png"]


def test_estres(herramienta, binario, tmp_path):
    r = herramienta(ESTRES, "-n", "2", "-e", "desnudo", "-c", "0", "-b", binario, "-o",
                    str(tmp_path))
    assert r.returncode == 0, r.stdout + r.stderr
    assert r.stdout.splitlines()[-2:] == ["on bare X: 0 wrong first pictures in 2 starts",
                                          f"pictures in {tmp_path}"]
    # The right frame, kept in the folder asked for: the screen's size, something drawn.
    assert os.listdir(tmp_path) == ["desnudo-referencia.png"]
    referencia = Foto.lee(tmp_path / "desnudo-referencia.png")
    assert referencia.tamano == (1280, 960) and not referencia.negra()


def test_estres_cuenta_las_fotos_distintas(herramienta, binario, tmp_path):
    """Starts whose picture is not the reference's are counted, kept and fail the run: from the
    second start on, the game draws through Mesa's other software renderer, softpipe, whose
    pixels are not llvmpipe's."""
    juego = tmp_path / "juego"
    juego.write_text(f"""#!/bin/sh
[ -e "{tmp_path}/ya" ] && export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=softpipe
touch "{tmp_path}/ya"
exec "{binario}"
""")
    juego.chmod(0o755)
    fotos = tmp_path / "fotos"
    r = herramienta(ESTRES, "-n", "2", "-e", "desnudo", "-c", "0", "-b", str(juego), "-o",
                    str(fotos))
    assert r.returncode == 1, r.stdout + r.stderr
    assert r.stdout.splitlines()[-2] == "on bare X: 2 wrong first pictures in 2 starts"
    assert sorted(os.listdir(fotos)) == ["desnudo-1.png", "desnudo-2.png",
                                         "desnudo-referencia.png"]
    assert Foto.lee(fotos / "desnudo-1.png") != Foto.lee(fotos / "desnudo-referencia.png")


def test_ventana_por_titulo_y_descriptor_heredado(binario, pantalla):
    """The benchmark finds base_glut's window by its title, the game's the same way, and hands
    each program the writing end of its swap stamps' pipe, which the program keeps open."""
    lectura, escritura = os.pipe()
    try:
        with Juego([binario], titulo=TITULO, pasa_fds=(escritura,)) as juego:
            assert juego.ventana == pantalla.ventana_de(juego.proceso.pid)
            assert (os.readlink(f"/proc/{juego.proceso.pid}/fd/{escritura}")
                    == os.readlink(f"/proc/self/fd/{escritura}"))
    finally:
        os.close(lectura)
        os.close(escritura)


def test_la_pulsacion_juega(partida):
    """The benchmark times a key from its press: the game plays on the press, before the key is
    released."""
    partida.x.pulsa("space")
    try:
        assert partida.espera_turno().tipo == "ilegal"  # A1 at the opening
    finally:
        partida.x.suelta("space")
