#ifndef GOURAUD_SOMBREAMENTO_PLANO_H
#define GOURAUD_SOMBREAMENTO_PLANO_H

#include <cstdint>

#include "Camera.h"
#include "CoresDaMalha.h"
#include "EstagioVertices.h"
#include "FaixaVisivel.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Quadro.h"
#include "Sombreamento.h"

namespace gouraud::detail {

// Flat shading: every pixel a triangle wins gets the triangle's one colour (CorPlana), the
// lighting at its centroid with its own normal, floored to 0..255 and packed into 16 bits. The
// points carry nothing; a clipped triangle's pieces are coloured as the whole. With the mesh's
// own colours (CoresDaMalha) the object colour is the mean ((c1 + c2) + c3) / 3 of the corners'
// colours, times, for a textured triangle, the texture's sample at the mean of the corners'
// coordinates.
class SombreamentoPlano : public Sombreamento {
public:
    // Lights the triangles of `malha` (whose scene's triangle normals it reads), whose points
    // `vertices` keeps in its own order, with `iluminacao`; both must outlive this object.
    // With `cores` (null for none, otherwise outliving this object) the mesh's own colours.
    SombreamentoPlano(const Malha& malha, const EstagioVertices& vertices,
                      const Iluminacao& iluminacao, const CoresDaMalha* cores = nullptr);

    int getQuantAtributos() const override;
    void iniciar(const Camera& camera) override;
    void prepararPontos(int inicio, int fim, const std::uint8_t* marcas) override;
    // There are none: null.
    const double* getAtributos(int ponto) const override;
    void sombrear(const FaixaVisivel& faixa, Quadro& quadro) const override;
    // One path on every processor: nothing to choose.
    void usarAvx2(bool permitir) override;

private:
    // The floored channels of triangle t with corners p1, p2, p3, seen from this frame's
    // camera; `pontos` names its corners' points of the vertex stage for a whole triangle, null
    // for a piece.
    Canais corDoTriangulo(int t, const Ponto& p1, const Ponto& p2, const Ponto& p3,
                          const std::int32_t* pontos) const;

    const Malha& malha;
    const EstagioVertices& vertices;
    Iluminacao iluminacao;
    const CoresDaMalha* cores;
    Camera camera;
    Ponto luz;
};

}  // namespace gouraud::detail

#endif
