#include "Aglomerados.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace gouraud::detail {

namespace {

// The cone's radius is widened by this share of itself, and by this much plus this share of
// forma: a unit normal strays from its triangle's by less than 2^-50 forma (its cross product's
// rounding is below 2^-52 e^2 a component), the differences by a few 2^-53 more.
constexpr double kFolgaRelativaRaio = 1.0 / 1048576.0;   // 2^-20
constexpr double kFolgaRaio = 1.0 / 1073741824.0;        // 2^-30
constexpr double kFolgaForma = 1.0 / 281474976710656.0;  // 2^-48
// Clusters per task when they are worked out on several threads.
constexpr int kPorTarefa = 64;

Vetor diferenca(const Ponto& a, const Ponto& b) { return Vetor(a.x - b.x, a.y - b.y, a.z - b.z); }

double interno(const Vetor& a, const Vetor& b) { return (a.x * b.x + a.y * b.y) + a.z * b.z; }

Vetor vetorial(const Vetor& a, const Vetor& b) {
    return Vetor(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

bool finito(double v) { return std::isfinite(v); }

// The cone of `quantos` unit normals (at least one): the sum of the normals, each turned to the
// side of the sum so far, made unit length is the axis (the sum never shrinks, so it is not
// zero); the radius is the farthest normal from it, turned to its side, widened by 2^-20 of
// itself and by `folga`, the rounding of the normals.
Cone cone(const Vetor* unitarias, int quantos, double folga) {
    Vetor soma(0.0, 0.0, 0.0);
    for (int t = 0; t < quantos; ++t) {
        const Vetor& n = unitarias[t];
        const double sinal = interno(n, soma) < 0.0 ? -1.0 : 1.0;
        soma = Vetor(soma.x + sinal * n.x, soma.y + sinal * n.y, soma.z + sinal * n.z);
    }
    const double tamanho = std::sqrt(interno(soma, soma));
    const Vetor eixo(soma.x / tamanho, soma.y / tamanho, soma.z / tamanho);
    double raio = 0.0;
    for (int t = 0; t < quantos; ++t) {
        const Vetor& n = unitarias[t];
        const double sinal = interno(n, eixo) < 0.0 ? -1.0 : 1.0;
        const Vetor d(sinal * n.x - eixo.x, sinal * n.y - eixo.y, sinal * n.z - eixo.z);
        raio = std::max(raio, std::sqrt(interno(d, d)));
    }
    return Cone{eixo, raio + raio * kFolgaRelativaRaio + folga};
}

}  // namespace

Aglomerados::Aglomerados(const EstagioVertices& vertices, Trabalhadores& trabalhadores) {
    const int triangulos = vertices.getQuantTriangulos();
    const int quantidade = (triangulos + kPorAglomerado - 1) / kPorAglomerado;
    aglomerados.resize(static_cast<std::size_t>(quantidade));
    auto calcularTarefa = [&](int tarefa) {
        const int primeiro = tarefa * kPorTarefa;
        const int ultimo = std::min(quantidade, primeiro + kPorTarefa);
        for (int g = primeiro; g < ultimo; ++g) {
            const auto inicio = static_cast<int>(std::int64_t{g} * kPorAglomerado);
            const auto fim = static_cast<int>(
                std::min<std::int64_t>(triangulos, std::int64_t{g + 1} * kPorAglomerado));
            aglomerados[static_cast<std::size_t>(g)] =
                calcular(vertices.getPontos(), vertices.getIndices(), inicio, fim);
        }
    };
    trabalhadores.paraCada((quantidade + kPorTarefa - 1) / kPorTarefa, calcularTarefa);
}

int Aglomerados::getQuantidade() const { return static_cast<int>(aglomerados.size()); }

const Aglomerado& Aglomerados::operator[](int g) const {
    return aglomerados[static_cast<std::size_t>(g)];
}

Aglomerado Aglomerados::calcular(const Ponto* pontos, const std::int32_t* indices, int inicio,
                                 int fim) {
    Aglomerado a{};
    a.condicionado = fim > inicio && fim - inicio <= kPorAglomerado;
    a.menorAresta = std::numeric_limits<double>::infinity();
    if (!a.condicionado) {
        return a;
    }
    a.quantTrechos = (fim - inicio + kPorTrecho - 1) / kPorTrecho;
    // The boxes, the shape and each triangle's unit normal.
    std::array<Vetor, kPorAglomerado> unitarias;
    for (int t = inicio; t < fim; ++t) {
        const std::int32_t* c = &indices[static_cast<std::size_t>(t) * 3];
        CaixaEspacial& caixa = a.trechos[static_cast<std::size_t>((t - inicio) / kPorTrecho)].caixa;
        if ((t - inicio) % kPorTrecho == 0) {
            const Ponto& p = pontos[c[0]];
            caixa.menor = caixa.maior = {p.x, p.y, p.z};
        }
        for (int k = 0; k < 3; ++k) {
            const Ponto& p = pontos[c[k]];
            const double coordenadas[3] = {p.x, p.y, p.z};
            for (std::size_t e = 0; e < 3; ++e) {
                a.condicionado = a.condicionado && finito(coordenadas[e]);
                caixa.menor[e] = std::min(caixa.menor[e], coordenadas[e]);
                caixa.maior[e] = std::max(caixa.maior[e], coordenadas[e]);
            }
        }
        const Vetor e1 = diferenca(pontos[c[1]], pontos[c[0]]);
        const Vetor e2 = diferenca(pontos[c[2]], pontos[c[0]]);
        const Vetor e3 = diferenca(pontos[c[2]], pontos[c[1]]);
        const Vetor n = vetorial(e1, e2);
        const double comprimento = std::sqrt(interno(n, n));
        const double maiorAresta =
            std::sqrt(std::max({interno(e1, e1), interno(e2, e2), interno(e3, e3)}));
        // A normal of no length, or one that is not a number, leaves the cluster without a
        // usable cone.
        a.condicionado =
            a.condicionado && comprimento > 0.0 && finito(comprimento) && finito(maiorAresta);
        a.forma = std::max(a.forma, maiorAresta * maiorAresta / comprimento);
        a.aresta = std::max(a.aresta, maiorAresta);
        a.menorAresta = std::min(a.menorAresta, maiorAresta);
        unitarias[static_cast<std::size_t>(t - inicio)] =
            Vetor(n.x / comprimento, n.y / comprimento, n.z / comprimento);
    }
    a.caixa = a.trechos[0].caixa;
    for (int k = 1; k < a.quantTrechos; ++k) {
        for (std::size_t e = 0; e < 3; ++e) {
            a.caixa.menor[e] =
                std::min(a.caixa.menor[e], a.trechos[static_cast<std::size_t>(k)].caixa.menor[e]);
            a.caixa.maior[e] =
                std::max(a.caixa.maior[e], a.trechos[static_cast<std::size_t>(k)].caixa.maior[e]);
        }
    }
    a.condicionado = a.condicionado && finito(a.forma) && finito(a.aresta);
    if (!a.condicionado) {
        return a;
    }
    const double folga = kFolgaRaio + kFolgaForma * a.forma;
    for (int k = 0; k < a.quantTrechos; ++k) {
        const int primeiro = k * kPorTrecho;
        const int quantos = std::min(fim - inicio, primeiro + kPorTrecho) - primeiro;
        a.trechos[static_cast<std::size_t>(k)].cone =
            cone(unitarias.data() + primeiro, quantos, folga);
    }
    return a;
}

}  // namespace gouraud::detail
