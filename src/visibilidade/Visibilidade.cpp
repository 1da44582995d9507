#include "Visibilidade.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstddef>
#include <limits>

#include "Oclusao.h"

namespace gouraud::detail {

namespace {

// Clusters per task of the occlusion tests.
constexpr int kPorTarefa = 256;
// When at most this share of the runs seen in the last frame are on the screen, phase 1 also
// takes the nearer half of the clusters.
constexpr int kFracaoVistos = 2;
constexpr int kCantos = 8;

}  // namespace

Visibilidade::Visibilidade(const EstagioVertices& vertices, Trabalhadores& trabalhadores)
    : vertices(vertices), aglomerados(vertices, trabalhadores) {
    static_assert(EstagioVertices::kPorLote % kPontosPorGrupo == 0, "a batch holds whole groups");
    static_assert(EstagioVertices::kPorLote % Aglomerados::kPorTrecho == 0,
                  "a batch holds whole runs");
    const int triangulos = vertices.getQuantTriangulos();
    posicoes.resize(static_cast<std::size_t>(triangulos));
    const std::int32_t* numeros = vertices.getNumerosNoArquivo();
    for (int t = 0; t < triangulos; ++t) {
        posicoes[static_cast<std::size_t>(numeros[t])] = t;
    }
    const auto quantidade = static_cast<std::size_t>(aglomerados.getQuantidade());
    const auto trechos = static_cast<std::size_t>(getQuantTrechos());
    // The point groups each run names, each once.
    const std::int32_t* indices = vertices.getIndices();
    std::vector<std::int32_t> listado(
        static_cast<std::size_t>(vertices.getQuantPontos() + kPontosPorGrupo - 1) / kPontosPorGrupo,
        -1);
    inicioGrupos.assign(trechos + 1, 0);
    for (std::size_t r = 0; r < trechos; ++r) {
        const std::size_t inicio = r * Aglomerados::kPorTrecho * 3;
        const std::size_t fim =
            std::min(static_cast<std::size_t>(triangulos), (r + 1) * Aglomerados::kPorTrecho) * 3;
        for (std::size_t k = inicio; k < fim; ++k) {
            const std::int32_t grupo = indices[k] / kPontosPorGrupo;
            if (listado[static_cast<std::size_t>(grupo)] != static_cast<std::int32_t>(r)) {
                listado[static_cast<std::size_t>(grupo)] = static_cast<std::int32_t>(r);
                grupos.push_back(grupo);
            }
        }
        inicioGrupos[r + 1] = static_cast<std::int32_t>(grupos.size());
    }
    primeira.assign(trechos, 0);
    segunda.assign(trechos, 0);
    vistos.assign(trechos, 0);
    vistosAntes.assign(trechos, 0);
    distancias.reserve(quantidade);
    contagensTarefas.resize((quantidade + kPorTarefa - 1) / kPorTarefa);
}

int Visibilidade::getQuantTrechos() const {
    return (vertices.getQuantTriangulos() + Aglomerados::kPorTrecho - 1) / Aglomerados::kPorTrecho;
}
Piramide& Visibilidade::getPiramide() { return piramide; }
bool Visibilidade::temSegundaFase() const { return algumaSegunda; }
const Visibilidade::Contagem& Visibilidade::getContagem() const { return contagem; }

const std::uint8_t* Visibilidade::primeiraFase(const std::uint8_t* vivos, const Camera& camera) {
    const int quantidade = aglomerados.getQuantidade();
    const int trechos = getQuantTrechos();
    contagem = Contagem{};
    contagem.aglomerados = quantidade;
    int vistosAntesTodos = 0;
    int vistosNaTela = 0;
    for (int r = 0; r < trechos; ++r) {
        const auto n = static_cast<std::size_t>(r);
        const bool visto = !primeiroQuadro && vistosAntes[n] != 0;
        primeira[n] = vivos[r / Aglomerado::kTrechos] != 0 && visto ? 1 : 0;
        vistosAntesTodos += visto ? 1 : 0;
        vistosNaTela += primeira[n];
    }
    if (primeiroQuadro || kFracaoVistos * vistosNaTela <= vistosAntesTodos) {
        // A first frame, or a view that turned away from most of what the last one saw: the
        // nearer half of the clusters on the screen too (on a closed surface seen from
        // outside, about the side that faces the camera).
        const auto menorCn = [&](const Aglomerado& a) {
            double menor = std::numeric_limits<double>::infinity();
            for (int k = 0; k < kCantos; ++k) {
                const Ponto p((k & 1) != 0 ? a.caixa.maior[0] : a.caixa.menor[0],
                              (k & 2) != 0 ? a.caixa.maior[1] : a.caixa.menor[1],
                              (k & 4) != 0 ? a.caixa.maior[2] : a.caixa.menor[2]);
                menor = std::min(menor, camera.coordenadas(p).z);
            }
            // Not a number sorts as the farthest.
            return menor == menor ? menor : std::numeric_limits<double>::infinity();
        };
        distancias.clear();
        for (int g = 0; g < quantidade; ++g) {
            if (vivos[g] != 0) {
                distancias.push_back(menorCn(aglomerados[g]));
            }
        }
        double mediana = -std::numeric_limits<double>::infinity();
        if (!distancias.empty()) {
            const auto meio =
                distancias.begin() + static_cast<std::ptrdiff_t>(distancias.size() / 2);
            std::nth_element(distancias.begin(), meio, distancias.end());
            mediana = *meio;
        }
        for (int g = 0; g < quantidade; ++g) {
            if (vivos[g] != 0 && menorCn(aglomerados[g]) <= mediana) {
                const int fim = std::min(trechos, (g + 1) * Aglomerado::kTrechos);
                for (int r = g * Aglomerado::kTrechos; r < fim; ++r) {
                    primeira[static_cast<std::size_t>(r)] = 1;
                }
            }
        }
    }
    for (int g = 0; g < quantidade; ++g) {
        contagem.primeiraFase += trechosDe(primeira, g) != 0 ? 1 : 0;
    }
    return primeira.data();
}

unsigned Visibilidade::trechosDe(const std::vector<std::uint8_t>& marcas, int g) const {
    unsigned bits = 0;
    const int primeiro = g * Aglomerado::kTrechos;
    const int fim = std::min(getQuantTrechos(), primeiro + Aglomerado::kTrechos);
    for (int r = primeiro; r < fim; ++r) {
        bits |= marcas[static_cast<std::size_t>(r)] != 0 ? 1U << (r - primeiro) : 0U;
    }
    return bits;
}

const std::uint8_t* Visibilidade::segundaFase(const std::uint8_t* vivos, const Camera& camera,
                                              const Projecao& projecao, int largura, int altura,
                                              Trabalhadores& trabalhadores) {
    const int quantidade = aglomerados.getQuantidade();
    const Oclusao oclusao(camera, projecao, largura, altura);
    auto testarTarefa = [&](int tarefa) {
        Contagem& c = contagensTarefas[static_cast<std::size_t>(tarefa)];
        c = Contagem{};
        const int fim = std::min(quantidade, (tarefa + 1) * kPorTarefa);
        for (int g = tarefa * kPorTarefa; g < fim; ++g) {
            const Aglomerado& a = aglomerados[g];
            const int primeiro = g * Aglomerado::kTrechos;
            for (int k = 0; k < a.quantTrechos; ++k) {
                segunda[static_cast<std::size_t>(primeiro + k)] = 0;
            }
            if (vivos[g] == 0) {
                ++c.foraDoQuadro;
                continue;
            }
            const unsigned antes = trechosDe(primeira, g);
            const unsigned pendentes = ~antes & ((1U << a.quantTrechos) - 1U);
            if (pendentes == 0) {
                continue;
            }
            const Oclusao::Decisao decisao =
                oclusao.testar(a, pendentes, piramide, vertices.getPontos(), vertices.getIndices(),
                               g * Aglomerados::kPorAglomerado);
            for (unsigned resto = decisao.trechos; resto != 0; resto &= resto - 1) {
                segunda[static_cast<std::size_t>(primeiro + std::countr_zero(resto))] = 1;
            }
            if (antes != 0) {
                continue;
            }
            switch (decisao.resultado) {
                case Oclusao::Resultado::desenhar:
                    ++c.desenhados;
                    break;
                case Oclusao::Resultado::oculto:
                    ++c.ocultos;
                    break;
                case Oclusao::Resultado::fora:
                    ++c.foraDoQuadro;
                    break;
            }
        }
    };
    trabalhadores.paraCada(static_cast<int>(contagensTarefas.size()), testarTarefa);
    contagem.desenhados = contagem.primeiraFase;
    algumaSegunda = false;
    for (const Contagem& c : contagensTarefas) {
        contagem.desenhados += c.desenhados;
        contagem.foraDoQuadro += c.foraDoQuadro;
        contagem.ocultos += c.ocultos;
    }
    for (const std::uint8_t s : segunda) {
        algumaSegunda = algumaSegunda || s != 0;
    }
    return segunda.data();
}

void Visibilidade::marcarPontos(const std::uint8_t* escolhidos, const std::uint8_t* exceto,
                                std::vector<std::uint8_t>& pontos) const {
    pontos.resize(static_cast<std::size_t>(vertices.getQuantPontos() + kPontosPorGrupo - 1) /
                  kPontosPorGrupo);
    std::fill(pontos.begin(), pontos.end(), 0);
    const int trechos = getQuantTrechos();
    for (int r = 0; r < trechos; ++r) {
        if (escolhidos[r] == 0) {
            continue;
        }
        for (std::int32_t k = inicioGrupos[static_cast<std::size_t>(r)];
             k < inicioGrupos[static_cast<std::size_t>(r) + 1]; ++k) {
            pontos[static_cast<std::size_t>(grupos[static_cast<std::size_t>(k)])] = 1;
        }
    }
    if (exceto != nullptr) {
        for (std::size_t p = 0; p < pontos.size(); ++p) {
            pontos[p] = exceto[p] != 0 ? 0 : pontos[p];
        }
    }
}

void Visibilidade::marcarVistos(const FaixaVisivel& faixa, std::int32_t* numeros) {
    // A winner's run comes from its triangle's position in the stage: read beside its entry
    // when the band has the positions (a read near the entry's own), through the table by the
    // file's numbers otherwise and for the pieces of clipped triangles.
    const std::int32_t* posicoesDaFaixa = faixa.getPosicoes();
    const auto posicaoDe = [&](std::int32_t vencedor) {
        return posicoesDaFaixa != nullptr && !FaixaVisivel::ehPeca(vencedor)
                   ? posicoesDaFaixa[vencedor]
                   : posicoes[static_cast<std::size_t>(faixa.numeroNoArquivo(vencedor))];
    };
    std::int32_t anterior = FaixaVisivel::kNenhum;
    std::int32_t numeroAnterior = -1;
    // Held here: the stores through `numeros` and the marks could otherwise alias the band's.
    const int largura = faixa.getLargura();
    const int linha1 = faixa.getLinha1();
    for (int j = faixa.getLinha0(); j < linha1; ++j) {
        const std::int32_t* vencedores = faixa.linhaVencedores(j);
        for (int i = 0; i < largura; ++i) {
            const std::int32_t vencedor = vencedores[i];
            if (vencedor != anterior && vencedor != FaixaVisivel::kNenhum) {
                anterior = vencedor;
                std::atomic_ref<std::uint8_t>(
                    vistos[static_cast<std::size_t>(posicaoDe(vencedor) / Aglomerados::kPorTrecho)])
                    .store(1, std::memory_order_relaxed);
                if (numeros != nullptr) {
                    numeroAnterior = faixa.numeroNoArquivo(vencedor);
                }
            }
            if (numeros != nullptr) {
                *numeros++ = vencedor == FaixaVisivel::kNenhum ? -1 : numeroAnterior;
            }
        }
    }
}

void Visibilidade::encerrarQuadro() {
    vistos.swap(vistosAntes);
    std::fill(vistos.begin(), vistos.end(), 0);
    primeiroQuadro = false;
}

void Visibilidade::esquecer() {
    std::fill(vistos.begin(), vistos.end(), 0);
    primeiroQuadro = true;
}

}  // namespace gouraud::detail
