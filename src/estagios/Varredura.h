#ifndef GOURAUD_VARREDURA_H
#define GOURAUD_VARREDURA_H

#include <cstdint>

#include "Cobertura.h"
#include "FaixaVisivel.h"
#include "Quadro.h"
#include "TesteProfundidade.h"

namespace gouraud::detail {

// Coverage and the depth test of one triangle of up to 64 pixels a side over a band's rows, eight
// pixels of a row at a time in AVX2 lanes.
//   In:  the triangle's coarse and exact corners, its depth test (TesteProfundidade, whose
//        coefficients and area sign it reads), its winner number and the band.
//   Out: as Cobertura then TesteProfundidade give it, bit for bit: every pixel of the band's
//        rows whose centre the triangle covers and where its 1/cn is greater than the stored
//        one (or equal, and the triangle before the winner in the file) records the triangle as
//        its winner, with its weights.
// Coverage comes from the coarse edge values where they are clear of the bound on their error,
// from the exact test for the few pixels in between; the weights and 1/cn four pixels at a time
// in double lanes, each the same IEEE operation as one at a time.
// Only on a processor with AVX2 (disponivel).
class Varredura {
public:
    // The widest and highest a triangle may be, in 1/256 pixel, for every edge value here to
    // stay below 2^30.
    static constexpr std::int32_t kMaiorExtensao = 1 << 14;
    // The narrowest a triangle must be, in 1/256 pixel, for its eight-pixel steps to pay: on
    // narrower ones most lanes fall outside the triangle, and one pixel at a time was faster
    // (the zoomed view of a million-triangle scan took 42 ms here against 33 ms).
    static constexpr std::int32_t kMenorLargura = 8 << 8;

    // Whether this processor can run desenhar.
    static bool disponivel();
    // The visibility pass for the triangle of coarse corners ga, gb, gc and exact ones ea, eb,
    // ec, less than kMaiorExtensao apart on each axis, whose depth test is `teste` (with an
    // area), as winner `vencedor` of `faixa`.
    static void desenhar(const PosicaoGrossa& ga, const PosicaoGrossa& gb, const PosicaoGrossa& gc,
                         const PosicaoExata& ea, const PosicaoExata& eb, const PosicaoExata& ec,
                         const TesteProfundidade& teste, std::int32_t vencedor, FaixaVisivel& faixa,
                         Quadro& quadro);
    // TesteProfundidade::intervalo's depth test of the run `pixels` of row j, four pixels at a
    // time in double lanes: the same bits, without a branch per pixel on whether it wins.
    static void intervalo(const TesteProfundidade& teste, int j, Intervalo pixels,
                          std::int32_t vencedor, FaixaVisivel& faixa, Quadro& quadro);
};

}  // namespace gouraud::detail

#endif
