#ifndef GOURAUD_DOCUMENTACAO_H
#define GOURAUD_DOCUMENTACAO_H

#include <string>

namespace gouraud::detail {

// The viewer's texts for people, all made from the table of options (TabelaOpcoes) and the
// table of keys (TabelaTeclas), so that they never disagree with what the program does.
class Documentacao {
public:
    // The usage that --help prints and a usage error shows after its reason: the synopsis,
    // what the viewer draws, every option with its default, and the window's keys.
    static std::string uso();
    // The manual page visualizador(1), in the man macros (`man -l visualizador.1` shows it).
    static std::string manual();
    // The docs' list of options, as a Markdown table.
    static std::string opcoesMarkdown();
    // The docs' tables of the window's keys and mouse actions, in Markdown.
    static std::string teclasMarkdown();

    // The keys that change the option `nome` ("--modo") in the window, as the help writes them
    // ("M"); "" for none.
    static std::string teclasDaOpcao(const std::string& nome);
    // `texto` broken at spaces into lines of at most `largura` characters (a longer word stands
    // alone), each after `recuo`; ends with a line break.
    static std::string quebrar(const std::string& texto, int largura, const std::string& recuo);
};

}  // namespace gouraud::detail

#endif
