// The camera every picture reports (Imagem::K and Imagem::mundoParaCamera) against where the
// renderer puts the model's points, for every kind of camera; the pinhole camera (Opcoes::olhar)
// and its refusals.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "CenaCarregada.h"
#include "Pinhole.h"
#include "Projecao.h"
#include "VistaPadrao.h"
#include "gouraud/Modelo.h"

using namespace gouraud::detail;

namespace {

const std::string kToro = std::string(GOURAUD_EXEMPLOS_DIR) + "/toro.txt";
const std::string kCubo = std::string(GOURAUD_EXEMPLOS_DIR) + "/cubo.txt";

// Where K.(R.p + t) puts the point p: (u/w, v/w).
std::array<double, 2> projetar(const gouraud::Imagem& imagem, const Ponto& p) {
    const auto& m = imagem.mundoParaCamera;
    double c[3];
    for (int r = 0; r < 3; ++r) {
        c[r] = m[4 * r] * p.x + m[4 * r + 1] * p.y + m[4 * r + 2] * p.z + m[4 * r + 3];
    }
    const auto& k = imagem.K;
    const double u = k[0] * c[0] + k[1] * c[1] + k[2] * c[2];
    const double v = k[3] * c[0] + k[4] * c[1] + k[5] * c[2];
    const double w = k[6] * c[0] + k[7] * c[1] + k[8] * c[2];
    return {u / w, v / w};
}

// Every point of the mesh in front of the camera lands, through the picture's matrices, where
// the projection puts it, to 1e-9 pixel; R is a rotation and the last row (0, 0, 0, 1).
void compararVertices(const gouraud::Imagem& imagem, const Malha& malha, const Camera& camera,
                      const Projecao& projecao, const std::string& caso) {
    const auto& m = imagem.mundoParaCamera;
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            const double produto =
                m[4 * a] * m[4 * b] + m[4 * a + 1] * m[4 * b + 1] + m[4 * a + 2] * m[4 * b + 2];
            EXPECT_NEAR(produto, a == b ? 1.0 : 0.0, 1e-12) << caso;
        }
    }
    EXPECT_EQ((std::array<double, 4>{m[12], m[13], m[14], m[15]}),
              (std::array<double, 4>{0.0, 0.0, 0.0, 1.0}));
    int vistos = 0;
    for (int i = 0; i < malha.getQuantPontos(); ++i) {
        const Ponto& p = malha.getPontos()[i];
        const Vetor c = camera.coordenadas(p);
        if (!(c.z >= projecao.zPerto)) {
            continue;
        }
        ++vistos;
        const auto [u, v] = projetar(imagem, p);
        ASSERT_NEAR(u, projecao.xTela(c.x, c.z), 1e-9) << caso << " point " << i;
        ASSERT_NEAR(v, projecao.yTela(c.y, c.z), 1e-9) << caso << " point " << i;
    }
    EXPECT_GT(vistos, 3) << caso;
}

TEST(CameraTest, KEMundoParaCameraLevamOsVerticesAondeOProjetorOsPoe) {
    CenaCarregada::Opcoes leitura;
    CenaCarregada toro(kToro, leitura);
    ASSERT_TRUE(toro.valida()) << toro.getErro();
    ASSERT_TRUE(Projecao::janelaDaCena(toro.getCena()));
    const Malha& malha = toro.getMalha();
    auto modelo = gouraud::Modelo::abrir(kToro);
    ASSERT_TRUE(modelo) << modelo.getErro();
    for (const auto [largura, altura] :
         {std::array{640, 480}, std::array{300, 170}, std::array{77, 231}}) {
        for (const int aa : {1, 2}) {
            gouraud::Opcoes opcoes;
            opcoes.largura = largura;
            opcoes.altura = altura;
            opcoes.aa = aa;
            const std::string tamanho = std::to_string(largura) + "x" + std::to_string(altura) +
                                        " aa " + std::to_string(aa);
            // The scene's own camera and window.
            {
                const auto imagem = modelo->desenhar(opcoes);
                ASSERT_TRUE(imagem) << imagem.getErro();
                const Camera camera = toro.getCamera();
                compararVertices(*imagem, malha, camera,
                                 Projecao::daCena(toro.getCena(), malha, camera, largura, altura),
                                 "scene " + tamanho);
            }
            // The views, with an up axis other than +y too.
            for (const gouraud::Vista vista : {gouraud::Vista::frente, gouraud::Vista::iso}) {
                gouraud::Opcoes comVista = opcoes;
                comVista.vista = vista;
                comVista.cima = gouraud::Cima::menosZ;
                const auto imagem = modelo->desenhar(comVista);
                ASSERT_TRUE(imagem) << imagem.getErro();
                const VistaPadrao v = VistaPadrao::calcular(VistaPadrao::Cima::menosZ,
                                                            static_cast<VistaPadrao::Lado>(vista),
                                                            malha.getCentro(), malha.getDiagonal());
                const Camera camera = Camera::deEixos(v.n, v.v, v.foco);
                compararVertices(*imagem, malha, camera,
                                 Projecao::enquadrar(malha, camera, largura, altura),
                                 "view " + tamanho);
            }
            // A camera placed by hand.
            {
                gouraud::Opcoes mao = opcoes;
                mao.camera = gouraud::Camera{{3.0, 5.0, -4.0}, {-0.5, -1.0, 0.8}, {0.2, 1.0, 0.1}};
                const auto imagem = modelo->desenhar(mao);
                ASSERT_TRUE(imagem) << imagem.getErro();
                const Camera camera =
                    Camera::deEixos(Vetor(-0.5, -1.0, 0.8), Vetor(0.2, 1.0, 0.1), Ponto(3, 5, -4));
                compararVertices(*imagem, malha, camera,
                                 Projecao::enquadrar(malha, camera, largura, altura),
                                 "camera " + tamanho);
            }
            // A pinhole camera.
            {
                gouraud::Opcoes pinhole = opcoes;
                pinhole.olhar = gouraud::Olhar{{2.0, 3.0, -5.0}, {0.1, -0.2, 0.3}, {0, 0, 1}, 50.0};
                const auto imagem = modelo->desenhar(pinhole);
                ASSERT_TRUE(imagem) << imagem.getErro();
                compararVertices(*imagem, malha, Pinhole::camera(*pinhole.olhar),
                                 Pinhole::projecao(*pinhole.olhar, malha, largura, altura),
                                 "olhar " + tamanho);
                // Square pixels, the field of view over the height, the centre in the middle.
                const auto& k = imagem->K;
                const double fy = altura / 2.0 / std::tan(25.0 * std::numbers::pi / 180.0);
                EXPECT_NEAR(k[4], fy, 1e-9);
                EXPECT_NEAR(k[0], fy, 1e-9);
                EXPECT_DOUBLE_EQ(k[2], largura / 2.0);
                EXPECT_DOUBLE_EQ(k[5], altura / 2.0);
            }
        }
    }
}

// A cloud of points of one pixel drawn through each kind of camera: the pixel each lands in is
// the one whose square [i, i+1) x [j, j+1) holds the point's (u/w, v/w), so the matrices' pixel
// centres are where the rasteriser samples.
TEST(CameraTest, CadaPontoDeUmPixelCaiNoPixelQueKDiz) {
    std::vector<double> posicoes;
    for (int k = 0; k < 40; ++k) {
        posicoes.insert(posicoes.end(),
                        {std::sin(1.7 * k), std::cos(2.3 * k), 0.5 * std::sin(0.9 * k)});
    }
    const std::vector<double> cores(posicoes.size(), 1.0);
    gouraud::Arranjos arranjos;
    arranjos.posicoes = {posicoes.data(), gouraud::Arranjo::Tipo::float64, 40, 3};
    arranjos.cores = {cores.data(), gouraud::Arranjo::Tipo::float64, 40, 3};
    auto modelo = gouraud::Modelo::deArranjos(arranjos);
    ASSERT_TRUE(modelo) << modelo.getErro();
    std::vector<gouraud::Opcoes> casos(3);
    casos[0].vista = gouraud::Vista::iso;
    casos[1].camera = gouraud::Camera{{0.3, 0.2, -4.0}, {0.0, 0.0, 1.0}, {0.0, 1.0, 0.0}};
    casos[2].olhar = gouraud::Olhar{{0.5, 0.4, 3.0}, {0.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, 60.0};
    for (gouraud::Opcoes& opcoes : casos) {
        opcoes.largura = 211;
        opcoes.altura = 97;
        opcoes.ponto = 1;
        const auto imagem = modelo->desenhar(opcoes);
        ASSERT_TRUE(imagem) << imagem.getErro();
        std::vector<bool> esperados(211 * 97, false);
        int dentro = 0;
        for (int k = 0; k < 40; ++k) {
            const auto [u, v] = projetar(*imagem, Ponto(static_cast<float>(posicoes[3 * k]),
                                                        static_cast<float>(posicoes[3 * k + 1]),
                                                        static_cast<float>(posicoes[3 * k + 2])));
            // Points within a hair of a pixel's border could round either way.
            const bool folgado =
                std::fabs(u - std::round(u)) > 1e-6 && std::fabs(v - std::round(v)) > 1e-6;
            if (u >= 0 && v >= 0 && u < 211 && v < 97 && folgado) {
                esperados[static_cast<std::size_t>(std::floor(v)) * 211 +
                          static_cast<std::size_t>(std::floor(u))] = true;
                ++dentro;
            }
        }
        EXPECT_GT(dentro, 20);
        for (std::size_t p = 0; p < esperados.size(); ++p) {
            const bool aceso = imagem->rgb[3 * p] != 0 || imagem->rgb[3 * p + 1] != 0 ||
                               imagem->rgb[3 * p + 2] != 0;
            if (esperados[p]) {
                EXPECT_TRUE(aceso) << "pixel " << p % 211 << ", " << p / 211;
            }
        }
    }
}

TEST(CameraTest, OlharRecusaOQueNaoDaUmaImagem) {
    auto modelo = gouraud::Modelo::abrir(kCubo);
    ASSERT_TRUE(modelo) << modelo.getErro();
    const auto motivo = [&](const gouraud::Opcoes& opcoes) {
        gouraud::Imagem imagem;
        const std::string erro = modelo->desenhar(opcoes, imagem);
        // A refusal leaves the picture as it was.
        EXPECT_EQ(imagem.rgb.empty(), !erro.empty());
        EXPECT_EQ(erro.find('\n'), std::string::npos);
        return erro;
    };
    gouraud::Opcoes opcoes;
    opcoes.olhar = gouraud::Olhar{{1.0, 2.0, 3.0}, {1.0, 2.0, 3.0}, {0, 1, 0}, 45.0};
    EXPECT_EQ(motivo(opcoes), "the eye and the target of --olhar are the same point");
    opcoes.olhar = gouraud::Olhar{{0.0, 5.0, 0.0}, {0.0, 0.0, 0.0}, {0, -2, 0}, 45.0};
    EXPECT_EQ(motivo(opcoes),
              "the up direction of --olhar is zero or parallel to the line of sight");
    opcoes.olhar->cima = {0, 0, 0};
    EXPECT_EQ(motivo(opcoes),
              "the up direction of --olhar is zero or parallel to the line of sight");
    opcoes.olhar->cima = {0, 0, 1};
    opcoes.olhar->olho[1] = std::nan("");
    EXPECT_EQ(motivo(opcoes),
              "the eye, target, up direction and field of view of --olhar must be finite");
    opcoes.olhar->olho[1] = 5.0;
    for (const double campo : {0.0, 180.0, -10.0}) {
        opcoes.olhar->campo = campo;
        EXPECT_EQ(motivo(opcoes).rfind("the field of view of --olhar is ", 0), 0u) << campo;
    }
    opcoes.olhar->campo = 179.0;
    EXPECT_EQ(motivo(opcoes), "");
    opcoes.vista = gouraud::Vista::topo;
    EXPECT_EQ(motivo(opcoes), "a pinhole camera (olhar) and a view were both given; choose one");
    opcoes.vista.reset();
    opcoes.camera = gouraud::Camera{};
    EXPECT_EQ(motivo(opcoes), "a pinhole camera (olhar) and a camera were both given; choose one");
}

}  // namespace
