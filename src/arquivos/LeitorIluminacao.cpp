#include "LeitorIluminacao.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <fstream>
#include <string_view>
#include <system_error>

#include "Arquivo.h"

namespace gouraud::detail {

namespace {

constexpr char kComentario = '#';
constexpr char kFimDeLinha = '\n';
constexpr std::size_t kBlocoDeLeitura = 1 << 16;
// Words quoted in a diagnostic are cut to this many bytes, so that a long run of garbage stays
// one readable line.
constexpr std::size_t kMaiorPalavraMostrada = 32;
constexpr char kSubstitutoNaoImprimivel = '?';
constexpr char kPrimeiroImprimivel = ' ';
constexpr char kUltimoImprimivel = '~';
constexpr double kCanalMaximo = 255.0;
constexpr double kFracaoMaxima = 1.0;
constexpr std::size_t kMaisValores = 4;

constexpr char kArquivoIlegivel[] = "the file could not be read";

// Token separators inside a line; '\n' ends the line itself.
bool ehSeparador(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// What a value accepts.
enum class Faixa { qualquer, naoNegativo, fracao, canal };

struct Valor {
    std::string_view nome;
    Faixa faixa;
};

using Valores = std::array<double, kMaisValores>;

// A setting: its word, the values that follow it, and where they go.
struct Ajuste {
    std::string_view palavra;
    std::size_t quantidade;
    std::array<Valor, kMaisValores> valores;
    void (*aplicar)(Iluminacao&, const Valores&);
};

constexpr std::array<Ajuste, 5> kAjustes = {{
    {"luz",
     3,
     {{{"the x of luz", Faixa::qualquer},
       {"the y of luz", Faixa::qualquer},
       {"the z of luz", Faixa::qualquer}}},
     [](Iluminacao& i, const Valores& v) {
         i.luzNoFoco = false;
         i.luz = Ponto(v[0], v[1], v[2]);
     }},
    {"ambiente",
     4,
     {{{"Ka of ambiente", Faixa::naoNegativo},
       {"the red of ambiente", Faixa::canal},
       {"the green of ambiente", Faixa::canal},
       {"the blue of ambiente", Faixa::canal}}},
     [](Iluminacao& i, const Valores& v) {
         i.ka = v[0];
         i.ia = Vetor(v[1], v[2], v[3]);
     }},
    {"difusa",
     4,
     {{{"Kd of difusa", Faixa::fracao},
       {"the red of difusa", Faixa::fracao},
       {"the green of difusa", Faixa::fracao},
       {"the blue of difusa", Faixa::fracao}}},
     [](Iluminacao& i, const Valores& v) {
         i.kd = v[0];
         i.od = Vetor(v[1], v[2], v[3]);
     }},
    {"especular",
     2,
     {{{"Ks of especular", Faixa::naoNegativo}, {"eta of especular", Faixa::naoNegativo}}},
     [](Iluminacao& i, const Valores& v) {
         i.ks = v[0];
         i.eta = v[1];
     }},
    {"cor_luz",
     3,
     {{{"the red of cor_luz", Faixa::canal},
       {"the green of cor_luz", Faixa::canal},
       {"the blue of cor_luz", Faixa::canal}}},
     [](Iluminacao& i, const Valores& v) { i.il = Vetor(v[0], v[1], v[2]); }},
}};

// Empty when the value is within its range, otherwise what is wrong with it. NaN never gets
// here (the number reader refuses it); -0 compares equal to 0 and is accepted.
std::string_view foraDaFaixa(Faixa faixa, double valor) {
    switch (faixa) {
        case Faixa::qualquer:
            return {};
        case Faixa::naoNegativo:
            return valor >= 0.0 ? std::string_view{} : " must not be negative";
        case Faixa::fracao:
            return valor >= 0.0 && valor <= kFracaoMaxima ? std::string_view{}
                                                          : " must be between 0 and 1";
        case Faixa::canal:
            return valor >= 0.0 && valor <= kCanalMaximo ? std::string_view{}
                                                         : " must be between 0 and 255";
    }
    return {};
}

// The whole token as a finite double: from_chars' general format plus an optional leading '+'.
// Anything left over, infinity, NaN and values out of double's range are refused.
bool lerNumero(std::string_view token, double& valor) {
    if (!token.empty() && token.front() == '+') {
        token.remove_prefix(1);
        if (!token.empty() && token.front() == '-') return false;  // "+-1"
    }
    const char* fim = token.data() + token.size();
    const auto [parou, erro] = std::from_chars(token.data(), fim, valor);
    return erro == std::errc() && parou == fim && std::isfinite(valor);
}

// A word as it may be quoted: printable ASCII kept, any other byte shown as '?', cut after
// kMaiorPalavraMostrada bytes with "...".
std::string mostrar(std::string_view palavra) {
    const bool cortada = palavra.size() > kMaiorPalavraMostrada;
    std::string texto(palavra.substr(0, kMaiorPalavraMostrada));
    for (char& c : texto) {
        if (c < kPrimeiroImprimivel || c > kUltimoImprimivel) c = kSubstitutoNaoImprimivel;
    }
    if (cortada) texto += "...";
    return texto;
}

// Splits the content of one line (comment already removed) into tokens, keeping the 0-based
// byte offset of each.
class Tokens {
public:
    explicit Tokens(std::string_view conteudo) : conteudo(conteudo) {}

    bool proximo(std::string_view& token, std::size_t& inicio) {
        while (posicao < conteudo.size() && ehSeparador(conteudo[posicao])) ++posicao;
        if (posicao == conteudo.size()) return false;
        inicio = posicao;
        while (posicao < conteudo.size() && !ehSeparador(conteudo[posicao])) ++posicao;
        token = conteudo.substr(inicio, posicao - inicio);
        return true;
    }

    // The offset just past the last token: where a missing token would have started.
    std::size_t fimDoConteudo() const {
        std::size_t fim = conteudo.size();
        while (fim > 0 && ehSeparador(conteudo[fim - 1])) --fim;
        return fim;
    }

private:
    std::string_view conteudo;
    std::size_t posicao = 0;
};

// Reads the settings of a whole text into `iluminacao`, stopping at the first problem. Returns
// an empty string when every line was understood, otherwise the diagnostic.
class Interpretador {
public:
    explicit Interpretador(Iluminacao& iluminacao) : iluminacao(iluminacao) {}

    std::string interpretar(std::string_view texto) {
        std::size_t inicio = 0;
        while (diagnostico.empty() && inicio <= texto.size()) {
            ++numeroLinha;
            std::size_t fim = texto.find(kFimDeLinha, inicio);
            if (fim == std::string_view::npos) fim = texto.size();
            const std::string_view linha = texto.substr(inicio, fim - inicio);
            interpretarLinha(linha.substr(0, linha.find(kComentario)));
            inicio = fim + 1;
        }
        return diagnostico;
    }

private:
    void interpretarLinha(std::string_view conteudo) {
        Tokens tokens(conteudo);
        std::string_view palavra;
        std::size_t coluna = 0;
        if (!tokens.proximo(palavra, coluna)) return;  // blank or comment only

        std::size_t indice = 0;
        while (indice < kAjustes.size() && kAjustes[indice].palavra != palavra) ++indice;
        if (indice == kAjustes.size()) {
            recusar(coluna, "unknown setting \"" + mostrar(palavra) + "\"");
            return;
        }
        const Ajuste& ajuste = kAjustes[indice];
        if (linhaDoAjuste[indice] != 0) {
            recusar(coluna, std::string(ajuste.palavra) + " is set again (first on line " +
                                std::to_string(linhaDoAjuste[indice]) + ")");
            return;
        }
        linhaDoAjuste[indice] = numeroLinha;

        Valores valores{};
        for (std::size_t i = 0; i < ajuste.quantidade; ++i) {
            const Valor& valor = ajuste.valores[i];
            std::string_view token;
            if (!tokens.proximo(token, coluna)) {
                recusar(tokens.fimDoConteudo(),
                        "missing a number (" + std::string(valor.nome) + ")");
                return;
            }
            if (!lerNumero(token, valores[i])) {
                recusar(coluna, "expected a number (" + std::string(valor.nome) + ")");
                return;
            }
            const std::string_view problema = foraDaFaixa(valor.faixa, valores[i]);
            if (!problema.empty()) {
                recusar(coluna, std::string(valor.nome) + std::string(problema));
                return;
            }
        }
        std::string_view sobra;
        if (tokens.proximo(sobra, coluna)) {
            recusar(coluna, "unexpected \"" + mostrar(sobra) + "\" after the settings of " +
                                std::string(ajuste.palavra));
            return;
        }
        ajuste.aplicar(iluminacao, valores);
    }

    // Records the problem at the 0-based byte offset `coluna` of the current line.
    void recusar(std::size_t coluna, const std::string& oQue) {
        diagnostico = "line " + std::to_string(numeroLinha) + ", column " +
                      std::to_string(coluna + 1) + ": " + oQue;
    }

    Iluminacao& iluminacao;
    std::string diagnostico;
    std::size_t numeroLinha = 0;
    // The line each setting was first seen on; 0 while not seen.
    std::array<std::size_t, kAjustes.size()> linhaDoAjuste{};
};

// The whole stream as bytes; false when it could not be read to the end (a read error, or an
// exception from the stream or from memory allocation).
bool lerTudo(std::istream& entrada, std::string& texto) {
    try {
        std::string bloco(kBlocoDeLeitura, '\0');
        do {
            entrada.read(bloco.data(), static_cast<std::streamsize>(bloco.size()));
            texto.append(bloco.data(), static_cast<std::size_t>(entrada.gcount()));
        } while (entrada);
        return !entrada.bad();
    } catch (...) {
        return false;
    }
}

}  // namespace

LeitorIluminacao::LeitorIluminacao(std::istream& entrada) {
    std::string texto;
    if (!entrada.good() || !lerTudo(entrada, texto)) {
        diagnostico = kArquivoIlegivel;
        return;
    }
    // Settings go to a copy, so that a refused file leaves nothing half-applied.
    Iluminacao lida;
    diagnostico = Interpretador(lida).interpretar(texto);
    if (diagnostico.empty()) iluminacao = lida;
}

bool LeitorIluminacao::valido() const { return diagnostico.empty(); }

const std::string& LeitorIluminacao::getDiagnostico() const { return diagnostico; }

const Iluminacao& LeitorIluminacao::getIluminacao() const { return iluminacao; }

std::string LeitorIluminacao::lerArquivo(const std::string& nome, Iluminacao& iluminacao) {
    std::ifstream arquivo;
    const std::string erro = Arquivo::abrir(nome, arquivo);
    if (!erro.empty()) {
        return "cannot open the lighting file " + nome + ": " + erro;
    }
    const LeitorIluminacao leitor(arquivo);
    if (!leitor.valido()) {
        return nome + ": " + leitor.getDiagnostico();
    }
    iluminacao = leitor.getIluminacao();
    return "";
}

}  // namespace gouraud::detail
