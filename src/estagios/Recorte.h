#ifndef GOURAUD_RECORTE_H
#define GOURAUD_RECORTE_H

#include <array>
#include <cstdint>

#include "Camera.h"
#include "Ponto.h"
#include "Projecao.h"
#include "Quadro.h"

namespace gouraud::detail {

// Clipping: the part of a triangle that can be drawn, for the triangles the vertex stage marked
// (a corner behind the near plane, or too far off the screen for the exact integer tests).
//   In:  the triangle's corners in camera coordinates (cu, cv, cn), each with the shading mode's
//        attributes (a colour; a world position and a normal), the projection and the frame's
//        size.
//   Out: a convex polygon of at most kMaxCantos corners in screen coordinates (x, y, 1/cn) with
//        their attributes: the part with cn >= zPerto, projected, and when a corner lands at
//        limiteSeguro() pixels or further from the origin, cut to the guard rectangle kGuarda
//        pixels around the frame, so that every corner lies within limiteSeguro(); empty (fewer
//        than three corners) when nothing of it can be seen or a coordinate is not finite. It is
//        drawn as the fan (0, k, k + 1) of its corners, piece k - 1.
// A corner on a cut edge is found from the edge's inside end towards its outside end, so that
// two triangles sharing the edge get the very same corner. At the near plane positions and
// attributes are interpolated linearly along the edge in camera space; at a side of the guard
// rectangle 1/cn and attribute/cn, which vary linearly on the screen.
class Recorte {
public:
    // The margin, in pixels, of the guard rectangle around the frame: [-kGuarda, W + kGuarda] x
    // [-kGuarda, H + kGuarda]. Only the part of a triangle inside it can reach a pixel.
    static constexpr double kGuarda = 1024.0;
    // The least value of limiteSeguro().
    static constexpr double kLimiteMinimo = 4096.0;
    // At most 3 corners, one more per clipping plane (near plane and four screen sides).
    static constexpr int kMaxCantos = 8;
    // The most attributes a corner carries (a textured point's two parts of the lighting, colour
    // and texture coordinates; a Phong point's position, normal, colour and coordinates).
    static constexpr int kMaxAtributos = 11;

    // How far from the origin, in pixels on either axis, a corner may lie without a cut on a
    // frame of largura x altura (each at most Quadro::kMaiorLado):
    // max(kLimiteMinimo, max(W, H) + 2 kGuarda). It exceeds the reach of the guard rectangle,
    // max(W, H) + kGuarda, so that a cut polygon always passes; its least value, 4096, is the
    // one the 640 x 480 picture has always been drawn with (which triangles are cut decides the
    // last bits of their corners); and at most 4096 + 2048 < Cobertura::kMaiorCoordenada, so
    // that every corner given to the coverage fits its integer tests.
    static double limiteSeguro(int largura, int altura);

    // A corner: camera coordinates (x, y, z) = (cu, cv, cn) before projection, screen
    // coordinates (x, y, 1/cn) after; its attributes throughout; and which corners of the
    // triangle it lies between (bit k for corner k): one bit for a corner of the triangle, two
    // for a point on an edge, three inside. An edge of the polygon whose two ends have two bits
    // between them lies on an edge of the triangle; the others are cuts.
    struct Canto {
        double x;
        double y;
        double z;
        std::array<double, kMaxAtributos> atributos;
        std::uint8_t origem;
    };
    struct Poligono {
        std::array<Canto, kMaxCantos> cantos;
        int quant = 0;
    };

    // The visible part, on a frame of largura x altura, of the triangle whose corners in camera
    // coordinates are a, b and c, each carrying its first quantAtributos attributes (at most
    // kMaxAtributos; the others are left as they are). The corners' origem is set here.
    static Poligono recortar(const Canto& a, const Canto& b, const Canto& c, int quantAtributos,
                             const Projecao& projecao, int largura, int altura);
    // The same for the triangle of world points p0, p1, p2 seen from `camera`, whose
    // attributes are quantAtributos values at atributos0, atributos1 and atributos2.
    static Poligono recortar(const Camera& camera, const Projecao& projecao, int largura,
                             int altura, const Ponto& p0, const Ponto& p1, const Ponto& p2,
                             const double* atributos0, const double* atributos1,
                             const double* atributos2, int quantAtributos);
};

}  // namespace gouraud::detail

#endif
