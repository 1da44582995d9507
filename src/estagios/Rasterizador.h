#ifndef GOURAUD_RASTERIZADOR_H
#define GOURAUD_RASTERIZADOR_H

#include <cstdint>
#include <vector>

#include "Camera.h"
#include "Classificacao.h"
#include "EstagioVertices.h"
#include "FaixaVisivel.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Sombreamento.h"
#include "VerticeTela.h"

namespace gouraud::detail {

// Rasterising, the last stage: drawing one band of rows of the frame, in two passes.
//   In:  the band's list from the binning, in file order, the vertex stage's corners, and the
//        shading mode.
//   Out: the band's rows of the frame cleared, then
//        1. visibility: each triangle's covered pixels (Cobertura) depth-tested (TesteProfundidade)
//           into a FaixaVisivel, a triangle with a corner to clip clipped first (Recorte) into
//           the pieces of its polygon's fan;
//        2. shading: the mode colours each pixel once, from its winner (Sombreamento);
//        with the model's points and lines (Extras) in their places: the points after the
//        triangles' visibility, the lines after the shading, then what the mode draws over it
//        all (Sombreamento::sobrepor: the edges).
// Each band is drawn by one thread, its triangles in file order, so every pixel's winner is the
// same whatever the number of threads.
class Rasterizador {
public:
    // What a band draws besides its triangles, each part on the band's rows only.
    class Extras {
    public:
        virtual ~Extras() = default;
        // After the triangles' visibility pass, before the shading: may take pixels from the
        // triangles (their winners in `visivel`) and write depths and colours.
        virtual void aposVisibilidade(FaixaVisivel& visivel, Quadro& quadro) const = 0;
        // After the shading, before what the mode draws over the band.
        virtual void aposSombreamento(const FaixaVisivel& visivel, Quadro& quadro) const = 0;
    };

    // Draws from the stages given, which must outlive this object.
    Rasterizador(const Malha& malha, const EstagioVertices& vertices,
                 const Classificacao& classificacao);

    // Clears band `faixa` of `quadro` and draws its triangles seen from `camera` through
    // `projecao`, the view and frame the two earlier stages ran for, shaded by `sombreamento`,
    // with `extras` (null for none); `visivel` is the calling thread's scratch space and `pecas`
    // the band's list of pieces.
    void desenharFaixa(int faixa, const Camera& camera, const Projecao& projecao,
                       const Sombreamento& sombreamento, FaixaVisivel& visivel,
                       std::vector<FaixaVisivel::Peca>& pecas, Quadro& quadro,
                       const Extras* extras = nullptr) const;

    // desenharFaixa in steps, for a frame drawn in several passes over its bands:
    // Clears band `faixa` of `quadro` (unless `limpar` is false: a later pass over what an
    // earlier one drew) and starts `visivel` on it with no winner, winner n being the binning's
    // entry inicio + n and the pieces going to `pecas`.
    void iniciarFaixa(int faixa, std::int64_t inicio, FaixaVisivel& visivel,
                      std::vector<FaixaVisivel::Peca>& pecas, Quadro& quadro,
                      bool limpar = true) const;
    // The visibility pass, over the band `visivel` was started on from entry `inicio`, of the
    // binning's entries [inicio, fim), seen from `camera` through `projecao` and clipped with
    // the attributes of `sombreamento`; then sombreamento.sombrear(visivel, quadro) shades it.
    void visibilidadeFaixa(std::int64_t inicio, std::int64_t fim, const Camera& camera,
                           const Projecao& projecao, const Sombreamento& sombreamento,
                           FaixaVisivel& visivel, Quadro& quadro) const;

    // Draws triangles of up to Varredura::kMaiorExtensao a side with Varredura where the
    // processor has AVX2 and `permitir` holds; the same bits either way. Allowed from the start.
    void usarAvx2(bool permitir);

    // The visibility pass for the triangle (a, b, c) as winner `vencedor`: the pixels of
    // `visivel`'s rows whose centre it covers and where its 1/cn is greater than `quadro`'s
    // depth. Corners less than Cobertura::kMaiorCoordenada pixels from the origin on both axes.
    // With `avx2` (only where Varredura::disponivel()) its runs are tested four pixels at a time.
    static void visibilidade(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c,
                             std::int32_t vencedor, FaixaVisivel& visivel, Quadro& quadro,
                             bool avx2 = false);

private:
    const Malha& malha;
    const EstagioVertices& vertices;
    const Classificacao& classificacao;
    bool avx2 = false;
};

}  // namespace gouraud::detail

#endif
