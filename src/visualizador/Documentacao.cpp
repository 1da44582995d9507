#include "Documentacao.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "TabelaOpcoes.h"
#include "TabelaTeclas.h"

namespace gouraud::detail {

namespace {

constexpr int kLarguraTexto = 80;
constexpr char kPrograma[] = "visualizador";
constexpr char kArquivo[] = "ARQUIVO";
constexpr char kResumo[] = "draw a shaded picture of a scene or mesh file";
constexpr char kDescricao[] =
    "Draws a shaded picture of ARQUIVO (default: triangulo.txt in the current folder): a scene "
    "file (.txt, or no extension) or a mesh file (OBJ, PLY, STL, OFF, glTF, 3DS, Collada and the "
    "other formats of the Open Asset Import Library), which is framed by a default camera. "
    "Without --imagem, --medir or --salvar-cena it opens a window where the model can be turned, "
    "moved and zoomed with the mouse and the keys.";
constexpr char kSaidas[] =
    "0 when the picture, the times or the scene were written, or the window was closed; 1 when a "
    "file cannot be read or written or the window cannot open, after one line on standard error "
    "saying why; 2 for a usage error, after one line saying why and the usage.";

std::string texto(std::string_view v) { return std::string(v); }

// "--cima EIXO", "--medir [N]", "--arestas": the option as the usage writes it.
std::string forma(const Opcao& opcao) {
    std::string f = texto(opcao.nome);
    switch (opcao.valor) {
        case Opcao::Valor::nenhum:
            break;
        case Opcao::Valor::obrigatorio:
            f += " " + texto(opcao.argumento);
            break;
        case Opcao::Valor::opcional:
            f += " [" + texto(opcao.argumento) + "]";
            break;
    }
    return f;
}

// The option's paragraph with its default.
std::string ajudaCompleta(const Opcao& opcao) {
    std::string a = texto(opcao.ajuda);
    if (!opcao.padrao.empty()) {
        a += " (default " + texto(opcao.padrao) + ")";
    }
    return a;
}

// The option's full description, with its default.
std::string descricaoCompleta(const Opcao& opcao) {
    std::string d = texto(opcao.descricao);
    if (!opcao.padrao.empty()) {
        d += " Default: " + texto(opcao.padrao) + ".";
    }
    return d;
}

// Lines of "label   text", the texts in one column after the longest label.
std::string colunas(const std::vector<std::pair<std::string, std::string>>& linhas) {
    std::size_t rotulo = 0;
    for (const auto& [r, t] : linhas) rotulo = std::max(rotulo, r.size());
    const std::size_t coluna = 2 + rotulo + 2;
    std::string saida;
    for (const auto& [r, t] : linhas) {
        const std::string inicio = "  " + r + std::string(coluna - 2 - r.size(), ' ');
        std::string corpo =
            Documentacao::quebrar(t, kLarguraTexto - static_cast<int>(coluna), std::string(coluna, ' '));
        saida += inicio + corpo.substr(coluna);
    }
    return saida;
}

// Text set in the man macros: backslashes and hyphens escaped, and no line starting with a
// control character.
std::string roff(std::string_view s) {
    std::string r;
    for (const char c : s) {
        if (c == '\\') {
            r += "\\e";
        } else if (c == '-') {
            r += "\\-";
        } else {
            r += c;
        }
    }
    if (!r.empty() && (r[0] == '.' || r[0] == '\'')) {
        r.insert(0, "\\&");
    }
    return r;
}

// Text for a Markdown table cell.
std::string celula(std::string_view s) {
    std::string r;
    for (const char c : s) {
        if (c == '|') {
            r += "\\|";
        } else {
            r += c;
        }
    }
    return r;
}

}  // namespace

std::string Documentacao::quebrar(const std::string& texto, int largura, const std::string& recuo) {
    std::istringstream palavras(texto);
    std::string saida;
    std::string linha;
    std::string palavra;
    while (palavras >> palavra) {
        if (!linha.empty() &&
            static_cast<int>(linha.size() + 1 + palavra.size()) > largura) {
            saida += recuo + linha + "\n";
            linha.clear();
        }
        linha += (linha.empty() ? "" : " ") + palavra;
    }
    if (!linha.empty()) {
        saida += recuo + linha + "\n";
    }
    return saida;
}

std::string Documentacao::teclasDaOpcao(const std::string& nome) {
    std::string teclas;
    for (const EntradaTeclas& entrada : tabelaTeclas()) {
        if (entrada.opcao == nome) {
            teclas += (teclas.empty() ? "" : ", ") + texto(entrada.rotulo);
        }
    }
    return teclas;
}

std::string Documentacao::uso() {
    // The synopsis: "usage: visualizador [ARQUIVO] [--cima EIXO] ...", continued under its
    // first bracket.
    const std::string inicio = std::string("usage: ") + kPrograma + " ";
    std::vector<std::string> itens{"[" + std::string(kArquivo) + "]"};
    for (const Opcao& opcao : tabelaOpcoes()) {
        itens.push_back("[" + forma(opcao) + "]");
    }
    std::string saida = inicio;
    std::size_t coluna = inicio.size();
    for (std::size_t i = 0; i < itens.size(); ++i) {
        if (i > 0 && coluna + 1 + itens[i].size() > kLarguraTexto) {
            saida += "\n" + std::string(inicio.size(), ' ');
            coluna = inicio.size();
        } else if (i > 0) {
            saida += ' ';
            ++coluna;
        }
        saida += itens[i];
        coluna += itens[i].size();
    }
    saida += "\n";

    saida += "\n" + quebrar(kDescricao, kLarguraTexto, "") + "\n";
    std::vector<std::pair<std::string, std::string>> opcoes;
    for (const Opcao& opcao : tabelaOpcoes()) {
        const std::string nome = forma(opcao) + (opcao.curto.empty() ? "" : ", " + texto(opcao.curto));
        opcoes.emplace_back(nome, ajudaCompleta(opcao));
    }
    saida += colunas(opcoes);
    saida += "\nIn the window:\n";
    std::vector<std::pair<std::string, std::string>> teclas;
    for (const EntradaTeclas& entrada : tabelaTeclas()) {
        teclas.emplace_back(texto(entrada.rotulo), texto(entrada.resumo));
    }
    for (const AcaoRato& acao : tabelaRato()) {
        teclas.emplace_back(texto(acao.rotulo), texto(acao.resumo));
    }
    saida += colunas(teclas);
    return saida;
}

std::string Documentacao::manual() {
    std::string m = ".TH VISUALIZADOR 1 \"\" \"gouraud\" \"User Commands\"\n";
    m += ".SH NAME\n" + std::string(kPrograma) + " \\- " + roff(kResumo) + "\n";
    m += ".SH SYNOPSIS\n.B " + std::string(kPrograma) + "\n[\\fI" + kArquivo + "\\fR]\n";
    for (const Opcao& opcao : tabelaOpcoes()) {
        m += "[\\fB" + roff(opcao.nome) + "\\fR";
        if (opcao.valor == Opcao::Valor::obrigatorio) {
            m += " \\fI" + roff(opcao.argumento) + "\\fR";
        } else if (opcao.valor == Opcao::Valor::opcional) {
            m += " [\\fI" + roff(opcao.argumento) + "\\fR]";
        }
        m += "]\n";
    }
    m += ".SH DESCRIPTION\n" + roff(kDescricao) + "\n";
    m += ".SH OPTIONS\n";
    for (const Opcao& opcao : tabelaOpcoes()) {
        m += ".TP\n\\fB" + roff(opcao.nome) + "\\fR";
        if (!opcao.curto.empty()) {
            m += ", \\fB" + roff(opcao.curto) + "\\fR";
        }
        if (opcao.valor == Opcao::Valor::obrigatorio) {
            m += " \\fI" + roff(opcao.argumento) + "\\fR";
        } else if (opcao.valor == Opcao::Valor::opcional) {
            m += " [\\fI" + roff(opcao.argumento) + "\\fR]";
        }
        m += "\n" + roff(descricaoCompleta(opcao));
        const std::string teclas = teclasDaOpcao(texto(opcao.nome));
        if (!teclas.empty()) {
            m += " In the window: " + roff(teclas) + ".";
        }
        m += "\n";
    }
    m += ".SH KEYS\n";
    for (const EntradaTeclas& entrada : tabelaTeclas()) {
        m += ".TP\n.B " + roff(entrada.rotulo) + "\n" + roff(entrada.descricao) + ".\n";
    }
    m += ".SH MOUSE\n";
    for (const AcaoRato& acao : tabelaRato()) {
        m += ".TP\n.B " + roff(acao.rotulo) + "\n" + roff(acao.descricao) + ".\n";
    }
    m += ".SH EXIT STATUS\n" + roff(kSaidas) + "\n";
    m += ".SH SEE ALSO\n.BR gouraud (1)\n";
    return m;
}

std::string Documentacao::opcoesMarkdown() {
    // The synopsis as --help writes it, then one item per option.
    std::string md = "```\n" + uso().substr(0, uso().find("\n\n") + 1) + "```\n\n";
    for (const Opcao& opcao : tabelaOpcoes()) {
        std::string item = "- `" + forma(opcao) + "`";
        if (!opcao.curto.empty()) {
            item += ", `" + texto(opcao.curto) + "`";
        }
        item += ": " + descricaoCompleta(opcao);
        if (!opcao.campo.empty()) {
            item += " Library: `" + texto(opcao.campo) + "`.";
        }
        const std::string teclas = teclasDaOpcao(texto(opcao.nome));
        if (!teclas.empty()) {
            item += " Window: " + teclas + ".";
        }
        const std::string quebrado = quebrar(item, 98, "  ");
        md += quebrado.substr(2);
    }
    return md;
}

std::string Documentacao::teclasMarkdown() {
    std::string md = "| key | what it does |\n|---|---|\n";
    for (const EntradaTeclas& entrada : tabelaTeclas()) {
        md += "| " + celula(entrada.rotulo) + " | " + celula(entrada.descricao) + " |\n";
    }
    md += "\n| mouse | what it does |\n|---|---|\n";
    for (const AcaoRato& acao : tabelaRato()) {
        md += "| " + celula(acao.rotulo) + " | " + celula(acao.descricao) + " |\n";
    }
    return md;
}

}  // namespace gouraud::detail
