#ifndef GOURAUD_SOMBREAMENTO_GOURAUD_H
#define GOURAUD_SOMBREAMENTO_GOURAUD_H

#include <cstdint>
#include <memory>

#include "CoresDaMalha.h"
#include "EstagioVertices.h"
#include "FaixaVisivel.h"
#include "Iluminacao.h"
#include "Quadro.h"
#include "Sombreamento.h"
#include "VerticeTela.h"

namespace gouraud::detail {

// Gouraud shading: the lighting formula at the points, colours interpolated on the screen.
//   Points: the lit colour (r, g, b) of each point some triangle that may draw names, four points
//   at a time in AVX2 lanes where the processor has it, two at a time in SSE2 lanes (Par)
//   elsewhere, with the same bits as one at a time; those are the attributes the clipping
//   interpolates.
//   Pixels: c0 + (q1 (c1 - c0) + q2 (c2 - c0)) / iz per channel, q1 = b1 iz1 and q2 = b2 iz2
//   (perspective-correct), floored to 0..255 and packed into 16 bits; four at a time in AVX2
//   lanes where the processor has it, with the same bits as one at a time.
class SombreamentoGouraud : public Sombreamento {
public:
    static constexpr int kQuantAtributos = 3;

    // Lights the points of `vertices` (which must outlive this object) with `iluminacao`: each
    // with the settings' object colour, or with its own from `cores` when given (which must
    // then outlive this object).
    SombreamentoGouraud(const EstagioVertices& vertices, const Iluminacao& iluminacao,
                        const CoresDaMalha* cores = nullptr);

    int getQuantAtributos() const override;
    void iniciar(const Camera& camera) override;
    void prepararPontos(int inicio, int fim, const std::uint8_t* marcas) override;
    const double* getAtributos(int ponto) const override;
    void sombrear(const FaixaVisivel& faixa, Quadro& quadro) const override;
    void usarAvx2(bool permitir) override;

    // Colours the pixels of `faixa` from the winners' corners: for a whole triangle the screen
    // corners `vertices` and the colours `cores` (three per point) of its points, for a piece
    // its own corners. Either list may be null when no whole triangle won. With `avx2` (only
    // where Iluminacao::quatroDisponivel()) four pixels at a time in AVX2 lanes, the same bits.
    static void sombrearFaixa(const FaixaVisivel& faixa, const VerticeTela* vertices,
                              const double* cores, Quadro& quadro, bool avx2 = false);

private:
    const EstagioVertices& vertices;
    Iluminacao iluminacao;
    Camera camera;
    // Three channels a point, written only for the points a frame marks and read only for
    // those: left unset until then, so that memory no frame touches (points always culled or
    // never under a pixel) is never committed.
    std::unique_ptr<double[]> cores;
    // Each point's object colour (three doubles a point), or null for the settings' one.
    const double* corObjeto = nullptr;
    bool quatro = false;
};

}  // namespace gouraud::detail

#endif
