"""arnes.imagen — pictures read back from the screen, compared and kept as PNG.

A Foto is a picture in RGB, 3 bytes a pixel, row after row: a window's whole picture as the X
server gives it (de_x(), which drops the fourth byte of each pixel, unused by the screen though GL
may write its alpha there), or a PNG file's. Two Fotos are equal when every pixel is; diferencia()
says how many pixels differ and the box that holds them all. PNG files are read and written with
Pillow (python3-pil).
"""

from dataclasses import dataclass

from PIL import Image, ImageChops


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
    def de_x(cls, ancho, alto, datos):
        """The picture of an X image in Z format of 32 bits a pixel (blue, green, red, unused)."""
        imagen = Image.frombytes("RGB", (ancho, alto), datos, "raw", "BGRX")
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
