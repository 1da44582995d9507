// The picture options: K x K samples a pixel, eye-dome lighting, discs, 24 bits and the
// background, against the straightforward reference's rule on 1, 2 and 3 threads, and by hand
// where the rule is small enough to work out: a two-depth step, discs of 1 to 6 pixels, the alpha
// of a silhouette's pixels with two samples a side.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Acabamento.h"
#include "CenaCarregada.h"
#include "Elementares.h"
#include "ElementaresQuatro.h"
#include "Estilo.h"
#include "Gouraud.h"
#include "Malha.h"
#include "Renderizador.h"
#include "RenderizadorReferencia.h"
#include "Trabalhadores.h"
#include "Visualizacao.h"

using namespace gouraud::detail;

namespace {

std::string exemplo(const char* nome) {
    return (std::filesystem::path(GOURAUD_EXEMPLOS_DIR) / nome).string();
}

// The first pixel where two pictures differ, or "".
std::string diferenca(const std::vector<Canais>& a, const std::vector<Canais>& b, int largura) {
    if (a.size() != b.size())
        return "sizes " + std::to_string(a.size()) + ", " + std::to_string(b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return std::to_string(i % largura) + "," + std::to_string(i / largura) + ": " +
                   std::to_string(a[i]) + " vs " + std::to_string(b[i]);
    return "";
}

// The scene loader's marker line is kept off the test's output.
class Silencio {
public:
    Silencio() : saida(std::cout.rdbuf(nullptr)) {}
    ~Silencio() { std::cout.rdbuf(saida); }

private:
    std::streambuf* saida;
};

// The fast renderer's picture of `estilo` for `carregada` on `threads` threads, with or without
// AVX2, drawn twice into one frame (the second over the first).
std::vector<Canais> rapido(const CenaCarregada& carregada, const Estilo& estilo, int threads,
                           bool avx2 = true) {
    Renderizador renderizador(carregada.getMalha(), Iluminacao(), threads);
    renderizador.permitirAvx2(avx2);
    renderizador.setEstilo(estilo);
    const Projecao& projecao = carregada.getProjecao();
    Quadro quadro(projecao.largura, projecao.altura);
    renderizador.desenhar(carregada.getCamera(), projecao, quadro);
    renderizador.desenhar(carregada.getCamera(), projecao, quadro);
    return imagemDoQuadro(quadro);
}

struct Caso {
    const char* arquivo;
    Estilo estilo;
    const char* nome;
    int largura = 160;
    int altura = 120;
};

Estilo com(int k, auto&& ajuste) {
    Estilo e;
    e.amostras = k;
    ajuste(e);
    return e;
}

// log2 of x, 2x, 3x, 4x and exp of y, 2y, 3y, 4y in AVX2 lanes.
[[gnu::target("avx2")]] void quatroLanes(double x, double y, double (&saida)[2][4]) {
    const __m256d vezes = _mm256_set_pd(4.0, 3.0, 2.0, 1.0);
    _mm256_storeu_pd(saida[0],
                     elementares_quatro::log2Quatro(_mm256_mul_pd(_mm256_set1_pd(x), vezes)));
    _mm256_storeu_pd(saida[1],
                     elementares_quatro::expQuatro(_mm256_mul_pd(_mm256_set1_pd(y), vezes)));
}

}  // namespace

TEST(PublicarDiferencialTest, KAmostrasEdlEFundosComoAReferencia) {
    const Silencio silencio;
    std::vector<Caso> casos;
    for (const int k : {2, 3, 4}) {
        // A scan; a scene file with its own window, in 24 bits; a cloud of squares, of discs.
        casos.push_back({"bunny.txt", com(k, [](Estilo&) {}), "scan"});
        casos.push_back({"toro.txt", com(k, [](Estilo& e) { e.bits24 = true; }), "own window"});
        casos.push_back({"nuvem.ply", com(k, [](Estilo&) {}), "cloud", 157, 117});
        casos.push_back({"nuvem.ply",
                         com(k, [](Estilo& e) { e.formaPonto = Estilo::FormaPonto::disco; }),
                         "cloud of discs"});
    }
    for (const int k : {2, 3}) {
        casos.push_back({"bunny.txt",
                         com(k,
                             [](Estilo& e) {
                                 e.arestas = e.normais = true;
                                 e.modo = Estilo::Modo::phong;
                             }),
                         "edges and needles"});
        casos.push_back({"toro-linhas.gltf",
                         com(k,
                             [](Estilo& e) {
                                 e.transparente = true;
                                 e.arestas = true;
                             }),
                         "lines on no background"});
    }
    // Eye-dome lighting on a cloud and on a mesh, at one sample and at two; backgrounds.
    for (const int k : {1, 2}) {
        casos.push_back({"nuvem.ply", com(k, [](Estilo& e) { e.edl = true; }), "cloud, edl"});
        casos.push_back({"nuvem.ply",
                         com(k,
                             [](Estilo& e) {
                                 e.edl = true;
                                 e.raioEdl = 3;
                                 e.forcaEdl = 0.7;
                                 e.bits24 = true;
                                 e.transparente = true;
                             }),
                         "cloud, edl 3,0.7, 24 bits, no background"});
        casos.push_back({"bunny.txt",
                         com(k,
                             [](Estilo& e) {
                                 e.edl = true;
                                 e.normais = true;
                                 e.fundo = 0x336699;
                             }),
                         "mesh, edl, needles, background"});
        casos.push_back({"bunny-cores.ply",
                         com(k,
                             [](Estilo& e) {
                                 e.transparente = true;
                                 e.modo = Estilo::Modo::plano;
                             }),
                         "coloured mesh, no background"});
    }
    for (const Caso& caso : casos) {
        const CenaCarregada carregada(exemplo(caso.arquivo), caso.largura, caso.altura);
        ASSERT_TRUE(carregada.valida()) << carregada.getErro();
        const std::vector<Canais> referencia =
            imagemReferencia(carregada.getMalha(), Iluminacao(), carregada.getCamera(),
                             carregada.getProjecao(), caso.estilo);
        for (const int threads : {1, 2, 3}) {
            EXPECT_EQ(diferenca(rapido(carregada, caso.estilo, threads), referencia, caso.largura),
                      "")
                << caso.arquivo << ", " << caso.nome << ", K " << caso.estilo.amostras << ", "
                << threads << " threads";
        }
        EXPECT_EQ(diferenca(rapido(carregada, caso.estilo, 2, false), referencia, caso.largura), "")
            << caso.arquivo << ", " << caso.nome << ", K " << caso.estilo.amostras << ", no AVX2";
    }
}

TEST(PublicarTest, VinteEQuatroBitsEmpacotadosSaoOQuadroDeHoje) {
    const Silencio silencio;
    for (const char* arquivo : {"bunny.txt", "bunny-cores.ply", "caixa.gltf", "nuvem.ply",
                                "toro-linhas.gltf", "cubo.gltf"}) {
        int maisFinos = 0;
        for (const Estilo::Modo modo :
             {Estilo::Modo::plano, Estilo::Modo::gouraud, Estilo::Modo::phong}) {
            for (const bool sobre : {false, true}) {
                Visualizacao visualizacao(exemplo(arquivo), std::nullopt, 320, 240);
                ASSERT_TRUE(visualizacao.valida()) << visualizacao.getErro();
                Estilo estilo;
                estilo.modo = modo;
                estilo.arestas = estilo.normais = sobre;
                visualizacao.setEstilo(estilo);
                Quadro hoje(320, 240);
                visualizacao.desenhar(hoje);
                estilo.bits24 = true;
                visualizacao.setEstilo(estilo);
                Quadro vinteQuatro(320, 240);
                visualizacao.desenhar(vinteQuatro);
                ASSERT_FALSE(hoje.temCanais());
                ASSERT_TRUE(vinteQuatro.temCanais());
                int diferentes = 0;
                for (int y = 0; y < 240; ++y) {
                    for (int x = 0; x < 320; ++x) {
                        const Canais c = vinteQuatro.getCanais(x, y);
                        diferentes += Quadro::empacotar(c) != hoje.getCor(x, y) ||
                                      vinteQuatro.getCor(x, y) != hoje.getCor(x, y);
                        maisFinos += (c & Quadro::kSemAlfa) !=
                                     (Quadro::expandir(hoje.getCor(x, y)) & Quadro::kSemAlfa);
                    }
                }
                EXPECT_EQ(diferentes, 0) << arquivo << ", mode " << static_cast<int>(modo);
            }
        }
        // A flat face lit head-on may saturate to what 16 bits hold too, but not every pixel.
        EXPECT_GT(maisFinos, 0) << arquivo << ": 24 bits gave the 16-bit channels";
    }
}

TEST(EdlTest, DegrauDeDuasProfundidadesAMao) {
    // 8 x 6 samples of (200, 100, 50): 1/cn = 1 left of column 4, 0.5 from it on (further away).
    // Column 4 sees its left neighbours one octave nearer: log2 1 - log2 0.5 = 1 each.
    Quadro quadro(8, 6);
    quadro.usarCanais(true);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            quadro.linha(y).pintar(x, 200, 100, 50);
            quadro.linhaProfundidade(y)[x] = x < 4 ? 1.0 : 0.5;
        }
    }
    quadro.linhaProfundidade(5)[7] = 0.0;  // the background: kept as it is
    Trabalhadores trabalhadores(2);
    Acabamento acabamento;
    const auto acabado = [&](int raio, double forca) {
        Quadro copia = quadro;
        Acabamento::Pedido pedido;
        pedido.canais = true;
        pedido.edl = true;
        pedido.raio = raio;
        pedido.forca = forca;
        acabamento.acabar(copia, pedido, trabalhadores);
        return copia;
    };
    const Canais tres = Quadro::opaco(94, 47, 23);   // o = 3: exp(-0.75) = 0.47237
    const Canais dois = Quadro::opaco(121, 60, 30);  // o = 2: exp(-0.5) = 0.60653
    const Canais intacto = Quadro::opaco(200, 100, 50);
    const Quadro r1 = acabado(1, 0.25);
    EXPECT_EQ(r1.getCanais(4, 2), tres);  // (-1, 0), (-1, -1), (-1, 1)
    EXPECT_EQ(r1.getCanais(4, 0), dois);  // (-1, -1) is outside the frame
    EXPECT_EQ(r1.getCanais(4, 5), dois);
    EXPECT_EQ(r1.getCanais(3, 2), intacto);  // its neighbours are further or level: nothing
    EXPECT_EQ(r1.getCanais(5, 2), intacto);
    EXPECT_EQ(r1.getCanais(7, 5), intacto);  // background
    EXPECT_EQ(r1.getCor(4, 2), Quadro::empacotar(94, 47, 23));
    const Quadro r2 = acabado(2, 0.25);
    EXPECT_EQ(r2.getCanais(5, 2), tres);  // (-2, 0), (-2, -2), (-2, 2)
    EXPECT_EQ(r2.getCanais(5, 1), dois);  // (-2, -2) is outside
    EXPECT_EQ(r2.getCanais(6, 2), intacto);
    // A strength of 0 changes nothing; one of 2 takes column 4 to exp(-6) = 0.0025: black.
    EXPECT_EQ(acabado(1, 0.0).getCanais(4, 2), intacto);
    EXPECT_EQ(acabado(1, 2.0).getCanais(4, 2), Quadro::opaco(0, 0, 0));
}

TEST(DiscosTest, DiametrosDeUmASeisAMao) {
    // Two points, one at a pixel centre (100.5, 100.5) and one at a pixel corner (300, 100), on
    // a 512 x 512 frame where camera coordinates (cu, cv, 1) land at (256 - cu, 256 - cv). Each
    // row of a disc worked out from dx.dx + dy.dy <= (N/2)^2: at the centre, per row offset
    // dy = 0, 1, 2, 3 the half-width of whole offsets dx; at the corner, per row offset
    // 0.5, 1.5, 2.5 the number of columns each side.
    const int centro[7][4] = {
        {},          {0, -1, -1, -1}, {1, 0, -1, -1}, {1, 1, -1, -1}, {2, 1, 0, -1}, {2, 2, 1, -1},
        {3, 2, 2, 0}};
    const int canto[7][3] = {{}, {}, {1, 0, 0}, {1, 0, 0}, {2, 1, 0}, {2, 2, 0}, {3, 3, 2}};
    const int totais[7][2] = {{}, {1, 1}, {5, 4}, {9, 4}, {13, 12}, {21, 16}, {29, 32}};
    for (int n = 1; n <= 6; ++n) {
        std::set<std::pair<int, int>> esperados;
        if (n == 1) {
            esperados = {{100, 100}, {299, 99}};  // the square rule: one pixel either way
        } else {
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -centro[n][std::abs(dy)]; dx <= centro[n][std::abs(dy)]; ++dx)
                    esperados.insert({100 + dx, 100 + dy});
            for (int v = 0; v < 3; ++v)
                for (int c = 0; c < canto[n][v]; ++c)
                    for (const int lado : {-1, 1})
                        for (const int cima : {-1, 1})
                            esperados.insert(
                                {lado < 0 ? 299 - c : 300 + c, cima < 0 ? 99 - v : 100 + v});
        }
        ASSERT_EQ(esperados.size(), static_cast<std::size_t>(totais[n][0] + totais[n][1])) << n;
        Primitivas primitivas;
        primitivas.acrescentarPonto(Primitivas::Terno{256 - 100.5f, 256 - 100.5f, 1}, nullptr,
                                    nullptr);
        primitivas.acrescentarPonto(Primitivas::Terno{256 - 300.0f, 256 - 100.0f, 1}, nullptr,
                                    nullptr);
        Gouraud cena({}, {}, Vetor(0, 0, 1), Vetor(0, 1, 0), Ponto(0, 0, 0), 0, 0, 0);
        const Malha malha(cena, nullptr, std::move(primitivas));
        Projecao projecao;
        projecao.hx = projecao.hy = 256;
        projecao.largura = projecao.altura = 512;
        projecao.zPerto = 0.5;
        Estilo estilo;
        estilo.tamanhoPonto = n;
        estilo.formaPonto = Estilo::FormaPonto::disco;
        for (const bool avx2 : {true, false}) {
            Renderizador renderizador(malha, Iluminacao(), 2);
            renderizador.permitirAvx2(avx2);
            renderizador.setEstilo(estilo);
            Quadro quadro(512, 512);
            renderizador.desenhar(Camera(), projecao, quadro);
            std::set<std::pair<int, int>> desenhados;
            for (int y = 0; y < 512; ++y)
                for (int x = 0; x < 512; ++x)
                    if (quadro.getProfundidade(x, y) != 0) desenhados.insert({x, y});
            EXPECT_EQ(desenhados, esperados) << "diameter " << n << ", avx2 " << avx2;
        }
    }
}

TEST(FundoTest, AlfaEFundoDeUmaSilhuetaComDuasAmostras) {
    // One flat triangle with corners at (10.5, 10.5), (10.5, 50.5) and (50.5, 10.5) of a 64 x 64
    // picture: with K = 2 its left and top edges run along sample columns and rows 21, so pixel
    // column 10 has one sample column of two inside, and pixel (10, 10) one sample of four.
    const auto naTela = [](double x, double y) { return Ponto(32 - x, 32 - y, 1); };
    Gouraud cena({naTela(10.5, 10.5), naTela(10.5, 50.5), naTela(50.5, 10.5)}, {Triangulo(0, 1, 2)},
                 Vetor(0, 0, 1), Vetor(0, 1, 0), Ponto(0, 0, 0), 0, 0, 0);
    const Malha malha(cena, nullptr, Primitivas());
    Projecao projecao;
    projecao.hx = projecao.hy = 32;
    projecao.largura = projecao.altura = 64;
    projecao.zPerto = 0.5;
    Estilo estilo;
    estilo.modo = Estilo::Modo::plano;
    estilo.amostras = 2;
    estilo.transparente = true;
    estilo.bits24 = true;
    Renderizador renderizador(malha, Iluminacao(), 3);
    renderizador.setEstilo(estilo);
    Quadro quadro(64, 64);
    renderizador.desenhar(Camera(), projecao, quadro);
    ASSERT_TRUE(quadro.getTransparente());
    const Canais dentro = quadro.getCanais(20, 20);
    EXPECT_EQ(Quadro::alfaDe(dentro), 255);
    EXPECT_EQ(quadro.getCanais(10, 30), (dentro & Quadro::kSemAlfa) | 128U << 24);  // (510 + 2) / 4
    EXPECT_EQ(quadro.getCanais(30, 10), (dentro & Quadro::kSemAlfa) | 128U << 24);
    EXPECT_EQ(quadro.getCanais(10, 10), (dentro & Quadro::kSemAlfa) | 64U << 24);  // (255 + 2) / 4
    EXPECT_EQ(quadro.getCanais(5, 5), 0U);
    EXPECT_EQ(quadro.getCanais(60, 60), 0U);
    // On white the half-covered pixel is the mean of two samples of each: (2c + 510 + 2) / 4.
    estilo.transparente = false;
    estilo.fundo = 0xFFFFFF;
    renderizador.setEstilo(estilo);
    renderizador.desenhar(Camera(), projecao, quadro);
    ASSERT_FALSE(quadro.getTransparente());
    const auto meio = [](int c) { return (2 * c + 2 * 255 + 2) / 4; };
    EXPECT_EQ(quadro.getCanais(10, 30),
              Quadro::opaco(meio(Quadro::vermelhoDe(dentro)), meio(Quadro::verdeDe(dentro)),
                            meio(Quadro::azulDe(dentro))));
    EXPECT_EQ(quadro.getCanais(5, 5), Quadro::opaco(255, 255, 255));
    // A grey background: 16 bits pack it as every colour, 24 keep it.
    estilo.amostras = 1;
    estilo.fundo = 0x808080;
    renderizador.setEstilo(estilo);
    renderizador.desenhar(Camera(), projecao, quadro);
    EXPECT_EQ(quadro.getCanais(5, 5) & Quadro::kSemAlfa, 0x808080U);
    estilo.bits24 = false;
    renderizador.setEstilo(estilo);
    renderizador.desenhar(Camera(), projecao, quadro);
    EXPECT_FALSE(quadro.temCanais());
    EXPECT_EQ(Quadro::expandir(quadro.getCor(5, 5)), Quadro::opaco(132, 130, 132));
}

TEST(EdlTest, Log2EExpDeQuatroOperacoesPertoDosDoSistema) {
    // Within 4 units in the last place of the system's own, over the depths and the darkening
    // factors the eye-dome lighting meets; exact where the value is.
    const auto ulps = [](double a, double b) {
        return std::fabs(a - b) / std::fabs(std::nextafter(b, 2 * b + 1) - b);
    };
    for (double x = 1e-310; x < 1e300; x *= 1.37) {
        EXPECT_LE(ulps(Elementares::log2(x), std::log2(x)), 4.0) << x;
    }
    for (const double x : {1.0, 2.0, 0.5, 1024.0, 0.125})
        EXPECT_EQ(Elementares::log2(x), std::log2(x));
    for (double y = -744.0; y <= 0.0; y += 0.0137) {
        const double esperado = std::exp(y);
        if (esperado > 1e-300) {
            EXPECT_LE(ulps(Elementares::exp(y), esperado), 4.0) << y;
        }
    }
    // Four lanes at a time: the same bits as one at a time.
    if (__builtin_cpu_supports("avx2")) {
        for (double x = 1e-300; x < 1e300; x *= 1.61) {
            const double y = -x / 1e298;
            double quatro[2][4];
            quatroLanes(x, y, quatro);
            for (int t = 0; t < 4; ++t) {
                EXPECT_EQ(quatro[0][t], Elementares::log2(x * (t + 1))) << x;
                EXPECT_EQ(quatro[1][t], Elementares::exp(y * (t + 1))) << y;
            }
        }
    }
    EXPECT_EQ(Elementares::exp(0.0), 1.0);
    EXPECT_EQ(Elementares::exp(-0.0), 1.0);
    EXPECT_EQ(Elementares::exp(-800.0), 0.0);
}
