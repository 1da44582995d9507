#ifndef GOURAUD_BLOCO_CAIXAS_H
#define GOURAUD_BLOCO_CAIXAS_H

#include <array>
#include <cstdint>

#include "Cobertura.h"

namespace gouraud::detail {

// The binning's first look at eight consecutive triangles at once, in AVX2 lanes.
//   In:  the triangles' corners (points of the vertex stage), the points' coarse positions and
//        the frame's size.
//   Out: per triangle, whether a corner needs clipping; the box of pixels whose centres may lie
//        in it, from the coarse positions (a superset of the exact one, clamped to the frame);
//        and for a small triangle (a box of at most 2 x 2 candidates, corners less than 3
//        pixels apart) which candidates the coarse corners show surely inside and which they
//        leave in doubt (Cobertura::cobertosNaCaixa decides the same way, one at a time).
// Only on a processor with AVX2 (disponivel); the binning has a path of its own elsewhere.
struct BlocoCaixas {
    static constexpr int kTriangulos = 8;
    // A small triangle's corners lie at most this far apart on each axis, in 1/256 pixel.
    static constexpr std::int32_t kMaiorExtensao = 3 * 256;

    // The boxes: columns [coluna0, coluna1] and rows [linha0, linha1], empty when either
    // first exceeds its last.
    alignas(32) std::array<std::int32_t, kTriangulos> coluna0;
    alignas(32) std::array<std::int32_t, kTriangulos> coluna1;
    alignas(32) std::array<std::int32_t, kTriangulos> linha0;
    alignas(32) std::array<std::int32_t, kTriangulos> linha1;
    // For a small triangle, bit 2 dj + di for candidate (coluna0 + di, linha0 + dj): surely
    // inside, and in doubt; both 0 for the others.
    alignas(32) std::array<std::int32_t, kTriangulos> dentro;
    alignas(32) std::array<std::int32_t, kTriangulos> duvida;
    // Bit t for triangle t: a corner needs clipping; none does and the box is not empty; the
    // triangle is small.
    unsigned especiais = 0;
    unsigned vivos = 0;
    unsigned pequenos = 0;

    // Whether this processor can run calcular.
    static bool disponivel();
    // Fills the block for the eight triangles whose corners are indices[0 .. 24), on a frame of
    // largura x altura.
    void calcular(const std::int32_t* indices, const PosicaoGrossa* grossas, int largura,
                  int altura);
};

}  // namespace gouraud::detail

#endif
