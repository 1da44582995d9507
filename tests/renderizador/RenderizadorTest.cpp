// The renderer: coverage by the top-left rule, depth, perspective-correct colours, lighting,
// projection, clipping, the walk around the model, and the whole frame against the
// straightforward reference on any number of threads.
#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Camera.h"
#include "GeradorCena.h"
#include "Gouraud.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Navegacao.h"
#include "Par.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "RenderizadorReferencia.h"
#include "Vistas.h"

using namespace gouraud::detail;

// Every allocation of the test program is counted, to show that drawing again allocates nothing.
std::atomic<long> alocacoes{0};
void* operator new(std::size_t tamanho) {
    alocacoes.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(tamanho == 0 ? 1 : tamanho)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr double kTolerancia = 1e-9;
const Vetor kPreto(0, 0, 0);

// Draws one screen-space triangle with one colour and one depth into rows [0, 64).
void triangulo(Quadro& q, double x0, double y0, double x1, double y1, double x2, double y2,
               double iz = 1, const Vetor& cor = Vetor(255, 255, 255)) {
    Renderizador::desenharTriangulo(Vetor(x0, y0, 0), iz, cor, Vetor(x1, y1, 0), iz, cor,
                                    Vetor(x2, y2, 0), iz, cor, 0, 64, q);
}

int quantDesenhados(const Quadro& q) {
    int n = 0;
    for (int y = 0; y < Quadro::kAltura; ++y)
        for (int x = 0; x < Quadro::kLargura; ++x) n += q.getProfundidade(x, y) > 0;
    return n;
}

TEST(CoberturaTest, RegraTopoEsquerdaEmQualquerOrdem) {
    // Top edge y = 2.5 and left edge x = 2.5 take the centres on them; the edge x + y = 15 not.
    const double v[3][2] = {{2.5, 2.5}, {12.5, 2.5}, {2.5, 12.5}};
    for (int primeiro = 0; primeiro < 3; ++primeiro) {
        for (const bool inverter : {false, true}) {
            const int a = primeiro, b = (primeiro + (inverter ? 2 : 1)) % 3,
                      c = (primeiro + (inverter ? 1 : 2)) % 3;
            Quadro q;
            triangulo(q, v[a][0], v[a][1], v[b][0], v[b][1], v[c][0], v[c][1]);
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 20; ++x)
                    EXPECT_EQ(q.getProfundidade(x, y) > 0, x >= 2 && y >= 2 && x + y < 14)
                        << x << "," << y << " order " << a << b << c;
            EXPECT_EQ(quantDesenhados(q), 55);
        }
    }
    Quadro q;
    triangulo(q, 2.5, 2.5, 7.5, 7.5, 12.5, 12.5);  // zero area
    EXPECT_EQ(quantDesenhados(q), 0);
}

TEST(CoberturaTest, TriangulosQueDividemArestasCobremCadaPixelUmaVez) {
    // A 10 x 10 grid of cells 5 pixels wide whose inner corners sit on pixel centres moved by
    // up to a pixel, each cell cut along alternating diagonals: every centre of the rectangle
    // lies in exactly one triangle, many of them exactly on shared edges and corners.
    constexpr int kCelulas = 10;
    constexpr double kOrigem = 2.5, kPasso = 5;
    const auto canto = [&](int i, int j, int eixo) {
        const bool borda = i == 0 || j == 0 || i == kCelulas || j == kCelulas;
        const int desvio = borda ? 0 : ((i * 7 + j * 3 + eixo * 5) % 3) - 1;
        return kOrigem + kPasso * (eixo == 0 ? i : j) + desvio;
    };
    std::vector<int> vezes(Quadro::kLargura * 64, 0);
    Quadro q;
    for (int i = 0; i < kCelulas; ++i) {
        for (int j = 0; j < kCelulas; ++j) {
            const double p[4][2] = {{canto(i, j, 0), canto(i, j, 1)},
                                    {canto(i + 1, j, 0), canto(i + 1, j, 1)},
                                    {canto(i + 1, j + 1, 0), canto(i + 1, j + 1, 1)},
                                    {canto(i, j + 1, 0), canto(i, j + 1, 1)}};
            const int d = (i + j) % 2;  // which diagonal
            const int tris[2][3] = {{d, d + 1, d + 2}, {d, d + 2, (d + 3) % 4}};
            for (const auto& t : tris) {
                q.limpar(0, 64);
                triangulo(q, p[t[0]][0], p[t[0]][1], p[t[1]][0], p[t[1]][1], p[t[2]][0],
                          p[t[2]][1]);
                for (int y = 0; y < 64; ++y)
                    for (int x = 0; x < Quadro::kLargura; ++x)
                        vezes[y * Quadro::kLargura + x] += q.getProfundidade(x, y) > 0;
            }
        }
    }
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < Quadro::kLargura; ++x)
            ASSERT_EQ(vezes[y * Quadro::kLargura + x], x >= 2 && x < 52 && y >= 2 && y < 52)
                << x << "," << y;
}

TEST(ProfundidadeTest, OMaisPertoGanhaEEmpateFicaComOPrimeiro) {
    const Vetor vermelho(255, 0, 0), azul(0, 0, 255);
    const auto desenhar = [](Quadro& q, double iz, const Vetor& cor) {
        triangulo(q, 0.5, 0.5, 30.5, 0.5, 0.5, 30.5, iz, cor);
    };
    for (const bool pertoPrimeiro : {true, false}) {
        Quadro q;
        desenhar(q, pertoPrimeiro ? 0.5 : 0.25, pertoPrimeiro ? vermelho : azul);
        desenhar(q, pertoPrimeiro ? 0.25 : 0.5, pertoPrimeiro ? azul : vermelho);
        EXPECT_EQ(q.getCor(5, 5), Quadro::empacotar(255, 0, 0));
        EXPECT_EQ(q.getProfundidade(5, 5), 0.5);
    }
    Quadro q;
    desenhar(q, 0.5, vermelho);
    desenhar(q, 0.5, azul);
    EXPECT_EQ(q.getCor(5, 5), Quadro::empacotar(255, 0, 0));
}

TEST(CorTest, InterpoladaComPerspectivaEConstanteSemDeriva) {
    // b has 1/cn = 1/4 and colour 200, a and c have 1/cn = 1 and colour 0. Halfway across on
    // screen the colour is (0.5 * 0.25 * 200) / 0.625 = 40, not the linear 100.
    Quadro q;
    Renderizador::desenharTriangulo(Vetor(0.5, 0.5, 0), 1, kPreto, Vetor(100.5, 0.5, 0), 0.25,
                                    Vetor(200, 200, 200), Vetor(0.5, 100.5, 0), 1, kPreto, 0, 480,
                                    q);
    EXPECT_EQ(q.getCor(50, 1), Quadro::empacotar(40, 40, 40));
    EXPECT_EQ(q.getProfundidade(50, 1), 0.625);
    // Equal corner colours on multiples of 8 and 4: any drift below them would drop a step.
    Quadro plano;
    const Vetor cor(48, 64, 40);
    Renderizador::desenharTriangulo(Vetor(3.3, 1.7, 0), 0.9, cor, Vetor(611.1, 40.2, 0), 0.013, cor,
                                    Vetor(97.4, 470.6, 0), 0.37, cor, 0, 480, plano);
    int pixels = 0;
    for (int y = 0; y < Quadro::kAltura; ++y)
        for (int x = 0; x < Quadro::kLargura; ++x)
            if (plano.getProfundidade(x, y) > 0) {
                ++pixels;
                ASSERT_EQ(plano.getCor(x, y), Quadro::empacotar(48, 64, 40)) << x << "," << y;
            }
    EXPECT_GT(pixels, 50000);
}

TEST(IluminacaoTest, TermosCalculadosAMao) {
    const Iluminacao luz;  // Ka 0.2, Kd 0.8, Od (0.9, 0.75, 0.55), Ks 0.35, eta 16, white
    const Ponto origem(0, 0, 0), foco(0, 0, -10);
    const Vetor paraOFoco(0, 0, -1), contraOFoco(0, 0, 1);
    const auto esperar = [](const Vetor& cor, double r, double g, double b) {
        EXPECT_NEAR(cor.x, r, kTolerancia);
        EXPECT_NEAR(cor.y, g, kTolerancia);
        EXPECT_NEAR(cor.z, b, kTolerancia);
    };
    // No normal, or the light behind the surface: ambient only, 0.2 * 255.
    esperar(luz.corDoVertice(origem, nullptr, foco, foco), 51, 51, 51);
    esperar(luz.corDoVertice(origem, &paraOFoco, foco, Ponto(0, 0, 10)), 51, 51, 51);
    // Headlight straight on: N.L = R.V = 1, so 51 + 0.8 Od 255 + 0.35 * 255, clamped at 255;
    // a normal facing away from the focus is turned round first and gives the same.
    for (const Vetor* n : {&paraOFoco, &contraOFoco})
        esperar(luz.corDoVertice(origem, n, foco, foco), 255, 255, 51 + 112.2 + 89.25);
    // Light at 45 degrees: N.L = R.V = 1/sqrt 2, specular (1/sqrt 2)^16 = 1/256.
    const double nl = std::sqrt(0.5), especular = 0.35 * 255 / 256;
    esperar(luz.corDoVertice(origem, &paraOFoco, foco, Ponto(-10, 0, -10)),
            51 + 0.8 * 0.9 * 255 * nl + especular, 51 + 0.8 * 0.75 * 255 * nl + especular,
            51 + 0.8 * 0.55 * 255 * nl + especular);
}

TEST(IluminacaoTest, DoisVerticesDeUmaVezDaoOsMesmosBitsQueUmDeCadaVez) {
    std::mt19937_64 gerador(7);
    std::uniform_real_distribution<double> coordenada(-3, 3);
    const auto ponto = [&] {
        return Ponto(coordenada(gerador), coordenada(gerador), coordenada(gerador));
    };
    for (const double eta : {16.0, 0.0, 2.5}) {
        Iluminacao luz;
        luz.eta = eta;
        for (int i = 0; i < 2000; ++i) {
            const Ponto p[2] = {ponto(), i % 7 == 0 ? Ponto(0, 0, 0) : ponto()};
            const Ponto foco = i % 5 == 0 ? Ponto(0, 0, 0) : ponto();
            const Ponto posicaoLuz = i % 2 == 0 ? foco : ponto();
            const Ponto a = ponto();
            const double inverso = 1 / std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
            const Vetor normal(a.x * inverso, a.y * inverso, a.z * inverso);
            const Vetor* normais[2] = {&normal, i % 3 == 0 ? nullptr : &normal};
            Par r, g, b;
            luz.corDePar(Par(p[0].x, p[1].x), Par(p[0].y, p[1].y), Par(p[0].z, p[1].z),
                         Par(normal.x), Par(normal.y), Par(normal.z),
                         mascara(true, normais[1] != nullptr), foco, posicaoLuz, r, g, b);
            for (int lane = 0; lane < 2; ++lane) {
                const Vetor cor = luz.corDoVertice(p[lane], normais[lane], foco, posicaoLuz);
                EXPECT_EQ(std::bit_cast<std::uint64_t>(r.lane(lane)),
                          std::bit_cast<std::uint64_t>(cor.x));
                EXPECT_EQ(std::bit_cast<std::uint64_t>(g.lane(lane)),
                          std::bit_cast<std::uint64_t>(cor.y));
                EXPECT_EQ(std::bit_cast<std::uint64_t>(b.lane(lane)),
                          std::bit_cast<std::uint64_t>(cor.z));
            }
        }
    }
}

// The scene "points / triangles" seen from the origin along +z with V = +y (so U = -x).
std::string cenaSimples(const std::string& malha, const std::string& projecao = "0 0 0") {
    return malha + "\n0 0 1\n0 1 0\n0 0 0\n" + projecao + "\n";
}

TEST(ProjecaoTelaTest, JanelaDoArquivoOuEnquadramentoAutomatico) {
    const std::string quadrado = "4 0\n1 1 5\n-1 1 5\n1 -1 5\n-1 -1 5";
    auto explicita = carregarCena(cenaSimples(quadrado, "1 1 1"));
    Malha malhaExplicita(*explicita);
    const Projecao p = Projecao::daCena(*explicita, malhaExplicita, Camera(*explicita));
    EXPECT_EQ(p.xTela(-1, 5), 256);  // ((-1/5) / 1 + 1) * 320
    EXPECT_EQ(p.yTela(1, 5), 192);   // (1 - 1/5) * 240
    EXPECT_NEAR(p.zPerto, 0.001 * std::sqrt(8.0), kTolerancia);

    // Spread of cu/cn is [-0.6, 0.2] and of cv/cn [-0.2, 0.2]: centred at -0.2, and the width
    // decides: hy = 1.05 * 0.4 * 480/640.
    auto automatica = carregarCena(cenaSimples("5 0\n1 1 5\n-1 1 5\n1 -1 5\n-1 -1 5\n3 1 5", "2 0 1"));
    Malha malha(*automatica);
    const Projecao a = Projecao::daCena(*automatica, malha, Camera(*automatica));
    EXPECT_EQ(a.d, 1);
    EXPECT_NEAR(a.ox, -0.2, kTolerancia);
    EXPECT_NEAR(a.oy, 0, kTolerancia);
    EXPECT_NEAR(a.hy, 1.05 * 0.3, kTolerancia);
    EXPECT_NEAR(a.hx, 1.05 * 0.4, kTolerancia);

    auto atras = carregarCena(cenaSimples("2 0\n1 1 -5\n-1 1 -5"));
    Malha malhaAtras(*atras);
    const Projecao t = Projecao::daCena(*atras, malhaAtras, Camera(*atras));
    EXPECT_NEAR(t.hy, std::tan(M_PI / 6), kTolerancia);
    EXPECT_NEAR(t.hx, std::tan(M_PI / 6) * 4 / 3, kTolerancia);
    EXPECT_EQ(t.ox, 0);
}

// Everything needed to draw a loaded scene.
struct Cena {
    std::unique_ptr<Gouraud> gouraud;
    std::unique_ptr<Malha> malha;
    Camera camera;
    Projecao projecao;
    explicit Cena(const std::string& texto) : gouraud(carregarCena(texto)) {
        malha = std::make_unique<Malha>(*gouraud);
        camera = Camera(*gouraud);
        projecao = Projecao::daCena(*gouraud, *malha, camera);
    }
};

// The first pixel where two frames differ in colour, or in depth by more than the relative
// kToleranciaProfundidade, or "". The fast renderer first cuts triangles that reach far off
// screen to a rectangle around it, whose corners round their depths differently in the last
// bits; everywhere else the depths are the same bits.
constexpr double kToleranciaProfundidade = 1e-12;
std::string diferenca(const Quadro& a, const Quadro& b) {
    for (int y = 0; y < Quadro::kAltura; ++y)
        for (int x = 0; x < Quadro::kLargura; ++x) {
            const double pa = a.getProfundidade(x, y), pb = b.getProfundidade(x, y);
            if (a.getCor(x, y) != b.getCor(x, y) ||
                std::fabs(pa - pb) > kToleranciaProfundidade * std::fabs(pb))
                return std::to_string(x) + "," + std::to_string(y) + ": depth " +
                       std::to_string(pa) + " vs " + std::to_string(pb);
        }
    return "";
}

TEST(RecorteTest, TrianguloQueAtravessaOPlanoPertoSoDesenhaAFrente) {
    // A floor at y = -1 from behind the camera (z = -5) to far ahead: only the part in front
    // is drawn, all of it below the horizon, and it reaches the bottom of the screen.
    Cena cena(cenaSimples("3 1\n-10 -1 -5\n10 -1 -5\n0 -1 50\n0 1 2", "1 1 0.75"));
    Renderizador renderizador(*cena.malha, Iluminacao());
    Quadro q;
    renderizador.desenhar(cena.camera, cena.projecao, q);
    for (int y = 0; y <= Quadro::kAltura / 2; ++y)
        for (int x = 0; x < Quadro::kLargura; ++x) ASSERT_EQ(q.getProfundidade(x, y), 0);
    EXPECT_GT(q.getProfundidade(Quadro::kLargura / 2, Quadro::kAltura - 1), 0);
    EXPECT_LE(q.getProfundidade(Quadro::kLargura / 2, Quadro::kAltura - 1),
              1 / cena.projecao.zPerto);
    Quadro referencia;
    desenharReferencia(*cena.malha, Iluminacao(), cena.camera, cena.projecao, referencia);
    EXPECT_EQ(diferenca(q, referencia), "");
}

TEST(RecorteTest, CameraDentroDeUmCuboFechadoVeParedesEmTodoPixel) {
    const std::string cubo =
        "8 12\n-1 -1 -1\n1 -1 -1\n1 1 -1\n-1 1 -1\n-1 -1 1\n1 -1 1\n1 1 1\n-1 1 1\n"
        "0 1 2\n0 2 3\n4 6 5\n4 7 6\n0 4 5\n0 5 1\n3 2 6\n3 6 7\n0 3 7\n0 7 4\n1 5 6\n1 6 2";
    for (const char* camera : {"0 0 1\n0 1 0\n0.1 0.2 -0.3\n0 0 0",         // automatic view
                               "1 1 1\n0 1 0\n0.3 -0.5 0.2\n0.5 2 1.5"}) {  // wide
        Cena cena(cubo + "\n" + camera + "\n");
        Renderizador renderizador(*cena.malha, Iluminacao());
        Quadro q;
        renderizador.desenhar(cena.camera, cena.projecao, q);
        EXPECT_EQ(quantDesenhados(q), Quadro::kLargura * Quadro::kAltura) << camera;
    }
}

TEST(QuadroDiferencialTest, MesmoQuadroQueAReferenciaEmQualquerNumeroDeThreads) {
    std::vector<std::string> cenas;
    // The bunny shipped with the project, so that the test needs nothing from outside it.
    std::ifstream coelho(std::filesystem::path(GOURAUD_EXEMPLOS_DIR) / "bunny.txt");
    ASSERT_TRUE(coelho.is_open());
    cenas.push_back(std::string(std::istreambuf_iterator<char>(coelho), {}));
    // Random clouds seen from a random focus, most of them from inside: large, overlapping
    // triangles, many of them cut by the near plane.
    for (std::uint64_t semente = 1; semente <= 6; ++semente)
        cenas.push_back(gerarCena(semente, 60, 120));
    Iluminacao lateral;
    lateral.luzNoFoco = false;
    lateral.luz = Ponto(30, 40, -50);
    for (std::size_t k = 0; k < cenas.size(); ++k) {
        Cena cena(cenas[k]);
        ASSERT_TRUE(cena.gouraud->cenaValida());
        for (const Iluminacao& luz : {Iluminacao(), lateral}) {
            Quadro referencia;
            desenharReferencia(*cena.malha, luz, cena.camera, cena.projecao, referencia);
            EXPECT_GT(quantDesenhados(referencia), 1000) << "scene " << k;
            for (const int threads : {1, 2, 3}) {
                Renderizador renderizador(*cena.malha, luz, threads);
                Quadro q;
                renderizador.desenhar(cena.camera, cena.projecao, q);
                EXPECT_EQ(diferenca(q, referencia), "")
                    << "scene " << k << ", " << threads << " threads";
                const long antes = alocacoes.load();
                renderizador.desenhar(cena.camera, cena.projecao, q);  // a frame over a frame
                EXPECT_EQ(alocacoes.load(), antes) << "drawing again allocated";
                EXPECT_EQ(diferenca(q, referencia), "") << "scene " << k << " redrawn";
            }
        }
    }
}

TEST(QuadroDiferencialTest, VistasDoCoelhoComoAReferencia) {
    // The framed bunny, seen from above, and four times as near with most of it off the screen;
    // and far off, its triangles smaller than a pixel.
    std::ifstream arquivo(std::filesystem::path(GOURAUD_EXEMPLOS_DIR) / "bunny.txt");
    ASSERT_TRUE(arquivo.is_open());
    Cena coelho(std::string(std::istreambuf_iterator<char>(arquivo), {}));
    // View 1 eight times as far (0) gives triangles of a fraction of a pixel, like a scan's.
    for (const int numero : {1, 3, 6, 0}) {
        Vista vista = vistaNumero(numero == 0 ? 1 : numero, *coelho.malha, coelho.camera);
        if (numero == 0) {
            vista.projecao.hx *= 8;
            vista.projecao.hy *= 8;
        }
        Quadro referencia;
        desenharReferencia(*coelho.malha, Iluminacao(), vista.camera, vista.projecao, referencia);
        EXPECT_GT(quantDesenhados(referencia), numero == 0 ? 300 : 10000) << "view " << numero;
        Quadro ultimo;
        for (const int threads : {1, 2, 3}) {
            Renderizador renderizador(*coelho.malha, Iluminacao(), threads);
            renderizador.desenhar(vista.camera, vista.projecao, ultimo);
            EXPECT_EQ(diferenca(ultimo, referencia), "")
                << "view " << numero << ", " << threads << " threads";
        }
        // Without the AVX2 paths: the very same bits, depths included.
        Renderizador portatil(*coelho.malha, Iluminacao(), 2);
        portatil.permitirAvx2(false);
        Quadro q;
        portatil.desenhar(vista.camera, vista.projecao, q);
        for (int y = 0; y < Quadro::kAltura; ++y) {
            ASSERT_EQ(std::memcmp(q.linhaCor(y), ultimo.linhaCor(y), Quadro::kLargura * 2), 0)
                << "view " << numero << ", row " << y;
            ASSERT_EQ(std::memcmp(q.linhaProfundidade(y), ultimo.linhaProfundidade(y),
                                  Quadro::kLargura * sizeof(double)),
                      0)
                << "view " << numero << ", row " << y;
        }
    }
}

TEST(NavegacaoTest, GirosMantemABaseEVoltamAoInicio) {
    Cena cena(cenaSimples("3 1\n-1 -1 5\n1 -1 5\n0 1 5\n0 1 2"));
    const Ponto centro = cena.malha->getCentro();
    Navegacao navegacao(cena.camera, centro);
    // Each arrow turns the model its way: its near side moves that way on the screen.
    const Ponto frente(centro.x, centro.y, centro.z - 1);
    const Vetor antes = cena.camera.coordenadas(frente);
    navegacao.aplicar(Navegacao::Acao::direita);
    EXPECT_GT(navegacao.getCamera().coordenadas(frente).x, antes.x);
    navegacao.aplicar(Navegacao::Acao::restaurar);
    navegacao.aplicar(Navegacao::Acao::cima);
    EXPECT_GT(navegacao.getCamera().coordenadas(frente).y, antes.y);
    navegacao.aplicar(Navegacao::Acao::restaurar);
    for (int i = 0; i < 72; ++i) navegacao.aplicar(Navegacao::Acao::direita);
    const Camera& c = navegacao.getCamera();
    EXPECT_NEAR(c.foco.x, cena.camera.foco.x, kTolerancia);
    EXPECT_NEAR(c.foco.z, cena.camera.foco.z, kTolerancia);
    EXPECT_NEAR(c.n.z, 1, kTolerancia);
    for (int i = 0; i < 1000; ++i) {
        navegacao.aplicar(i % 3 == 0 ? Navegacao::Acao::cima : Navegacao::Acao::esquerda);
        if (i % 100 == 0) navegacao.aplicar(Navegacao::Acao::aproximar);
    }
    const Vetor eixos[] = {c.u, c.v, c.n};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(eixos[i].x * eixos[j].x + eixos[i].y * eixos[j].y + eixos[i].z * eixos[j].z,
                        i == j, kTolerancia);
    // U stays N x V, and the focus keeps its distance to the centre but for the ten steps in.
    EXPECT_NEAR(c.u.x, c.n.y * c.v.z - c.n.z * c.v.y, kTolerancia);
    const double distancia =
        std::hypot(c.foco.x - centro.x, c.foco.y - centro.y, c.foco.z - centro.z);
    EXPECT_NEAR(distancia, 5 * std::pow(0.9, 10), kTolerancia);
    navegacao.aplicar(Navegacao::Acao::restaurar);
    EXPECT_EQ(std::memcmp(&navegacao.getCamera(), &cena.camera, sizeof(Camera)), 0);
}

}  // namespace
