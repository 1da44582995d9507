// The look of mesh files: colours, materials and textures as each reader delivers them, the
// product of their sources in the picture, and textures that cannot be read.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "CenaCarregada.h"
#include "CorObjeto.h"
#include "GravadorPng.h"
#include "Iluminacao.h"
#include "LeitorMalha.h"
#include "LeitorTextura.h"
#include "Quadro.h"
#include "Renderizador.h"

using namespace gouraud::detail;

namespace {

namespace fs = std::filesystem;

const fs::path kExemplos = GOURAUD_EXEMPLOS_DIR;

// A folder of its own under the system's temporary folder, removed at the end.
struct Pasta {
    fs::path caminho =
        fs::temp_directory_path() / ("gouraud-cores-" + std::to_string(std::random_device{}()));
    Pasta() { fs::create_directories(caminho); }
    ~Pasta() { fs::remove_all(caminho); }
    fs::path operator/(const std::string& nome) const { return caminho / nome; }
};

void escrever(const fs::path& caminho, const std::string& texto) {
    std::ofstream(caminho, std::ios::binary) << texto;
}

std::string ler(const fs::path& caminho) {
    std::ifstream entrada(caminho, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(entrada), {});
}

// Kd 1, Il 255, no ambient or specular, the light far in front of the default front view (the
// camera on +z looking along -z): a channel of a surface facing +z is 255 Od.
Iluminacao luzDeFrente() {
    Iluminacao luz;
    luz.luzNoFoco = false;
    luz.luz = Ponto(0, 0, 1e9);
    luz.ka = 0;
    luz.ks = 0;
    luz.kd = 1;
    return luz;
}

Quadro desenhar(const fs::path& arquivo, Estilo::Modo modo = Estilo::Modo::gouraud,
                bool cores = true) {
    CenaCarregada carregada(arquivo.string());
    EXPECT_TRUE(carregada.valida()) << carregada.getErro();
    Quadro quadro(64, 48);
    if (!carregada.valida()) return quadro;
    Renderizador renderizador(carregada.getMalha(), luzDeFrente(), 1);
    Estilo estilo;
    estilo.modo = modo;
    estilo.cores = cores;
    renderizador.setEstilo(estilo);
    const Projecao projecao =
        Projecao::daCena(carregada.getCena(), carregada.getMalha(), carregada.getCamera(), 64, 48);
    renderizador.desenhar(carregada.getCamera(), projecao, quadro);
    return quadro;
}

bool iguais(const Quadro& a, const Quadro& b) {
    for (int y = 0; y < a.getAltura(); ++y)
        if (std::memcmp(a.linhaCor(y), b.linhaCor(y), sizeof(std::uint16_t) * a.getLargura()) != 0)
            return false;
    return true;
}

// A PNG of 2 x 2 texels of one colour (each channel 0 or 255, which the frame keeps exactly).
void texturaLisa(const fs::path& caminho, int r, int g, int b) {
    Quadro q(2, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) q.linhaCor(y)[x] = Quadro::empacotar(r, g, b);
    ASSERT_EQ(GravadorPng::gravar(q, caminho.string()), "");
}

// A glTF square in the plane z = 0 with float COLOR_0 `corVertice` at every vertex, texture
// coordinates 0..1, and a material of base colour factor `fator` and, when `textura` is not
// empty, that base colour texture.
std::string quadradoGltf(const std::string& corVertice, const std::string& fator,
                         const std::string& textura) {
    // Positions (4 x 12 bytes), colours (4 x 12), coordinates (4 x 8), indices (6 x 2).
    std::string dados;
    const auto f = [&dados](float v) { dados.append(reinterpret_cast<const char*>(&v), 4); };
    const float p[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& xy : p) f(xy[0]), f(xy[1]), f(0);
    std::istringstream cor(corVertice);
    float c[3];
    cor >> c[0] >> c[1] >> c[2];
    for (int k = 0; k < 4; ++k) f(c[0]), f(c[1]), f(c[2]);
    for (const auto& xy : p) f((xy[0] + 1) / 2), f((xy[1] + 1) / 2);
    for (const std::uint16_t i : {0, 1, 2, 0, 2, 3})
        dados.append(reinterpret_cast<const char*>(&i), 2);
    static const char kBase64[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string base64;
    for (std::size_t i = 0; i < dados.size(); i += 3) {
        const auto byte = [&](std::size_t k) {
            return k < dados.size() ? static_cast<unsigned char>(dados[k]) : 0U;
        };
        const unsigned n = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        const std::size_t resto = dados.size() - i;
        base64 += kBase64[(n >> 18) & 63];
        base64 += kBase64[(n >> 12) & 63];
        base64 += resto > 1 ? kBase64[(n >> 6) & 63] : '=';
        base64 += resto > 2 ? kBase64[n & 63] : '=';
    }
    const std::string comTextura = textura.empty() ? "" : R"(, "baseColorTexture": {"index": 0})";
    const std::string imagens =
        textura.empty()
            ? ""
            : R"("textures": [{"source": 0}], "images": [{"uri": ")" + textura + R"("}],)";
    return R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0]}],
"nodes": [{"mesh": 0}],
"meshes": [{"primitives": [{"attributes": {"POSITION": 0, "COLOR_0": 1, "TEXCOORD_0": 2},
  "indices": 3, "material": 0}]}],
"materials": [{"name": "tinta", "pbrMetallicRoughness": {"baseColorFactor": [)" +
           fator + R"(, 1])" + comTextura + R"(}}],
)" + imagens +
           R"(
"buffers": [{"byteLength": 140, "uri": "data:application/octet-stream;base64,)" +
           base64 +
           R"("}],
"bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 48},
  {"buffer": 0, "byteOffset": 48, "byteLength": 48},
  {"buffer": 0, "byteOffset": 96, "byteLength": 32},
  {"buffer": 0, "byteOffset": 128, "byteLength": 12}],
"accessors": [
  {"bufferView": 0, "componentType": 5126, "count": 4, "type": "VEC3", "min": [-1, -1, 0],
   "max": [1, 1, 0]},
  {"bufferView": 1, "componentType": 5126, "count": 4, "type": "VEC3"},
  {"bufferView": 2, "componentType": 5126, "count": 4, "type": "VEC2"},
  {"bufferView": 3, "componentType": 5123, "count": 6, "type": "SCALAR"}]})";
}

}  // namespace

TEST(CoresArquivosTest, GltfMultiplicaFatorTexturaECorDoVertice) {
    // Factor (0.5, 1, 1) x texture (1, 1, 0) x vertex colour (1, 0.5, 1) = (0.5, 0.5, 0):
    // 127.5, 127.5 and 0 at every pixel of the square, in every mode.
    Pasta pasta;
    texturaLisa(pasta / "amarelo.png", 255, 255, 0);
    escrever(pasta / "quadrado.gltf", quadradoGltf("1 0.5 1", "0.5, 1, 1", "amarelo.png"));
    const std::uint16_t esperado = Quadro::empacotar(127, 127, 0);
    for (const Estilo::Modo modo :
         {Estilo::Modo::plano, Estilo::Modo::gouraud, Estilo::Modo::phong}) {
        const Quadro q = desenhar(pasta / "quadrado.gltf", modo);
        EXPECT_EQ(q.getCor(32, 24), esperado) << Estilo::nomeDoModo(modo);
    }
    // Without the texture the product is factor x vertex colour; with the colours off, Od.
    escrever(pasta / "sem.gltf", quadradoGltf("1 0.5 1", "0.5, 1, 1", ""));
    EXPECT_EQ(desenhar(pasta / "sem.gltf").getCor(32, 24), Quadro::empacotar(127, 127, 255));
    const Iluminacao padrao;
    EXPECT_EQ(
        desenhar(pasta / "quadrado.gltf", Estilo::Modo::gouraud, false).getCor(32, 24),
        Quadro::empacotar(static_cast<int>(255 * padrao.od.x), static_cast<int>(255 * padrao.od.y),
                          static_cast<int>(255 * padrao.od.z)));
}

TEST(CoresArquivosTest, TexturaQueNaoSeLeDaUmAvisoEACorDoMaterial) {
    // Missing, not an image, cut short, and too large: each one warning line naming the
    // texture and the reason, and the square drawn as with no texture at all.
    Pasta pasta;
    escrever(pasta / "sem.gltf", quadradoGltf("1 1 1", "0.5, 1, 1", ""));
    const Quadro semTextura = desenhar(pasta / "sem.gltf");
    texturaLisa(pasta / "inteira.png", 255, 0, 0);
    const std::string png = ler(pasta / "inteira.png");
    escrever(pasta / "texto.png", "this is not an image\n");
    escrever(pasta / "cortada.png", png.substr(0, png.size() / 2));
    // A PNG header that declares 20000 x 20000 texels.
    std::string enorme = png.substr(0, 16);
    for (const std::uint32_t lado : {20000U, 20000U})
        for (int k = 3; k >= 0; --k) enorme += static_cast<char>((lado >> (8 * k)) & 0xFF);
    enorme += png.substr(24);
    escrever(pasta / "enorme.png", enorme);
    const std::pair<const char*, const char*> casos[] = {
        {"falta.png", "No such file or directory"},
        {"texto.png", "neither a PNG nor a JPEG"},
        {"cortada.png", "cannot be decoded"},
        {"enorme.png", "20000 x 20000 texels, more than 16384 on a side"}};
    for (const auto& [nome, motivo] : casos) {
        escrever(pasta / "quadrado.gltf", quadradoGltf("1 1 1", "0.5, 1, 1", nome));
        LeitorMalha leitor((pasta / "quadrado.gltf").string());
        ASSERT_TRUE(leitor.valida()) << leitor.getErro();
        ASSERT_EQ(leitor.getAvisos().size(), 1U) << nome;
        EXPECT_NE(leitor.getAvisos()[0].find(std::string("texture ") + nome), std::string::npos)
            << leitor.getAvisos()[0];
        EXPECT_NE(leitor.getAvisos()[0].find(motivo), std::string::npos) << leitor.getAvisos()[0];
        EXPECT_TRUE(iguais(desenhar(pasta / "quadrado.gltf"), semTextura)) << nome;
    }
}

TEST(CoresArquivosTest, DoisMateriaisNumObjCadaTrianguloOSeu) {
    // Two triangles of a square, red and blue by their MTL materials: flat shading gives each
    // one its own, and the OBJ goes to the import library for it.
    Pasta pasta;
    escrever(pasta / "tintas.mtl", "newmtl vermelho\nKd 1 0 0\nnewmtl azul\nKd 0 0 1\n");
    escrever(pasta / "quadrado.obj",
             "mtllib tintas.mtl\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
             "usemtl vermelho\nf 1 2 3\nusemtl azul\nf 1 3 4\n");
    LeitorMalha leitor((pasta / "quadrado.obj").string());
    EXPECT_EQ(leitor.getBiblioteca(), "assimp");
    const Quadro q = desenhar(pasta / "quadrado.obj", Estilo::Modo::plano);
    // Below the diagonal from (-1, -1) to (1, 1) the red triangle, above it the blue one.
    EXPECT_EQ(q.getCor(40, 40), Quadro::empacotar(255, 0, 0));
    EXPECT_EQ(q.getCor(24, 8), Quadro::empacotar(0, 0, 255));
}

TEST(CoresArquivosTest, CadaLeitorDaAsMesmasCores) {
    // A binary PLY with every byte value as a colour: Draco and the import library give every
    // corner the same colour, bit for bit; so do the sample's two readings.
    std::string ply =
        "ply\nformat binary_little_endian 1.0\nelement vertex 258\nproperty float x\n"
        "property float y\nproperty float z\nproperty uchar red\nproperty uchar green\n"
        "property uchar blue\nelement face 256\nproperty list uchar int vertex_indices\n"
        "end_header\n";
    for (int v = 0; v < 258; ++v) {
        const float p[3] = {static_cast<float>(v % 16), static_cast<float>(v / 16), 0.0f};
        ply.append(reinterpret_cast<const char*>(p), sizeof(p));
        for (const int b : {v % 256, 255 - v % 256, (v * 7) % 256}) ply += static_cast<char>(b);
    }
    for (std::int32_t t = 0; t < 256; ++t) {
        ply += '\3';
        for (const std::int32_t i : {t, t + 1, t + 2})
            ply.append(reinterpret_cast<const char*>(&i), 4);
    }
    const auto comparar = [](LeitorMalha& rapido, LeitorMalha& importador) {
        ASSERT_TRUE(rapido.valida() && importador.valida());
        EXPECT_EQ(rapido.getBiblioteca(), "draco");
        EXPECT_EQ(importador.getBiblioteca(), "assimp");
        const Aparencia* a = rapido.getAparencia().get();
        const Aparencia* b = importador.getAparencia().get();
        ASSERT_TRUE(a != nullptr && b != nullptr);
        ASSERT_EQ(a->getQuantTriangulos(), b->getQuantTriangulos());
        const Vetor od(0.9, 0.75, 0.55);
        for (int t = 0; t < a->getQuantTriangulos(); ++t)
            for (int k = 0; k < 3; ++k) {
                const Vetor ca = CorObjeto::cor(*a, a->getVariante(a->getCanto(t, k)), false, od);
                const Vetor cb = CorObjeto::cor(*b, b->getVariante(b->getCanto(t, k)), false, od);
                ASSERT_TRUE(ca.x == cb.x && ca.y == cb.y && ca.z == cb.z) << t << ", " << k;
            }
    };
    LeitorMalha rapido(ply.data(), ply.size(), "ply");
    LeitorMalha importador(ply.data(), ply.size(), "ply", LeitorMalha::Leitores::soImportador);
    comparar(rapido, importador);
    const std::string exemplo = ler(kExemplos / "bunny-cores.ply");
    LeitorMalha coelho(exemplo.data(), exemplo.size(), "ply");
    LeitorMalha coelhoImportador(exemplo.data(), exemplo.size(), "ply",
                                 LeitorMalha::Leitores::soImportador);
    comparar(coelho, coelhoImportador);
    // An OBJ with vertex colours, and a binary STL whose facets carry a colour, leave the fast
    // readers for the import library, which gives their colours.
    std::string stl(80, ' ');
    const std::uint32_t facetas = 64;
    stl.append(reinterpret_cast<const char*>(&facetas), 4);
    for (std::uint32_t t = 0; t < facetas; ++t) {
        const float f[12] = {0, 0, 1, static_cast<float>(t), 0, 0, t + 1.0f, 0, 0, 0, 1, 0};
        stl.append(reinterpret_cast<const char*>(f), sizeof(f));
        stl += '\x1F';
        stl += '\x80';
    }
    Pasta pasta;
    escrever(pasta / "cor.stl", stl);
    escrever(pasta / "cor.obj", "v 0 0 0 1 0 0\nv 1 0 0 0 1 0\nv 0 1 0 0 0 1\nf 1 2 3\n");
    for (const char* nome : {"cor.stl", "cor.obj"}) {
        LeitorMalha leitor((pasta / nome).string());
        EXPECT_EQ(leitor.getBiblioteca(), "assimp") << nome;
        EXPECT_NE(leitor.getAparencia(), nullptr) << nome;
    }
}

TEST(CoresArquivosTest, CantosJuntadosPelaFusaoGuardamSuasCores) {
    // Two triangles of separate vertices, red and blue, sharing an edge's two positions: four
    // points, and the corners at the shared ones keep their own colours.
    const std::string ply =
        "ply\nformat ascii 1.0\nelement vertex 6\nproperty float x\nproperty float y\n"
        "property float z\nproperty uchar red\nproperty uchar green\nproperty uchar blue\n"
        "element face 2\nproperty list uchar int vertex_indices\nend_header\n"
        "0 0 0 255 0 0\n1 0 0 255 0 0\n0 1 0 255 0 0\n1 0 0 0 0 255\n1 1 0 0 0 255\n"
        "0 1 0 0 0 255\n3 0 1 2\n3 3 4 5\n";
    LeitorMalha leitor(ply.data(), ply.size(), "ply");
    ASSERT_TRUE(leitor.valida()) << leitor.getErro();
    EXPECT_EQ(leitor.getPontos().size(), 4U);
    const Aparencia& a = *leitor.getAparencia();
    EXPECT_EQ(a.getQuantVariantes(), 6);
    // Triangle 1's first corner is at triangle 0's second point, in blue.
    EXPECT_EQ(leitor.getTriangulos()[1].indiceP1, leitor.getTriangulos()[0].indiceP2);
    EXPECT_EQ(a.getVariante(a.getCanto(1, 0)).cor[2], 1.0f);
    EXPECT_EQ(a.getVariante(a.getCanto(0, 1)).cor[2], 0.0f);
}
