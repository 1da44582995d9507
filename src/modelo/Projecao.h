#ifndef GOURAUD_PROJECAO_H
#define GOURAUD_PROJECAO_H

#include "Camera.h"
#include "Gouraud.h"
#include "Malha.h"
#include "Par.h"

namespace gouraud::detail {

// The perspective projection of camera coordinates c = (cu, cv, cn) onto a screen of W x H
// pixels (largura x altura, 640 x 480 unless given): a window of half-width hx and half-height
// hy, centred at (ox, oy), at distance d from the focus, and the near plane cn = zPerto in front
// of which nothing is drawn.
//   xs = ((d.cu/cn - ox)/hx + 1).W/2,   ys = (1 - (d.cv/cn - oy)/hy).H/2
class Projecao {
public:
    // The screen size of a projection made without one.
    static constexpr int kLargura = 640;
    static constexpr int kAltura = 480;
    // The near plane's distance as a fraction of the mesh's bounding box diagonal.
    static constexpr double kFracaoPerto = 0.001;

    double d = 1.0;
    double hx = 1.0;
    double hy = 1.0;
    double ox = 0.0;
    double oy = 0.0;
    double zPerto = 0.0;
    // The screen's width W and height H in pixels, at least 1.
    int largura = kLargura;
    int altura = kAltura;

    // The projection onto a largura x altura screen (each at least 1) of a scene seen from
    // `camera`. zPerto is 0.001 times the mesh's bounding box diagonal. When the three reals
    // after the focus were read and are positive and finite they are d, hx and hy, with the
    // window centred (ox = oy = 0). Otherwise the window frames the mesh (enquadrar).
    static Projecao daCena(const Gouraud& cena, const Malha& malha, const Camera& camera,
                           int largura = kLargura, int altura = kAltura);
    // The automatic framing of the mesh seen from `camera` on a largura x altura screen,
    // whatever the scene file says: d = 1 and, over the points with cn >= zPerto (the scene's,
    // the loose points and the segments' ends), the ranges
    // [a0, a1] of cu/cn and [b0, b1] of cv/cn give ox = (a0 + a1)/2, oy = (b0 + b1)/2,
    // hy = 1.05 max((a1 - a0)/2 . H/W, (b1 - b0)/2) and hx = hy . W/H (left to right); with no
    // such point, or a spread of 0, ox = oy = 0 and hy = tan 30 degrees.
    static Projecao enquadrar(const Malha& malha, const Camera& camera, int largura = kLargura,
                              int altura = kAltura);
    // True when the scene holds an explicit projection window: the three reals after the focus
    // were read and are positive and finite.
    static bool janelaDaCena(const Gouraud& cena);

    // Screen x of a point with camera coordinates cu and cn (cn > 0).
    double xTela(double cu, double cn) const;
    // Screen y (downwards) of a point with camera coordinates cv and cn (cn > 0).
    double yTela(double cv, double cn) const;
    // The same two for two points at once, lane by lane with the same arithmetic.
    Par xTela(Par cu, Par cn) const;
    Par yTela(Par cv, Par cn) const;
};

}  // namespace gouraud::detail

#endif
