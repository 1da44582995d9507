#ifndef GOURAUD_TESTE_PROFUNDIDADE_H
#define GOURAUD_TESTE_PROFUNDIDADE_H

#include <cstdint>

#include "Cobertura.h"
#include "FaixaVisivel.h"
#include "Quadro.h"
#include "VerticeTela.h"

namespace gouraud::detail {

// The depth test, the step after coverage: which covered pixels a triangle wins.
//   In:  the triangle's three screen corners and twice its exact area (Cobertura::getArea), its
//        winner number, and the pixels coverage found.
//   Out: at each, the screen-space weights b1, b2 of the second and third corners and
//        iz = iz0 + b1 (iz1 - iz0) + b2 (iz2 - iz0), 1/cn interpolated linearly on the screen;
//        where iz is strictly greater than the stored depth, or equal to it and the triangle
//        comes before the pixel's winner in the file (FaixaVisivel::ganhaEmpate), that depth
//        becomes iz and the pixel records the triangle as its winner with b1 and b2.
class TesteProfundidade {
public:
    // For the triangle (a, b, c), which must outlive this object; `area` is the exact twice
    // signed area, whose sign the plain double one must share.
    TesteProfundidade(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c,
                      Int128 area);
    // The same, the exact area worked out from the corners' exact positions only when the plain
    // double one is in doubt.
    TesteProfundidade(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c,
                      const PosicaoExata& ea, const PosicaoExata& eb, const PosicaoExata& ec);

    // Pixel (i, j) of `faixa`'s rows, won by `vencedor` where nearer than `quadro`'s depth.
    void pixel(int i, int j, std::int32_t vencedor, FaixaVisivel& faixa, Quadro& quadro) const;
    // Every pixel of the run `pixels` of row j.
    void intervalo(int j, Intervalo pixels, std::int32_t vencedor, FaixaVisivel& faixa,
                   Quadro& quadro) const;

    // What the test works out once per triangle: the first corner, the other two's offsets
    // from it, 1 over twice the area (the exact area's sign; infinite when it is 0) and the
    // differences of 1/cn. At pixel centre (px, py), with ex = px - ax and ey = py - ay,
    // b1 = (ex dy2 - ey dx2) inversoArea, b2 = (dx1 ey - dy1 ex) inversoArea and
    // iz = aiz + b1 diz1 + b2 diz2.
    struct Coeficientes {
        double ax, ay, aiz;
        double dx1, dy1, dx2, dy2, inversoArea;
        double diz1, diz2;
    };
    Coeficientes getCoeficientes() const;
    // False for a triangle whose exact area is 0, which draws nothing.
    bool temArea() const;

private:
    // Sets inversoArea from the plain double area, or from the exact one (given by `exata()`)
    // where the two do not share their sign.
    template <typename Exata>
    void montarArea(Exata exata);
    // What pixel and intervalo do at pixel i of row j of `faixa`, given the row's lists.
    void testar(int i, int j, std::int32_t vencedor, const FaixaVisivel& faixa,
                double* profundidades, std::int32_t* vencedores, double* pesos1,
                double* pesos2) const;

    const VerticeTela& a;
    double dx1, dy1, dx2, dy2, inversoArea;
    double diz1, diz2;
};

}  // namespace gouraud::detail

#endif
