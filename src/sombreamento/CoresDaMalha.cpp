#include "CoresDaMalha.h"

#include <cstddef>

#include "AmostraTextura.h"
#include "CorObjeto.h"

namespace gouraud::detail {

namespace {

constexpr std::size_t kCanais = 3;
constexpr std::size_t kEixos = 2;

}  // namespace

CoresDaMalha::CoresDaMalha(const Malha& malha, const EstagioVertices& vertices,
                           const Vetor& odPadrao)
    : aparencia(*malha.getAparencia()),
      od(odPadrao),
      cores(static_cast<std::size_t>(vertices.getQuantPontos()) * kCanais),
      coordenadas(aparencia.temTexturizados()
                      ? static_cast<std::size_t>(vertices.getQuantPontos()) * kEixos
                      : 0),
      materiais(
          aparencia.temTexturizados() ? static_cast<std::size_t>(vertices.getQuantPontos()) : 0,
          -1) {
    const std::int32_t* variantes = vertices.getVariantes();
    const std::uint8_t* texturizados = vertices.getTexturizados();
    for (std::size_t k = 0; k < static_cast<std::size_t>(vertices.getQuantPontos()); ++k) {
        const Aparencia::Variante& v = aparencia.getVariante(variantes[k]);
        const Vetor cor = CorObjeto::cor(aparencia, v, texturizados[k] != 0, od);
        cores[kCanais * k] = cor.x;
        cores[kCanais * k + 1] = cor.y;
        cores[kCanais * k + 2] = cor.z;
        if (texturizados[k] != 0 && !coordenadas.empty()) {
            coordenadas[kEixos * k] = v.uv[0];
            coordenadas[kEixos * k + 1] = v.uv[1];
            materiais[k] = v.material;
        }
    }
}

const double* CoresDaMalha::getCores() const { return cores.data(); }
const double* CoresDaMalha::getCoordenadas() const {
    return coordenadas.empty() ? nullptr : coordenadas.data();
}
bool CoresDaMalha::temTexturizados() const { return aparencia.temTexturizados(); }

Vetor CoresDaMalha::corDoCanto(int t, int k) const {
    return CorObjeto::cor(aparencia, aparencia.getVariante(aparencia.getCanto(t, k)),
                          aparencia.texturizado(t), od);
}

void CoresDaMalha::coordenadasDoCanto(int t, int k, double& u, double& v) const {
    const Aparencia::Variante& variante = aparencia.getVariante(aparencia.getCanto(t, k));
    u = variante.uv[0];
    v = variante.uv[1];
}

CoresDaMalha::TexturaDoTriangulo CoresDaMalha::texturaDe(int t) const {
    if (!aparencia.texturizado(t)) {
        return TexturaDoTriangulo{};
    }
    const Aparencia::Material& material =
        *aparencia.getMaterial(aparencia.getVariante(aparencia.getCanto(t, 0)).material);
    return TexturaDoTriangulo{&aparencia.getTextura(material.textura), material.repeticaoU,
                              material.repeticaoV};
}

CoresDaMalha::TexturaDoTriangulo CoresDaMalha::texturaDoPonto(int ponto) const {
    const std::int32_t m = materiais.empty() ? -1 : materiais[static_cast<std::size_t>(ponto)];
    if (m < 0) {
        return TexturaDoTriangulo{};
    }
    const Aparencia::Material& material = *aparencia.getMaterial(m);
    return TexturaDoTriangulo{&aparencia.getTextura(material.textura), material.repeticaoU,
                              material.repeticaoV};
}

Vetor CoresDaMalha::TexturaDoTriangulo::amostra(double u, double v) const {
    return AmostraTextura::amostrar(*textura, repeticaoU, repeticaoV, u, v);
}

}  // namespace gouraud::detail
