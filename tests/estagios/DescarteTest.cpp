// The culling of groups of triangles: which groups a view leaves out, and that leaving them out
// never changes a bit of the picture, whatever the renderer drew before.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Camera.h"
#include "Descarte.h"
#include "EstagioVertices.h"
#include "GeradorCena.h"
#include "Gouraud.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"

using namespace gouraud::detail;

namespace {

constexpr int kGrupo = Descarte::kPorGrupo;

// Where each group of kGrupo triangles lies: small triangles spread over [x0, x1] x [y0, y1]
// at z.
struct Regiao {
    double x0, x1, y0, y1, z;
};

// Seen from the origin along +z (U = -x, V = y) through the window d = 1, hx = 1, hy = 0.75: a
// unit of x or y at z = 5 is 64 pixels, and x = 5 is the screen's left edge.
const std::vector<Regiao> kRegioes = {
    {-1, 1, -1, 1, 5},         // 0: in the middle of the screen
    {48, 52, -1, 1, 5},        // 1: far to the left (x grows to the left)
    {-1, 1, -1, 1, -5},        // 2: behind the camera
    {-60, 60, -1, 1, 5},       // 3: across the whole screen and beyond both sides
    {5.01, 5.02, -1, 1, 5},    // 4: within a pixel and a half off the left edge
    {-1, 1, 3.76, 3.765, 5},   // 5: within a pixel and a half off the top edge
    {-1, 1, -1, 1, 0.0001},    // 6: in front of the eye, behind the near plane
    {-5.12, -5.1, -1, 1, 5}};  // 7: 6 to 8 pixels off the right edge
// The triangles' size: a quarter of a pixel.
constexpr double kLadoTriangulo = 0.004;

std::string cenaDasRegioes() {
    std::ostringstream texto;
    const int porRegiao = kGrupo;
    texto << 3 * porRegiao * static_cast<int>(kRegioes.size()) << " "
          << porRegiao * static_cast<int>(kRegioes.size()) << "\n";
    constexpr int kLado = 32;
    for (const Regiao& r : kRegioes) {
        for (int k = 0; k < porRegiao; ++k) {
            const double x = r.x0 + (r.x1 - r.x0) * (k % kLado) / (kLado - 1);
            const double y = r.y0 + (r.y1 - r.y0) * (k / kLado) / (kLado - 1);
            texto << x << " " << y << " " << r.z << "\n"
                  << x + kLadoTriangulo << " " << y << " " << r.z << "\n"
                  << x << " " << y + kLadoTriangulo << " " << r.z + 0.01 << "\n";
        }
    }
    for (int t = 0; t < porRegiao * static_cast<int>(kRegioes.size()); ++t) {
        texto << 3 * t << " " << 3 * t + 1 << " " << 3 * t + 2 << "\n";
    }
    texto << "0 0 1\n0 1 0\n0 0 0\n1 1 0.75\n";
    return texto.str();
}

bool mesmosBits(const Quadro& a, const Quadro& b) {
    for (int y = 0; y < a.getAltura(); ++y) {
        if (std::memcmp(a.linhaCor(y), b.linhaCor(y),
                        static_cast<std::size_t>(a.getLargura()) * sizeof(std::uint16_t)) != 0 ||
            std::memcmp(a.linhaProfundidade(y), b.linhaProfundidade(y),
                        static_cast<std::size_t>(a.getLargura()) * sizeof(double)) != 0) {
            return false;
        }
    }
    return true;
}

TEST(DescarteTest, GruposForaDaTelaOuAtrasDoPlanoPertoFicamDeFora) {
    auto cena = carregarCena(cenaDasRegioes());
    ASSERT_TRUE(cena->cenaValida());
    const Malha malha(*cena);
    const EstagioVertices vertices(malha);
    Descarte descarte(vertices);
    const Camera camera(*cena);
    const Projecao projecao = Projecao::daCena(*cena, malha, camera);
    ASSERT_GT(projecao.zPerto, 0.0001);
    descarte.preparar(camera, projecao, Quadro::kLargura, Quadro::kAltura);
    const std::vector<int> esperados = {1, 0, 0, 1, 1, 1, 0, 0};
    std::vector<int> vivos;
    for (std::size_t g = 0; g < kRegioes.size(); ++g) {
        vivos.push_back(descarte.getTriangulosVivos()[g]);
    }
    EXPECT_EQ(vivos, esperados);
    EXPECT_EQ(descarte.getQuantVivos(), 4);

    // Each group names its own three groups of points.
    for (std::size_t g = 0; g < kRegioes.size(); ++g) {
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(descarte.getPontosVivos()[3 * g + k], esperados[g]) << "group " << g;
        }
    }

    // A frame wider than the projection's own: the screen reaches further to the right, over
    // the group that was off it.
    Projecao estreita = projecao;
    estreita.largura = Quadro::kLargura - 10;
    descarte.preparar(camera, estreita, Quadro::kLargura, Quadro::kAltura);
    EXPECT_EQ(descarte.getTriangulosVivos()[7], 1) << "the right edge did not move with W";
    EXPECT_EQ(descarte.getTriangulosVivos()[4], 1);

    // A projection that cannot be trusted leaves every group in.
    Projecao estranha = projecao;
    estranha.hx = -1;
    descarte.preparar(camera, estranha, Quadro::kLargura, Quadro::kAltura);
    EXPECT_EQ(descarte.getQuantVivos(), static_cast<int>(kRegioes.size()));
}

TEST(DescarteTest, MesmoQuadroComESemDescarteAoAndarPelaCena) {
    auto cena = carregarCena(cenaDasRegioes());
    ASSERT_TRUE(cena->cenaValida());
    const Malha malha(*cena);
    const Camera inicial(*cena);
    const Projecao projecao = Projecao::daCena(*cena, malha, inicial);
    // Straight ahead, towards the far group on the left, and back: every frame drawn over the
    // one before, so points left out of one view are stale in the next.
    Camera esquerda = inicial;
    esquerda.girar(Vetor(0, 1, 0), 90.0, Ponto(0, 0, 0));
    const std::vector<Camera> caminho = {inicial, esquerda, inicial, esquerda};
    for (const int threads : {1, 2}) {
        Renderizador comDescarte(malha, Iluminacao(), threads);
        Renderizador semDescarte(malha, Iluminacao(), threads);
        semDescarte.permitirDescarte(false);
        Quadro a;
        Quadro b;
        for (std::size_t k = 0; k < caminho.size(); ++k) {
            comDescarte.desenhar(caminho[k], projecao, a);
            semDescarte.desenhar(caminho[k], projecao, b);
            EXPECT_TRUE(mesmosBits(a, b)) << "view " << k << ", " << threads << " threads";
        }
    }
}

}  // namespace
