#ifndef GOURAUD_SOMBREAMENTO_GOURAUD_TEXTURA_H
#define GOURAUD_SOMBREAMENTO_GOURAUD_TEXTURA_H

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

// Gouraud shading of a mesh some of whose triangles are textured, where the object colour is
// known only at the pixel.
//   Points: a point of an untextured triangle gets its lit colour (r, g, b) with its own object
//   colour, as SombreamentoGouraud gives it; a point of a textured one the formula's two parts
//   E and D (Iluminacao::partesDoVertice), its colour before the texture c and its texture
//   coordinates (u, v). Those are the attributes the clipping interpolates: E or the lit
//   colour, D, c, u and v.
//   Pixels: for an untextured winner the lit colour interpolated as SombreamentoGouraud does;
//   for a textured one E, D, c, u and v interpolated alike (va + (q1 (vb - va) + q2 (vc - va)) s),
//   Od = c times the texture's sample at (u, v), and each channel E + Od.D; floored to 0..255
//   and packed into 16 bits.
class SombreamentoGouraudTextura : public Sombreamento {
public:
    // Attributes a point carries: lit colour or E (3), D (3), c (3), u and v.
    static constexpr int kQuantAtributos = 11;

    // Lights the points of `vertices` with `iluminacao` and the colours `cores` (both of which
    // must outlive this object).
    SombreamentoGouraudTextura(const EstagioVertices& vertices, const Iluminacao& iluminacao,
                               const CoresDaMalha& cores);

    int getQuantAtributos() const override;
    void iniciar(const Camera& camera) override;
    void prepararPontos(int inicio, int fim, const std::uint8_t* marcas) override;
    const double* getAtributos(int ponto) const override;
    void sombrear(const FaixaVisivel& faixa, Quadro& quadro) const override;
    // Lights four points at a time in AVX2 lanes where the processor has it and `permitir`
    // holds; the same bits either way.
    void usarAvx2(bool permitir) override;

private:
    // Stores textured point `ponto`'s parts e and d (three channels each) beside its colour and
    // texture coordinates.
    void guardar(int ponto, const double* e, const double* d);

    const EstagioVertices& vertices;
    Iluminacao iluminacao;
    const CoresDaMalha& cores;
    Camera camera;
    Ponto luz;
    std::vector<double> atributos;
    bool quatro = false;
};

}  // namespace gouraud::detail

#endif
