#ifndef GOURAUD_AGULHAS_H
#define GOURAUD_AGULHAS_H

#include <cstdint>
#include <vector>

#include "Camera.h"
#include "Malha.h"
#include "Ponto.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Trabalhadores.h"

namespace gouraud::detail {

// The scene's normals drawn as needles over a finished frame. The scene's displaced point Q of
// a point P is P plus the normal of the last triangle that names it, and that normal points away
// from a viewer who sees the triangle's corners counter-clockwise; so the needle goes the other
// way, outwards on the usual meshes: from P to P - 0.03.D.(Q - P)/|Q - P|, D the diagonal of the
// points' bounding box. A needle is clipped at the near plane in camera space, then drawn one
// pixel per column (or per row, when it is steeper than 45 degrees; Segmento) in the colour
// (64, 96, 255) where its 1/cn is at least the stored one; it writes no depth.
class Agulhas {
public:
    // The packed colour of a needle's pixels.
    static std::uint16_t cor();

    // The needles of the points of `malha` that a triangle names and whose Q - P is finite and
    // not zero; `malha` is read here only.
    explicit Agulhas(const Malha& malha);

    // Number of needles.
    int getQuantidade() const;

    // Draws every needle seen from `camera` through `projecao` over `quadro`, whose depths are
    // those of the triangles drawn. The needles are shared among `trabalhadores`; as they all
    // have one colour and write no depth, the picture does not depend on who draws which.
    void desenhar(const Camera& camera, const Projecao& projecao, Quadro& quadro,
                  Trabalhadores& trabalhadores) const;

    // Draws the needle between the camera-space points a and b, clipped at the near plane
    // cn = projecao.zPerto, over `quadro`.
    static void desenharAgulha(const Vetor& a, const Vetor& b, const Projecao& projecao,
                               Quadro& quadro);

    // Draws a needle given on the screen: ends (x0, y0) and (x1, y1) in pixels with their 1/cn,
    // its pixels those of Segmento. Pixels off the screen are skipped without being visited;
    // ends that are not finite draw nothing.
    static void desenharSegmento(double x0, double y0, double iz0, double x1, double y1,
                                 double iz1, Quadro& quadro);

private:
    struct Agulha {
        Ponto inicio;
        Ponto fim;
    };
    // Draws the needles of batch `lote`.
    void desenharLote(int lote, const Camera& camera, const Projecao& projecao,
                      Quadro& quadro) const;

    std::vector<Agulha> agulhas;
};

}  // namespace gouraud::detail

#endif
