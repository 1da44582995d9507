#ifndef GOURAUD_OPCOES_VISUALIZADOR_H
#define GOURAUD_OPCOES_VISUALIZADOR_H

#include <optional>
#include <string>

#include "Estilo.h"
#include "Importador.h"
#include "VistaPadrao.h"
#include "gouraud/Opcoes.h"

namespace gouraud::detail {

// What a picture and the viewer's command line ask for, and the reader of that line. Every
// option is one entry of the table in TabelaOpcoes.cpp, which reads it from the command line or
// from the library's gouraud::Opcoes into these fields.
struct OpcoesVisualizador {
    static constexpr int kQuadrosMedidosPadrao = 20;
    static constexpr int kMaisQuadrosMedidos = 100000;
    // The sides a window and a picture may have, in pixels.
    static constexpr int kMenorLado = 16;
    static constexpr int kMaiorLado = 4096;
    // The most threads --threads may ask for.
    static constexpr int kMaisThreads = 256;
    static constexpr int kLarguraPadrao = 640;
    static constexpr int kAlturaPadrao = 480;

    std::string cena = "triangulo.txt";
    std::optional<std::string> iluminacao;
    std::optional<std::string> imagem;
    std::optional<int> quadrosMedidos;
    std::optional<std::string> salvarCena;
    VistaPadrao::Cima cima = VistaPadrao::Cima::maisY;
    std::optional<VistaPadrao::Lado> vista;
    // A pinhole camera instead of a view (--olhar).
    std::optional<gouraud::Olhar> olhar;
    // The buffers drawn beside the colours (--buffers), written beside the picture.
    gouraud::Buffers buffers;
    int largura = kLarguraPadrao;
    int altura = kAlturaPadrao;
    Estilo estilo;
    // How the import library reads mesh files: --limite-memoria, --limite-tempo and
    // --sem-isolamento.
    Isolamento isolamento;
    // The threads that draw, the caller's included; 0 for one per core (--threads).
    int threads = 0;
    bool ajuda = false;

    struct Leitura;

    // Reads the arguments argv[1] .. argv[argc - 1]; argv[0] is the program's name. Options may
    // come in any order, a later one of the same name wins, and after "--" every word is a file.
    static Leitura ler(int argc, const char* const* argv);
};

// The options a command line asks for, or, when it is not understood, why: one line such as
// "unknown mode sombra", without the program's name.
struct OpcoesVisualizador::Leitura {
    std::optional<OpcoesVisualizador> opcoes;
    std::string motivo;
};

}  // namespace gouraud::detail

#endif
