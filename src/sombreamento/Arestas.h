#ifndef GOURAUD_ARESTAS_H
#define GOURAUD_ARESTAS_H

#include <array>

#include "Projecao.h"
#include "Vetor.h"

namespace gouraud::detail {

// The edges of one mesh triangle, drawn over the pixels the triangle wins: such a pixel turns
// black when the line through the projected ends of one of the triangle's own edges passes
// within 0.75 pixel of its centre. Where the near plane cuts an edge, its part in front counts;
// the cut itself is no edge of the mesh.
class Arestas {
public:
    // How near to an edge's line a pixel centre turns black, in pixels.
    static constexpr double kDistancia = 0.75;

    // No edges.
    Arestas() = default;

    // The edges a-b, b-c and c-a of a triangle whose corners, in file order, are all in front of
    // the near plane and land at the screen positions (xa, ya), (xb, yb) and (xc, yc).
    static Arestas doTriangulo(double xa, double ya, double xb, double yb, double xc, double yc);
    // The same for a triangle with camera-space corners a, b and c in file order, any of which
    // may be behind the near plane cn = projecao.zPerto: an edge with one end behind it runs to
    // the point where the plane cuts it, found from the end in front; an edge with both ends
    // behind it has no line.
    static Arestas doTrianguloNoEspaco(const Vetor& a, const Vetor& b, const Vetor& c,
                                       const Projecao& projecao);

    // Whether the centre (px, py) lies within 0.75 pixel of one of the lines: for a line from
    // (x0, y0) to (x1, y1), |dx (py - y0) - dy (px - x0)| / sqrt(dx dx + dy dy) <= 0.75 with
    // dx = x1 - x0 and dy = y1 - y0. A line whose ends coincide is near nothing.
    bool perto(double px, double py) const;

private:
    // The line from (x0, y0) to (x0 + dx, y0 + dy), of length `comprimento`. Cross products up
    // to `dentro` are surely within the distance and from `fora` on surely beyond it; only
    // between them is the quotient worked out.
    struct Linha {
        double x0;
        double y0;
        double dx;
        double dy;
        double comprimento;
        double dentro;
        double fora;
    };
    void adicionar(double x0, double y0, double x1, double y1);

    std::array<Linha, 3> linhas{};
    int quant = 0;
};

}  // namespace gouraud::detail

#endif
