#include "OrdemEspacial.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace gouraud::detail {

namespace {

constexpr std::uint32_t kCelulas = 1U << OrdemEspacial::kBitsPorEixo;
// The sort takes the 3 x kBitsPorEixo bits of a code in passes of this many bits.
constexpr int kBitsPorPassada = 10;
constexpr int kPassadas = 3;
static_assert(kBitsPorPassada * kPassadas == 3 * OrdemEspacial::kBitsPorEixo);
constexpr std::size_t kBaldes = std::size_t{1} << kBitsPorPassada;
constexpr std::uint64_t kMascaraIndice = 0xFFFFFFFFULL;

// The bits of v (below 2^10) spread to every third bit.
std::uint32_t espalhar(std::uint32_t v) {
    v = (v | (v << 16U)) & 0x030000FFU;
    v = (v | (v << 8U)) & 0x0300F00FU;
    v = (v | (v << 4U)) & 0x030C30C3U;
    v = (v | (v << 2U)) & 0x09249249U;
    return v;
}

// The cell along one axis of a coordinate whose offset from the box's corner is `deslocamento`,
// `escala` cells per unit: clamped to the grid, 0 when not a number.
std::uint32_t celula(double deslocamento, double escala) {
    const double c = deslocamento * escala;
    if (!(c > 0.0)) {
        return 0;
    }
    return c >= kCelulas - 1 ? kCelulas - 1 : static_cast<std::uint32_t>(c);
}

}  // namespace

std::uint32_t OrdemEspacial::codigo(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return espalhar(x) | (espalhar(y) << 1U) | (espalhar(z) << 2U);
}

std::vector<std::int32_t> OrdemEspacial::calcular(const Malha& malha) {
    const int quant = malha.getQuantTriangulos();
    std::vector<std::int32_t> ordem(static_cast<std::size_t>(quant));
    if (quant == 0) {
        return ordem;
    }
    const Ponto* pontos = malha.getPontos();
    const Triangulo* triangulos = malha.getTriangulos();
    // The box of the points, and one cell size for the three axes so that cells are cubes.
    std::array<double, 3> menor = {pontos[0].x, pontos[0].y, pontos[0].z};
    std::array<double, 3> maior = menor;
    for (int i = 1; i < malha.getQuantPontos(); ++i) {
        const std::array<double, 3> p = {pontos[i].x, pontos[i].y, pontos[i].z};
        for (std::size_t e = 0; e < p.size(); ++e) {
            menor[e] = std::min(menor[e], p[e]);
            maior[e] = std::max(maior[e], p[e]);
        }
    }
    const double lado = std::max({maior[0] - menor[0], maior[1] - menor[1], maior[2] - menor[2]});
    // Three times a centroid's offset times this is its offset in cells.
    const double escala = lado > 0.0 && std::isfinite(lado) ? kCelulas / lado / 3.0 : 0.0;
    // Each triangle as its code above its number, sorted by the code alone a digit at a time
    // from the lowest (stable, so that a cell keeps the file's order).
    std::vector<std::uint64_t> chaves(static_cast<std::size_t>(quant));
    for (int t = 0; t < quant; ++t) {
        const Triangulo& tri = triangulos[t];
        const Ponto& a = pontos[tri.indiceP1];
        const Ponto& b = pontos[tri.indiceP2];
        const Ponto& c = pontos[tri.indiceP3];
        const std::uint32_t cx =
            celula(((a.x - menor[0]) + (b.x - menor[0])) + (c.x - menor[0]), escala);
        const std::uint32_t cy =
            celula(((a.y - menor[1]) + (b.y - menor[1])) + (c.y - menor[1]), escala);
        const std::uint32_t cz =
            celula(((a.z - menor[2]) + (b.z - menor[2])) + (c.z - menor[2]), escala);
        chaves[static_cast<std::size_t>(t)] =
            (static_cast<std::uint64_t>(codigo(cx, cy, cz)) << 32U) | static_cast<std::uint32_t>(t);
    }
    std::vector<std::uint64_t> outras(chaves.size());
    for (int passada = 0; passada < kPassadas; ++passada) {
        const unsigned deslocamento = 32U + static_cast<unsigned>(passada * kBitsPorPassada);
        std::array<std::size_t, kBaldes> inicio{};
        for (const std::uint64_t chave : chaves) {
            ++inicio[(chave >> deslocamento) & (kBaldes - 1)];
        }
        std::size_t total = 0;
        for (std::size_t& n : inicio) {
            const std::size_t quantos = n;
            n = total;
            total += quantos;
        }
        for (const std::uint64_t chave : chaves) {
            outras[inicio[(chave >> deslocamento) & (kBaldes - 1)]++] = chave;
        }
        chaves.swap(outras);
    }
    for (std::size_t k = 0; k < chaves.size(); ++k) {
        ordem[k] = static_cast<std::int32_t>(chaves[k] & kMascaraIndice);
    }
    return ordem;
}

}  // namespace gouraud::detail
