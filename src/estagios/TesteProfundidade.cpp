#include "TesteProfundidade.h"

#include <cmath>

namespace gouraud::detail {

namespace {

// 2^-96: twice an exact area, in 2^-96 square pixel, in square pixels.
constexpr double kInversoEscalaArea = 1.0 / 281474976710656.0 / 281474976710656.0;
// Bounds, with room to spare, on how far the plain double area can be from the exact one:
// 2^-50 of its products (3 roundings need 3 2^-53), 2^-46 of its differences (each moves by
// less than 2^-47), and 2^-90 for the product of two such moves.
constexpr double kErroProdutos = 1.0 / 1125899906842624.0;  // 2^-50
constexpr double kErroPosicoes = 1.0 / 70368744177664.0;    // 2^-46
constexpr double kErroMinimo = kInversoEscalaArea * 64.0;   // 2^-90

}  // namespace

TesteProfundidade::TesteProfundidade(const VerticeTela& a, const VerticeTela& b,
                                     const VerticeTela& c, Int128 area)
    : a(a),
      dx1(b.x - a.x),
      dy1(b.y - a.y),
      dx2(c.x - a.x),
      dy2(c.y - a.y),
      diz1(b.iz - a.iz),
      diz2(c.iz - a.iz) {
    montarArea([area] { return area; });
}

TesteProfundidade::TesteProfundidade(const VerticeTela& a, const VerticeTela& b,
                                     const VerticeTela& c, const PosicaoExata& ea,
                                     const PosicaoExata& eb, const PosicaoExata& ec)
    : a(a),
      dx1(b.x - a.x),
      dy1(b.y - a.y),
      dx2(c.x - a.x),
      dy2(c.y - a.y),
      diz1(b.iz - a.iz),
      diz2(c.iz - a.iz) {
    montarArea([&] { return Cobertura::area(ea, eb, ec); });
}

template <typename Exata>
void TesteProfundidade::montarArea(Exata exata) {
    // Twice the signed area in plain double; in the rare sliver where cancellation leaves it 0
    // or of the wrong sign, the exact area (rounded once) takes its place. The exact area is
    // looked at only when the plain one lies within the bound on their difference: the
    // rounding of the differences, products and subtraction (3 2^-53 of the products), and the
    // corners' moves of less than 2^-48 pixel to their exact positions (2^-47 per difference).
    double areaDupla = dx1 * dy2 - dy1 * dx2;
    const double folga =
        kErroProdutos * (std::fabs(dx1 * dy2) + std::fabs(dy1 * dx2)) +
        kErroPosicoes * (std::fabs(dx1) + std::fabs(dy1) + std::fabs(dx2) + std::fabs(dy2)) +
        kErroMinimo;
    if (!(std::fabs(areaDupla) > folga)) {
        const Int128 area = exata();
        if (!(area > 0 ? areaDupla > 0 : areaDupla < 0)) {
            areaDupla = static_cast<double>(area) * kInversoEscalaArea;
        }
    }
    inversoArea = 1.0 / areaDupla;
}

TesteProfundidade::Coeficientes TesteProfundidade::getCoeficientes() const {
    return Coeficientes{a.x, a.y, a.iz, dx1, dy1, dx2, dy2, inversoArea, diz1, diz2};
}

bool TesteProfundidade::temArea() const { return std::isfinite(inversoArea); }

void TesteProfundidade::pixel(int i, int j, std::int32_t vencedor, FaixaVisivel& faixa,
                              Quadro& quadro) const {
    testar(i, j, vencedor, faixa, quadro.linhaProfundidade(j), faixa.linhaVencedores(j),
           faixa.linhaPesos1(j), faixa.linhaPesos2(j));
}

void TesteProfundidade::intervalo(int j, Intervalo pixels, std::int32_t vencedor,
                                  FaixaVisivel& faixa, Quadro& quadro) const {
    double* profundidades = quadro.linhaProfundidade(j);
    std::int32_t* vencedores = faixa.linhaVencedores(j);
    double* pesos1 = faixa.linhaPesos1(j);
    double* pesos2 = faixa.linhaPesos2(j);
    for (int i = pixels.inicio; i <= pixels.fim; ++i) {
        testar(i, j, vencedor, faixa, profundidades, vencedores, pesos1, pesos2);
    }
}

inline void TesteProfundidade::testar(int i, int j, std::int32_t vencedor,
                                      const FaixaVisivel& faixa, double* profundidades,
                                      std::int32_t* vencedores, double* pesos1,
                                      double* pesos2) const {
    const double ex = (i + 0.5) - a.x;
    const double ey = (j + 0.5) - a.y;
    const double b1 = (ex * dy2 - ey * dx2) * inversoArea;
    const double b2 = (dx1 * ey - dy1 * ex) * inversoArea;
    const double iz = a.iz + b1 * diz1 + b2 * diz2;
    if (iz > profundidades[i] ||
        (iz == profundidades[i] && faixa.ganhaEmpate(vencedor, vencedores[i], i, j))) {
        profundidades[i] = iz;
        vencedores[i] = vencedor;
        pesos1[i] = b1;
        pesos2[i] = b2;
    }
}

}  // namespace gouraud::detail
