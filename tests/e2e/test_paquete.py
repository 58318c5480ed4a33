"""The Debian package, as a build of it lies in the folder --paquete names (sbuild's, through
`scripts/debian.sh comprueba RELEASE`, which runs this file on a fresh system of that release;
or scripts/paquete.sh's). Its source package is the release tarball of this commit and the
repository's debian/; every line of its build carries the release's hardening flags. Unpacked
into a scratch root it holds the game in /usr/games, its menu entry, its icons, its AppStream
metadata, its manual page in English and in Spanish, its copyright and its changelog, owned by
root with the usual modes; its dependencies name the package of every library the binary links;
the menu entry, the metadata and the manual pages pass their checkers and agree with each other
and with the package, and read in English; GTK takes both icons for SVG from their bytes alone and
draws them at 48 px. (The installed game's start and ESC, and its Spanish texts, are
debian/tests'.)"""

import configparser
import glob
import gzip
import hashlib
import os
import re
import subprocess
import xml.etree.ElementTree as ET
from dataclasses import dataclass

import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, Gio, GLib  # noqa: E402  (after the version it needs)

import pytest

from arnes.x import PLAZO

FUENTES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
BINARIO = "usr/games/voltaro"
ENTRADA = "usr/share/applications/voltaro.desktop"
ICONO = "usr/share/icons/hicolor/scalable/apps/voltaro.svg"
ICONO_SIMBOLICO = "usr/share/icons/hicolor/symbolic/apps/voltaro-symbolic.svg"
METAINFO = "usr/share/metainfo/org.example.voltaro.metainfo.xml"
MANUAL = "usr/share/man/man6/voltaro.6.gz"
MANUAL_ES = "usr/share/man/es/man6/voltaro.6.gz"
DOC = "usr/share/doc/voltaro/"
ANULACIONES = "usr/share/lintian/overrides/voltaro"
MODOS = {BINARIO: "-rwxr-xr-x"} | {
    f: "-rw-r--r--"
    for f in (ENTRADA, ICONO, ICONO_SIMBOLICO, METAINFO, MANUAL, MANUAL_ES, DOC + "copyright",
              DOC + "changelog.Debian.gz", ANULACIONES)}
MANTENEDOR = "VOLTARO developers <voltaro@example.org>"
CLASE_VENTANA = "Voltaro"  # the class of the game's window's WM_CLASS
XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"
# What an English desktop shows of the menu entry: name, comment and some of the keywords its menu
# search matches.
ESCRITORIO = ("VOLTARO", "Play Reversi against the computer on a 3D board", {"reversi", "board"})
# The translatable texts of the metadata: each English one has its Spanish one beside it.
TEXTOS_METAINFO = ["name", "summary", "description/p", "releases/release/description/p"]
# What `man` shows first of the English page: header, NAME section and its line.
COMIENZO_DEL_MANUAL = ["Games Manual", "NAME", "voltaro - Reversi against the computer"]


def corre(orden, cwd=None, entorno=None):
    return subprocess.run(orden, cwd=cwd, capture_output=True, text=True, timeout=PLAZO,
                          check=False, env=entorno)


def ejecuta(*orden, **opciones):
    """Runs the command and returns its exit status and its output, stderr after stdout."""
    r = corre(orden, **opciones)
    return r.returncode, r.stdout + r.stderr


def salida_de(*orden, **opciones):
    """Runs the command, which must succeed, and returns its standard output: what it says on
    stderr (a warning) is not part of it."""
    r = corre(orden, **opciones)
    assert r.returncode == 0, f"exit status of {' '.join(orden)}; it said {r.stdout + r.stderr!r}"
    return r.stdout


def sin_mensajes(*orden):
    """The checker must pass the file and say nothing: a warning is a failure too."""
    assert ejecuta(*orden) == (0, ""), " ".join(orden)


def suma(fichero):
    with open(fichero, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def comprueba_fuente(deb, version, tmp):
    """The source package beside it is the release tarball, byte for byte the one
    scripts/lanzamiento.sh makes of this commit, as its .orig.tar.xz, and debian/ as the
    .debian.tar.xz: exactly the packaging's files in the repository, none of what builds leave in
    the tree. Outside a git work tree there is nothing to compare them with."""
    if not os.path.exists(os.path.join(FUENTES, ".git")):
        return
    carpeta = os.path.dirname(deb)
    lanzamiento = salida_de("bash", os.path.join(FUENTES, "scripts", "lanzamiento.sh"),
                            os.path.join(tmp, "lanzamiento")).splitlines()[-1]
    origen = os.path.join(carpeta, f"voltaro_{version}.orig.tar.xz")
    assert suma(origen) == suma(lanzamiento), "the .orig.tar.xz against the release tarball"
    debian = glob.glob(os.path.join(carpeta, f"voltaro_{version}-*.debian.tar.xz"))
    assert len(debian) == 1, f"packaging tarballs beside the package: {debian}"
    dentro = {linea for linea in salida_de("tar", "-tJf", debian[0]).split()
              if not linea.endswith("/")}
    repositorio = set(salida_de("git", "-C", FUENTES, "ls-files", "--cached", "--others",
                                "--exclude-standard", "debian").split())
    assert sorted(dentro ^ repositorio) == [], \
        "files in only one of the source package's debian/ and the repository's"


def comprueba_contenido(deb):
    """Every entry is owned by root; the regular files are exactly the four of the game, with
    their modes."""
    ficheros = {}
    for linea in salida_de("dpkg-deb", "--contents", deb).splitlines():
        modo, dueno, _, _, _, ruta = linea.split(maxsplit=5)
        assert dueno == "root/root", f"owner of {ruta}"
        if modo.startswith("-"):
            ficheros[ruta.removeprefix("./")] = modo
    assert ficheros == MODOS, "files of the package and their modes"


def paquete_de(biblioteca):
    """The Debian package that owns the file `biblioteca`, looked up under the path the loader
    gives and the others that a merged /usr makes equivalent."""
    real = os.path.realpath(biblioteca)
    candidatas = [biblioteca, real, real.removeprefix("/usr"), "/usr" + biblioteca]
    for ruta in candidatas:
        codigo, salida = ejecuta("dpkg", "--search", ruta)
        if codigo == 0:
            return salida.split(":")[0]
    pytest.fail(f"no package owns {biblioteca}")


def comprueba_dependencias(deb, binario):
    """Every library the binary names as NEEDED comes from a package that Depends lists; the
    binary keeps no run path (the build tree's is dropped on install) and carries no symbols."""
    dinamica = salida_de("objdump", "-p", binario)
    necesarias = re.findall(r"^\s*NEEDED\s+(\S+)$", dinamica, re.MULTILINE)
    assert necesarias, "the binary names no shared library"
    assert not re.search(r"^\s*(RPATH|RUNPATH)\s", dinamica, re.MULTILINE), \
        f"the installed binary keeps a run path:\n{dinamica}"
    tipo = salida_de("file", "-b", binario)
    assert ", stripped" in tipo, f"the installed binary is not stripped: {tipo}"

    cargadas = dict(re.findall(r"^\s*(\S+) => (/\S+)", salida_de("ldd", binario), re.MULTILINE))
    depends = salida_de("dpkg-deb", "--field", deb, "Depends").strip()
    nombres = {re.match(r"[^\s(]*", a.strip()).group() for a in re.split(r"[,|]", depends)}
    # Debian 12's freeglut has no libglut.so.3 yet satisfies the shlibs of Debian 13's, which
    # has it: a game that needs that name must ask for a freeglut that has it, and only then.
    nueva = "libglut3.12 (>= 3.4.0-3)"
    assert (nueva in depends) == ("libglut.so.3" in necesarias), \
        f"Depends asks for {nueva} (the binary needs {necesarias}; Depends: {depends})"
    for biblioteca in necesarias:
        assert biblioteca in cargadas, f"{biblioteca} is not found by the loader"
        paquete = paquete_de(cargadas[biblioteca])
        assert paquete in nombres, f"{biblioteca} comes from {paquete}, not in Depends: {depends}"


def comprueba_control(deb, version):
    campos = {c: salida_de("dpkg-deb", "--field", deb, c).strip()
              for c in ("Package", "Version", "Section", "Maintainer", "Architecture")}
    arquitectura = salida_de("dpkg", "--print-architecture").strip()
    assert campos == {"Package": "voltaro", "Version": f"{version}-1", "Section": "games",
                      "Maintainer": MANTENEDOR, "Architecture": arquitectura}, "control fields"
    assert os.path.basename(deb) == f"voltaro_{version}-1_{arquitectura}.deb", \
        "package file name"
    descripcion = salida_de("dpkg-deb", "--field", deb, "Description").splitlines()
    assert len(descripcion) > 1, f"no long description: {descripcion}"
    largas = [l for l in descripcion if len(l) >= 80]
    assert largas == [], "description lines of 80 columns or more"


def comprueba_endurecido(registro):
    """blhc reads the build's log: every compile and link line of the game carries every hardening
    flag that this release's dpkg-buildflags gives (Debian 13's add stack clash protection and
    -fcf-protection), not only the ones CMake would add by itself."""
    sin_mensajes("blhc", "--all", registro)


def comprueba_escritorio(raiz):
    """The menu entry is valid, starts the binary the package puts on the PATH, names the icon it
    installs and the class of the game's window, so that the desktop matches the two."""
    entrada = os.path.join(raiz, ENTRADA)
    sin_mensajes("desktop-file-validate", entrada)
    lector = configparser.ConfigParser(interpolation=None)
    lector.optionxform = str
    lector.read(entrada, encoding="utf-8")
    seccion = lector["Desktop Entry"]
    assert [seccion["Exec"].split()[0], seccion["Icon"], seccion.get("StartupWMClass")] == \
        [os.path.basename(BINARIO), nombre_de(ICONO), CLASE_VENTANA], \
        "the entry's Exec (the binary's name, found on the PATH), Icon and StartupWMClass"
    nombre, comentario, palabras = ESCRITORIO
    assert [seccion["Name"], seccion["Comment"], palabras - set(seccion["Keywords"].split(";"))] \
        == [nombre, comentario, set()], "the entry's name, comment and missing keywords in English"


def nombre_de(ruta):
    return os.path.splitext(os.path.basename(ruta))[0]


def comprueba_metainfo(raiz, version):
    """appstreamcli passes the metadata with no error or warning, pedantic ones included; its id
    is its file name, and what it launches, provides and last released are the package's menu
    entry, binary and version. Hints are allowed: Debian 12's appstreamcli does not know the
    <developer> tag that Debian 13's wants instead of the older <developer_name>."""
    metainfo = os.path.join(raiz, METAINFO)
    codigo, salida = ejecuta("appstreamcli", "validate", "--no-net", "--pedantic", metainfo)
    avisos = [linea for linea in salida.splitlines() if re.match(r"[EWP]: ", linea)]
    assert codigo == 0 and not avisos, f"appstreamcli validate:\n{salida}"
    componente = ET.parse(metainfo).getroot()
    assert [componente.findtext("id") + ".metainfo.xml",
            componente.findtext("launchable[@type='desktop-id']"),
            componente.findtext("provides/binary"),
            componente.find("releases/release").get("version"),
            [lengua.text for lengua in componente.findall("languages/lang")]] == \
        [os.path.basename(METAINFO), os.path.basename(ENTRADA), os.path.basename(BINARIO),
         version, ["es"]], \
        "the metadata's id + .metainfo.xml, launchable, binary, last release and the game's languages"
    for ruta in TEXTOS_METAINFO:
        textos = componente.findall(ruta)
        ingleses = [t for t in textos if XML_LANG not in t.attrib]
        espanoles = [t for t in textos if t.get(XML_LANG) == "es" and t.text.strip()]
        assert ingleses and len(espanoles) == len(ingleses), \
            f"{ruta}: {len(ingleses)} in English, {len(espanoles)} in Spanish"


def comprueba_iconos(raiz):
    """Both icons as GTK sees them: an icon theme's file has its type guessed from its first
    bytes, which must say SVG (an XML comment before the root element hides it), then
    gdk-pixbuf's SVG loader draws it at 48 px, leaving a margin of 2 px clear all round."""
    for icono in (ICONO, ICONO_SIMBOLICO):
        ruta = os.path.join(raiz, icono)
        with open(ruta, "rb") as f:
            tipo, _ = Gio.content_type_guess(None, f.read())
        assert tipo == "image/svg+xml", f"type of {icono} guessed from its bytes"
        try:
            imagen = GdkPixbuf.Pixbuf.new_from_file_at_size(ruta, 48, 48)
        except GLib.Error as error:
            pytest.fail(f"gdk-pixbuf cannot load {icono}: {error.message}")
        assert (imagen.get_width(), imagen.get_height(), imagen.get_has_alpha()) == \
            (48, 48, True), f"width, height and alpha of {icono} drawn at 48 px"
        fila, pixeles = imagen.get_rowstride(), imagen.get_pixels()
        borde = [(x, y) for y in range(48) for x in range(48) if min(x, y, 47 - x, 47 - y) < 2]
        opacos = [p for p in borde if pixeles[p[1] * fila + p[0] * 4 + 3]]
        assert opacos == [], f"pixels of {icono} drawn in its 2 px margin"


def comprueba_manual(raiz, tmp):
    """Each page passes mandoc, which also checks that its section is the one of the directory it
    lies in, and groff, which reads it uncompressed (and, with -k, in UTF-8); `man` with the
    unpacked tree as its only MANPATH shows the English one. po4a writes every hyphen of the
    translated page as a minus, the date's too, which mandoc then shows as written rather than
    reads as a date: the build gives that line its hyphens back."""
    for idioma, pagina in (("en", MANUAL), ("es", MANUAL_ES)):
        manual = os.path.join(raiz, pagina)
        assert ejecuta("mandoc", "-T", "lint", "-W", "warning", manual) == (0, ""), \
            f"mandoc -T lint on {pagina}"
        plano = os.path.join(tmp, f"voltaro.{idioma}.6")
        with gzip.open(manual) as comprimido, open(plano, "wb") as f:
            f.write(comprimido.read())
        sin_mensajes("groff", "-k", "-man", "-ww", "-z", plano)
    entorno = dict(os.environ, MANPATH=os.path.join(raiz, "usr/share/man"), LC_ALL="C.UTF-8",
                   MANWIDTH="80")
    mostrado = salida_de("man", "-L", "en", "6", "voltaro", entorno=entorno)
    faltan = [t for t in COMIENZO_DEL_MANUAL if t not in mostrado]
    assert faltan == [], f"texts missing from `man 6 voltaro`, which begins\n{mostrado[:300]}"


@dataclass
class Paquete:
    deb: str  # the game's .deb
    registro: str  # the log of its build
    raiz: str  # the .deb unpacked
    tmp: str  # a folder for the checks' own files
    version: str  # the project's version, the upstream part of the package's


@pytest.fixture(scope="module")
def paquete(request, tmp_path_factory):
    """The build in the folder --paquete names (the game's .deb and the build's log, sbuild.log
    or scripts/paquete.sh's construccion.log), the .deb unpacked."""
    carpeta = request.config.getoption("--paquete")
    if not carpeta:
        pytest.skip("no --paquete FOLDER: no build of the package to check")
    arquitectura = salida_de("dpkg", "--print-architecture").strip()
    (deb,) = glob.glob(os.path.join(carpeta, f"voltaro_*_{arquitectura}.deb"))
    (registro,) = [r for r in (os.path.join(carpeta, n) for n in ("sbuild.log", "construccion.log"))
                   if os.path.isfile(r)]
    tmp = tmp_path_factory.mktemp("paquete")
    raiz = str(tmp / "raiz")
    salida_de("dpkg-deb", "--extract", deb, raiz)
    version = salida_de("dpkg-deb", "--field", deb, "Version").strip().rsplit("-", 1)[0]
    return Paquete(deb, registro, raiz, str(tmp), version)


# Each group of checks of the package, reported on its own: what it is given of the package.
GRUPOS = [
    (comprueba_contenido, lambda p: (p.deb,)),
    (comprueba_fuente, lambda p: (p.deb, p.version, p.tmp)),
    (comprueba_control, lambda p: (p.deb, p.version)),
    (comprueba_endurecido, lambda p: (p.registro,)),
    (comprueba_dependencias, lambda p: (p.deb, os.path.join(p.raiz, BINARIO))),
    (comprueba_escritorio, lambda p: (p.raiz,)),
    (comprueba_metainfo, lambda p: (p.raiz, p.version)),
    (comprueba_iconos, lambda p: (p.raiz,)),
    (comprueba_manual, lambda p: (p.raiz, p.tmp)),
]


@pytest.mark.parametrize("comprueba, argumentos", GRUPOS,
                         ids=[c.__name__.removeprefix("comprueba_") for c, _ in GRUPOS])
def test_paquete(paquete, comprueba, argumentos):
    comprueba(*argumentos(paquete))
