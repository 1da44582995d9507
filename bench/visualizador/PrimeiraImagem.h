#ifndef GOURAUD_BENCH_PRIMEIRA_IMAGEM_H
#define GOURAUD_BENCH_PRIMEIRA_IMAGEM_H

#include <optional>
#include <string>

#include "Configuracao.h"
#include "Tempos.h"

// Time to the viewer's first picture of the large mesh: `visualizador MESH --imagem OUT.png`
// from its start to its exit, run `repeticoes` times one after the other.
struct PrimeiraImagem {
    std::optional<Tempos> tempos;
    std::string observacao;  // why it was not measured

    // Runs the viewer the configuration names; its standard output (the loader's marker line)
    // goes to /dev/null and the picture into a temporary folder, removed at the end.
    static PrimeiraImagem medir(const Configuracao& c);
};

#endif
