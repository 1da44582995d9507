#ifndef GOURAUD_TESTS_CONCORRENTE_ALLEGRO_H
#define GOURAUD_TESTS_CONCORRENTE_ALLEGRO_H

#include <memory>
#include <string>

#include "Camera.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"

namespace gouraud::detail {

// Allegro 4's own Gouraud triangles as a peer of the renderer: triangle3d_f with POLYTYPE_GRGB
// and Allegro's z-buffer on a 16-bit memory bitmap of the frame's size, no display needed. Every
// frame computes, per point, the camera coordinates, the lighting colour
// (Iluminacao::corDoVertice), the screen position (Projecao::xTela, yTela) and the depth cn for the
// z-buffer, then clears the bitmap and the z-buffer and draws every triangle whose three points lie
// on or beyond the near plane (cn >= zPerto); Allegro cannot clip there, so the others are left out
// and counted. Allegro's GRGB interpolates colours linearly on the screen, not perspective-correct.
class ConcorrenteAllegro {
public:
    // Starts Allegro with no system driver and 16-bit colour; "" on success, else the reason.
    // Once per process, before the first object.
    static std::string iniciar();
    // "Allegro 4.4.3, ..." as the library names itself.
    static std::string versao();

    // Draws largura x altura frames of `malha`, which must outlive this object.
    ConcorrenteAllegro(const Malha& malha, const Iluminacao& iluminacao,
                       int largura = Quadro::kLargura, int altura = Quadro::kAltura);
    ~ConcorrenteAllegro();
    ConcorrenteAllegro(const ConcorrenteAllegro&) = delete;
    ConcorrenteAllegro& operator=(const ConcorrenteAllegro&) = delete;

    // "" when the bitmap and z-buffer were made, else what failed.
    const std::string& getErro() const;

    // One whole frame, as described above.
    void desenhar(const Camera& camera, const Projecao& projecao);
    // Triangles the last frame left out because a point was in front of the near plane.
    int getTriangulosPulados() const;
    // The last frame's colours, for pictures and comparisons (depths are left at 0), into a
    // frame of this object's size.
    void copiar(Quadro& quadro) const;

private:
    struct Estado;
    std::unique_ptr<Estado> estado;
};

}  // namespace gouraud::detail

#endif
