// The shading stage as a mode sees it: each pixel's winner, its weights and its corners, through
// a mode that paints every pixel with who won it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <iostream>
#include <limits>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Camera.h"
#include "GeradorCena.h"
#include "Gouraud.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "Sombreamento.h"
#include "SombreamentoGouraud.h"

using namespace gouraud::detail;

namespace {

// Paints a pixel won by triangle t with 1 + t, or by piece p of triangle t with 0x8000 | p << 8
// | t; its one attribute per point is the point's number, so that a piece's corners tell what
// the clipping interpolated.
class SombreamentoIdentidade : public Sombreamento {
public:
    explicit SombreamentoIdentidade(int quantPontos) : numeros(quantPontos) {
        for (int k = 0; k < quantPontos; ++k) numeros[k] = k;
    }
    int getQuantAtributos() const override { return 1; }
    void iniciar(const Camera&) override {}
    void prepararPontos(int inicio, int fim, const std::uint8_t* marcas) override {
        for (int k = inicio; k < fim; ++k) preparados += marcas[k] != 0;
    }
    const double* getAtributos(int ponto) const override { return &numeros[ponto]; }
    void usarAvx2(bool) override {}
    void sombrear(const FaixaVisivel& faixa, Quadro& quadro) const override {
        for (int j = faixa.getLinha0(); j < faixa.getLinha1(); ++j) {
            for (int i = 0; i < faixa.getLargura(); ++i) {
                const std::int32_t v = faixa.linhaVencedores(j)[i];
                if (v == FaixaVisivel::kNenhum) continue;
                const double b1 = faixa.linhaPesos1(j)[i], b2 = faixa.linhaPesos2(j)[i];
                EXPECT_GE(b1, -1e-9);
                EXPECT_GE(b2, -1e-9);
                EXPECT_LE(b1 + b2, 1 + 1e-9);
                if (!FaixaVisivel::ehPeca(v)) {
                    quadro.linhaCor(j)[i] =
                        static_cast<std::uint16_t>(1 + faixa.getEntrada(v).triangulo);
                    continue;
                }
                const FaixaVisivel::Peca& p = faixa.getPeca(v);
                // A corner made on an edge carries a point number between its ends'.
                for (const Recorte::Canto& c : p.cantos) {
                    EXPECT_NE(c.origem, 0);
                    EXPECT_GE(c.atributos[0], 0);
                }
                quadro.linhaCor(j)[i] =
                    static_cast<std::uint16_t>(0x8000 | (p.numero << 8) | p.triangulo);
            }
        }
    }
    std::vector<double> numeros;
    std::atomic<int> preparados{0};
};

TEST(SombreamentoTest, CadaPixelTemOVencedorDoTesteDeProfundidade) {
    // Seen from the origin along +z: triangles 0 and 1 are the same square's halves at z = 5,
    // triangle 2 is triangle 1 again (equal depth: the earlier keeps it), triangle 3 a smaller
    // one in front at z = 4, and triangle 4 a floor from behind the camera, cut by the near
    // plane into pieces.
    auto cena = carregarCena(
        "10 5\n"
        "-2 -2 5\n2 -2 5\n2 2 5\n-2 2 5\n"
        "-0.5 -0.5 4\n0.5 -0.5 4\n0 0.5 4\n"
        "-30 -3 -5\n30 -3 -5\n0 -3 60\n"
        "0 1 2\n0 2 3\n0 2 3\n4 5 6\n7 8 9\n"
        "0 0 1\n0 1 0\n0 0 0\n1 1 0.75\n");
    ASSERT_TRUE(cena->cenaValida());
    Malha malha(*cena);
    const Camera camera(*cena);
    const Projecao projecao = Projecao::daCena(*cena, malha, camera);
    for (const int threads : {1, 3}) {
        Renderizador renderizador(malha, Iluminacao(), threads);
        auto modo = std::make_unique<SombreamentoIdentidade>(
            renderizador.getEstagioVertices().getQuantPontos());
        SombreamentoIdentidade* identidade = modo.get();
        renderizador.usarSombreamento(std::move(modo));
        Quadro q;
        renderizador.desenhar(camera, projecao, q);
        // Every point some drawn triangle names was prepared.
        EXPECT_EQ(identidade->preparados.load(), 10);
        // The centre is the small triangle's; to its upper right triangle 0's half, to its
        // lower left the other half's, never its copy's.
        EXPECT_EQ(q.getCor(320, 240), 1 + 3);
        std::set<int> vistos;
        for (int y = 0; y < Quadro::kAltura; ++y)
            for (int x = 0; x < Quadro::kLargura; ++x) vistos.insert(q.getCor(x, y));
        EXPECT_EQ(vistos.count(1 + 2), 0U) << "the copy at equal depth won a pixel";
        EXPECT_EQ(vistos.count(1 + 0), 1U);
        EXPECT_EQ(vistos.count(1 + 1), 1U);
        // The floor: pieces of triangle 4, numbered from 0.
        int pecas = 0;
        for (const int cor : vistos) {
            if ((cor & 0x8000) == 0) continue;
            EXPECT_EQ(cor & 0xFF, 4);
            EXPECT_LT((cor >> 8) & 0x7F, 6);
            ++pecas;
        }
        EXPECT_GE(pecas, 1);
        EXPECT_EQ(q.getCor(320, 470) & 0x80FF, 0x8000 | 4);
    }
}

}  // namespace

// Gouraud's pixels four at a time: the same bits as one at a time for every kind of group (one
// winner, four different ones, with pixels nobody won, with a piece of a clipped triangle, the
// last pixels of a row), and for channels beyond 0..255 on either side or NaN.
TEST(SombreamentoTest, GouraudQuatroPixelsComoUmAUm) {
    if (!Iluminacao::quatroDisponivel()) GTEST_SKIP() << "no AVX2 on this processor";
    constexpr int kLargura = 23;
    constexpr int kPontos = 6;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Three channels per point, some far outside 0..255 and one NaN.
    const std::vector<double> cores = {0,   128, 255, 300, -40, 17.5, 254.9, 0.2, 1e300,
                                       -0., 64,  nan, 90,  200, 10,   255,   255, 255};
    std::vector<VerticeTela> vertices;
    for (int k = 0; k < kPontos; ++k) vertices.push_back({0, 0, 0.25 + 0.5 * k});
    const std::vector<Classificacao::Entrada> entradas = {
        {0, 0, 1, 2, -1}, {1, 3, 4, 5, -1}, {2, 1, 3, 5, -1}, {3, 5, 0, 4, -1}};
    Recorte::Canto canto{0, 0, 0.5, {40, 80, 120, 0, 0, 0}, 1};
    FaixaVisivel::Peca peca{7, 0, {canto, canto, canto}};
    peca.cantos[1].atributos[0] = 400;
    peca.cantos[2].z = 2;
    std::vector<FaixaVisivel::Peca> pecas;
    FaixaVisivel faixa;
    Quadro comQuatro(kLargura, 2);
    faixa.iniciar(0, 2, kLargura, entradas.data(), pecas);
    const std::int32_t numeroPeca = faixa.acrescentarPeca(peca);
    // Row 0: groups of one winner, of four, with nobody, with the piece; row 1 pseudo-random.
    const std::int32_t linha0[kLargura] = {1, 1, 1, 1, 0, 1, 2, 3, 2, FaixaVisivel::kNenhum, 2, 2,
                                           numeroPeca, 0, 0, 0, 3, 3, 3, 3, 1, 2, 3};
    std::uint32_t estado = 12345;
    const auto aleatorio = [&estado] { return (estado = estado * 1664525U + 1013904223U) >> 8; };
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < kLargura; ++i) {
            const std::uint32_t r = aleatorio();
            const std::int32_t v = j == 0 ? linha0[i]
                                   : r % 7 == 0 ? FaixaVisivel::kNenhum
                                   : r % 11 == 0 ? numeroPeca
                                                 : static_cast<std::int32_t>(r % 4);
            faixa.linhaVencedores(j)[i] = v;
            faixa.linhaPesos1(j)[i] = (aleatorio() % 3000) / 1000.0 - 1;
            faixa.linhaPesos2(j)[i] = (aleatorio() % 3000) / 1000.0 - 1;
            comQuatro.linhaProfundidade(j)[i] = 0.05 + (aleatorio() % 1000) / 400.0;
        }
    }
    Quadro umAUm = comQuatro;
    SombreamentoGouraud::sombrearFaixa(faixa, vertices.data(), cores.data(), umAUm, false);
    SombreamentoGouraud::sombrearFaixa(faixa, vertices.data(), cores.data(), comQuatro, true);
    int pintados = 0;
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < kLargura; ++i) {
            EXPECT_EQ(comQuatro.getCor(i, j), umAUm.getCor(i, j)) << "pixel " << i << ", " << j;
            pintados += umAUm.getCor(i, j) != 0;
        }
    }
    EXPECT_GT(pintados, kLargura);
}
