"""The Debian package: cpack makes it from the build tree; unpacked into a scratch root (nothing
is installed on the machine) it holds the game, its menu entry, its icon and its manual page,
owned by root with the usual modes; its dependencies name the package of every library the
binary links; the menu entry and the manual page pass their checkers; and the unpacked binary
opens its window and ends with status 0 on ESC."""

import configparser
import glob
import os
import re
import shutil
import subprocess
import tempfile
import xml.etree.ElementTree as ET

from partida import BANNER, Fallo, Partida, comprueba, igual, principal

ENTRADA = "usr/share/applications/voltaro.desktop"
ICONO = "usr/share/icons/hicolor/scalable/apps/voltaro.svg"
MANUAL = "usr/share/man/man6/voltaro.6"
BINARIO = "usr/bin/voltaro"
MODOS = {BINARIO: "-rwxr-xr-x", ENTRADA: "-rw-r--r--", ICONO: "-rw-r--r--", MANUAL: "-rw-r--r--"}


def ejecuta(*orden, cwd=None, plazo=60):
    """Runs the command and returns its exit status and its output, stderr after stdout."""
    r = subprocess.run(orden, cwd=cwd, capture_output=True, text=True, timeout=plazo, check=False)
    return r.returncode, r.stdout + r.stderr


def salida_de(*orden, **opciones):
    codigo, salida = ejecuta(*orden, **opciones)
    igual(codigo, 0, f"exit status of {' '.join(orden)}; it said {salida!r}")
    return salida


def sin_mensajes(*orden):
    """The checker must pass the file and say nothing: a warning is a failure too."""
    igual(ejecuta(*orden), (0, ""), " ".join(orden))


def version_del_proyecto(construccion):
    """The version the package must carry: the project's major.minor, patch level 0."""
    with open(os.path.join(construccion, "CMakeCache.txt"), encoding="utf-8") as f:
        cache = dict(re.findall(r"^CMAKE_PROJECT_VERSION_(MAJOR|MINOR):STATIC=(\d+)$", f.read(),
                                re.MULTILINE))
    return f"{cache['MAJOR']}.{cache['MINOR']}.0"


def construye_paquete(construccion, destino):
    """Runs cpack on the build tree with its output and its staging directory in `destino`, and
    returns the path of the one .deb it made."""
    salida_de("cpack", "-G", "DEB", "-B", destino, cwd=construccion, plazo=100)
    debs = glob.glob(os.path.join(destino, "*.deb"))
    igual(len(debs), 1, f"number of packages made: {debs}")
    return debs[0]


def comprueba_contenido(deb):
    """Every entry is owned by root; the regular files are exactly the four of the game, with
    their modes."""
    ficheros = {}
    for linea in salida_de("dpkg-deb", "--contents", deb).splitlines():
        modo, dueno, _, _, _, ruta = linea.split(maxsplit=5)
        igual(dueno, "root/root", f"owner of {ruta}")
        if modo.startswith("-"):
            ficheros[ruta.removeprefix("./")] = modo
    igual(ficheros, MODOS, "files of the package and their modes")


def paquete_de(biblioteca):
    """The Debian package that owns the file `biblioteca`, looked up under the path the loader
    gives and the others that a merged /usr makes equivalent."""
    real = os.path.realpath(biblioteca)
    candidatas = [biblioteca, real, real.removeprefix("/usr"), "/usr" + biblioteca]
    for ruta in candidatas:
        codigo, salida = ejecuta("dpkg", "--search", ruta)
        if codigo == 0:
            return salida.split(":")[0]
    raise Fallo(f"no package owns {biblioteca}")


def comprueba_dependencias(deb, binario):
    """Every library the binary names as NEEDED comes from a package that Depends lists; the
    binary keeps no run path (the build tree's is dropped on install) and carries no symbols."""
    dinamica = salida_de("objdump", "-p", binario)
    necesarias = re.findall(r"^\s*NEEDED\s+(\S+)$", dinamica, re.MULTILINE)
    comprueba(necesarias, "the binary names no shared library")
    comprueba(not re.search(r"^\s*(RPATH|RUNPATH)\s", dinamica, re.MULTILINE),
              f"the installed binary keeps a run path:\n{dinamica}")
    tipo = salida_de("file", "-b", binario)
    comprueba(", stripped" in tipo, f"the installed binary is not stripped: {tipo}")

    cargadas = dict(re.findall(r"^\s*(\S+) => (/\S+)", salida_de("ldd", binario), re.MULTILINE))
    depends = salida_de("dpkg-deb", "--field", deb, "Depends").strip()
    nombres = {re.match(r"[^\s(]*", a.strip()).group() for a in re.split(r"[,|]", depends)}
    for biblioteca in necesarias:
        comprueba(biblioteca in cargadas, f"{biblioteca} is not found by the loader")
        paquete = paquete_de(cargadas[biblioteca])
        comprueba(paquete in nombres,
                  f"{biblioteca} comes from {paquete}, not in Depends: {depends}")


def comprueba_control(deb, construccion):
    campos = {c: salida_de("dpkg-deb", "--field", deb, c).strip()
              for c in ("Package", "Version", "Section", "Maintainer", "Architecture")}
    version = version_del_proyecto(construccion)
    arquitectura = salida_de("dpkg", "--print-architecture").strip()
    igual(campos, {"Package": "voltaro", "Version": version, "Section": "games",
                   "Maintainer": "VOLTARO developers", "Architecture": arquitectura},
          "control fields")
    igual(os.path.basename(deb), f"voltaro_{version}_{arquitectura}.deb", "package file name")
    descripcion = salida_de("dpkg-deb", "--field", deb, "Description").splitlines()
    comprueba(len(descripcion) > 1, f"no long description: {descripcion}")
    largas = [l for l in descripcion if len(l) >= 80]
    igual(largas, [], "description lines of 80 columns or more")


def comprueba_escritorio(raiz):
    """The menu entry is valid, starts the binary the package puts on the PATH and names the
    icon it installs; the icon is an SVG document."""
    entrada = os.path.join(raiz, ENTRADA)
    sin_mensajes("desktop-file-validate", entrada)
    lector = configparser.ConfigParser(interpolation=None)
    lector.optionxform = str
    lector.read(entrada, encoding="utf-8")
    seccion = lector["Desktop Entry"]
    igual(seccion["Exec"].split()[0], os.path.basename(BINARIO),
          "the entry's Exec (the binary's name, found on the PATH)")
    igual(seccion["Icon"], os.path.splitext(os.path.basename(ICONO))[0], "the entry's Icon")
    try:
        svg = ET.parse(os.path.join(raiz, ICONO)).getroot().tag
    except ET.ParseError as error:
        raise Fallo(f"the icon is not well-formed XML: {error}") from None
    igual(svg, "{http://www.w3.org/2000/svg}svg", "the icon's root element")


def comprueba_manual(raiz):
    """mandoc also checks that the page's section is the one of the directory it lies in."""
    manual = os.path.join(raiz, MANUAL)
    sin_mensajes("mandoc", "-T", "lint", "-W", "warning", manual)
    if shutil.which("groff"):
        sin_mensajes("groff", "-man", "-ww", "-z", manual)


def arranca_y_sale(raiz):
    with Partida(os.path.join(raiz, BINARIO)) as partida:
        partida.teclas("Escape")
        igual(partida.espera_salida(), 0, "exit status of the installed game after ESC")
        igual(partida.transcripcion(), BANNER, "whole transcript of the installed game")


def prueba(binario):
    construccion = os.path.dirname(os.path.abspath(binario))
    with tempfile.TemporaryDirectory(prefix="voltaro-paquete-") as tmp:
        deb = construye_paquete(construccion, os.path.join(tmp, "cpack"))
        raiz = os.path.join(tmp, "raiz")
        salida_de("dpkg-deb", "--extract", deb, raiz)
        comprueba_contenido(deb)
        comprueba_control(deb, construccion)
        comprueba_dependencias(deb, os.path.join(raiz, BINARIO))
        comprueba_escritorio(raiz)
        comprueba_manual(raiz)
        arranca_y_sale(raiz)


principal(prueba)
