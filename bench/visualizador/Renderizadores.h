#ifndef GOURAUD_BENCH_RENDERIZADORES_H
#define GOURAUD_BENCH_RENDERIZADORES_H

#include <string>
#include <vector>

#include "Caso.h"
#include "Relatorio.h"

namespace gouraud::detail {

// The renderers the benchmark times, each on one case for one round: it prints the round's line
// and adds the frames to the report under the row `linha`. A peer's frame is compared with this
// renderer's frame on every core, so medirNosso(..., 0, ...) comes first in every case.

// Starts the peers that need it, once per process: why Allegro cannot be measured, or "". Adds
// to `notas` a line for the summary on each peer's library.
std::string iniciarConcorrentes(std::vector<std::string>& notas);
// This renderer on `threads` threads, 0 for one per core.
void medirNosso(Relatorio& r, const Caso& caso, int threads, const std::string& linha);
// The straightforward reference renderer, on one thread.
void medirReferencia(Relatorio& r, const Caso& caso, const std::string& linha);
// Allegro 4's Gouraud triangles; `erroInicio` is what iniciarConcorrentes said.
void medirAllegro(Relatorio& r, const Caso& caso, const std::string& linha,
                  const std::string& erroInicio);
// Mesa's llvmpipe with LP_NUM_THREADS=threadsLlvmpipe, in a process of its own.
void medirOsmesa(Relatorio& r, const Caso& caso, int threadsLlvmpipe, const std::string& linha);

}  // namespace gouraud::detail

#endif
