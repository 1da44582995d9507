#ifndef GOURAUD_COR_PHONG_H
#define GOURAUD_COR_PHONG_H

#include "Iluminacao.h"
#include "Ponto.h"
#include "Vetor.h"

namespace gouraud::detail {

// Phong shading at a pixel: the world position and the normal interpolated from a triangle's
// corners with the perspective-correct weights the Gouraud colours use, then the lighting
// there with that normal made unit length.
class CorPhong {
public:
    // What a corner carries: its world position (x, y, z), then its unit point normal (x, y, z)
    // before the two-sided reversal, the zero vector for a point without one.
    static constexpr int kAtributos = 6;

    // The colour, each channel in [0, 255], at a pixel where the corners' attributes are a, b and
    // c (kAtributos each), b and c weigh q1 and q2 (their screen-space weights times their 1/cn)
    // and s is 1/(1/cn) there: each value v is va + (q1 (vb - va) + q2 (vc - va)) s. Lit by
    // `iluminacao` from `posicaoLuz`, seen from `foco`; an interpolated normal that is zero gives
    // Ka.Ia.
    static Vetor cor(const Iluminacao& iluminacao, const Ponto& foco, const Ponto& posicaoLuz,
                     const double* a, const double* b, const double* c, double q1, double q2,
                     double s);
    // The same with the object colour `od` in place of the settings' Od.
    static Vetor cor(const Iluminacao& iluminacao, const Ponto& foco, const Ponto& posicaoLuz,
                     const double* a, const double* b, const double* c, double q1, double q2,
                     double s, const Vetor& od);
};

}  // namespace gouraud::detail

#endif
