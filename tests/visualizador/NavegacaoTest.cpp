// The mouse's navigation: drags that turn exactly as the arrow keys do, moving the view with the
// pointer, the way back to the start, and the movement added up between two frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Camera.h"
#include "MovimentoRato.h"
#include "Navegacao.h"
#include "Ponto.h"
#include "Projecao.h"

using namespace gouraud::detail;

namespace {

using Acao = Navegacao::Acao;

bool mesmosBits(const Camera& a, const Camera& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool mesmosBits(const Ponto& a, const Ponto& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool mesmosBits(const Vetor& a, const Vetor& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A camera looking at the centre (1, 2, 8) from an oblique place, its basis made by turns.
Camera cameraObliqua() {
    Camera camera;
    camera.foco = Ponto(-3, 5, -2);
    camera.girar(Vetor(0, 1, 0), 23.0, Ponto(0, 0, 0));
    camera.girar(camera.u, -11.0, Ponto(0, 0, 0));
    return camera;
}

Projecao projecaoSimples() {
    Projecao projecao;
    projecao.d = 2.0;
    projecao.hx = 1.0;
    projecao.hy = 0.75;
    return projecao;
}

// Where the point p lands on the screen seen from `camera` through `projecao`.
void tela(const Camera& camera, const Projecao& projecao, const Ponto& p, double& x, double& y) {
    const Vetor c = camera.coordenadas(p);
    x = projecao.xTela(c.x, c.z);
    y = projecao.yTela(c.y, c.z);
}

TEST(ArrastoTest, DezPixelsGiramComoUmaSetaBitABit) {
    const Ponto centro(1, 2, 8);
    const struct {
        int dx;
        int dy;
        Acao primeira;
        Acao segunda;
    } casos[] = {
        {10, 0, Acao::direita, Acao::direita},
        {0, 10, Acao::baixo, Acao::baixo},
        {-10, -10, Acao::esquerda, Acao::cima},
    };
    for (const auto& caso : casos) {
        Navegacao arrasto(cameraObliqua(), centro);
        Navegacao teclas(cameraObliqua(), centro);
        arrasto.girarArrasto(caso.dx, caso.dy);
        teclas.aplicar(caso.primeira);
        if (caso.dx != 0 && caso.dy != 0) teclas.aplicar(caso.segunda);
        EXPECT_TRUE(mesmosBits(arrasto.getCamera(), teclas.getCamera()))
            << "drag " << caso.dx << ", " << caso.dy;
    }
    // No movement leaves every bit alone (a turn of 0 degrees would renormalise the axes).
    Navegacao parada(cameraObliqua(), centro);
    parada.girarArrasto(0, 0);
    EXPECT_TRUE(mesmosBits(parada.getCamera(), cameraObliqua()));
}

TEST(DeslocamentoTest, FocoECentroAndamOQueOPonteiroPede) {
    // The default camera: U = -x, V = y, N = z. A centre 8 in front, d = 2, hx = 1, hy = 0.75:
    // 80 pixels right is 80.2.1.8/(2.640) = 1 along -U, 60 up is 60.2.0.75.8/(2.480) = 0.75
    // along -V, every number exact.
    const Camera inicio;
    const Projecao projecao = projecaoSimples();
    Navegacao navegacao(inicio, Ponto(0, 0, 8));
    navegacao.deslocar(80, -60, projecao);
    EXPECT_TRUE(mesmosBits(navegacao.getCamera().foco, Ponto(1, -0.75, 0)));
    EXPECT_TRUE(mesmosBits(navegacao.getCamera().n, inicio.n));
    EXPECT_TRUE(mesmosBits(navegacao.getCentro(), Ponto(1, -0.75, 8)));
    // The old centre, at the centre's depth, went from the screen's middle 80 right, 60 up.
    double x = 0;
    double y = 0;
    tela(navegacao.getCamera(), projecao, Ponto(0, 0, 8), x, y);
    EXPECT_EQ(x, 320.0 + 80.0);
    EXPECT_EQ(y, 240.0 - 60.0);

    // Any camera and screen size: a point at the centre's depth follows the pointer, nearer ones
    // move more and further ones less.
    const Camera obliqua = cameraObliqua();
    const Ponto centro(1, 2, 8);
    const Vetor c = obliqua.coordenadas(centro);
    const Ponto mesmaProfundidade(centro.x + 0.5 * obliqua.u.x, centro.y + 0.5 * obliqua.u.y,
                                  centro.z + 0.5 * obliqua.u.z);
    const Ponto perto(obliqua.foco.x + (centro.x - obliqua.foco.x) / 2,
                      obliqua.foco.y + (centro.y - obliqua.foco.y) / 2,
                      obliqua.foco.z + (centro.z - obliqua.foco.z) / 2);
    ASSERT_GT(c.z, 0);
    Navegacao outra(obliqua, centro);
    Projecao larga = projecao;
    larga.largura = 1024;
    larga.altura = 768;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0, px0 = 0, py0 = 0, px1 = 0, py1 = 0;
    tela(obliqua, larga, mesmaProfundidade, x0, y0);
    tela(obliqua, larga, perto, px0, py0);
    outra.deslocar(-37, 23, larga);
    tela(outra.getCamera(), larga, mesmaProfundidade, x1, y1);
    EXPECT_NEAR(x1 - x0, -37.0, 1e-9);
    EXPECT_NEAR(y1 - y0, 23.0, 1e-9);
    tela(outra.getCamera(), larga, perto, px1, py1);
    EXPECT_NEAR(px1 - px0, -74.0, 1e-9);
    EXPECT_NEAR(py1 - py0, 46.0, 1e-9);
    // The centre moved with the camera: it keeps its camera coordinates, and turns keep it put.
    const Vetor depois = outra.getCamera().coordenadas(outra.getCentro());
    EXPECT_NEAR(depois.x, c.x, 1e-12);
    EXPECT_NEAR(depois.y, c.y, 1e-12);
    EXPECT_NEAR(depois.z, c.z, 1e-12);
    outra.girarArrasto(123, -45);
    const Vetor girado = outra.getCamera().coordenadas(outra.getCentro());
    EXPECT_NEAR(girado.x, c.x, 1e-9);
    EXPECT_NEAR(girado.y, c.y, 1e-9);
    EXPECT_NEAR(girado.z, c.z, 1e-9);
}

TEST(DeslocamentoTest, CentroAtrasUsaADistanciaENoFocoNaoMove) {
    const Projecao projecao = projecaoSimples();
    // Behind the camera at distance 8: the step is the one of depth 8, the same as in front.
    Navegacao atras(Camera(), Ponto(0, 0, -8));
    atras.deslocar(80, -60, projecao);
    EXPECT_TRUE(mesmosBits(atras.getCamera().foco, Ponto(1, -0.75, 0)));
    EXPECT_TRUE(mesmosBits(atras.getCentro(), Ponto(1, -0.75, -8)));
    // The centre at the focus: no depth at all, nothing moves.
    Navegacao noFoco(Camera(), Ponto(0, 0, 0));
    noFoco.deslocar(80, -60, projecao);
    EXPECT_TRUE(mesmosBits(noFoco.getCamera(), Camera()));
    EXPECT_TRUE(mesmosBits(noFoco.getCentro(), Ponto(0, 0, 0)));
}

TEST(RestaurarTest, VoltaAoInicioExatoDepoisDeArrastosDeslocamentosERoda) {
    const Camera inicio = cameraObliqua();
    const Ponto centro(1, 2, 8);
    Navegacao navegacao(inicio, centro);
    navegacao.girarArrasto(57, -13);
    navegacao.deslocar(-200, 91, projecaoSimples());
    navegacao.aplicar(Acao::aproximar);
    navegacao.girarArrasto(-3, 400);
    navegacao.aplicar(Acao::restaurar);
    EXPECT_TRUE(mesmosBits(navegacao.getCamera(), inicio));
    EXPECT_TRUE(mesmosBits(navegacao.getCentro(), centro));

    // A new start (a scene read again) leaves the view; restaurar then goes there.
    navegacao.deslocar(10, 10, projecaoSimples());
    const Camera antes = navegacao.getCamera();
    navegacao.setInicio(Camera(), Ponto(0, 0, 8));
    EXPECT_TRUE(mesmosBits(navegacao.getCamera(), antes));
    navegacao.aplicar(Acao::restaurar);
    EXPECT_TRUE(mesmosBits(navegacao.getCamera(), Camera()));
    EXPECT_TRUE(mesmosBits(navegacao.getCentro(), Ponto(0, 0, 8)));
}

TEST(MovimentoRatoTest, SomaOQueCadaBotaoArrastouEARoda) {
    constexpr int kEsquerdo = MovimentoRato::kBotaoEsquerdo;
    constexpr int kDireito = MovimentoRato::kBotaoDireito;
    constexpr int kMeio = MovimentoRato::kBotaoMeio;
    MovimentoRato rato;
    rato.registrar(100, 100, 0, 0);  // the first note is only where it starts
    rato.registrar(150, 120, 0, 0);  // moving with no button held does nothing
    rato.registrar(150, 120, 0, kEsquerdo);
    rato.registrar(170, 110, 0, kEsquerdo);
    rato.registrar(160, 130, 0, kEsquerdo);
    rato.registrar(160, 130, 0, 0);
    rato.registrar(100, 100, 0, kDireito);  // a jump while pressing counts as a drag
    rato.registrar(90, 105, 0, kMeio);
    rato.registrar(95, 95, 0, kEsquerdo | kDireito);  // the left button wins
    rato.registrar(95, 95, 2, 0);
    rato.registrar(95, 95, 1, 0);
    MovimentoRato::Soma soma = rato.tomar();
    EXPECT_EQ(soma.giroX, 10 + 5);
    EXPECT_EQ(soma.giroY, 10 - 10);
    EXPECT_EQ(soma.deslocamentoX, -60 - 10);
    EXPECT_EQ(soma.deslocamentoY, -30 + 5);
    EXPECT_EQ(soma.roda, 1);
    soma = rato.tomar();  // taken: everything starts again from zero
    EXPECT_EQ(soma.giroX + soma.giroY + soma.deslocamentoX + soma.deslocamentoY + soma.roda, 0);
}

}  // namespace
