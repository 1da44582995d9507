#ifndef GOURAUD_TESTS_CONCORRENTE_OSMESA_H
#define GOURAUD_TESTS_CONCORRENTE_OSMESA_H

#include <memory>
#include <string>

#include "Camera.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"

namespace gouraud::detail {

// Mesa through OSMesa (llvmpipe on a machine without a GPU) as a peer of the renderer, drawing
// into an RGB 565 buffer of the frame's size with a depth buffer. It uses OpenGL's fixed-function
// smooth lighting set up to match Iluminacao: one positional light (the headlight at the eye by
// default), a local viewer, two-sided lighting, the ambient, diffuse and specular coefficients
// as material colours. OpenGL's specular term is Blinn's, (N.H)^s, where Iluminacao's is Phong's
// (R.V)^eta; with the light at the eye R.V = cos 2a and N.H = cos a, and (cos 2a)^eta is close to
// (cos a)^(4 eta), so the shininess is 4 eta (at most 128) to give highlights of the same size.
// The camera is a rotation: eye coordinates are (cu, cv, -cn), so the picture is not mirrored.
// glFrustum takes Projecao's window at the near plane zPerto; the far plane lies beyond the mesh.
//
// Every frame clears colour and depth, loads the matrices and the light position, draws every
// triangle with glDrawElements from the vertex and normal arrays (single floats, made once), then
// the model's loose points as GL_POINTS of 3 pixels and its lines as GL_LINES, unlit, each with
// the colour this renderer gives it lit head-on (Ka.Ia + Kd.Od.Il, floored to bytes; a point
// with a normal, which this renderer lights with it, is drawn head-on too), and ends with
// glFinish. Mesa reads LP_NUM_THREADS, its number of rasteriser threads, when the first
// context of the process is made.
class ConcorrenteOsmesa {
public:
    // Makes the context for largura x altura frames and the arrays; `malha` must outlive this
    // object. One per process.
    ConcorrenteOsmesa(const Malha& malha, const Iluminacao& iluminacao,
                      int largura = Quadro::kLargura, int altura = Quadro::kAltura);
    ~ConcorrenteOsmesa();
    ConcorrenteOsmesa(const ConcorrenteOsmesa&) = delete;
    ConcorrenteOsmesa& operator=(const ConcorrenteOsmesa&) = delete;

    // "" when the context was made and bound, else what failed.
    const std::string& getErro() const;
    // GL_RENDERER and GL_VERSION, e.g. "llvmpipe (LLVM 15.0.6, 256 bits), 4.5 (...) Mesa 22.3.6".
    std::string getRenderizador() const;
    // Bits of the depth buffer the context got.
    int getBitsProfundidade() const;

    // One whole frame, as described above.
    void desenhar(const Camera& camera, const Projecao& projecao);
    // The last frame's colours, top row first (depths are left at 0), into a frame of this
    // object's size.
    void copiar(Quadro& quadro) const;

private:
    struct Estado;
    std::unique_ptr<Estado> estado;
};

}  // namespace gouraud::detail

#endif
