#ifndef GOURAUD_BENCH_RESUMO_H
#define GOURAUD_BENCH_RESUMO_H

#include <string>
#include <vector>

#include "Maquina.h"
#include "PrimeiraImagem.h"
#include "Relatorio.h"

namespace gouraud::detail {

// The summary the benchmark ends with, in markdown: the machine and its load, a table with one
// row per case (each renderer's median, the ratios to this renderer and the case's goal), the
// time to the first picture and the notes on the peers.
struct Resumo {
    // The names of the renderers' rows in the report, for the table's columns.
    struct Linhas {
        std::string nossa;
        std::string nossa1;
        std::string referencia;
        std::string allegro;
        std::string llvmpipe1;
        std::string llvmpipe2;
    };

    // The summary of `r`, from its first word ("medians of ...") to its last line; the load and
    // processor use at the start are compared with now.
    static std::string texto(const Relatorio& r, const Linhas& l, const PrimeiraImagem& p,
                             const std::vector<std::string>& notas, const std::string& cargaInicial,
                             const Maquina::UsoCpu& usoInicial);
    // Prints the summary, headed "Summary (markdown): ", and gives back its text.
    static std::string imprimir(const Relatorio& r, const Linhas& l, const PrimeiraImagem& p,
                                const std::vector<std::string>& notas,
                                const std::string& cargaInicial, const Maquina::UsoCpu& usoInicial);
};

}  // namespace gouraud::detail

#endif
