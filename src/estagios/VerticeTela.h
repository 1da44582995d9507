#ifndef GOURAUD_VERTICE_TELA_H
#define GOURAUD_VERTICE_TELA_H

namespace gouraud::detail {

// A corner of a triangle on the screen, as the vertex stage gives each point and the clipping
// each corner it makes: its position in pixels (x to the right, y downwards) and its 1/cn. The
// vertex stage marks a point that needs clipping with x NaN (and, behind the near plane, iz 0).
struct VerticeTela {
    double x;
    double y;
    double iz;
};

}  // namespace gouraud::detail

#endif
