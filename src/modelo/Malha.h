#ifndef GOURAUD_MALHA_H
#define GOURAUD_MALHA_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "Aparencia.h"
#include "Gouraud.h"
#include "GruposPontos.h"
#include "Ponto.h"
#include "Primitivas.h"
#include "Triangulo.h"
#include "Vetor.h"

namespace gouraud::detail {

// The model of a loaded scene as the renderer needs it: the scene's points and triangles, the
// triangles' normals and the displaced points the scene computes, one unit normal per point, the
// model's loose points and line segments (Primitivas), and the bounding box of all of them. It
// reads the scene's lists in place, so the scene must outlive it and not change (but for the
// triangles' normals and the displaced points, which it has the scene work out when first
// asked). The triangles' normals and the points' normals are made only when first asked for:
// the vertex stage works out its points' normals in its own order (normaisDosPontos), and a
// mesh of millions of triangles drawn in Gouraud shading never holds either list twice.
class Malha {
public:
    // The mesh of the scene's lists. Each point's normal (getNormal) is the sum of the normals
    // of the triangles that name it (once per naming, in the triangles' order, skipping normals
    // that are not finite) made unit length; a point whose sum is zero has no normal.
    explicit Malha(Gouraud& cena);
    // The same, with the look the file gives the scene's triangles (null for none): its corners
    // are the scene's triangles' corners and its points the scene's points, or
    // std::invalid_argument is thrown; and with the model's points and segments besides the
    // scene's triangles (moved in).
    Malha(Gouraud& cena, std::shared_ptr<const Aparencia> aparencia,
          Primitivas primitivas = Primitivas());

    int getQuantPontos() const;
    int getQuantTriangulos() const;
    // The scene's points and triangles (indices already checked in range); null when empty.
    const Ponto* getPontos() const;
    const Triangulo* getTriangulos() const;
    // The scene's normal of each triangle, as calcularNormalTriangulo left it (of any length,
    // possibly zero or not finite). The first call runs calcularNormalTriangulo, once, whichever
    // thread makes it.
    const Vetor* getNormaisTriangulo() const;
    // The scene's displaced points, as its calcularNovoPonto leaves them: each point plus the
    // normal of the last triangle that names it, or the point itself when none does; null when
    // empty. The first call runs calcularNovoPonto, once, whichever thread makes it.
    const Ponto* getNovosPontos() const;
    // Unit normal of point i (0 <= i < quantPontos), or nullptr when it has none. The first call
    // works out every point's, once, whichever thread makes it.
    const Vetor* getNormal(int i) const;

    // The points' normals of a mesh's lists as getNormal gives them, with the points numbered
    // anew: point p's normal goes to normais[numeracao[p]] (to normais[p] when numeracao is
    // null), for the `quant` slots normais and temNormal hold. normais must start at zero;
    // temNormal[k] becomes 1 where slot k has a normal, 0 (and the slot zero) where not. The
    // sums run over the triangles in their order, so any numbering gives each point the same
    // bits. Only slots [inicio, fim) are worked out (fim at most quant), each as the whole
    // would: disjoint ranges may run on threads of their own.
    static void normaisDosPontos(const Ponto* pontos, const Triangulo* triangulos,
                                 int quantTriangulos, const std::int32_t* numeracao,
                                 Vetor* normais, std::uint8_t* temNormal, std::size_t quant,
                                 std::size_t inicio = 0,
                                 std::size_t fim = static_cast<std::size_t>(-1));

    // The model's points and line segments besides the triangles.
    const Primitivas& getPrimitivas() const;

    // Centre of the axis-aligned bounding box of every point of the model (the scene's points,
    // the loose points and the segments' ends), (least + greatest) / 2 per axis (the origin for
    // an empty model).
    const Ponto& getCentro() const;
    // Length of the bounding box's diagonal.
    double getDiagonal() const;
    // The bounding box's least and greatest coordinate on each axis (the origin for an empty
    // model).
    const Ponto& getMenor() const;
    const Ponto& getMaior() const;
    // The colours, materials and textures of the file, or null when it gives none.
    const Aparencia* getAparencia() const;
    // The scene's points gathered by where they lie, for framing views; made when first asked
    // for, once, whichever thread asks.
    const GruposPontos& getGruposPontos() const;

private:
    int quantPontos;
    int quantTriangulos;
    const Ponto* pontos;
    const Triangulo* triangulos;
    Gouraud& cena;
    mutable std::once_flag normaisTrianguloCalculadas;
    mutable std::once_flag novosPontosCalculados;
    mutable std::once_flag normaisCalculadas;
    mutable std::vector<Vetor> normais;
    mutable std::vector<std::uint8_t> temNormal;
    Primitivas primitivas;
    Ponto menor;
    Ponto maior;
    Ponto centro;
    double diagonal = 0.0;
    std::shared_ptr<const Aparencia> aparencia;
    mutable std::once_flag gruposFeitos;
    mutable GruposPontos grupos;
};

}  // namespace gouraud::detail

#endif
