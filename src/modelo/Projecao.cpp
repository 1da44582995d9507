#include "Projecao.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "GruposPontos.h"

namespace gouraud::detail {

namespace {

// The automatic window is this much larger than the points' spread.
constexpr double kMargem = 1.05;

bool positivoFinito(double valor) { return valor > 0.0 && std::isfinite(valor); }

// The L1 length of an axis.
double normaL1(const Vetor& v) { return std::abs(v.x) + std::abs(v.y) + std::abs(v.z); }

// Calls incluir for the scene's points that can widen [a0, a1] x [b0, b1], the spread of the
// projected points, and skips the others, which could not change it: the least and the greatest
// of a set are the same whatever order its numbers come in, and whether or not a number that
// widens nothing is among them. A group of points (GruposPontos) is skipped when its box lies
// wholly beyond the near plane and the projections of the box's corners, widened by a bound on
// the rounding of any point's projection, fall inside the spread already found: a ratio x/z
// over a box in front of the eye is largest and least at its corners. The groups whose corners
// reach furthest go first, so that the spread is nearly whole before the others are tested.
template <typename Incluir>
void incluirPontos(const Malha& malha, const Camera& camera, double zPerto, Incluir& incluir,
                   const double& a0, const double& a1, const double& b0, const double& b1) {
    const Ponto* pontos = malha.getPontos();
    if (pontos == nullptr) {
        return;
    }
    const GruposPontos& grupos = malha.getGruposPontos();
    const std::vector<GruposPontos::Grupo>& lista = grupos.getGrupos();
    const std::vector<std::int32_t>& indices = grupos.getIndices();
    // The rounding of a camera coordinate is at most a few units in the last place of the sum
    // of its terms' sizes, |axis|_1 . max |p - foco|; kFolga is hundreds of times that.
    constexpr double kFolga = 1e-13;
    const double eixos = std::max({normaL1(camera.u), normaL1(camera.v), normaL1(camera.n)});
    struct Limites {
        double a0, a1, b0, b1, folgaA, folgaB;
        bool naFrente;
    };
    constexpr double kInfinito = std::numeric_limits<double>::infinity();
    std::vector<Limites> limites(lista.size());
    std::size_t extremos[4] = {lista.size(), lista.size(), lista.size(), lista.size()};
    for (std::size_t g = 0; g < lista.size(); ++g) {
        const GruposPontos::Grupo& grupo = lista[g];
        Limites l{kInfinito, -kInfinito, kInfinito, -kInfinito, 0.0, 0.0, false};
        double zMenor = kInfinito;
        double distancia = 0.0;
        for (int canto = 0; canto < 8; ++canto) {
            const Ponto q((canto & 1) != 0 ? grupo.maior.x : grupo.menor.x,
                          (canto & 2) != 0 ? grupo.maior.y : grupo.menor.y,
                          (canto & 4) != 0 ? grupo.maior.z : grupo.menor.z);
            const Vetor c = camera.coordenadas(q);
            distancia = std::max({distancia, std::abs(q.x - camera.foco.x),
                                  std::abs(q.y - camera.foco.y), std::abs(q.z - camera.foco.z)});
            zMenor = std::min(zMenor, c.z);
            l.a0 = std::min(l.a0, c.x / c.z);
            l.a1 = std::max(l.a1, c.x / c.z);
            l.b0 = std::min(l.b0, c.y / c.z);
            l.b1 = std::max(l.b1, c.y / c.z);
        }
        const double erro = kFolga * eixos * distancia;
        // Every point's z is within erro of the exact one, which is at least the corners' least.
        l.naFrente = zMenor - 2.0 * erro >= zPerto && zMenor - 2.0 * erro > 0.0 &&
                     std::isfinite(l.a0 + l.a1 + l.b0 + l.b1 + erro);
        if (l.naFrente) {
            const double base = zMenor - 2.0 * erro;
            const double tamanhoA = 1.0 + std::max(std::abs(l.a0), std::abs(l.a1));
            const double tamanhoB = 1.0 + std::max(std::abs(l.b0), std::abs(l.b1));
            l.folgaA = 4.0 * erro * tamanhoA / base + kFolga * tamanhoA;
            l.folgaB = 4.0 * erro * tamanhoB / base + kFolga * tamanhoB;
            const auto maisLonge = [&](std::size_t& atual, double valor, double Limites::*campo,
                                       bool maior) {
                if (atual == lista.size() || (maior ? valor > limites[atual].*campo
                                                    : valor < limites[atual].*campo)) {
                    atual = g;
                }
            };
            limites[g] = l;
            maisLonge(extremos[0], l.a0, &Limites::a0, false);
            maisLonge(extremos[1], l.a1, &Limites::a1, true);
            maisLonge(extremos[2], l.b0, &Limites::b0, false);
            maisLonge(extremos[3], l.b1, &Limites::b1, true);
        }
        limites[g] = l;
    }
    std::vector<std::uint8_t> lidos(lista.size(), 0);
    const auto ler = [&](std::size_t g) {
        if (lidos[g] != 0) {
            return;
        }
        lidos[g] = 1;
        for (std::int32_t j = lista[g].inicio; j < lista[g].fim; ++j) {
            incluir(pontos[indices[static_cast<std::size_t>(j)]]);
        }
    };
    for (const std::size_t g : extremos) {
        if (g < lista.size()) {
            ler(g);
        }
    }
    for (std::size_t g = 0; g < lista.size(); ++g) {
        const Limites& l = limites[g];
        const bool dentro = l.naFrente && l.a0 - l.folgaA > a0 && l.a1 + l.folgaA < a1 &&
                            l.b0 - l.folgaB > b0 && l.b1 + l.folgaB < b1;
        if (!dentro) {
            ler(g);
        }
    }
}

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
    incluirPontos(malha, camera, projecao.zPerto, incluir, a0, a1, b0, b1);
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
