#ifndef GOURAUD_AGLOMERADOS_H
#define GOURAUD_AGLOMERADOS_H

#include <array>
#include <cstdint>
#include <vector>

#include "EstagioVertices.h"
#include "Trabalhadores.h"
#include "Vetor.h"

// What the occlusion test knows of a cluster, built once: its triangles' bounding box in world
// space, and how far they can be from facing one way.
//   cones:       for each run of kPorCone consecutive triangles, a cone (eixo, raio): every
//                triangle's unit normal n, turned to the side of eixo (a triangle is drawn
//                whichever way it winds), lies within raio of the unit vector eixo: |n - eixo|
//                <= raio. Then the distance from a point F to each triangle's plane is at least
//                |eixo . (P - F)| - raio |P - F| for any P of the box, and a view whose focus is
//                that far from every plane sees none of the run's triangles edge-on.
//   forma:       the largest e^2 / |(b - a) x (c - a)| over the triangles, e a triangle's
//                longest edge: how thin the thinnest one is (about 1.15 for an equilateral one).
//   aresta:      the longest edge of all;
//   menorAresta: the least of the triangles' longest edges.
// A cluster with a triangle whose normal is zero or not finite, or a coordinate that is not
// finite, has condicionado false and is never left out for being hidden.
struct Cone {
    Vetor eixo;
    double raio;
};

struct Aglomerado {
    static constexpr int kCones = 8;

    std::array<double, 3> menor;
    std::array<double, 3> maior;
    std::array<Cone, kCones> cones;
    double forma;
    double aresta;
    double menorAresta;
    bool condicionado;
};

// The clusters of a vertex stage's triangles: runs of EstagioVertices::kPorGrupo consecutive
// triangles of its order (the culling's groups), compact patches when that order is spatial.
class Aglomerados {
public:
    static constexpr int kPorAglomerado = EstagioVertices::kPorGrupo;
    static constexpr int kPorCone = kPorAglomerado / Aglomerado::kCones;

    // The clusters of `vertices`' triangles, worked out on `trabalhadores`' threads.
    Aglomerados(const EstagioVertices& vertices, Trabalhadores& trabalhadores);

    int getQuantidade() const;
    // Cluster g: triangles [g kPorAglomerado, (g + 1) kPorAglomerado) of the vertex stage.
    const Aglomerado& operator[](int g) const;

    // The cluster of triangles [inicio, fim) of `indices` (three point numbers each) over
    // `pontos`, at most kPorAglomerado of them; its k-th cone is that of triangles
    // [inicio + k kPorCone, + kPorCone) (an empty run's cone has radius 0).
    static Aglomerado calcular(const Ponto* pontos, const std::int32_t* indices, int inicio,
                               int fim);

private:
    std::vector<Aglomerado> aglomerados;
};

#endif
