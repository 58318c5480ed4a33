// tests/render/foto.h — the window's whole frame against a picture kept in the repository
// (tests/render/fotos/NAME.png).
#ifndef VOLTARO_TESTS_FOTO_H
#define VOLTARO_TESTS_FOTO_H

#include <gtest/gtest.h>

#include <string>

// Success when the frame on screen now is the picture `nombre`: the same size, and no more pixels
// differing than the tolerance allows (foto.cpp). Otherwise the failure says how many pixels
// differ, by how much at most and within which box, and the frame seen is written to the build
// tree (fotos_vistas/NAME.png) for inspection. With VOLTARO_FOTOS_NUEVAS=1 in the environment the
// frame seen replaces the picture instead.
testing::AssertionResult es_la_foto(const std::string &nombre);

#endif
