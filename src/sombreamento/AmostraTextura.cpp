#include "AmostraTextura.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kByte = 255.0;

}  // namespace

int AmostraTextura::indice(double i, int n, Aparencia::Repeticao repeticao) {
    const double lado = n;
    // Interpolated coordinates of huge files may overflow: such a pixel reads texel 0.
    if (!std::isfinite(i)) {
        return 0;
    }
    switch (repeticao) {
        case Aparencia::Repeticao::limitar:
            return static_cast<int>(std::clamp(i, 0.0, lado - 1.0));
        case Aparencia::Repeticao::espelhar: {
            // fmod of whole numbers is exact at any size; mirrored every other period.
            double resto = std::fmod(i, 2.0 * lado);
            if (resto < 0.0) {
                resto += 2.0 * lado;
            }
            return static_cast<int>(resto < lado ? resto : 2.0 * lado - 1.0 - resto);
        }
        case Aparencia::Repeticao::repetir:
            break;
    }
    double resto = std::fmod(i, lado);
    if (resto < 0.0) {
        resto += lado;
    }
    return static_cast<int>(resto);
}

Vetor AmostraTextura::amostrar(const Textura& textura, Aparencia::Repeticao repeticaoU,
                               Aparencia::Repeticao repeticaoV, double u, double v) {
    const int w = textura.getLargura();
    const int h = textura.getAltura();
    const double x = u * w - 0.5;
    const double y = (1.0 - v) * h - 0.5;
    const double x0 = std::floor(x);
    const double y0 = std::floor(y);
    const double fx = x - x0;
    const double fy = y - y0;
    const int i0 = indice(x0, w, repeticaoU);
    const int i1 = indice(x0 + 1.0, w, repeticaoU);
    const int j0 = indice(y0, h, repeticaoV);
    const int j1 = indice(y0 + 1.0, h, repeticaoV);
    const std::uint8_t* t00 = textura.texel(i0, j0);
    const std::uint8_t* t10 = textura.texel(i1, j0);
    const std::uint8_t* t01 = textura.texel(i0, j1);
    const std::uint8_t* t11 = textura.texel(i1, j1);
    const double p00 = (1.0 - fx) * (1.0 - fy);
    const double p10 = fx * (1.0 - fy);
    const double p01 = (1.0 - fx) * fy;
    const double p11 = fx * fy;
    double canais[3];
    for (int k = 0; k < 3; ++k) {
        canais[k] = ((p00 * (t00[k] / kByte) + p10 * (t10[k] / kByte)) + p01 * (t01[k] / kByte)) +
                    p11 * (t11[k] / kByte);
    }
    return Vetor(canais[0], canais[1], canais[2]);
}
