#ifndef GOURAUD_COR_OBJETO_H
#define GOURAUD_COR_OBJETO_H

#include "Aparencia.h"
#include "Vetor.h"

namespace gouraud::detail {

// The object colour Od of a vertex of the model: the rule that turns what the file says about a
// vertex (its own colour, its material's colour and texture) into the colour the lighting uses.
// It is the product, channel by channel, of whichever of these the vertex has: its own colour,
// its material's colour (clamped to 0..1) and, at the pixel, its material's texture; the
// lighting settings' Od when it has none of them. Colours are the file's own (the library's
// single precision values widened to double; no colour-space conversion), each channel of a
// vertex colour clamped to 0..1. A colour with a channel that is not finite counts as absent,
// and so do texture coordinates. The materials the import library makes up where a file has
// none count as no material: one named DefaultMaterial, and an unnamed one whose colour is
// pure white and that names no texture.
class CorObjeto {
public:
    // Whether `material` is one the import library made up, which counts as no material.
    static bool substituto(const Aparencia::Material& material);
    // Whether a vertex with `material` (null for none) and texture coordinates `uv` (null for
    // none) can be drawn with its material's texture: the material counts, has a texture that
    // was read, and both coordinates are finite.
    static bool comTextura(const Aparencia::Material* material, const float* uv);
    // The colour of a vertex whose own colour is `corVertice` (3 channels, null for none) and
    // whose material is `material` (null for none): the product of those two that count (vertex
    // times material, per channel), each channel in [0, 1]. When neither counts, `od` for a
    // vertex drawn without a texture (`texturizado` false) and (1, 1, 1) for one whose texture
    // sample is the whole colour.
    static Vetor cor(const float* corVertice, const Aparencia::Material* material, bool texturizado,
                     const Vetor& od);
    // The same for variant `v` of `aparencia`.
    static Vetor cor(const Aparencia& aparencia, const Aparencia::Variante& v, bool texturizado,
                     const Vetor& od);
};

}  // namespace gouraud::detail

#endif
