// The library's picture options against the viewer's headless path: the same RGB bytes and the
// same alpha, and an RGBA PNG file for a picture without a background.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "GravadorPng.h"
#include "Visualizacao.h"
#include "gouraud/Modelo.h"

using namespace gouraud::detail;

namespace {

struct Pixels {
    std::vector<std::uint8_t> rgb;
    std::vector<std::uint8_t> alfa;
};

// What the viewer draws headless for `arquivo` with `estilo`.
Pixels doVisualizador(const std::string& arquivo, int largura, int altura, const Estilo& estilo) {
    Visualizacao visualizacao(arquivo, std::nullopt, largura, altura);
    EXPECT_TRUE(visualizacao.valida()) << visualizacao.getErro();
    visualizacao.setEstilo(estilo);
    Quadro quadro(largura, altura);
    visualizacao.desenhar(quadro);
    Pixels p;
    p.rgb.resize(static_cast<std::size_t>(largura) * 3 * altura);
    GravadorPng::paraRgb(quadro, p.rgb.data());
    if (quadro.getTransparente()) {
        p.alfa.resize(static_cast<std::size_t>(largura) * altura);
        GravadorPng::paraAlfa(quadro, p.alfa.data());
    }
    return p;
}

TEST(PublicarModeloTest, AsOpcoesDaImagemDaoOQuadroDoVisualizador) {
    std::streambuf* saida = std::cout.rdbuf(nullptr);
    const std::string nuvem = std::string(GOURAUD_EXEMPLOS_DIR) + "/nuvem.ply";
    const std::string coelho = std::string(GOURAUD_EXEMPLOS_DIR) + "/bunny.txt";
    auto modeloNuvem = gouraud::Modelo::abrir(nuvem);
    auto modeloCoelho = gouraud::Modelo::abrir(coelho);
    ASSERT_TRUE(modeloNuvem && modeloCoelho);
    gouraud::Imagem imagem;

    const gouraud::Opcoes discos{.largura = 200,
                                 .altura = 150,
                                 .ponto = 4,
                                 .formaPonto = gouraud::FormaPonto::disco,
                                 .bits = 24,
                                 .aa = 2,
                                 .edl = true,
                                 .raioEdl = 2,
                                 .forcaEdl = 1.5,
                                 .fundo = {1.0, 0.5, 0.0}};
    ASSERT_EQ(modeloNuvem->desenhar(discos, imagem), "");
    Estilo estilo;
    estilo.tamanhoPonto = 4;
    estilo.formaPonto = Estilo::FormaPonto::disco;
    estilo.bits24 = true;
    estilo.amostras = 2;
    estilo.edl = true;
    estilo.raioEdl = 2;
    estilo.forcaEdl = 1.5;
    estilo.fundo = 0xFF8000;
    const Pixels vistos = doVisualizador(nuvem, 200, 150, estilo);
    EXPECT_EQ(imagem.rgb, vistos.rgb);
    EXPECT_TRUE(imagem.alfa.empty());

    const gouraud::Opcoes semFundo{.largura = 160, .altura = 120, .aa = 3, .transparente = true};
    ASSERT_EQ(modeloCoelho->desenhar(semFundo, imagem), "");
    Estilo transparente;
    transparente.amostras = 3;
    transparente.transparente = true;
    const Pixels semFundoVisto = doVisualizador(coelho, 160, 120, transparente);
    EXPECT_EQ(imagem.rgb, semFundoVisto.rgb);
    EXPECT_EQ(imagem.alfa, semFundoVisto.alfa);
    ASSERT_EQ(imagem.alfa.size(), 160U * 120U);
    // Some pixels are wholly drawn, some not at all, some in part.
    int cheios = 0, vazios = 0, partes = 0;
    for (const std::uint8_t a : imagem.alfa) {
        cheios += a == 255;
        vazios += a == 0;
        partes += a != 0 && a != 255;
    }
    EXPECT_GT(cheios, 0);
    EXPECT_GT(vazios, 0);
    EXPECT_GT(partes, 0);

    // Written as RGBA: colour type 6 in the header; an alpha of the wrong size is refused.
    const std::string arquivo =
        (std::filesystem::temp_directory_path() /
         ("publicar-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".png"))
            .string();
    ASSERT_EQ(imagem.gravarPng(arquivo), "");
    std::ifstream png(arquivo, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(png)), {});
    ASSERT_GT(bytes.size(), 26U);
    EXPECT_EQ(bytes[25], 6);
    std::filesystem::remove(arquivo);
    imagem.alfa.pop_back();
    EXPECT_EQ(
        imagem.gravarPng(arquivo),
        "cannot write " + arquivo + ": the picture's alpha holds 19199 bytes, not 1 per pixel");
    // An opaque picture after it drops the alpha.
    ASSERT_EQ(modeloCoelho->desenhar({.largura = 160, .altura = 120}, imagem), "");
    EXPECT_TRUE(imagem.alfa.empty());
    std::cout.rdbuf(saida);
}

}  // namespace
