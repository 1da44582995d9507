#ifndef GOURAUD_AGLOMERADOS_H
#define GOURAUD_AGLOMERADOS_H

#include <array>
#include <cstdint>
#include <vector>

#include "EstagioVertices.h"
#include "Ponto.h"
#include "Trabalhadores.h"
#include "Vetor.h"

namespace gouraud::detail {

// An axis-aligned box in world space.
struct CaixaEspacial {
    std::array<double, 3> menor;
    std::array<double, 3> maior;
};

// Every unit normal n of a set of triangles, turned to the side of eixo (a triangle is drawn
// whichever way it winds), lies within raio of the unit vector eixo: |n - eixo| <= raio. Then
// the distance from a point F to each triangle's plane is at least |eixo . (P - F)| - raio
// |P - F| for any P of a box that holds them, and a view whose focus is that far from every
// plane sees none of them edge-on.
struct Cone {
    Vetor eixo;
    double raio;
};

// A run of Aglomerados::kPorTrecho consecutive triangles of a cluster: its box and its cone.
struct Trecho {
    CaixaEspacial caixa;
    Cone cone;
};

// What the occlusion test knows of a cluster, built once: the bounding box of its triangles in
// world space, each run's box and cone, and how thin its triangles are:
//   forma:       the largest e^2 / |(b - a) x (c - a)| over the triangles, e a triangle's
//                longest edge (about 1.15 for an equilateral one);
//   aresta:      the longest edge of all;
//   menorAresta: the least of the triangles' longest edges.
// A cluster with a triangle whose normal is zero or not finite, or a coordinate that is not
// finite, has condicionado false and is never left out for being hidden.
struct Aglomerado {
    static constexpr int kTrechos = 8;

    CaixaEspacial caixa;
    std::array<Trecho, kTrechos> trechos;
    int quantTrechos;
    double forma;
    double aresta;
    double menorAresta;
    bool condicionado;
};

// The clusters of a vertex stage's triangles: runs of EstagioVertices::kPorGrupo consecutive
// triangles of its order (the culling's groups), compact patches when that order is spatial;
// each cut into runs of kPorTrecho triangles, the least a frame leaves out.
class Aglomerados {
public:
    static constexpr int kPorAglomerado = EstagioVertices::kPorGrupo;
    static constexpr int kPorTrecho = kPorAglomerado / Aglomerado::kTrechos;

    // The clusters of `vertices`' triangles, worked out on `trabalhadores`' threads.
    Aglomerados(const EstagioVertices& vertices, Trabalhadores& trabalhadores);

    int getQuantidade() const;
    // Cluster g: triangles [g kPorAglomerado, (g + 1) kPorAglomerado) of the vertex stage.
    const Aglomerado& operator[](int g) const;

    // The cluster of triangles [inicio, fim) of `indices` (three point numbers each) over
    // `pontos`, at most kPorAglomerado of them; its run k is triangles
    // [inicio + k kPorTrecho, + kPorTrecho).
    static Aglomerado calcular(const Ponto* pontos, const std::int32_t* indices, int inicio,
                               int fim);

private:
    std::vector<Aglomerado> aglomerados;
};

}  // namespace gouraud::detail

#endif
