"""arnes.imagen — pictures read back from the screen, compared and kept as PNG.

A Foto is a picture in RGB, 3 bytes a pixel, row after row: a window's whole picture as the X
server gives it (de_x(), which reads the pixels as the server's FormatoX says they are laid out,
and drops a 32-bit pixel's byte that no colour mask covers, unused by the screen though GL may
write its alpha there), or a PNG file's. Two Fotos are equal when every pixel is; diferencia()
says how many pixels differ and the box that holds them all. PNG files are read and written with
Pillow (python3-pil).
"""

import os
from dataclasses import dataclass

from PIL import Image, ImageChops


class FormatoNoLeido(Exception):
    """An X image laid out in a way that the harness does not read."""


@dataclass(frozen=True)
class FormatoX:
    """How an X server lays out an image's pixels in Z format, as it says on connecting: the byte
    order of a pixel's bytes (`orden`, "little" or "big"), the bits a pixel takes and the bits
    each row is padded to (the pixmap format of the image's depth), and the red, green and blue
    masks of the visual that the screen shows it by (`mascaras`)."""
    orden: str
    bits_por_pixel: int
    relleno: int
    mascaras: tuple

    def modo(self):
        """Pillow's raw mode that reads these pixels as RGB ("BGRX" for a little-endian server's
        32 bits a pixel, "XRGB" for a big-endian one's). Only colours of 8 bits in whole bytes
        of a 24 or 32-bit pixel are read: the true colour of every X server the tests run on."""
        octetos = self.bits_por_pixel // 8
        if self.bits_por_pixel not in (24, 32):
            raise FormatoNoLeido(f"the X server's images have {self.bits_por_pixel} bits a "
                                 "pixel, not 24 or 32")
        modo = ["X"] * octetos
        for canal, mascara in zip("RGB", self.mascaras):
            desplazamiento = (mascara & -mascara).bit_length() - 1
            if mascara >> desplazamiento != 0xFF or desplazamiento % 8:
                raise FormatoNoLeido(f"the visual's {canal} mask, {mascara:#x}, is not 8 bits "
                                     "in a whole byte")
            octeto = desplazamiento // 8
            modo[octeto if self.orden == "little" else octetos - 1 - octeto] = canal
        return "".join(modo)

    def fila(self, ancho):
        """The bytes of a row of `ancho` pixels, padding included."""
        return -(-ancho * self.bits_por_pixel // self.relleno) * self.relleno // 8


@dataclass(frozen=True)
class Foto:
    ancho: int
    alto: int
    datos: bytes  # RGB, 3 bytes a pixel, ancho * 3 bytes a row

    @property
    def tamano(self):
        return self.ancho, self.alto

    def negra(self):
        """True when every pixel is black: nothing drawn."""
        return self.datos.count(0) == len(self.datos)

    def imagen(self):
        """The picture as a Pillow image, RGB."""
        return Image.frombytes("RGB", self.tamano, self.datos)

    def recorte(self, x, y, ancho, alto):
        """The part of ancho x alto pixels whose top left corner is (x, y)."""
        fila = self.ancho * 3
        return Foto(ancho, alto, b"".join(self.datos[f * fila + x * 3:f * fila + (x + ancho) * 3]
                                          for f in range(y, y + alto)))

    def guarda(self, ruta):
        """Writes the picture to `ruta` as PNG."""
        self.imagen().save(ruta, "PNG")

    @classmethod
    def de_x(cls, ancho, alto, datos, formato):
        """The picture of an X image in Z format laid out as `formato` (a FormatoX) says."""
        imagen = Image.frombytes("RGB", (ancho, alto), datos, "raw", formato.modo(),
                                 formato.fila(ancho))
        return cls(ancho, alto, imagen.tobytes())

    @classmethod
    def de_imagen(cls, imagen):
        imagen = imagen.convert("RGB")
        return cls(imagen.width, imagen.height, imagen.tobytes())

    @classmethod
    def lee(cls, ruta):
        """The picture of the PNG file `ruta`."""
        with Image.open(ruta) as imagen:
            return cls.de_imagen(imagen)


# The pictures of whole frames that the rendering tests keep (tests/render/fotos): the real game's
# window, at the size they were drawn at, must show the same ones.
FOTOS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "render", "fotos")


def guardada(nombre):
    """The rendering tests' picture `nombre` (apertura, tras_c5...) as a Foto."""
    return Foto.lee(os.path.join(FOTOS, nombre + ".png"))


def frente_a_guardada(vista, nombre):
    """The Diferencia of the picture `vista` and the rendering tests' picture `nombre`. Under
    autopkgtest the picture seen is kept among the test's artifacts as well, as nombre.png, for
    a look at what the game drew on the testbed's architecture."""
    artefactos = os.environ.get("AUTOPKGTEST_ARTIFACTS")
    if artefactos:
        vista.guarda(os.path.join(artefactos, nombre + ".png"))
    return diferencia(vista, guardada(nombre))


@dataclass(frozen=True)
class Diferencia:
    """How two pictures differ: `pixeles` that are not the same, in the box `caja` (left, top,
    right, bottom, the right and bottom edges outside it); sizes that differ say only that."""
    tamanos: tuple
    pixeles: int
    caja: tuple

    def __bool__(self):
        return self.tamanos[0] != self.tamanos[1] or self.pixeles > 0

    def __str__(self):
        if self.tamanos[0] != self.tamanos[1]:
            return "sizes differ: %dx%d against %dx%d" % (*self.tamanos[0], *self.tamanos[1])
        if not self.pixeles:
            return "no pixel differs"
        izquierda, arriba, derecha, abajo = self.caja
        return (f"{self.pixeles} pixels differ, within x {izquierda} to {derecha - 1} and y "
                f"{arriba} to {abajo - 1}")


def diferencia(una, otra):
    """The Diferencia of two Fotos."""
    tamanos = (una.tamano, otra.tamano)
    if una.tamano != otra.tamano:
        return Diferencia(tamanos, 0, None)
    if una.datos == otra.datos:
        return Diferencia(tamanos, 0, None)
    resta = ImageChops.difference(una.imagen(), otra.imagen())
    # A pixel differs when any of its channels does, however little.
    distintos = ImageChops.lighter(ImageChops.lighter(*resta.split()[:2]), resta.split()[2])
    marcados = distintos.point(lambda v: 255 if v else 0)
    return Diferencia(tamanos, marcados.histogram()[255], marcados.getbbox())
