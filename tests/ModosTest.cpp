// The shading modes, the edges and the normal needles: pixels worked out by hand, and whole
// frames against the straightforward reference on any number of threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Agulhas.h"
#include "Camera.h"
#include "Estilo.h"
#include "GeradorCena.h"
#include "Gouraud.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "RenderizadorReferencia.h"

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

}  // namespace
