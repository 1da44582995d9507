#include "Piramide.h"

#include <algorithm>

#include "Classificacao.h"

namespace gouraud::detail {

namespace {

static_assert((1 << Piramide::kNiveisPorFaixa) == Classificacao::kLinhasPorFaixa,
              "a band's rows make whole squares of the band's levels");
// Squares a side read from one level at most.
constexpr int kLadoLeitura = 8;

}  // namespace

void Piramide::preparar(int larguraQuadro, int alturaQuadro) {
    if (larguraQuadro == largura && alturaQuadro == altura) {
        return;
    }
    largura = larguraQuadro;
    altura = alturaQuadro;
    niveis.clear();
    int w = largura;
    int h = altura;
    do {
        w = (w + 1) / 2;
        h = (h + 1) / 2;
        Nivel nivel;
        nivel.largura = w;
        nivel.altura = h;
        nivel.menores.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
        niveis.push_back(std::move(nivel));
    } while (w > 1 || h > 1);
}

void Piramide::construirNivel(const Quadro* quadro, int k, int linha0, int linha1) {
    Nivel& nivel = niveis[static_cast<std::size_t>(k - 1)];
    // The rows and columns of the level below, and its entries.
    const int larguraAbaixo = k == 1 ? largura : niveis[static_cast<std::size_t>(k - 2)].largura;
    const int alturaAbaixo = k == 1 ? altura : niveis[static_cast<std::size_t>(k - 2)].altura;
    const auto linhaAbaixo = [&](int j) -> const double* {
        if (k == 1) {
            return quadro->linhaProfundidade(j);
        }
        return niveis[static_cast<std::size_t>(k - 2)].menores.data() +
               static_cast<std::size_t>(j) * static_cast<std::size_t>(larguraAbaixo);
    };
    for (int j = linha0; j < linha1; ++j) {
        const double* a = linhaAbaixo(2 * j);
        const double* b = 2 * j + 1 < alturaAbaixo ? linhaAbaixo(2 * j + 1) : a;
        double* saida = nivel.menores.data() +
                        static_cast<std::size_t>(j) * static_cast<std::size_t>(nivel.largura);
        const int pares = larguraAbaixo / 2;
        for (int i = 0; i < pares; ++i) {
            saida[i] = std::min(std::min(a[2 * i], a[2 * i + 1]), std::min(b[2 * i], b[2 * i + 1]));
        }
        if (larguraAbaixo % 2 != 0) {
            saida[pares] = std::min(a[2 * pares], b[2 * pares]);
        }
    }
}

void Piramide::construirFaixa(const Quadro& quadro, int linha0, int linha1) {
    for (int k = 1; k <= kNiveisPorFaixa && k <= static_cast<int>(niveis.size()); ++k) {
        // The band's rows at level k: its first row is a multiple of 2^k.
        construirNivel(&quadro, k, linha0 >> k, (linha1 + (1 << k) - 1) >> k);
    }
}

void Piramide::completar() {
    for (int k = kNiveisPorFaixa + 1; k <= static_cast<int>(niveis.size()); ++k) {
        construirNivel(nullptr, k, 0, niveis[static_cast<std::size_t>(k - 1)].altura);
    }
}

double Piramide::menor(int i0, int j0, int i1, int j1) const {
    int k = 1;
    while (k < static_cast<int>(niveis.size()) &&
           ((i1 >> k) - (i0 >> k) >= kLadoLeitura || (j1 >> k) - (j0 >> k) >= kLadoLeitura)) {
        ++k;
    }
    const Nivel& nivel = niveis[static_cast<std::size_t>(k - 1)];
    double resultado =
        nivel.menores[static_cast<std::size_t>(j0 >> k) * static_cast<std::size_t>(nivel.largura) +
                      static_cast<std::size_t>(i0 >> k)];
    for (int j = j0 >> k; j <= j1 >> k; ++j) {
        const double* linha = nivel.menores.data() +
                              static_cast<std::size_t>(j) * static_cast<std::size_t>(nivel.largura);
        for (int i = i0 >> k; i <= i1 >> k; ++i) {
            resultado = std::min(resultado, linha[i]);
        }
    }
    return resultado;
}

}  // namespace gouraud::detail
