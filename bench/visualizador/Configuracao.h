#ifndef GOURAUD_BENCH_CONFIGURACAO_H
#define GOURAUD_BENCH_CONFIGURACAO_H

#include <string>
#include <vector>

namespace gouraud::detail {

// What visualizador_bench is asked to measure: its options, with their defaults.
struct Configuracao {
    static constexpr int kQuadrosPadrao = 20;
    static constexpr int kRodadasPadrao = 3;
    static constexpr int kRepeticoesPadrao = 5;
    // The most frames, rounds or runs an option may ask for.
    static constexpr int kLimiteContagem = 100000;

    std::string malhaGrande = GOURAUD_BENCH_MALHA_GRANDE;
    std::string malhaPequena = GOURAUD_BENCH_MALHA_PEQUENA;
    int quadros = kQuadrosPadrao;
    int rodadas = kRodadasPadrao;
    int repeticoes = kRepeticoesPadrao;
    std::string visualizador = GOURAUD_BENCH_VISUALIZADOR;
    std::string imagens;
    std::vector<int> vistas = {1, 2, 3, 4, 5, 6};
    // A point cloud to measure instead of the meshes ("" for none).
    std::string nuvem;
    // Further mesh files whose opening, peak memory and frame are measured (Escala).
    std::vector<std::string> escala;
    // Whether to measure the scale table alone.
    bool somenteEscala = false;
    // Whether to time this renderer alone, without the peers and the first picture: to compare
    // two builds of it.
    bool semPares = false;
    // Where the summary and the scale table are also written as Markdown ("" for nowhere).
    std::string markdown;
};

}  // namespace gouraud::detail

#endif
