#include "Sombreamento.h"

namespace gouraud::detail {

namespace {

constexpr double kCanalMaximoReal = 255.0;

// The channel floored to 0..255; a NaN gives 0. Written as two selections, without branches.
int canal(double valor) {
    const double positivo = 0.0 < valor ? valor : 0.0;
    const double limitado = kCanalMaximoReal < positivo ? kCanalMaximoReal : positivo;
    return static_cast<int>(limitado);
}

}  // namespace

Sombreamento::Canais Sombreamento::canais(double r, double g, double b) {
    return Canais{canal(r), canal(g), canal(b)};
}

std::uint16_t Sombreamento::empacotar(double r, double g, double b) {
    return Quadro::empacotar(canal(r), canal(g), canal(b));
}

void Sombreamento::usarProjecao(const Projecao&) {}

void Sombreamento::sobrepor(const FaixaVisivel&, Quadro&) const {}

}  // namespace gouraud::detail
