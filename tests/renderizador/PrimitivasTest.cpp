// Loose points and lines: the squares' pixels, depths and colours worked out by hand, the lines'
// pixels, clipping and depth test, their place among triangles, edges and needles, and whole
// frames against the straightforward reference on 1, 2 and 3 threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Camera.h"
#include "CenaCarregada.h"
#include "Estilo.h"
#include "GeradorCena.h"
#include "Gouraud.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Primitivas.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "RenderizadorReferencia.h"

using namespace gouraud::detail;

// The test program's count of allocations (RenderizadorTest.cpp counts them).
extern std::atomic<long> alocacoes;

namespace {

constexpr int kLado = 512;
using Terno = Primitivas::Terno;
using Pixel = std::pair<int, int>;

// The camera at the origin looking along +z (U = -x, V = y) through a window that puts camera
// coordinates (cu, cv, cn) at xs = cu/cn + 256 and ys = 256 - cv/cn on a 512 x 512 frame, with
// the near plane at cn = 0.5: every position below is exact.
Projecao projecao() {
    Projecao p;
    p.hx = p.hy = kLado / 2.0;
    p.largura = p.altura = kLado;
    p.zPerto = 0.5;
    return p;
}

// The world position that lands at (xs, ys) with depth cn.
Terno naTela(double xs, double ys, double cn) {
    return Terno{static_cast<float>((kLado / 2.0 - xs) * cn),
                 static_cast<float>((kLado / 2.0 - ys) * cn), static_cast<float>(cn)};
}
Ponto pontoNaTela(double xs, double ys, double cn) { return Primitivas::ponto(naTela(xs, ys, cn)); }

// A model of a scene's triangles and `primitivas`.
struct Modelo {
    std::unique_ptr<Gouraud> cena;
    std::unique_ptr<Malha> malha;
    Modelo(std::unique_ptr<Gouraud> dada, Primitivas primitivas) : cena(std::move(dada)) {
        malha = std::make_unique<Malha>(*cena, nullptr, std::move(primitivas));
    }
    // The triangles given (corners on the screen as naTela puts them) and `primitivas`.
    Modelo(std::vector<Ponto> pontos, std::vector<Triangulo> triangulos, Primitivas primitivas)
        : Modelo(std::make_unique<Gouraud>(std::move(pontos), std::move(triangulos), Vetor(0, 0, 1),
                                           Vetor(0, 1, 0), Ponto(0, 0, 0), 0, 0, 0),
                 std::move(primitivas)) {}
    explicit Modelo(Primitivas primitivas) : Modelo({}, {}, std::move(primitivas)) {}
};

Quadro desenhar(const Modelo& modelo, const Estilo& estilo = Estilo(), int threads = 2,
                bool avx2 = true) {
    Renderizador renderizador(*modelo.malha, Iluminacao(), threads);
    renderizador.permitirAvx2(avx2);
    renderizador.setEstilo(estilo);
    Quadro quadro(kLado, kLado);
    renderizador.desenhar(Camera(), projecao(), quadro);
    return quadro;
}

std::set<Pixel> desenhados(const Quadro& q) {
    std::set<Pixel> pixels;
    for (int j = 0; j < q.getAltura(); ++j)
        for (int i = 0; i < q.getLargura(); ++i)
            if (q.getCor(i, j) != 0) pixels.insert({i, j});
    return pixels;
}

std::set<Pixel> retangulo(int i0, int i1, int j0, int j1) {
    std::set<Pixel> pixels;
    for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i) pixels.insert({i, j});
    return pixels;
}

Estilo comPonto(int tamanho) {
    Estilo estilo;
    estilo.tamanhoPonto = tamanho;
    return estilo;
}

// The default lighting's point seen head-on: Ka.Ia + Kd.Od.Il = (234.6, 204.0, 163.2).
const std::uint16_t kBege = Quadro::empacotar(234, 204, 163);

TEST(PontosTest, QuadradosCobremAsColunasEAsLinhasDaRegra) {
    // xs - s/2 <= i + 0.5 < xs + s/2 worked out by hand: (xs, s) -> first and last column.
    struct Caso {
        double centro;
        int tamanho;
        int primeiro;
        int ultimo;
    };
    const Caso casos[] = {{100.5, 1, 100, 100}, {100.0, 1, 99, 99},    {100.0, 2, 99, 100},
                          {100.5, 2, 99, 100},  {100.75, 2, 100, 101}, {100.5, 3, 99, 101},
                          {100.0, 3, 98, 100},  {100.25, 3, 99, 101},  {100.5, 16, 92, 107}};
    for (const Caso& x : casos) {
        for (const Caso& y : casos) {
            if (x.tamanho != y.tamanho) continue;
            Primitivas primitivas;
            const Terno p = naTela(x.centro, y.centro + 200, 1);
            primitivas.acrescentarPonto(p, nullptr, nullptr);
            const Modelo modelo(std::move(primitivas));
            for (const bool avx2 : {true, false}) {
                const Quadro q = desenhar(modelo, comPonto(x.tamanho), 2, avx2);
                EXPECT_EQ(desenhados(q),
                          retangulo(x.primeiro, x.ultimo, y.primeiro + 200, y.ultimo + 200))
                    << "centre " << x.centro << ", " << y.centro << ", size " << x.tamanho;
                EXPECT_EQ(q.getCor(x.primeiro, y.primeiro + 200), kBege);
                EXPECT_EQ(q.getProfundidade(x.primeiro, y.primeiro + 200), 1.0);
            }
        }
    }
}

TEST(PontosTest, FrameCortaOQuadradoEPlanoPertoOEsconde) {
    Primitivas primitivas;
    primitivas.acrescentarPonto(naTela(0.5, 511.5, 1), nullptr, nullptr);      // half off, corner
    primitivas.acrescentarPonto(naTela(-5, 100, 1), nullptr, nullptr);         // off the left
    primitivas.acrescentarPonto(naTela(300.5, 40.5, 0.25), nullptr, nullptr);  // nearer than zPerto
    primitivas.acrescentarPonto(naTela(400.5, 40.5, 0.5), nullptr, nullptr);   // on the near plane
    const Quadro q = desenhar(Modelo(std::move(primitivas)));
    std::set<Pixel> esperados = retangulo(0, 1, 510, 511);
    const std::set<Pixel> plano = retangulo(399, 401, 39, 41);
    esperados.insert(plano.begin(), plano.end());
    EXPECT_EQ(desenhados(q), esperados);
    EXPECT_EQ(q.getProfundidade(400, 40), 2.0);
}

TEST(PontosTest, ProfundidadeContraTriangulosEOrdemDoArquivo) {
    // A triangle at cn = 2 over the left of the frame; points behind it, in front of it, at its
    // very depth, and two at one place and depth with different colours.
    const std::vector<Ponto> cantos = {pontoNaTela(0, 0, 2), pontoNaTela(300, 0, 2),
                                       pontoNaTela(0, 300, 2)};
    Primitivas primitivas;
    const Terno vermelho{1, 0, 0}, azul{0, 0, 1};
    primitivas.acrescentarPonto(naTela(50.5, 50.5, 4), nullptr, &vermelho);   // behind
    primitivas.acrescentarPonto(naTela(100.5, 50.5, 1), nullptr, &vermelho);  // in front
    primitivas.acrescentarPonto(naTela(150.5, 50.5, 2), nullptr, &vermelho);  // equal: triangle
    primitivas.acrescentarPonto(naTela(400.5, 50.5, 3), nullptr, &vermelho);  // first of two
    primitivas.acrescentarPonto(naTela(400.5, 50.5, 3), nullptr, &azul);
    // A nearer later point over half of an earlier one's square.
    primitivas.acrescentarPonto(naTela(400.5, 200.5, 3), nullptr, &azul);
    primitivas.acrescentarPonto(naTela(402.5, 200.5, 2), nullptr, &vermelho);
    const Modelo modelo(cantos, {Triangulo(0, 1, 2)}, std::move(primitivas));
    const std::uint16_t corVermelha = Quadro::empacotar(255, 51, 51);
    const std::uint16_t corAzul = Quadro::empacotar(51, 51, 255);
    for (const int threads : {1, 3}) {
        const Quadro q = desenhar(modelo, Estilo(), threads);
        const std::uint16_t triangulo = q.getCor(20, 20);
        EXPECT_NE(triangulo, 0);
        EXPECT_EQ(q.getCor(50, 50), triangulo);
        EXPECT_EQ(q.getProfundidade(50, 50), 0.5);
        EXPECT_EQ(q.getCor(100, 50), corVermelha);
        EXPECT_EQ(q.getProfundidade(100, 50), 1.0);
        EXPECT_EQ(q.getCor(150, 50), triangulo);
        EXPECT_EQ(q.getCor(400, 50), corVermelha);
        EXPECT_EQ(q.getCor(399, 200), corAzul);
        EXPECT_EQ(q.getCor(401, 200), corVermelha);
        EXPECT_EQ(q.getCor(403, 200), corVermelha);
    }
}

TEST(PontosTest, CorDaNormalDaCorDoArquivoOuDeFrente) {
    // On the axis, the headlight straight on: N.L = R.V = 1 with a normal, whichever way it
    // points and whatever its length: Ka.Ia + Kd.Od.Il + Ks.Il = (323.85, 293.25, 252.45),
    // clamped. Without a usable one, head-on: Ka.Ia + Kd.Od.Il, no specular.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Terno normais[] = {{0, 0, -1}, {0, 0, 5}, {0, 0, 0}, {nan, 0, 1}};
    const std::uint16_t esperadas[] = {Quadro::empacotar(255, 255, 252),
                                       Quadro::empacotar(255, 255, 252), kBege, kBege};
    for (int k = 0; k < 4; ++k) {
        Primitivas primitivas;
        primitivas.acrescentarPonto(naTela(256, 256, 1), &normais[k], nullptr);
        EXPECT_EQ(desenhar(Modelo(std::move(primitivas))).getCor(256, 256), esperadas[k]) << k;
    }
    // The file's colour (1, 0, 0.5) is Od: (51 + 204, 51, 51 + 102); one not finite is none.
    Primitivas coloridos;
    const Terno cor{1, 0, 0.5}, semCor{0.5, nan, 0};
    coloridos.acrescentarPonto(naTela(100.5, 100.5, 1), nullptr, &cor);
    coloridos.acrescentarPonto(naTela(200.5, 100.5, 1), nullptr, &semCor);
    const Quadro q = desenhar(Modelo(std::move(coloridos)));
    EXPECT_EQ(q.getCor(100, 100), Quadro::empacotar(255, 51, 153));
    EXPECT_EQ(q.getCor(200, 100), kBege);
}

TEST(PontosTest, ModosArestasEAgulhasNaoMudamOsPontos) {
    // A point over a triangle's edge keeps its colour under every mode, with the edges and the
    // needles; the triangle around it changes.
    const std::vector<Ponto> cantos = {pontoNaTela(100, 100, 2), pontoNaTela(300, 100, 2),
                                       pontoNaTela(100, 300, 2)};
    Primitivas primitivas;
    const Terno normal{0, 0, -1};
    primitivas.acrescentarPonto(naTela(200.5, 100.5, 1), &normal, nullptr);
    const Modelo modelo(cantos, {Triangulo(0, 1, 2)}, std::move(primitivas));
    const Quadro padrao = desenhar(modelo);
    for (const Estilo::Modo modo : {Estilo::Modo::plano, Estilo::Modo::phong}) {
        Estilo estilo;
        estilo.modo = modo;
        estilo.arestas = estilo.normais = true;
        const Quadro q = desenhar(modelo, estilo);
        for (const Pixel& p : retangulo(199, 201, 99, 101))
            EXPECT_EQ(q.getCor(p.first, p.second), padrao.getCor(p.first, p.second));
        EXPECT_EQ(q.getCor(150, 100), 0);  // the edge beside the point, black
        EXPECT_NE(q.getCor(150, 100), padrao.getCor(150, 100));
    }
    // A cloud alone draws no needle.
    Primitivas soPontos;
    soPontos.acrescentarPonto(naTela(200.5, 100.5, 1), &normal, nullptr);
    const Modelo nuvem(std::move(soPontos));
    Estilo agulhas;
    agulhas.normais = true;
    EXPECT_EQ(desenhados(desenhar(nuvem, agulhas)), retangulo(199, 201, 99, 101));
}

// The pixels a line from (x0, y0) to (x1, y1) on the screen gives alone, at cn = 1.
std::set<Pixel> linhaSozinha(double x0, double y0, double x1, double y1) {
    Primitivas primitivas;
    primitivas.acrescentarLinha(naTela(x0, y0, 1), naTela(x1, y1, 1), nullptr);
    const Quadro q = desenhar(Modelo(std::move(primitivas)));
    for (const Pixel& p : desenhados(q)) {
        EXPECT_EQ(q.getCor(p.first, p.second), kBege);
        EXPECT_EQ(q.getProfundidade(p.first, p.second), 0.0);  // lines write no depth
    }
    return desenhados(q);
}

TEST(LinhasTest, UmPixelPorColunaOuPorLinha) {
    // Shallow: columns 10..30, row floor(20.25 + 0.25 (i - 10)).
    std::set<Pixel> rasa;
    for (int i = 10; i <= 30; ++i) rasa.insert({i, static_cast<int>(20.25 + 0.25 * (i - 10))});
    EXPECT_EQ(linhaSozinha(10.5, 20.25, 30.5, 25.25), rasa);
    EXPECT_EQ(linhaSozinha(30.5, 25.25, 10.5, 20.25), rasa);
    // Steep: rows 10..42, column floor(100.5 + 0.125 (j - 10)).
    std::set<Pixel> ingreme;
    for (int j = 10; j <= 42; ++j) ingreme.insert({static_cast<int>(100.5 + 0.125 * (j - 10)), j});
    EXPECT_EQ(linhaSozinha(100.5, 10.5, 104.5, 42.5), ingreme);
    // Ends that coincide draw nothing; a line across the whole frame and beyond, one per column.
    EXPECT_TRUE(linhaSozinha(200.5, 200.5, 200.5, 200.5).empty());
    EXPECT_EQ(linhaSozinha(-1000, 300.5, 1500, 300.5), retangulo(0, kLado - 1, 300, 300));
}

TEST(LinhasTest, PlanoPertoCortaALinha) {
    // From (-10, 0, 2) to (-10, 4, -2): cut at cn = 0.5 at (-10, 1.5, 0.5), so drawn from
    // (261, 256) to (276, 253): columns 261..275 only, one pixel each.
    Primitivas primitivas;
    primitivas.acrescentarLinha(Terno{-10, 0, 2}, Terno{-10, 4, -2}, nullptr);
    const Quadro q = desenhar(Modelo(std::move(primitivas)));
    const std::set<Pixel> pixels = desenhados(q);
    ASSERT_EQ(pixels.size(), 15U);
    EXPECT_EQ(pixels.begin()->first, 261);
    EXPECT_EQ(pixels.rbegin()->first, 275);
    EXPECT_TRUE(pixels.count({261, 255}));  // 256 + (261.5 - 261) (-3/15) = 255.9
    EXPECT_TRUE(pixels.count({275, 253}));  // 256 + 14.5 (-3/15) = 253.1
    // Wholly behind: nothing.
    Primitivas atras;
    atras.acrescentarLinha(Terno{-10, 0, 0.25}, Terno{10, 4, -2}, nullptr);
    EXPECT_TRUE(desenhados(desenhar(Modelo(std::move(atras)))).empty());
}

TEST(LinhasTest, MetadeAtrasDeUmTrianguloEArestasPorCima) {
    // A triangle at cn = 2 (1/cn = 0.5) over columns 200 to about 350 of row 300; a line on row
    // 300.5 from (150, 1/cn = 1) to (350, 1/cn = 0.25): its 1/cn falls below 0.5 after column
    // 282 (1 - 0.75 (i + 0.5 - 150)/200 >= 0.5 up to i + 0.5 = 283.3).
    const std::vector<Ponto> cantos = {pontoNaTela(200, 250, 2), pontoNaTela(400, 250, 2),
                                       pontoNaTela(200, 450, 2)};
    Primitivas primitivas;
    const Terno verde{0, 1, 0};
    primitivas.acrescentarLinha(naTela(150, 300.5, 1), naTela(350, 300.5, 4), &verde);
    // A line lying in the triangle's plane, at its very depth, across its left edge.
    primitivas.acrescentarLinha(naTela(180.5, 400, 2), naTela(230.5, 400, 2), nullptr);
    const Modelo modelo(cantos, {Triangulo(0, 1, 2)}, std::move(primitivas));
    const std::uint16_t corVerde = Quadro::empacotar(51, 255, 51);
    const Quadro q = desenhar(modelo);
    const std::uint16_t triangulo = q.getCor(210, 320);
    EXPECT_EQ(q.getCor(180, 300), corVerde);            // before the triangle
    EXPECT_EQ(q.getCor(282, 300), corVerde);            // in front of it
    EXPECT_EQ(q.getCor(283, 300), q.getCor(283, 320));  // behind it: the triangle shows
    EXPECT_NE(q.getCor(283, 300), corVerde);
    EXPECT_EQ(q.getProfundidade(250, 300), 0.5);  // the triangle's depth stays
    EXPECT_EQ(q.getCor(210, 400), kBege);         // at equal depth the line shows
    EXPECT_NE(triangulo, kBege);
    // The edges go over the lines: the left edge's pixel (200, 400) turns black.
    EXPECT_EQ(q.getCor(200, 400), kBege);
    Estilo arestas;
    arestas.arestas = true;
    const Quadro comArestas = desenhar(modelo, arestas);
    EXPECT_EQ(comArestas.getCor(200, 400), 0);
    EXPECT_EQ(comArestas.getCor(210, 400), kBege);
}

TEST(LinhasTest, ALinhaSeguinteFicaPorCimaEAAgulhaPorCimaDeTudo) {
    Primitivas primitivas;
    const Terno vermelho{1, 0, 0}, azul{0, 0, 1};
    primitivas.acrescentarLinha(naTela(100.5, 100.5, 1), naTela(200.5, 100.5, 1), &vermelho);
    primitivas.acrescentarLinha(naTela(150.5, 50.5, 1), naTela(150.5, 150.5, 1), &azul);
    const Quadro q = desenhar(Modelo(std::move(primitivas)));
    EXPECT_EQ(q.getCor(150, 100), Quadro::empacotar(51, 51, 255));
    EXPECT_EQ(q.getCor(140, 100), Quadro::empacotar(255, 51, 51));
}

// A model with the bunny's triangles and random points and lines about it (the bunny spans
// x -5..5, y 0..9.7, z -3.7..3.8, seen from z = -10), with and without normals and colours, some
// lines reaching behind the camera across the near plane, and points given twice (equal depths:
// the file's order decides).
Modelo coelhoComPrimitivas(std::uint64_t semente) {
    std::ifstream arquivo(std::filesystem::path(GOURAUD_EXEMPLOS_DIR) / "bunny.txt");
    const std::unique_ptr<Gouraud> lido =
        carregarCena(std::string(std::istreambuf_iterator<char>(arquivo), {}));
    const Gouraud& coelho = *lido;
    std::vector<Ponto> pontos(coelho.getListaPonto(),
                              coelho.getListaPonto() + coelho.getQuantPontos());
    std::vector<Triangulo> triangulos(coelho.getListaTriangulo(),
                                      coelho.getListaTriangulo() + coelho.getQuantTriangulos());
    std::mt19937_64 gerador(semente);
    std::uniform_real_distribution<float> x(-6, 6), y(-1, 11), z(-5, 5), canal(-0.2f, 1.2f);
    const auto posicao = [&] { return Terno{x(gerador), y(gerador), z(gerador)}; };
    const auto cor = [&] { return Terno{canal(gerador), canal(gerador), canal(gerador)}; };
    Primitivas primitivas;
    for (int k = 0; k < 3000; ++k) {
        const Terno normal = posicao(), c = cor();
        primitivas.acrescentarPonto(posicao(), k % 3 == 0 ? nullptr : &normal,
                                    k % 5 == 0 ? nullptr : &c);
    }
    for (int k = 0; k < 300; ++k) {
        const Terno c = cor(), a = posicao();
        Terno b = posicao();
        b.z -= k % 4 == 0 ? 20.0f : 0.0f;
        primitivas.acrescentarLinha(a, b, k % 7 == 0 ? nullptr : &c);
    }
    const Primitivas copia = primitivas;
    for (int k = 0; k < 100; ++k)
        primitivas.acrescentarPonto(copia.getPosicao(k), nullptr, nullptr);
    return Modelo(
        std::make_unique<Gouraud>(std::move(pontos), std::move(triangulos), *coelho.getVetorNLido(),
                                  *coelho.getVetorVLido(), *coelho.getFoco(), 0, 0, 0),
        std::move(primitivas));
}

std::string diferenca(const Quadro& a, const Quadro& b) {
    for (int y = 0; y < a.getAltura(); ++y)
        for (int x = 0; x < a.getLargura(); ++x)
            if (a.getCor(x, y) != b.getCor(x, y) ||
                a.getProfundidade(x, y) != b.getProfundidade(x, y))
                return std::to_string(x) + "," + std::to_string(y);
    return "";
}

TEST(PrimitivasDiferencialTest, ComoAReferenciaEmQualquerNumeroDeThreads) {
    Iluminacao lateral;
    lateral.luzNoFoco = false;
    lateral.luz = Ponto(3, 4, -5);
    for (const std::uint64_t semente : {1U, 2U}) {
        const Modelo modelo = coelhoComPrimitivas(semente);
        const Camera camera(*modelo.cena);
        const Projecao vista = Projecao::daCena(*modelo.cena, *modelo.malha, camera);
        for (const int tamanho : {1, 3, 16}) {
            Estilo estilo = comPonto(tamanho);
            estilo.arestas = tamanho == 3;
            estilo.normais = tamanho == 16;
            estilo.modo = tamanho == 1 ? Estilo::Modo::phong : Estilo::Modo::gouraud;
            for (const Iluminacao& luz : {Iluminacao(), lateral}) {
                Quadro referencia;
                desenharReferencia(*modelo.malha, luz, camera, vista, referencia, estilo);
                for (const int threads : {1, 2, 3}) {
                    for (const bool avx2 : {true, false}) {
                        Renderizador renderizador(*modelo.malha, luz, threads);
                        renderizador.permitirAvx2(avx2);
                        renderizador.setEstilo(estilo);
                        Quadro q;
                        renderizador.desenhar(camera, vista, q);
                        EXPECT_EQ(diferenca(q, referencia), "")
                            << "seed " << semente << ", size " << tamanho << ", " << threads
                            << " threads, avx2 " << avx2;
                        const long antes = alocacoes.load();
                        renderizador.desenhar(camera, vista, q);  // a frame over a frame
                        EXPECT_EQ(alocacoes.load(), antes) << "drawing again allocated";
                        EXPECT_EQ(diferenca(q, referencia), "");
                    }
                }
            }
        }
    }
}

TEST(PrimitivasDiferencialTest, NuvemDosExemplosComoAReferencia) {
    CenaCarregada nuvem((std::filesystem::path(GOURAUD_EXEMPLOS_DIR) / "nuvem.ply").string());
    ASSERT_TRUE(nuvem.valida()) << nuvem.getErro();
    ASSERT_EQ(nuvem.getMalha().getQuantTriangulos(), 0);
    Quadro referencia;
    desenharReferencia(nuvem.getMalha(), Iluminacao(), nuvem.getCamera(), nuvem.getProjecao(),
                       referencia);
    EXPECT_GT(desenhados(referencia).size(), 0U);
    for (const int threads : {1, 2, 3}) {
        Renderizador renderizador(nuvem.getMalha(), Iluminacao(), threads);
        Quadro q;
        renderizador.desenhar(nuvem.getCamera(), nuvem.getProjecao(), q);
        EXPECT_EQ(diferenca(q, referencia), "") << threads << " threads";
    }
}

}  // namespace
