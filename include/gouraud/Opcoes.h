#ifndef GOURAUD_API_OPCOES_H
#define GOURAUD_API_OPCOES_H

#include <array>
#include <optional>

namespace gouraud {

// The shading: plano, one colour per triangle; gouraud, colours lit at the points and
// interpolated; phong, lit at every pixel.
enum class Modo { plano, gouraud, phong };
// The model's up axis, for the views.
enum class Cima { maisX, menosX, maisY, menosY, maisZ, menosZ };
// Where a view's camera stands, 1.5 bounding-box diagonals from the model's centre: in front of
// it, to its right, above it, or along the diagonal between the three.
enum class Vista { frente, direita, topo, iso };

// A camera placed by hand, in the model's own coordinates, as a scene file gives it: the eye
// (foco), the direction it looks along (n) and the way up on the screen (v; only its part across
// n counts). Neither axis needs unit length, but n must not be zero nor v parallel to it. The
// picture frames the model automatically, as the views do.
struct Camera {
    std::array<double, 3> foco{0.0, 0.0, 0.0};
    std::array<double, 3> n{0.0, 0.0, 1.0};
    std::array<double, 3> v{0.0, 1.0, 0.0};
};

// How to draw a picture. The defaults are the viewer's: a scene file from its own camera, a mesh
// file from the front, 640 x 480, Gouraud shading, no edges, no needles, the file's own colours,
// points of 3 x 3 pixels. Set only what you need:
//   gouraud::Opcoes opcoes;
//   opcoes.vista = gouraud::Vista::iso;
//   opcoes.modo = gouraud::Modo::phong;
struct Opcoes {
    // A view of the model (for a scene file it replaces the file's camera and window), or none.
    std::optional<Vista> vista{};
    // The up axis of the views; a scene file drawn from its own camera ignores it.
    Cima cima = Cima::maisY;
    // A camera of your own instead of a view; not both.
    std::optional<Camera> camera{};
    // The picture's width and height in pixels, each from 1 to 4096.
    int largura = 640;
    int altura = 480;
    Modo modo = Modo::gouraud;
    // The mesh's visible edges in black over the shading.
    bool arestas = false;
    // The points' normals as short blue needles over everything.
    bool normais = false;
    // The file's own colours, materials and textures; false paints every triangle, point and
    // line in the lighting's colour.
    bool cores = true;
    // The side of the squares the model's loose points are drawn as, from 1 to 16 pixels.
    int ponto = 3;
};

}  // namespace gouraud

#endif
