// Ties in the depth test: a triangle at the very 1/cn a pixel already holds takes it only when
// it comes before that pixel's winner in the file, whether the winner was drawn earlier in the
// same band or in an earlier pass of the frame; one pixel at a time and in AVX2 lanes alike.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
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

constexpr int kLargura = 64;
constexpr int kLinhas = Classificacao::kLinhasPorFaixa;
constexpr double kProfundidade = 0.25;

// A triangle about 20 pixels wide covering pixel (10, 8), every corner at 1/cn kProfundidade.
const VerticeTela kA{2.0, 1.0, kProfundidade};
const VerticeTela kB{30.0, 3.0, kProfundidade};
const VerticeTela kC{4.0, 15.0, kProfundidade};

// Whether the triangle numbered `numero` in the file takes pixel (10, 8) of a band whose depths
// are kProfundidade everywhere, the earlier pass's winner there being `anterior` (-1: none),
// drawn pixel by pixel (Rasterizador) or eight at a time (Varredura).
bool ganha(std::int32_t numero, std::int32_t anterior, bool varredura) {
    Quadro quadro(kLargura, kLinhas);
    for (int j = 0; j < kLinhas; ++j)
        for (int i = 0; i < kLargura; ++i) quadro.linhaProfundidade(j)[i] = kProfundidade;
    const Classificacao::Entrada entrada{numero, 0, 1, 2, Classificacao::kVariosPixels};
    FaixaVisivel faixa;
    std::vector<FaixaVisivel::Peca> pecas;
    faixa.iniciar(0, kLinhas, kLargura, &entrada, pecas);
    std::vector<std::int32_t> anteriores(static_cast<std::size_t>(kLargura * kLinhas), anterior);
    faixa.usarAnteriores(anteriores.data());
    if (varredura) {
        const auto grossa = [](const VerticeTela& v) { return Cobertura::paraGrossa(v.x, v.y); };
        const auto exata = &Cobertura::paraExata;
        const TesteProfundidade teste(kA, kB, kC, exata(kA), exata(kB), exata(kC));
        Varredura::desenhar(grossa(kA), grossa(kB), grossa(kC), exata(kA), exata(kB), exata(kC),
                            teste, 0, faixa, quadro);
    } else {
        Rasterizador::visibilidade(kA, kB, kC, 0, faixa, quadro);
    }
    return faixa.linhaVencedores(8)[10] == 0;
}

TEST(EmpateTest, OMenorNumeroNoArquivoFicaComOPixel) {
    for (const bool varredura : {false, true}) {
        if (varredura && !Varredura::disponivel()) continue;
        // Before the earlier pass's winner in the file: it takes the pixel; after it, or with no
        // winner there (the depth stored by nobody), it does not.
        EXPECT_TRUE(ganha(5, 7, varredura)) << varredura;
        EXPECT_FALSE(ganha(9, 7, varredura)) << varredura;
        EXPECT_FALSE(ganha(7, 7, varredura)) << varredura;
        EXPECT_FALSE(ganha(5, -1, varredura)) << varredura;
    }
    // Within one pass: the band's own winner decides, by its number in the file.
    Quadro quadro(kLargura, kLinhas);
    const Classificacao::Entrada entradas[2] = {{8, 0, 1, 2, Classificacao::kVariosPixels},
                                                {3, 0, 1, 2, Classificacao::kVariosPixels}};
    FaixaVisivel faixa;
    std::vector<FaixaVisivel::Peca> pecas;
    faixa.iniciar(0, kLinhas, kLargura, entradas, pecas);
    Rasterizador::visibilidade(kA, kB, kC, 0, faixa, quadro);
    Rasterizador::visibilidade(kA, kB, kC, 1, faixa, quadro);
    EXPECT_EQ(faixa.linhaVencedores(8)[10], 1);
    EXPECT_EQ(quadro.getProfundidade(10, 8), kProfundidade);
}

}  // namespace
