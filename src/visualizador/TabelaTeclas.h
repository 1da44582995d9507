#ifndef GOURAUD_TABELA_TECLAS_H
#define GOURAUD_TABELA_TECLAS_H

#include <array>
#include <span>
#include <string_view>

#include "Navegacao.h"

namespace gouraud::detail {

// What a key of the window asks for.
enum class Comando : int {
    mover,
    modo,
    arestas,
    normais,
    cores,
    pontoMenor,
    pontoMaior,
    bits,
    amostras,
    edl,
    recarregar,
    sobreposicao,
    ajuda,
    salvar,
    sair,
};

// A key as the table names it: a letter or digit key by its character, the digits of the numeric
// keypad, the keys without a character of their own, or a character whatever key types it (for
// keys that keyboards put in different places).
struct Tecla {
    enum class Tipo { letra, teclado, especial, caractere };
    enum class Especial { direita, esquerda, acima, abaixo, pgUp, pgDn, mais, menos, f1, f12, esc };

    Tipo tipo = Tipo::letra;
    // The letter ('A' to 'Z'), digit ('0' to '9'), keypad digit or character.
    char caractere = 0;
    // For Tipo::especial, which key; mais and menos are those of the numeric keypad.
    Especial especial = Especial::direita;

    static constexpr Tecla letra(char c) { return Tecla{Tipo::letra, c, {}}; }
    static constexpr Tecla teclado(char c) { return Tecla{Tipo::teclado, c, {}}; }
    static constexpr Tecla de(Especial e) { return Tecla{Tipo::especial, 0, e}; }
    static constexpr Tecla texto(char c) { return Tecla{Tipo::caractere, c, {}}; }
};

// One key and what it does.
struct Atalho {
    Tecla tecla;
    Comando comando = Comando::mover;
    // The camera's move, for Comando::mover.
    Navegacao::Acao acao = Navegacao::Acao::direita;
};

// One line of the window's help: the keys as it writes them, what they do in a few words for the
// help over the picture and in a sentence for the manual and the docs, the option of the command
// line they change ("" for none), and the keys themselves. Every key of the window is in exactly
// one entry; a new key is one more entry here and its case in Janela::executar.
struct EntradaTeclas {
    static constexpr int kMaisAtalhos = 8;

    std::string_view rotulo;
    std::string_view resumo;
    std::string_view descricao;
    std::string_view opcao;
    std::array<Atalho, kMaisAtalhos> atalhos{};
    int quantAtalhos = 0;

    std::span<const Atalho> getAtalhos() const {
        return std::span<const Atalho>(atalhos.data(), static_cast<std::size_t>(quantAtalhos));
    }
};

// One mouse action of the window, for the help and the docs: the action and what it does.
struct AcaoRato {
    std::string_view rotulo;
    std::string_view resumo;
    std::string_view descricao;
};

// The window's keys, in the order the help lists them.
std::span<const EntradaTeclas> tabelaTeclas();
// The mouse's actions, in the order the help lists them.
std::span<const AcaoRato> tabelaRato();

}  // namespace gouraud::detail

#endif
