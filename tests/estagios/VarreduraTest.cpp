// Varredura against the one-pixel-at-a-time visibility pass, bit for bit: triangles of many sizes
// and windings over a band whose rows end at odd columns, so that the last four pixels of a row
// are written with masks and the others with whole loads and stores of the row; the pixels a
// triangle does not win keep what they held. Both as whole triangles (Varredura::desenhar) and
// as the exact runs of the narrow ones' pass tested four pixels at a time.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "Classificacao.h"
#include "Cobertura.h"
#include "FaixaVisivel.h"
#include "Quadro.h"
#include "Rasterizador.h"
#include "TesteProfundidade.h"
#include "Varredura.h"
#include "VerticeTela.h"

using namespace gouraud::detail;

namespace {

constexpr int kLinhas = Classificacao::kLinhasPorFaixa;

// A band's winners, weights and depths after drawing triangles one by one.
struct Resultado {
    std::vector<std::int32_t> vencedores;
    std::vector<double> pesos1;
    std::vector<double> pesos2;
    std::vector<double> profundidades;
};

enum class Como { pixelAPixel, varredura, intervalos };

// Draws `triangulos` (numbered in order) over a band of `largura` columns whose depths start
// at a pattern with holes, pixel by pixel, by Varredura, or by runs in lanes.
Resultado desenhar(const std::vector<VerticeTela>& triangulos, int largura, Como como) {
    Quadro quadro(largura, kLinhas);
    for (int j = 0; j < kLinhas; ++j) {
        for (int i = 0; i < largura; ++i) {
            quadro.linhaProfundidade(j)[i] = (i + j) % 5 == 0 ? 0.0 : 0.001 * ((i * 7 + j) % 11);
        }
    }
    std::vector<Classificacao::Entrada> entradas;
    for (std::size_t k = 0; k < triangulos.size() / 3; ++k) {
        const auto n = static_cast<std::int32_t>(3 * k);
        entradas.push_back(
            {static_cast<std::int32_t>(k), n, n + 1, n + 2, Classificacao::kVariosPixels});
    }
    FaixaVisivel faixa;
    std::vector<FaixaVisivel::Peca> pecas;
    faixa.iniciar(0, kLinhas, largura, entradas.data(), pecas);
    for (std::size_t k = 0; k < entradas.size(); ++k) {
        const VerticeTela& a = triangulos[3 * k];
        const VerticeTela& b = triangulos[3 * k + 1];
        const VerticeTela& c = triangulos[3 * k + 2];
        const auto numero = static_cast<std::int32_t>(k);
        if (como != Como::varredura) {
            Rasterizador::visibilidade(a, b, c, numero, faixa, quadro, como == Como::intervalos);
            continue;
        }
        const auto grossa = [](const VerticeTela& v) { return Cobertura::paraGrossa(v.x, v.y); };
        const auto exata = &Cobertura::paraExata;
        const TesteProfundidade teste(a, b, c, exata(a), exata(b), exata(c));
        if (teste.temArea()) {
            Varredura::desenhar(grossa(a), grossa(b), grossa(c), exata(a), exata(b), exata(c),
                                teste, numero, faixa, quadro);
        }
    }
    Resultado r;
    for (int j = 0; j < kLinhas; ++j) {
        const std::int32_t* v = faixa.linhaVencedores(j);
        r.vencedores.insert(r.vencedores.end(), v, v + largura);
        const double* p = quadro.linhaProfundidade(j);
        r.profundidades.insert(r.profundidades.end(), p, p + largura);
        for (int i = 0; i < largura; ++i) {
            // Weights only mean something where a triangle won.
            const bool ganhou = v[i] != FaixaVisivel::kNenhum;
            r.pesos1.push_back(ganhou ? faixa.linhaPesos1(j)[i] : 0.0);
            r.pesos2.push_back(ganhou ? faixa.linhaPesos2(j)[i] : 0.0);
        }
    }
    return r;
}

bool mesmosBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(VarreduraTest, ComoPixelAPixelAteOFimDasLinhas) {
    if (!Varredura::disponivel()) GTEST_SKIP() << "no AVX2";
    std::mt19937 gerador(30);
    std::uniform_real_distribution<double> profundidade(0.0005, 0.012);
    // Widths whose rows end one to four pixels past a multiple of four.
    for (const int largura : {37, 41, 42, 43, 44}) {
        std::uniform_real_distribution<double> x(-6.0, largura + 6.0);
        std::uniform_real_distribution<double> y(-4.0, kLinhas + 4.0);
        std::vector<VerticeTela> triangulos;
        for (int k = 0; k < 60; ++k) {
            for (int v = 0; v < 3; ++v)
                triangulos.push_back({x(gerador), y(gerador), profundidade(gerador)});
        }
        // One reaching across the whole band and past its right end, and one whose right edge
        // runs through the last column's centres.
        const double fim = largura - 0.5;
        triangulos.insert(
            triangulos.end(),
            {{-3.0, -2.0, 0.02}, {largura + 9.0, 1.0, 0.02}, {2.0, kLinhas + 3.0, 0.02}});
        triangulos.insert(triangulos.end(),
                          {{fim, -1.0, 0.03}, {fim, kLinhas + 1.0, 0.03}, {fim - 12.0, 5.0, 0.03}});
        const Resultado um = desenhar(triangulos, largura, Como::pixelAPixel);
        for (const Como como : {Como::varredura, Como::intervalos}) {
            const Resultado r = desenhar(triangulos, largura, como);
            const int n = static_cast<int>(como);
            EXPECT_EQ(r.vencedores, um.vencedores) << largura << " " << n;
            EXPECT_TRUE(mesmosBits(r.profundidades, um.profundidades)) << largura << " " << n;
            EXPECT_TRUE(mesmosBits(r.pesos1, um.pesos1)) << largura << " " << n;
            EXPECT_TRUE(mesmosBits(r.pesos2, um.pesos2)) << largura << " " << n;
        }
        // The wide triangle won pixels in the last column of some row.
        bool ultimaColuna = false;
        for (int j = 0; j < kLinhas; ++j) {
            ultimaColuna = ultimaColuna ||
                           um.vencedores[static_cast<std::size_t>(j * largura + largura - 1)] >= 60;
        }
        EXPECT_TRUE(ultimaColuna) << largura;
    }
}

}  // namespace
