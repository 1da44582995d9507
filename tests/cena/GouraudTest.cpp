// The scene class: loading, camera basis and coordinates, normals, displaced points, and the
// state it ends in for every kind of bad file.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "CenaReferencia.h"
#include "Gouraud.h"

using namespace gouraud::detail;

namespace {

namespace fs = std::filesystem;

constexpr char kMarcador[] = "ouhaisudhsaiudhsaiduhasdiuhias\n";
// Tolerance for results that are exact only up to rounding in the last bits.
constexpr double kTolerancia = 1e-12;

std::uint64_t bits(double valor) { return std::bit_cast<std::uint64_t>(valor); }

template <typename T>
void esperaBits(const T& v, double x, double y, double z) {
    EXPECT_EQ(bits(v.x), bits(x)) << v.x << " vs " << x;
    EXPECT_EQ(bits(v.y), bits(y)) << v.y << " vs " << y;
    EXPECT_EQ(bits(v.z), bits(z)) << v.z << " vs " << z;
}

template <typename T>
bool todosNaN(const T& v) {
    return std::isnan(v.x) && std::isnan(v.y) && std::isnan(v.z);
}

// A scene loaded from text, with what the load wrote on standard output.
struct Carga {
    std::unique_ptr<Gouraud> cena;
    std::string saida;
};

Carga carregarTexto(const std::string& texto) {
    std::istringstream entrada(texto);
    testing::internal::CaptureStdout();
    auto cena = std::make_unique<Gouraud>(entrada);
    return {std::move(cena), testing::internal::GetCapturedStdout()};
}

std::string lerArquivo(const fs::path& caminho) {
    std::ifstream entrada(caminho, std::ios::binary);
    std::ostringstream texto;
    texto << entrada.rdbuf();
    return texto.str();
}

// Scene text: counts, points, triangles, then N, V, focus and the three spare reals.
std::string cenaComCamera(const std::string& malha, const std::string& camera) {
    return malha + "\n" + camera + "\n";
}

constexpr char kCameraPadrao[] = "0 0 1\n0 1 0\n0 0 -5\n0 0 0";
constexpr char kUmTriangulo[] = "3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 2";

// Runs every stage in the order a renderer would.
void executarEstagios(Gouraud& cena) {
    cena.mudancaCoordenadasCamera();
    cena.calcularNormalTriangulo();
    cena.calcularNovoPonto();
}

TEST(CarregamentoTest, BaseOrtonormalDaCamera) {
    auto [cena, saida] = carregarTexto("0 0\n0 0 2\n0 1 1\n4 5 6\n7 8 9\n");
    EXPECT_EQ(saida, kMarcador);
    EXPECT_TRUE(cena->cenaValida());
    EXPECT_EQ(cena->getQuantPontos(), 0);
    EXPECT_EQ(cena->getQuantTriangulos(), 0);
    esperaBits(*cena->getVetorN(), 0, 0, 1);
    esperaBits(*cena->getVetorV(), 0, 1, 0);
    esperaBits(*cena->getVetorU(), -1, 0, 0);
    esperaBits(*cena->getFoco(), 4, 5, 6);
    executarEstagios(*cena);  // with no points or triangles there is nothing to do
}

TEST(CarregamentoTest, PontosETriangulosNaOrdemDoArquivo) {
    auto [cena, saida] =
        carregarTexto("2 2\n1.5 -2 3e2\n-0 .25 7\n0 1 1\n1 0 0\n" + std::string(kCameraPadrao));
    ASSERT_TRUE(cena->cenaValida());
    const Ponto* pontos = cena->getListaPonto();
    esperaBits(pontos[0], 1.5, -2, 300);
    esperaBits(pontos[1], -0.0, 0.25, 7);
    const Triangulo* t = cena->getListaTriangulo();
    EXPECT_EQ(t[1].indiceP1, 1);
    EXPECT_EQ(t[1].indiceP2, 0);
    EXPECT_EQ(t[1].indiceP3, 0);
    // Before the stages run, every entry already holds a definite value.
    esperaBits(cena->getListaNovoPonto()[1], -0.0, 0.25, 7);
    esperaBits(cena->getListaNormalTriangulo()[0], 0, 0, 0);
    esperaBits(cena->getListaPontoCamera()[1], 0, 0, 0);
}

TEST(CarregamentoTest, QuebrasDeLinhaESobrasNaoMudamACena) {
    const std::string porLinha = cenaComCamera(kUmTriangulo, "0 0 2\n0 1 1\n0 0 -5\n1 2 3");
    std::string umaLinha = porLinha;
    for (char& c : umaLinha) {
        if (c == '\n') c = ' ';
    }
    const std::string semSobra = std::string(kUmTriangulo) + "\n0 0 2\n0 1 1\n0 0 -5";
    const std::string outraSobra = std::string(kUmTriangulo) + "\n0 0 2 0 1 1 0 0 -5 -9e9 x y";
    std::istringstream referenciaTexto(porLinha);
    CenaReferencia referencia = carregarReferencia(referenciaTexto);
    for (const std::string& texto : {porLinha, umaLinha, semSobra, outraSobra}) {
        auto carga = carregarTexto(texto);
        EXPECT_EQ(carga.saida, kMarcador);
        EXPECT_EQ(primeiraDiferenca(*carga.cena, referencia), "") << texto;
    }
}

TEST(CarregamentoTest, VParaleloANDaNaNEAindaCompleta) {
    auto [cena, saida] = carregarTexto(cenaComCamera(kUmTriangulo, "0 0 2\n0 0 3\n0 0 -5\n0 0 0"));
    EXPECT_TRUE(cena->cenaValida());  // every number was read; the geometry is degenerate
    esperaBits(*cena->getVetorN(), 0, 0, 1);
    EXPECT_TRUE(todosNaN(*cena->getVetorV()));
    EXPECT_TRUE(todosNaN(*cena->getVetorU()));
    cena->mudancaCoordenadasCamera();
    EXPECT_TRUE(std::isnan(cena->getListaPontoCamera()[0].x));
    cena->calcularNormalTriangulo();
    esperaBits(cena->getListaNormalTriangulo()[0], 0, 0, -1);  // normals use world points only
}

TEST(CoordenadasCameraTest, PontoConhecidoEEixosDaBase) {
    // Points: (1, 2, 0), the focus, focus + N, focus + U, focus + V.
    auto [cena, saida] =
        carregarTexto("5 0\n1 2 0\n0 0 -5\n0 0 -4\n-1 0 -5\n0 1 -5\n" + std::string(kCameraPadrao));
    esperaBits(*cena->getVetorU(), -1, 0, 0);
    cena->mudancaCoordenadasCamera();
    const Vetor* c = cena->getListaPontoCamera();
    esperaBits(c[0], -1, 2, 5);
    esperaBits(c[1], 0, 0, 0);
    esperaBits(c[2], 0, 0, 1);
    esperaBits(c[3], 1, 0, 0);
    esperaBits(c[4], 0, 1, 0);
    cena->mudancaCoordenadasCamera();  // recomputes the same values
    esperaBits(c[0], -1, 2, 5);
}

TEST(CoordenadasCameraTest, BaseObliquaAteOArredondamento) {
    auto [cena, saida] = carregarTexto("3 0\n3 4 5\n4 4 5\n3 5 5\n1 1 0\n0 1 1\n3 4 5\n0 0 0");
    cena->mudancaCoordenadasCamera();
    const Vetor* c = cena->getListaPontoCamera();
    esperaBits(c[0], 0, 0, 0);
    // (1, 0, 0) from the focus has unit length in any orthonormal basis.
    for (int i = 1; i < 3; ++i) {
        EXPECT_NEAR(std::sqrt(c[i].x * c[i].x + c[i].y * c[i].y + c[i].z * c[i].z), 1.0,
                    kTolerancia);
    }
    EXPECT_NEAR(c[1].z, std::sqrt(0.5), kTolerancia);  // depth along N = (1, 1, 0)/sqrt 2
}

TEST(NormalTest, TrianguloDoExemploEPontosDeslocados) {
    auto [cena, saida] = carregarTexto(cenaComCamera(kUmTriangulo, kCameraPadrao));
    cena->calcularNormalTriangulo();
    esperaBits(cena->getListaNormalTriangulo()[0], 0, 0, -1);
    cena->calcularNovoPonto();
    const Ponto* novos = cena->getListaNovoPonto();
    esperaBits(novos[0], 0, 0, -1);
    esperaBits(novos[1], 1, 0, -1);
    esperaBits(novos[2], 0, 1, -1);
    const std::unique_ptr<Vetor> normal(cena->encontrarNormal(0, 1, 2));
    esperaBits(*normal, 0, 0, -1);
    const std::unique_ptr<Vetor> inversa(cena->encontrarNormal(0, 2, 1));
    esperaBits(*inversa, 0, 0, 1);
}

TEST(NormalTest, ListasTomadasAntesDosEstagiosMostramSeuResultado) {
    // The displaced points and camera coordinates are made on first use: a list taken before
    // its stage runs is the points themselves (or zeros), and the stage then fills that list.
    auto [cena, saida] = carregarTexto(cenaComCamera(kUmTriangulo, kCameraPadrao));
    const Ponto* novos = cena->getListaNovoPonto();
    const Vetor* camera = cena->getListaPontoCamera();
    esperaBits(novos[1], 1, 0, 0);
    esperaBits(camera[1], 0, 0, 0);
    cena->calcularNormalTriangulo();
    cena->calcularNovoPonto();
    cena->mudancaCoordenadasCamera();
    EXPECT_EQ(cena->getListaNovoPonto(), novos);
    EXPECT_EQ(cena->getListaPontoCamera(), camera);
    esperaBits(novos[1], 1, 0, -1);
    EXPECT_NE(camera[1].x, 0.0);
}

TEST(NormalTest, ComprimentoEhOSenoDoAnguloNoPrimeiroPonto) {
    auto [cena, saida] =
        carregarTexto("3 1\n0 0 0\n2 0 0\n1 1 0\n0 1 2\n" + std::string(kCameraPadrao));
    const std::unique_ptr<Vetor> n(cena->encontrarNormal(0, 1, 2));
    EXPECT_EQ(n->x, 0.0);
    EXPECT_EQ(n->y, 0.0);
    EXPECT_NEAR(n->z, -std::sin(M_PI / 4), kTolerancia);
}

TEST(NormalTest, PontoCompartilhadoFicaComANormalDoUltimoTriangulo) {
    // Triangle 0 faces -z, triangle 1 (in the plane x = 0) faces -x; point 0 is in both.
    auto [cena, saida] = carregarTexto("4 2\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n0 1 2\n0 3 2\n" +
                                       std::string(kCameraPadrao));
    cena->calcularNormalTriangulo();
    esperaBits(cena->getListaNormalTriangulo()[1], 1, 0, 0);
    cena->calcularNovoPonto();
    const Ponto* novos = cena->getListaNovoPonto();
    esperaBits(novos[0], 1, 0, 0);
    esperaBits(novos[1], 1, 0, -1);  // named by the first triangle only
    esperaBits(novos[3], 1, 0, 1);
}

TEST(NormalTest, IndicesRepetidos) {
    auto [cena, saida] =
        carregarTexto("3 2\n0 0 0\n1 0 0\n5 5 5\n0 0 1\n1 2 2\n" + std::string(kCameraPadrao));
    executarEstagios(*cena);
    EXPECT_TRUE(todosNaN(cena->getListaNormalTriangulo()[0]));  // first index repeated
    esperaBits(cena->getListaNormalTriangulo()[1], 0, 0, 0);    // second and third equal
    EXPECT_TRUE(todosNaN(cena->getListaNovoPonto()[0]));
    esperaBits(cena->getListaNovoPonto()[1], 1, 0, 0);
    esperaBits(cena->getListaNovoPonto()[2], 5, 5, 5);
}

TEST(NormalTest, IndicesForaDosPontosDaoNaNSemLerForaDaLista) {
    auto [cena, saida] = carregarTexto(cenaComCamera(kUmTriangulo, kCameraPadrao));
    for (const auto& [a, b, c] : {std::tuple{3, 0, 1}, {0, -1, 2}, {0, 1, 1 << 30}}) {
        const std::unique_ptr<Vetor> n(cena->encontrarNormal(a, b, c));
        EXPECT_TRUE(todosNaN(*n));
    }
    Gouraud semCena(*std::make_unique<std::istringstream>("x"));
    const std::unique_ptr<Vetor> n(semCena.encontrarNormal(0, 0, 0));
    EXPECT_TRUE(todosNaN(*n));
}

// One small file per failure mode, with the state the scene must end in and the line that
// names its first problem.
struct CasoRuim {
    const char* arquivo;
    bool temCena;
    bool valida;
    const char* diagnostico;
};

// Names the case by its file in test listings.
void PrintTo(const CasoRuim& caso, std::ostream* saida) { *saida << caso.arquivo; }

class ArquivoRuimTest : public testing::TestWithParam<CasoRuim> {};

TEST_P(ArquivoRuimTest, TerminaNoEstadoDocumentado) {
    const CasoRuim caso = GetParam();
    const std::string texto = lerArquivo(fs::path(GOURAUD_CENAS_DIR) / caso.arquivo);
    auto [cena, saida] = carregarTexto(texto);
    EXPECT_EQ(saida, kMarcador);
    EXPECT_EQ(cena->cenaValida(), caso.valida);
    EXPECT_EQ(cena->getListaPonto() != nullptr, caso.temCena);
    EXPECT_EQ(cena->getDiagnostico(), caso.diagnostico);
    executarEstagios(*cena);
    std::istringstream entrada(texto);
    CenaReferencia referencia = carregarReferencia(entrada);
    executarEstagiosReferencia(referencia);
    EXPECT_EQ(primeiraDiferenca(*cena, referencia), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cenas, ArquivoRuimTest,
    testing::Values(
        CasoRuim{"vazio.txt", false, false, "the file ends before the count of points"},
        CasoRuim{"contagem_negativa.txt", false, false,
                 "line 1, column 1: the count of points is negative"},
        CasoRuim{"contagem_estouro.txt", false, false,
                 "line 1, column 1: expected an integer (the count of points)"},
        CasoRuim{"contagem_enorme.txt", false, false,
                 "the counts ask for 12000000000 numbers, but only 1 byte follows"},
        CasoRuim{"contagem_ilegivel.txt", false, false,
                 "line 1, column 3: expected an integer (the count of triangles)"},
        CasoRuim{"contagem_real.txt", false, false,
                 "line 1, column 2: expected an integer (the count of triangles)"},
        CasoRuim{"indice_fora.txt", false, false,
                 "line 5, column 5: triangle 0 names point 3, but the scene has 3 points"},
        CasoRuim{"indice_negativo.txt", false, false,
                 "line 5, column 3: triangle 0 names point -1, but the scene has 3 points"},
        CasoRuim{"lixo_binario.txt", false, false,
                 "line 1, column 1: expected an integer (the count of points)"},
        CasoRuim{"coordenada_nan.txt", true, false,
                 "line 3, column 3: expected a real number (y of point 1)"},
        CasoRuim{"coordenada_inf.txt", true, false,
                 "line 6, column 5: expected a real number (z of the axis N)"},
        CasoRuim{"coordenada_estouro.txt", true, false,
                 "line 4, column 3: expected a real number (y of point 2)"},
        CasoRuim{"camera_truncada.txt", true, false,
                 "the file ends after 19 of the 23 numbers it needs"},
        CasoRuim{"lixo_apos_contagens.txt", true, false,
                 "line 2, column 1: expected a real number (x of point 0)"},
        CasoRuim{"um_triangulo.txt", true, true, ""},
        CasoRuim{"um_triangulo_sem_sobra.txt", true, true, ""}),
    [](const testing::TestParamInfo<CasoRuim>& info) {
        std::string nome = info.param.arquivo;
        return nome.substr(0, nome.find('.'));
    });

TEST(ArquivoRuimTest, SemCenaTudoEhNuloEZerado) {
    auto [cena, saida] =
        carregarTexto("3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 3\n" + std::string(kCameraPadrao));
    EXPECT_EQ(cena->getQuantPontos(), 0);
    EXPECT_EQ(cena->getQuantTriangulos(), 0);
    EXPECT_EQ(cena->getListaTriangulo(), nullptr);
    EXPECT_EQ(cena->getListaNormalTriangulo(), nullptr);
    EXPECT_EQ(cena->getListaNovoPonto(), nullptr);
    EXPECT_EQ(cena->getListaPontoCamera(), nullptr);
    EXPECT_EQ(cena->getVetorN(), nullptr);
    EXPECT_EQ(cena->getVetorV(), nullptr);
    EXPECT_EQ(cena->getVetorU(), nullptr);
    EXPECT_EQ(cena->getFoco(), nullptr);
}

TEST(ArquivoRuimTest, FalhaDeLeituraZeraOValorEOsSeguintes) {
    auto [cena, saida] = carregarTexto("2 0\n1 2 3\n4 1e400 6\n0 0 1\n0 1 0\n0 0 -5\n");
    ASSERT_NE(cena->getListaPonto(), nullptr);
    EXPECT_FALSE(cena->cenaValida());
    esperaBits(cena->getListaPonto()[0], 1, 2, 3);
    esperaBits(cena->getListaPonto()[1], 4, 0, 0);
    EXPECT_TRUE(todosNaN(*cena->getVetorN()));  // N read as zeros
    esperaBits(*cena->getFoco(), 0, 0, 0);
}

TEST(ArquivoRuimTest, ContagensQueOTextoNaoComportaNaoAlocam) {
    // 2n - 1 characters are the least that can hold n numbers ("1-1-1" holds three).
    auto justo = carregarTexto("1 0 1-1-1");
    EXPECT_NE(justo.cena->getListaPonto(), nullptr);
    esperaBits(justo.cena->getListaPonto()[0], 1, -1, -1);
    EXPECT_EQ(carregarTexto("1 0 1-1").cena->getListaPonto(), nullptr);
    EXPECT_EQ(carregarTexto("2147483647 2147483647 1 2 3").cena->getListaPonto(), nullptr);
    EXPECT_EQ(carregarTexto("0 715827883 ").cena->getListaPonto(), nullptr);
}

// Problems no file in tests/cena/cenas shows, each text with the line that names its first problem.
TEST(DiagnosticoTest, PrimeiroProblemaNaOrdemDoArquivo) {
    const std::string camera = std::string("\n") + kCameraPadrao;
    const std::pair<std::string, std::string> casos[] = {
        // Lines past the first; the tab and spaces before the index are not part of its column.
        {"2 2\n0 0 0\n1 1 1\n0 1 1\n1 \t0  2" + camera,
         "line 5, column 7: triangle 1 names point 2, but the scene has 2 points"},
        {"1 1\n5 5 5\n0 0 1" + camera,
         "line 3, column 5: triangle 0 names point 1, but the scene has 1 point"},
        // "0.5" reads as the index 0, and the next index starts at the point.
        {"1 1\n0 0 0\n0 0.5 0" + camera,
         "line 3, column 4: expected an integer (index 2 of triangle 0)"},
        {"0 0\n0 0 1\n0 1 0\n1 -. 0", "line 4, column 3: expected a real number (y of the focus)"},
        {"3 -2 0 0 0", "line 1, column 3: the count of triangles is negative"},
        // The count of points is judged before the count of triangles is read.
        {"-1 x", "line 1, column 1: the count of points is negative"},
        {"  \n 7\n", "the file ends before the count of triangles"},
        {"1 1 0 0", "the counts ask for 6 numbers, but only 4 bytes follow"},
        // The counts, one point and N were read, of 2 + 3 + 9.
        {"1 0\n1 2 3\n0 0 1\n \n", "the file ends after 8 of the 14 numbers it needs"},
    };
    for (const auto& [texto, diagnostico] : casos) {
        auto carga = carregarTexto(texto);
        EXPECT_FALSE(carga.cena->cenaValida()) << texto;
        EXPECT_EQ(carga.cena->getDiagnostico(), diagnostico) << texto;
    }
}

TEST(ProjecaoTest, TresReaisAposOFocoSaoOpcionais) {
    const std::string cena = std::string(kUmTriangulo) + "\n0 0 1\n0 1 0\n0 0 -5\n";
    const struct {
        const char* sobra;
        bool lida;
        double distancia, meiaLargura, meiaAltura;
    } casos[] = {{"2 1.5 0.75", true, 2, 1.5, 0.75},
                 {"2 1.5", false, 2, 1.5, 0},
                 {"2 x 3", false, 2, 0, 0},
                 {"", false, 0, 0, 0}};
    for (const auto& caso : casos) {
        auto [carregada, saida] = carregarTexto(cena + caso.sobra);
        EXPECT_TRUE(carregada->cenaValida()) << caso.sobra;
        EXPECT_EQ(carregada->getDiagnostico(), "") << caso.sobra;
        EXPECT_EQ(carregada->projecaoLida(), caso.lida) << caso.sobra;
        EXPECT_EQ(carregada->getDistanciaProjecao(), caso.distancia) << caso.sobra;
        EXPECT_EQ(carregada->getMeiaLargura(), caso.meiaLargura) << caso.sobra;
        EXPECT_EQ(carregada->getMeiaAltura(), caso.meiaAltura) << caso.sobra;
    }
    // A failed camera read stops the reals after it; a rejected scene keeps none of them.
    for (const std::string& texto :
         {std::string(kUmTriangulo) + "\n0 0 1\n0 1 0\n0 0 x 2 1.5 0.75",
          std::string("3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 3\n0 0 1\n0 1 0\n0 0 -5\n2 1.5 0.75")}) {
        auto [carregada, saida] = carregarTexto(texto);
        EXPECT_FALSE(carregada->projecaoLida()) << texto;
        EXPECT_EQ(carregada->getDistanciaProjecao(), 0.0) << texto;
        EXPECT_EQ(carregada->getMeiaLargura(), 0.0) << texto;
        EXPECT_EQ(carregada->getMeiaAltura(), 0.0) << texto;
    }
}

// Each test runs in a fresh folder of its own, for the constructor that reads the current one.
class ArquivoCenaTest : public testing::Test {
protected:
    void SetUp() override {
        original = fs::current_path();
        pasta =
            fs::temp_directory_path() / ("gouraud-teste-" + std::to_string(std::random_device{}()));
        fs::create_directories(pasta);
        fs::current_path(pasta);
    }
    void TearDown() override {
        fs::current_path(original);
        fs::remove_all(pasta);
    }
    static Carga carregarDoArquivo() {
        testing::internal::CaptureStdout();
        auto cena = std::make_unique<Gouraud>();
        return {std::move(cena), testing::internal::GetCapturedStdout()};
    }
    fs::path original;
    fs::path pasta;
};

TEST_F(ArquivoCenaTest, ArquivoAusenteNaoEscreveNada) {
    auto [cena, saida] = carregarDoArquivo();
    EXPECT_EQ(saida, "");
    EXPECT_FALSE(cena->cenaValida());
    EXPECT_EQ(cena->getListaPonto(), nullptr);
    executarEstagios(*cena);
}

TEST_F(ArquivoCenaTest, PastaComONomeDoArquivoNaoEhCena) {
    fs::create_directory("triangulo.txt");
    auto [cena, saida] = carregarDoArquivo();
    EXPECT_EQ(saida, "");
    EXPECT_FALSE(cena->cenaValida());
    EXPECT_EQ(cena->getVetorN(), nullptr);
}

TEST_F(ArquivoCenaTest, DiagnosticoQuandoOArquivoNaoAbre) {
    EXPECT_EQ(carregarDoArquivo().cena->getDiagnostico(), "triangulo.txt could not be opened");
    fs::create_directory("triangulo.txt");
    EXPECT_EQ(carregarDoArquivo().cena->getDiagnostico(), "triangulo.txt could not be opened");
}

TEST_F(ArquivoCenaTest, ArquivoDaPastaAtualCarregaComoOTexto) {
    const std::string texto = cenaComCamera(kUmTriangulo, "0 0 2\n0 1 1\n0 0 -5\n0 0 0");
    std::ofstream("triangulo.txt") << texto;
    auto [cena, saida] = carregarDoArquivo();
    EXPECT_EQ(saida, kMarcador);
    std::istringstream entrada(texto);
    EXPECT_EQ(primeiraDiferenca(*cena, carregarReferencia(entrada)), "");
    EXPECT_TRUE(cena->cenaValida());
}

TEST(MalhaRealTest, CoelhoEscaneado) {
    const fs::path caminho = fs::path(GOURAUD_EXEMPLOS_DIR) / "bunny.txt";
    ASSERT_TRUE(fs::exists(caminho)) << caminho << " is missing";
    std::ifstream entrada(caminho);
    testing::internal::CaptureStdout();
    Gouraud cena(entrada);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), kMarcador);
    ASSERT_TRUE(cena.cenaValida());
    ASSERT_EQ(cena.getQuantPontos(), 1839);
    ASSERT_EQ(cena.getQuantTriangulos(), 3674);
    executarEstagios(cena);

    const Vetor eixos[] = {*cena.getVetorU(), *cena.getVetorV(), *cena.getVetorN()};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const double produto =
                eixos[i].x * eixos[j].x + eixos[i].y * eixos[j].y + eixos[i].z * eixos[j].z;
            EXPECT_NEAR(produto, i == j ? 1.0 : 0.0, kTolerancia) << i << ", " << j;
        }
    }

    const Ponto* pontos = cena.getListaPonto();
    const Triangulo* triangulos = cena.getListaTriangulo();
    const Vetor* normais = cena.getListaNormalTriangulo();
    std::vector<int> ultimo(cena.getQuantPontos(), -1);
    for (int i = 0; i < cena.getQuantTriangulos(); ++i) {
        const Triangulo& t = triangulos[i];
        const Ponto& a = pontos[t.indiceP1];
        const Ponto& b = pontos[t.indiceP2];
        const Ponto& c = pontos[t.indiceP3];
        const auto igual = [](const Ponto& p, const Ponto& q) {
            return p.x == q.x && p.y == q.y && p.z == q.z;
        };
        if (!igual(a, b) && !igual(a, c)) {
            EXPECT_TRUE(std::isfinite(normais[i].x) && std::isfinite(normais[i].y) &&
                        std::isfinite(normais[i].z))
                << "triangle " << i;
            const double comprimento =
                std::sqrt(normais[i].x * normais[i].x + normais[i].y * normais[i].y +
                          normais[i].z * normais[i].z);
            EXPECT_LE(comprimento, 1.0 + kTolerancia);  // the sine of an angle
        }
        ultimo[t.indiceP1] = ultimo[t.indiceP2] = ultimo[t.indiceP3] = i;
    }
    const Ponto* novos = cena.getListaNovoPonto();
    for (int p = 0; p < cena.getQuantPontos(); ++p) {
        const Vetor n = ultimo[p] >= 0 ? normais[ultimo[p]] : Vetor(0, 0, 0);
        esperaBits(novos[p], pontos[p].x + n.x, pontos[p].y + n.y, pontos[p].z + n.z);
    }

    std::ifstream denovo(caminho);
    CenaReferencia referencia = carregarReferencia(denovo);
    executarEstagiosReferencia(referencia);
    EXPECT_EQ(primeiraDiferenca(cena, referencia), "");
}

}  // namespace

namespace {

// A stream buffer whose every read fails with an exception, as a file buffer's does on a
// read error.
class BufferQueFalha : public std::streambuf {
protected:
    int_type underflow() override { throw std::ios_base::failure("read error"); }
};

TEST(ArquivoRuimTest, ErroDeLeituraNaoEscapaDoConstrutor) {
    BufferQueFalha buffer;
    std::istream entrada(&buffer);
    testing::internal::CaptureStdout();
    std::unique_ptr<Gouraud> cena;
    EXPECT_NO_THROW(cena = std::make_unique<Gouraud>(entrada));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), kMarcador);
    EXPECT_EQ(cena->getListaPonto(), nullptr);
}

TEST(ArquivoRuimTest, DiagnosticoDoFluxo) {
    std::istringstream parado(std::string(kUmTriangulo) + "\n" + kCameraPadrao);
    parado.setstate(std::ios::failbit);
    EXPECT_EQ(Gouraud(parado).getDiagnostico(), "the stream could not be read");
    // A read error ends the text, so it reads as a file that ends there.
    BufferQueFalha buffer;
    std::istream entrada(&buffer);
    testing::internal::CaptureStdout();
    Gouraud cena(entrada);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(cena.getDiagnostico(), "the file ends before the count of points");
}

}  // namespace
