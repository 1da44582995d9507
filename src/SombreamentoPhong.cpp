#include "SombreamentoPhong.h"

namespace {

Vetor diferenca(const Ponto& de, const Ponto& ate) {
    return Vetor(ate.x - de.x, ate.y - de.y, ate.z - de.z);
}

Vetor diferenca(const Vetor& de, const Vetor& ate) {
    return Vetor(ate.x - de.x, ate.y - de.y, ate.z - de.z);
}

// va + (q1 d1 + q2 d2) s, d1 = vb - va and d2 = vc - va.
double interpolar(double va, double d1, double d2, double q1, double q2, double s) {
    return va + (q1 * d1 + q2 * d2) * s;
}

double noCorte(double dentro, double fora, double t) { return dentro + t * (fora - dentro); }

}  // namespace

SombreamentoPhong::SombreamentoPhong(const Iluminacao& iluminacao, const Ponto& foco,
                                     const Ponto& posicaoLuz, const Canto& a, const Canto& b,
                                     const Canto& c)
    : iluminacao(iluminacao),
      foco(foco),
      posicaoLuz(posicaoLuz),
      a(a),
      dp1(diferenca(a.posicao, b.posicao)),
      dp2(diferenca(a.posicao, c.posicao)),
      dn1(diferenca(a.normal, b.normal)),
      dn2(diferenca(a.normal, c.normal)) {}

Vetor SombreamentoPhong::cor(double q1, double q2, double s) const {
    const Ponto p(interpolar(a.posicao.x, dp1.x, dp2.x, q1, q2, s),
                  interpolar(a.posicao.y, dp1.y, dp2.y, q1, q2, s),
                  interpolar(a.posicao.z, dp1.z, dp2.z, q1, q2, s));
    const Vetor n(interpolar(a.normal.x, dn1.x, dn2.x, q1, q2, s),
                  interpolar(a.normal.y, dn1.y, dn2.y, q1, q2, s),
                  interpolar(a.normal.z, dn1.z, dn2.z, q1, q2, s));
    return iluminacao.corNoPonto(p, n, foco, posicaoLuz);
}

SombreamentoPhong::Canto SombreamentoPhong::cortar(const Canto& dentro, const Canto& fora,
                                                   double t) {
    return Canto{Ponto(noCorte(dentro.posicao.x, fora.posicao.x, t),
                       noCorte(dentro.posicao.y, fora.posicao.y, t),
                       noCorte(dentro.posicao.z, fora.posicao.z, t)),
                 Vetor(noCorte(dentro.normal.x, fora.normal.x, t),
                       noCorte(dentro.normal.y, fora.normal.y, t),
                       noCorte(dentro.normal.z, fora.normal.z, t))};
}
