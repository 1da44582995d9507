// Points and lines of mesh files: what each format's points and lines become, the fast PLY
// reading of clouds against the import library, the files refused, and what a cloud of one
// point and the framing of points and lines give.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "Aparencia.h"
#include "Camera.h"
#include "CenaCarregada.h"
#include "Estilo.h"
#include "Gouraud.h"
#include "Iluminacao.h"
#include "LeitorMalha.h"
#include "Malha.h"
#include "Primitivas.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"

using namespace gouraud::detail;

namespace {

namespace fs = std::filesystem;
using Terno = Primitivas::Terno;

LeitorMalha lerTexto(const std::string& texto, const std::string& extensao,
                     LeitorMalha::Leitores leitores = LeitorMalha::Leitores::todos) {
    return LeitorMalha(texto.data(), texto.size(), extensao, leitores);
}

bool mesmoTerno(const Terno& a, const Terno& b) {
    return std::bit_cast<std::uint32_t>(a.x) == std::bit_cast<std::uint32_t>(b.x) &&
           std::bit_cast<std::uint32_t>(a.y) == std::bit_cast<std::uint32_t>(b.y) &&
           std::bit_cast<std::uint32_t>(a.z) == std::bit_cast<std::uint32_t>(b.z);
}

// Every point, normal, colour and segment of the two, bit for bit.
void esperaMesmasPrimitivas(const Primitivas& a, const Primitivas& b) {
    ASSERT_EQ(a.getQuantPontos(), b.getQuantPontos());
    ASSERT_EQ(a.getQuantLinhas(), b.getQuantLinhas());
    ASSERT_EQ(a.getNormais().size(), b.getNormais().size());
    ASSERT_EQ(a.getCores().size(), b.getCores().size());
    for (int i = 0; i < a.getQuantPontos(); ++i) {
        const auto k = static_cast<std::size_t>(i);
        EXPECT_TRUE(mesmoTerno(a.getPosicao(i), b.getPosicao(i))) << "point " << i;
        if (!a.getNormais().empty()) {
            EXPECT_TRUE(mesmoTerno(a.getNormais()[k], b.getNormais()[k])) << "normal " << i;
        }
        if (!a.getCores().empty()) {
            EXPECT_TRUE(mesmoTerno(a.getCores()[k], b.getCores()[k])) << "colour " << i;
        }
    }
    for (std::size_t k = 0; k < a.getExtremos().size(); ++k)
        EXPECT_TRUE(mesmoTerno(a.getExtremos()[k], b.getExtremos()[k])) << "end " << k;
}

TEST(PrimitivasArquivoTest, ObjLinhasEPontosNaOrdemDoArquivo) {
    // "l" with three vertices is two segments; "p" a point; faces of two and one corners are a
    // line and a point; the triangle stays a triangle. Either reader gives the same.
    const std::string obj =
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nl 1 2 3\np 4\nf 1 2 3\nf 1 2\nf 3\n";
    for (const auto leitores :
         {LeitorMalha::Leitores::todos, LeitorMalha::Leitores::soImportador}) {
        LeitorMalha leitor = lerTexto(obj, "obj", leitores);
        ASSERT_TRUE(leitor.valida()) << leitor.getErro();
        EXPECT_EQ(leitor.getTriangulos().size(), 1U);
        const Primitivas& p = leitor.getPrimitivas();
        ASSERT_EQ(p.getQuantLinhas(), 3);
        const Terno a{0, 0, 0}, b{1, 0, 0}, c{0, 1, 0}, d{1, 1, 0};
        const Terno extremos[] = {a, b, b, c, a, b};
        for (int k = 0; k < 6; ++k)
            EXPECT_TRUE(mesmoTerno(p.getExtremos()[static_cast<std::size_t>(k)], extremos[k])) << k;
        ASSERT_EQ(p.getQuantPontos(), 2);
        EXPECT_TRUE(mesmoTerno(p.getPosicao(0), d));
        EXPECT_TRUE(mesmoTerno(p.getPosicao(1), c));
        EXPECT_TRUE(p.getCores().empty());
        EXPECT_TRUE(p.getNormais().empty());
    }
}

TEST(PrimitivasArquivoTest, ArquivoSemFacesNemLinhasEhUmaNuvemDeTodosOsVertices) {
    // An OBJ of vertices, with a colour each, and a text PLY of vertices: every vertex a point,
    // in file order, none merged.
    LeitorMalha obj = lerTexto("# a cloud\nv 0 0 0 1 0 0\nv 1 2 3 0 0.5 1\nv 1 2 3 0 1 0\n", "obj");
    ASSERT_TRUE(obj.valida()) << obj.getErro();
    EXPECT_TRUE(obj.getTriangulos().empty());
    const Primitivas& p = obj.getPrimitivas();
    ASSERT_EQ(p.getQuantPontos(), 3);
    EXPECT_TRUE(mesmoTerno(p.getPosicao(2), Terno{1, 2, 3}));
    ASSERT_EQ(p.getCores().size(), 3U);
    EXPECT_TRUE(mesmoTerno(p.getCores()[1], Terno{0, 0.5f, 1}));
    LeitorMalha ply = lerTexto(
        "ply\nformat ascii 1.0\nelement vertex 2\nproperty float x\nproperty float y\n"
        "property float z\nend_header\n0 0 0\n0 0 0\n",
        "ply");
    ASSERT_TRUE(ply.valida()) << ply.getErro();
    EXPECT_EQ(ply.getPrimitivas().getQuantPontos(), 2);
}

// A binary little-endian PLY cloud of `n` points with the properties asked for (normals, colours
// with alpha, and a property the fast reading does not know), the values made up from i.
std::string nuvemBinaria(int n, bool normais, bool cores, bool desconhecida = false) {
    std::string texto = "ply\nformat binary_little_endian 1.0\nelement vertex " +
                        std::to_string(n) +
                        "\nproperty float x\nproperty float y\nproperty float z\n";
    if (normais) texto += "property float nx\nproperty float ny\nproperty float nz\n";
    if (cores)
        texto +=
            "property uchar red\nproperty uchar green\nproperty uchar blue\nproperty uchar alpha\n";
    if (desconhecida) texto += "property float intensity\n";
    texto += "end_header\n";
    const auto real = [&texto](float v) { texto.append(reinterpret_cast<const char*>(&v), 4); };
    for (int i = 0; i < n; ++i) {
        real(0.1f * static_cast<float>(i));
        real(-1.5f + static_cast<float>(i % 7));
        real(1.0f / (1.0f + static_cast<float>(i)));
        if (normais) {
            real(static_cast<float>(i % 3));
            real(i % 5 == 0 ? 0.0f : 1.0f);
            real(-0.25f);
        }
        if (cores) {
            for (const int canal : {i % 256, (7 * i) % 256, 255 - i % 256, 128})
                texto.push_back(static_cast<char>(canal));
        }
        if (desconhecida) real(42.0f);
    }
    return texto;
}

TEST(PrimitivasArquivoTest, NuvemPlyBinariaRapidaComoOImportador) {
    for (const bool normais : {false, true}) {
        for (const bool cores : {false, true}) {
            SCOPED_TRACE(std::string(normais ? "normals " : "") + (cores ? "colours" : ""));
            const std::string ply = nuvemBinaria(300, normais, cores);
            LeitorMalha rapido = lerTexto(ply, "ply");
            LeitorMalha importador = lerTexto(ply, "ply", LeitorMalha::Leitores::soImportador);
            ASSERT_TRUE(rapido.valida()) << rapido.getErro();
            ASSERT_TRUE(importador.valida()) << importador.getErro();
            EXPECT_EQ(rapido.getBiblioteca(), "draco");
            EXPECT_EQ(importador.getBiblioteca(), "assimp");
            EXPECT_EQ(rapido.getPrimitivas().getNormais().empty(), !normais);
            EXPECT_EQ(rapido.getPrimitivas().getCores().empty(), !cores);
            esperaMesmasPrimitivas(rapido.getPrimitivas(), importador.getPrimitivas());
            if (cores) {  // byte b is b / 255 in single precision
                const Terno& c = rapido.getPrimitivas().getCores()[7];
                EXPECT_EQ(c.y, 49.0f / 255.0f);
            }
        }
    }
    // A property the fast reading does not know leaves the file to the import library.
    LeitorMalha outra = lerTexto(nuvemBinaria(10, false, true, true), "ply");
    EXPECT_EQ(outra.getBiblioteca(), "assimp");
    EXPECT_EQ(outra.getPrimitivas().getQuantPontos(), 10);
}

TEST(PrimitivasArquivoTest, GltfDeLinhasDosExemplos) {
    // The torus's triangles, a LINE_STRIP of 513 vertices (512 segments) and three LINES, each
    // segment coloured by its first vertex.
    LeitorMalha leitor((fs::path(GOURAUD_EXEMPLOS_DIR) / "toro-linhas.gltf").string());
    ASSERT_TRUE(leitor.valida()) << leitor.getErro();
    EXPECT_EQ(leitor.getTriangulos().size(), 2304U);
    const Primitivas& p = leitor.getPrimitivas();
    ASSERT_EQ(p.getQuantLinhas(), 515);
    ASSERT_EQ(p.getCoresLinhas().size(), 515U);
    EXPECT_TRUE(mesmoTerno(p.getCoresLinhas()[0], Terno{0, 0, 1}));
    EXPECT_TRUE(mesmoTerno(p.getCoresLinhas()[512], Terno{1, 0.2f, 0.2f}));
    EXPECT_EQ(p.getQuantPontos(), 0);
}

TEST(PrimitivasArquivoTest, ArquivosRecusadosEmUmaLinha) {
    const std::string nan =
        "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
        "property float z\nend_header\n0 0 0\nnan 0 0\n0 1 0\n";
    EXPECT_EQ(lerTexto(nan, "ply").getErro(),
              "point 1 of the file's points is not finite: nan 0 0");
    std::string binaria = nuvemBinaria(3, false, true);
    const float infinito = std::numeric_limits<float>::infinity();
    // The second point's y, after the header, its x and the first point's 16 bytes.
    std::memcpy(&binaria[binaria.size() - 2 * 16 + 4], &infinito, 4);
    for (const auto leitores :
         {LeitorMalha::Leitores::todos, LeitorMalha::Leitores::soImportador}) {
        LeitorMalha leitor = lerTexto(binaria, "ply", leitores);
        EXPECT_EQ(leitor.getErro(), "point 1 of the file's points is not finite: 0.1 inf 0.5");
        EXPECT_EQ(leitor.getPrimitivas().getQuantPontos(), 0);
    }
    // A vertex count beyond the file.
    std::string cortada = nuvemBinaria(3, false, false);
    cortada.replace(cortada.find("vertex 3"), 8, "vertex 9");
    EXPECT_NE(lerTexto(cortada, "ply").getErro().find("promises 9 vertex entries"),
              std::string::npos);
    EXPECT_EQ(lerTexto("v 0 0 0\nv 1 0 0\nv nan 1 0\nl 1 2 3\n", "obj").getErro(),
              "line 1 of the file's lines has an end that is not finite: nan 1 0");
}

// A glTF of one POINTS primitive over four vertices, its four indices in a buffer given in
// base64 after the vertices' positions.
std::string gltfDePontos(const std::string& buffer) {
    return R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}],
 "nodes": [{"mesh": 0}], "meshes": [{"primitives": [{"attributes": {"POSITION": 0},
 "indices": 1, "mode": 0}]}],
 "buffers": [{"byteLength": 56, "uri": "data:application/octet-stream;base64,)" +
           buffer + R"("}],
 "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 48},
                 {"buffer": 0, "byteOffset": 48, "byteLength": 8}],
 "accessors": [{"bufferView": 0, "componentType": 5126, "count": 4, "type": "VEC3",
                "min": [0, 0, 0], "max": [1, 1, 0]},
               {"bufferView": 1, "componentType": 5123, "count": 4, "type": "SCALAR"}]})";
}

TEST(PrimitivasArquivoTest, GltfDePontosComIndiceForaDoAlcance) {
    // Indices 0, 1, 2 and 7 of four vertices: the import library leaves the point that names
    // no vertex out, and the others are drawn; with all four out of range it refuses the file.
    LeitorMalha umFora = lerTexto(
        gltfDePontos(
            "AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAACAPwAAgD8AAAAAAAAAAAAAgD8AAAAAAAABAAIABwA="),
        "gltf");
    ASSERT_TRUE(umFora.valida()) << umFora.getErro();
    EXPECT_EQ(umFora.getPrimitivas().getQuantPontos(), 3);
    const LeitorMalha todosFora = lerTexto(
        gltfDePontos(
            "AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAACAPwAAgD8AAAAAAAAAAAAAgD8AAAAABwAIAAkACgA="),
        "gltf");
    EXPECT_FALSE(todosFora.valida());
    EXPECT_NE(todosFora.getErro().find("has no faces"), std::string::npos) << todosFora.getErro();
}

TEST(PrimitivasArquivoTest, CorDoPontoPelaRegraDosCantos) {
    // Two glTF points whose material's base colour is (0.5, 1, 0.25): that is their Od, lit
    // head-on (51 + 0.8 Od 255 per channel), and --sem-cor gives them the settings' Od.
    const std::string gltf = R"({"asset": {"version": "2.0"}, "scene": 0,
 "scenes": [{"nodes": [0]}], "nodes": [{"mesh": 0}],
 "materials": [{"name": "tinta", "pbrMetallicRoughness": {"baseColorFactor": [0.5, 1, 0.25, 1]}}],
 "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "mode": 0, "material": 0}]}],
 "buffers": [{"byteLength": 24,
              "uri": "data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAA"}],
 "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 24}],
 "accessors": [{"bufferView": 0, "componentType": 5126, "count": 2, "type": "VEC3",
                "min": [0, 0, 0], "max": [1, 0, 0]}]})";
    LeitorMalha leitor = lerTexto(gltf, "gltf");
    ASSERT_TRUE(leitor.valida()) << leitor.getErro();
    ASSERT_EQ(leitor.getPrimitivas().getQuantPontos(), 2);
    const Aparencia::Material* material = leitor.getPrimitivas().getMaterialPonto(1);
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->nome, "tinta");
    Gouraud cena(std::move(leitor.getPontos()), std::move(leitor.getTriangulos()), Vetor(0, 0, 1),
                 Vetor(0, 1, 0), Ponto(0.5, 0, -5), 0, 0, 0);
    const Malha malha(cena, nullptr, std::move(leitor.getPrimitivas()));
    const Camera camera(cena);
    const Projecao projecao = Projecao::enquadrar(malha, camera);
    for (const bool cores : {true, false}) {
        Renderizador renderizador(malha, Iluminacao(), 2);
        Estilo estilo;
        estilo.cores = cores;
        renderizador.setEstilo(estilo);
        Quadro q;
        renderizador.desenhar(camera, projecao, q);
        int pixels = 0;
        for (int j = 0; j < Quadro::kAltura; ++j) {
            for (int i = 0; i < Quadro::kLargura; ++i) {
                if (q.getCor(i, j) == 0) continue;
                ++pixels;
                EXPECT_EQ(q.getCor(i, j), cores ? Quadro::empacotar(153, 255, 102)
                                                : Quadro::empacotar(234, 204, 163));
            }
        }
        EXPECT_EQ(pixels, 18) << "two 3 x 3 squares";
    }
}

TEST(PrimitivasArquivoTest, NuvemDeUmPontoEnquadradaNoCentro) {
    // No spread: the camera stands 1.5 units off, the window is tan 30 degrees, and the point
    // lands at (320, 240), its square the columns and rows 318..320.
    const fs::path arquivo = fs::temp_directory_path() / "gouraud-um-ponto.ply";
    {
        std::ofstream saida(arquivo);
        saida << "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nproperty float y\n"
                 "property float z\nend_header\n1 2 3\n";
    }
    CenaCarregada um(arquivo.string());
    fs::remove(arquivo);
    ASSERT_TRUE(um.valida()) << um.getErro();
    EXPECT_EQ(um.getMalha().getDiagonal(), 0.0);
    EXPECT_NEAR(um.getProjecao().hy, std::tan(M_PI / 6), 1e-15);
    Renderizador renderizador(um.getMalha(), Iluminacao());
    Quadro q;
    renderizador.desenhar(um.getCamera(), um.getProjecao(), q);
    int pixels = 0;
    for (int j = 0; j < Quadro::kAltura; ++j)
        for (int i = 0; i < Quadro::kLargura; ++i)
            if (q.getCor(i, j) != 0) {
                ++pixels;
                EXPECT_TRUE(i >= 318 && i <= 320 && j >= 238 && j <= 240) << i << "," << j;
            }
    EXPECT_EQ(pixels, 9);
}

TEST(PrimitivasArquivoTest, CaixaEVistaContamPontosELinhas) {
    // A unit triangle, a point at x = 10 and a line to y = -6: the box spans all three.
    LeitorMalha leitor =
        lerTexto("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 10 0 0\nv 0 -6 0\nf 1 2 3\np 4\nl 1 5\n", "obj");
    ASSERT_TRUE(leitor.valida()) << leitor.getErro();
    Gouraud cena(std::move(leitor.getPontos()), std::move(leitor.getTriangulos()), Vetor(0, 0, 1),
                 Vetor(0, 1, 0), Ponto(0, 0, -5), 0, 0, 0);
    const Malha malha(cena, nullptr, std::move(leitor.getPrimitivas()));
    EXPECT_EQ(malha.getCentro().x, 5.0);
    EXPECT_EQ(malha.getCentro().y, -2.5);
    EXPECT_EQ(malha.getDiagonal(), std::sqrt(100.0 + 49.0));
    // The framing reaches from the line's end to the point: cu/cn spans [-2, 0] (U = -x) and
    // cv/cn [-1.2, 0.2], so the width decides.
    const Projecao p = Projecao::enquadrar(malha, Camera(cena));
    EXPECT_DOUBLE_EQ(p.ox, -1.0);
    EXPECT_DOUBLE_EQ(p.hx, 1.05);
}

}  // namespace
