#ifndef GOURAUD_OCLUSAO_H
#define GOURAUD_OCLUSAO_H

#include <array>
#include <cstdint>

#include "Aglomerados.h"
#include "Camera.h"
#include "Piramide.h"
#include "Projecao.h"

namespace gouraud::detail {

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
    // What the test decided for a cluster: oculto when none of its runs could show, fora when
    // its box holds no pixel centre, desenhar with the runs to draw (bit k for run k).
    struct Decisao {
        Resultado resultado;
        unsigned trechos;
    };

    // The box's nearest 1/cn is raised by this share of itself before it is compared.
    static constexpr double kMargemProfundidade = 1.0 / 65536.0;  // 2^-16
    // The largest condition numbers K and K' (see Oclusao.cpp) of a cluster that may be left
    // out.
    static constexpr double kMaiorCondicao = 1048576.0;         // 2^20
    static constexpr double kMaiorCondicaoArea = 1073741824.0;  // 2^30

    // For frames of largura x altura pixels seen from `camera` through `projecao`.
    Oclusao(const Camera& camera, const Projecao& projecao, int largura, int altura);

    // The test, against `piramide` (built from this view's frame), of the runs of cluster
    // `aglomerado` whose bit is set in `pendentes`: the cluster is made of triangles from
    // `inicio` on of `indices` (three point numbers each) over `pontos`, read only for a run
    // whose cone cannot show that none of its triangles is seen nearly edge-on. The whole
    // cluster's box first; when that is not hidden, each run's own box.
    Decisao testar(const Aglomerado& aglomerado, unsigned pendentes, const Piramide& piramide,
                   const Ponto* pontos, const std::int32_t* indices, int inicio) const;

private:
    static constexpr int kCantos = 8;

    // A box seen in this view: whether every corner is safely in front and within the safe
    // limit; the pixels [i0, i1] x [j0, j1] its projection could touch (vazia when none); its
    // least and greatest cn, the scale L of the condition numbers, and its corners' offsets
    // from the focus with their largest |.|_1.
    struct NaTela {
        bool segura = true;
        bool vazia = true;
        int i0 = 0;
        int i1 = -1;
        int j0 = 0;
        int j1 = -1;
        double cnMenor = 0.0;
        double cnMaior = 0.0;
        double escalaL = 0.0;
        double distancia = 0.0;
        std::array<std::array<double, 3>, kCantos> deslocamentos;
    };
    // The box `caixa` seen in this view.
    NaTela projetar(const CaixaEspacial& caixa) const;
    // Whether every 1/cn a triangle in the box could give is below the depths the pyramid holds
    // over its pixels.
    bool escondida(const NaTela& caixa, const Piramide& piramide) const;
    // The least distance from the focus to the plane of each triangle in the box (seen as
    // `caixa`) of cluster `a` that keeps the condition numbers within their bounds.
    double exigido(const NaTela& caixa, const Aglomerado& a) const;
    // The largest |P - F| over the corners of the box seen as `caixa`.
    static double raioMaior(const NaTela& caixa);
    // Whether the focus lies at least `exigido` (with room for the rounding) from the plane of
    // each of triangles [inicio, fim), those of run `trecho`, within the box seen as `caixa`,
    // whose raioMaior is `raio`.
    bool longeDosPlanos(const NaTela& caixa, double raio, const Trecho& trecho, double exigido,
                        const Ponto* pontos, const std::int32_t* indices, int inicio,
                        int fim) const;

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
    // The projection as xs = escalaX cu/cn + origemX and ys = origemY - escalaY cv/cn.
    double escalaX;
    double escalaY;
    double origemX;
    double origemY;
};

}  // namespace gouraud::detail

#endif
