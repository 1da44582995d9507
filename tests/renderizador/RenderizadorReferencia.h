#ifndef GOURAUD_TESTS_RENDERIZADOR_REFERENCIA_H
#define GOURAUD_TESTS_RENDERIZADOR_REFERENCIA_H

// The straightforward renderer, kept as the reference the fast one is tested against: every
// triangle in file order, every pixel of its bounding box, edge functions and weights in plain
// double, on one thread; then every loose point, pixel by pixel around it; every line, column by
// column or row by row; the edges over all that; then every needle, as the lines.

#include <vector>

#include "Camera.h"
#include "Estilo.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"

namespace gouraud::detail {

// Clears the frame and draws the mesh in `estilo` as Renderizador::desenhar does at one sample
// a pixel, with the mesh's own colours and textures when it has them and estilo.cores holds: in
// 24 bits (the frame keeping channels) or 16, on the style's background or none (the channels'
// alpha then marking what is drawn), points of `tamanhoPonto` pixels (0: the style's), squares
// or discs.
void desenharReferencia(const Malha& malha, const Iluminacao& iluminacao, const Camera& camera,
                        const Projecao& projecao, Quadro& quadro, const Estilo& estilo = Estilo(),
                        int tamanhoPonto = 0);

// The picture of `estilo` by its rule, W x H as the projection's screen, each pixel 0xAARRGGBB
// (alpha 255 on a background): the frame of K.W x K.H samples by desenharReferencia through the
// projection's screen K times larger with points K times larger, each sample's 8-bit channels
// (its own in 24 bits, its 16-bit colour expanded in 16), eye-dome lighting at radius K.r sample
// by sample, then each pixel the mean of its samples (of the drawn ones without a background).
std::vector<Canais> imagemReferencia(const Malha& malha, const Iluminacao& iluminacao,
                                     const Camera& camera, const Projecao& projecao,
                                     const Estilo& estilo);
// The picture a finished frame holds, in the same form.
std::vector<Canais> imagemDoQuadro(const Quadro& quadro);

}  // namespace gouraud::detail

#endif
