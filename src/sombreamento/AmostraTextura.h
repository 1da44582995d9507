#ifndef GOURAUD_AMOSTRA_TEXTURA_H
#define GOURAUD_AMOSTRA_TEXTURA_H

#include "Aparencia.h"
#include "Textura.h"
#include "Vetor.h"

namespace gouraud::detail {

// A texture's colour at texture coordinates (u, v): u runs to the right and v upwards from the
// image's bottom row. Bilinear at the texel centres: with w x h texels, x = u.w - 0.5 and
// y = (1 - v).h - 0.5; the four texels (x0, y0), (x0 + 1, y0), (x0, y0 + 1) and
// (x0 + 1, y0 + 1) around (x, y), x0 = floor(x) and y0 = floor(y), weigh
// (1 - fx)(1 - fy), fx (1 - fy), (1 - fx) fy and fx fy, fx = x - x0 and fy = y - y0, added in
// that order; each channel b/255. A texel index outside the image wraps (repeat), goes to the
// nearest edge texel (clamp) or wraps mirrored every other time (mirror), axis by axis.
class AmostraTextura {
public:
    // The colour (r, g, b), each channel in [0, 1], of `textura` at the finite coordinates
    // (u, v), the axes repeating as `repeticaoU` and `repeticaoV` say.
    static Vetor amostrar(const Textura& textura, Aparencia::Repeticao repeticaoU,
                          Aparencia::Repeticao repeticaoV, double u, double v);
    // The texel index, in [0, n), that whole index i reaches on an axis of n texels (0 for an
    // i that is not finite).
    static int indice(double i, int n, Aparencia::Repeticao repeticao);
};

}  // namespace gouraud::detail

#endif
