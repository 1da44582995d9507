// Mesh files: the merge of corners into points, the fast libraries against the import library,
// the node transformations, and the sample meshes drawn as the scene files they came from.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "CaixaEnvolvente.h"
#include "CenaCarregada.h"
#include "Iluminacao.h"
#include "LeitorMalha.h"
#include "Quadro.h"
#include "Renderizador.h"

using namespace gouraud::detail;

namespace {

namespace fs = std::filesystem;

const fs::path kExemplos = GOURAUD_EXEMPLOS_DIR;
const fs::path kMalhas = GOURAUD_MALHAS_DIR;
// Where Debian's assimp-testmodels puts its models; the tests that use them skip without it.
const fs::path kModelosAssimp = "/usr/share/assimp/models";

std::uint64_t bits(double valor) { return std::bit_cast<std::uint64_t>(valor); }

bool mesmoPonto(const Ponto& a, const Ponto& b) {
    return bits(a.x) == bits(b.x) && bits(a.y) == bits(b.y) && bits(a.z) == bits(b.z);
}

LeitorMalha lerTexto(const std::string& texto, const std::string& extensao,
                     LeitorMalha::Leitores leitores = LeitorMalha::Leitores::todos) {
    return LeitorMalha(texto.data(), texto.size(), extensao, leitores);
}

// The points and triangles of a scene file, read naively (the samples are plain).
struct Lista {
    std::vector<Ponto> pontos;
    std::vector<Triangulo> triangulos;
};

Lista lerCena(const fs::path& caminho) {
    std::ifstream entrada(caminho);
    int quantPontos = 0;
    int quantTriangulos = 0;
    entrada >> quantPontos >> quantTriangulos;
    Lista lista;
    lista.pontos.resize(static_cast<std::size_t>(quantPontos));
    for (Ponto& p : lista.pontos) {
        entrada >> p.x >> p.y >> p.z;
    }
    lista.triangulos.resize(static_cast<std::size_t>(quantTriangulos));
    for (Triangulo& t : lista.triangulos) {
        entrada >> t.indiceP1 >> t.indiceP2 >> t.indiceP3;
    }
    return lista;
}

// True when each coordinate of `lido` is that of `p` rounded to single precision, or, when
// `umaUnidade`, at most one unit in the last place of single precision away from it.
bool pontoSimples(const Ponto& lido, const Ponto& p, bool umaUnidade) {
    const auto perto = [umaUnidade](double valor, double exato) {
        const auto simples = static_cast<float>(exato);
        return bits(valor) == bits(simples) ||
               (umaUnidade && (valor == std::nextafter(simples, 0.0f) ||
                               valor == std::nextafter(simples, 2 * simples)));
    };
    return perto(lido.x, p.x) && perto(lido.y, p.y) && perto(lido.z, p.z);
}

// Checks that `leitor` read the triangles of `esperada`, over its points rounded to single
// precision (or one unit from that, for OBJ, whose reader does not always round correctly),
// with the points numbered in order of first use.
void esperaMesmaMalha(LeitorMalha& leitor, const Lista& esperada, bool umaUnidade = false) {
    ASSERT_TRUE(leitor.valida()) << leitor.getErro();
    const std::vector<Ponto>& pontos = leitor.getPontos();
    const std::vector<Triangulo>& triangulos = leitor.getTriangulos();
    ASSERT_EQ(triangulos.size(), esperada.triangulos.size());
    int proximo = 0;
    for (std::size_t t = 0; t < triangulos.size(); ++t) {
        const Triangulo& lido = triangulos[t];
        const Triangulo& dado = esperada.triangulos[t];
        const int lidos[] = {lido.indiceP1, lido.indiceP2, lido.indiceP3};
        const int dados[] = {dado.indiceP1, dado.indiceP2, dado.indiceP3};
        for (int k = 0; k < 3; ++k) {
            ASSERT_LE(lidos[k], proximo) << "triangle " << t << " skips a point number";
            proximo = std::max(proximo, lidos[k] + 1);
            const Ponto& p = esperada.pontos[static_cast<std::size_t>(dados[k])];
            ASSERT_TRUE(pontoSimples(pontos[static_cast<std::size_t>(lidos[k])], p, umaUnidade))
                << "triangle " << t << ", corner " << k;
        }
    }
    EXPECT_EQ(static_cast<std::size_t>(proximo), pontos.size()) << "a point no triangle uses";
}

// A binary STL of the given triangles, with a header that does not start with "solid".
std::string stlBinario(const Lista& lista) {
    std::string dados(80, ' ');
    const auto quant = static_cast<std::uint32_t>(lista.triangulos.size());
    dados.append(reinterpret_cast<const char*>(&quant), sizeof(quant));
    for (const Triangulo& t : lista.triangulos) {
        dados.append(12, '\0');
        for (const int indice : {t.indiceP1, t.indiceP2, t.indiceP3}) {
            const Ponto& p = lista.pontos[static_cast<std::size_t>(indice)];
            for (const double valor : {p.x, p.y, p.z}) {
                const auto simples = static_cast<float>(valor);
                dados.append(reinterpret_cast<const char*>(&simples), sizeof(simples));
            }
        }
        dados.append(2, '\0');
    }
    return dados;
}

TEST(FusaoTest, CuboStlDeTriangulosSoltosTemOitoPontos) {
    const Lista cubo = lerCena(kExemplos / "cubo.txt");
    for (const auto leitores :
         {LeitorMalha::Leitores::todos, LeitorMalha::Leitores::soImportador}) {
        LeitorMalha leitor = lerTexto(stlBinario(cubo), "stl", leitores);
        EXPECT_EQ(leitor.getPontos().size(), 8U);
        esperaMesmaMalha(leitor, cubo);
    }
}

TEST(FusaoTest, ZeroNegativoEhZeroEVerticesSemUsoFicamDeFora) {
    // Vertex 1 is never used; vertices 2 and 3 differ only in the sign of a zero.
    const std::string obj =
        "v 9 9 9\nv -0 0 1\nv 0 -0 1\nv 1 0 1\nv 0 1 1\nf 2 4 5\nf 3 5 4\nf -4 -2 -1\n";
    for (const auto leitores :
         {LeitorMalha::Leitores::todos, LeitorMalha::Leitores::soImportador}) {
        LeitorMalha leitor = lerTexto(obj, "obj", leitores);
        ASSERT_TRUE(leitor.valida()) << leitor.getErro();
        const std::vector<Ponto>& pontos = leitor.getPontos();
        ASSERT_EQ(pontos.size(), 3U);
        // The point keeps the coordinates of the corner that used it first.
        EXPECT_TRUE(mesmoPonto(pontos[0], Ponto(-0.0, 0, 1)));
        EXPECT_TRUE(mesmoPonto(pontos[1], Ponto(1, 0, 1)));
        EXPECT_TRUE(mesmoPonto(pontos[2], Ponto(0, 1, 1)));
        const std::vector<Triangulo>& t = leitor.getTriangulos();
        ASSERT_EQ(t.size(), 3U);
        EXPECT_EQ((std::vector<int>{t[1].indiceP1, t[1].indiceP2, t[1].indiceP3}),
                  (std::vector<int>{0, 2, 1}));
        // Negative indices count back from the last vertex read: -4 is vertex 2.
        EXPECT_EQ((std::vector<int>{t[2].indiceP1, t[2].indiceP2, t[2].indiceP3}),
                  (std::vector<int>{0, 1, 2}));
    }
}

TEST(FusaoTest, CoordenadaNaoFinitaEhRecusadaComOPonto) {
    for (const auto leitores :
         {LeitorMalha::Leitores::todos, LeitorMalha::Leitores::soImportador}) {
        const LeitorMalha nan = lerTexto("v 0 0 0\nv 1 0 0\nv nan 1 0\nf 1 2 3\n", "obj", leitores);
        EXPECT_EQ(nan.getErro(), "point 2 (a corner of triangle 0) is not finite: nan 1 0");
        const LeitorMalha grande =
            lerTexto("v 0 0 0\nv 1e39 0 0\nv 0 1 0\nf 1 2 3\n", "obj", leitores);
        EXPECT_EQ(grande.getErro(), "point 1 (a corner of triangle 0) is not finite: inf 0 0");
    }
}

TEST(LeitoresTest, ObjSemFacesNaoTemTriangulos) {
    // Found by the fuzzer: a file of nothing but a comment has no vertex array at all.
    for (const char* texto : {"# a square0 1 0@v1", "\n"}) {
        const LeitorMalha leitor = lerTexto(texto, "obj");
        EXPECT_FALSE(leitor.valida()) << texto;
        EXPECT_EQ(leitor.getErro(), "it holds nothing to draw") << texto;
    }
}

TEST(LeitoresTest, BibliotecasRapidasDaoOsMesmosTriangulosQueOImportador) {
    const Lista coelho = lerCena(kExemplos / "bunny.txt");
    const std::pair<const char*, const char*> exemplos[] = {
        {"bunny.ply", "draco"}, {"bunny.stl", "admesh"}, {"bunny.obj", "tinyobjloader"}};
    for (const auto& [nome, biblioteca] : exemplos) {
        SCOPED_TRACE(nome);
        LeitorMalha rapido((kExemplos / nome).string());
        EXPECT_EQ(rapido.getBiblioteca(), biblioteca);
        const bool obj = std::string(nome).ends_with(".obj");
        esperaMesmaMalha(rapido, coelho, obj);
        LeitorMalha importador((kExemplos / nome).string(), LeitorMalha::Leitores::soImportador);
        EXPECT_EQ(importador.getBiblioteca(), "assimp");
        ASSERT_EQ(rapido.getPontos().size(), importador.getPontos().size());
        for (std::size_t i = 0; i < rapido.getPontos().size(); ++i) {
            ASSERT_TRUE(mesmoPonto(rapido.getPontos()[i], importador.getPontos()[i])) << i;
        }
        esperaMesmaMalha(importador, coelho, obj);
    }
}

TEST(LeitoresTest, ModelosDoAssimpIguaisPelosDoisCaminhos) {
    if (!fs::is_directory(kModelosAssimp)) {
        GTEST_SKIP() << kModelosAssimp << " is missing (Debian's assimp-testmodels)";
    }
    int comparados = 0;
    for (const auto& entrada : fs::recursive_directory_iterator(kModelosAssimp)) {
        std::string extensao = entrada.path().extension().string();
        std::transform(extensao.begin(), extensao.end(), extensao.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (!entrada.is_regular_file() ||
            (extensao != ".ply" && extensao != ".stl" && extensao != ".obj")) {
            continue;
        }
        SCOPED_TRACE(entrada.path().string());
        LeitorMalha rapido(entrada.path().string());
        LeitorMalha importador(entrada.path().string(), LeitorMalha::Leitores::soImportador);
        ASSERT_EQ(rapido.valida(), importador.valida())
            << rapido.getErro() << " / " << importador.getErro();
        if (!rapido.valida()) {
            continue;
        }
        ASSERT_EQ(rapido.getPontos().size(), importador.getPontos().size());
        for (std::size_t i = 0; i < rapido.getPontos().size(); ++i) {
            ASSERT_TRUE(mesmoPonto(rapido.getPontos()[i], importador.getPontos()[i])) << i;
        }
        ASSERT_EQ(rapido.getTriangulos().size(), importador.getTriangulos().size());
        for (std::size_t i = 0; i < rapido.getTriangulos().size(); ++i) {
            const Triangulo& a = rapido.getTriangulos()[i];
            const Triangulo& b = importador.getTriangulos()[i];
            ASSERT_TRUE(a.indiceP1 == b.indiceP1 && a.indiceP2 == b.indiceP2 &&
                        a.indiceP3 == b.indiceP3)
                << i;
        }
        ++comparados;
    }
    EXPECT_GT(comparados, 20);
}

// The fast OBJ reader gives the import library's points and triangles when vertex lines stand
// between runs of faces, the runs hold comments and blank lines, and faces name vertices by
// absolute and relative numbers, over many more triangles than the merge looks ahead.
TEST(LeitoresTest, ObjComVerticesEntreFacesIgualAoImportador) {
    constexpr int kBlocos = 40;
    constexpr int kVerticesPorBloco = 6;
    constexpr int kFacesPorBloco = 7;
    std::mt19937 gerador(7);
    std::uniform_int_distribution<int> coordenada(-2, 2);
    std::uniform_int_distribution<int> escolha(0, 1 << 20);
    std::ostringstream obj;
    int lidos = 0;
    for (int b = 0; b < kBlocos; ++b) {
        for (int v = 0; v < kVerticesPorBloco; ++v) {
            // Few distinct positions, some of them -0, so that many corners merge.
            obj << "v " << coordenada(gerador) << " -" << std::abs(coordenada(gerador)) << " "
                << coordenada(gerador) * 0.5 << "\n";
        }
        lidos += kVerticesPorBloco;
        for (int f = 0; f < kFacesPorBloco; ++f) {
            obj << "f";
            for (int k = 0; k < 3; ++k) {
                const int vertice = escolha(gerador) % lidos;  // zero-based, among those read
                if (escolha(gerador) % 2 == 0) {
                    obj << " " << vertice + 1;
                } else {
                    obj << " " << vertice - lidos;
                }
            }
            obj << (f % 3 == 0 ? "\n# a comment among the faces\n\n" : "\n");
        }
    }
    LeitorMalha rapido = lerTexto(obj.str(), "obj");
    LeitorMalha importador = lerTexto(obj.str(), "obj", LeitorMalha::Leitores::soImportador);
    ASSERT_TRUE(rapido.valida()) << rapido.getErro();
    ASSERT_TRUE(importador.valida()) << importador.getErro();
    EXPECT_EQ(rapido.getBiblioteca(), "tinyobjloader");
    ASSERT_EQ(rapido.getTriangulos().size(),
              static_cast<std::size_t>(kBlocos) * static_cast<std::size_t>(kFacesPorBloco));
    ASSERT_EQ(rapido.getPontos().size(), importador.getPontos().size());
    for (std::size_t i = 0; i < rapido.getPontos().size(); ++i) {
        ASSERT_TRUE(mesmoPonto(rapido.getPontos()[i], importador.getPontos()[i])) << i;
    }
    ASSERT_EQ(rapido.getTriangulos().size(), importador.getTriangulos().size());
    for (std::size_t t = 0; t < rapido.getTriangulos().size(); ++t) {
        const Triangulo& a = rapido.getTriangulos()[t];
        const Triangulo& b = importador.getTriangulos()[t];
        ASSERT_EQ((std::vector<int>{a.indiceP1, a.indiceP2, a.indiceP3}),
                  (std::vector<int>{b.indiceP1, b.indiceP2, b.indiceP3}))
            << "triangle " << t;
    }
}

TEST(LeitoresTest, MalhaUsadaPorDoisNosEhDesenhadaEmCadaUm) {
    LeitorMalha leitor((kMalhas / "instancias.gltf").string());
    ASSERT_TRUE(leitor.valida()) << leitor.getErro();
    const std::vector<Ponto>& p = leitor.getPontos();
    ASSERT_EQ(p.size(), 6U);
    ASSERT_EQ(leitor.getTriangulos().size(), 2U);
    // The first node moves the triangle 10 along x; the second turns it a quarter about z and
    // moves it 5 along y.
    EXPECT_TRUE(mesmoPonto(p[0], Ponto(10, 0, 0)));
    EXPECT_TRUE(mesmoPonto(p[1], Ponto(11, 0, 0)));
    EXPECT_TRUE(mesmoPonto(p[2], Ponto(10, 1, 0)));
    constexpr double kRotacao = 1e-6;
    EXPECT_NEAR(p[3].x, 0, kRotacao);
    EXPECT_NEAR(p[3].y, 5, kRotacao);
    EXPECT_NEAR(p[4].x, 0, kRotacao);
    EXPECT_NEAR(p[4].y, 6, kRotacao);
    EXPECT_NEAR(p[5].x, -1, kRotacao);
    EXPECT_NEAR(p[5].y, 5, kRotacao);
}

// The frame of what CenaCarregada read, with the default lighting.
Quadro desenhar(CenaCarregada& carregada) {
    Quadro quadro;
    Renderizador renderizador(carregada.getMalha(), Iluminacao());
    renderizador.desenhar(carregada.getCamera(), carregada.getProjecao(), quadro);
    return quadro;
}

bool mesmoQuadro(const Quadro& a, const Quadro& b) {
    for (int y = 0; y < Quadro::kAltura; ++y) {
        if (std::memcmp(a.linhaCor(y), b.linhaCor(y), sizeof(std::uint16_t) * Quadro::kLargura) !=
            0) {
            return false;
        }
    }
    return true;
}

std::string real(double valor) {
    char texto[32];
    char* fim = std::to_chars(texto, texto + sizeof(texto), valor).ptr;
    return std::string(texto, static_cast<std::size_t>(fim - texto));
}

// Each sample mesh draws exactly the picture of a scene file holding its mesh (the source
// scene's points rounded to single precision) and the default front view, worked out here:
// N = -z, V = +y, focus = centre + 1.5 diagonals along +z, automatic framing.
TEST(ExemplosTest, CadaMalhaDaAFiguraDaCenaDeOrigem) {
    const fs::path pasta =
        fs::temp_directory_path() / ("gouraud-exemplos-" + std::to_string(std::random_device{}()));
    fs::create_directories(pasta);
    const std::pair<const char*, const char*> exemplos[] = {{"bunny.ply", "bunny.txt"},
                                                            {"bunny.stl", "bunny.txt"},
                                                            {"bunny.obj", "bunny.txt"},
                                                            {"cubo.gltf", "cubo.txt"}};
    for (const auto& [malha, origem] : exemplos) {
        SCOPED_TRACE(malha);
        Lista lista = lerCena(kExemplos / origem);
        for (Ponto& p : lista.pontos) {
            p = Ponto(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
        }
        const CaixaEnvolvente caixa(lista.pontos.data(), static_cast<int>(lista.pontos.size()));
        const double z = caixa.getCentro().z + 1.5 * caixa.getDiagonal();
        std::ostringstream cena;
        cena << lista.pontos.size() << ' ' << lista.triangulos.size() << '\n';
        for (const Ponto& p : lista.pontos) {
            cena << real(p.x) << ' ' << real(p.y) << ' ' << real(p.z) << '\n';
        }
        for (const Triangulo& t : lista.triangulos) {
            cena << t.indiceP1 << ' ' << t.indiceP2 << ' ' << t.indiceP3 << '\n';
        }
        cena << "0 0 -1\n0 1 0\n"
             << real(caixa.getCentro().x) << ' ' << real(caixa.getCentro().y) << ' ' << real(z)
             << '\n';
        const fs::path arquivoCena = pasta / (std::string(malha) + ".txt");
        std::ofstream(arquivoCena) << cena.str();

        CenaCarregada daMalha((kExemplos / malha).string());
        ASSERT_TRUE(daMalha.valida()) << daMalha.getErro();
        std::streambuf* saida = std::cout.rdbuf(nullptr);  // the scene loader's marker line
        CenaCarregada daCena(arquivoCena.string());
        std::cout.rdbuf(saida);
        ASSERT_TRUE(daCena.valida()) << daCena.getErro();
        EXPECT_TRUE(mesmoQuadro(desenhar(daMalha), desenhar(daCena)));
    }
    fs::remove_all(pasta);
}

}  // namespace
