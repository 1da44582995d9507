#include "Iluminacao.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kCanalMaximo = 255.0;
// Exponents up to this bound that are whole numbers are raised by repeated multiplication.
constexpr double kMaiorExpoenteInteiro = 1 << 30;

// A triple of one number type: a double, or a Par holding two vertices' values.
template <typename R>
struct Terno {
    R x;
    R y;
    R z;
};

template <typename R>
R produtoInterno(const Terno<R>& a, const Terno<R>& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Unit vector along a: each component times the reciprocal of the length
// sqrt((x*x + y*y) + z*z), as Operadores::normalizacao; three NaN for the zero vector.
template <typename R>
Terno<R> unitario(const Terno<R>& a) {
    const R inverso = R(1.0) / raiz(produtoInterno(a, a));
    return {inverso * a.x, inverso * a.y, inverso * a.z};
}

bool expoenteInteiro(double expoente) {
    return expoente >= 0 && expoente <= kMaiorExpoenteInteiro && std::floor(expoente) == expoente;
}

// base^expoente for a whole exponent by binary exponentiation (the square-and-multiply steps
// from the lowest bit up), which is several times cheaper than pow and differs from it in the
// last bits only.
template <typename R>
R potenciaInteira(R base, double expoente) {
    auto restante = static_cast<std::uint32_t>(expoente);
    R resultado(1.0);
    while (restante != 0) {
        if ((restante & 1U) != 0) {
            resultado = resultado * base;
        }
        restante >>= 1U;
        if (restante != 0) {
            base = base * base;
        }
    }
    return resultado;
}

double potencia(double base, double expoente) {
    return expoenteInteiro(expoente) ? potenciaInteira(base, expoente) : std::pow(base, expoente);
}

Par potencia(Par base, double expoente) {
    if (expoenteInteiro(expoente)) {
        return potenciaInteira(base, expoente);
    }
    return Par(std::pow(base.lane(0), expoente), std::pow(base.lane(1), expoente));
}

// The channel limited to [0, 255]; a NaN gives 0.
template <typename R>
R limitarCanal(R valor) {
    const R limitado = selecionar(valor > R(kCanalMaximo), R(kCanalMaximo), valor);
    return selecionar(valor > R(0.0), limitado, R(0.0));
}

// The Phong colour of vertices at p with unit normal n (counting where temNormal holds), seen
// from `foco` and lit from `posicaoLuz`, for one vertex (R = double) or two (R = Par). Each
// step is the same IEEE operation in the same order in either case.
template <typename R, typename M>
Terno<R> colorir(const Iluminacao& luz, const Terno<R>& p, Terno<R> n, M temNormal,
                 const Ponto& foco, const Ponto& posicaoLuz) {
    Terno<R> cor{R(luz.ka * luz.ia.x), R(luz.ka * luz.ia.y), R(luz.ka * luz.ia.z)};
    const Terno<R> paraFoco{R(foco.x) - p.x, R(foco.y) - p.y, R(foco.z) - p.z};
    // Two-sided: the normal faces the side the camera is on.
    const auto inverter = produtoInterno(n, paraFoco) < R(0.0);
    n = {selecionar(inverter, -n.x, n.x), selecionar(inverter, -n.y, n.y),
         selecionar(inverter, -n.z, n.z)};
    // With the light at the focus, L and Vv are the same vector: worked out once.
    const bool luzNoFocoAtual =
        posicaoLuz.x == foco.x && posicaoLuz.y == foco.y && posicaoLuz.z == foco.z;
    const Terno<R> l =
        unitario(Terno<R>{R(posicaoLuz.x) - p.x, R(posicaoLuz.y) - p.y, R(posicaoLuz.z) - p.z});
    const R nl = produtoInterno(n, l);
    const auto difusa = temNormal & (nl > R(0.0));
    if (!algum(difusa)) {
        return {limitarCanal(cor.x), limitarCanal(cor.y), limitarCanal(cor.z)};
    }
    cor = {selecionar(difusa, cor.x + R(luz.kd * luz.od.x * luz.il.x) * nl, cor.x),
           selecionar(difusa, cor.y + R(luz.kd * luz.od.y * luz.il.y) * nl, cor.y),
           selecionar(difusa, cor.z + R(luz.kd * luz.od.z * luz.il.z) * nl, cor.z)};
    const Terno<R> v = luzNoFocoAtual ? l : unitario(paraFoco);
    const R dobro = R(2.0) * nl;
    const Terno<R> r{dobro * n.x - l.x, dobro * n.y - l.y, dobro * n.z - l.z};
    const R rv = produtoInterno(r, v);
    const auto especular = difusa & (rv > R(0.0));
    if (algum(especular)) {
        const R termo = potencia(rv, luz.eta);
        cor = {selecionar(especular, cor.x + R(luz.ks * luz.il.x) * termo, cor.x),
               selecionar(especular, cor.y + R(luz.ks * luz.il.y) * termo, cor.y),
               selecionar(especular, cor.z + R(luz.ks * luz.il.z) * termo, cor.z)};
    }
    return {limitarCanal(cor.x), limitarCanal(cor.y), limitarCanal(cor.z)};
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
    const Terno<double> n = normal != nullptr ? Terno<double>{normal->x, normal->y, normal->z}
                                              : Terno<double>{0.0, 0.0, 0.0};
    const Terno<double> cor =
        colorir(*this, Terno<double>{p.x, p.y, p.z}, n, normal != nullptr, foco, posicaoLuz);
    return Vetor(cor.x, cor.y, cor.z);
}

Vetor Iluminacao::corNoPonto(const Ponto& p, const Vetor& normal, const Ponto& foco,
                             const Ponto& posicaoLuz) const {
    const Terno<double> n{normal.x, normal.y, normal.z};
    const Terno<double> u = unitario(n);
    const bool usavel = (n.x != 0.0 || n.y != 0.0 || n.z != 0.0) && std::isfinite(u.x) &&
                        std::isfinite(u.y) && std::isfinite(u.z);
    const Vetor unitaria(u.x, u.y, u.z);
    return corDoVertice(p, usavel ? &unitaria : nullptr, foco, posicaoLuz);
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
