#include "Descarte.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace gouraud::detail {

namespace {

// How far inside a plane, relative to the size of the numbers involved, a box must lie to be
// left out: the arithmetic that places a point rounds a million times less.
constexpr double kTolerancia = 1e-9;
constexpr int kPlanos = 5;

// A plane of the view as a linear function of world points: a point p is beyond it when
// w . (p - F) > b, F the camera's focus.
struct Plano {
    Vetor w;
    double b;
};

double normaUm(const Vetor& v) { return (std::fabs(v.x) + std::fabs(v.y)) + std::fabs(v.z); }

Vetor combinar(double a, const Vetor& p, double b, const Vetor& q) {
    return Vetor(a * p.x - b * q.x, a * p.y - b * q.y, a * p.z - b * q.z);
}

}  // namespace

Descarte::Descarte(const EstagioVertices& vertices) {
    const int quantPontos = vertices.getQuantPontos();
    const int quantTriangulos = vertices.getQuantTriangulos();
    const int gruposTriangulos = (quantTriangulos + kPorGrupo - 1) / kPorGrupo;
    const int gruposPontos = (quantPontos + kPorGrupo - 1) / kPorGrupo;
    caixas.resize(static_cast<std::size_t>(gruposTriangulos));
    inicioGrupos.assign(static_cast<std::size_t>(gruposTriangulos) + 1, 0);
    triangulosVivos.assign(static_cast<std::size_t>(gruposTriangulos), 1);
    pontosVivos.assign(static_cast<std::size_t>(gruposPontos), 1);
    // The last triangle group that listed each point group, plus one.
    std::vector<std::int32_t> listado(static_cast<std::size_t>(gruposPontos), 0);
    const std::int32_t* indices = vertices.getIndices();
    const Ponto* pontos = vertices.getPontos();
    for (int g = 0; g < gruposTriangulos; ++g) {
        Caixa& caixa = caixas[static_cast<std::size_t>(g)];
        caixa.finita = true;
        const auto fim = static_cast<int>(
            std::min<std::int64_t>(quantTriangulos, std::int64_t{g + 1} * kPorGrupo));
        const std::size_t primeiro = static_cast<std::size_t>(g) * kPorGrupo * 3;
        const Ponto& p0 = pontos[indices[primeiro]];
        caixa.menor = caixa.maior = {p0.x, p0.y, p0.z};
        for (std::size_t k = primeiro; k < static_cast<std::size_t>(fim) * 3; ++k) {
            const std::int32_t indice = indices[k];
            const Ponto& p = pontos[indice];
            const std::array<double, 3> c = {p.x, p.y, p.z};
            for (std::size_t e = 0; e < c.size(); ++e) {
                caixa.finita = caixa.finita && std::isfinite(c[e]);
                caixa.menor[e] = std::min(caixa.menor[e], c[e]);
                caixa.maior[e] = std::max(caixa.maior[e], c[e]);
            }
            const std::int32_t grupo = indice / kPorGrupo;
            if (listado[static_cast<std::size_t>(grupo)] != g + 1) {
                listado[static_cast<std::size_t>(grupo)] = g + 1;
                grupos.push_back(grupo);
            }
        }
        inicioGrupos[static_cast<std::size_t>(g) + 1] = static_cast<std::int32_t>(grupos.size());
    }
    quantVivos = gruposTriangulos;
}

const std::uint8_t* Descarte::getTriangulosVivos() const { return triangulosVivos.data(); }
const std::uint8_t* Descarte::getPontosVivos() const { return pontosVivos.data(); }
int Descarte::getQuantGrupos() const { return static_cast<int>(caixas.size()); }
int Descarte::getQuantVivos() const { return quantVivos; }

void Descarte::preparar(const Camera& camera, const Projecao& p, int largura, int altura) {
    const double d = p.d;
    const bool util = std::isfinite(d) && d > 0.0 && std::isfinite(p.hx) && p.hx > 0.0 &&
                      std::isfinite(p.hy) && p.hy > 0.0 && std::isfinite(p.ox) &&
                      std::isfinite(p.oy) && std::isfinite(p.zPerto) && p.zPerto > 0.0 &&
                      p.largura > 0 && p.altura > 0 && largura > 0 && altura > 0;
    // The screen of largura x altura pixels with its margin, in the units of d.cu/cn and
    // d.cv/cn (xs = ((d.cu/cn - ox)/hx + 1).W/2 and ys = (1 - (d.cv/cn - oy)/hy).H/2, W and H
    // the projection's): x beyond [esquerda, direita] or y beyond [baixo, cima] is more than
    // kMargemPixels off it.
    const double m = kMargemPixels;
    const double esquerda = p.ox - p.hx * (1.0 + 2.0 * m / p.largura);
    const double direita = p.ox + p.hx * (2.0 * (largura + m) / p.largura - 1.0);
    const double cima = p.oy + p.hy * (1.0 + 2.0 * m / p.altura);
    const double baixo = p.oy - p.hy * (2.0 * (altura + m) / p.altura - 1.0);
    const Vetor zero(0.0, 0.0, 0.0);
    // Behind the near plane: cn < zPerto. Left: d.cu < esquerda.cn. Right: d.cu > direita.cn.
    // Above: d.cv > cima.cn. Below: d.cv < baixo.cn. With cn > 0 these are the screen's sides;
    // a point with cn < zPerto is clipped away whichever side it is on.
    const std::array<Plano, kPlanos> planos = {
        Plano{combinar(0.0, zero, 1.0, camera.n), -p.zPerto},
        Plano{combinar(esquerda, camera.n, d, camera.u), 0.0},
        Plano{combinar(d, camera.u, direita, camera.n), 0.0},
        Plano{combinar(d, camera.v, cima, camera.n), 0.0},
        Plano{combinar(baixo, camera.n, d, camera.v), 0.0}};
    const Ponto& foco = camera.foco;
    const double escalaFoco = normaUm(Vetor(foco.x, foco.y, foco.z));
    const auto quantGrupos = static_cast<int>(caixas.size());
    std::fill(pontosVivos.begin(), pontosVivos.end(), 0);
    quantVivos = 0;
    for (int g = 0; g < quantGrupos; ++g) {
        const Caixa& caixa = caixas[static_cast<std::size_t>(g)];
        bool vivo = true;
        if (util && caixa.finita) {
            // The box as centre c and half-extents e: over it, w . (x - F) is at least
            // w . (c - F) - |w|.e.
            const Vetor centro((caixa.menor[0] + caixa.maior[0]) / 2.0 - foco.x,
                               (caixa.menor[1] + caixa.maior[1]) / 2.0 - foco.y,
                               (caixa.menor[2] + caixa.maior[2]) / 2.0 - foco.z);
            const Vetor meia((caixa.maior[0] - caixa.menor[0]) / 2.0,
                             (caixa.maior[1] - caixa.menor[1]) / 2.0,
                             (caixa.maior[2] - caixa.menor[2]) / 2.0);
            const double escala = normaUm(centro) + normaUm(meia) + escalaFoco;
            for (const Plano& plano : planos) {
                const Vetor& w = plano.w;
                const double minimo =
                    ((w.x * centro.x + w.y * centro.y) + w.z * centro.z) -
                    ((std::fabs(w.x) * meia.x + std::fabs(w.y) * meia.y) + std::fabs(w.z) * meia.z);
                const double tolerancia = kTolerancia * (normaUm(w) * escala + std::fabs(plano.b));
                // Not finite compares false: the group stays.
                if (minimo > plano.b + tolerancia) {
                    vivo = false;
                    break;
                }
            }
        }
        triangulosVivos[static_cast<std::size_t>(g)] = vivo ? 1 : 0;
        if (vivo) {
            ++quantVivos;
            for (std::int32_t k = inicioGrupos[static_cast<std::size_t>(g)];
                 k < inicioGrupos[static_cast<std::size_t>(g) + 1]; ++k) {
                pontosVivos[static_cast<std::size_t>(grupos[static_cast<std::size_t>(k)])] = 1;
            }
        }
    }
}

}  // namespace gouraud::detail
