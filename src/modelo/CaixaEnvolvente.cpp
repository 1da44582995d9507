#include "CaixaEnvolvente.h"

#include <algorithm>
#include <cmath>

namespace gouraud::detail {

CaixaEnvolvente::CaixaEnvolvente(const Ponto* pontos, int quant)
    : CaixaEnvolvente(pontos, quant, Primitivas()) {}

CaixaEnvolvente::CaixaEnvolvente(const Ponto* pontos, int quant, const Primitivas& primitivas) {
    Ponto minimo;
    Ponto maximo;
    bool vazia = true;
    const auto incluir = [&](const Ponto& p) {
        if (vazia) {
            minimo = maximo = p;
            vazia = false;
            return;
        }
        minimo = Ponto(std::min(minimo.x, p.x), std::min(minimo.y, p.y), std::min(minimo.z, p.z));
        maximo = Ponto(std::max(maximo.x, p.x), std::max(maximo.y, p.y), std::max(maximo.z, p.z));
    };
    for (int i = 0; i < quant; ++i) {
        incluir(pontos[i]);
    }
    for (int i = 0; i < primitivas.getQuantPontos(); ++i) {
        incluir(primitivas.getPonto(i));
    }
    for (const Primitivas::Terno& p : primitivas.getExtremos()) {
        incluir(Primitivas::ponto(p));
    }
    centro = Ponto((minimo.x + maximo.x) / 2.0, (minimo.y + maximo.y) / 2.0,
                   (minimo.z + maximo.z) / 2.0);
    const double dx = maximo.x - minimo.x;
    const double dy = maximo.y - minimo.y;
    const double dz = maximo.z - minimo.z;
    diagonal = std::sqrt((dx * dx + dy * dy) + dz * dz);
    menor = minimo;
    maior = maximo;
}

const Ponto& CaixaEnvolvente::getCentro() const { return centro; }
double CaixaEnvolvente::getDiagonal() const { return diagonal; }
const Ponto& CaixaEnvolvente::getMenor() const { return menor; }
const Ponto& CaixaEnvolvente::getMaior() const { return maior; }

}  // namespace gouraud::detail
