#ifndef GOURAUD_COR_PLANA_H
#define GOURAUD_COR_PLANA_H

#include "Iluminacao.h"
#include "Ponto.h"
#include "Vetor.h"

namespace gouraud::detail {

// Flat shading: every pixel of a triangle gets one colour, the lighting at the triangle's
// centroid with the triangle's own normal.
class CorPlana {
public:
    // The centroid ((p1 + p2) + p3) / 3, component by component.
    static Ponto centroide(const Ponto& p1, const Ponto& p2, const Ponto& p3);

    // The colour (r, g, b), each channel in [0, 255], of the triangle p1 p2 p3 whose scene
    // normal (of any length) is `normal`, seen from `foco` and lit from `posicaoLuz`: the
    // lighting at its centroid with the normal made unit length and turned to face the focus;
    // Ka.Ia alone when the normal is zero or not finite.
    static Vetor cor(const Iluminacao& iluminacao, const Ponto& p1, const Ponto& p2,
                     const Ponto& p3, const Vetor& normal, const Ponto& foco,
                     const Ponto& posicaoLuz);
    // The same with the object colour `od` in place of the settings' Od.
    static Vetor cor(const Iluminacao& iluminacao, const Ponto& p1, const Ponto& p2,
                     const Ponto& p3, const Vetor& normal, const Ponto& foco,
                     const Ponto& posicaoLuz, const Vetor& od);
};

}  // namespace gouraud::detail

#endif
