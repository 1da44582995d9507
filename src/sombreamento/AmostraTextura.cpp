#include "AmostraTextura.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace gouraud::detail {

namespace {

constexpr double kByte = 255.0;
// Whole numbers of smaller magnitude convert to 64 bits exactly, where the remainder is cheap.
constexpr double kInteiroSeguro = 9007199254740992.0;  // 2^53

// b / 255 for every byte b, each the very quotient the division gives.
constexpr std::array<double, 256> kCanais = [] {
    std::array<double, 256> canais{};
    for (std::size_t b = 0; b < canais.size(); ++b) {
        canais[b] = static_cast<double>(b) / kByte;
    }
    return canais;
}();

// The remainder of the whole number i by m (both as doubles, m > 0), in [0, m).
double resto(double i, double m) {
    if (std::fabs(i) < kInteiroSeguro) {
        const auto divisor = static_cast<std::int64_t>(m);
        std::int64_t r = static_cast<std::int64_t>(i) % divisor;
        return static_cast<double>(r < 0 ? r + divisor : r);
    }
    // fmod of whole numbers is exact at any size.
    const double r = std::fmod(i, m);
    return r < 0.0 ? r + m : r;
}

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
            // Mirrored every other period.
            const double r = resto(i, 2.0 * lado);
            return static_cast<int>(r < lado ? r : 2.0 * lado - 1.0 - r);
        }
        case Aparencia::Repeticao::repetir:
            break;
    }
    return static_cast<int>(resto(i, lado));
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
    // On a repeating axis the next texel is the one after, or the first after the last.
    const int i0 = indice(x0, w, repeticaoU);
    const int i1 = repeticaoU == Aparencia::Repeticao::repetir ? (i0 + 1 == w ? 0 : i0 + 1)
                                                               : indice(x0 + 1.0, w, repeticaoU);
    const int j0 = indice(y0, h, repeticaoV);
    const int j1 = repeticaoV == Aparencia::Repeticao::repetir ? (j0 + 1 == h ? 0 : j0 + 1)
                                                               : indice(y0 + 1.0, h, repeticaoV);
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
        canais[k] = ((p00 * kCanais[t00[k]] + p10 * kCanais[t10[k]]) + p01 * kCanais[t01[k]]) +
                    p11 * kCanais[t11[k]];
    }
    return Vetor(canais[0], canais[1], canais[2]);
}

}  // namespace gouraud::detail
