#ifndef GOURAUD_RECORTE_H
#define GOURAUD_RECORTE_H

#include <array>

#include "Camera.h"
#include "Ponto.h"
#include "Projecao.h"
#include "Quadro.h"
#include "VerticeTela.h"

// Clipping: the part of a triangle that can be drawn, for the triangles the vertex stage marked
// (a corner behind the near plane, or too far off the screen for the exact integer tests).
//   In:  the triangle's corners in camera coordinates (cu, cv, cn) with their colours, the
//        projection and the frame's size.
//   Out: a convex polygon of at most kMaxCantos corners in screen coordinates (x, y, 1/cn) with
//        their colours: the part with cn >= zPerto, projected, and when a corner lands at
//        limiteSeguro() pixels or further from the origin, cut to the guard rectangle kGuarda
//        pixels around the frame, so that every corner lies within limiteSeguro(); empty (fewer
//        than three corners) when nothing of it can be seen or a coordinate is not finite. It is
//        drawn as the fan (0, k, k + 1) of its corners.
// A corner on a cut edge is found from the edge's inside end towards its outside end, so that
// two triangles sharing the edge get the very same corner. At the near plane positions and
// colours are interpolated linearly along the edge in camera space; at a side of the guard
// rectangle 1/cn and colour/cn, which vary linearly on the screen.
class Recorte {
public:
    // The margin, in pixels, of the guard rectangle around the frame: [-kGuarda, W + kGuarda] x
    // [-kGuarda, H + kGuarda]. Only the part of a triangle inside it can reach a pixel.
    static constexpr double kGuarda = 1024.0;
    // The least value of limiteSeguro().
    static constexpr double kLimiteMinimo = 4096.0;
    // At most 3 corners, one more per clipping plane (near plane and four screen sides).
    static constexpr int kMaxCantos = 8;

    // How far from the origin, in pixels on either axis, a corner may lie without a cut on a
    // frame of largura x altura (each at most Quadro::kMaiorLado):
    // max(kLimiteMinimo, max(W, H) + 2 kGuarda). It exceeds the reach of the guard rectangle,
    // max(W, H) + kGuarda, so that a cut polygon always passes; its least value, 4096, is the
    // one the 640 x 480 picture has always been drawn with (which triangles are cut decides the
    // last bits of their corners); and at most 4096 + 2048 < Cobertura::kMaiorCoordenada, so
    // that every corner given to the coverage fits its integer tests.
    static double limiteSeguro(int largura, int altura);

    // A corner: camera coordinates (x, y, z) = (cu, cv, cn) before projection, screen
    // coordinates (x, y, 1/cn) after; its colour throughout.
    struct Canto {
        double x;
        double y;
        double z;
        double r;
        double g;
        double b;
    };
    struct Poligono {
        std::array<Canto, kMaxCantos> cantos;
        int quant = 0;
    };

    // The visible part, on a frame of largura x altura, of the triangle whose corners in camera
    // coordinates are a, b and c.
    static Poligono recortar(const Canto& a, const Canto& b, const Canto& c,
                             const Projecao& projecao, int largura, int altura);
    // The same for the triangle of world points p0, p1, p2 seen from `camera`, whose corners'
    // colours are those of v0, v1, v2.
    static Poligono recortar(const Camera& camera, const Projecao& projecao, int largura,
                             int altura, const Ponto& p0, const Ponto& p1, const Ponto& p2,
                             const VerticeTela& v0, const VerticeTela& v1, const VerticeTela& v2);
    // Corner k of a polygon as a screen corner for the coverage.
    static VerticeTela paraTela(const Canto& canto);
};

#endif
