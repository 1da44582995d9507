#include "GruposPontos.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace gouraud::detail {

GruposPontos::GruposPontos(const Ponto* pontos, int quantos) {
    if (pontos == nullptr || quantos <= 0) {
        return;
    }
    const std::size_t n = static_cast<std::size_t>(quantos);
    const auto finito = [](const Ponto& p) {
        return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
    };
    constexpr double kInfinito = std::numeric_limits<double>::infinity();
    double menor[3] = {kInfinito, kInfinito, kInfinito};
    double maior[3] = {-kInfinito, -kInfinito, -kInfinito};
    for (std::size_t i = 0; i < n; ++i) {
        if (finito(pontos[i])) {
            const double c[3] = {pontos[i].x, pontos[i].y, pontos[i].z};
            for (int e = 0; e < 3; ++e) {
                menor[e] = std::min(menor[e], c[e]);
                maior[e] = std::max(maior[e], c[e]);
            }
        }
    }
    // The cell of each point along each axis; the cells past the grid hold what is not finite.
    constexpr int kCelulas = kLado * kLado * kLado;
    const auto celula = [&](const Ponto& p) {
        if (!finito(p)) {
            return kCelulas;
        }
        const double c[3] = {p.x, p.y, p.z};
        int indice = 0;
        for (int e = 0; e < 3; ++e) {
            const double extensao = maior[e] - menor[e];
            int k = 0;
            if (extensao > 0.0) {
                const double t = (c[e] - menor[e]) / extensao * kLado;
                k = std::clamp(static_cast<int>(t), 0, kLado - 1);
            }
            indice = indice * kLado + k;
        }
        return indice;
    };
    std::vector<std::int32_t> contagem(static_cast<std::size_t>(kCelulas) + 2, 0);
    std::vector<std::int32_t> celulas(n);
    for (std::size_t i = 0; i < n; ++i) {
        celulas[i] = celula(pontos[i]);
        ++contagem[static_cast<std::size_t>(celulas[i]) + 1];
    }
    for (std::size_t k = 1; k < contagem.size(); ++k) {
        contagem[k] += contagem[k - 1];
    }
    indices.resize(n);
    std::vector<std::int32_t> proximo(contagem.begin(), contagem.end() - 1);
    for (std::size_t i = 0; i < n; ++i) {
        indices[static_cast<std::size_t>(proximo[static_cast<std::size_t>(celulas[i])]++)] =
            static_cast<std::int32_t>(i);
    }
    for (int k = 0; k <= kCelulas; ++k) {
        const std::int32_t inicio = contagem[static_cast<std::size_t>(k)];
        const std::int32_t fim = contagem[static_cast<std::size_t>(k) + 1];
        if (inicio == fim) {
            continue;
        }
        Grupo grupo;
        grupo.inicio = inicio;
        grupo.fim = fim;
        grupo.menor = Ponto(kInfinito, kInfinito, kInfinito);
        grupo.maior = Ponto(-kInfinito, -kInfinito, -kInfinito);
        for (std::int32_t j = inicio; j < fim; ++j) {
            const Ponto& p = pontos[indices[static_cast<std::size_t>(j)]];
            if (k == kCelulas) {
                // Not finite: a box that no test can pass, so its points are always read.
                grupo.menor = Ponto(kInfinito, kInfinito, kInfinito);
                grupo.maior = Ponto(kInfinito, kInfinito, kInfinito);
                break;
            }
            grupo.menor = Ponto(std::min(grupo.menor.x, p.x), std::min(grupo.menor.y, p.y),
                                std::min(grupo.menor.z, p.z));
            grupo.maior = Ponto(std::max(grupo.maior.x, p.x), std::max(grupo.maior.y, p.y),
                                std::max(grupo.maior.z, p.z));
        }
        grupos.push_back(grupo);
    }
}

const std::vector<GruposPontos::Grupo>& GruposPontos::getGrupos() const { return grupos; }
const std::vector<std::int32_t>& GruposPontos::getIndices() const { return indices; }

}  // namespace gouraud::detail
