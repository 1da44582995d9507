#ifndef GOURAUD_SOMBREAMENTO_PHONG_H
#define GOURAUD_SOMBREAMENTO_PHONG_H

#include "Iluminacao.h"
#include "Ponto.h"
#include "Vetor.h"

// Phong shading of one triangle: at each pixel the world position and the normal are
// interpolated from the corners with the perspective-correct weights the Gouraud colours use,
// and the lighting is worked out there with that normal made unit length.
class SombreamentoPhong {
public:
    // A corner: its world position and its unit point normal before the two-sided reversal (the
    // zero vector for a point without one).
    struct Canto {
        Ponto posicao;
        Vetor normal;
    };

    // The triangle (a, b, c) lit by `iluminacao` from `posicaoLuz` and seen from `foco`; all of
    // them must outlive this object.
    SombreamentoPhong(const Iluminacao& iluminacao, const Ponto& foco, const Ponto& posicaoLuz,
                      const Canto& a, const Canto& b, const Canto& c);

    // The colour, each channel in [0, 255], at a pixel where b and c weigh q1 and q2 (their
    // screen-space weights times their 1/cn) and s is 1/(1/cn) there: each value v is
    // va + (q1 (vb - va) + q2 (vc - va)) s. An interpolated normal that is zero gives Ka.Ia.
    Vetor cor(double q1, double q2, double s) const;

    // The corner where the near plane cuts the edge from `dentro` to `fora` at the fraction t of
    // the way: positions and normals interpolated linearly, v = vd + t (vf - vd).
    static Canto cortar(const Canto& dentro, const Canto& fora, double t);

private:
    const Iluminacao& iluminacao;
    const Ponto& foco;
    const Ponto& posicaoLuz;
    const Canto& a;
    // Differences from corner a to corners b and c of the position and the normal.
    Vetor dp1;
    Vetor dp2;
    Vetor dn1;
    Vetor dn2;
};

#endif
