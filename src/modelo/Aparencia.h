#ifndef GOURAUD_APARENCIA_H
#define GOURAUD_APARENCIA_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Textura.h"

namespace gouraud::detail {

// What a mesh file says about the look of its triangles, beside their shape: per triangle
// corner, the file's colour of that vertex, its texture coordinates and its material; the
// materials (colour, texture, how coordinates outside 0..1 repeat); the decoded textures.
// Corners keep what the file gives them even where the merge of equal positions made them one
// point, so a corner is a variant: a point with its own attributes. The corners are numbered by
// triangle (corner k of triangle t is entry 3 t + k), so a renderer that reorders its own copy
// of the triangles, keeping their numbers, finds them. What colour a corner ends up with is
// CorObjeto's rule.
class Aparencia {
public:
    // How coordinates outside 0..1 reach the texels on one axis: the image repeats, its edge
    // texels stretch out, or it repeats mirrored every other time.
    enum class Repeticao : std::uint8_t { repetir, limitar, espelhar };

    // A material as the import library reports it.
    struct Material {
        // Its name ("" when it has none).
        std::string nome;
        // Its base colour, or else its diffuse colour, as the library gives it (not clamped),
        // when it has one.
        bool temCor = false;
        std::array<float, 3> cor{};
        // Whether the file names a base colour or diffuse texture for it, and which of the
        // decoded textures that is (-1 when none, or when it could not be read).
        bool declaraTextura = false;
        std::int32_t textura = -1;
        Repeticao repeticaoU = Repeticao::repetir;
        Repeticao repeticaoV = Repeticao::repetir;
    };

    // The attributes of a corner: its point, its material (-1 for none), and the file's colour
    // (first colour set, alpha left out) and texture coordinates (set 0: u, v) of its vertex
    // when it has them, as the library gives them. A variant is of one point: every corner that
    // names it is at that point.
    struct Variante {
        std::int32_t ponto = 0;
        std::int32_t material = -1;
        std::array<float, 3> cor{};
        std::array<float, 2> uv{};
        bool temCor = false;
        bool temUv = false;
    };

    // The look of `quantTriangulos` triangles over `quantPontos` points: `cantos` holds the
    // variant of each corner (3 per triangle). Everything is moved in and checked: every index
    // names an existing entry, or std::invalid_argument is thrown.
    Aparencia(int quantPontos, int quantTriangulos, std::vector<std::int32_t> cantos,
              std::vector<Variante> variantes, std::vector<Material> materiais,
              std::vector<Textura> texturas);

    int getQuantTriangulos() const;
    int getQuantVariantes() const;
    // The variant of corner k (0, 1, 2) of triangle t, both in range.
    std::int32_t getCanto(int t, int k) const;
    // Variant v, in range.
    const Variante& getVariante(std::int32_t v) const;
    // Material m, or null for -1.
    const Material* getMaterial(std::int32_t m) const;
    // Texture i, in range.
    const Textura& getTextura(std::int32_t i) const;
    // Whether triangle t is drawn with its material's texture: every one of its corners can
    // take it (CorObjeto::comTextura).
    bool texturizado(int t) const;
    // Whether some triangle is.
    bool temTexturizados() const;

private:
    int quantTriangulos;
    std::vector<std::int32_t> cantos;
    std::vector<Variante> variantes;
    std::vector<Material> materiais;
    std::vector<Textura> texturas;
    std::vector<std::uint8_t> comTextura;
    bool algumTexturizado = false;
};

}  // namespace gouraud::detail

#endif
