#ifndef GOURAUD_CAIXA_ENVOLVENTE_H
#define GOURAUD_CAIXA_ENVOLVENTE_H

#include <cstddef>
#include <initializer_list>
#include <span>

#include "Ponto.h"

// The axis-aligned bounding box of a list of points, reduced to the two numbers the viewer needs:
// its centre and the length of its diagonal.
class CaixaEnvolvente {
public:
    // The box of `quant` points (quant >= 0; `pontos` may be null when quant is 0). The centre is
    // (least + greatest) / 2 on each axis and the diagonal sqrt((dx*dx + dy*dy) + dz*dz), both
    // the origin and 0 for no points.
    CaixaEnvolvente(const Ponto* pontos, int quant);
    // The box of the points of every list, as one list of them all.
    explicit CaixaEnvolvente(std::initializer_list<std::span<const Ponto>> listas);

    // Centre of the box, world coordinates.
    const Ponto& getCentro() const;
    // Length of the box's diagonal.
    double getDiagonal() const;

private:
    // Works out the centre and the diagonal of the box from its least and greatest corners.
    void fechar(const Ponto& minimo, const Ponto& maximo);

    Ponto centro;
    double diagonal = 0.0;
};

#endif
