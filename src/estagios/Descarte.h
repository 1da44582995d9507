#ifndef GOURAUD_DESCARTE_H
#define GOURAUD_DESCARTE_H

#include <array>
#include <cstdint>
#include <vector>

#include "Camera.h"
#include "EstagioVertices.h"
#include "Projecao.h"

namespace gouraud::detail {

// Culling, before the vertex stage: which groups of consecutive triangles may reach the screen,
// and which groups of points those need worked out.
//   In:  once, the vertex stage's points and triangles; per frame, the camera and the projection.
//   Out: per group of kPorGrupo triangles, whether it may draw; per group of kPorGrupo points,
//        whether a triangle of such a group names one of its points.
// A group is left out when the bounding box of its triangles' corners lies wholly behind the near
// plane, or wholly beyond one side of the screen with a margin of kMargemPixels: every point of
// it, and so every part of its triangles that clipping keeps, then projects off the screen, and
// the group draws nothing. The tests leave a tolerance far above the rounding of the arithmetic,
// so a group is kept whenever in doubt (and always when a number is not finite), and the picture
// is the one every triangle drawn would give.
// A view close up on a large mesh then works out only the part of the mesh around the screen.
class Descarte {
public:
    static constexpr int kPorGrupo = EstagioVertices::kPorGrupo;
    static constexpr double kMargemPixels = 2.0;

    // The groups of the triangles and points of `vertices`, which must outlive this object.
    explicit Descarte(const EstagioVertices& vertices);

    // Decides the groups for a frame of largura x altura pixels seen from `camera` through
    // `projecao`.
    void preparar(const Camera& camera, const Projecao& projecao, int largura, int altura);
    // After preparar: 1 where triangle group g (triangles [g kPorGrupo, (g + 1) kPorGrupo)) may
    // draw.
    const std::uint8_t* getTriangulosVivos() const;
    // After preparar: 1 where point group g (points [g kPorGrupo, (g + 1) kPorGrupo) of the
    // vertex stage) holds a point that a live triangle names.
    const std::uint8_t* getPontosVivos() const;
    // Number of triangle groups, and of live ones after preparar.
    int getQuantGrupos() const;
    int getQuantVivos() const;

private:
    // The bounding box of a triangle group's corners, and whether all of them are finite.
    struct Caixa {
        std::array<double, 3> menor;
        std::array<double, 3> maior;
        bool finita;
    };
    std::vector<Caixa> caixas;
    // The point groups that triangle group g names: grupos[inicioGrupos[g] .. inicioGrupos[g+1]).
    std::vector<std::int32_t> inicioGrupos;
    std::vector<std::int32_t> grupos;
    std::vector<std::uint8_t> triangulosVivos;
    std::vector<std::uint8_t> pontosVivos;
    int quantVivos = 0;
};

}  // namespace gouraud::detail

#endif
