// The console board dump.
#include <gtest/gtest.h>

#include <string>

#include "apoyo/tablero.h"
#include "console/pintala.h"
#include "game/estado.h"

namespace {

TEST(Pintala, OpeningPositionByteForByte)
{
    estado_de_arranque();
    const std::string esperado = "----------------------------------------------\n\n\n"
                                 "  0 1 2 3 4 5 6 7\n"
                                 "0| | | | | | | | |\n"
                                 "1| | | | | | | | |\n"
                                 "2| | | | | | | | |\n"
                                 "3| | | |B|N| | | |\n"
                                 "4| | | |N|B| | | |\n"
                                 "5| | | | | | | | |\n"
                                 "6| | | | | | | | |\n"
                                 "7| | | | | | | | |\n"
                                 "\n>>>Fichas Blancas (B):2\n>>>Fichas Negras (N):2\n";
    EXPECT_EQ(salida_de(pintala), esperado);
}

TEST(Pintala, CountsItsOwnDiscsAndLeavesTheFrameCountsAlone)
{
    struct Caso {
        Dibujo tablero;
        int fila;
        std::string linea, cuentas;
    };
    const Caso casos[] = {
        {{"BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "BBBBBBBB", "NNNNNNNN", "NNNNNNNN",
          "NNNNNNNN"},
         5,
         "5|N|N|N|N|N|N|N|N|\n",
         ">>>Fichas Blancas (B):40\n>>>Fichas Negras (N):24\n"},
        {{"........", "........", "........", "........", "........", "........", "........",
          "........"},
         7,
         "7| | | | | | | | |\n",
         ">>>Fichas Blancas (B):0\n>>>Fichas Negras (N):0\n"},
        {{"B.......", ".N......", "..B.....", "...NB...", "...BN...", "........", "......NB",
          "N......B"},
         6,
         "6| | | | | | |N|B|\n",
         ">>>Fichas Blancas (B):6\n>>>Fichas Negras (N):5\n"},
    };
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.linea);
        poner_tablero(c.tablero);
        numx = 2; // counts of a frame drawn before the move: stale
        num0 = 61;
        const std::string texto = salida_de(pintala);
        EXPECT_NE(texto.find("\n" + c.linea), std::string::npos) << texto;
        EXPECT_EQ(texto.substr(texto.size() - c.cuentas.size()), c.cuentas);
        EXPECT_EQ(numx, 2);
        EXPECT_EQ(num0, 61);
    }
}

} // namespace
