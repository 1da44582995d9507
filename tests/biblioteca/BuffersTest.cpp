// The buffers a picture brings (Opcoes::buffers) on scenes worked out by hand: depth, normals,
// triangles and parts at chosen pixels, ties, points and lines winning; and that they follow the
// colours' winners in every mode, with aa, in one pass or two, without changing the colours.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "PastaTeste.h"
#include "gouraud/Modelo.h"

namespace {

using gouraud::Arranjo;
constexpr std::uint32_t kNenhum = gouraud::Imagem::kNenhum;
const std::string kCoelho = std::string(GOURAUD_EXEMPLOS_DIR) + "/bunny.ply";

// 100 x 100 pixels from (0, 0, 5) looking down -z with a field of view of 90 degrees: a point
// (x, y, z) lands at xs = (x / (5 - z) + 1) 50, ys = (1 - y / (5 - z)) 50.
gouraud::Opcoes deFrente() {
    gouraud::Opcoes opcoes;
    opcoes.largura = 100;
    opcoes.altura = 100;
    opcoes.olhar = gouraud::Olhar{{0.0, 0.0, 5.0}, {0.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, 90.0};
    opcoes.buffers = gouraud::Buffers{true, true, true, true};
    return opcoes;
}

std::size_t pixel(int i, int j) {
    return static_cast<std::size_t>(j) * 100 + static_cast<std::size_t>(i);
}

std::array<float, 3> normal(const gouraud::Imagem& imagem, int i, int j) {
    const std::size_t p = 3 * pixel(i, j);
    return {imagem.normais[p], imagem.normais[p + 1], imagem.normais[p + 2]};
}

// A square of side 4 at z = 0.5 x (tilted about y), triangles 0 and 1, behind a square of side 2
// at z = 1, triangles 2 and 3.
struct DoisQuadrados {
    std::vector<double> posicoes{-2, -2, -1, 2, -2, 1, 2, 2, 1, -2, 2, -1,
                                 -1, -1, 1,  1, -1, 1, 1, 1, 1, -1, 1, 1};
    std::vector<std::int32_t> triangulos{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    gouraud::Arranjos arranjos() const {
        gouraud::Arranjos a;
        a.posicoes = {posicoes.data(), Arranjo::Tipo::float64, 8, 3};
        a.triangulos = {triangulos.data(), Arranjo::Tipo::int32, 4, 3};
        return a;
    }
};

TEST(BuffersTest, UmQuadradoNaFrenteDeOutro) {
    const DoisQuadrados cena;
    auto modelo = gouraud::Modelo::deArranjos(cena.arranjos());
    ASSERT_TRUE(modelo) << modelo.getErro();
    const auto imagem = modelo->desenhar(deFrente());
    ASSERT_TRUE(imagem) << imagem.getErro();
    ASSERT_EQ(imagem->profundidade.size(), 100u * 100u);
    ASSERT_EQ(imagem->normais.size(), 3u * 100u * 100u);
    ASSERT_EQ(imagem->triangulo.size(), 100u * 100u);
    ASSERT_EQ(imagem->parte.size(), 100u * 100u);

    // The front square spans 37.5 .. 62.5 on both axes, its diagonal from (37.5, 62.5) to
    // (62.5, 37.5) on xs + ys = 100: the centre (50.5, 50.5) is in triangle 2, (40.5, 40.5) in
    // triangle 3; both at cn = 4, facing the camera.
    for (const auto [i, j, t] : {std::array{50, 50, 2}, std::array{40, 40, 3}}) {
        EXPECT_EQ(imagem->profundidade[pixel(i, j)], 4.0F);
        EXPECT_EQ(imagem->triangulo[pixel(i, j)], static_cast<std::uint32_t>(t));
        EXPECT_EQ(imagem->parte[pixel(i, j)], 0u);
        EXPECT_EQ(normal(*imagem, i, j), (std::array<float, 3>{0.0F, 0.0F, 1.0F}));
    }
    // The tilted square at (35.5, 50.5): x / (5 - z) = -0.29 and y / (5 - z) = -0.01 with
    // z = 0.5 x give x = -1.45 / 0.855, cn = 5 - x / 2; xs + ys = 86 < 100: triangle 1. Its
    // normal, turned to the camera, is (-0.5, 0, 1) / sqrt(1.25).
    const double x = -1.45 / 0.855;
    EXPECT_NEAR(imagem->profundidade[pixel(35, 50)], 5.0 - x / 2.0, 1e-5);
    EXPECT_EQ(imagem->triangulo[pixel(35, 50)], 1u);
    const auto n = normal(*imagem, 35, 50);
    EXPECT_NEAR(n[0], -0.5 / std::sqrt(1.25), 1e-6);
    EXPECT_NEAR(n[1], 0.0, 1e-6);
    EXPECT_NEAR(n[2], 1.0 / std::sqrt(1.25), 1e-6);
    // Right of the front square, xs + ys = 115.5 > 100: triangle 0.
    EXPECT_EQ(imagem->triangulo[pixel(65, 50)], 0u);
    // Nothing at the corner.
    EXPECT_EQ(imagem->profundidade[pixel(5, 5)], std::numeric_limits<float>::infinity());
    EXPECT_EQ(imagem->triangulo[pixel(5, 5)], kNenhum);
    EXPECT_EQ(imagem->parte[pixel(5, 5)], kNenhum);
    EXPECT_EQ(normal(*imagem, 5, 5), (std::array<float, 3>{0.0F, 0.0F, 0.0F}));

    // Wherever something is drawn the buffers say so, and nowhere else.
    for (std::size_t p = 0; p < 100u * 100u; ++p) {
        const bool desenhado =
            imagem->rgb[3 * p] != 0 || imagem->rgb[3 * p + 1] != 0 || imagem->rgb[3 * p + 2] != 0;
        EXPECT_EQ(imagem->triangulo[p] != kNenhum, desenhado) << p;
        EXPECT_EQ(std::isfinite(imagem->profundidade[p]), desenhado) << p;
    }
    // Only what is asked for comes, and asking for none changes no colour.
    gouraud::Opcoes soTriangulo = deFrente();
    soTriangulo.buffers = gouraud::Buffers{false, false, true, false};
    const auto so = modelo->desenhar(soTriangulo);
    ASSERT_TRUE(so);
    EXPECT_TRUE(so->profundidade.empty() && so->normais.empty() && so->parte.empty());
    EXPECT_EQ(so->triangulo, imagem->triangulo);
    gouraud::Opcoes nenhum = deFrente();
    nenhum.buffers = {};
    const auto sem = modelo->desenhar(nenhum);
    ASSERT_TRUE(sem);
    EXPECT_TRUE(sem->triangulo.empty());
    EXPECT_EQ(sem->rgb, imagem->rgb);
}

TEST(BuffersTest, UmEmpateVaiAoNumeroMenor) {
    // The same square twice, the later copy first in the file's vertices, red then green.
    std::vector<double> posicoes;
    std::vector<double> cores;
    for (const double verde : {0.0, 1.0}) {
        for (const auto& [x, y] : {std::array{-1.0, -1.0}, {1.0, -1.0}, {1.0, 1.0}, {-1.0, 1.0}}) {
            posicoes.insert(posicoes.end(), {x, y, 0.0});
            cores.insert(cores.end(), {1.0 - verde, verde, 0.0});
        }
    }
    // Triangles 0 and 1 the green copy, 2 and 3 the red one; then the other way round.
    for (const bool verdePrimeiro : {true, false}) {
        const std::int32_t a = verdePrimeiro ? 4 : 0;
        const std::int32_t b = verdePrimeiro ? 0 : 4;
        const std::vector<std::int32_t> triangulos{a, a + 1, a + 2, a, a + 2, a + 3,
                                                   b, b + 1, b + 2, b, b + 2, b + 3};
        gouraud::Arranjos arranjos;
        arranjos.posicoes = {posicoes.data(), Arranjo::Tipo::float64, 8, 3};
        arranjos.triangulos = {triangulos.data(), Arranjo::Tipo::int32, 4, 3};
        arranjos.cores = {cores.data(), Arranjo::Tipo::float64, 8, 3};
        auto modelo = gouraud::Modelo::deArranjos(arranjos);
        ASSERT_TRUE(modelo) << modelo.getErro();
        gouraud::Opcoes opcoes = deFrente();
        opcoes.bits = 24;
        const auto imagem = modelo->desenhar(opcoes);
        ASSERT_TRUE(imagem) << imagem.getErro();
        int vistos = 0;
        for (std::size_t p = 0; p < 100u * 100u; ++p) {
            if (imagem->triangulo[p] == kNenhum) {
                continue;
            }
            ++vistos;
            EXPECT_LT(imagem->triangulo[p], 2u) << p;
            // The colour is the winner's.
            const bool verde = imagem->rgb[3 * p + 1] > imagem->rgb[3 * p];
            EXPECT_EQ(verde, verdePrimeiro) << p;
        }
        // The square spans 40 .. 60.
        EXPECT_EQ(vistos, 20 * 20);
    }
}

// A small folder of the test's own, removed at the end.
struct Pasta : PastaTeste {
    Pasta() : PastaTeste("buffers") {}
};

gouraud::Abertura abertura() {
    gouraud::Abertura a;
    a.importador = GOURAUD_IMPORTADOR_TESTE;
    return a;
}

TEST(BuffersTest, PontosLinhasEPartesGanhamOndeDesenham) {
    const Pasta pasta;
    // A back square (triangles 0 and 1), a front square (2 and 3), a point in front of both at
    // (0.4, 0.4, 2) and a line across at z = 3, y = -0.51.
    const std::string obj = pasta / "cena.obj";
    std::ofstream(obj) << "o atras\n"
                          "v -2 -2 0\nv 2 -2 0\nv 2 2 0\nv -2 2 0\n"
                          "f 1 2 3\nf 1 3 4\n"
                          "o frente\n"
                          "v -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
                          "f 5 6 7\nf 5 7 8\n"
                          "o extras\n"
                          "v 0.4 0.4 2\nv -0.9 -0.51 3\nv 0.9 -0.51 3\n"
                          "p 9\nl 10 11\n";
    auto modelo = gouraud::Modelo::abrir(obj, "", abertura());
    ASSERT_TRUE(modelo) << modelo.getErro();
    gouraud::Opcoes opcoes = deFrente();
    opcoes.ponto = 3;
    const auto imagem = modelo->desenhar(opcoes);
    ASSERT_TRUE(imagem) << imagem.getErro();
    EXPECT_EQ(imagem->triangulo[pixel(32, 50)], 1u);
    EXPECT_EQ(imagem->profundidade[pixel(32, 50)], 5.0F);
    EXPECT_EQ(imagem->triangulo[pixel(45, 55)], 2u);
    EXPECT_EQ(imagem->profundidade[pixel(45, 55)], 4.0F);
    // The point lands at (0.4 / 3 + 1) 50 = 56.67, (1 - 0.4 / 3) 50 = 43.33: a square of 3
    // pixels, columns and rows 55 .. 57 and 42 .. 44, at cn = 3, no triangle, no part, no normal.
    for (int j = 42; j <= 44; ++j) {
        for (int i = 55; i <= 57; ++i) {
            EXPECT_EQ(imagem->profundidade[pixel(i, j)], 3.0F) << i << ", " << j;
            EXPECT_EQ(imagem->triangulo[pixel(i, j)], kNenhum);
            EXPECT_EQ(imagem->parte[pixel(i, j)], kNenhum);
            EXPECT_EQ(normal(*imagem, i, j), (std::array<float, 3>{0.0F, 0.0F, 0.0F}));
        }
    }
    EXPECT_EQ(imagem->triangulo[pixel(58, 43)], 2u);
    // The line at cn = 2 runs along ys = (1 + 0.255) 50 = 62.75 from xs = 27.5 to 72.5: row 62,
    // over the front square's triangle 2 above and the back square below.
    for (const int i : {30, 50, 70}) {
        EXPECT_EQ(imagem->profundidade[pixel(i, 62)], 2.0F) << i;
        EXPECT_EQ(imagem->triangulo[pixel(i, 62)], kNenhum);
        EXPECT_EQ(imagem->parte[pixel(i, 62)], kNenhum);
    }
    EXPECT_EQ(imagem->triangulo[pixel(50, 61)], 2u);
    EXPECT_EQ(imagem->triangulo[pixel(50, 63)], 0u);
    EXPECT_EQ(imagem->profundidade[pixel(50, 63)], 5.0F);
}

TEST(BuffersTest, AsPartesSaoAsMalhasDoImportador) {
    // Two meshes of one right triangle of legs 1 each, with materials of their own (the import
    // library joins meshes of one material): the first placed at (10, 0, 0), the second turned
    // a quarter about z at (0, 5, 0). Parts 0 and 1, triangles 0 and 1.
    const Pasta pasta;
    const std::string gltf = pasta / "partes.gltf";
    std::ofstream(gltf) << R"({"asset": {"version": "2.0"}, "scene": 0,
 "scenes": [{"nodes": [0, 1]}],
 "nodes": [{"mesh": 0, "translation": [10, 0, 0]},
           {"mesh": 1, "rotation": [0, 0, 0.7071067811865476, 0.7071067811865476],
            "translation": [0, 5, 0]}],
 "materials": [{"pbrMetallicRoughness": {"baseColorFactor": [1, 0, 0, 1]}},
               {"pbrMetallicRoughness": {"baseColorFactor": [0, 1, 0, 1]}}],
 "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1, "material": 0}]},
            {"primitives": [{"attributes": {"POSITION": 0}, "indices": 1, "material": 1}]}],
 "buffers": [{"byteLength": 44, "uri": "data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAAAAABAAIAAAA="}],
 "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 36},
                 {"buffer": 0, "byteOffset": 36, "byteLength": 6}],
 "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3",
                "min": [0, 0, 0], "max": [1, 1, 0]},
               {"bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR"}]}
)";
    auto modelo = gouraud::Modelo::abrir(gltf, "", abertura());
    ASSERT_TRUE(modelo) << modelo.getErro();
    gouraud::Opcoes opcoes = deFrente();
    opcoes.olhar = gouraud::Olhar{{4.5, 3.0, 20.0}, {4.5, 3.0, 0.0}, {0.0, 1.0, 0.0}, 60.0};
    const auto imagem = modelo->desenhar(opcoes);
    ASSERT_TRUE(imagem) << imagem.getErro();
    // The first's corners land at (73.8, 63.0), (78.1, 63.0) and (73.8, 58.7); the second's at
    // (30.5, 41.3), (30.5, 37.0) and (26.2, 41.3).
    EXPECT_EQ(imagem->parte[pixel(75, 61)], 0u);
    EXPECT_EQ(imagem->triangulo[pixel(75, 61)], 0u);
    EXPECT_EQ(imagem->parte[pixel(29, 39)], 1u);
    EXPECT_EQ(imagem->triangulo[pixel(29, 39)], 1u);
    EXPECT_EQ(imagem->profundidade[pixel(29, 39)], 20.0F);
    EXPECT_EQ(imagem->parte[pixel(50, 50)], kNenhum);
    std::size_t parte0 = 0;
    std::size_t parte1 = 0;
    for (std::size_t p = 0; p < imagem->parte.size(); ++p) {
        const std::uint32_t t = imagem->triangulo[p];
        EXPECT_EQ(imagem->parte[p], t) << p;
        parte0 += t == 0 ? 1 : 0;
        parte1 += t == 1 ? 1 : 0;
    }
    // Half of 4.33 x 4.33 pixels each.
    EXPECT_GT(parte0, 6u);
    EXPECT_GT(parte1, 6u);
}

TEST(BuffersTest, UmPontoGanhaComASuaNormal) {
    // A cloud of two points: one at (0.02, 0.02, 1) whose normal (0.6, 0, -0.8), made unit and
    // turned towards the camera, is (-0.6, 0, 0.8); one behind it without a normal.
    const std::vector<double> posicoes{0.02, 0.02, 1.0, 0.51, 0.49, 0.0};
    const std::vector<double> normais{1.2, 0.0, -1.6, 0.0, 0.0, 0.0};
    gouraud::Arranjos arranjos;
    arranjos.posicoes = {posicoes.data(), Arranjo::Tipo::float64, 2, 3};
    arranjos.normais = {normais.data(), Arranjo::Tipo::float64, 2, 3};
    auto modelo = gouraud::Modelo::deArranjos(arranjos);
    ASSERT_TRUE(modelo) << modelo.getErro();
    gouraud::Opcoes opcoes = deFrente();
    opcoes.ponto = 1;
    const auto imagem = modelo->desenhar(opcoes);
    ASSERT_TRUE(imagem) << imagem.getErro();
    // The first lands at (50.25, 49.75): pixel (50, 49).
    EXPECT_EQ(imagem->profundidade[pixel(50, 49)], 4.0F);
    const auto n = normal(*imagem, 50, 49);
    EXPECT_NEAR(n[0], -0.6, 1e-7);
    EXPECT_EQ(n[1], 0.0F);
    EXPECT_NEAR(n[2], 0.8, 1e-7);
    // The second at (55.1, 45.1): no normal.
    EXPECT_EQ(imagem->profundidade[pixel(55, 45)], 5.0F);
    EXPECT_EQ(normal(*imagem, 55, 45), (std::array<float, 3>{0.0F, 0.0F, 0.0F}));
    EXPECT_EQ(imagem->triangulo[pixel(55, 45)], kNenhum);
}

// A floor of two triangles seen from just above it, its near half behind the camera: both are
// clipped at the near plane. Every pixel's depth is where the pixel's ray through K and the
// world-to-camera matrix meets the floor, and its normal the floor's, turned up to the camera.
TEST(BuffersTest, TriangulosRecortadosNoPlanoProximo) {
    const std::vector<double> posicoes{-10, -10, 0, 10, -10, 0, 10, 10, 0, -10, 10, 0};
    const std::vector<std::int32_t> triangulos{0, 1, 2, 0, 2, 3};
    gouraud::Arranjos arranjos;
    arranjos.posicoes = {posicoes.data(), Arranjo::Tipo::float64, 4, 3};
    arranjos.triangulos = {triangulos.data(), Arranjo::Tipo::int32, 2, 3};
    auto modelo = gouraud::Modelo::deArranjos(arranjos);
    ASSERT_TRUE(modelo) << modelo.getErro();
    gouraud::Opcoes opcoes = deFrente();
    opcoes.olhar = gouraud::Olhar{{0.3, 0.0, 0.5}, {0.0, 5.0, 0.0}, {0.0, 0.0, 1.0}, 90.0};
    for (const gouraud::Modo modo : {gouraud::Modo::gouraud, gouraud::Modo::phong}) {
        opcoes.modo = modo;
        const auto imagem = modelo->desenhar(opcoes);
        ASSERT_TRUE(imagem) << imagem.getErro();
        const auto& k = imagem->K;
        const auto& m = imagem->mundoParaCamera;
        // The focus: -R^T t.
        double foco[3];
        for (int c = 0; c < 3; ++c) {
            foco[c] = -(m[c] * m[3] + m[4 + c] * m[7] + m[8 + c] * m[11]);
        }
        int chao = 0;
        for (int j = 0; j < 100; ++j) {
            for (int i = 0; i < 100; ++i) {
                // The ray of the pixel's centre, in camera and world coordinates.
                const double x = (i + 0.5 - k[2]) / k[0];
                const double y = (j + 0.5 - k[5]) / k[4];
                const double dz = m[2] * x + m[6] * y + m[10];
                const bool acerta =
                    dz < 0.0 &&
                    std::fabs(foco[0] + -foco[2] / dz * (m[0] * x + m[4] * y + m[8])) < 9.9 &&
                    std::fabs(foco[1] + -foco[2] / dz * (m[1] * x + m[5] * y + m[9])) < 9.9;
                const std::size_t p = pixel(i, j);
                if (!acerta) {
                    continue;
                }
                ++chao;
                EXPECT_NEAR(imagem->profundidade[p], -foco[2] / dz, 1e-4 * (-foco[2] / dz))
                    << i << ", " << j;
                EXPECT_EQ(normal(*imagem, i, j), (std::array<float, 3>{0.0F, 0.0F, 1.0F}))
                    << i << ", " << j;
                EXPECT_LT(imagem->triangulo[p], 2u);
            }
        }
        // The lower half of the picture or so shows the floor.
        EXPECT_GT(chao, 3000);
    }
}

// On a mesh large enough for the two passes, and in every mode and with aa, the buffers are the
// same: the normals the phong mode's, the winners at the pixels' centres.
TEST(BuffersTest, OsMesmosEmCadaModoComAaEComOsMesmosPixels) {
    auto modelo = gouraud::Modelo::abrir(kCoelho, "", abertura());
    ASSERT_TRUE(modelo) << modelo.getErro();
    gouraud::Opcoes opcoes;
    opcoes.largura = 320;
    opcoes.altura = 240;
    opcoes.vista = gouraud::Vista::iso;
    opcoes.buffers = gouraud::Buffers{true, true, true, true};
    // Twice, so that the second frame draws in two passes from the first's clusters.
    ASSERT_TRUE(modelo->desenhar(opcoes));
    opcoes.modo = gouraud::Modo::phong;
    const auto phong = modelo->desenhar(opcoes);
    ASSERT_TRUE(phong) << phong.getErro();
    std::set<std::uint32_t> triangulos(phong->triangulo.begin(), phong->triangulo.end());
    EXPECT_GT(triangulos.size(), 1000u);
    int unitarias = 0;
    for (std::size_t p = 0; p < phong->triangulo.size(); ++p) {
        const float* n = &phong->normais[3 * p];
        const double comprimento =
            std::sqrt(double{n[0]} * n[0] + double{n[1]} * n[1] + double{n[2]} * n[2]);
        if (phong->triangulo[p] != kNenhum) {
            unitarias += std::fabs(comprimento - 1.0) < 1e-6 ? 1 : 0;
        } else {
            EXPECT_EQ(comprimento, 0.0);
        }
    }
    EXPECT_GT(unitarias, 5000);
    gouraud::Opcoes sem = opcoes;
    sem.buffers = {};
    const auto semBuffers = modelo->desenhar(sem);
    ASSERT_TRUE(semBuffers);
    EXPECT_EQ(semBuffers->rgb, phong->rgb);
    for (const gouraud::Modo modo : {gouraud::Modo::plano, gouraud::Modo::gouraud}) {
        for (const int aa : {1, 2, 3}) {
            gouraud::Opcoes outro = opcoes;
            outro.modo = modo;
            outro.aa = aa;
            outro.arestas = aa == 2;
            const auto imagem = modelo->desenhar(outro);
            ASSERT_TRUE(imagem) << imagem.getErro();
            EXPECT_EQ(imagem->profundidade, phong->profundidade) << static_cast<int>(modo) << aa;
            EXPECT_EQ(imagem->normais, phong->normais) << static_cast<int>(modo) << aa;
            EXPECT_EQ(imagem->triangulo, phong->triangulo) << static_cast<int>(modo) << aa;
            EXPECT_EQ(imagem->parte, phong->parte);
        }
    }
}

}  // namespace
