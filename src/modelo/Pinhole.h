#ifndef GOURAUD_PINHOLE_H
#define GOURAUD_PINHOLE_H

#include <array>
#include <string>

#include "Camera.h"
#include "Malha.h"
#include "Projecao.h"
#include "gouraud/Opcoes.h"

namespace gouraud::detail {

// Cameras as pinhole cameras describe them: the camera and projection of a look-at camera
// (gouraud::Olhar), and, for any camera and projection the renderer draws through, the
// intrinsic matrix K and the world-to-camera matrix in OpenCV's convention.
class Pinhole {
public:
    // Why `olhar` cannot give a picture, in one line ("the eye and the target of --olhar are
    // the same point", "the field of view of --olhar is 180 degrees; it is over 0 and under
    // 180", ...), or "".
    [[nodiscard]] static std::string problema(const gouraud::Olhar& olhar);
    // The camera at the eye looking at the target: N = alvo - olho and V = cima, made a basis
    // as a scene file's axes are (Camera::deEixos). `olhar` has no problema().
    static Camera camera(const gouraud::Olhar& olhar);
    // Its projection onto a largura x altura screen: d = 1, the window centred (ox = oy = 0),
    // hy = tan(campo / 2) and hx = hy . W / H, so that the field of view is campo degrees from
    // the top of the picture to its bottom and pixels are square; the near plane zPerto as the
    // views have it, 0.001 times the diagonal of `malha`'s bounding box. Nothing is framed.
    static Projecao projecao(const gouraud::Olhar& olhar, const Malha& malha, int largura,
                             int altura);

    // K and the world-to-camera matrix of `camera` seen through `projecao`, each row after row,
    // for the picture of projecao.largura x projecao.altura pixels. OpenCV's camera axes are
    // x = U (screen right), y = -V (down) and z = N (forward), so R has the rows U, -V and N and
    // t = -R.F. Pixel (i, j) is [i, i+1) x [j, j+1), its centre (i + 0.5, j + 0.5), the point
    // the rasteriser samples; the screen positions Projecao gives, xs and ys, are those pixel
    // coordinates, so K holds fx = d.W / (2 hx), fy = d.H / (2 hy), cx = W/2 . (1 - ox/hx) and
    // cy = H/2 . (1 + oy/hy): xs = fx . x/z + cx and ys = fy . y/z + cy.
    static void matrizes(const Camera& camera, const Projecao& projecao, std::array<double, 9>& k,
                         std::array<double, 16>& mundoParaCamera);
};

}  // namespace gouraud::detail

#endif
