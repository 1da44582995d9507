#include "Arestas.h"

#include <cmath>
#include <limits>

namespace gouraud::detail {

namespace {

// Relative slack around kDistancia times the length, far wider than the few roundings in the
// comparison, so that the quotient need not be worked out outside it.
constexpr double kFolgaRelativa = 1.0 / 281474976710656.0;  // 2^-48
// Lengths below this (or not finite) always work the quotient out, away from underflow.
constexpr double kMenorComprimento = 1e-100;

// Camera coordinates of the point where the plane cn = z cuts the edge from `dentro` (in front)
// to `fora`.
Vetor cortar(const Vetor& dentro, const Vetor& fora, double z) {
    const double s = (z - dentro.z) / (fora.z - dentro.z);
    return Vetor(dentro.x + s * (fora.x - dentro.x), dentro.y + s * (fora.y - dentro.y), z);
}

}  // namespace

Arestas Arestas::doTriangulo(double xa, double ya, double xb, double yb, double xc, double yc) {
    Arestas arestas;
    arestas.adicionar(xa, ya, xb, yb);
    arestas.adicionar(xb, yb, xc, yc);
    arestas.adicionar(xc, yc, xa, ya);
    return arestas;
}

Arestas Arestas::doTrianguloNoEspaco(const Vetor& a, const Vetor& b, const Vetor& c,
                                     const Projecao& projecao) {
    Arestas arestas;
    const double z = projecao.zPerto;
    const Vetor* cantos[] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) {
        const Vetor& p = *cantos[k];
        const Vetor& q = *cantos[(k + 1) % 3];
        const bool frenteP = p.z >= z;
        const bool frenteQ = q.z >= z;
        if (!frenteP && !frenteQ) {
            continue;
        }
        const Vetor inicio = frenteP ? p : cortar(q, p, z);
        const Vetor fim = frenteQ ? q : cortar(p, q, z);
        arestas.adicionar(projecao.xTela(inicio.x, inicio.z), projecao.yTela(inicio.y, inicio.z),
                          projecao.xTela(fim.x, fim.z), projecao.yTela(fim.y, fim.z));
    }
    return arestas;
}

void Arestas::adicionar(double x0, double y0, double x1, double y1) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double comprimento = std::sqrt(dx * dx + dy * dy);
    // A zero (or NaN) length makes every quotient NaN: near nothing.
    if (!(comprimento > 0.0)) {
        return;
    }
    Linha& linha = linhas[static_cast<std::size_t>(quant++)];
    // Until the bounds are known, every product works the quotient out.
    linha = Linha{x0, y0, dx, dy, comprimento, -1.0, std::numeric_limits<double>::infinity()};
    if (comprimento >= kMenorComprimento && std::isfinite(comprimento)) {
        linha.dentro = kDistancia * comprimento * (1.0 - kFolgaRelativa);
        linha.fora = kDistancia * comprimento * (1.0 + kFolgaRelativa);
    }
}

bool Arestas::perto(double px, double py) const {
    for (int k = 0; k < quant; ++k) {
        const Linha& l = linhas[static_cast<std::size_t>(k)];
        const double produto = std::fabs(l.dx * (py - l.y0) - l.dy * (px - l.x0));
        if (produto <= l.dentro) {
            return true;
        }
        if (produto < l.fora && produto / l.comprimento <= kDistancia) {
            return true;
        }
    }
    return false;
}

}  // namespace gouraud::detail
