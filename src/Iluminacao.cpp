#include "Iluminacao.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kCanalMaximo = 255.0;
// Exponents up to this bound that are whole numbers are raised by repeated multiplication.
constexpr double kMaiorExpoenteInteiro = 1 << 30;

// Unit vector along (x, y, z): each component times the reciprocal of the length
// sqrt((x*x + y*y) + z*z), as Operadores::normalizacao; three NaN for the zero vector.
Vetor unitario(double x, double y, double z) {
    const double inverso = 1.0 / std::sqrt((x * x + y * y) + z * z);
    return Vetor(inverso * x, inverso * y, inverso * z);
}

double produtoInterno(const Vetor& a, const Vetor& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// base^expoente; for a whole exponent by binary exponentiation (the square-and-multiply steps
// from the lowest bit up), which is several times cheaper than pow and differs from it in the
// last bits only.
double potencia(double base, double expoente) {
    if (expoente >= 0 && expoente <= kMaiorExpoenteInteiro && std::floor(expoente) == expoente) {
        auto restante = static_cast<std::uint32_t>(expoente);
        double resultado = 1.0;
        while (restante != 0) {
            if ((restante & 1U) != 0) {
                resultado *= base;
            }
            restante >>= 1U;
            if (restante != 0) {
                base *= base;
            }
        }
        return resultado;
    }
    return std::pow(base, expoente);
}

// The channel limited to [0, 255]; a NaN gives 0.
double limitarCanal(double valor) {
    if (!(valor > 0.0)) {
        return 0.0;
    }
    return valor > kCanalMaximo ? kCanalMaximo : valor;
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
    Vetor cor(ka * ia.x, ka * ia.y, ka * ia.z);
    if (normal != nullptr) {
        const Vetor paraFoco(foco.x - p.x, foco.y - p.y, foco.z - p.z);
        Vetor n = *normal;
        // Two-sided: the normal faces the side the camera is on.
        if (produtoInterno(n, paraFoco) < 0.0) {
            n = Vetor(-n.x, -n.y, -n.z);
        }
        // With the light at the focus, L and Vv are the same vector: worked out once.
        const bool luzNoFocoAtual =
            posicaoLuz.x == foco.x && posicaoLuz.y == foco.y && posicaoLuz.z == foco.z;
        const Vetor l = unitario(posicaoLuz.x - p.x, posicaoLuz.y - p.y, posicaoLuz.z - p.z);
        const double nl = produtoInterno(n, l);
        if (nl > 0.0) {
            cor.x = cor.x + kd * od.x * il.x * nl;
            cor.y = cor.y + kd * od.y * il.y * nl;
            cor.z = cor.z + kd * od.z * il.z * nl;
            const Vetor v = luzNoFocoAtual ? l : unitario(paraFoco.x, paraFoco.y, paraFoco.z);
            const double dobro = 2.0 * nl;
            const Vetor r(dobro * n.x - l.x, dobro * n.y - l.y, dobro * n.z - l.z);
            const double rv = produtoInterno(r, v);
            if (rv > 0.0) {
                const double especular = potencia(rv, eta);
                cor.x = cor.x + ks * il.x * especular;
                cor.y = cor.y + ks * il.y * especular;
                cor.z = cor.z + ks * il.z * especular;
            }
        }
    }
    return Vetor(limitarCanal(cor.x), limitarCanal(cor.y), limitarCanal(cor.z));
}
