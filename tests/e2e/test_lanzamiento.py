"""The release: one version everywhere, CMake's; the tarball of scripts/lanzamiento.sh the same
bytes from any clone of the commit, whatever its folder, untracked files, umask, time zone or
locale; that tarball, with no git and no debian/, built as a distribution builds it, by a compiler
that has no sanitizers, passing its display-free tests and installed where the distribution
expects; and uscan finding it where debian/watch says releases are
published (here a web server of the test's own on the loopback address)."""

import functools
import http.server
import os
import re
import subprocess
import tarfile
import threading
import xml.etree.ElementTree as ET

import pytest

FUENTES = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
EN_GIT = os.path.exists(os.path.join(FUENTES, ".git"))
SIN_SANEADORES = os.path.join(FUENTES, "tests", "apoyo", "sin_saneadores.sh")
PUBLICADO = "https://voltaro.example.org/releases/"  # debian/watch's folder of the releases


def ejecuta(*orden, **opciones):
    """Runs the command, which must succeed, and returns its standard output."""
    r = subprocess.run(orden, capture_output=True, text=True, check=False, **opciones)
    assert r.returncode == 0, f"{' '.join(orden)} ended with {r.returncode}:\n{r.stdout}{r.stderr}"
    return r.stdout


def lee(*ruta):
    with open(os.path.join(*ruta), encoding="utf-8") as f:
        return f.read()


@pytest.fixture(scope="module")
def construccion(binario):
    """The build tree of the game under test (the folder of --voltaro's binary)."""
    return os.path.dirname(binario)


def version_th(pagina):
    """The version in a manual page's .TH line: its fourth argument, "voltaro VERSION"."""
    linea = re.search(r'^\.TH .*?"voltaro ([^"]+)"', pagina, re.MULTILINE)
    return linea and linea.group(1)


def version_catalogo(catalogo):
    return re.search(r'^"Project-Id-Version: voltaro (\S+)\\n"$', catalogo, re.MULTILINE).group(1)


def ultima_de_news():
    """NEWS's newest entry: its heading's version and date, and its notes as one line."""
    cabecera, notas = lee(FUENTES, "NEWS").split("\n\n")[:2]
    version, fecha = re.fullmatch(r"VOLTARO (\S+) \((\S+)\)", cabecera).groups()
    return version, fecha, " ".join(notas.split())


def ultima_de_appstream():
    """The AppStream metadata's newest release: its version, its date and its notes as one line."""
    publicacion = ET.parse(os.path.join(FUENTES, "datos/org.example.voltaro.metainfo.xml")).find(
        "releases/release")
    notas = " ".join(" ".join(p.text.split()) for p in publicacion.findall("description/p"))
    return publicacion.get("version"), publicacion.get("date"), notas


# Where else the version is written, and how it is read there.
VERSIONES = {
    "scripts/version.sh": lambda c: ejecuta("bash", os.path.join(FUENTES, "scripts/version.sh"))
    .strip(),
    "English manual page": lambda c: version_th(lee(FUENTES, "datos/voltaro.6")),
    "Spanish manual page, built": lambda c: version_th(lee(c, "po/man/es/voltaro.6")),
    "AppStream release": lambda c: ultima_de_appstream()[0],
    "debian/changelog, upstream part": lambda c: ejecuta(
        "dpkg-parsechangelog", "-l", os.path.join(FUENTES, "debian/changelog"), "-S",
        "Version").strip().rsplit("-", 1)[0],
} | {
    catalogo: functools.partial(lambda ruta, c: version_catalogo(lee(FUENTES, ruta)), catalogo)
    for catalogo in ("po/voltaro.pot", "po/es.po", "po/manual/voltaro.6.pot", "po/manual/es.po")
}


@pytest.mark.parametrize("donde", VERSIONES)
def test_version_de_cmake(donde, construccion, version):
    if donde.startswith("debian/") and not os.path.isdir(os.path.join(FUENTES, "debian")):
        pytest.skip("a release tarball has no debian/")
    assert VERSIONES[donde](construccion) == version


def test_news_dice_lo_que_appstream():
    """The release's notes for packagers (NEWS) and for software centres (the AppStream release)
    are the same: version, date and text."""
    assert ultima_de_news() == ultima_de_appstream()


@pytest.fixture(scope="module")
def tarballs(tmp_path_factory, version):
    """The release tarball made twice: in this tree as it is (its build trees, any untracked file
    in it) and in a fresh clone of its commit in a folder of another name, with an untracked file
    of its own, under another umask, time zone and locale."""
    if not EN_GIT:
        pytest.skip("not a git clone: a release is made from one")
    tmp = tmp_path_factory.mktemp("lanzamiento")
    commit = ejecuta("git", "-C", FUENTES, "rev-parse", "HEAD").strip()
    clon = tmp / "otra-carpeta con espacios"
    ejecuta("git", "clone", "--quiet", "--no-checkout", FUENTES, str(clon))
    ejecuta("git", "-C", str(clon), "checkout", "--quiet", "--detach", commit)
    (clon / "sin-seguimiento.txt").write_text("not committed\n")
    variantes = [(FUENTES, "022", "UTC", "C.UTF-8"),
                 (str(clon), "077", "America/Lima", "es_ES.UTF-8")]
    hechos = []
    for i, (raiz, mascara, zona, idioma) in enumerate(variantes):
        entorno = dict(os.environ, TZ=zona, LC_ALL=idioma, LANG=idioma)
        salida = ejecuta("bash", "-c", f'umask {mascara} && exec bash scripts/lanzamiento.sh "$1"',
                         "-", str(tmp / f"salida{i}"), cwd=raiz, env=entorno)
        hechos.append(salida.splitlines()[-1])
    return hechos


def test_tarball_reproducible(tarballs, version):
    uno, otro = tarballs
    assert os.path.basename(uno) == f"voltaro-{version}.tar.xz"
    with open(uno, "rb") as a, open(otro, "rb") as b:
        assert a.read() == b.read(), f"{uno} and {otro} differ"
    ejecuta("sha256sum", "--check", "--quiet", os.path.basename(uno) + ".sha256",
            cwd=os.path.dirname(uno))
    with tarfile.open(uno) as tar:
        nombres = tar.getnames()
    carpeta = f"voltaro-{version}"
    assert [n for n in nombres if n.split("/")[0] != carpeta] == []
    fuera = [n for n in nombres if n.split("/")[1:2] in (["debian"], [".git"], [".ci"])]
    assert fuera == [], "what a release leaves out"
    assert f"{carpeta}/sin-seguimiento.txt" not in nombres


# A distribution's build of the tarball, as Arch's makepkg makes it (its flags, less the x86-only
# ones): its own hardening, and its own map of the build folder to where its debug source package
# puts the sources, which must be what the debugging information names.
FUENTES_DE_DEPURACION = "/usr/src/debug/voltaro"
FLAGS_DE_DISTRIBUCION = ("-O2 -pipe -fno-plt -fexceptions -Wp,-D_FORTIFY_SOURCE=3 -Wformat "
                         "-Werror=format-security -fstack-clash-protection "
                         "-Wp,-D_GLIBCXX_ASSERTIONS -g")


def test_tarball_como_lo_construye_una_distribucion(tarballs, tmp_path):
    """Unpacked with no git within reach and no debian/, the tarball configures for /usr with a
    distribution's flags and a compiler that refuses the sanitizers (the sanitizer tests left out,
    as configure says), builds, passes the display-free tests (unit and fuzz) and installs the game
    in /usr/bin; the debugging information names the sources where the distribution's map puts
    them, and nothing of the folder it was built in."""
    ejecuta("tar", "-xJf", tarballs[0], "-C", str(tmp_path))
    (fuentes,) = tmp_path.iterdir()
    construccion, raiz, sin_git = tmp_path / "construccion", tmp_path / "raiz", tmp_path / "sin-git"
    sin_git.mkdir()
    llamadas = tmp_path / "llamadas-a-git"
    (sin_git / "git").write_text(f'#!/bin/sh\necho "git $*" >> "{llamadas}"\nexit 1\n')
    (sin_git / "git").chmod(0o755)
    entorno = dict(os.environ, CXX=SIN_SANEADORES, PATH=f"{sin_git}:{os.environ['PATH']}",
                   CXXFLAGS=f"{FLAGS_DE_DISTRIBUCION} -ffile-prefix-map={tmp_path}="
                            f"{FUENTES_DE_DEPURACION}",
                   LDFLAGS="-Wl,-O1 -Wl,--as-needed -Wl,-z,relro -Wl,-z,now")
    configurado = ejecuta("cmake", "-S", str(fuentes), "-B", str(construccion),
                          "-DCMAKE_INSTALL_PREFIX=/usr", "-DCMAKE_BUILD_TYPE=None",
                          "-DVOLTARO_TESTS_SIN_PANTALLA=ON", "-DVOLTARO_WERROR=ON", env=entorno)
    assert "sanitizer tests left out" in configurado
    ejecuta("cmake", "--build", str(construccion), "--parallel", str(os.cpu_count()), env=entorno)
    listadas = ejecuta("ctest", "--test-dir", str(construccion), "--show-only=json-v1")
    assert "sanitizers" not in listadas and '"fuzz"' in listadas
    ejecuta("ctest", "--test-dir", str(construccion), "--output-on-failure", "--parallel",
            str(os.cpu_count()), env=entorno)
    ejecuta("cmake", "--install", str(construccion), env=dict(entorno, DESTDIR=str(raiz)))
    assert sorted(os.listdir(raiz / "usr")) == ["bin", "share"]
    assert os.listdir(raiz / "usr" / "bin") == ["voltaro"]
    assert not llamadas.exists(), f"git was called: {llamadas.read_text()}"

    depuracion = ejecuta("readelf", "--debug-dump=info", "--wide", str(construccion / "voltaro"))
    principal = f"{FUENTES_DE_DEPURACION}/{fuentes.name}/shell/main.cpp"
    assert principal in depuracion, "the debugging information names main.cpp elsewhere"
    assert str(tmp_path) not in depuracion, "the build's own folder in the debugging information"


@pytest.fixture
def servidor(tarballs):
    """A web server on the loopback address serving the folder of the release tarball."""
    servir = functools.partial(http.server.SimpleHTTPRequestHandler,
                               directory=os.path.dirname(tarballs[0]))
    servir.log_message = lambda *_: None
    with http.server.ThreadingHTTPServer(("127.0.0.1", 0), servir) as web:
        hilo = threading.Thread(target=web.serve_forever, daemon=True)
        hilo.start()
        yield f"http://127.0.0.1:{web.server_address[1]}/"
        web.shutdown()


def test_uscan_encuentra_el_lanzamiento(servidor, tarballs, version, tmp_path):
    """debian/watch, with its releases' folder moved to the test's server, leads uscan from an
    older version to this one's tarball."""
    vigilancia = lee(FUENTES, "debian", "watch")
    assert PUBLICADO in vigilancia
    copia = tmp_path / "watch"
    copia.write_text(vigilancia.replace(PUBLICADO, servidor))
    informe = ET.fromstring(ejecuta("uscan", "--watchfile", str(copia), "--package", "voltaro",
                                    "--upstream-version", "0.9", "--dehs"))
    assert [informe.findtext("upstream-version"), informe.findtext("upstream-url")] == \
        [version, servidor + os.path.basename(tarballs[0])]

