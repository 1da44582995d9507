#ifndef GOURAUD_RASTERIZADOR_H
#define GOURAUD_RASTERIZADOR_H

#include "Camera.h"
#include "Classificacao.h"
#include "EstagioVertices.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "VerticeTela.h"

// Rasterising, the last stage: drawing one band of rows of the frame.
//   In:  the band's list from the binning, in file order, and the vertex stage's corners.
//   Out: the band's rows of the frame cleared, then each triangle's covered pixels (Cobertura)
//        depth-tested and coloured (Sombreador); a triangle with a corner to clip is clipped
//        first (Recorte) and drawn as the fan of its polygon.
// Each band is drawn by one thread, its triangles in file order, so every pixel is written in
// file order whatever the number of threads.
class Rasterizador {
public:
    // Draws from the stages given, which must outlive this object.
    Rasterizador(const Malha& malha, const EstagioVertices& vertices,
                 const Classificacao& classificacao);

    // Clears band `faixa` of `quadro` and draws its triangles seen from `camera` through
    // `projecao`, the view and frame the two earlier stages ran for.
    void desenharFaixa(int faixa, const Camera& camera, const Projecao& projecao,
                       Quadro& quadro) const;

    // Draws the triangle (a, b, c) into rows [linha0, linha1) of `quadro` (clamped to the
    // frame): the pixels whose centre it covers, where its 1/cn is greater than the stored one.
    // Corners less than Cobertura::kMaiorCoordenada pixels from the origin on both axes.
    static void desenharTriangulo(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c,
                                  int linha0, int linha1, Quadro& quadro);

private:
    const Malha& malha;
    const EstagioVertices& vertices;
    const Classificacao& classificacao;
};

#endif
