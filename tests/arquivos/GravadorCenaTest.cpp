// Writing what was loaded as a scene file: the scene read back is the same, bit for bit, and so
// is its picture; a failed write leaves nothing.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "CenaCarregada.h"
#include "GeradorCena.h"
#include "Gouraud.h"
#include "GravadorCena.h"
#include "Iluminacao.h"
#include "Quadro.h"
#include "Renderizador.h"

using namespace gouraud::detail;

namespace {

namespace fs = std::filesystem;

bool igual(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

template <typename T>
bool iguais(const T* a, const T* b) {
    return a != nullptr && b != nullptr && igual(a->x, b->x) && igual(a->y, b->y) &&
           igual(a->z, b->z);
}

std::string lerArquivo(const fs::path& caminho) {
    std::ifstream entrada(caminho, std::ios::binary);
    std::ostringstream texto;
    texto << entrada.rdbuf();
    return texto.str();
}

// Every number of the two scenes is the same double, the camera as given and as built.
void esperaMesmaCena(const Gouraud& a, const Gouraud& b) {
    ASSERT_TRUE(b.cenaValida()) << b.getDiagnostico();
    ASSERT_EQ(a.getQuantPontos(), b.getQuantPontos());
    ASSERT_EQ(a.getQuantTriangulos(), b.getQuantTriangulos());
    for (int i = 0; i < a.getQuantPontos(); ++i) {
        ASSERT_TRUE(iguais(a.getListaPonto() + i, b.getListaPonto() + i)) << "point " << i;
    }
    for (int i = 0; i < a.getQuantTriangulos(); ++i) {
        const Triangulo& s = a.getListaTriangulo()[i];
        const Triangulo& t = b.getListaTriangulo()[i];
        ASSERT_TRUE(s.indiceP1 == t.indiceP1 && s.indiceP2 == t.indiceP2 &&
                    s.indiceP3 == t.indiceP3);
    }
    EXPECT_TRUE(iguais(a.getVetorNLido(), b.getVetorNLido()));
    EXPECT_TRUE(iguais(a.getVetorVLido(), b.getVetorVLido()));
    EXPECT_TRUE(iguais(a.getVetorN(), b.getVetorN()));
    EXPECT_TRUE(iguais(a.getVetorV(), b.getVetorV()));
    EXPECT_TRUE(iguais(a.getVetorU(), b.getVetorU()));
    EXPECT_TRUE(iguais(a.getFoco(), b.getFoco()));
}

TEST(CenaDeListasTest, MesmaCameraQueOArquivoENadaComIndiceRuim) {
    const std::vector<Ponto> pontos = {Ponto(0, 0, 0), Ponto(1, 0, 0), Ponto(0, 1, 0)};
    const Gouraud deListas(pontos, {Triangulo(0, 1, 2)}, Vetor(0.5, 0, 2), Vetor(0, 1, 1),
                           Ponto(0, 0, -5), 0, 0, 0);
    const auto doArquivo =
        carregarCena("3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 2\n0.5 0 2\n0 1 1\n0 0 -5\n0 0 0\n");
    esperaMesmaCena(*doArquivo, deListas);
    EXPECT_TRUE(deListas.projecaoLida());

    const Gouraud ruim(pontos, {Triangulo(0, 1, 3)}, Vetor(0, 0, 1), Vetor(0, 1, 0),
                       Ponto(0, 0, -5), 0, 0, 0);
    EXPECT_FALSE(ruim.cenaValida());
    EXPECT_EQ(ruim.getDiagnostico(), "triangle 0 names point 3, but the scene has 3 points");
    EXPECT_EQ(ruim.getQuantPontos(), 0);
    EXPECT_EQ(ruim.getListaPonto(), nullptr);
    EXPECT_EQ(ruim.getVetorNLido(), nullptr);
}

class GravadorCenaTest : public testing::Test {
protected:
    void SetUp() override {
        pasta = fs::temp_directory_path() /
                ("gouraud-gravador-" + std::to_string(std::random_device{}()));
        fs::create_directories(pasta);
    }
    void TearDown() override { fs::remove_all(pasta); }
    fs::path pasta;
};

TEST_F(GravadorCenaTest, RealQualquerVoltaIgualEOsEixosComoForamDados) {
    // Reals that need all 17 digits, tiny and huge ones, a negative zero, and axes that are
    // neither unit nor orthogonal.
    const auto cena = carregarCena(
        "3 1\n0.1 -0 1e-300\n123456789.12345678 0.30000000000000004 1.7976931348623157e308\n"
        "2.2250738585072014e-308 -5 7\n2 0 1\n0 0 2\n0.5 1 1\n0 0 -5\n1 0.25 0.1875\n");
    ASSERT_TRUE(cena->cenaValida());
    const fs::path saida = pasta / "cena.txt";
    ASSERT_EQ(GravadorCena::gravar(*cena, saida.string()), "");
    const auto lida = carregarCena(lerArquivo(saida));
    esperaMesmaCena(*cena, *lida);
    EXPECT_TRUE(lida->projecaoLida());
    EXPECT_TRUE(igual(lida->getMeiaAltura(), 0.1875));
    // N and V are written as read, before the scene made them orthonormal.
    EXPECT_NE(lerArquivo(saida).find("\n0 0 2\n0.5 1 1\n0 0 -5\n1 0.25 0.1875\n"),
              std::string::npos);
}

TEST_F(GravadorCenaTest, JanelaQueNaoServeViraZeros) {
    for (const char* janela : {"1 -2 3", "1 2", ""}) {
        const auto cena = carregarCena(
            std::string("3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 2\n0 0 1\n0 1 0\n0 0 -5\n") + janela + "\n");
        const fs::path saida = pasta / "cena.txt";
        ASSERT_EQ(GravadorCena::gravar(*cena, saida.string()), "");
        const std::string texto = lerArquivo(saida);
        EXPECT_TRUE(texto.ends_with("\n0 0 -5\n0 0 0\n")) << janela;
    }
}

TEST_F(GravadorCenaTest, MalhaSalvaDaAMesmaFigura) {
    const std::string malha = (fs::path(GOURAUD_EXEMPLOS_DIR) / "bunny.ply").string();
    const fs::path saida = pasta / "coelho.txt";
    for (const auto lado : {VistaPadrao::Lado::frente, VistaPadrao::Lado::iso}) {
        CenaCarregada original(malha, CenaCarregada::Opcoes{VistaPadrao::Cima::maisZ, lado});
        ASSERT_TRUE(original.valida()) << original.getErro();
        ASSERT_EQ(GravadorCena::gravar(original.getCena(), saida.string()), "");
        std::streambuf* marcador = std::cout.rdbuf(nullptr);
        CenaCarregada salva(saida.string());
        std::cout.rdbuf(marcador);
        ASSERT_TRUE(salva.valida()) << salva.getErro();
        esperaMesmaCena(original.getCena(), salva.getCena());

        Quadro a;
        Quadro b;
        Renderizador(original.getMalha(), Iluminacao())
            .desenhar(original.getCamera(), original.getProjecao(), a);
        Renderizador(salva.getMalha(), Iluminacao())
            .desenhar(salva.getCamera(), salva.getProjecao(), b);
        for (int y = 0; y < Quadro::kAltura; ++y) {
            ASSERT_EQ(
                std::memcmp(a.linhaCor(y), b.linhaCor(y), sizeof(std::uint16_t) * Quadro::kLargura),
                0)
                << "row " << y;
        }
    }
}

TEST_F(GravadorCenaTest, FalhaNaoDeixaArquivo) {
    const auto cena = carregarCena("3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 2\n0 0 1\n0 1 0\n0 0 -5\n");
    EXPECT_EQ(GravadorCena::gravar(*cena, (pasta / "nada" / "cena.txt").string()),
              "No such file or directory");
    EXPECT_EQ(GravadorCena::gravar(*cena, pasta.string()), "Is a directory");
    EXPECT_EQ(GravadorCena::gravar(*cena, "/dev/full"), "No space left on device");
    EXPECT_TRUE(fs::is_empty(pasta));
}

}  // namespace
