#ifndef GOURAUD_TESTS_RENDERIZADOR_REFERENCIA_H
#define GOURAUD_TESTS_RENDERIZADOR_REFERENCIA_H

// The straightforward renderer, kept as the reference the fast one is tested against: every
// triangle in file order, every pixel of its bounding box, edge functions and weights in plain
// double, on one thread; then every loose point, pixel by pixel around it; every line, column by
// column or row by row; the edges over all that; then every needle, as the lines.

#include "Camera.h"
#include "Estilo.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"

namespace gouraud::detail {

// Clears the frame and draws the mesh in `estilo` as Renderizador::desenhar does, with the
// mesh's own colours and textures when it has them and estilo.cores holds.
void desenharReferencia(const Malha& malha, const Iluminacao& iluminacao, const Camera& camera,
                        const Projecao& projecao, Quadro& quadro,
                        const Estilo& estilo = Estilo());

}  // namespace gouraud::detail

#endif
