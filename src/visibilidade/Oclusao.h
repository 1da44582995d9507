#ifndef GOURAUD_OCLUSAO_H
#define GOURAUD_OCLUSAO_H

#include <cstdint>

#include "Aglomerados.h"
#include "Camera.h"
#include "Piramide.h"
#include "Projecao.h"

// The occlusion test of a cluster against the depths a frame already holds (its Piramide): a
// cluster is left out only when no triangle of it could win any pixel, not even by a tie, so the
// picture is the same bits with it or without it.
//   In:  the cluster's box and shape (Aglomerado), the camera, the projection and the frame's
//        size; the depth pyramid of what was drawn so far.
//   Out: oculto when, over every pixel the box's projection could touch, the least stored 1/cn
//        is strictly greater than the greatest 1/cn any of its triangles could give there; fora
//        when the box's projection holds no pixel centre of the frame; desenhar otherwise, and
//        always when a corner of the box is not safely in front of the near plane, or projects
//        too far for the exact tests (Recorte::limiteSeguro), or when the cluster's triangles
//        could be seen nearly edge-on.
class Oclusao {
public:
    enum class Resultado { desenhar, oculto, fora };

    // The box's nearest 1/cn is raised by this share of itself before it is compared.
    static constexpr double kMargemProfundidade = 1.0 / 65536.0;  // 2^-16
    // The largest condition numbers K and K' (see Oclusao.cpp) of a cluster that may be left
    // out.
    static constexpr double kMaiorCondicao = 1048576.0;           // 2^20
    static constexpr double kMaiorCondicaoArea = 1073741824.0;    // 2^30

    // For frames of largura x altura pixels seen from `camera` through `projecao`.
    Oclusao(const Camera& camera, const Projecao& projecao, int largura, int altura);

    // The test of cluster `aglomerado`, made of triangles [inicio, fim) of `indices` (three
    // point numbers each) over `pontos`, against `piramide`, built from this view's frame. The
    // triangles are read only when the cluster's normal cone cannot show that none of them is
    // seen nearly edge-on.
    Resultado testar(const Aglomerado& aglomerado, const Piramide& piramide, const Ponto* pontos,
                     const std::int32_t* indices, int inicio, int fim) const;

private:
    // Whether the focus lies at least `exigido` (with room for the rounding) from the plane of
    // each of triangles [inicio, fim).
    bool distantes(const Ponto* pontos, const std::int32_t* indices, int inicio, int fim,
                   double exigido) const;

    Camera camera;
    Projecao projecao;
    int largura;
    int altura;
    // False when the projection cannot be reasoned about (a size not positive or not finite):
    // then every cluster is drawn.
    bool util;
    // Recorte::limiteSeguro for the frame.
    double limite;
    // Pixels per unit of cu/cn (the larger of the two axes', and the smaller's), the larger
    // over the smaller, and the part of the condition's scale L that does not depend on the
    // cluster: (|ox| + |oy|)/d + 2 (hx + hy)/d.
    double escala;
    double escalaMenor;
    double anisotropia;
    double escalaFixa;
};

#endif
