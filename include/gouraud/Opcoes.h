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
// How a loose point is drawn: a square of `ponto` pixels a side, or the pixels whose centres lie
// within ponto / 2 of it (a disc; a point of 1 pixel is one pixel either way).
enum class FormaPonto { quadrado, disco };

// A camera placed by hand, in the model's own coordinates, as a scene file gives it: the eye
// (foco), the direction it looks along (n) and the way up on the screen (v; only its part across
// n counts). Neither axis needs unit length, but n must not be zero nor v parallel to it. The
// picture frames the model automatically, as the views do.
struct Camera {
    std::array<double, 3> foco{0.0, 0.0, 0.0};
    std::array<double, 3> n{0.0, 0.0, 1.0};
    std::array<double, 3> v{0.0, 1.0, 0.0};
};

// A camera placed as pinhole cameras are: the eye (olho), the point it looks at (alvo), the way
// up (cima; only its part across the line of sight counts) and the vertical field of view in
// degrees, over 0 and under 180. Unlike the views and Camera it frames nothing: the picture
// shows what such a camera sees, the line of sight through the picture's centre, square pixels.
struct Olhar {
    std::array<double, 3> olho{0.0, 0.0, 1.0};
    std::array<double, 3> alvo{0.0, 0.0, 0.0};
    std::array<double, 3> cima{0.0, 1.0, 0.0};
    double campo = 45.0;
};

// The buffers a picture brings beside its colours (Imagem), each read from the pixel's winner,
// the same one whose colour the picture shows, never blended: a triangle that wins the depth
// test (ties to the lower number in the file), or a loose point or a line where it draws (no
// triangle and no part there; a line has no normal). The edges and the needles change none.
// With aa > 1 they are those of the picture drawn at one sample a pixel, the winners at the
// pixels' centres. Asking for none costs nothing.
struct Buffers {
    // The camera-space depth of the winner at the pixel's centre: 1 / the value the depth test
    // compared there, rounded to float; +inf where nothing is drawn.
    bool profundidade = false;
    // The unit normal, in the model's coordinates, that the phong mode lights the pixel with,
    // whatever the mode; zeros where there is none.
    bool normais = false;
    // The winner's triangle, numbered as in the file; Imagem::kNenhum where none.
    bool triangulo = false;
    // The winner's part (mesh) of the file, in the import library's order; Imagem::kNenhum
    // where none.
    bool parte = false;
};

// How to draw a picture. The defaults are the viewer's: a scene file from its own camera, a mesh
// file from the front, 640 x 480, Gouraud shading, no edges, no needles, the file's own colours,
// points of 3 x 3 pixels, 16-bit colour, one sample a pixel, no eye-dome lighting, black
// background: today's picture. Set only what you need:
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
    // A pinhole camera instead of a view or a Camera; not with either.
    std::optional<Olhar> olhar{};
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
    // The points' shape: squares, or discs of diameter `ponto`.
    FormaPonto formaPonto = FormaPonto::quadrado;
    // 16: every colour packed into 16 bits (5, 6 and 5) and expanded back, as the screen the
    // project grew from shows it; 24: each channel as the lighting floors it, 0..255.
    int bits = 16;
    // K, from 1 to 4: the picture drawn at K.largura x K.altura (points of K.ponto pixels, the
    // eye-dome radius K.raioEdl), each pixel then the mean of its K x K samples' 8-bit channels,
    // rounded half up. K.largura and K.altura may be at most 4096.
    int aa = 1;
    // Eye-dome lighting: each drawn pixel darkened by how far its neighbours raioEdl pixels away
    // (1 to 8) stand in front of it, with the strength forcaEdl (0 to 100).
    bool edl = false;
    int raioEdl = 1;
    double forcaEdl = 2.0;
    // The background's red, green and blue, each 0..1 (rounded to the nearest of 0..255), or
    // none at all: `transparente` gives the picture an alpha channel (Imagem::alfa), 0 where
    // nothing is drawn and 255 where something is (with aa, the mean coverage of the samples).
    std::array<double, 3> fundo{0.0, 0.0, 0.0};
    bool transparente = false;
    // The buffers to bring beside the colours; none costs nothing.
    Buffers buffers{};
};

}  // namespace gouraud

#endif
