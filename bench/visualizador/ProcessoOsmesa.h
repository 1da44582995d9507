#ifndef GOURAUD_BENCH_PROCESSO_OSMESA_H
#define GOURAUD_BENCH_PROCESSO_OSMESA_H

#include <string>
#include <vector>

#include "Caso.h"
#include "Quadro.h"

namespace gouraud::detail {

// Mesa's llvmpipe measured on one case. Mesa reads LP_NUM_THREADS once per process, so each
// thread count is measured in a child process of its own that sends its results back through a
// pipe.
struct ResultadoOsmesa {
    std::string erro;          // why nothing was timed, or ""
    std::string renderizador;  // GL_RENDERER and GL_VERSION
    int bitsProfundidade = 0;
    int threads = 0;  // threads of the child process after making the context
    std::vector<double> ms;
    Quadro quadro;  // the last frame

    // One warm-up frame and `quadros` timed ones of `caso` with LP_NUM_THREADS=threadsLlvmpipe,
    // in a child process; an error when Mesa was left out of the build.
    static ResultadoOsmesa executar(const Caso& caso, int quadros, int threadsLlvmpipe);
};

}  // namespace gouraud::detail

#endif
