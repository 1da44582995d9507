// A model from arrays in memory against the same data written as a PLY file and read back, and
// the checks that keep bad arrays from going any further; the one-thread-at-a-time refusal; and
// the library writing nothing on the standard streams.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "PastaTeste.h"
#include "GravadorPng.h"
#include "gouraud/Modelo.h"

namespace {

using gouraud::Arranjo;
using gouraud::Arranjos;

const std::string kToro = std::string(GOURAUD_EXEMPLOS_DIR) + "/toro.txt";
const std::string kCoelho = std::string(GOURAUD_EXEMPLOS_DIR) + "/bunny.ply";

template <typename T>
Arranjo arranjo(const std::vector<T>& valores, std::size_t colunas, Arranjo::Tipo tipo) {
    return Arranjo{valores.data(), tipo, valores.size() / colunas, colunas};
}

// A small folder of the test's own, removed at the end.
struct Pasta : PastaTeste {
    Pasta() : PastaTeste("arranjos") {}
};

// A wavy grid of lado x lado vertices with two triangles a cell, some of its vertices repeated
// (so that the merge of equal positions has work), in doubles that need every bit of a float,
// with per-vertex colours, uv and normals that are exact floats.
struct Grade {
    std::vector<double> posicoes;
    std::vector<std::int64_t> triangulos;
    std::vector<double> cores;
    std::vector<float> normais;
    std::vector<double> uv;
    std::vector<std::uint8_t> textura;
    int larguraTextura = 5;
    int alturaTextura = 3;

    explicit Grade(int lado) {
        for (int j = 0; j < lado; ++j) {
            for (int i = 0; i < lado; ++i) {
                const double x = i / (lado - 1.0) - 0.5;
                const double y = j / (lado - 1.0) - 0.5;
                // The values a PLY file's float properties can hold exactly.
                posicoes.push_back(static_cast<float>(x));
                posicoes.push_back(static_cast<float>(y));
                posicoes.push_back(static_cast<float>(0.1 * std::sin(7.0 * x) * std::cos(5.0 * y)));
                cores.push_back(static_cast<float>(i) / static_cast<float>(lado - 1));
                cores.push_back(static_cast<float>(j) / static_cast<float>(lado - 1));
                cores.push_back(0.25);
                normais.insert(normais.end(), {0.0F, 0.0F, 1.0F});
                uv.push_back(static_cast<float>(1.5 * x + 0.5));
                uv.push_back(static_cast<float>(y + 0.5));
            }
        }
        const auto v = [lado](int i, int j) { return std::int64_t{j} * lado + i; };
        for (int j = 0; j + 1 < lado; ++j) {
            for (int i = 0; i + 1 < lado; ++i) {
                triangulos.insert(triangulos.end(), {v(i, j), v(i + 1, j), v(i + 1, j + 1)});
                triangulos.insert(triangulos.end(), {v(i, j), v(i + 1, j + 1), v(i, j + 1)});
            }
        }
        for (int k = 0; k < larguraTextura * alturaTextura; ++k) {
            textura.insert(textura.end(), {static_cast<std::uint8_t>(40 * k),
                                           static_cast<std::uint8_t>(255 - 17 * k),
                                           static_cast<std::uint8_t>(k % 2 == 0 ? 30 : 220)});
        }
    }

    std::size_t quantVertices() const { return posicoes.size() / 3; }

    Arranjos arranjos(bool comCores, bool comTextura, bool comTriangulos) const {
        Arranjos a;
        a.posicoes = arranjo(posicoes, 3, Arranjo::Tipo::float64);
        if (comTriangulos) {
            a.triangulos = arranjo(triangulos, 3, Arranjo::Tipo::int64);
        }
        if (comCores) {
            a.cores = arranjo(cores, 3, Arranjo::Tipo::float64);
        }
        a.normais = arranjo(normais, 3, Arranjo::Tipo::float32);
        if (comTextura) {
            a.uv = arranjo(uv, 2, Arranjo::Tipo::float64);
            a.textura = Arranjo{textura.data(), Arranjo::Tipo::uint8,
                                static_cast<std::size_t>(alturaTextura),
                                static_cast<std::size_t>(3 * larguraTextura)};
            a.larguraTextura = static_cast<std::size_t>(larguraTextura);
        }
        return a;
    }

    // The same data as a text PLY file, double positions, float colours, normals and texture
    // coordinates, beside its texture as a PNG file.
    void gravarPly(const std::string& caminho, bool comCores, bool comTextura,
                   bool comTriangulos) const {
        std::FILE* f = std::fopen(caminho.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fprintf(f, "ply\nformat ascii 1.0\n");
        if (comTextura) {
            std::fprintf(f, "comment TextureFile textura.png\n");
        }
        std::fprintf(f,
                     "element vertex %zu\nproperty double x\nproperty double y\n"
                     "property double z\nproperty float nx\nproperty float ny\n"
                     "property float nz\n",
                     quantVertices());
        if (comCores) {
            std::fprintf(f, "property float red\nproperty float green\nproperty float blue\n");
        }
        if (comTextura) {
            std::fprintf(f, "property float texture_u\nproperty float texture_v\n");
        }
        if (comTriangulos) {
            std::fprintf(f, "element face %zu\nproperty list uchar int vertex_indices\n",
                         triangulos.size() / 3);
        }
        std::fprintf(f, "end_header\n");
        for (std::size_t v = 0; v < quantVertices(); ++v) {
            std::fprintf(f, "%.17g %.17g %.17g %.9g %.9g %.9g", posicoes[3 * v],
                         posicoes[3 * v + 1], posicoes[3 * v + 2], normais[3 * v],
                         normais[3 * v + 1], normais[3 * v + 2]);
            if (comCores) {
                std::fprintf(f, " %.9g %.9g %.9g", cores[3 * v], cores[3 * v + 1],
                             cores[3 * v + 2]);
            }
            if (comTextura) {
                std::fprintf(f, " %.9g %.9g", uv[2 * v], uv[2 * v + 1]);
            }
            std::fprintf(f, "\n");
        }
        for (std::size_t t = 0; comTriangulos && t < triangulos.size() / 3; ++t) {
            std::fprintf(f, "3 %lld %lld %lld\n", static_cast<long long>(triangulos[3 * t]),
                         static_cast<long long>(triangulos[3 * t + 1]),
                         static_cast<long long>(triangulos[3 * t + 2]));
        }
        std::fclose(f);
        if (comTextura) {
            const std::string png =
                (std::filesystem::path(caminho).parent_path() / "textura.png").string();
            EXPECT_EQ(gouraud::detail::GravadorPng::gravar(textura.data(), larguraTextura,
                                                           alturaTextura, png),
                      "");
        }
    }
};

gouraud::Abertura abertura() {
    gouraud::Abertura a;
    a.importador = GOURAUD_IMPORTADOR_TESTE;
    return a;
}

TEST(ArranjosTest, DesenhaOMesmoQueOPlyDosMesmosDadosEmCadaModo) {
    const Pasta pasta;
    const Grade grade(9);
    struct Caso {
        bool cores, textura, triangulos;
    };
    for (const Caso caso :
         {Caso{false, false, true}, Caso{true, false, true}, Caso{false, true, true},
          Caso{true, true, true}, Caso{true, false, false}}) {
        const std::string nome =
            pasta / ("grade" + std::to_string(caso.cores) + std::to_string(caso.textura) +
                     std::to_string(caso.triangulos) + ".ply");
        grade.gravarPly(nome, caso.cores, caso.textura, caso.triangulos);
        auto lido = gouraud::Modelo::abrir(nome, "", abertura());
        ASSERT_TRUE(lido) << lido.getErro();
        auto feito =
            gouraud::Modelo::deArranjos(grade.arranjos(caso.cores, caso.textura, caso.triangulos));
        ASSERT_TRUE(feito) << feito.getErro();
        for (const gouraud::Modo modo :
             {gouraud::Modo::plano, gouraud::Modo::gouraud, gouraud::Modo::phong}) {
            for (const bool arestas : {false, true}) {
                gouraud::Opcoes opcoes;
                opcoes.modo = modo;
                opcoes.arestas = arestas;
                opcoes.vista = gouraud::Vista::iso;
                opcoes.largura = 160;
                opcoes.altura = 120;
                opcoes.bits = 24;
                const auto esperada = lido->desenhar(opcoes);
                const auto obtida = feito->desenhar(opcoes);
                ASSERT_TRUE(esperada && obtida);
                EXPECT_EQ(esperada->rgb, obtida->rgb)
                    << nome << " mode " << static_cast<int>(modo) << " edges " << arestas;
                // Something is drawn, and not all in one colour.
                std::size_t diferentes = 0;
                for (std::size_t k = 3; k < obtida->rgb.size(); ++k) {
                    diferentes += obtida->rgb[k] != obtida->rgb[k - 3] ? 1 : 0;
                }
                EXPECT_GT(diferentes, 100u) << nome;
            }
        }
    }
}

TEST(ArranjosTest, DadosRuinsDaoUmaLinhaDeMotivo) {
    const Grade grade(3);
    const auto motivo = [](const Arranjos& a) {
        const auto modelo = gouraud::Modelo::deArranjos(a);
        EXPECT_FALSE(modelo);
        EXPECT_EQ(modelo.getErro().find('\n'), std::string::npos);
        return modelo.getErro();
    };
    Arranjos a = grade.arranjos(true, true, true);
    ASSERT_TRUE(gouraud::Modelo::deArranjos(a));

    std::vector<std::int64_t> fora = grade.triangulos;
    fora[3 * 5 + 1] = 9;
    Arranjos b = a;
    b.triangulos = arranjo(fora, 3, Arranjo::Tipo::int64);
    EXPECT_EQ(motivo(b), "triangle 5 names vertex 9 of 9");
    fora[3 * 5 + 1] = -1;
    EXPECT_EQ(motivo(b), "triangle 5 names vertex -1 of 9");
    std::vector<std::int32_t> curtos{0, 1, 2, 0, 2, 3};
    b.triangulos = arranjo(curtos, 3, Arranjo::Tipo::int32);
    EXPECT_TRUE(gouraud::Modelo::deArranjos(b));
    const std::vector<std::uint32_t> grandes{0, 1, 0xFFFFFFFFU};
    b.triangulos = arranjo(grandes, 3, Arranjo::Tipo::uint32);
    EXPECT_EQ(motivo(b), "triangle 0 names vertex 4294967295 of 9");

    std::vector<double> posicoes = grade.posicoes;
    posicoes[3 * 3 + 2] = std::numeric_limits<double>::quiet_NaN();
    b = a;
    b.posicoes = arranjo(posicoes, 3, Arranjo::Tipo::float64);
    EXPECT_EQ(motivo(b), "position 3 is not finite");
    posicoes[3 * 3 + 2] = 1e300;
    EXPECT_EQ(motivo(b), "position 3 is not finite in single precision");

    std::vector<double> cores = grade.cores;
    cores[3 * 2] = 1.0000001;
    b = a;
    b.cores = arranjo(cores, 3, Arranjo::Tipo::float64);
    EXPECT_EQ(motivo(b), "colour 2 is not within 0..1");
    cores[3 * 2] = -0.0;
    EXPECT_TRUE(gouraud::Modelo::deArranjos(b));
    cores[3 * 2 + 1] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(motivo(b), "colour 2 is not within 0..1");
    cores.resize(3 * 8);
    b.cores = arranjo(cores, 3, Arranjo::Tipo::float64);
    EXPECT_EQ(motivo(b), "cores has 8 rows, not one per position (9)");

    std::vector<float> normais = grade.normais;
    normais[3 * 4] = std::numeric_limits<float>::infinity();
    b = a;
    b.normais = arranjo(normais, 3, Arranjo::Tipo::float32);
    EXPECT_EQ(motivo(b), "normal 4 is not finite");
    std::vector<double> uv = grade.uv;
    uv[2 * 6 + 1] = std::numeric_limits<double>::infinity();
    b = a;
    b.uv = arranjo(uv, 2, Arranjo::Tipo::float64);
    EXPECT_EQ(motivo(b), "texture coordinate 6 is not finite");

    // Shapes, types, missing data, sizes.
    b = a;
    b.posicoes.colunas = 2;
    EXPECT_EQ(motivo(b), "posicoes has 2 columns, not 3");
    b = a;
    b.posicoes.tipo = Arranjo::Tipo::int32;
    EXPECT_EQ(motivo(b), "posicoes is int32, not float32 or float64");
    b = a;
    b.triangulos.tipo = Arranjo::Tipo::float64;
    EXPECT_EQ(motivo(b), "triangulos is float64, not int32, int64 or uint32");
    b = a;
    b.triangulos.dados = nullptr;
    EXPECT_EQ(motivo(b), "triangulos has 8 rows but no data");
    b = a;
    b.posicoes.linhas = 0;
    EXPECT_EQ(motivo(b), "posicoes is empty: there is nothing to draw");
    b = a;
    b.posicoes.linhas = std::numeric_limits<std::size_t>::max() / 4;
    EXPECT_EQ(motivo(b).rfind("posicoes has more rows (", 0), 0u);
    b = a;
    b.posicoes.linhas = std::size_t{1} << 31;
    EXPECT_EQ(motivo(b), "the mesh has more than 2147483647 positions");
    b = a;
    b.uv.linhas = 0;
    EXPECT_EQ(motivo(b), "textura is given without uv");
    b = a;
    b.textura.linhas = 0;
    EXPECT_EQ(motivo(b), "uv is given without a textura");
    b = a;
    b.larguraTextura = 4;
    EXPECT_EQ(motivo(b), "textura has 15 columns, not 12");
    b = a;
    b.larguraTextura = 0;
    EXPECT_EQ(motivo(b), "the texture is 0 x 3 texels; each side is 1 to 16384");
    b = a;
    b.textura.tipo = Arranjo::Tipo::float32;
    EXPECT_EQ(motivo(b), "textura is float32, not uint8");
    b = a;
    b.cores.tipo = static_cast<Arranjo::Tipo>(77);
    EXPECT_EQ(motivo(b), "cores is of an unknown type, not float32 or float64");
}

TEST(ArranjosTest, UmSegundoThreadERecusadoEnquantoOPrimeiroDesenha) {
    auto modelo = gouraud::Modelo::abrir(kCoelho, "", abertura());
    ASSERT_TRUE(modelo) << modelo.getErro();
    gouraud::Opcoes opcoes;
    opcoes.largura = 1024;
    opcoes.altura = 1024;
    opcoes.aa = 2;
    const auto referencia = modelo->desenhar(opcoes);
    ASSERT_TRUE(referencia);
    std::atomic<bool> parar{false};
    std::atomic<int> desenhadas{0};
    std::atomic<int> erradas{0};
    std::thread outro([&] {
        gouraud::Imagem imagem;
        while (!parar.load()) {
            const std::string erro = modelo->desenhar(opcoes, imagem);
            if (erro.empty()) {
                desenhadas.fetch_add(1);
                erradas.fetch_add(imagem.rgb != referencia->rgb ? 1 : 0);
            }
        }
    });
    // This thread keeps trying until it has been refused while the other draws.
    int recusas = 0;
    int minhas = 0;
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    gouraud::Imagem imagem;
    while (recusas < 3 && std::chrono::steady_clock::now() < limite) {
        imagem.largura = -7;
        const std::string erro = modelo->desenhar(opcoes, imagem);
        if (erro.empty()) {
            ++minhas;
            EXPECT_EQ(imagem.rgb, referencia->rgb);
        } else {
            EXPECT_EQ(erro, "the model is being drawn by another thread");
            EXPECT_EQ(imagem.largura, -7);
            ++recusas;
        }
    }
    parar.store(true);
    outro.join();
    EXPECT_EQ(recusas, 3);
    EXPECT_EQ(erradas.load(), 0);
    EXPECT_GT(desenhadas.load() + minhas, 0);
    // Once the other is done, drawing is allowed again.
    EXPECT_TRUE(modelo->desenhar(opcoes));
}

TEST(ArranjosTest, ABibliotecaNaoEscreveNadaNaSaida) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    {
        auto cena = gouraud::Modelo::abrir(kToro);
        EXPECT_TRUE(cena);
        EXPECT_TRUE(cena && cena->desenhar());
        EXPECT_FALSE(gouraud::Modelo::abrir(kToro + ".nada"));
        auto malha = gouraud::Modelo::abrir(kCoelho, "", abertura());
        EXPECT_TRUE(malha && malha->desenhar());
        const Grade grade(3);
        EXPECT_TRUE(gouraud::Modelo::deArranjos(grade.arranjos(true, true, true)));
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
