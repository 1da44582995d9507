#ifndef GOURAUD_TABELA_OPCOES_H
#define GOURAUD_TABELA_OPCOES_H

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "OpcoesVisualizador.h"
#include "gouraud/Abertura.h"
#include "gouraud/Opcoes.h"

namespace gouraud::detail {

// The viewer's options, each declared once: its name and value as the command line writes them,
// its default, what it does, the field of the library's gouraud::Opcoes it sets, and the checks
// that read it from a command line or from the library. The command line (OpcoesVisualizador),
// the library's options (gouraud::Modelo), --help, the manual page and the docs' list of options
// are all made from this table; the key that changes an option in the window is declared with
// the keys (TabelaTeclas), naming the option.
struct Opcao {
    // How the option takes its value on the command line.
    enum class Valor {
        nenhum,       // a switch: "--arestas"
        obrigatorio,  // "--modo phong" or "--modo=phong"
        opcional,     // "--medir" or "--medir 50"
    };

    // What reading a command line has gathered so far: the settings, and the files named by
    // words that an option with an optional value took but that are not its value.
    struct Leitura {
        OpcoesVisualizador& opcoes;
        std::vector<std::string>& arquivos;
    };

    // "--modo"; a further short name such as "-h" in `curto`.
    std::string_view nome{};
    std::string_view curto{};
    Valor valor = Valor::nenhum;
    // The value as the usage names it ("MODO", "LARGURAxALTURA"); "" for a switch.
    std::string_view argumento{};
    // The default in the words of the command line ("gouraud", "640x480"); "" when the option
    // has none.
    std::string_view padrao{};
    // What the option does in a few words, for --help (plain text; the generators wrap it).
    std::string_view ajuda{};
    // The fields of the library's gouraud::Opcoes (how to draw) or gouraud::Abertura (how to
    // open a file) it sets ("modo", "largura, altura", "limiteTempo"), which are also the Python
    // module's keywords; "" for an option of the programs alone.
    std::string_view campo{};
    // Why the command line is refused when it ends before the value.
    std::string_view falta{};
    // What the option does in full, for the manual page and the docs (plain text).
    std::string_view descricao{};
    // Checks the value as the command line writes it (ignored for a switch) and sets it; "" or
    // the one-line reason the command line is refused.
    std::string (*ler)(const std::string& valor, Leitura& leitura) = nullptr;
    // Sets it from the library's options, checked as the library checks them; "" or the one-line
    // reason. Null for an option without a field of gouraud::Opcoes.
    std::string (*daBiblioteca)(const gouraud::Opcoes& de, OpcoesVisualizador& para) = nullptr;
    // The same from how the library is asked to open a file; null for an option without a field
    // of gouraud::Abertura.
    std::string (*daAbertura)(const gouraud::Abertura& de, OpcoesVisualizador& para) = nullptr;

    // The option named `nome` ("--modo"), or null.
    static const Opcao* procurar(std::string_view nome);
};

// Every option of the viewer, in the order of its usage.
std::span<const Opcao> tabelaOpcoes();

// Sets into `para` what the library's options ask for, through the table's daBiblioteca in its
// order, then checks them together (problemaConjunto); "" or the first reason (`para` is then
// partly set).
[[nodiscard]] std::string opcoesDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para);
// The same for how to open a file, through the table's daAbertura.
[[nodiscard]] std::string opcoesDaAbertura(const gouraud::Abertura& de, OpcoesVisualizador& para);
// Why options that are each fine cannot go together ("" when they can): K samples a pixel whose
// picture would be more than 4096 samples on a side ("aa 3 at 1920x1080 would draw ...").
[[nodiscard]] std::string problemaConjunto(const OpcoesVisualizador& opcoes);

}  // namespace gouraud::detail

#endif
