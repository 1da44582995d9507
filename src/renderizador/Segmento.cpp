#include "Segmento.h"

namespace gouraud::detail {

namespace {

// Camera coordinates (x, y, z) of the point where the near plane cn = z cuts the segment from
// `dentro` (in front) to `fora`.
Vetor cortar(const Vetor& dentro, const Vetor& fora, double z) {
    const double s = (z - dentro.z) / (fora.z - dentro.z);
    return Vetor(dentro.x + s * (fora.x - dentro.x), dentro.y + s * (fora.y - dentro.y), z);
}

}  // namespace

bool Segmento::recortar(const Vetor& a, const Vetor& b, double zPerto, Vetor& inicio, Vetor& fim) {
    const bool frenteA = a.z >= zPerto;
    const bool frenteB = b.z >= zPerto;
    if (!frenteA && !frenteB) {
        return false;
    }
    inicio = frenteA ? a : cortar(b, a, zPerto);
    fim = frenteB ? b : cortar(a, b, zPerto);
    return true;
}

}  // namespace gouraud::detail
