#ifndef GOURAUD_TESTS_COMPARACAO_QUADROS_H
#define GOURAUD_TESTS_COMPARACAO_QUADROS_H

#include <string>

#include "Quadro.h"

namespace gouraud::detail {

// How another renderer's frame compares with this renderer's, pixel by pixel over the part both
// frames have: which pixels each drew (not black), and where both drew, how alike the colours
// are.
struct ComparacaoQuadros {
    long long ambos = 0;
    long long soNosso = 0;
    long long soOutro = 0;
    // Of the pixels both drew: those of the very same 16-bit colour, and the sum over them of
    // the absolute differences of the three 8-bit channels.
    long long iguais = 0;
    double diferenca = 0;

    // Compares `outro` with `nosso`, this renderer's frame.
    static ComparacaoQuadros comparar(const Quadro& nosso, const Quadro& outro);
    // One line: the three counts, the share of equal colours and the mean channel difference.
    std::string descrever() const;
};

}  // namespace gouraud::detail

#endif
