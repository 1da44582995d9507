#ifndef GOURAUD_REGISTRO_BUFFERS_H
#define GOURAUD_REGISTRO_BUFFERS_H

#include <cstdint>
#include <vector>

#include "BuffersQuadro.h"
#include "Camera.h"
#include "EstagioVertices.h"
#include "FaixaVisivel.h"
#include "Malha.h"
#include "PontosTela.h"
#include "Projecao.h"
#include "Quadro.h"

namespace gouraud::detail {

// The buffers of a band (BuffersQuadro) read from the winners its visibility pass left, once the
// band is drawn: the same winners whose colours the band shows.
//   profundidade: 1/iz, iz the depth the test stored (the value it compared at the pixel's
//   centre), rounded to float; +inf where the band has no winner and its depth is 0.
//   normais: the phong mode's normal at the pixel: the world position and the point normals of
//   the winner's corners interpolated with its weights (q1 = b1 iz1, q2 = b2 iz2, s = 1/iz),
//   for a piece of a clipped triangle those its clipping gives them, the normal made unit
//   length and turned towards the camera (Iluminacao::normalIluminada); zeros without one.
//   triangulo: the winner's number in the file; parte: the part of that triangle (0 for all
//   when `partes` is empty).
// A pixel with no winner but a depth was taken by a loose point (PontosTela): its depth is
// registered, its triangle and part are kNenhum and its normal is left for PontosTela.
class RegistroBuffers {
public:
    // For the winners of `vertices`' triangles of `malha` (both outliving this object), parts
    // from `partes` (outliving it too; empty for every triangle of part 0).
    RegistroBuffers(const Malha& malha, const EstagioVertices& vertices,
                    const std::vector<std::uint32_t>& partes);

    // Before a frame whose buffers hold normals, on one thread: each point's position and
    // normal side by side, made once (they do not change from frame to frame).
    void prepararNormais();

    // Registers the rows of `faixa` from its winners and `quadro`'s depths, the band drawn from
    // `camera` through `projecao`. With `todos`, every pixel of the rows (a band drawn afresh);
    // otherwise only those with a winner (a later pass over the band, whose winners took their
    // pixels from the earlier one's).
    // With `pontos` (null for none), the normals of the pixels the loose points took: pixel p
    // is point vencedoresPontos[p]'s (PontosTela::vencedores, for the same frame).
    void faixa(const FaixaVisivel& faixa, const Quadro& quadro, const Camera& camera,
               const Projecao& projecao, bool todos, BuffersQuadro& buffers,
               const PontosTela* pontos = nullptr,
               const std::int32_t* vencedoresPontos = nullptr) const;

private:
    // The phong mode's normal at a pixel of winner `vencedor` with weights b1, b2 and
    // s = 1/iz. `cache` keeps the polygon of the last clipped triangle worked out.
    struct Recortado;
    bool normal(const FaixaVisivel& faixa, std::int32_t vencedor, double b1, double b2, double s,
                const Camera& camera, const Projecao& projecao, int largura, int altura,
                Recortado& cache, Vetor& saida) const;

    const Malha& malha;
    const EstagioVertices& vertices;
    const std::vector<std::uint32_t>& partes;
    // Per point of the vertex stage, its position and its normal: six doubles, read together.
    std::vector<double> atributos;
};

}  // namespace gouraud::detail

#endif
