#ifndef GOURAUD_BENCH_PRIMEIRA_IMAGEM_H
#define GOURAUD_BENCH_PRIMEIRA_IMAGEM_H

#include <optional>
#include <string>

#include "Configuracao.h"
#include "Tempos.h"

namespace gouraud::detail {

// Time to the viewer's first picture of a file (the large mesh unless another is given):
// `visualizador FILE --imagem OUT.png` from its start to its exit, run `repeticoes` times one
// after the other, and the most memory a run held.
struct PrimeiraImagem {
    std::optional<Tempos> tempos;
    double memoriaMb = 0;    // the largest resident set of a run, in MiB
    std::string observacao;  // why it was not measured

    // Runs the viewer the configuration names on `arquivo` (the large mesh when empty); its
    // standard output (the loader's marker line) goes to /dev/null and the picture into a
    // temporary folder, removed at the end.
    static PrimeiraImagem medir(const Configuracao& c, const std::string& arquivo = "");
};

}  // namespace gouraud::detail

#endif
