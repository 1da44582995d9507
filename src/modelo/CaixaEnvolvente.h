#ifndef GOURAUD_CAIXA_ENVOLVENTE_H
#define GOURAUD_CAIXA_ENVOLVENTE_H

#include "Ponto.h"
#include "Primitivas.h"

namespace gouraud::detail {

// The axis-aligned bounding box of a list of points, reduced to the two numbers the viewer needs:
// its centre and the length of its diagonal.
class CaixaEnvolvente {
public:
    // The box of `quant` points (quant >= 0; `pontos` may be null when quant is 0). The centre is
    // (least + greatest) / 2 on each axis and the diagonal sqrt((dx*dx + dy*dy) + dz*dz), both
    // the origin and 0 for no points.
    CaixaEnvolvente(const Ponto* pontos, int quant);
    // The same for those points together with the loose points and the segments' ends of
    // `primitivas`.
    CaixaEnvolvente(const Ponto* pontos, int quant, const Primitivas& primitivas);

    // Centre of the box, world coordinates.
    const Ponto& getCentro() const;
    // Length of the box's diagonal.
    double getDiagonal() const;
    // The least and the greatest coordinate on each axis, both the origin for no points.
    const Ponto& getMenor() const;
    const Ponto& getMaior() const;

private:
    Ponto menor;
    Ponto maior;
    Ponto centro;
    double diagonal = 0.0;
};

}  // namespace gouraud::detail

#endif
