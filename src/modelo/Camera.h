#ifndef GOURAUD_CAMERA_H
#define GOURAUD_CAMERA_H

#include <string>

#include "Gouraud.h"
#include "Par.h"
#include "Ponto.h"
#include "Vetor.h"

namespace gouraud::detail {

// A camera: the focus F and the orthonormal basis U (screen right), V (screen up), N (depth),
// with U = N x V, all in world coordinates.
class Camera {
public:
    Ponto foco;
    Vetor u;
    Vetor v;
    Vetor n;

    // The camera at the origin with U = -x, V = y, N = z.
    Camera();
    // The focus and axes of a loaded scene (its getters must not be null).
    explicit Camera(const Gouraud& cena);
    // The camera a scene file holding these N, V and focus would load: V loses its part along N,
    // both become unit vectors and U = N x V, with the scene's own arithmetic.
    static Camera deEixos(const Vetor& n, const Vetor& v, const Ponto& foco);

    // Why the scene's camera cannot give a picture ("the camera axis N is zero", ...), or ""
    // when its focus is finite and its axes are finite and of unit length. The scene must hold
    // a scene.
    [[nodiscard]] static std::string problemaDaCena(const Gouraud& cena);
    // The same reason for this camera (as deEixos gives one from axes that cannot make a
    // basis), or "".
    [[nodiscard]] std::string problema() const;

    // Camera coordinates (U.d, V.d, N.d) of the world point p, d = p - F, with the same
    // arithmetic as Gouraud::mudancaCoordenadasCamera.
    Vetor coordenadas(const Ponto& p) const;
    // The same for two points at once, lane by lane with the same arithmetic.
    void coordenadas(Par px, Par py, Par pz, Par& cu, Par& cv, Par& cn) const;

    // Turns the focus and the axes by `graus` degrees about the line through `centro` along the
    // unit vector `eixo` (right-handed), then makes the basis orthonormal again.
    void girar(Vetor eixo, double graus, const Ponto& centro);
    // Moves the focus along the line to `centro` so that its distance becomes `fator` times what
    // it was (fator > 0; below 1 is nearer). The axes do not change.
    void aproximar(double fator, const Ponto& centro);
};

}  // namespace gouraud::detail

#endif
