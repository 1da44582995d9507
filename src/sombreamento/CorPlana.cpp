#include "CorPlana.h"

namespace gouraud::detail {

Ponto CorPlana::centroide(const Ponto& p1, const Ponto& p2, const Ponto& p3) {
    return Ponto(((p1.x + p2.x) + p3.x) / 3.0, ((p1.y + p2.y) + p3.y) / 3.0,
                 ((p1.z + p2.z) + p3.z) / 3.0);
}

Vetor CorPlana::cor(const Iluminacao& iluminacao, const Ponto& p1, const Ponto& p2, const Ponto& p3,
                    const Vetor& normal, const Ponto& foco, const Ponto& posicaoLuz) {
    return cor(iluminacao, p1, p2, p3, normal, foco, posicaoLuz, iluminacao.od);
}

Vetor CorPlana::cor(const Iluminacao& iluminacao, const Ponto& p1, const Ponto& p2, const Ponto& p3,
                    const Vetor& normal, const Ponto& foco, const Ponto& posicaoLuz,
                    const Vetor& od) {
    return iluminacao.corNoPonto(centroide(p1, p2, p3), normal, foco, posicaoLuz, od);
}

}  // namespace gouraud::detail
