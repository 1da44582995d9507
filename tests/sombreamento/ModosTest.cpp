// The shading modes, the edges and the normal needles: pixels worked out by hand, and whole
// frames against the straightforward reference on any number of threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Agulhas.h"
#include "Camera.h"
#include "CorPhong.h"
#include "CorPlana.h"
#include "Estilo.h"
#include "GeradorCena.h"
#include "Gouraud.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "RenderizadorReferencia.h"
#include "Visualizacao.h"

using namespace gouraud::detail;

// Counted by the test program's operator new (RenderizadorTest.cpp).
extern std::atomic<long> alocacoes;

namespace {

// A scene loaded from text, with what drawing it needs.
struct Cena {
    std::unique_ptr<Gouraud> gouraud;
    std::unique_ptr<Malha> malha;
    Camera camera;
    Projecao projecao;
    explicit Cena(const std::string& texto) {
        std::istringstream entrada(texto);
        std::streambuf* saida = std::cout.rdbuf(nullptr);  // the loader's marker line
        gouraud = std::make_unique<Gouraud>(entrada);
        std::cout.rdbuf(saida);
        std::cout.clear();
        malha = std::make_unique<Malha>(*gouraud);
        camera = Camera(*gouraud);
        projecao = Projecao::daCena(*gouraud, *malha, camera);
    }
    Quadro desenhar(const Estilo& estilo, const Iluminacao& luz = Iluminacao()) const {
        Renderizador renderizador(*malha, luz, 1);
        renderizador.setEstilo(estilo);
        Quadro quadro;
        renderizador.desenhar(camera, projecao, quadro);
        return quadro;
    }
};

// Seen from the origin along +z with V = +y, so U = -x, through the window d = hx = hy = 1:
// a point (x, y, z) lands at ((1 - x/z) 320, (1 - y/z) 240).
std::string vistaDaOrigem(const std::string& malha) {
    return malha + "\n0 0 1\n0 1 0\n0 0 0\n1 1 1\n";
}

Estilo estilo(Estilo::Modo modo, bool arestas = false, bool normais = false) {
    Estilo e;
    e.modo = modo;
    e.arestas = arestas;
    e.normais = normais;
    return e;
}

// The pixels of the frame in the needles' colour.
std::vector<std::pair<int, int>> azuis(const Quadro& q) {
    std::vector<std::pair<int, int>> pixels;
    for (int y = 0; y < Quadro::kAltura; ++y)
        for (int x = 0; x < Quadro::kLargura; ++x)
            if (q.getCor(x, y) == Agulhas::cor()) pixels.emplace_back(x, y);
    return pixels;
}

using Pixels = std::vector<std::pair<int, int>>;

TEST(AgulhasTest, UmPixelPorColunaOuPorLinha) {
    // Shallow, dy/dx = 1.4/5.7: columns 2..7 (centres 2.5..7.5 in [2.2, 7.9]), rows
    // floor(3.7 + (i + 0.5 - 2.2) 1.4/5.7) = 3.77, 4.02, 4.27, 4.51, 4.76 and 5.0018.
    // Steep, dx/dy = 1.5/7.2: rows 2..8, columns floor(10.5 + (j + 0.5 - 2) 1.5/7.2) = 10.60,
    // 10.81, 11.02, 11.23, 11.44, 11.65, 11.85. Either way round, the same pixels.
    const Pixels rasa = {{2, 3}, {3, 4}, {4, 4}, {5, 4}, {6, 4}, {7, 5}};
    const Pixels ingreme = {{10, 2}, {10, 3}, {11, 4}, {11, 5}, {11, 6}, {11, 7}, {11, 8}};
    for (const bool inverter : {false, true}) {
        Quadro q;
        const auto segmento = [&](double x0, double y0, double x1, double y1) {
            if (inverter) std::swap(x0, x1), std::swap(y0, y1);
            Agulhas::desenharSegmento(x0, y0, 0.5, x1, y1, 0.5, q);
        };
        segmento(2.2, 3.7, 7.9, 5.1);
        EXPECT_EQ(azuis(q), rasa);
        q.limpar();
        segmento(10.5, 2.0, 12.0, 9.2);
        EXPECT_EQ(azuis(q), ingreme);
        for (const auto& [x, y] : azuis(q)) EXPECT_EQ(q.getProfundidade(x, y), 0.0);
    }
    // Ends on pixel centres include both end columns.
    Quadro centros;
    Agulhas::desenharSegmento(25.5, 30.7, 1, 20.5, 30.2, 1, centros);
    EXPECT_EQ(azuis(centros), (Pixels{{20, 30}, {21, 30}, {22, 30}, {23, 30}, {24, 30}, {25, 30}}));
    // Zero length on the screen draws nothing; ends thousands of pixels away draw exactly the
    // on-screen columns; ends that are not finite draw nothing.
    Quadro q;
    Agulhas::desenharSegmento(5.5, 5.5, 1, 5.5, 5.5, 2, q);
    EXPECT_TRUE(azuis(q).empty());
    // Rows floor(100.501 + 0.002 i): 100 up to column 249, 101 from 250.
    Agulhas::desenharSegmento(-5000, 90.5, 1, 5000, 110.5, 1, q);
    EXPECT_EQ(azuis(q).size(), static_cast<std::size_t>(Quadro::kLargura));
    EXPECT_EQ(q.getCor(249, 100), Agulhas::cor());
    EXPECT_EQ(q.getCor(250, 101), Agulhas::cor());
    q.limpar();
    Agulhas::desenharSegmento(1e300, 5, 1, -1e300, 6, 1, q);
    Agulhas::desenharSegmento(std::nan(""), 5, 1, 10, 6, 1, q);
    EXPECT_EQ(azuis(q).size(), static_cast<std::size_t>(Quadro::kLargura));
}

TEST(AgulhasTest, ProfundidadeDecideSemMudar) {
    // A triangle at 1/cn 0.5 over columns 0..39 of rows 0..63; a needle along row 10 whose 1/cn
    // goes from 0.4 at x = 0 to 0.6 at x = 40: 0.4 + (i + 0.5) 0.005 >= 0.5 from column 20.
    Quadro q;
    Renderizador::desenharTriangulo(Vetor(0, 0, 0), 0.5, Vetor(10, 10, 10), Vetor(80, 0, 0), 0.5,
                                    Vetor(10, 10, 10), Vetor(0, 64, 0), 0.5, Vetor(10, 10, 10), 0,
                                    64, q);
    Agulhas::desenharSegmento(0, 10.5, 0.4, 40, 10.5, 0.6, q);
    for (int x = 0; x < 40; ++x) {
        EXPECT_EQ(q.getCor(x, 10) == Agulhas::cor(), x >= 20) << x;
        EXPECT_EQ(q.getProfundidade(x, 10), 0.5) << x;
    }
    // At equal depth the needle shows.
    Agulhas::desenharSegmento(0, 20.5, 0.5, 40, 20.5, 0.5, q);
    EXPECT_EQ(q.getCor(3, 20), Agulhas::cor());
}

// A large triangle at z = 5, far beyond the screen's edges, and behind it a small one whose
// normal is (-0.6, 0, 0.8): its needles go (0.6, 0, -0.8) times 0.03 D, D = |(60, 60, 1.6)|,
// from z > 5 to z < 5. The needle of the small triangle's point `p` (y = 0) runs along row 240.
std::string cenaComAgulhas(double z) {
    std::ostringstream texto;
    texto << "6 2\n-30 -30 5\n30 -30 5\n0 30 5\n"
          << "0 0 " << z << "\n0 1 " << z << "\n0.8 1 " << z + 0.6 << "\n0 1 2\n3 4 5";
    return vistaDaOrigem(texto.str());
}

TEST(AgulhasTest, MetadeAtrasDeUmTriangulo) {
    // From (0, 0, 6) to (0, 0, 6) + 2.5460 (0.6, 0, -0.8) = (1.5276, 0, 3.9632): columns 320
    // down to 196.65 of row 240, crossing z = 5 at (0.75, 0, 5), column 272.
    const Cena cena(cenaComAgulhas(6));
    const Quadro q = cena.desenhar(estilo(Estilo::Modo::gouraud, false, true));
    for (int x = 190; x < 330; ++x)
        EXPECT_EQ(q.getCor(x, 240) == Agulhas::cor(), x >= 197 && x <= 271) << x;
    const Quadro semAgulhas = cena.desenhar(estilo(Estilo::Modo::gouraud));
    for (int x = 190; x < 330; ++x) EXPECT_EQ(q.getProfundidade(x, 240), semAgulhas.getProfundidade(x, 240));
    Quadro referencia;
    desenharReferencia(*cena.malha, Iluminacao(), cena.camera, cena.projecao, referencia,
                       estilo(Estilo::Modo::gouraud, false, true));
    EXPECT_EQ(azuis(q), azuis(referencia));
}

TEST(AgulhasTest, AtravessaOPlanoPerto) {
    // From (0, 0, 1) towards the camera: cut where cn = zPerto = 0.001 D, whose screen x is
    // about -2267, so row 240 is blue from column 319 (x = 320 at the point) to the left edge.
    const Cena cena(cenaComAgulhas(1));
    const Quadro q = cena.desenhar(estilo(Estilo::Modo::gouraud, false, true));
    for (int x = 0; x < 319; ++x) EXPECT_EQ(q.getCor(x, 240), Agulhas::cor()) << x;
    EXPECT_NE(q.getCor(321, 240), Agulhas::cor());
    Quadro referencia;
    desenharReferencia(*cena.malha, Iluminacao(), cena.camera, cena.projecao, referencia,
                       estilo(Estilo::Modo::gouraud, false, true));
    EXPECT_EQ(azuis(q), azuis(referencia));
}

TEST(AgulhasTest, SoPontosNomeadosComDirecao) {
    // Point 3 is named by no triangle; triangle 1 has two equal corners, so its normal is NaN
    // and point 4, named last by it, has no direction; points 0, 1 and 2 have needles.
    const Cena cena(vistaDaOrigem("6 2\n0 0 5\n1 0 5\n0 1 5\n3 3 5\n2 2 5\n2 2 5\n0 1 2\n4 5 5"));
    EXPECT_EQ(Agulhas(*cena.malha).getQuantidade(), 3);
}

// Both renderers' frames of the scene, in that style: the fast one on 1 thread, then the
// reference.
std::vector<Quadro> ambos(const Cena& cena, const Estilo& e, const Iluminacao& luz = Iluminacao()) {
    std::vector<Quadro> quadros;
    quadros.push_back(cena.desenhar(e, luz));
    quadros.emplace_back();
    desenharReferencia(*cena.malha, luz, cena.camera, cena.projecao, quadros.back(), e);
    return quadros;
}

TEST(PlanoTest, CorDoCentroideComANormalDoTriangulo) {
    // The centroid's sum is ((p1 + p2) + p3): (0.1 + 0.2) + 0.3 = 0.6000000000000001.
    EXPECT_EQ(CorPlana::centroide(Ponto(0.1, 0, 0), Ponto(0.2, 0, 0), Ponto(0.3, 0, 0)).x,
              0.6000000000000001 / 3);
    // Triangle (0, 0, 0), (3, 0, 0), (0, 3, 0): centroid (1, 1, 0), normal (0, 0, -1), focus
    // (1, 1, -4), light (1, 5, -4): N.L = R.V = 1/sqrt 2, so per channel
    // 51 + 0.8 Od 255 / sqrt 2 + 0.35 * 255 / 256 = 181.17, 159.54 and 130.69.
    Iluminacao luz;
    luz.luzNoFoco = false;
    luz.luz = Ponto(1, 5, -4);
    const Ponto foco(1, 1, -4);
    const Vetor cor = CorPlana::cor(luz, Ponto(0, 0, 0), Ponto(3, 0, 0), Ponto(0, 3, 0),
                                    Vetor(0, 0, -1), foco, luz.luz);
    EXPECT_NEAR(cor.x, 181.17, 0.01);
    EXPECT_NEAR(cor.y, 159.54, 0.01);
    EXPECT_NEAR(cor.z, 130.69, 0.01);
    // Any length: the scene's normal of a thin triangle is short. Zero or NaN: ambient only.
    const Vetor curta = CorPlana::cor(luz, Ponto(0, 0, 0), Ponto(3, 0, 0), Ponto(0, 3, 0),
                                      Vetor(0, 0, -0.0009765625), foco, luz.luz);
    EXPECT_EQ(curta.x, cor.x);
    for (const Vetor& nula : {Vetor(0, 0, 0), Vetor(std::nan(""), 0, 0)}) {
        const Vetor ambiente =
            CorPlana::cor(luz, Ponto(0, 0, 0), Ponto(3, 0, 0), Ponto(0, 3, 0), nula, foco, luz.luz);
        EXPECT_EQ(ambiente.x, 51);
        EXPECT_EQ(ambiente.z, 51);
    }
    // Every pixel of the triangle seen from that focus has that colour, floored and packed.
    const Cena cena("3 1\n0 0 0\n3 0 0\n0 3 0\n0 1 2\n0 0 1\n0 1 0\n1 1 -4\n1 1 1\n");
    for (const Quadro& q : ambos(cena, estilo(Estilo::Modo::plano), luz)) {
        int pixels = 0;
        for (int y = 0; y < Quadro::kAltura; ++y)
            for (int x = 0; x < Quadro::kLargura; ++x)
                if (q.getProfundidade(x, y) > 0) {
                    ++pixels;
                    ASSERT_EQ(q.getCor(x, y), Quadro::empacotar(181, 159, 130)) << x << "," << y;
                }
        EXPECT_GT(pixels, 10000);
    }
}

TEST(PhongTest, BrilhoNoMeioQueNenhumCantoVe) {
    // A large triangle in z = 0 seen from (0, 0, -4) with the headlight, every point normal
    // (0, 0, -1). Pixel (320, 240) looks at P = (-0.00625, -0.00833, 0), where N.L = 0.9999966
    // and R.V = 0.9999864; with Ka 0.1, Kd 0.5 and Ks 0.3 the colour is
    // 25.5 + 0.5 Od 255 N.L + 0.3 * 255 (R.V)^16 = 216.73, 197.60 and 172.11. Gouraud there
    // mixes the corners' colours, lit 57 degrees off: far darker.
    Iluminacao luz;
    luz.ka = 0.1;
    luz.kd = 0.5;
    luz.ks = 0.3;
    const Cena cena("3 1\n-4 -4 0\n4 -4 0\n0 4 0\n0 2 1\n0 0 1\n0 1 0\n0 0 -4\n1 1 1\n");
    for (const Quadro& q : ambos(cena, estilo(Estilo::Modo::phong), luz))
        EXPECT_EQ(q.getCor(320, 240), Quadro::empacotar(216, 197, 172));
    const Quadro gouraud = cena.desenhar(estilo(Estilo::Modo::gouraud), luz);
    EXPECT_LT(Quadro::azul(gouraud.getCor(320, 240)), 140);
}

TEST(PhongTest, NormalInterpoladaNulaDaSoOAmbiente) {
    // Halfway from a corner whose normal is (0, 0, 1) to one whose normal is (0, 0, -1) the
    // normal is zero; a corner without a normal adds nothing. Position, then normal.
    const Iluminacao luz;
    const Ponto foco(0, 0, -4);
    const double a[] = {0, 0, 0, 0, 0, 1};
    const double b[] = {1, 0, 0, 0, 0, -1};
    const double c[] = {0, 1, 0, 0, 0, 0};
    const Vetor meio = CorPhong::cor(luz, foco, foco, a, b, c, 0.5, 0, 1);
    EXPECT_EQ(meio.x, 51);
    EXPECT_EQ(meio.y, 51);
    EXPECT_EQ(meio.z, 51);
    // Halfway to c the normal is (0, 0, 0.5), made unit and turned to the focus: lit head on.
    const Vetor paraC = CorPhong::cor(luz, foco, foco, a, b, c, 0, 0.5, 1);
    const Vetor normal(0, 0, 1);
    EXPECT_EQ(paraC.x, luz.corDoVertice(Ponto(0, 0.5, 0), &normal, foco, foco).x);
    EXPECT_GT(paraC.z, 200);
}

// A right triangle with corners on pixel corners (10, 10), (18, 10) and (10, 18): seen from
// the origin through the window d = 1, hx = 320, hy = 240, a point (x, y, 1) lands at
// (320 - x, 240 - y). Then a larger triangle nearer the camera, over columns 0..13.
const std::string kTrianguloPequeno = "3 1\n310 230 1\n302 230 1\n310 222 1\n0 1 2\n";
const std::string kVistaExata = "0 0 1\n0 1 0\n0 0 0\n1 320 240\n";

TEST(ArestasTest, PixelsDasArestasDeUmTrianguloPequeno) {
    // It covers i >= 10, j >= 10, i + j <= 26. Within 0.75 of y = 10: row 10; of x = 10:
    // column 10; of x + y = 28: i + j = 26 (0.71 away). The rest is its colour.
    const Cena cena(kTrianguloPequeno + kVistaExata);
    for (const Quadro& q : ambos(cena, estilo(Estilo::Modo::gouraud, true))) {
        for (int j = 8; j < 20; ++j)
            for (int i = 8; i < 20; ++i) {
                const bool coberto = i >= 10 && j >= 10 && i + j <= 26;
                const bool interior = i >= 11 && j >= 11 && i + j <= 25;
                EXPECT_EQ(q.getProfundidade(i, j) > 0, coberto) << i << "," << j;
                if (coberto) {
                    EXPECT_EQ(q.getCor(i, j) == 0, !interior) << i << "," << j;
                }
            }
    }
}

TEST(ArestasTest, ArestaEscondidaNaoAparece) {
    // Nearer (z = 0.5), a triangle whose right edge is x = 14 covers columns 0..13 of rows
    // 10..16: the small triangle's left edge under it is hidden; its own right edge turns
    // column 13 black; the small one's top edge shows from column 14 on.
    const Cena cena("6 2\n310 230 1\n302 230 1\n310 222 1\n170 120 0.5\n153 120 0.5\n153 100 0.5\n"
                    "0 1 2\n3 4 5\n" + kVistaExata);
    for (const Quadro& q : ambos(cena, estilo(Estilo::Modo::gouraud, true))) {
        for (int j = 11; j <= 15; ++j) {
            EXPECT_NE(q.getCor(10, j), 0) << j;
            EXPECT_NE(q.getCor(12, j), 0) << j;
            EXPECT_EQ(q.getCor(13, j), 0) << j;
        }
        for (int i = 14; i <= 16; ++i) EXPECT_EQ(q.getCor(i, 10), 0) << i;
        EXPECT_NE(q.getCor(14, 11), 0);
    }
}

TEST(ArestasTest, CorteDoPlanoPertoNaoEAresta) {
    // Corner (0, 1, 5) in front, (-1, -1, -1) and (1, -1, -1) behind, seen through a very wide
    // window (hx = 1000, hy = 750): the near plane (cn = 0.001 sqrt 44) cuts it along row
    // 272.06 from column 279.85 to 360.15. Row 271 is inside, 0.56 from that cut: black only
    // near the two cut mesh edges, which reach it near columns 280.5 and 359.5.
    const Cena cena("3 1\n0 1 5\n-1 -1 -1\n1 -1 -1\n0 1 2\n0 0 1\n0 1 0\n0 0 0\n1 1000 750\n");
    for (const Quadro& q : ambos(cena, estilo(Estilo::Modo::gouraud, true))) {
        for (int i = 283; i <= 357; ++i) {
            EXPECT_GT(q.getProfundidade(i, 271), 0) << i;
            EXPECT_NE(q.getCor(i, 271), 0) << i;
        }
        EXPECT_EQ(q.getCor(281, 271), 0);
        EXPECT_EQ(q.getCor(359, 271), 0);
        EXPECT_EQ(q.getProfundidade(320, 272), 0);
    }
}

// The first pixel where two frames differ in colour, or "". (Depths are the rasteriser's own
// business, tested against the reference elsewhere: where it first cuts a triangle reaching far
// off screen to a rectangle around it, they round differently in the last bits.)
std::string diferenca(const Quadro& a, const Quadro& b) {
    for (int y = 0; y < a.getAltura(); ++y)
        for (int x = 0; x < a.getLargura(); ++x)
            if (a.getCor(x, y) != b.getCor(x, y))
                return std::to_string(x) + "," + std::to_string(y);
    return "";
}

// Draws the scene in every mode with edges and needles on 1, 2 and 3 threads (or those given),
// on a frame of largura x altura, each frame against the reference, and each frame drawn again
// with nothing allocated.
void compararModos(const std::string& texto, const Iluminacao& luz, const std::string& nome,
                   std::initializer_list<int> quantThreads = {1, 2, 3},
                   int largura = Quadro::kLargura, int altura = Quadro::kAltura) {
    const Cena cena(texto);
    const Projecao projecao =
        Projecao::daCena(*cena.gouraud, *cena.malha, cena.camera, largura, altura);
    for (const Estilo::Modo modo : {Estilo::Modo::plano, Estilo::Modo::gouraud,
                                    Estilo::Modo::phong}) {
        const Estilo e = estilo(modo, true, true);
        Quadro referencia(largura, altura);
        desenharReferencia(*cena.malha, luz, cena.camera, projecao, referencia, e);
        for (const int threads : quantThreads) {
            Renderizador renderizador(*cena.malha, luz, threads);
            renderizador.setEstilo(e);
            Quadro q(largura, altura);
            renderizador.desenhar(cena.camera, projecao, q);
            EXPECT_EQ(diferenca(q, referencia), "")
                << nome << ", mode " << Estilo::nomeDoModo(modo) << ", " << threads << " threads";
            const long antes = alocacoes.load();
            renderizador.desenhar(cena.camera, projecao, q);
            EXPECT_EQ(alocacoes.load(), antes) << "drawing again allocated";
        }
        // Without the AVX2 paths: the same picture.
        Renderizador portatil(*cena.malha, luz, 2);
        portatil.permitirAvx2(false);
        portatil.setEstilo(e);
        Quadro q(largura, altura);
        portatil.desenhar(cena.camera, projecao, q);
        EXPECT_EQ(diferenca(q, referencia), "")
            << nome << ", mode " << Estilo::nomeDoModo(modo) << ", without AVX2";
    }
}

TEST(ModosDiferencialTest, CoelhoEmCadaModoComArestasEAgulhas) {
    std::ifstream coelho(std::filesystem::path(GOURAUD_EXEMPLOS_DIR) / "bunny.txt");
    ASSERT_TRUE(coelho.is_open());
    const std::string texto{std::istreambuf_iterator<char>(coelho), {}};
    Iluminacao lateral;
    lateral.luzNoFoco = false;
    lateral.luz = Ponto(30, 40, -50);
    compararModos(texto, Iluminacao(), "bunny");
    compararModos(texto, lateral, "bunny, light to the side", {2});
    compararModos(texto, Iluminacao(), "bunny on 333 x 517", {1, 3}, 333, 517);
}

TEST(ModosDiferencialTest, NovaIluminacaoMantemOModoEAsChaves) {
    // New lighting (the viewer's lighting file read again) keeps each mode and the edges: the
    // frame is the one a renderer made with that lighting and that style draws.
    std::ifstream coelho(std::filesystem::path(GOURAUD_EXEMPLOS_DIR) / "bunny.txt");
    ASSERT_TRUE(coelho.is_open());
    const Cena cena(std::string{std::istreambuf_iterator<char>(coelho), {}});
    Iluminacao lateral;
    lateral.luzNoFoco = false;
    lateral.luz = Ponto(30, 40, -50);
    for (const Estilo::Modo modo : {Estilo::Modo::plano, Estilo::Modo::gouraud,
                                    Estilo::Modo::phong}) {
        const Estilo e = estilo(modo, true, true);
        Renderizador renderizador(*cena.malha, Iluminacao(), 2);
        renderizador.setEstilo(e);
        Quadro q;
        renderizador.desenhar(cena.camera, cena.projecao, q);
        renderizador.setIluminacao(lateral);
        renderizador.desenhar(cena.camera, cena.projecao, q);
        EXPECT_EQ(diferenca(q, cena.desenhar(e, lateral)), "") << Estilo::nomeDoModo(modo);
        EXPECT_NE(diferenca(q, cena.desenhar(estilo(Estilo::Modo::gouraud), lateral)), "")
            << Estilo::nomeDoModo(modo);
        EXPECT_EQ(renderizador.getEstilo().descricao(), e.descricao());
    }
}

TEST(ModosDiferencialTest, NuvensVistasDeDentro) {
    // Random clouds seen from a random focus, mostly from inside: large overlapping triangles,
    // many cut by the near plane, needles crossing it.
    for (std::uint64_t semente = 1; semente <= 3; ++semente)
        compararModos(gerarCena(semente, 30, 30), Iluminacao(), "seed " + std::to_string(semente),
                      {1, 3});
}

TEST(ModosVisualizacaoTest, ModoEChavesFicamQuandoOsArquivosSaoLidosDeNovo) {
    // The viewer reads its scene and lighting files again when they change: a new renderer for
    // the scene, new lighting for the shading; the mode and the switches stay.
    namespace fs = std::filesystem;
    const fs::path pasta = fs::temp_directory_path() / "modos-visualizacao";
    fs::remove_all(pasta);
    fs::create_directories(pasta);
    const fs::path exemplos(GOURAUD_EXEMPLOS_DIR);
    fs::copy_file(exemplos / "toro.txt", pasta / "toro.txt");
    fs::copy_file(exemplos / "iluminacao.txt", pasta / "luz.txt");
    std::streambuf* saida = std::cout.rdbuf(nullptr);  // the loader's marker lines
    Visualizacao visualizacao((pasta / "toro.txt").string(), (pasta / "luz.txt").string());
    ASSERT_TRUE(visualizacao.valida());
    Quadro gouraud;
    visualizacao.desenhar(gouraud);
    visualizacao.setEstilo(estilo(Estilo::Modo::phong, true, true));
    Quadro antes;
    visualizacao.desenhar(antes);
    visualizacao.recarregar();
    Quadro depois;
    visualizacao.desenhar(depois);
    std::cout.rdbuf(saida);
    std::cout.clear();
    fs::remove_all(pasta);
    EXPECT_NE(diferenca(antes, gouraud), "");
    EXPECT_EQ(diferenca(depois, antes), "");
    EXPECT_EQ(visualizacao.getEstilo().descricao(), "phong, edges, normals");
}

}  // namespace
