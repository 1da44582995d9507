#ifndef GOURAUD_CORES_DA_MALHA_H
#define GOURAUD_CORES_DA_MALHA_H

#include <cstdint>
#include <vector>

#include "Aparencia.h"
#include "EstagioVertices.h"
#include "Malha.h"
#include "Vetor.h"

namespace gouraud::detail {

// The colours the shading modes use for a mesh with a look of its own (Malha::getAparencia),
// worked out once per lighting: for every point of the vertex stage (one per variant its
// corners use) its object colour before any texture (CorObjeto) and its texture coordinates;
// for every triangle, by its number in the file, its corners' colours and coordinates and its
// material's texture, sampled by AmostraTextura.
class CoresDaMalha {
public:
    // For `malha` (with a look of its own) and the points `vertices` made of it, both of which
    // must outlive this object; `od` is the lighting settings' object colour, for corners that
    // have no colour of their own.
    CoresDaMalha(const Malha& malha, const EstagioVertices& vertices, const Vetor& od);

    // Per point of the vertex stage: its colour (r, g, b) before the texture, three doubles, and
    // its texture coordinates (u, v), two doubles (0 where it has none; null when no triangle
    // is textured).
    const double* getCores() const;
    const double* getCoordenadas() const;
    // Whether some triangle is textured.
    bool temTexturizados() const;
    // The colour of corner k (0, 1, 2) of triangle t, and its texture coordinates (u, v).
    Vetor corDoCanto(int t, int k) const;
    void coordenadasDoCanto(int t, int k, double& u, double& v) const;
    // A triangle's texture and how its axes repeat, for sampling many pixels of it.
    struct TexturaDoTriangulo {
        // Null for a triangle that is not textured.
        const Textura* textura = nullptr;
        Aparencia::Repeticao repeticaoU = Aparencia::Repeticao::repetir;
        Aparencia::Repeticao repeticaoV = Aparencia::Repeticao::repetir;
        // The sample at (u, v), of a textured triangle.
        Vetor amostra(double u, double v) const;
    };
    // Triangle t's texture (null for one that is not textured).
    TexturaDoTriangulo texturaDe(int t) const;
    // The same for the triangle whose first corner is point `ponto` of the vertex stage: read
    // beside the points, where the triangle's number would look far away in the file's look.
    TexturaDoTriangulo texturaDoPonto(int ponto) const;

private:
    const Aparencia& aparencia;
    Vetor od;
    std::vector<double> cores;
    std::vector<double> coordenadas;
    // Per point of the vertex stage: its material when its triangles are textured, else -1.
    std::vector<std::int32_t> materiais;
};

}  // namespace gouraud::detail

#endif
