#include "CorPhong.h"

namespace gouraud::detail {

namespace {

// va + (q1 (vb - va) + q2 (vc - va)) s for attribute k.
double interpolar(const double* a, const double* b, const double* c, int k, double q1, double q2,
                  double s) {
    return a[k] + (q1 * (b[k] - a[k]) + q2 * (c[k] - a[k])) * s;
}

constexpr int kX = 0;
constexpr int kY = 1;
constexpr int kZ = 2;
constexpr int kNormal = 3;

}  // namespace

Vetor CorPhong::cor(const Iluminacao& iluminacao, const Ponto& foco, const Ponto& posicaoLuz,
                    const double* a, const double* b, const double* c, double q1, double q2,
                    double s) {
    return cor(iluminacao, foco, posicaoLuz, a, b, c, q1, q2, s, iluminacao.od);
}

Vetor CorPhong::cor(const Iluminacao& iluminacao, const Ponto& foco, const Ponto& posicaoLuz,
                    const double* a, const double* b, const double* c, double q1, double q2,
                    double s, const Vetor& od) {
    const Ponto p(interpolar(a, b, c, kX, q1, q2, s), interpolar(a, b, c, kY, q1, q2, s),
                  interpolar(a, b, c, kZ, q1, q2, s));
    const Vetor n(interpolar(a, b, c, kNormal + kX, q1, q2, s),
                  interpolar(a, b, c, kNormal + kY, q1, q2, s),
                  interpolar(a, b, c, kNormal + kZ, q1, q2, s));
    return iluminacao.corNoPonto(p, n, foco, posicaoLuz, od);
}

}  // namespace gouraud::detail
