// tests/render/foto.cpp — whole frames compared with the pictures kept in the repository, read
// and written as PNG through libpng.
#include "render/foto.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
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

using Archivo = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

Archivo abre(const std::filesystem::path &ruta, const char *modo)
{
    return {std::fopen(ruta.c_str(), modo), &std::fclose};
}

bool lee_png(const std::filesystem::path &ruta, Imagen &imagen)
{
    const Archivo archivo = abre(ruta, "rb");
    if (!archivo) {
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    // libpng reports a damaged file by jumping back here.
    // NOLINTNEXTLINE(cert-err52-cpp): libpng's own error handling
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, archivo.get());
    png_read_info(png, info);
    // Whatever the file's colour type and depth, 8-bit RGB rows.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    imagen.ancho = static_cast<int>(png_get_image_width(png, info));
    imagen.alto = static_cast<int>(png_get_image_height(png, info));
    imagen.rgb.assign(static_cast<std::size_t>(imagen.ancho) * imagen.alto * 3, 0);
    std::vector<png_bytep> filas(static_cast<std::size_t>(imagen.alto));
    for (std::size_t f = 0; f < filas.size(); ++f) {
        filas[f] = &imagen.rgb[f * static_cast<std::size_t>(imagen.ancho) * 3];
    }
    png_read_image(png, filas.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool escribe_png(const std::filesystem::path &ruta, const Imagen &imagen)
{
    std::filesystem::create_directories(ruta.parent_path());
    const Archivo archivo = abre(ruta, "wb");
    if (!archivo) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    // NOLINTNEXTLINE(cert-err52-cpp): libpng's own error handling
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, archivo.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(imagen.ancho),
                 static_cast<png_uint_32>(imagen.alto), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int f = 0; f < imagen.alto; ++f) {
        png_write_row(png, &imagen.rgb[static_cast<std::size_t>(f) * imagen.ancho * 3]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
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
