"""The release: one version everywhere, CMake's; the tarball of scripts/lanzamiento.sh the same
bytes from any clone of the commit, whatever its folder, untracked files, umask, time zone or
locale; uscan finding it where debian/watch says releases are published (here a web server of the
test's own on the loopback address); and debian/tests asking for no test package that
tests/paquetes does not list. (The tarball built as a distribution builds it is
`scripts/debian.sh probar`'s.)"""

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
    "README's build recipe": lambda c: re.search(r"^tar -xf voltaro-(\S+)\.tar\.xz",
                                                 lee(FUENTES, "README.md"), re.MULTILINE).group(1),
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



def test_autopkgtest_pide_los_paquetes_de_las_pruebas():
    """The harness's packages that debian/tests/control asks for are among those tests/paquetes
    lists, which the README and scripts/dependencias.sh take."""
    listados = set(re.sub(r"#.*", "", lee(FUENTES, "tests", "paquetes")).split())
    control = lee(FUENTES, "debian", "tests", "control")
    for depends in re.findall(r"^Test-Command: .*pytest.*\nDepends: (.*)$", control, re.MULTILINE):
        pedidos = {p.strip() for p in depends.split(",")} - {"voltaro", "python3"}
        assert pedidos <= listados, f"not in tests/paquetes: {sorted(pedidos - listados)}"
