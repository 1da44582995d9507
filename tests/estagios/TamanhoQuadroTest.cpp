// Frames of any size from 1 to 4096 pixels a side: the frame itself, the projection onto it, the
// whole picture against the reference (the largest coordinates included), and the PNG file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Camera.h"
#include "GeradorCena.h"
#include "Gouraud.h"
#include "GravadorPng.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "RenderizadorReferencia.h"

using namespace gouraud::detail;

namespace {

// The first pixel where two frames of the same size differ in colour, or in depth by more than
// a relative 1e-12 (the guard rectangle's corners round depths in the last bits), or "".
std::string diferenca(const Quadro& a, const Quadro& b) {
    for (int y = 0; y < a.getAltura(); ++y)
        for (int x = 0; x < a.getLargura(); ++x) {
            const double pa = a.getProfundidade(x, y), pb = b.getProfundidade(x, y);
            if (a.getCor(x, y) != b.getCor(x, y) || std::fabs(pa - pb) > 1e-12 * std::fabs(pb))
                return std::to_string(x) + "," + std::to_string(y);
        }
    return "";
}

int quantDesenhados(const Quadro& q) {
    int n = 0;
    for (int y = 0; y < q.getAltura(); ++y)
        for (int x = 0; x < q.getLargura(); ++x) n += q.getProfundidade(x, y) > 0;
    return n;
}

TEST(QuadroTest, TamanhoDadoOuPadraoELimites) {
    const Quadro padrao;
    EXPECT_EQ(padrao.getLargura(), 640);
    EXPECT_EQ(padrao.getAltura(), 480);
    Quadro estreito(1, Quadro::kMaiorLado);
    EXPECT_EQ(estreito.getLargura(), 1);
    EXPECT_EQ(estreito.getAltura(), 4096);
    estreito.linhaCor(4095)[0] = 7;
    EXPECT_EQ(estreito.getCor(0, 4095), 7);
    estreito.limpar();
    EXPECT_EQ(estreito.getCor(0, 4095), 0);
    for (const auto& [largura, altura] :
         {std::pair{0, 480}, {640, 0}, {-1, 5}, {4097, 16}, {16, 1 << 30}}) {
        EXPECT_THROW(Quadro(largura, altura), std::invalid_argument) << largura << "x" << altura;
    }
}

// The scene "points / triangles" seen from the origin along +z with V = +y (so U = -x).
std::string cenaSimples(const std::string& malha, const std::string& projecao = "0 0 0") {
    return malha + "\n0 0 1\n0 1 0\n0 0 0\n" + projecao + "\n";
}

TEST(ProjecaoTelaTest, TamanhoDaTelaNaProjecaoENoEnquadramento) {
    // Spread of cu/cn [-0.6, 0.2] and of cv/cn [-0.2, 0.2]. On 1920 x 1080 the width decides:
    // hy = 1.05 * (0.4 * 1080 / 1920) and hx = hy * 1920 / 1080; on 2000 x 300 the height.
    auto cena = carregarCena(cenaSimples("5 0\n1 1 5\n-1 1 5\n1 -1 5\n-1 -1 5\n3 1 5"));
    Malha malha(*cena);
    const Camera camera(*cena);
    const Projecao hd = Projecao::daCena(*cena, malha, camera, 1920, 1080);
    EXPECT_EQ(hd.largura, 1920);
    EXPECT_EQ(hd.altura, 1080);
    const double hy = 1.05 * (((0.2 - -0.6) / 2.0 * 1080) / 1920);
    EXPECT_DOUBLE_EQ(hd.hy, hy);
    EXPECT_DOUBLE_EQ(hd.hx, hy * 1920 / 1080);
    // The left end of the spread lands 5 % inside the left side, the centre in the middle.
    EXPECT_NEAR(hd.xTela(-0.6, 1), 1920 * (1 - 1 / 1.05) / 2, 1e-9);
    EXPECT_NEAR(hd.yTela(0, 5), 540, 1e-9);
    const Projecao larga = Projecao::daCena(*cena, malha, camera, 2000, 300);
    EXPECT_DOUBLE_EQ(larga.hy, 1.05 * 0.2);
    EXPECT_DOUBLE_EQ(larga.hx, 1.05 * 0.2 * 2000 / 300);
    // 640 x 480 given or left out is the same projection, bit for bit.
    const Projecao padrao = Projecao::daCena(*cena, malha, camera);
    const Projecao dado = Projecao::daCena(*cena, malha, camera, 640, 480);
    EXPECT_EQ(padrao.hx, dado.hx);
    EXPECT_EQ(padrao.hy, dado.hy);
    EXPECT_EQ(padrao.xTela(0.3, 2), dado.xTela(0.3, 2));
    // The file's window keeps its hx and hy on any screen; only W and H change.
    auto janela = carregarCena(cenaSimples("4 0\n1 1 5\n-1 1 5\n1 -1 5\n-1 -1 5", "1 1 1"));
    Malha malhaJanela(*janela);
    const Projecao p = Projecao::daCena(*janela, malhaJanela, Camera(*janela), 100, 50);
    EXPECT_EQ(p.xTela(-1, 5), 40);  // ((-1/5) / 1 + 1) * 50
    EXPECT_EQ(p.yTela(1, 5), 20);   // (1 - 1/5) * 25
}

TEST(QuadroDiferencialTest, TamanhosDeQuadroComoAReferencia) {
    std::vector<std::string> cenas;
    std::ifstream coelho(std::filesystem::path(GOURAUD_EXEMPLOS_DIR) / "bunny.txt");
    ASSERT_TRUE(coelho.is_open());
    cenas.push_back(std::string(std::istreambuf_iterator<char>(coelho), {}));
    // Seen from inside a random cloud: huge triangles, cut by the near plane and reaching far
    // past the guard rectangle of even the widest frame.
    cenas.push_back(gerarCena(3, 60, 120));
    cenas.push_back(gerarCena(5, 60, 120));
    // A floor from behind the camera to far ahead, wider than any frame: cut by the near plane
    // and by the guard rectangle on both sides, it covers the lower half of every frame.
    cenas.push_back(cenaSimples("3 1\n-1000 -1 -5\n1000 -1 -5\n0 -1 50\n0 1 2", "1 1 0.75"));
    struct Tamanho {
        int largura;
        int altura;
    };
    // The largest coordinates a frame can have, on frames thin enough for the reference; an odd
    // size; and full HD.
    const Tamanho tamanhos[] = {{4096, 16}, {16, 4096}, {333, 517}, {1920, 1080}};
    for (std::size_t k = 0; k < cenas.size(); ++k) {
        auto gouraud = carregarCena(cenas[k]);
        ASSERT_TRUE(gouraud->cenaValida());
        Malha malha(*gouraud);
        const Camera camera(*gouraud);
        // One renderer for every size, so that it moves from one frame size to another.
        Renderizador tres(malha, Iluminacao(), 3);
        for (const Tamanho t : tamanhos) {
            if (k == 1 || k == 2) {
                if (t.largura == 1920) continue;  // the reference is slow on huge triangles
            }
            const Projecao projecao =
                Projecao::daCena(*gouraud, malha, camera, t.largura, t.altura);
            Quadro referencia(t.largura, t.altura);
            desenharReferencia(malha, Iluminacao(), camera, projecao, referencia);
            EXPECT_GT(quantDesenhados(referencia), 10) << k << ": " << t.largura << "x" << t.altura;
            if (k == 3) {
                // The floor reaches both sides of the frame (below 3/4 of the height it is
                // nearer than the near plane).
                EXPECT_GT(referencia.getProfundidade(0, t.altura * 3 / 4), 0);
                EXPECT_GT(referencia.getProfundidade(t.largura - 1, t.altura * 3 / 4), 0);
            }
            Renderizador um(malha, Iluminacao(), 1);
            for (Renderizador* renderizador : {&um, &tres}) {
                Quadro q(t.largura, t.altura);
                renderizador->desenhar(camera, projecao, q);
                EXPECT_EQ(diferenca(q, referencia), "")
                    << "scene " << k << ", " << t.largura << "x" << t.altura << ", "
                    << renderizador->getQuantThreads() << " threads";
            }
        }
    }
}

TEST(GravadorPngTest, ArquivoTemOTamanhoDoQuadro) {
    Quadro quadro(300, 7);
    quadro.linhaCor(6)[299] = Quadro::empacotar(255, 255, 255);
    const std::filesystem::path arquivo = std::filesystem::temp_directory_path() /
                                          ("tamanho_quadro_" + std::to_string(::getpid()) + ".png");
    ASSERT_EQ(GravadorPng::gravar(quadro, arquivo.string()), "");
    std::ifstream png(arquivo, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(png)), {});
    std::filesystem::remove(arquivo);
    // The signature (8 bytes), the IHDR chunk's length and type (8), then width and height,
    // big-endian.
    ASSERT_GT(bytes.size(), 24U);
    const auto inteiro = [&](std::size_t i) {
        return (std::uint32_t{bytes[i]} << 24) | (std::uint32_t{bytes[i + 1]} << 16) |
               (std::uint32_t{bytes[i + 2]} << 8) | std::uint32_t{bytes[i + 3]};
    };
    EXPECT_EQ(inteiro(16), 300U);
    EXPECT_EQ(inteiro(20), 7U);
}

}  // namespace
