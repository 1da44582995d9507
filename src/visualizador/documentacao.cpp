// Writes the programs' texts that are made from their tables, for the build and the docs:
//   documentacao visualizador.1   the viewer's manual page
//   documentacao gouraud.1        the seed program's manual page
//   documentacao opcoes.md        the docs' table of the viewer's options
//   documentacao teclas.md        the docs' tables of the window's keys and mouse actions
#include <iostream>
#include <string>
#include <string_view>

#include "Documentacao.h"
#include "UsoGouraud.h"

namespace {

using gouraud::detail::UsoGouraud;

std::string manualGouraud() {
    std::string m = ".TH GOURAUD 1 \"\" \"gouraud\" \"User Commands\"\n";
    m += ".SH NAME\ngouraud \\- " + std::string(UsoGouraud::kResumo) + "\n";
    m += ".SH SYNOPSIS\n.B gouraud\n[\\fB\\-\\-help\\fR]\n";
    std::string descricao = UsoGouraud::kDescricao;
    for (char& c : descricao) {
        if (c == '\n') c = ' ';
    }
    std::string escapada;
    for (const char c : descricao) {
        escapada += c == '-' ? std::string("\\-") : std::string(1, c);
    }
    m += ".SH DESCRIPTION\n" + escapada + "\n";
    m += ".SH OPTIONS\n.TP\n.B \\-\\-help\n" + std::string(UsoGouraud::kTextoAjuda) + ".\n";
    m += ".SH EXIT STATUS\n0 after ESC; 1 when the graphics library cannot start, after one line "
         "on standard error naming the step that failed; 2 for any argument but \\-\\-help.\n";
    m += ".SH SEE ALSO\n.BR visualizador (1)\n";
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    using gouraud::detail::Documentacao;
    const std::string_view pedido = argc == 2 ? argv[1] : "";
    if (pedido == "visualizador.1") {
        std::cout << Documentacao::manual();
    } else if (pedido == "gouraud.1") {
        std::cout << manualGouraud();
    } else if (pedido == "opcoes.md") {
        std::cout << Documentacao::opcoesMarkdown();
    } else if (pedido == "teclas.md") {
        std::cout << Documentacao::teclasMarkdown();
    } else {
        std::cerr << "usage: documentacao visualizador.1|gouraud.1|opcoes.md|teclas.md\n";
        return 2;
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}
