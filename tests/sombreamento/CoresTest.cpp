// The file's colours and textures in the three modes: pixels worked out by hand.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AmostraTextura.h"
#include "Aparencia.h"
#include "Camera.h"
#include "CorObjeto.h"
#include "Estilo.h"
#include "GeradorCena.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"

using namespace gouraud::detail;

namespace {

using Repeticao = Aparencia::Repeticao;

// Kd 1, Il 255, no ambient or specular, the light far behind the camera at the origin, which
// looks along +z: N.L is 1 on a surface facing it, and a channel is 255 Od.
Iluminacao luzDeFrente() {
    Iluminacao luz;
    luz.luzNoFoco = false;
    luz.luz = Ponto(0, 0, -1e9);
    luz.ka = 0;
    luz.ks = 0;
    luz.kd = 1;
    return luz;
}

// A 2 x 2 texture: red and green on the top row, blue and white below.
Textura xadrez() { return Textura(2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}); }

// Points and triangles seen from the origin along +z with V = +y (so U = -x) through the
// window d = hx = hy = 1, drawn on a largura x altura frame with its own look.
struct Desenho {
    std::unique_ptr<Gouraud> cena;
    std::unique_ptr<Malha> malha;
    Camera camera;
    Projecao projecao;
    int largura;
    int altura;

    Desenho(const std::string& pontosETriangulos, std::shared_ptr<const Aparencia> aparencia,
            int largura, int altura)
        : cena(carregarCena(pontosETriangulos + "\n0 0 1\n0 1 0\n0 0 0\n1 1 1\n")),
          malha(std::make_unique<Malha>(*cena, std::move(aparencia))),
          camera(*cena),
          projecao(Projecao::daCena(*cena, *malha, camera, largura, altura)),
          largura(largura),
          altura(altura) {}

    Quadro desenhar(Estilo::Modo modo, int threads = 1) const {
        Renderizador renderizador(*malha, luzDeFrente(), threads);
        Estilo estilo;
        estilo.modo = modo;
        renderizador.setEstilo(estilo);
        Quadro quadro(largura, altura);
        renderizador.desenhar(camera, projecao, quadro);
        return quadro;
    }
};

// One variant per corner, triangle t's corner k at point pontos[3 t + k].
Aparencia aparencia(int quantPontos, const std::vector<int>& pontos,
                    std::vector<Aparencia::Variante> variantes,
                    std::vector<Aparencia::Material> materiais = {},
                    std::vector<Textura> texturas = {}) {
    std::vector<std::int32_t> cantos;
    for (std::size_t k = 0; k < variantes.size(); ++k) {
        variantes[k].ponto = pontos[k];
        cantos.push_back(static_cast<std::int32_t>(k));
    }
    return Aparencia(quantPontos, static_cast<int>(pontos.size() / 3), std::move(cantos),
                     std::move(variantes), std::move(materiais), std::move(texturas));
}

Aparencia::Variante comCor(float r, float g, float b) {
    Aparencia::Variante v;
    v.temCor = true;
    v.cor = {r, g, b};
    return v;
}

Aparencia::Variante comCoordenadas(float u, float v, std::int32_t material) {
    Aparencia::Variante variante;
    variante.temUv = true;
    variante.uv = {u, v};
    variante.material = material;
    return variante;
}

}  // namespace

TEST(CorObjetoTest, ProdutoDasFontesSubstitutosEAusentes) {
    const Vetor od(0.9, 0.75, 0.55);
    const float vermelho[] = {1.0f, 0.5f, 2.0f};  // clamped to 1
    Aparencia::Material metade;
    metade.nome = "metade";
    metade.temCor = true;
    metade.cor = {0.5f, 0.5f, -1.0f};  // clamped to 0
    const Vetor produto = CorObjeto::cor(vermelho, &metade, false, od);
    EXPECT_EQ(produto.x, 0.5);
    EXPECT_EQ(produto.y, 0.25);
    EXPECT_EQ(produto.z, 0.0);
    // The library's stand-ins count as no material; an unnamed white one with a texture counts.
    Aparencia::Material padrao = metade;
    padrao.nome = "DefaultMaterial";
    Aparencia::Material branco;
    branco.temCor = true;
    branco.cor = {1, 1, 1};
    EXPECT_EQ(CorObjeto::cor(nullptr, &padrao, false, od).y, od.y);
    EXPECT_EQ(CorObjeto::cor(nullptr, &branco, false, od).y, od.y);
    branco.declaraTextura = true;
    EXPECT_EQ(CorObjeto::cor(nullptr, &branco, false, od).y, 1.0);
    // Not finite counts as absent; a texture alone gives the sample as it is.
    const float nan[] = {std::nanf(""), 0.2f, 0.3f};
    EXPECT_EQ(CorObjeto::cor(nan, nullptr, false, od).z, od.z);
    EXPECT_EQ(CorObjeto::cor(nan, nullptr, true, od).z, 1.0);
    branco.textura = 0;
    const float uv[] = {0.5f, std::nanf("")};
    const float uvFinito[] = {0.5f, 3.0f};
    EXPECT_FALSE(CorObjeto::comTextura(&branco, uv));
    EXPECT_TRUE(CorObjeto::comTextura(&branco, uvFinito));
    EXPECT_FALSE(CorObjeto::comTextura(&padrao, uvFinito));
    // The overlay's words for the colours off.
    Estilo semCor;
    semCor.cores = false;
    semCor.arestas = true;
    EXPECT_EQ(semCor.descricao(), "gouraud, edges, colours off");
}

TEST(AmostraTexturaTest, DoisPorDoisComRepeticaoLimiteEEspelho) {
    const Textura t = xadrez();
    const auto amostra = [&t](Repeticao modo, double u, double v) {
        const Vetor c = AmostraTextura::amostrar(t, modo, modo, u, v);
        return std::array<double, 3>{c.x, c.y, c.z};
    };
    using A = std::array<double, 3>;
    // Texel centres: u = 0.25 and v = 0.75 is the top-left texel, exactly.
    EXPECT_EQ(amostra(Repeticao::repetir, 0.25, 0.75), (A{1, 0, 0}));
    EXPECT_EQ(amostra(Repeticao::repetir, 0.75, 0.25), (A{1, 1, 1}));
    // Half-way between red and green, and the middle of all four.
    EXPECT_EQ(amostra(Repeticao::repetir, 0.5, 0.75), (A{0.5, 0.5, 0}));
    EXPECT_EQ(amostra(Repeticao::limitar, 0.5, 0.5), (A{0.5, 0.5, 0.5}));
    // u = 1.25 is the centre of texel 2: repeat gives column 0, clamp and mirror column 1.
    EXPECT_EQ(amostra(Repeticao::repetir, 1.25, 0.75), (A{1, 0, 0}));
    EXPECT_EQ(amostra(Repeticao::limitar, 1.25, 0.75), (A{0, 1, 0}));
    EXPECT_EQ(amostra(Repeticao::espelhar, 1.25, 0.75), (A{0, 1, 0}));
    // u = -0.25 is texel -1: repeat gives column 1, clamp and mirror column 0.
    EXPECT_EQ(amostra(Repeticao::repetir, -0.25, 0.75), (A{0, 1, 0}));
    EXPECT_EQ(amostra(Repeticao::limitar, -0.25, 0.75), (A{1, 0, 0}));
    EXPECT_EQ(amostra(Repeticao::espelhar, -0.25, 0.75), (A{1, 0, 0}));
    // Texel 5 mirrored is column 1 reversed in the third period: column 1; texel -3 column 1.
    EXPECT_EQ(AmostraTextura::indice(5, 2, Repeticao::espelhar), 1);
    EXPECT_EQ(AmostraTextura::indice(-3, 2, Repeticao::espelhar), 1);
    EXPECT_EQ(AmostraTextura::indice(-3, 2, Repeticao::repetir), 1);
    EXPECT_EQ(AmostraTextura::indice(1e300, 2, Repeticao::repetir), 0);
    EXPECT_EQ(AmostraTextura::indice(-1e300, 3, Repeticao::limitar), 0);
}

TEST(CoresTest, TrianguloDeTresCoresEmCadaModo) {
    // Corners at screen (0, 480), (640, 480) and (0, 0): pixel (100, 300) has the weights
    // 100.5/640 of the second corner and 179.5/480 of the third, and cn is 1 everywhere, so the
    // perspective-correct weights are these. With Kd 0.9, a channel is 229.5 times the weight
    // of the corner that has it.
    const Desenho desenho(
        "3 1\n1 -1 1\n-1 -1 1\n1 1 1\n0 1 2",
        std::make_shared<const Aparencia>(
            aparencia(3, {0, 1, 2}, {comCor(0.9f, 0, 0), comCor(0, 0.9f, 0), comCor(0, 0, 0.9f)})),
        640, 480);
    const double b1 = 100.5 / 640;
    const double b2 = 179.5 / 480;
    const double b0 = 1 - b1 - b2;
    const auto floor255 = [](double fracao) { return static_cast<int>(255 * 0.9 * fracao); };
    EXPECT_EQ(floor255(b0), 107);
    EXPECT_EQ(floor255(b1), 36);
    EXPECT_EQ(floor255(b2), 85);
    const std::uint16_t esperado = Quadro::empacotar(107, 36, 85);
    EXPECT_EQ(desenho.desenhar(Estilo::Modo::gouraud).getCor(100, 300), esperado);
    EXPECT_EQ(desenho.desenhar(Estilo::Modo::phong).getCor(100, 300), esperado);
    // Flat: the mean ((c1 + c2) + c3)/3 = 0.3 per channel, 76.5 everywhere.
    const Quadro plano = desenho.desenhar(Estilo::Modo::plano);
    EXPECT_EQ(plano.getCor(100, 300), Quadro::empacotar(76, 76, 76));
    EXPECT_EQ(plano.getCor(10, 460), Quadro::empacotar(76, 76, 76));
}

TEST(CoresTest, QuadradoTexturizadoMostraOTexelDeCadaPixel) {
    // A square over the whole 16 x 16 frame with u from -4 at the left to 4 at the right and
    // v from 6 at the top to -2 at the bottom: at pixel (i, j) the texel position is
    // x = u.2 - 0.5 = i - 8 and y = (1 - v).2 - 0.5 = j - 10, whole numbers, so the pixel is
    // exactly one texel, 255 times its bytes.
    const std::string quadrado = "4 2\n1 -1 1\n-1 -1 1\n-1 1 1\n1 1 1\n0 1 2\n0 2 3";
    const std::vector<int> pontos = {0, 1, 2, 0, 2, 3};
    const std::array<std::array<float, 2>, 4> uv = {{{-4, -2}, {4, -2}, {4, 6}, {-4, 6}}};
    for (const Repeticao modo : {Repeticao::repetir, Repeticao::limitar, Repeticao::espelhar}) {
        Aparencia::Material material;
        material.nome = "xadrez";
        material.declaraTextura = true;
        material.textura = 0;
        material.repeticaoU = material.repeticaoV = modo;
        std::vector<Aparencia::Variante> variantes;
        for (const int p : pontos) {
            variantes.push_back(comCoordenadas(uv[static_cast<std::size_t>(p)][0],
                                               uv[static_cast<std::size_t>(p)][1], 0));
        }
        const Desenho desenho(quadrado,
                              std::make_shared<const Aparencia>(
                                  aparencia(4, pontos, variantes, {material}, {xadrez()})),
                              16, 16);
        const Textura t = xadrez();
        for (const Estilo::Modo m : {Estilo::Modo::gouraud, Estilo::Modo::phong}) {
            const Quadro q = desenho.desenhar(m);
            for (int j = 0; j < 16; ++j) {
                for (int i = 0; i < 16; ++i) {
                    const std::uint8_t* texel = t.texel(AmostraTextura::indice(i - 8, 2, modo),
                                                        AmostraTextura::indice(j - 10, 2, modo));
                    ASSERT_EQ(q.getCor(i, j), Quadro::empacotar(texel[0], texel[1], texel[2]))
                        << "pixel " << i << ", " << j << ", mode " << static_cast<int>(m)
                        << ", repetition " << static_cast<int>(modo);
                }
            }
        }
    }
    // By hand for repeat: pixel (8, 10) is texel (0, 0), red; (9, 10) green; (8, 11) blue;
    // (7, 9) texel (-1, -1), which wraps to (1, 1): white.
    EXPECT_EQ(AmostraTextura::indice(-1, 2, Repeticao::repetir), 1);
}

TEST(CoresTest, CantosNoMesmoPontoGuardamSuasCores) {
    // Two triangles sharing the edge between points 1 and 2, one red and one blue at every
    // corner: the merge made the edge's ends one point each, yet no pixel mixes the two.
    auto olhar = aparencia(4, {0, 1, 2, 1, 3, 2},
                           {comCor(1, 0, 0), comCor(1, 0, 0), comCor(1, 0, 0), comCor(0, 0, 1),
                            comCor(0, 0, 1), comCor(0, 0, 1)});
    EXPECT_EQ(olhar.getQuantVariantes(), 6);
    const Desenho desenho("4 2\n1 -1 1\n-1 -1 1\n1 1 1\n-1 1 1\n0 1 2\n1 3 2",
                          std::make_shared<const Aparencia>(std::move(olhar)), 64, 48);
    for (const Estilo::Modo m : {Estilo::Modo::plano, Estilo::Modo::gouraud, Estilo::Modo::phong}) {
        const Quadro q = desenho.desenhar(m);
        int vermelhos = 0;
        int azuis = 0;
        for (int j = 0; j < 48; ++j) {
            for (int i = 0; i < 64; ++i) {
                const std::uint16_t c = q.getCor(i, j);
                ASSERT_TRUE(Quadro::vermelho(c) == 0 || Quadro::azul(c) == 0) << i << ", " << j;
                vermelhos += Quadro::vermelho(c) > 200 ? 1 : 0;
                azuis += Quadro::azul(c) > 200 ? 1 : 0;
            }
        }
        EXPECT_EQ(vermelhos + azuis, 64 * 48) << static_cast<int>(m);
        EXPECT_GT(vermelhos, 1000);
        EXPECT_GT(azuis, 1000);
    }
}
