#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "LeitorNumeros.h"

using namespace gouraud::detail;

namespace {

// Outcome of one extraction: success flag, the value's bits (int sign-extended, double
// bit_cast so -0.0 differs from 0.0) and the characters left unconsumed afterwards.
struct Leitura {
    bool sucesso;
    std::uint64_t bits;
    std::size_t restante;
    bool operator==(const Leitura&) const = default;
};

// Read kinds: 'i' extracts an int, 'd' a double.
constexpr char kInteiro = 'i';

// Non-zero value placed in the destination before each read, so a missing "store 0" shows up.
constexpr int kSentinelaInteiro = 777;
constexpr double kSentinelaReal = 777.5;

std::uint64_t bitsDe(int v) { return static_cast<std::uint64_t>(static_cast<std::int64_t>(v)); }
std::uint64_t bitsDe(double v) { return std::bit_cast<std::uint64_t>(v); }

// Ground truth: the stream, with the reader's documented rule applied (a failed read and every
// read after it yields 0).
std::vector<Leitura> lerComStream(const std::string& texto, std::string_view tipos) {
    std::istringstream entrada(texto);
    std::vector<Leitura> leituras;
    for (char tipo : tipos) {
        std::uint64_t bits = 0;
        if (tipo == kInteiro) {
            int v = 0;
            entrada >> v;
            bits = bitsDe(v);
        } else {
            double v = 0.0;
            entrada >> v;
            bits = bitsDe(v);
        }
        const bool sucesso = !entrada.fail();
        const auto posicao = entrada.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
        const auto consumidos = static_cast<std::size_t>(static_cast<std::streamoff>(posicao));
        leituras.push_back({sucesso, sucesso ? bits : 0, texto.size() - consumidos});
    }
    return leituras;
}

std::vector<Leitura> lerComLeitor(const char* inicio, const char* fim, std::string_view tipos) {
    LeitorNumeros leitor(inicio, fim);
    std::vector<Leitura> leituras;
    bool algumaFalhou = false;
    for (char tipo : tipos) {
        bool sucesso = false;
        std::uint64_t bits = 0;
        if (tipo == kInteiro) {
            int v = kSentinelaInteiro;
            sucesso = leitor.lerInteiro(v);
            bits = bitsDe(v);
        } else {
            double v = kSentinelaReal;
            sucesso = leitor.lerReal(v);
            bits = bitsDe(v);
        }
        algumaFalhou = algumaFalhou || !sucesso;
        EXPECT_EQ(leitor.falhou(), algumaFalhou);
        leituras.push_back({sucesso, bits, leitor.restante()});
    }
    return leituras;
}

// Makes control and non-ASCII bytes visible in failure messages.
std::string legivel(const std::string& texto) {
    std::string saida;
    for (unsigned char c : texto) {
        if (c >= ' ' && c < 0x7f) {
            saida += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            saida += escape;
        }
    }
    return saida;
}

std::string descrever(const std::vector<Leitura>& leituras) {
    std::string saida;
    for (const Leitura& l : leituras) {
        char item[64];
        std::snprintf(item, sizeof item, "[%s %016llx rest=%zu] ", l.sucesso ? "ok" : "FALHA",
                      static_cast<unsigned long long>(l.bits), l.restante);
        saida += item;
    }
    return saida;
}

// Compares the reader against the stream on `texto`, with the reader's buffer allocated to the
// exact size (no terminator) so AddressSanitizer flags any read past the end.
void verificarIgualAoStream(const std::string& texto, std::string_view tipos) {
    auto buffer = std::make_unique<char[]>(texto.size());
    std::memcpy(buffer.get(), texto.data(), texto.size());
    const auto esperado = lerComStream(texto, tipos);
    const auto obtido = lerComLeitor(buffer.get(), buffer.get() + texto.size(), tipos);
    EXPECT_EQ(obtido, esperado) << "entrada \"" << legivel(texto) << "\" tipos " << tipos
                                << "\n  stream: " << descrever(esperado)
                                << "\n  leitor: " << descrever(obtido);
}

// Read patterns applied to every corpus entry: all doubles, all ints, and mixes.
const std::vector<std::string_view> kPadroes = {"ddd", "iii", "did", "idd"};

void verificarCorpus(const std::vector<std::string>& corpus) {
    for (const std::string& texto : corpus) {
        for (std::string_view tipos : kPadroes) verificarIgualAoStream(texto, tipos);
    }
}

std::string repetir(char c, std::size_t vezes) { return std::string(vezes, c); }

TEST(LeitorNumerosTest, SinaisIgualAoStream) {
    verificarCorpus({"+5",   "-5", "+-5", "-+5",  "--5",     "++5",   "+",  "-",  "+ 5",
                     "- 5",  "-0", "+0",  "-0.0", "+.5",     "-.5",   "+.", "-.", "-inf",
                     "+nan", "-x", "5-3", "5+3",  "-0 -0.0", "-.0e5", "+e5"});
}

TEST(LeitorNumerosTest, ExpoentesIgualAoStream) {
    verificarCorpus({"1e5",    "1E5",   "1e+5",
                     "1e-5",   "1e",    "1e+",
                     "1e-",    "1E",    "5.e3",
                     "5.e",    "5.E+",  ".e5",
                     "-.e5",   "1e5e3", "1e5E3",
                     "1e5.3",  "1e+-5", "1e5+3",
                     "1e-5-3", "1ex",   "1e+x",
                     "1e0x",   "e5",    "E5",
                     "1e 5",   "1e\n5", "1.5e0000000000000000000000000003",
                     "1e-0",   "0e0",   "7E+007",
                     "1e+05e"});
}

TEST(LeitorNumerosTest, FaixaDenormaisEUnderflowIgualAoStream) {
    verificarCorpus({"1e400",
                     "-1e400",
                     "1e-400",
                     "-1e-400",
                     "1e4000",
                     "1e-4000",
                     "4.9e-324",
                     "-4.9e-324",
                     "2.2250738585072011e-308",
                     "2.2250738585072014e-308",
                     "2.4703282292062328e-324",
                     "2.4703282292062327e-324",
                     "-2.4703282292062327e-324",
                     "1.7976931348623157e308",
                     "1.7976931348623158e308",
                     "1.7976931348623159e308",
                     "-1.7976931348623159e308",
                     "1e99999999999999999999",
                     "1e-99999999999999999999",
                     "-1e-99999999999999999999",
                     "0e99999999999999999999",
                     "0.0e400",
                     "-0e-400",
                     "1e400e",
                     "1e-400e 5",
                     "1e-400 7",
                     "1e400 7",
                     "1e-400e+",
                     std::string("1") + repetir('0', 309),
                     std::string("1") + repetir('0', 308),
                     std::string("1") + repetir('0', 400) + "e",
                     std::string("0.") + repetir('0', 400) + "1",
                     std::string("0.") + repetir('0', 330) + "5 3",
                     std::string("-0.") + repetir('0', 320) + "4940656458412465441765687928",
                     "0.000000000000000000000000000000000000000000000000001e-300"});
}

TEST(LeitorNumerosTest, DigitosLongosIgualAoStream) {
    // Halfway cases between adjacent doubles decided only by a digit far to the right.
    const std::string meioEntreVizinhos = "9007199254740993";  // 2^53 + 1
    verificarCorpus(
        {repetir('0', 500) + "1.5", repetir('0', 500), std::string("0.") + repetir('0', 500),
         meioEntreVizinhos, meioEntreVizinhos + std::string(".") + repetir('0', 300),
         meioEntreVizinhos + std::string(".") + repetir('0', 300) + "1",
         std::string("1.") + repetir('9', 800), repetir('9', 320), repetir('9', 308) + "e-300",
         "123456789012345678901234567890e-10", std::string(".") + repetir('3', 700) + "e1",
         repetir('1', 60) + std::string(".") + repetir('1', 60) + "e-2"});
}

TEST(LeitorNumerosTest, InteirosIgualAoStream) {
    const std::string zerosAntesDoCinco = repetir('0', 200) + "5";
    const std::string menosZeros = std::string("-") + repetir('0', 200);
    verificarCorpus({"2147483647",
                     "2147483648",
                     "-2147483648",
                     "-2147483649",
                     "99999999999999999999",
                     "9223372036854775807",
                     "9223372036854775808",
                     "-9223372036854775809",
                     "4294967296",
                     "4294967301",
                     "-4294967297",
                     "18446744073709551621",
                     "0x1A",
                     "010",
                     "3.0",
                     "5e3",
                     "1,000",
                     zerosAntesDoCinco,
                     menosZeros,
                     "12 34 -56",
                     "0 0 0"});
}

TEST(LeitorNumerosTest, FronteirasDeTokenIgualAoStream) {
    verificarCorpus({"",     " ",       "\t\n\v\f\r", "\t\n\v\f\r7", "1.2.3",     "1..2",
                     "5.",   ".",       ".5",         ".x",          "..",        "0x1A",
                     "0X1a", "3.5 7",   "3 7.5 8",    "1 2 3",       "1\n2\n3\n", "  42",
                     "42  ", "1.5E-3x", "1e5e3 4",    ".5.5.5",      "7\r\n8\r\n"});
}

TEST(LeitorNumerosTest, BytesEstranhosIgualAoStream) {
    using namespace std::string_literals;
    verificarCorpus(
        {"\xa0"
         "5",
         "\0"
         "5"s,
         "5\0"
         "6"s,
         "\x80", "\xff", "\xe2\x80\x83 5", "1_0", "1,5", "5\xff", "1e\xff", "-\x80",
         "\x1f"
         "5",
         "\x0e"
         "5",
         "inf", "nan", "infinity", "NAN", "i5", "a1"});
}

// Digits or exponent characters just past `fim` must not change the result: every prefix of a
// larger buffer has to read like a stream holding only that prefix.
TEST(LeitorNumerosTest, NaoOlhaAlemDoFim) {
    const std::vector<std::string> textos = {"-123.456e+78 9", "1e-400e5", "2147483648 1",
                                             "+.5E-3 -7",
                                             std::string("1") + repetir('0', 320) + "e-5"};
    for (const std::string& texto : textos) {
        for (std::size_t tamanho = 0; tamanho <= texto.size(); ++tamanho) {
            const std::string prefixo = texto.substr(0, tamanho);
            for (std::string_view tipos : kPadroes) {
                EXPECT_EQ(lerComLeitor(texto.data(), texto.data() + tamanho, tipos),
                          lerComStream(prefixo, tipos))
                    << "prefixo \"" << prefixo << "\" tipos " << tipos;
            }
        }
    }
}

TEST(LeitorNumerosTest, FaixaVaziaEPosicoes) {
    LeitorNumeros vazio(nullptr, nullptr);
    EXPECT_EQ(vazio.restante(), 0u);
    int inteiro = kSentinelaInteiro;
    EXPECT_FALSE(vazio.lerInteiro(inteiro));
    EXPECT_EQ(inteiro, 0);
    EXPECT_TRUE(vazio.falhou());

    // After a failure, valid numbers later in the text are never read.
    const std::string texto = " 12 x 34";
    LeitorNumeros leitor(texto.data(), texto.data() + texto.size());
    EXPECT_FALSE(leitor.falhou());
    EXPECT_EQ(leitor.restante(), texto.size());
    ASSERT_TRUE(leitor.lerInteiro(inteiro));
    EXPECT_EQ(leitor.restante(), texto.size() - std::string(" 12").size());
    double real = kSentinelaReal;
    EXPECT_FALSE(leitor.lerReal(real));
    EXPECT_FALSE(leitor.lerInteiro(inteiro));
    EXPECT_EQ(inteiro, 0);
    EXPECT_TRUE(leitor.falhou());
}

// Fixed seed so failures are reproducible.
constexpr std::uint32_t kSemente = 20240611;

std::string padraoAleatorio(std::mt19937& gerador, std::size_t tamanhoMaximo) {
    std::uniform_int_distribution<std::size_t> tamanho(1, tamanhoMaximo);
    std::bernoulli_distribution ehInteiro(0.5);
    std::string tipos(tamanho(gerador), 'd');
    for (char& t : tipos) t = ehInteiro(gerador) ? kInteiro : 'd';
    return tipos;
}

TEST(LeitorNumerosTest, AleatorioCurtoIgualAoStream) {
    constexpr std::string_view kAlfabeto = "0123456789+-.eExXinaf \t\n";
    constexpr std::size_t kCasos = 30000;
    constexpr std::size_t kTamanhoMaximoTexto = 12;
    constexpr std::size_t kLeiturasMaximas = 5;
    std::mt19937 gerador(kSemente);
    std::uniform_int_distribution<std::size_t> letra(0, kAlfabeto.size() - 1);
    std::uniform_int_distribution<std::size_t> tamanho(0, kTamanhoMaximoTexto);
    for (std::size_t caso = 0; caso < kCasos; ++caso) {
        std::string texto(tamanho(gerador), ' ');
        for (char& c : texto) c = kAlfabeto[letra(gerador)];
        verificarIgualAoStream(texto, padraoAleatorio(gerador, kLeiturasMaximas));
        if (testing::Test::HasFailure()) return;  // one reproducible counterexample is enough
    }
}

// Random finite doubles of every magnitude (random bit patterns, denormals included) printed in
// several decimal forms, optionally with '+', read in sequence from one buffer.
TEST(LeitorNumerosTest, AleatorioReaisFormatadosIgualAoStream) {
    constexpr std::size_t kLotes = 300;
    constexpr std::size_t kNumerosPorLote = 40;
    constexpr int kPrecisaoMaxima = 17;
    constexpr double kMaiorParaFormatoFixo = 1e30;  // keeps "%f" output short
    constexpr std::string_view kSeparadores[] = {" ", "\n", "\t", "  \r\n"};
    std::mt19937_64 gerador(kSemente);
    std::uniform_int_distribution<int> precisao(1, kPrecisaoMaxima);
    std::uniform_int_distribution<int> formato(0, 3);
    std::uniform_int_distribution<std::size_t> separador(0, std::size(kSeparadores) - 1);
    std::bernoulli_distribution comMais(0.2);
    for (std::size_t lote = 0; lote < kLotes; ++lote) {
        std::string texto;
        for (std::size_t i = 0; i < kNumerosPorLote; ++i) {
            double x = std::bit_cast<double>(gerador());
            if (!std::isfinite(x)) continue;
            char numero[512];
            switch (formato(gerador)) {
                case 0:
                    std::snprintf(numero, sizeof numero, "%.17g", x);
                    break;
                case 1:
                    std::snprintf(numero, sizeof numero, "%.*g", precisao(gerador), x);
                    break;
                case 2:
                    std::snprintf(numero, sizeof numero, "%.*E", precisao(gerador), x);
                    break;
                default:
                    if (std::fabs(x) > kMaiorParaFormatoFixo) x = std::ldexp(x, -std::ilogb(x));
                    std::snprintf(numero, sizeof numero, "%.*f", precisao(gerador), x);
                    break;
            }
            if (comMais(gerador) && numero[0] != '-') texto += '+';
            texto += numero;
            texto += kSeparadores[separador(gerador)];
        }
        verificarIgualAoStream(texto, std::string(kNumerosPorLote + 1, 'd'));
        if (testing::Test::HasFailure()) return;
    }
}

// Long digit strings with a decimal point and exponent anywhere, reaching overflow, underflow
// and the from_chars out-of-range fallback, plus ints around the int limits.
TEST(LeitorNumerosTest, AleatorioDigitosLongosEInteirosIgualAoStream) {
    constexpr std::size_t kCasos = 2000;
    constexpr std::size_t kDigitosMaximos = 400;
    constexpr int kExpoenteMaximo = 450;
    constexpr std::int64_t kMargemInteiro = 1000;
    std::mt19937_64 gerador(kSemente);
    std::uniform_int_distribution<std::size_t> quantosDigitos(1, kDigitosMaximos);
    std::uniform_int_distribution<int> digito(0, 9);
    std::uniform_int_distribution<int> expoente(-kExpoenteMaximo, kExpoenteMaximo);
    std::bernoulli_distribution metade(0.5);
    std::geometric_distribution<std::size_t> zerosIniciais(0.1);
    for (std::size_t caso = 0; caso < kCasos; ++caso) {
        std::string texto = metade(gerador) ? "-" : "";
        texto += repetir('0', zerosIniciais(gerador));
        const std::size_t n = quantosDigitos(gerador);
        std::uniform_int_distribution<std::size_t> posicaoPonto(0, n);
        const std::size_t ponto = posicaoPonto(gerador);
        for (std::size_t i = 0; i < n; ++i) {
            if (i == ponto) texto += '.';
            texto += static_cast<char>('0' + digito(gerador));
        }
        if (metade(gerador)) texto.append("e").append(std::to_string(expoente(gerador)));
        verificarIgualAoStream(texto + " 1", "dd");

        constexpr std::int64_t kMinimo = std::numeric_limits<int>::min();
        constexpr std::int64_t kMaximo = std::numeric_limits<int>::max();
        std::uniform_int_distribution<std::int64_t> perto(-kMargemInteiro, kMargemInteiro);
        const std::int64_t inteiro = (metade(gerador) ? kMinimo : kMaximo) + perto(gerador);
        verificarIgualAoStream(std::to_string(inteiro) + " " + std::to_string(-inteiro), "ii");
        if (testing::Test::HasFailure()) return;
    }
}

}  // namespace
