// The lighting file reader: settings applied, defaults kept, and the first problem of a bad file
// reported with its line and column.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "LeitorIluminacao.h"

using namespace gouraud::detail;

namespace {

// Every field as bits, in a fixed order (so that -0 differs from 0 and a mismatch shows where).
std::vector<std::uint64_t> campos(const Iluminacao& i) {
    std::vector<std::uint64_t> bits{i.luzNoFoco};
    for (double v : {i.luz.x, i.luz.y, i.luz.z, i.ka, i.ia.x, i.ia.y, i.ia.z, i.kd, i.od.x, i.od.y,
                     i.od.z, i.ks, i.eta, i.il.x, i.il.y, i.il.z}) {
        bits.push_back(std::bit_cast<std::uint64_t>(v));
    }
    return bits;
}

LeitorIluminacao lerTexto(const std::string& texto) {
    std::istringstream entrada(texto);
    return LeitorIluminacao(entrada);
}

TEST(LeitorIluminacaoTest, CadaAjusteSobrescreveSeusCampos) {
    // Comments anywhere, blank lines, CRLF, tabs and the number forms the reader takes.
    const LeitorIluminacao leitor = lerTexto(
        "# lighting\r\n\r\n  luz\t1.5 -2 +3e2 # at the back\r\nambiente .5 0 -0 255\r\n"
        "\v\f#\r\ndifusa 1 0.25 0 1.#\r\nespecular -0 7\ncor_luz 10 20 30#");
    ASSERT_TRUE(leitor.valido()) << leitor.getDiagnostico();
    Iluminacao esperada;
    esperada.luzNoFoco = false;
    esperada.luz = Ponto(1.5, -2, 300);
    esperada.ka = 0.5;
    esperada.ia = Vetor(0, -0.0, 255);
    esperada.kd = 1;
    esperada.od = Vetor(0.25, 0, 1);
    esperada.ks = -0.0;
    esperada.eta = 7;
    esperada.il = Vetor(10, 20, 30);
    EXPECT_EQ(campos(leitor.getIluminacao()), campos(esperada));
}

TEST(LeitorIluminacaoTest, AjustesAusentesFicamComOPadrao) {
    for (const char* texto : {"", "\n\n# nothing set\n", "   \t\r\n"}) {
        const LeitorIluminacao leitor = lerTexto(texto);
        EXPECT_TRUE(leitor.valido()) << leitor.getDiagnostico();
        EXPECT_EQ(campos(leitor.getIluminacao()), campos(Iluminacao()));
    }
    const LeitorIluminacao soEspecular = lerTexto("especular 0.1 2\n");
    Iluminacao esperada;
    esperada.ks = 0.1;
    esperada.eta = 2;
    EXPECT_EQ(campos(soEspecular.getIluminacao()), campos(esperada));
}

TEST(LeitorIluminacaoTest, ExemploDoRepositorioEhValido) {
    std::ifstream arquivo(GOURAUD_EXEMPLOS_DIR "/iluminacao.txt", std::ios::binary);
    ASSERT_TRUE(arquivo.is_open());
    const LeitorIluminacao leitor(arquivo);
    EXPECT_TRUE(leitor.valido()) << leitor.getDiagnostico();
    EXPECT_FALSE(leitor.getIluminacao().luzNoFoco);
}

// A stream buffer whose every read fails with an exception, as a file buffer's does on a
// read error.
class BufferQueFalha : public std::streambuf {
protected:
    int_type underflow() override { throw std::ios_base::failure("read error"); }
};

TEST(LeitorIluminacaoTest, FluxoIlegivel) {
    std::istringstream fechado("luz 1 2 3");
    fechado.setstate(std::ios::failbit);
    BufferQueFalha buffer;
    std::istream comErro(&buffer);
    for (std::istream* entrada : {static_cast<std::istream*>(&fechado), &comErro}) {
        const LeitorIluminacao leitor(*entrada);
        EXPECT_FALSE(leitor.valido());
        EXPECT_EQ(leitor.getDiagnostico(), "the file could not be read");
    }
}

// One bad file per failure mode: the exact diagnostic, and the defaults with nothing
// half-applied.
TEST(LeitorIluminacaoTest, PrimeiroProblemaComLinhaEColuna) {
    const std::pair<const char*, const char*> casos[] = {
        {"luz 1 2 3\nlux 1 2 3", "line 2, column 1: unknown setting \"lux\""},
        {"cor_luz 1 2 3\n\t \x01\xff"
         "234567890123456789012345678901234",
         "line 2, column 3: unknown setting \"??234567890123456789012345678901...\""},
        {"luz 1 2 3\n\nambiente 0.2 255 255  # blue?\n",
         "line 3, column 21: missing a number (the blue of ambiente)"},
        {"luz 1 2#3\r\n", "line 1, column 8: missing a number (the z of luz)"},
        {"especular 0.5 32 7",
         "line 1, column 18: unexpected \"7\" after the settings of especular"},
        {"luz 1 inf 2", "line 1, column 7: expected a number (the y of luz)"},
        {"cor_luz nan 1 1", "line 1, column 9: expected a number (the red of cor_luz)"},
        {"especular 0x10 1", "line 1, column 11: expected a number (Ks of especular)"},
        {"luz 1 2 1.2.3", "line 1, column 9: expected a number (the z of luz)"},
        {"difusa 1,5 1 1 1", "line 1, column 8: expected a number (Kd of difusa)"},
        {"especular 1 1e400", "line 1, column 13: expected a number (eta of especular)"},
        {"especular 1e-400 1", "line 1, column 11: expected a number (Ks of especular)"},
        {"luz +-1 0 0", "line 1, column 5: expected a number (the x of luz)"},
        {"cor_luz 1 2 3\nluz 0 0 0\n  cor_luz 1 2 3",
         "line 3, column 3: cor_luz is set again (first on line 1)"},
        {"ambiente -0.1 1 1 x", "line 1, column 10: Ka of ambiente must not be negative"},
        {"ambiente 1 1 255.5 1",
         "line 1, column 14: the green of ambiente must be between 0 and 255"},
        {"difusa 1.01 1 1 1", "line 1, column 8: Kd of difusa must be between 0 and 1"},
        {"difusa 1 1 1 -1e-9", "line 1, column 14: the blue of difusa must be between 0 and 1"},
        {"cor_luz -1 0 0", "line 1, column 9: the red of cor_luz must be between 0 and 255"}};
    for (const auto& [texto, diagnostico] : casos) {
        const LeitorIluminacao leitor = lerTexto(texto);
        EXPECT_FALSE(leitor.valido()) << texto;
        EXPECT_EQ(leitor.getDiagnostico(), diagnostico);
        EXPECT_EQ(campos(leitor.getIluminacao()), campos(Iluminacao())) << texto;
    }
}

TEST(LeitorIluminacaoTest, LinhaLongaEBytesAleatoriosNaoQuebram) {
    const std::string longa = "luz 1 2 3" + std::string(1 << 20, ' ') + "4";
    EXPECT_EQ(lerTexto(longa).getDiagnostico(), "line 1, column " + std::to_string(longa.size()) +
                                                    ": unexpected \"4\" after the settings of luz");
    // Random files: every fourth one raw bytes, the others lines that start with a setting word
    // followed by numbers good and bad, comments and the odd raw byte, so that refusals of many
    // kinds and acceptance are all reached.
    const std::string palavras[] = {"luz", "ambiente", "difusa", "especular", "cor_luz"};
    const std::string valores[] = {"0.5", "1", "-0", "-1", "255", "7", "1e400", "+-", "#", "\r"};
    std::mt19937 gerador(20240611);
    int validos = 0;
    for (int arquivo = 0; arquivo < 4000; ++arquivo) {
        std::string texto;
        if (arquivo % 4 == 0) {
            texto.resize(gerador() % 256);
            for (char& c : texto) c = static_cast<char>(gerador());
        }
        for (auto linha = arquivo % 4 == 0 ? 0 : 1 + gerador() % 5; linha > 0; --linha) {
            texto += palavras[gerador() % std::size(palavras)];
            for (auto n = gerador() % 6; n > 0; --n) {
                texto += gerador() % 8 == 0 ? '\t' : ' ';
                texto += gerador() % 16 == 0 ? std::string(1, static_cast<char>(gerador()))
                                             : valores[gerador() % std::size(valores)];
            }
            texto += '\n';
        }
        const LeitorIluminacao leitor = lerTexto(texto);
        if (leitor.valido()) {
            validos += !texto.empty();
            continue;
        }
        EXPECT_EQ(leitor.getDiagnostico().rfind("line ", 0), 0U) << leitor.getDiagnostico();
        EXPECT_EQ(leitor.getDiagnostico().find('\n'), std::string::npos);
        EXPECT_EQ(campos(leitor.getIluminacao()), campos(Iluminacao()));
    }
    EXPECT_GT(validos, 0);  // the files reach acceptance too, not only the first refusal
}

}  // namespace
