#include "Iluminacao.h"

#include <cmath>
#include <cstdint>

namespace gouraud::detail {

namespace {

double potencia(double base, double expoente);
Par potencia(Par base, double expoente);

#include "IluminacaoModelo.inl"

double potencia(double base, double expoente) {
    return expoenteInteiro(expoente) ? potenciaInteira(base, expoente) : std::pow(base, expoente);
}

Par potencia(Par base, double expoente) {
    if (expoenteInteiro(expoente)) {
        return potenciaInteira(base, expoente);
    }
    return Par(std::pow(base.lane(0), expoente), std::pow(base.lane(1), expoente));
}

}  // namespace

Iluminacao::Iluminacao()
    : luz(0.0, 0.0, 0.0),
      ka(0.2),
      ia(255.0, 255.0, 255.0),
      kd(0.8),
      od(0.9, 0.75, 0.55),
      ks(0.35),
      eta(16.0),
      il(255.0, 255.0, 255.0) {}

Vetor Iluminacao::corDoVertice(const Ponto& p, const Vetor* normal, const Ponto& foco,
                               const Ponto& posicaoLuz) const {
    return corDoVertice(p, normal, foco, posicaoLuz, od);
}

Vetor Iluminacao::corDoVertice(const Ponto& p, const Vetor* normal, const Ponto& foco,
                               const Ponto& posicaoLuz, const Vetor& corObjeto) const {
    const Terno<double> n = normal != nullptr ? Terno<double>{normal->x, normal->y, normal->z}
                                              : Terno<double>{0.0, 0.0, 0.0};
    const Terno<double> difuso =
        fatorDifuso(*this, Terno<double>{corObjeto.x, corObjeto.y, corObjeto.z});
    const Terno<double> cor = colorir(*this, difuso, Terno<double>{p.x, p.y, p.z}, n,
                                      normal != nullptr, foco, posicaoLuz);
    return Vetor(cor.x, cor.y, cor.z);
}

void Iluminacao::partesDoVertice(const Ponto& p, const Vetor* normal, const Ponto& foco,
                                 const Ponto& posicaoLuz, Vetor& e, Vetor& d) const {
    const Terno<double> n = normal != nullptr ? Terno<double>{normal->x, normal->y, normal->z}
                                              : Terno<double>{0.0, 0.0, 0.0};
    Terno<double> te{};
    Terno<double> td{};
    partes(*this, Terno<double>{p.x, p.y, p.z}, n, normal != nullptr, foco, posicaoLuz, te, td);
    e = Vetor(te.x, te.y, te.z);
    d = Vetor(td.x, td.y, td.z);
}

Vetor Iluminacao::corNoPonto(const Ponto& p, const Vetor& normal, const Ponto& foco,
                             const Ponto& posicaoLuz) const {
    return corNoPonto(p, normal, foco, posicaoLuz, od);
}

Vetor Iluminacao::corNoPonto(const Ponto& p, const Vetor& normal, const Ponto& foco,
                             const Ponto& posicaoLuz, const Vetor& corObjeto) const {
    const Terno<double> n{normal.x, normal.y, normal.z};
    const Terno<double> u = unitario(n);
    const bool usavel = (n.x != 0.0 || n.y != 0.0 || n.z != 0.0) && std::isfinite(u.x) &&
                        std::isfinite(u.y) && std::isfinite(u.z);
    const Vetor unitaria(u.x, u.y, u.z);
    return corDoVertice(p, usavel ? &unitaria : nullptr, foco, posicaoLuz, corObjeto);
}

bool Iluminacao::normalIluminada(const Ponto& p, const Vetor& normal, const Ponto& foco,
                                 Vetor& unitaria) {
    const Terno<double> n{normal.x, normal.y, normal.z};
    const Terno<double> u = unitario(n);
    const bool usavel = (n.x != 0.0 || n.y != 0.0 || n.z != 0.0) && std::isfinite(u.x) &&
                        std::isfinite(u.y) && std::isfinite(u.z);
    if (!usavel) {
        return false;
    }
    // The turn geometria makes, with the same arithmetic.
    const Terno<double> paraFoco{foco.x - p.x, foco.y - p.y, foco.z - p.z};
    const bool inverter = produtoInterno(u, paraFoco) < 0.0;
    unitaria = inverter ? Vetor(-u.x, -u.y, -u.z) : Vetor(u.x, u.y, u.z);
    return true;
}

void Iluminacao::corDePar(Par px, Par py, Par pz, Par nx, Par ny, Par nz, MascaraPar temNormal,
                          const Ponto& foco, const Ponto& posicaoLuz, Par& r, Par& g,
                          Par& b) const {
    const Terno<Par> cor =
        colorir(*this, Terno<Par>{px, py, pz}, Terno<Par>{nx, ny, nz}, temNormal, foco, posicaoLuz);
    r = cor.x;
    g = cor.y;
    b = cor.z;
}

void Iluminacao::corDePar(Par px, Par py, Par pz, Par nx, Par ny, Par nz, MascaraPar temNormal,
                          Par odR, Par odG, Par odB, const Ponto& foco, const Ponto& posicaoLuz,
                          Par& r, Par& g, Par& b) const {
    const Terno<Par> cor =
        colorir(*this, fatorDifuso(*this, Terno<Par>{odR, odG, odB}), Terno<Par>{px, py, pz},
                Terno<Par>{nx, ny, nz}, temNormal, foco, posicaoLuz);
    r = cor.x;
    g = cor.y;
    b = cor.z;
}

}  // namespace gouraud::detail
