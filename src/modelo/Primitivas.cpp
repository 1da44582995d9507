#include "Primitivas.h"

#include <cmath>
#include <limits>

namespace {

// Appends `valor` to `lista`, which holds one entry per earlier item or none at all: the first
// value given fills the earlier items' entries with `ausente`.
void acrescentar(std::vector<Primitivas::Terno>& lista, std::size_t anteriores,
                 const Primitivas::Terno* valor, const Primitivas::Terno& ausente) {
    if (valor == nullptr && lista.empty()) {
        return;
    }
    if (lista.size() < anteriores) {
        lista.resize(anteriores, ausente);
    }
    lista.push_back(valor != nullptr ? *valor : ausente);
}

}  // namespace

Primitivas::Terno Primitivas::semNormal() { return Terno{0.0f, 0.0f, 0.0f}; }

Primitivas::Terno Primitivas::semCor() {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    return Terno{kNaN, kNaN, kNaN};
}

bool Primitivas::temCor(const Terno& cor) {
    return std::isfinite(cor.x) && std::isfinite(cor.y) && std::isfinite(cor.z);
}

void Primitivas::reservarPontos(std::size_t quant, bool comNormais, bool comCores) {
    pontos.reserve(quant);
    if (comNormais) {
        normais.reserve(quant);
    }
    if (comCores) {
        cores.reserve(quant);
    }
}

void Primitivas::acrescentarPonto(const Ponto& posicao, const Terno* normal, const Terno* cor) {
    const std::size_t anteriores = pontos.size();
    pontos.push_back(posicao);
    acrescentar(normais, anteriores, normal, semNormal());
    acrescentar(cores, anteriores, cor, semCor());
}

void Primitivas::acrescentarLinha(const Ponto& inicio, const Ponto& fim, const Terno* cor) {
    const std::size_t anteriores = extremos.size() / 2;
    extremos.push_back(inicio);
    extremos.push_back(fim);
    acrescentar(coresLinhas, anteriores, cor, semCor());
}

bool Primitivas::vazia() const { return pontos.empty() && extremos.empty(); }
int Primitivas::getQuantPontos() const { return static_cast<int>(pontos.size()); }
int Primitivas::getQuantLinhas() const { return static_cast<int>(extremos.size() / 2); }
const std::vector<Ponto>& Primitivas::getPontos() const { return pontos; }
const std::vector<Primitivas::Terno>& Primitivas::getNormais() const { return normais; }
const std::vector<Primitivas::Terno>& Primitivas::getCores() const { return cores; }
const std::vector<Ponto>& Primitivas::getExtremos() const { return extremos; }
const std::vector<Primitivas::Terno>& Primitivas::getCoresLinhas() const { return coresLinhas; }
