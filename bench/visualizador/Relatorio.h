#ifndef GOURAUD_BENCH_RELATORIO_H
#define GOURAUD_BENCH_RELATORIO_H

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Caso.h"
#include "Configuracao.h"
#include "Quadro.h"
#include "Tempos.h"

namespace gouraud::detail {

// One renderer on one case: its frames' times, when it could be measured.
struct Medida {
    std::optional<Tempos> tempos;
    // Why it was not measured, or what to know about the frames it drew, one line each.
    std::vector<std::string> notas;
};

// The results of every renderer on every case, over the rounds, and what prints them: a line per
// renderer as each round measures it, then all the rounds together.
struct Relatorio {
    // Width of the renderers' names in the printed lines.
    static constexpr int kColunaNome = 52;

    const Configuracao& configuracao;
    Quadro nosso;  // this renderer's frame, to compare the others with
    std::map<std::string, std::map<std::string, Medida>> porCaso;  // case label -> row -> measure
    std::vector<std::string> linhas;                               // renderer order
    std::vector<const Caso*> casos;                                // case order
    bool ultimaRodada = false;  // pictures are written in the last round only

    // Adds a round's frames to the renderer's earlier ones; the notes are the latest round's.
    void anotar(const Caso& caso, const std::string& linha, Medida medida);
    // One round's result, one line.
    void imprimir(const std::string& nome, const Medida& m) const;
    // Every round's frames together, with the notes.
    void imprimirTudo() const;
    // Writes the frame of renderer `quem` on `caso` as a PNG file into the pictures' folder, when
    // one was given and this is the last round.
    void gravar(const Caso& caso, const std::string& quem, const Quadro& quadro) const;
    // The times of the renderer `linha` on `caso` over all the rounds, when it was measured.
    std::optional<Tempos> temposDe(const Caso& caso, const std::string& linha) const;
};

}  // namespace gouraud::detail

#endif
