#include "MontagemAparencia.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "CorObjeto.h"

namespace gouraud::detail {

namespace {

constexpr std::int32_t kNenhuma = -1;

// Whether two variants hold the same attributes, bit for bit.
bool iguais(const Aparencia::Variante& a, const Aparencia::Variante& b) {
    return a.material == b.material && a.temCor == b.temCor && a.temUv == b.temUv &&
           std::memcmp(a.cor.data(), b.cor.data(), sizeof(a.cor)) == 0 &&
           std::memcmp(a.uv.data(), b.uv.data(), sizeof(a.uv)) == 0;
}

}  // namespace

void MontagemAparencia::reservar(std::size_t quantVariantes, std::size_t triangulos) {
    variantes.reserve(quantVariantes);
    seguinte.reserve(quantVariantes);
    primeira.reserve(quantVariantes);
    cantos.reserve(3 * triangulos);
}

void MontagemAparencia::novaFonte(std::size_t quantVertices, std::int32_t materialDaFonte) {
    mapa.assign(quantVertices, kNenhuma);
    material = materialDaFonte;
}

std::int32_t MontagemAparencia::variante(std::size_t vertice, std::int32_t ponto, const float* cor,
                                         const float* uv) {
    std::int32_t& dada = mapa[vertice];
    if (dada != kNenhuma) {
        return dada;
    }
    Aparencia::Variante nova;
    nova.ponto = ponto;
    nova.material = material;
    nova.temCor = cor != nullptr;
    nova.temUv = uv != nullptr;
    if (cor != nullptr) {
        std::copy(cor, cor + nova.cor.size(), nova.cor.begin());
    }
    if (uv != nullptr) {
        std::copy(uv, uv + nova.uv.size(), nova.uv.begin());
    }
    if (static_cast<std::size_t>(ponto) >= primeira.size()) {
        primeira.resize(static_cast<std::size_t>(ponto) + 1, kNenhuma);
    }
    std::int32_t v = primeira[static_cast<std::size_t>(ponto)];
    while (v != kNenhuma && !iguais(variantes[static_cast<std::size_t>(v)], nova)) {
        v = seguinte[static_cast<std::size_t>(v)];
    }
    if (v == kNenhuma) {
        if (variantes.size() >=
            static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
            throw std::length_error("too many corners");
        }
        v = static_cast<std::int32_t>(variantes.size());
        variantes.push_back(nova);
        seguinte.push_back(primeira[static_cast<std::size_t>(ponto)]);
        primeira[static_cast<std::size_t>(ponto)] = v;
    }
    dada = v;
    return v;
}

std::int32_t MontagemAparencia::varianteDoVertice(std::size_t vertice) const {
    return mapa[vertice];
}

void MontagemAparencia::triangulo(std::int32_t a, std::int32_t b, std::int32_t c) {
    cantos.push_back(a);
    cantos.push_back(b);
    cantos.push_back(c);
}

std::unique_ptr<Aparencia> MontagemAparencia::concluir(int quantPontos,
                                                       std::vector<Aparencia::Material> materiais,
                                                       std::vector<Textura> texturas) {
    const bool diz = std::any_of(variantes.begin(), variantes.end(), [&](const auto& v) {
        return v.temCor ||
               (v.material >= 0 && v.material < static_cast<std::int64_t>(materiais.size()) &&
                !CorObjeto::substituto(materiais[static_cast<std::size_t>(v.material)]));
    });
    if (!diz) {
        return nullptr;
    }
    const auto quantTriangulos = static_cast<int>(cantos.size() / 3);
    return std::make_unique<Aparencia>(quantPontos, quantTriangulos, std::move(cantos),
                                       std::move(variantes), std::move(materiais),
                                       std::move(texturas));
}

}  // namespace gouraud::detail
