#ifndef GOURAUD_BENCH_ESCALA_H
#define GOURAUD_BENCH_ESCALA_H

#include <optional>
#include <string>

#include "Configuracao.h"
#include "Tempos.h"

namespace gouraud::detail {

// How the viewer grows with the mesh: for one mesh file (made outside the repository, such as
// the bunny subdivided five or six times, written as a binary PLY), on its default view at
// 640 x 480, the time and the peak memory of `visualizador FILE --imagem OUT.png` from its start
// to its exit, run `repeticoes` times one after the other, and the median frame of
// `visualizador FILE --medir N`, with the line of what its last frame did with the clusters.
struct Escala {
    std::string arquivo;
    std::optional<Tempos> abrirEGravar;
    double memoriaMb = 0.0;   // the largest peak resident memory of the runs, in MiB
    std::string quadro;       // --medir's median line, as printed
    std::string aglomerados;  // --medir's line of clusters, or ""
    std::string observacao;   // why it was not measured

    // Measures `arquivo` with the viewer the configuration names.
    static Escala medir(const Configuracao& c, const std::string& arquivo);
    // Prints the result as a row of a markdown table with the columns of cabecalho(), and gives
    // back the row printed.
    std::string imprimir() const;
    // Prints the table's head and gives it back.
    static std::string cabecalho();
};

}  // namespace gouraud::detail

#endif
