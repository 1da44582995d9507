#ifndef GOURAUD_ORDEM_ESPACIAL_H
#define GOURAUD_ORDEM_ESPACIAL_H

#include <cstdint>
#include <vector>

#include "Malha.h"

namespace gouraud::detail {

// An order of a mesh's triangles that keeps near ones together: along the Morton curve through
// the cells of a grid of 2^kBitsPorEixo cubes a side over the points' bounding box, each triangle
// in the cell of its centroid, and in file order within a cell. A run of a few hundred
// consecutive triangles of that order is then a compact patch of the surface, whatever order
// the file had (a scan's is seldom spatial), and its bounding box a tight one.
class OrdemEspacial {
public:
    static constexpr int kBitsPorEixo = 10;

    // For each position of the new order, the number in the file of the triangle placed there:
    // a permutation of 0 .. malha.getQuantTriangulos() - 1.
    static std::vector<std::int32_t> calcular(const Malha& malha);

    // The Morton code of cell (x, y, z), each below 2^kBitsPorEixo: their bits interleaved, x's
    // lowest.
    static std::uint32_t codigo(std::uint32_t x, std::uint32_t y, std::uint32_t z);
};

}  // namespace gouraud::detail

#endif
