#include "CorObjeto.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace gouraud::detail {

namespace {

// The name the import library gives the material it makes up for a file without one.
constexpr std::string_view kMaterialPadrao = "DefaultMaterial";

bool finitos(const float* valores, int quant) {
    for (int k = 0; k < quant; ++k) {
        if (!std::isfinite(valores[k])) {
            return false;
        }
    }
    return true;
}

// A channel widened to double and clamped to [0, 1].
double limitar(float canal) { return std::clamp(static_cast<double>(canal), 0.0, 1.0); }

}  // namespace

bool CorObjeto::substituto(const Aparencia::Material& material) {
    if (material.nome == kMaterialPadrao) {
        return true;
    }
    return material.nome.empty() && material.temCor && material.cor[0] == 1.0f &&
           material.cor[1] == 1.0f && material.cor[2] == 1.0f && !material.declaraTextura;
}

bool CorObjeto::comTextura(const Aparencia::Material* material, const float* uv) {
    return material != nullptr && !substituto(*material) && material->textura >= 0 &&
           uv != nullptr && finitos(uv, 2);
}

Vetor CorObjeto::cor(const float* corVertice, const Aparencia::Material* material, bool texturizado,
                     const Vetor& od) {
    const bool temVertice = corVertice != nullptr && finitos(corVertice, 3);
    const bool temMaterial = material != nullptr && !substituto(*material) && material->temCor &&
                             finitos(material->cor.data(), 3);
    if (!temVertice && !temMaterial) {
        return texturizado ? Vetor(1.0, 1.0, 1.0) : od;
    }
    if (!temMaterial) {
        return Vetor(limitar(corVertice[0]), limitar(corVertice[1]), limitar(corVertice[2]));
    }
    const Vetor m(limitar(material->cor[0]), limitar(material->cor[1]), limitar(material->cor[2]));
    if (!temVertice) {
        return m;
    }
    return Vetor(limitar(corVertice[0]) * m.x, limitar(corVertice[1]) * m.y,
                 limitar(corVertice[2]) * m.z);
}

Vetor CorObjeto::cor(const Aparencia& aparencia, const Aparencia::Variante& v, bool texturizado,
                     const Vetor& od) {
    return cor(v.temCor ? v.cor.data() : nullptr, aparencia.getMaterial(v.material), texturizado,
               od);
}

}  // namespace gouraud::detail
