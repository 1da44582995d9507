#ifndef GOURAUD_TESTS_VISTAS_H
#define GOURAUD_TESTS_VISTAS_H

// The six views of a mesh that the renderer is measured and tested on: whoever walks around a
// scan meets them all. C is the centre of the mesh's bounding box and R the distance from the
// file's focus F to it; U, V, N are the file's camera axes, already orthonormal.
//   1. the file's camera, automatic framing;
//   2. turned +90 degrees (right-handed) about the line through C along V: F2 = C + rot(F - C),
//      N2 = rot(N), V2 = V, with rot(x) = V x x + V (V.x); automatic framing;
//   3. from above: F3 = C + R V, N3 = -V, V3 = N; automatic framing;
//   4. three-quarter: e = unit(-N + U + V), F4 = C + R e, N4 = -e, V4 = V made orthogonal to N4;
//      automatic framing;
//   5. the file's focus aimed at C (N5 = unit(C - F), V5 = V made orthogonal to N5), through a
//      centred window at d = 1 of half the hx and hy the automatic framing gives that camera;
//   6. the same with a quarter of them: four times as near, most triangles off the screen.

#include "Camera.h"
#include "Malha.h"
#include "Projecao.h"

namespace gouraud::detail {

struct Vista {
    Camera camera;
    Projecao projecao;
};

constexpr int kQuantVistas = 6;

// View `numero` (1 to kQuantVistas) of `malha`, from the file's camera `arquivo`, on a screen of
// largura x altura pixels.
Vista vistaNumero(int numero, const Malha& malha, const Camera& arquivo,
                  int largura = Projecao::kLargura, int altura = Projecao::kAltura);

}  // namespace gouraud::detail

#endif
