#include "Visibilidade.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <limits>

#include "Oclusao.h"

namespace {

// Clusters per task of the occlusion tests.
constexpr int kPorTarefa = 256;
// When at most this share of the clusters seen in the last frame are on the screen, phase 1
// also takes the nearer half.
constexpr int kFracaoVistos = 2;
constexpr int kCantos = 8;

}  // namespace

Visibilidade::Visibilidade(const EstagioVertices& vertices, Trabalhadores& trabalhadores)
    : vertices(vertices), aglomerados(vertices, trabalhadores) {
    static_assert(EstagioVertices::kPorLote % kPontosPorGrupo == 0, "a batch holds whole groups");
    const int triangulos = vertices.getQuantTriangulos();
    posicoes.resize(static_cast<std::size_t>(triangulos));
    const std::int32_t* numeros = vertices.getNumerosNoArquivo();
    for (int t = 0; t < triangulos; ++t) {
        posicoes[static_cast<std::size_t>(numeros[t])] = t;
    }
    const auto quantidade = static_cast<std::size_t>(aglomerados.getQuantidade());
    // The point groups each cluster names, each once.
    const std::int32_t* indices = vertices.getIndices();
    std::vector<std::int32_t> listado(
        static_cast<std::size_t>(vertices.getQuantPontos() + kPontosPorGrupo - 1) /
            kPontosPorGrupo,
        -1);
    inicioGrupos.assign(quantidade + 1, 0);
    for (std::size_t g = 0; g < quantidade; ++g) {
        const auto inicio = static_cast<std::size_t>(g) * Aglomerados::kPorAglomerado * 3;
        const std::size_t fim =
            std::min(static_cast<std::size_t>(triangulos), (g + 1) * Aglomerados::kPorAglomerado) *
            3;
        for (std::size_t k = inicio; k < fim; ++k) {
            const std::int32_t grupo = indices[k] / kPontosPorGrupo;
            if (listado[static_cast<std::size_t>(grupo)] != static_cast<std::int32_t>(g)) {
                listado[static_cast<std::size_t>(grupo)] = static_cast<std::int32_t>(g);
                grupos.push_back(grupo);
            }
        }
        inicioGrupos[g + 1] = static_cast<std::int32_t>(grupos.size());
    }
    primeira.assign(quantidade, 0);
    segunda.assign(quantidade, 0);
    vistos.assign(quantidade, 0);
    vistosAntes.assign(quantidade, 0);
    distancias.reserve(quantidade);
    contagensTarefas.resize((quantidade + kPorTarefa - 1) / kPorTarefa);
}

int Visibilidade::getQuantAglomerados() const { return aglomerados.getQuantidade(); }
const Aglomerados& Visibilidade::getAglomerados() const { return aglomerados; }
Piramide& Visibilidade::getPiramide() { return piramide; }
bool Visibilidade::temSegundaFase() const { return algumaSegunda; }
const Visibilidade::Contagem& Visibilidade::getContagem() const { return contagem; }

const std::uint8_t* Visibilidade::primeiraFase(const std::uint8_t* vivos, const Camera& camera) {
    const int quantidade = aglomerados.getQuantidade();
    contagem = Contagem{};
    contagem.aglomerados = quantidade;
    int vistos = 0;
    int vistosNaTela = 0;
    for (int g = 0; g < quantidade; ++g) {
        const bool visto = !primeiroQuadro && vistosAntes[static_cast<std::size_t>(g)] != 0;
        primeira[static_cast<std::size_t>(g)] = vivos[g] != 0 && visto ? 1 : 0;
        vistos += visto ? 1 : 0;
        vistosNaTela += primeira[static_cast<std::size_t>(g)];
    }
    if (primeiroQuadro || kFracaoVistos * vistosNaTela <= vistos) {
        // A first frame, or a view that turned away from most of what the last one saw: the
        // nearer half of the clusters on the screen too (on a closed surface seen from
        // outside, about the side that faces the camera).
        const auto menorCn = [&](const Aglomerado& a) {
            double menor = std::numeric_limits<double>::infinity();
            for (int k = 0; k < kCantos; ++k) {
                const Ponto p((k & 1) != 0 ? a.maior[0] : a.menor[0],
                              (k & 2) != 0 ? a.maior[1] : a.menor[1],
                              (k & 4) != 0 ? a.maior[2] : a.menor[2]);
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
            const auto meio = distancias.begin() + static_cast<std::ptrdiff_t>(distancias.size() / 2);
            std::nth_element(distancias.begin(), meio, distancias.end());
            mediana = *meio;
        }
        for (int g = 0; g < quantidade; ++g) {
            if (vivos[g] != 0 && menorCn(aglomerados[g]) <= mediana) {
                primeira[static_cast<std::size_t>(g)] = 1;
            }
        }
    }
    for (int g = 0; g < quantidade; ++g) {
        contagem.primeiraFase += primeira[static_cast<std::size_t>(g)];
    }
    return primeira.data();
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
            const auto n = static_cast<std::size_t>(g);
            segunda[n] = 0;
            if (vivos[g] == 0) {
                ++c.foraDoQuadro;
                continue;
            }
            if (primeira[n] != 0) {
                continue;
            }
            const int inicio = g * Aglomerados::kPorAglomerado;
            const int fimAglomerado =
                std::min(vertices.getQuantTriangulos(), inicio + Aglomerados::kPorAglomerado);
            switch (oclusao.testar(aglomerados[g], piramide, vertices.getPontos(),
                                   vertices.getIndices(), inicio, fimAglomerado)) {
                case Oclusao::Resultado::desenhar:
                    segunda[n] = 1;
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
    for (const Contagem& c : contagensTarefas) {
        contagem.desenhados += c.desenhados;
        contagem.foraDoQuadro += c.foraDoQuadro;
        contagem.ocultos += c.ocultos;
    }
    algumaSegunda = contagem.desenhados > contagem.primeiraFase;
    return segunda.data();
}

void Visibilidade::marcarPontos(const std::uint8_t* escolhidos, const std::uint8_t* exceto,
                                std::vector<std::uint8_t>& pontos) const {
    pontos.resize(static_cast<std::size_t>(vertices.getQuantPontos() + kPontosPorGrupo - 1) /
                  kPontosPorGrupo);
    std::fill(pontos.begin(), pontos.end(), 0);
    const int quantidade = aglomerados.getQuantidade();
    for (int g = 0; g < quantidade; ++g) {
        if (escolhidos[g] == 0) {
            continue;
        }
        for (std::int32_t k = inicioGrupos[static_cast<std::size_t>(g)];
             k < inicioGrupos[static_cast<std::size_t>(g) + 1]; ++k) {
            pontos[static_cast<std::size_t>(grupos[static_cast<std::size_t>(k)])] = 1;
        }
    }
    if (exceto != nullptr) {
        for (std::size_t p = 0; p < pontos.size(); ++p) {
            pontos[p] = exceto[p] != 0 ? 0 : pontos[p];
        }
    }
}

void Visibilidade::marcarVistos(const FaixaVisivel& faixa) {
    std::int32_t anterior = FaixaVisivel::kNenhum;
    for (int j = faixa.getLinha0(); j < faixa.getLinha1(); ++j) {
        const std::int32_t* vencedores = faixa.linhaVencedores(j);
        for (int i = 0; i < faixa.getLargura(); ++i) {
            const std::int32_t vencedor = vencedores[i];
            if (vencedor == FaixaVisivel::kNenhum || vencedor == anterior) {
                continue;
            }
            anterior = vencedor;
            const std::int32_t posicao =
                posicoes[static_cast<std::size_t>(faixa.numeroNoArquivo(vencedor))];
            std::atomic_ref<std::uint8_t>(
                vistos[static_cast<std::size_t>(posicao / Aglomerados::kPorAglomerado)])
                .store(1, std::memory_order_relaxed);
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
