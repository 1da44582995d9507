// The points' winners worked out pixel by pixel from the contract's rule and compared with what
// the four-lane and the two-lane code draw: points at exact pixel-centre bounds, on and behind
// the near plane, off the frame, on its last column and row where the lanes read past them, and
// equal depths across blocks; and whole frames of a cloud cut into several runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "Camera.h"
#include "Estilo.h"
#include "Gouraud.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "PontosTela.h"
#include "Primitivas.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "RenderizadorReferencia.h"

using namespace gouraud::detail;

namespace {

using Terno = Primitivas::Terno;

// The camera at the origin looking along +z (U = -x, V = y), the near plane at cn = 0.5: a
// point at z = 1 lands at xs = -x + W/2, ys = H/2 - y, exactly when W and H are even.
Projecao projecao(int largura, int altura) {
    Projecao p;
    p.hx = largura / 2.0;
    p.hy = altura / 2.0;
    p.largura = largura;
    p.altura = altura;
    p.zPerto = 0.5;
    return p;
}

// Per pixel, the first point of greatest depth whose square (or disc) covers it, straight from
// the rule: centres k + 0.5 in [xs - s/2, xs + s/2), a disc's within s/2 of (xs, ys).
std::vector<std::int32_t> esperados(const Primitivas& pontos, const Projecao& p, int largura,
                                    int altura, int tamanho, bool disco) {
    std::vector<std::int32_t> vencedor(static_cast<std::size_t>(largura * altura), -1);
    std::vector<double> profundidade(vencedor.size(), 0.0);
    const Camera camera;
    const double meio = tamanho / 2.0;
    for (int k = 0; k < pontos.getQuantPontos(); ++k) {
        const Vetor c = camera.coordenadas(pontos.getPonto(k));
        if (!(c.z >= p.zPerto)) continue;
        const double xs = p.xTela(c.x, c.z), ys = p.yTela(c.y, c.z), iz = 1.0 / c.z;
        for (int j = 0; j < altura; ++j) {
            if (!(ys - meio <= j + 0.5 && j + 0.5 < ys + meio) && !disco) continue;
            for (int i = 0; i < largura; ++i) {
                const double dx = (i + 0.5) - xs, dy = (j + 0.5) - ys;
                const bool dentro = disco && tamanho > 1
                                        ? dx * dx + dy * dy <= meio * meio
                                        : xs - meio <= i + 0.5 && i + 0.5 < xs + meio &&
                                              ys - meio <= j + 0.5 && j + 0.5 < ys + meio;
                const auto e = static_cast<std::size_t>(j * largura + i);
                if (dentro && iz > profundidade[e]) {
                    profundidade[e] = iz;
                    vencedor[e] = k;
                }
            }
        }
    }
    return vencedor;
}

// Points on pixel centres and halfway between them, on the frame's edges and beyond, on and
// behind the near plane, the same place given many times at the same depth (more than a block
// of them), and a random crowd nearer and further.
Primitivas nuvemDificil(int largura, int altura) {
    Primitivas pontos;
    const auto em = [&](double xs, double ys, double z) {
        pontos.acrescentarPonto(
            Terno{static_cast<float>((largura / 2.0 - xs) * z),
                  static_cast<float>((altura / 2.0 - ys) * z), static_cast<float>(z)},
            nullptr, nullptr);
    };
    for (double xs = -3.0; xs <= largura + 3.0; xs += 0.5) {
        em(xs, 0.5, 1.0);
        em(xs, altura - 0.5, 1.0);
        em(xs, altura / 2.0, xs < largura / 2.0 ? 0.5 : 0.4999);
    }
    for (double ys = -3.0; ys <= altura + 3.0; ys += 0.5) {
        em(largura - 0.5, ys, 1.0);
        em(largura + 0.25, ys, 2.0);
    }
    for (int k = 0; k < 100; ++k) em(largura / 2.0 + 0.5, altura / 2.0 + 0.5, 1.5);
    std::mt19937 gerador(5);
    std::uniform_real_distribution<double> x(-4.0, largura + 4.0), y(-4.0, altura + 4.0),
        z(0.45, 3.0);
    for (int k = 0; k < 3000; ++k) em(std::floor(x(gerador) * 2.0) / 2.0, y(gerador), z(gerador));
    return pontos;
}

TEST(PontosTelaTest, VencedoresDaRegraNasQuatroENasDuasLanes) {
    for (const auto& [largura, altura] : {std::pair{64, 16}, std::pair{37, 23}}) {
        const Primitivas pontos = nuvemDificil(largura, altura);
        const Projecao p = projecao(largura, altura);
        PontosTela tela(pontos, Iluminacao(), true);
        for (const int tamanho : {1, 2, 3, 4, 5, 16}) {
            for (const bool disco : {false, true}) {
                const std::vector<std::int32_t> regra =
                    esperados(pontos, p, largura, altura, tamanho, disco);
                for (const bool avx2 : {true, false}) {
                    tela.usarAvx2(avx2);
                    std::vector<std::int32_t> vencedores;
                    std::vector<double> profundidades;
                    tela.vencedores(Camera(), p, largura, altura, tamanho, disco, vencedores,
                                    profundidades);
                    EXPECT_EQ(vencedores, regra) << largura << "x" << altura << ", size " << tamanho
                                                 << ", disc " << disco << ", avx2 " << avx2;
                }
            }
        }
    }
}

// A cloud of several runs (each of at least 65,536 points), every pixel fought over by points
// of every run, some at equal depths: the reference's picture on 1, 2 and 3 threads, four lanes
// or two, in 16 and 24 bits (colours looked up from the winners' numbers, packed or as
// channels).
TEST(PontosTelaTest, VariosTrechosOMesmoQuadro) {
    Gouraud vazia(std::vector<Ponto>{}, std::vector<Triangulo>{}, Vetor(0, 0, 1), Vetor(0, 1, 0),
                  Ponto(0, 0, 0), 0, 0, 0);
    Primitivas pontos;
    std::mt19937 gerador(9);
    std::uniform_real_distribution<float> x(-40.0f, 40.0f), z(1.0f, 4.0f), canal(0.0f, 1.0f);
    for (int k = 0; k < 200000; ++k) {
        const float profundidade = z(gerador);
        const Terno cor{canal(gerador), canal(gerador), canal(gerador)};
        pontos.acrescentarPonto(Terno{x(gerador) * profundidade, x(gerador) * profundidade,
                                      k % 7 == 0 ? 2.0f : profundidade},
                                nullptr, &cor);
    }
    const Malha malha(vazia, nullptr, std::move(pontos));
    for (const bool bits24 : {false, true}) {
        Estilo estilo;
        estilo.bits24 = bits24;
        Quadro referencia;
        desenharReferencia(malha, Iluminacao(), Camera(), projecao(90, 70), referencia, estilo);
        for (const int threads : {1, 2, 3}) {
            for (const bool avx2 : {true, false}) {
                Renderizador renderizador(malha, Iluminacao(), threads);
                renderizador.permitirAvx2(avx2);
                renderizador.setEstilo(estilo);
                Quadro q;
                renderizador.desenhar(Camera(), projecao(90, 70), q);
                for (int j = 0; j < 70; ++j)
                    for (int i = 0; i < 90; ++i)
                        ASSERT_TRUE(q.getCor(i, j) == referencia.getCor(i, j) &&
                                    q.getProfundidade(i, j) == referencia.getProfundidade(i, j) &&
                                    (!bits24 || q.getCanais(i, j) == referencia.getCanais(i, j)))
                            << i << "," << j << ", " << threads << " threads, avx2 " << avx2
                            << ", 24 bits " << bits24;
            }
        }
    }
}

}  // namespace
