#include "Primitivas.h"

#include <cmath>
#include <limits>
#include <utility>

namespace gouraud::detail {

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

// Appends `material` to `lista`, as acrescentar does, -1 standing for none.
void acrescentarMaterial(std::vector<std::int32_t>& lista, std::size_t anteriores,
                         std::int32_t material) {
    if (material < 0 && lista.empty()) {
        return;
    }
    if (lista.size() < anteriores) {
        lista.resize(anteriores, -1);
    }
    lista.push_back(material);
}

// Material `numero` of `materiais`, or null for a number out of range.
const Aparencia::Material* materialDe(const std::vector<Aparencia::Material>& materiais,
                                      const std::vector<std::int32_t>& numeros, std::size_t k) {
    if (k >= numeros.size() || numeros[k] < 0 ||
        static_cast<std::size_t>(numeros[k]) >= materiais.size()) {
        return nullptr;
    }
    return &materiais[static_cast<std::size_t>(numeros[k])];
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
    x.reserve(quant);
    y.reserve(quant);
    z.reserve(quant);
    if (comNormais) {
        normais.reserve(quant);
    }
    if (comCores) {
        cores.reserve(quant);
    }
}

Ponto Primitivas::ponto(const Terno& posicao) { return Ponto(posicao.x, posicao.y, posicao.z); }

void Primitivas::acrescentarPonto(const Terno& posicao, const Terno* normal, const Terno* cor,
                                  std::int32_t material) {
    const std::size_t anteriores = x.size();
    x.push_back(posicao.x);
    y.push_back(posicao.y);
    z.push_back(posicao.z);
    acrescentar(normais, anteriores, normal, semNormal());
    acrescentar(cores, anteriores, cor, semCor());
    acrescentarMaterial(materiaisPontos, anteriores, material);
}

void Primitivas::acrescentarLinha(const Terno& inicio, const Terno& fim, const Terno* cor,
                                  std::int32_t material) {
    const std::size_t anteriores = extremos.size() / 2;
    extremos.push_back(inicio);
    extremos.push_back(fim);
    acrescentar(coresLinhas, anteriores, cor, semCor());
    acrescentarMaterial(materiaisLinhas, anteriores, material);
}

void Primitivas::setMateriais(std::vector<Aparencia::Material> dados) {
    materiais = std::move(dados);
}

bool Primitivas::vazia() const { return x.empty() && extremos.empty(); }
int Primitivas::getQuantPontos() const { return static_cast<int>(x.size()); }
int Primitivas::getQuantLinhas() const { return static_cast<int>(extremos.size() / 2); }
Primitivas::Terno Primitivas::getPosicao(int i) const {
    const auto k = static_cast<std::size_t>(i);
    return Terno{x[k], y[k], z[k]};
}
Ponto Primitivas::getPonto(int i) const { return ponto(getPosicao(i)); }
const float* Primitivas::getX() const { return x.data(); }
const float* Primitivas::getY() const { return y.data(); }
const float* Primitivas::getZ() const { return z.data(); }
const std::vector<Primitivas::Terno>& Primitivas::getNormais() const { return normais; }
const std::vector<Primitivas::Terno>& Primitivas::getCores() const { return cores; }
const std::vector<Primitivas::Terno>& Primitivas::getExtremos() const { return extremos; }
const std::vector<Primitivas::Terno>& Primitivas::getCoresLinhas() const { return coresLinhas; }
const Aparencia::Material* Primitivas::getMaterialPonto(int i) const {
    return materialDe(materiais, materiaisPontos, static_cast<std::size_t>(i));
}
const Aparencia::Material* Primitivas::getMaterialLinha(int k) const {
    return materialDe(materiais, materiaisLinhas, static_cast<std::size_t>(k));
}

}  // namespace gouraud::detail
