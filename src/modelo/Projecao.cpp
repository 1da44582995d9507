#include "Projecao.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace gouraud::detail {

namespace {

// The automatic window is this much larger than the points' spread.
constexpr double kMargem = 1.05;

bool positivoFinito(double valor) { return valor > 0.0 && std::isfinite(valor); }

}  // namespace

Projecao Projecao::daCena(const Gouraud& cena, const Malha& malha, const Camera& camera,
                          int largura, int altura) {
    if (cena.projecaoLida() && positivoFinito(cena.getDistanciaProjecao()) &&
        positivoFinito(cena.getMeiaLargura()) && positivoFinito(cena.getMeiaAltura())) {
        Projecao projecao;
        projecao.largura = largura;
        projecao.altura = altura;
        projecao.zPerto = Projecao::kFracaoPerto * malha.getDiagonal();
        projecao.d = cena.getDistanciaProjecao();
        projecao.hx = cena.getMeiaLargura();
        projecao.hy = cena.getMeiaAltura();
        return projecao;
    }
    return enquadrar(malha, camera, largura, altura);
}

Projecao Projecao::enquadrar(const Malha& malha, const Camera& camera, int largura, int altura) {
    Projecao projecao;
    projecao.largura = largura;
    projecao.altura = altura;
    const double larguraD = largura;
    const double alturaD = altura;
    projecao.zPerto = Projecao::kFracaoPerto * malha.getDiagonal();
    constexpr double kInfinito = std::numeric_limits<double>::infinity();
    double a0 = kInfinito;
    double a1 = -kInfinito;
    double b0 = kInfinito;
    double b1 = -kInfinito;
    // Every point of the model counts: the scene's, the loose points and the segments' ends.
    const auto incluir = [&](const Ponto& p) {
        const Vetor c = camera.coordenadas(p);
        if (!(c.z >= projecao.zPerto)) {
            return;
        }
        const double a = c.x / c.z;
        const double b = c.y / c.z;
        a0 = std::min(a0, a);
        a1 = std::max(a1, a);
        b0 = std::min(b0, b);
        b1 = std::max(b1, b);
    };
    const Ponto* pontos = malha.getPontos();
    for (int i = 0; i < malha.getQuantPontos(); ++i) {
        incluir(pontos[i]);
    }
    const Primitivas& primitivas = malha.getPrimitivas();
    for (int i = 0; i < primitivas.getQuantPontos(); ++i) {
        incluir(primitivas.getPonto(i));
    }
    for (const Primitivas::Terno& p : primitivas.getExtremos()) {
        incluir(Primitivas::ponto(p));
    }
    projecao.d = 1.0;
    if (a0 <= a1 && b0 <= b1) {
        const double hy = kMargem * std::max((a1 - a0) / 2.0 * alturaD / larguraD, (b1 - b0) / 2.0);
        if (positivoFinito(hy)) {
            projecao.ox = (a0 + a1) / 2.0;
            projecao.oy = (b0 + b1) / 2.0;
            projecao.hy = hy;
            projecao.hx = hy * larguraD / alturaD;
            return projecao;
        }
    }
    projecao.hy = std::tan(std::numbers::pi / 6.0);
    projecao.hx = projecao.hy * larguraD / alturaD;
    return projecao;
}

bool Projecao::janelaDaCena(const Gouraud& cena) {
    return cena.projecaoLida() && positivoFinito(cena.getDistanciaProjecao()) &&
           positivoFinito(cena.getMeiaLargura()) && positivoFinito(cena.getMeiaAltura());
}

namespace {

// xs = ((d.cu/cn - ox)/hx + 1).W/2 for one point (R = double) or two (R = Par).
template <typename R>
R xTelaDe(const Projecao& p, R cu, R cn) {
    return ((R(p.d) * cu / cn - R(p.ox)) / R(p.hx) + R(1.0)) * R(p.largura) / R(2.0);
}

// ys = (1 - (d.cv/cn - oy)/hy).H/2 for one point (R = double) or two (R = Par).
template <typename R>
R yTelaDe(const Projecao& p, R cv, R cn) {
    return (R(1.0) - (R(p.d) * cv / cn - R(p.oy)) / R(p.hy)) * R(p.altura) / R(2.0);
}

}  // namespace

double Projecao::xTela(double cu, double cn) const { return xTelaDe(*this, cu, cn); }
double Projecao::yTela(double cv, double cn) const { return yTelaDe(*this, cv, cn); }
Par Projecao::xTela(Par cu, Par cn) const { return xTelaDe(*this, cu, cn); }
Par Projecao::yTela(Par cv, Par cn) const { return yTelaDe(*this, cv, cn); }

}  // namespace gouraud::detail
