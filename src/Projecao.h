#ifndef GOURAUD_PROJECAO_H
#define GOURAUD_PROJECAO_H

#include "Camera.h"
#include "Gouraud.h"
#include "Malha.h"
#include "Par.h"

// The perspective projection of camera coordinates c = (cu, cv, cn) onto the 640 x 480 screen:
// a window of half-width hx and half-height hy, centred at (ox, oy), at distance d from the
// focus, and the near plane cn = zPerto in front of which nothing is drawn.
//   xs = ((d.cu/cn - ox)/hx + 1).W/2,   ys = (1 - (d.cv/cn - oy)/hy).H/2
class Projecao {
public:
    static constexpr int kLargura = 640;
    static constexpr int kAltura = 480;

    double d = 1.0;
    double hx = 1.0;
    double hy = 1.0;
    double ox = 0.0;
    double oy = 0.0;
    double zPerto = 0.0;

    // The projection of a scene seen from `camera`. zPerto is 0.001 times the mesh's bounding
    // box diagonal. When the three reals after the focus were read and are positive and finite
    // they are d, hx and hy, with the window centred (ox = oy = 0). Otherwise d = 1 and the
    // window frames, 5 % wider than needed, the points with cn >= zPerto; when there are none,
    // or their spread is 0, it is centred with hy = tan 30 degrees.
    static Projecao daCena(const Gouraud& cena, const Malha& malha, const Camera& camera);
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

#endif
