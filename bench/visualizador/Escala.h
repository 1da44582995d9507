#ifndef GOURAUD_BENCH_ESCALA_H
#define GOURAUD_BENCH_ESCALA_H

#include <cstdint>
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
    // The goals for the largest file against the first (the 940k-triangle stand-in and the same
    // subdivided twice more): a frame at most this many times the first's, opened and drawn
    // into a PNG within this many milliseconds, at most this much memory.
    static constexpr double kMetaRazaoQuadro = 2.5;
    static constexpr double kMetaAbrirMs = 2500.0;
    static constexpr double kMetaMemoriaMb = 1.6e9 / (1024.0 * 1024.0);

    std::string arquivo;
    std::int64_t triangulos = -1;  // the faces a PLY file's header declares, -1 when unknown
    std::optional<Tempos> abrirEGravar;
    double memoriaMb = 0.0;   // the largest peak resident memory of the runs, in MiB
    std::string quadro;       // --medir's median line, as printed
    std::string aglomerados;  // --medir's line of clusters, or ""
    std::string observacao;   // why it was not measured

    // Measures `arquivo` with the viewer the configuration names.
    static Escala medir(const Configuracao& c, const std::string& arquivo);
    // The median of --medir's line in ms, or a NaN when there is none.
    double medianaQuadro() const;
    // Prints the result as a row of a markdown table with the columns of cabecalho(), its frame
    // against the frame of `primeira` (null or itself for none), and gives back the row printed.
    std::string imprimir(const Escala* primeira) const;
    // The goals of `maior` against `primeira`, as a line, printed and given back.
    static std::string metas(const Escala& primeira, const Escala& maior);
    // Prints the table's head and gives it back.
    static std::string cabecalho();
};

}  // namespace gouraud::detail

#endif
