#ifndef GOURAUD_NORMAL_TRIANGULO_H
#define GOURAUD_NORMAL_TRIANGULO_H

#include <cmath>

#include "Ponto.h"
#include "Vetor.h"

namespace gouraud::detail {

// Unit vector along (x, y, z): each component times the reciprocal of the length
// sqrt((x*x + y*y) + z*z); three NaN for the zero vector. Bit-identical to
// Operadores::normalizacao.
inline Vetor unitario(double x, double y, double z) {
    const double inverso = 1.0 / std::sqrt((x * x + y * y) + z * z);
    return Vetor(inverso * x, inverso * y, inverso * z);
}

// The normal the scene stores for triangle (p1, p2, p3): the unit edge p1->p3 crossed with the
// unit edge p1->p2, in world space. Whoever needs it without the scene's list works it out
// again here, with the same bits.
inline Vetor normalDoTriangulo(const Ponto& p1, const Ponto& p2, const Ponto& p3) {
    const Vetor a = unitario(p2.x - p1.x, p2.y - p1.y, p2.z - p1.z);
    const Vetor b = unitario(p3.x - p1.x, p3.y - p1.y, p3.z - p1.z);
    return Vetor(b.y * a.z - b.z * a.y, b.z * a.x - b.x * a.z, b.x * a.y - b.y * a.x);
}

}  // namespace gouraud::detail

#endif
