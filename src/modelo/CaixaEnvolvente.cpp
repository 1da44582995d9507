#include "CaixaEnvolvente.h"

#include <algorithm>
#include <cmath>

CaixaEnvolvente::CaixaEnvolvente(const Ponto* pontos, int quant)
    : CaixaEnvolvente({std::span<const Ponto>(pontos, quant > 0 ? static_cast<std::size_t>(quant)
                                                                : std::size_t{0})}) {}

CaixaEnvolvente::CaixaEnvolvente(std::initializer_list<std::span<const Ponto>> listas) {
    Ponto minimo;
    Ponto maximo;
    bool vazia = true;
    for (const std::span<const Ponto> lista : listas) {
        for (const Ponto& p : lista) {
            if (vazia) {
                minimo = maximo = p;
                vazia = false;
                continue;
            }
            minimo =
                Ponto(std::min(minimo.x, p.x), std::min(minimo.y, p.y), std::min(minimo.z, p.z));
            maximo =
                Ponto(std::max(maximo.x, p.x), std::max(maximo.y, p.y), std::max(maximo.z, p.z));
        }
    }
    fechar(minimo, maximo);
}

void CaixaEnvolvente::fechar(const Ponto& minimo, const Ponto& maximo) {
    centro = Ponto((minimo.x + maximo.x) / 2.0, (minimo.y + maximo.y) / 2.0,
                   (minimo.z + maximo.z) / 2.0);
    const double dx = maximo.x - minimo.x;
    const double dy = maximo.y - minimo.y;
    const double dz = maximo.z - minimo.z;
    diagonal = std::sqrt((dx * dx + dy * dy) + dz * dz);
}

const Ponto& CaixaEnvolvente::getCentro() const { return centro; }
double CaixaEnvolvente::getDiagonal() const { return diagonal; }
