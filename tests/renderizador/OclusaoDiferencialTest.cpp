// Frames drawn with the hidden clusters left out, against the straightforward reference and
// against the same renderer drawing every cluster, bit for bit, on 1, 2 and 3 threads: a closed
// surface from outside, the camera inside a closed box, a near wall in front of everything, the
// first frame and walks whose last frame saw other clusters than the next one sees.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "AparenciaAleatoria.h"
#include "Camera.h"
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

namespace {

constexpr int kLargura = 320;
constexpr int kAltura = 240;

struct Malhas {
    std::vector<Ponto> pontos;
    std::vector<std::array<int, 3>> triangulos;
};

// A sphere of radius r about c: an octahedron whose triangles are split in four `vezes` times,
// the points pushed onto the sphere (8 4^vezes triangles, closed).
void esfera(Malhas& m, const Ponto& c, double r, int vezes) {
    const auto primeiro = static_cast<int>(m.pontos.size());
    const std::array<Ponto, 6> eixos = {Ponto(1, 0, 0),  Ponto(-1, 0, 0), Ponto(0, 1, 0),
                                        Ponto(0, -1, 0), Ponto(0, 0, 1),  Ponto(0, 0, -1)};
    std::vector<Ponto> unitarios(eixos.begin(), eixos.end());
    std::vector<std::array<int, 3>> faces = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                                             {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    for (int v = 0; v < vezes; ++v) {
        std::map<std::pair<int, int>, int> meios;
        const auto meio = [&](int a, int b) {
            const auto chave = std::minmax(a, b);
            const auto achado = meios.find(chave);
            if (achado != meios.end()) return achado->second;
            const Ponto& p = unitarios[static_cast<std::size_t>(a)];
            const Ponto& q = unitarios[static_cast<std::size_t>(b)];
            const Ponto s(p.x + q.x, p.y + q.y, p.z + q.z);
            const double n = std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
            unitarios.emplace_back(s.x / n, s.y / n, s.z / n);
            return meios[chave] = static_cast<int>(unitarios.size()) - 1;
        };
        std::vector<std::array<int, 3>> novas;
        for (const auto& [a, b, d] : faces) {
            const int ab = meio(a, b), bd = meio(b, d), da = meio(d, a);
            novas.insert(novas.end(), {{a, ab, da}, {ab, b, bd}, {da, bd, d}, {ab, bd, da}});
        }
        faces.swap(novas);
    }
    for (const Ponto& u : unitarios)
        m.pontos.emplace_back(c.x + r * u.x, c.y + r * u.y, c.z + r * u.z);
    for (const auto& [a, b, d] : faces)
        m.triangulos.push_back({primeiro + a, primeiro + b, primeiro + d});
}

// The square from `canto` along `u` and `v` as an n x n grid, two triangles a cell.
void grade(Malhas& m, const Ponto& canto, const Vetor& u, const Vetor& v, int n) {
    const auto primeiro = static_cast<int>(m.pontos.size());
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            const double s = static_cast<double>(i) / n, t = static_cast<double>(j) / n;
            m.pontos.emplace_back(canto.x + s * u.x + t * v.x, canto.y + s * u.y + t * v.y,
                                  canto.z + s * u.z + t * v.z);
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const int a = primeiro + j * (n + 1) + i;
            m.triangulos.push_back({a, a + 1, a + n + 2});
            m.triangulos.push_back({a, a + n + 2, a + n + 1});
        }
}

// The surface of the cube [-1, 1]^3, each face an n x n grid.
void cubo(Malhas& m, int n) {
    grade(m, Ponto(-1, -1, -1), Vetor(2, 0, 0), Vetor(0, 2, 0), n);
    grade(m, Ponto(-1, -1, 1), Vetor(2, 0, 0), Vetor(0, 2, 0), n);
    grade(m, Ponto(-1, -1, -1), Vetor(2, 0, 0), Vetor(0, 0, 2), n);
    grade(m, Ponto(-1, 1, -1), Vetor(2, 0, 0), Vetor(0, 0, 2), n);
    grade(m, Ponto(-1, -1, -1), Vetor(0, 2, 0), Vetor(0, 0, 2), n);
    grade(m, Ponto(1, -1, -1), Vetor(0, 2, 0), Vetor(0, 0, 2), n);
}

// The scene of `m` seen from `foco` along `n` (V = +y), through `janela` ("0 0 0": framed).
std::unique_ptr<Gouraud> cena(const Malhas& m, const std::string& camera) {
    std::ostringstream texto;
    texto.precision(17);
    texto << m.pontos.size() << " " << m.triangulos.size() << "\n";
    for (const Ponto& p : m.pontos) texto << p.x << " " << p.y << " " << p.z << "\n";
    for (const auto& [a, b, c] : m.triangulos) texto << a << " " << b << " " << c << "\n";
    texto << camera << "\n";
    return carregarCena(texto.str());
}

bool mesmosBits(const Quadro& a, const Quadro& b) {
    for (int y = 0; y < a.getAltura(); ++y)
        if (std::memcmp(a.linhaCor(y), b.linhaCor(y), sizeof(std::uint16_t) * kLargura) != 0 ||
            std::memcmp(a.linhaProfundidade(y), b.linhaProfundidade(y),
                        sizeof(double) * kLargura) != 0)
            return false;
    return true;
}

// The first pixel where the frame differs from the reference's in colour, or in depth by more
// than the rounding the reference's own clipping allows; "" when none.
std::string diferenca(const Quadro& a, const Quadro& b) {
    for (int y = 0; y < a.getAltura(); ++y)
        for (int x = 0; x < a.getLargura(); ++x) {
            const double pa = a.getProfundidade(x, y), pb = b.getProfundidade(x, y);
            if (a.getCor(x, y) != b.getCor(x, y) || std::fabs(pa - pb) > 1e-12 * std::fabs(pb))
                return std::to_string(x) + "," + std::to_string(y);
        }
    return "";
}

// A walk: each view's camera and projection.
using Caminho = std::vector<std::pair<Camera, Projecao>>;

// Draws the walk with the hidden clusters left out on 1, 2 and 3 threads and compares every
// frame with the reference and with every cluster drawn; returns how many clusters each frame
// left out as hidden, on 2 threads.
std::vector<int> percorrer(const Malha& malha, const Caminho& caminho,
                           const Estilo& estilo = Estilo()) {
    std::vector<int> ocultos;
    Renderizador tudo(malha, Iluminacao(), 2);
    tudo.permitirOclusao(false);
    tudo.setEstilo(estilo);
    std::vector<Quadro> esperados;
    for (const auto& [camera, projecao] : caminho) {
        esperados.emplace_back(kLargura, kAltura);
        tudo.desenhar(camera, projecao, esperados.back());
        Quadro referencia(kLargura, kAltura);
        desenharReferencia(malha, Iluminacao(), camera, projecao, referencia, estilo);
        EXPECT_EQ(diferenca(esperados.back(), referencia), "") << "view " << esperados.size() - 1;
    }
    for (const int threads : {1, 2, 3}) {
        Renderizador renderizador(malha, Iluminacao(), threads);
        renderizador.setEstilo(estilo);
        Quadro quadro(kLargura, kAltura);
        for (std::size_t k = 0; k < caminho.size(); ++k) {
            renderizador.desenhar(caminho[k].first, caminho[k].second, quadro);
            EXPECT_TRUE(mesmosBits(quadro, esperados[k]))
                << "view " << k << ", " << threads << " threads";
            const Visibilidade::Contagem* contagem = renderizador.getContagem();
            EXPECT_NE(contagem, nullptr);
            if (contagem != nullptr && threads == 2) {
                ocultos.push_back(contagem->ocultos);
            }
        }
    }
    return ocultos;
}

// The camera of a loaded scene turned `graus` about `eixo` through `centro`.
Camera girada(Camera c, const Vetor& eixo, double graus, const Ponto& centro) {
    c.girar(eixo, graus, centro);
    return c;
}

TEST(OclusaoDiferencialTest, EsferaDeForaAoGirarSaltarEAproximar) {
    Malhas m;
    esfera(m, Ponto(0, 0, 0), 1, 6);
    const auto g = cena(m, "0 -0.2 1\n0 1 0\n0 0.7 -3.5\n0 0 0");
    const Malha malha(*g);
    const Camera inicio(*g);
    const Ponto centro(0, 0, 0);
    const auto vista = [&](const Camera& c) {
        return std::make_pair(c, Projecao::enquadrar(malha, c, kLargura, kAltura));
    };
    Caminho caminho = {vista(inicio),
                       vista(inicio),
                       vista(girada(inicio, Vetor(0, 1, 0), 25, centro)),
                       vista(girada(inicio, Vetor(0, 1, 0), 50, centro)),
                       vista(girada(inicio, Vetor(0, 1, 0), 180, centro)),
                       vista(girada(inicio, Vetor(1, 0, 0), 90, centro))};
    // Nearer, through the last window: most of the sphere off the screen.
    Camera perto = caminho.back().first;
    perto.aproximar(0.45, centro);
    caminho.emplace_back(perto, caminho.back().second);
    // Of the sphere's 128 clusters, the far side's whose boxes lie well within the outline are
    // left out from the first frame on.
    const std::vector<int> ocultos = percorrer(malha, caminho);
    ASSERT_EQ(ocultos.size(), caminho.size());
    EXPECT_GE(ocultos[0], 20);
    EXPECT_GE(ocultos[1], 20);
    // Every mode, with edges and needles, on a shorter walk.
    for (const Estilo::Modo modo : {Estilo::Modo::plano, Estilo::Modo::phong}) {
        Estilo estilo;
        estilo.modo = modo;
        estilo.arestas = true;
        estilo.normais = modo == Estilo::Modo::phong;
        percorrer(malha, Caminho(caminho.begin() + 3, caminho.begin() + 5), estilo);
    }
}

TEST(OclusaoDiferencialTest, CoresMateriaisETexturasNosAglomerados) {
    // The sphere with a look of its own (corner colours, materials, textures; points split
    // where corners differ): the renderer's order and the two phases must find each corner's
    // attributes by the triangle's number in the file.
    Malhas m;
    esfera(m, Ponto(0, 0, 0), 1, 6);
    const auto g = cena(m, "0 -0.2 1\n0 1 0\n0 0.7 -3.5\n0 0 0");
    const Malha malha(*g, olharAleatorio(*g, 11));
    const Camera inicio(*g);
    const Ponto centro(0, 0, 0);
    const auto vista = [&](const Camera& c) {
        return std::make_pair(c, Projecao::enquadrar(malha, c, kLargura, kAltura));
    };
    const Caminho caminho = {vista(inicio), vista(girada(inicio, Vetor(0, 1, 0), 40, centro)),
                             vista(girada(inicio, Vetor(1, 0, 0), 90, centro))};
    for (const Estilo::Modo modo :
         {Estilo::Modo::plano, Estilo::Modo::gouraud, Estilo::Modo::phong}) {
        Estilo estilo;
        estilo.modo = modo;
        estilo.arestas = modo == Estilo::Modo::plano;
        const std::vector<int> ocultos = percorrer(malha, caminho, estilo);
        ASSERT_EQ(ocultos.size(), caminho.size());
        EXPECT_GE(ocultos[1], 20);
    }
}

TEST(OclusaoDiferencialTest, PontosELinhasSaoDesenhadosNumaSoPassada) {
    // The sphere of 128 clusters with points and lines in front of it, inside it and behind it:
    // they are not in the clusters' runs, so the model is drawn in one pass, as the reference.
    Malhas m;
    esfera(m, Ponto(0, 0, 0), 1, 6);
    const auto g = cena(m, "0 -0.2 1\n0 1 0\n0 0.7 -3.5\n0 0 0");
    Primitivas primitivas;
    const Primitivas::Terno vermelho{1.0f, 0.2f, 0.2f};
    for (int k = 0; k < 200; ++k) {
        const float t = static_cast<float>(k) / 200.0f;
        primitivas.acrescentarPonto({1.6f * t - 0.8f, 0.3f, -1.5f + 3.0f * t}, nullptr,
                                    k % 2 == 0 ? &vermelho : nullptr);
    }
    primitivas.acrescentarLinha({-1.5f, -0.5f, -1.2f}, {1.5f, 0.5f, 1.2f}, &vermelho);
    primitivas.acrescentarLinha({0.0f, -1.5f, 0.0f}, {0.0f, 1.5f, -2.0f}, nullptr);
    const Malha malha(*g, nullptr, std::move(primitivas));
    const Camera camera(*g);
    const Projecao projecao = Projecao::enquadrar(malha, camera, kLargura, kAltura);
    Estilo estilo;
    estilo.arestas = true;
    Quadro referencia(kLargura, kAltura);
    desenharReferencia(malha, Iluminacao(), camera, projecao, referencia, estilo);
    for (const int threads : {1, 2, 3}) {
        Renderizador renderizador(malha, Iluminacao(), threads);
        renderizador.setEstilo(estilo);
        Quadro quadro(kLargura, kAltura);
        for (int vez = 0; vez < 2; ++vez) {
            renderizador.desenhar(camera, projecao, quadro);
            EXPECT_EQ(diferenca(quadro, referencia), "") << threads << " threads, frame " << vez;
            EXPECT_EQ(renderizador.getContagem(), nullptr);
        }
    }
}

TEST(OclusaoDiferencialTest, DentroDeUmaCaixaFechada) {
    // The camera inside a closed box, a sphere outside it: the box's walls hide the sphere.
    Malhas m;
    cubo(m, 40);
    esfera(m, Ponto(0.5, 0.2, 3.5), 1, 5);
    const auto g = cena(m, "0.1 0.05 1\n0 1 0\n0.2 -0.3 -0.4\n1 0.6 0.45");
    const Malha malha(*g);
    const Camera inicio(*g);
    const Projecao janela = Projecao::daCena(*g, malha, inicio, kLargura, kAltura);
    const Ponto foco = inicio.foco;
    Caminho caminho;
    for (const double graus : {0.0, 0.0, 20.0, 100.0, 190.0, 5.0, 5.0}) {
        caminho.emplace_back(girada(inicio, Vetor(0, 1, 0), graus, foco), janela);
    }
    caminho.emplace_back(girada(inicio, Vetor(1, 0, 0), 80, foco), janela);
    const std::vector<int> ocultos = percorrer(malha, caminho);
    ASSERT_EQ(ocultos.size(), caminho.size());
    // Facing the sphere (views 1 and 2, and 6 once the view turned back), its clusters on the
    // screen are left out.
    EXPECT_GE(ocultos[1], 20);
    EXPECT_GE(ocultos[2], 20);
    EXPECT_GE(ocultos[6], 20);
}

TEST(OclusaoDiferencialTest, ParedePertoEscondeTudo) {
    Malhas m;
    esfera(m, Ponto(0, 0, 0), 1, 5);
    grade(m, Ponto(-3, -3, -2.5), Vetor(6, 0, 0), Vetor(0, 6, 0), 16);
    const auto g = cena(m, "0 0 1\n0 1 0\n0.05 0.1 -3\n1 0.75 0.5625");
    const Malha malha(*g);
    const Camera inicio(*g);
    const Projecao janela = Projecao::daCena(*g, malha, inicio, kLargura, kAltura);
    Caminho caminho = {{inicio, janela},
                       {inicio, janela},
                       {girada(inicio, Vetor(0, 1, 0), 8, inicio.foco), janela}};
    // The clusters behind the wall (all 34 but the few that hold the wall's 512 triangles)
    // are left out, most of them from the first frame on.
    const std::vector<int> ocultos = percorrer(malha, caminho);
    ASSERT_EQ(ocultos.size(), caminho.size());
    EXPECT_GE(ocultos[0], 10);
    EXPECT_GE(ocultos[1], 26);
    EXPECT_GE(ocultos[2], 26);
}

TEST(OclusaoDiferencialTest, EmpateFicaComOMenorNumeroNoArquivo) {
    // Pairs of triangles at one depth, the second of each a little aside and later in the file:
    // wherever both cover a pixel their 1/cn are the same bits, and the first must win, though
    // the spatial order draws many second ones first. Flat colours and edges tell them apart.
    constexpr int kLadoGrade = 64;
    constexpr double kPasso = 0.06;
    Malhas m;
    for (const double desvio : {0.0, 0.017}) {
        for (int j = 0; j < kLadoGrade; ++j)
            for (int i = 0; i < kLadoGrade; ++i) {
                const double x = (i - kLadoGrade / 2) * kPasso + desvio;
                const double y = (j - kLadoGrade / 2) * kPasso + 1.3 * desvio;
                const int a = static_cast<int>(m.pontos.size());
                m.pontos.emplace_back(x, y, 5);
                m.pontos.emplace_back(x + 2 * kPasso, y + 0.3 * kPasso, 5);
                m.pontos.emplace_back(x + 0.4 * kPasso, y + 2 * kPasso, 5);
                m.triangulos.push_back({a, a + 1, a + 2});
            }
    }
    const auto g = cena(m, "0 0 1\n0 1 0\n0.3 -0.2 0\n1 0.5 0.375");
    const Malha malha(*g);
    const Camera camera(*g);
    const Projecao projecao = Projecao::daCena(*g, malha, camera, kLargura, kAltura);
    Estilo estilo;
    estilo.modo = Estilo::Modo::plano;
    estilo.arestas = true;
    const std::vector<int> ocultos =
        percorrer(malha, {{camera, projecao}, {camera, projecao}}, estilo);
    EXPECT_EQ(ocultos, std::vector<int>({0, 0}));
}

}  // namespace
