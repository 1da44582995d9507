#ifndef GOURAUD_TESTE_PROFUNDIDADE_H
#define GOURAUD_TESTE_PROFUNDIDADE_H

#include <cstdint>

#include "Cobertura.h"
#include "FaixaVisivel.h"
#include "Quadro.h"
#include "VerticeTela.h"

// The depth test, the step after coverage: which covered pixels a triangle wins.
//   In:  the triangle's three screen corners and twice its exact area (Cobertura::getArea), its
//        winner number, and the pixels coverage found.
//   Out: at each, the screen-space weights b1, b2 of the second and third corners and
//        iz = iz0 + b1 (iz1 - iz0) + b2 (iz2 - iz0), 1/cn interpolated linearly on the screen;
//        where iz is strictly greater than the stored depth, that depth becomes iz and the pixel
//        records the triangle as its winner with b1 and b2 (FaixaVisivel).
class TesteProfundidade {
public:
    // For the triangle (a, b, c), which must outlive this object; `area` is the exact twice
    // signed area, whose sign the plain double one must share.
    TesteProfundidade(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c,
                      Int128 area);

    // Pixel (i, j) of `faixa`'s rows, won by `vencedor` where nearer than `quadro`'s depth.
    void pixel(int i, int j, std::int32_t vencedor, FaixaVisivel& faixa, Quadro& quadro) const;
    // Every pixel of the run `pixels` of row j.
    void intervalo(int j, Intervalo pixels, std::int32_t vencedor, FaixaVisivel& faixa,
                   Quadro& quadro) const;

private:
    // What pixel and intervalo do at pixel i of row j, given the row's lists.
    void testar(int i, int j, std::int32_t vencedor, double* profundidades,
                std::int32_t* vencedores, double* pesos1, double* pesos2) const;

    const VerticeTela& a;
    double dx1, dy1, dx2, dy2, inversoArea;
    double diz1, diz2;
};

#endif
