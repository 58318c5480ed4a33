// tests/render/foto.cpp — whole frames compared with the pictures kept in the repository, read
// and written as PNG through libpng.
#include "render/foto.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "render/ventana_prueba.h"

namespace {

// How far the frame may be from its picture: not at all. Mesa's software renderer (llvmpipe)
// draws every checkpoint to the same bytes on Debian 12 (Mesa 22.3.6, freeglut 3.4.0) and on
// Debian 13 (Mesa 25.0.7, freeglut 3.4.0), measured on both; a frame within a non-zero tolerance
// prints its largest difference all the same, to measure a new one from.
constexpr int TOLERANCIA_CANAL = 0;    // largest difference of a channel that is no difference
constexpr long TOLERANCIA_PIXELES = 0; // pixels that may differ by more

// libpng's simplified interface, in 8-bit RGB whatever the file holds.
bool lee_png(const std::filesystem::path &ruta, Imagen &imagen)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, ruta.c_str()) == 0) {
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    imagen.ancho = static_cast<int>(png.width);
    imagen.alto = static_cast<int>(png.height);
    imagen.rgb.resize(PNG_IMAGE_SIZE(png));
    return png_image_finish_read(&png, nullptr, imagen.rgb.data(), 0, nullptr) != 0;
}

bool escribe_png(const std::filesystem::path &ruta, const Imagen &imagen)
{
    std::filesystem::create_directories(ruta.parent_path());
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(imagen.ancho);
    png.height = static_cast<png_uint_32>(imagen.alto);
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, ruta.c_str(), 0, imagen.rgb.data(), 0, nullptr) != 0;
}

// The pixels of two pictures of one size that differ by more than the tolerance of a channel.
struct Diferencia {
    long pixeles = 0;
    int mayor = 0;                        // largest difference of a channel, over every pixel
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1; // the box that holds them, rows from the top
};

Diferencia compara(const Imagen &vista, const Imagen &foto)
{
    Diferencia d;
    d.x0 = vista.ancho;
    d.y0 = vista.alto;
    for (int y = 0; y < vista.alto; ++y) {
        for (int x = 0; x < vista.ancho; ++x) {
            const std::size_t i = (static_cast<std::size_t>(y) * vista.ancho + x) * 3;
            int aqui = 0;
            for (std::size_t c = 0; c < 3; ++c) {
                aqui = std::max(aqui, std::abs(vista.rgb[i + c] - foto.rgb[i + c]));
            }
            d.mayor = std::max(d.mayor, aqui);
            if (aqui > TOLERANCIA_CANAL) {
                ++d.pixeles;
                d.x0 = std::min(d.x0, x);
                d.y0 = std::min(d.y0, y);
                d.x1 = std::max(d.x1, x);
                d.y1 = std::max(d.y1, y);
            }
        }
    }
    return d;
}

} // namespace

testing::AssertionResult es_la_foto(const std::string &nombre)
{
    const Imagen vista = imagen_de_la_ventana();
    const std::filesystem::path foto_ruta =
        std::filesystem::path(VOLTARO_FOTOS) / (nombre + ".png");
    const std::filesystem::path vista_ruta =
        std::filesystem::path(VOLTARO_FOTOS_VISTAS) / (nombre + ".png");
    const char *nuevas = std::getenv("VOLTARO_FOTOS_NUEVAS");
    if (nuevas != nullptr && std::string(nuevas) == "1") {
        if (!escribe_png(foto_ruta, vista)) {
            return testing::AssertionFailure() << "could not write " << foto_ruta;
        }
        return testing::AssertionSuccess() << "picture " << foto_ruta << " written anew";
    }

    Imagen foto;
    std::ostringstream fallo;
    if (!lee_png(foto_ruta, foto)) {
        fallo << "no picture " << foto_ruta << " (VOLTARO_FOTOS_NUEVAS=1 writes it)";
    } else if (foto.ancho != vista.ancho || foto.alto != vista.alto) {
        fallo << "the frame is " << vista.ancho << " x " << vista.alto << ", the picture "
              << foto.ancho << " x " << foto.alto;
    } else {
        const Diferencia d = compara(vista, foto);
        if (d.pixeles <= TOLERANCIA_PIXELES) {
            if (d.mayor > 0) {
                // Within the tolerance, yet not the same: what a new tolerance is measured from.
                std::printf("picture %s: differences up to %d within the tolerance\n",
                            nombre.c_str(), d.mayor);
            }
            return testing::AssertionSuccess();
        }
        fallo << d.pixeles << " pixels differ from picture " << foto_ruta << " (by up to "
              << d.mayor << " of 255), within x " << d.x0 << "-" << d.x1 << ", y " << d.y0 << "-"
              << d.y1 << " from the top left";
    }
    if (escribe_png(vista_ruta, vista)) {
        fallo << "; the frame seen is " << vista_ruta;
    }
    return testing::AssertionFailure() << fallo.str();
}
