#ifndef GOURAUD_GRAVADOR_CENA_H
#define GOURAUD_GRAVADOR_CENA_H

#include <string>

#include "Gouraud.h"

namespace gouraud::detail {

// Writes a loaded scene back as a scene file that the scene class reads into the same scene.
class GravadorCena {
public:
    // Writes the two counts, the points, the triangles, the camera axes N and V as they were
    // given (before the scene made them orthonormal), the focus and the three projection reals
    // (the scene's own when they make an explicit window: all three read, positive and finite;
    // otherwise 0 0 0). Every real is written in the shortest form that reads back to the same
    // double. The file is written as Arquivo::gravar writes, never partially. The scene must be
    // valid. Returns "" on success, otherwise the reason.
    [[nodiscard]] static std::string gravar(const Gouraud& cena, const std::string& caminho);
};

}  // namespace gouraud::detail

#endif
