#ifndef GOURAUD_DESENHO_MODOS_H
#define GOURAUD_DESENHO_MODOS_H

#include "Camera.h"
#include "Classificacao.h"
#include "EstagioVertices.h"
#include "Estilo.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"

// Drawing one band of rows in a shading mode other than plain Gouraud: flat, Phong, or any mode
// with the mesh's edges. Which pixels a triangle covers and wins is decided exactly as the
// rasterising stage decides it (Cobertura, the depth test on 1/cn, Recorte and the fan of a
// clipped polygon); only the colour of a won pixel differs:
//   plano:   the triangle's flat colour (CorPlana), the same at every pixel;
//   gouraud: the points' lit colours, interpolated perspective-correctly;
//   phong:   the lighting at the pixel (SombreamentoPhong), from the world positions and unit
//            point normals of the corners interpolated with the same weights; for a clipped
//            triangle they are carried through the clipping as the colours are.
// With the edges, a won pixel within 0.75 pixel of one of its triangle's own edges (Arestas) is
// black instead. Each band is drawn by one thread, its triangles in file order.
class DesenhoModos {
public:
    // Draws from the stages given, which must outlive this object.
    DesenhoModos(const Malha& malha, const EstagioVertices& vertices,
                 const Classificacao& classificacao);

    // Clears band `faixa` of `quadro` and draws its triangles in `estilo`'s mode (and edges),
    // seen from `camera` through `projecao` and lit by `iluminacao`, as the vertex stage and the
    // binning prepared them for this view and frame.
    void desenharFaixa(int faixa, const Camera& camera, const Projecao& projecao,
                       const Estilo& estilo, const Iluminacao& iluminacao, Quadro& quadro) const;

private:
    // What every triangle of a band is drawn with.
    struct Vista;
    template <Estilo::Modo kModo, bool kArestas>
    void desenharTriangulos(int faixa, const Vista& vista, Quadro& quadro) const;

    const Malha& malha;
    const EstagioVertices& vertices;
    const Classificacao& classificacao;
};

#endif
