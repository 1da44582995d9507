#include "Aparencia.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <utility>

#include "CorObjeto.h"

namespace gouraud::detail {

namespace {

constexpr std::size_t kCantos = 3;

}  // namespace

Aparencia::Aparencia(int quantPontos, int quantTriangulos, std::vector<std::int32_t> listaCantos,
                     std::vector<Variante> listaVariantes, std::vector<Material> listaMateriais,
                     std::vector<Textura> listaTexturas)
    : quantTriangulos(quantTriangulos),
      cantos(std::move(listaCantos)),
      variantes(std::move(listaVariantes)),
      materiais(std::move(listaMateriais)),
      texturas(std::move(listaTexturas)) {
    const auto faltando = [](const char* o) {
        throw std::invalid_argument(std::string("the look of the mesh names a missing ") + o);
    };
    if (quantTriangulos < 0 ||
        cantos.size() != kCantos * static_cast<std::size_t>(quantTriangulos)) {
        throw std::invalid_argument("the look of the mesh has the wrong number of corners");
    }
    for (const Material& m : materiais) {
        if (m.textura < -1 || m.textura >= static_cast<std::int64_t>(texturas.size())) {
            faltando("texture");
        }
    }
    for (const Variante& v : variantes) {
        if (v.ponto < 0 || v.ponto >= quantPontos) {
            faltando("point");
        }
        if (v.material < -1 || v.material >= static_cast<std::int64_t>(materiais.size())) {
            faltando("material");
        }
    }
    if (!cantos.empty()) {
        const auto [menor, maior] = std::minmax_element(cantos.begin(), cantos.end());
        if (*menor < 0 || *maior >= static_cast<std::int64_t>(variantes.size())) {
            faltando("corner");
        }
    }
    comTextura.assign(static_cast<std::size_t>(quantTriangulos), 0);
    // Only a material with a texture that was read can make a triangle textured.
    const float coordenadas[2] = {0.0f, 0.0f};
    const bool algumaTextura = std::any_of(
        materiais.begin(), materiais.end(),
        [&coordenadas](const Material& m) { return CorObjeto::comTextura(&m, coordenadas); });
    for (std::size_t t = 0; algumaTextura && t < comTextura.size(); ++t) {
        bool todos = true;
        std::int32_t material = -1;
        for (std::size_t k = 0; k < kCantos; ++k) {
            const Variante& v = variantes[static_cast<std::size_t>(cantos[kCantos * t + k])];
            todos = todos && (k == 0 || v.material == material) &&
                    CorObjeto::comTextura(getMaterial(v.material), v.temUv ? v.uv.data() : nullptr);
            material = v.material;
        }
        comTextura[t] = todos ? 1 : 0;
        algumTexturizado = algumTexturizado || todos;
    }
}

int Aparencia::getQuantTriangulos() const { return quantTriangulos; }
int Aparencia::getQuantVariantes() const { return static_cast<int>(variantes.size()); }

std::int32_t Aparencia::getCanto(int t, int k) const {
    return cantos[kCantos * static_cast<std::size_t>(t) + static_cast<std::size_t>(k)];
}

const Aparencia::Variante& Aparencia::getVariante(std::int32_t v) const {
    return variantes[static_cast<std::size_t>(v)];
}

const Aparencia::Material* Aparencia::getMaterial(std::int32_t m) const {
    return m < 0 ? nullptr : &materiais[static_cast<std::size_t>(m)];
}

const Textura& Aparencia::getTextura(std::int32_t i) const {
    return texturas[static_cast<std::size_t>(i)];
}

bool Aparencia::texturizado(int t) const { return comTextura[static_cast<std::size_t>(t)] != 0; }
bool Aparencia::temTexturizados() const { return algumTexturizado; }

}  // namespace gouraud::detail
