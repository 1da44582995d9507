#include "CaixaEnvolvente.h"

#include <algorithm>
#include <cmath>

CaixaEnvolvente::CaixaEnvolvente(const Ponto* pontos, int quant) {
    Ponto minimo;
    Ponto maximo;
    if (quant > 0) {
        minimo = maximo = pontos[0];
        for (int i = 1; i < quant; ++i) {
            const Ponto& p = pontos[i];
            minimo =
                Ponto(std::min(minimo.x, p.x), std::min(minimo.y, p.y), std::min(minimo.z, p.z));
            maximo =
                Ponto(std::max(maximo.x, p.x), std::max(maximo.y, p.y), std::max(maximo.z, p.z));
        }
    }
    centro = Ponto((minimo.x + maximo.x) / 2.0, (minimo.y + maximo.y) / 2.0,
                   (minimo.z + maximo.z) / 2.0);
    const double dx = maximo.x - minimo.x;
    const double dy = maximo.y - minimo.y;
    const double dz = maximo.z - minimo.z;
    diagonal = std::sqrt((dx * dx + dy * dy) + dz * dz);
}

const Ponto& CaixaEnvolvente::getCentro() const { return centro; }
double CaixaEnvolvente::getDiagonal() const { return diagonal; }
