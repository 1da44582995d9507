// The scene class against the straightforward stream-extraction reference: every value bit for
// bit on edge-case numbers, truncated files, generated scenes and every stage.
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CenaReferencia.h"
#include "GeradorCena.h"
#include "Gouraud.h"

using namespace gouraud::detail;

namespace {

// Loads the text with both loaders, runs every stage on both and returns their first difference.
std::string compararComReferencia(const std::string& texto) {
    std::istringstream entrada(texto);
    std::streambuf* saidaOriginal = std::cout.rdbuf(nullptr);  // silence the marker lines
    Gouraud cena(entrada);
    std::cout.rdbuf(saidaOriginal);
    std::cout.clear();
    cena.mudancaCoordenadasCamera();
    cena.calcularNormalTriangulo();
    cena.calcularNovoPonto();

    std::istringstream entradaReferencia(texto);
    CenaReferencia referencia = carregarReferencia(entradaReferencia);
    executarEstagiosReferencia(referencia);
    return primeiraDiferenca(cena, referencia);
}

// Numbers on which a hand-written parser and the stream are likely to disagree.
const std::vector<std::string> kNumerosLimite = {
    "+1",
    "+.5",
    "-.5",
    "5.",
    ".",
    "-",
    "+-5",
    "inf",
    "-inf",
    "nan",
    "infinity",
    "1e",
    "1e+",
    "1e-",
    "1ex",
    "1e5e3",
    "1e5.3",
    "5.e3",
    ".e5",
    "1E5",
    "1e400",
    "-1e400",
    "1e-400",
    "-1e-400",
    "4.9e-324",
    "2.2250738585072011e-308",
    "1.7976931348623158e308",
    "1.2.3",
    "0x1A",
    "2147483647",
    "2147483648",
    "-2147483648",
    "-2147483649",
    "99999999999999999999",
    "3.0",
    "010",
    "1,5",
    "-0",
    "0.30000000000000004441",
    "\xff",
    std::string(1, '\0'),
    "\v7",
};

// A scene of four points and two triangles with one slot left for the number under test.
std::string cenaCom(int posicao, const std::string& numero) {
    std::vector<std::string> numeros = {"4", "2", "0", "0", "0", "1", "0",  "0", "0", "1", "0",
                                        "0", "0", "1", "0", "1", "2", "0",  "3", "2", "0", "0",
                                        "1", "0", "1", "1", "0", "0", "-5", "0", "0", "0"};
    numeros[static_cast<std::size_t>(posicao)] = numero;
    std::string texto;
    for (const std::string& n : numeros) {
        texto += n;
        texto += ' ';
    }
    return texto;
}

TEST(DiferencialTest, NumerosLimiteEmCadaPosicaoDaCena) {
    const int posicoes = 32;
    for (const std::string& numero : kNumerosLimite) {
        for (int posicao = 0; posicao < posicoes; ++posicao) {
            const std::string texto = cenaCom(posicao, numero);
            ASSERT_EQ(compararComReferencia(texto), "")
                << "number '" << numero << "' at " << posicao;
        }
    }
}

TEST(DiferencialTest, TextosCurtos) {
    // Counts that end the text, numbers that touch, and the least text that holds a scene.
    for (const char* texto : {"", " ", "1", "1 00", "1 0 1-1", "1 0 1-1-1", "0 0", "0 1 0 0 0",
                              "0 0 0 0 1 0 1 0 0 0 -5", "1 1 1 2 3 0 0 0", "-0 -0"}) {
        EXPECT_EQ(compararComReferencia(texto), "") << "'" << texto << "'";
    }
}

TEST(DiferencialTest, CadaPrefixoDeUmaCena) {
    const std::string texto = gerarCena(3, 5, 4);
    for (std::size_t tamanho = 0; tamanho <= texto.size(); ++tamanho) {
        ASSERT_EQ(compararComReferencia(texto.substr(0, tamanho)), "") << "prefix " << tamanho;
    }
}

// The loader's line on a problem is there exactly when the scene is not valid, and is one line,
// for every edge number in every place and every prefix of a scene.
TEST(DiferencialTest, DiagnosticoSoNaCenaInvalida) {
    std::vector<std::string> textos;
    const int posicoes = 32;
    for (const std::string& numero : kNumerosLimite) {
        for (int posicao = 0; posicao < posicoes; ++posicao) {
            textos.push_back(cenaCom(posicao, numero));
        }
    }
    const std::string cena = gerarCena(3, 5, 4);
    for (std::size_t tamanho = 0; tamanho <= cena.size(); ++tamanho) {
        textos.push_back(cena.substr(0, tamanho));
    }
    std::streambuf* saidaOriginal = std::cout.rdbuf(nullptr);  // silence the marker lines
    for (const std::string& texto : textos) {
        std::istringstream entrada(texto);
        const Gouraud carregada(entrada);
        const std::string& diagnostico = carregada.getDiagnostico();
        EXPECT_EQ(carregada.cenaValida(), diagnostico.empty()) << texto << "\n" << diagnostico;
        EXPECT_EQ(diagnostico.find('\n'), std::string::npos) << diagnostico;
    }
    std::cout.rdbuf(saidaOriginal);
    std::cout.clear();
}

TEST(DiferencialTest, CenasGeradas) {
    struct Caso {
        unsigned semente;
        int pontos;
        int triangulos;
    };
    for (const Caso caso : {Caso{1, 1, 0}, Caso{2, 3, 1}, Caso{3, 50, 200}, Caso{4, 2000, 1000},
                            Caso{5, 20000, 40000}}) {
        EXPECT_EQ(compararComReferencia(gerarCena(caso.semente, caso.pontos, caso.triangulos)), "")
            << "seed " << caso.semente;
    }
}

}  // namespace
