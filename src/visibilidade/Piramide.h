#ifndef GOURAUD_PIRAMIDE_H
#define GOURAUD_PIRAMIDE_H

#include <cstddef>
#include <vector>

#include "Quadro.h"

namespace gouraud::detail {

// The hierarchical depth buffer of a frame: level k (from 1) holds, for each square of 2^k x 2^k
// pixels (cut short at the frame's right and bottom sides), the least 1/cn the frame stores over
// it. The least depth over any rectangle of pixels is then read from at most 8 x 8 entries of one
// level: a lower bound of every depth in the rectangle.
// It is built a band of Classificacao::kLinhasPorFaixa rows at a time (levels 1 to
// kNiveisPorFaixa lie within a band), by any thread, then completed above.
class Piramide {
public:
    // The levels a band of rows holds on its own: 2^kNiveisPorFaixa rows make a band.
    static constexpr int kNiveisPorFaixa = 4;

    // Sizes the levels for a frame of largura x altura (each 1 to Quadro::kMaiorLado); it
    // allocates only when the size changes.
    void preparar(int largura, int altura);
    // Levels 1 to kNiveisPorFaixa over rows [linha0, linha1) of `quadro` (linha0 a multiple of
    // 2^kNiveisPorFaixa, linha1 the band's end or the frame's), from its depths.
    void construirFaixa(const Quadro& quadro, int linha0, int linha1);
    // The levels above, once every band is built.
    void completar();
    // A lower bound of the depths of pixels [i0, i1] x [j0, j1] (within the frame, i0 <= i1,
    // j0 <= j1): the least entry of the level whose squares cover them in at most 8 x 8.
    double menor(int i0, int j0, int i1, int j1) const;

private:
    struct Nivel {
        int largura = 0;
        int altura = 0;
        std::vector<double> menores;
    };
    // Rows [linha0, linha1) of level k from level k - 1 (level 0 is `quadro`, which may be null
    // for k > 1).
    void construirNivel(const Quadro* quadro, int k, int linha0, int linha1);

    int largura = 0;
    int altura = 0;
    // niveis[k - 1] is level k.
    std::vector<Nivel> niveis;
};

}  // namespace gouraud::detail

#endif
