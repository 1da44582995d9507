#include "Aglomerados.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace {

// The cone's radius is widened by this share of itself and this much more, for the rounding of
// the normals and of their differences (each far below 2^-40 once the triangles are not thin
// beyond the limit the test sets on forma).
constexpr double kFolgaRelativaRaio = 1.0 / 1048576.0;  // 2^-20
constexpr double kFolgaRaio = 1.0 / 1073741824.0;       // 2^-30
// Clusters per task when they are worked out on several threads.
constexpr int kPorTarefa = 64;

Vetor diferenca(const Ponto& a, const Ponto& b) { return Vetor(a.x - b.x, a.y - b.y, a.z - b.z); }

double interno(const Vetor& a, const Vetor& b) { return (a.x * b.x + a.y * b.y) + a.z * b.z; }

Vetor vetorial(const Vetor& a, const Vetor& b) {
    return Vetor(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

bool finito(double v) { return std::isfinite(v); }

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
    a.condicionado = fim > inicio;
    a.menorAresta = std::numeric_limits<double>::infinity();
    const Ponto& primeiro = pontos[indices[static_cast<std::size_t>(inicio) * 3]];
    a.menor = a.maior = {primeiro.x, primeiro.y, primeiro.z};
    // The box and the shape.
    for (int t = inicio; t < fim; ++t) {
        const std::int32_t* c = &indices[static_cast<std::size_t>(t) * 3];
        for (int k = 0; k < 3; ++k) {
            const Ponto& p = pontos[c[k]];
            const double coordenadas[3] = {p.x, p.y, p.z};
            for (std::size_t e = 0; e < 3; ++e) {
                a.condicionado = a.condicionado && finito(coordenadas[e]);
                a.menor[e] = std::min(a.menor[e], coordenadas[e]);
                a.maior[e] = std::max(a.maior[e], coordenadas[e]);
            }
        }
        const Vetor e1 = diferenca(pontos[c[1]], pontos[c[0]]);
        const Vetor e2 = diferenca(pontos[c[2]], pontos[c[0]]);
        const Vetor e3 = diferenca(pontos[c[2]], pontos[c[1]]);
        const Vetor n = vetorial(e1, e2);
        const double comprimento = std::sqrt(interno(n, n));
        const double maiorAresta =
            std::sqrt(std::max({interno(e1, e1), interno(e2, e2), interno(e3, e3)}));
        a.forma = std::max(a.forma, maiorAresta * maiorAresta / comprimento);
        a.aresta = std::max(a.aresta, maiorAresta);
        a.menorAresta = std::min(a.menorAresta, maiorAresta);
    }
    a.condicionado = a.condicionado && finito(a.forma) && finito(a.aresta) &&
                     cone(pontos, indices, inicio, fim, a.cones[0]);
    if (!a.condicionado) {
        a.raio = std::numeric_limits<double>::infinity();
        return a;
    }
    a.eixo = a.cones[0].eixo;
    a.raio = a.cones[0].raio;
    for (int k = 0; k < Aglomerado::kCones; ++k) {
        const int primeiroCone = std::min(fim, inicio + k * kPorCone);
        const int ultimoCone = std::min(fim, primeiroCone + kPorCone);
        a.cones[static_cast<std::size_t>(k)] = Cone{Vetor(1.0, 0.0, 0.0), 0.0};
        if (primeiroCone < ultimoCone) {
            cone(pontos, indices, primeiroCone, ultimoCone, a.cones[static_cast<std::size_t>(k)]);
        }
    }
    return a;
}

bool Aglomerados::cone(const Ponto* pontos, const std::int32_t* indices, int inicio, int fim,
                       Cone& resultado) {
    // The sum of the unit normals, each turned to the side of the sum so far, is the axis; the
    // radius is the farthest unit normal from it, turned to its side.
    const auto normal = [&](int t) {
        const std::int32_t* c = &indices[static_cast<std::size_t>(t) * 3];
        return vetorial(diferenca(pontos[c[1]], pontos[c[0]]),
                        diferenca(pontos[c[2]], pontos[c[0]]));
    };
    Vetor soma(0.0, 0.0, 0.0);
    for (int t = inicio; t < fim; ++t) {
        const Vetor n = normal(t);
        const double comprimento = std::sqrt(interno(n, n));
        if (!(comprimento > 0.0) || !finito(comprimento)) {
            return false;
        }
        const double escala = (interno(n, soma) < 0.0 ? -1.0 : 1.0) / comprimento;
        soma = Vetor(soma.x + escala * n.x, soma.y + escala * n.y, soma.z + escala * n.z);
    }
    const double tamanho = std::sqrt(interno(soma, soma));
    if (!(tamanho > 0.0) || !finito(tamanho)) {
        return false;
    }
    const Vetor eixo(soma.x / tamanho, soma.y / tamanho, soma.z / tamanho);
    double raio = 0.0;
    for (int t = inicio; t < fim; ++t) {
        const Vetor n = normal(t);
        const double escala = (interno(n, eixo) < 0.0 ? -1.0 : 1.0) / std::sqrt(interno(n, n));
        const Vetor d(escala * n.x - eixo.x, escala * n.y - eixo.y, escala * n.z - eixo.z);
        raio = std::max(raio, std::sqrt(interno(d, d)));
    }
    resultado = Cone{eixo, raio + raio * kFolgaRelativaRaio + kFolgaRaio};
    return true;
}
