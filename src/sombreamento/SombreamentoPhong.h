#ifndef GOURAUD_SOMBREAMENTO_PHONG_H
#define GOURAUD_SOMBREAMENTO_PHONG_H

#include <cstdint>
#include <vector>

#include "Camera.h"
#include "CoresDaMalha.h"
#include "EstagioVertices.h"
#include "FaixaVisivel.h"
#include "Iluminacao.h"
#include "Quadro.h"
#include "Sombreamento.h"

namespace gouraud::detail {

// Phong shading: the lighting formula at every pixel (CorPhong).
//   Points: the world position and the unit point normal (zero without one) of each point some
//   triangle that may draw names; those are the attributes the clipping interpolates.
//   Pixels: position and normal interpolated from the winner's corners with the weights
//   q1 = b1 iz1, q2 = b2 iz2 and s = 1/iz, the normal made unit length and turned towards the
//   camera, then lit; each channel floored to 0..255 and packed into 16 bits.
//   With the mesh's own colours (CoresDaMalha) a point also carries its colour before the
//   texture c and its texture coordinates (u, v), interpolated alike, and the object colour at
//   the pixel is c, times the texture's sample at (u, v) for a textured triangle.
class SombreamentoPhong : public Sombreamento {
public:
    // Lights the pixels of the triangles of `vertices` (which must outlive this object) with
    // `iluminacao`.
    // With `cores` (null for none, otherwise outliving this object) the mesh's own colours.
    SombreamentoPhong(const EstagioVertices& vertices, const Iluminacao& iluminacao,
                      const CoresDaMalha* cores = nullptr);

    int getQuantAtributos() const override;
    void iniciar(const Camera& camera) override;
    void prepararPontos(int inicio, int fim, const std::uint8_t* marcas) override;
    const double* getAtributos(int ponto) const override;
    void sombrear(const FaixaVisivel& faixa, Quadro& quadro) const override;
    // One path on every processor: nothing to choose.
    void usarAvx2(bool permitir) override;

private:
    const EstagioVertices& vertices;
    Iluminacao iluminacao;
    Camera camera;
    Ponto luz;
    const CoresDaMalha* cores;
    int quantAtributos;
    std::vector<double> atributos;
};

}  // namespace gouraud::detail

#endif
