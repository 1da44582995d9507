#ifndef GOURAUD_GRUPOS_PONTOS_H
#define GOURAUD_GRUPOS_PONTOS_H

#include <cstdint>
#include <vector>

#include "Ponto.h"

namespace gouraud::detail {

// A model's points gathered by the cells of a grid of kLado cubes a side over their bounding
// box, each group with the bounding box of its own points. Framing a view (Projecao::enquadrar)
// looks at the groups' boxes first and reads the points of only the groups that can reach the
// edge of the picture.
class GruposPontos {
public:
    static constexpr int kLado = 16;

    struct Grupo {
        // The group's points are indices[inicio .. fim - 1].
        std::int32_t inicio = 0;
        std::int32_t fim = 0;
        // The least and the greatest coordinate of its points on each axis.
        Ponto menor;
        Ponto maior;
    };

    GruposPontos() = default;
    // Groups pontos[0 .. quantos - 1]. Points that are not finite go into a group of their own,
    // the last, whose box is not finite either.
    GruposPontos(const Ponto* pontos, int quantos);

    // The groups that hold points, in the grid's order.
    const std::vector<Grupo>& getGrupos() const;
    // The numbers of the points, group after group, increasing within a group.
    const std::vector<std::int32_t>& getIndices() const;

private:
    std::vector<Grupo> grupos;
    std::vector<std::int32_t> indices;
};

}  // namespace gouraud::detail

#endif
