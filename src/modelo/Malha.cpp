#include "Malha.h"

#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <utility>

#include "CaixaEnvolvente.h"

namespace gouraud::detail {

namespace {

bool finito(const Vetor& a) {
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

}  // namespace

Malha::Malha(Gouraud& cena) : Malha(cena, nullptr) {}

Malha::Malha(Gouraud& cena, std::shared_ptr<const Aparencia> daMalha, Primitivas dadas)
    : quantPontos(cena.getQuantPontos()),
      quantTriangulos(cena.getQuantTriangulos()),
      pontos(cena.getListaPonto()),
      triangulos(cena.getListaTriangulo()),
      normaisTriangulo(cena.getListaNormalTriangulo()),
      cena(cena),
      normais(static_cast<std::size_t>(quantPontos)),
      temNormal(static_cast<std::size_t>(quantPontos), 0),
      primitivas(std::move(dadas)),
      aparencia(std::move(daMalha)) {
    if (aparencia != nullptr && aparencia->getQuantTriangulos() != quantTriangulos) {
        throw std::invalid_argument("the look of the mesh is for other triangles");
    }
    cena.calcularNormalTriangulo();
    for (int i = 0; i < quantTriangulos; ++i) {
        const Vetor& n = normaisTriangulo[i];
        if (!finito(n)) {
            continue;
        }
        const Triangulo& t = triangulos[i];
        for (const int indice : {t.indiceP1, t.indiceP2, t.indiceP3}) {
            Vetor& soma = normais[static_cast<std::size_t>(indice)];
            soma = Vetor(soma.x + n.x, soma.y + n.y, soma.z + n.z);
        }
    }
    for (std::size_t i = 0; i < normais.size(); ++i) {
        Vetor& soma = normais[i];
        if (soma.x == 0.0 && soma.y == 0.0 && soma.z == 0.0) {
            continue;
        }
        const double inverso =
            1.0 / std::sqrt((soma.x * soma.x + soma.y * soma.y) + soma.z * soma.z);
        const Vetor unitaria(inverso * soma.x, inverso * soma.y, inverso * soma.z);
        // A sum too small or too large to square has no usable direction.
        if (finito(unitaria)) {
            soma = unitaria;
            temNormal[i] = 1;
        }
    }

    const CaixaEnvolvente caixa(pontos, quantPontos, primitivas);
    centro = caixa.getCentro();
    diagonal = caixa.getDiagonal();
    menor = caixa.getMenor();
    maior = caixa.getMaior();
}

int Malha::getQuantPontos() const { return quantPontos; }
int Malha::getQuantTriangulos() const { return quantTriangulos; }
const Ponto* Malha::getPontos() const { return pontos; }
const Triangulo* Malha::getTriangulos() const { return triangulos; }
const Vetor* Malha::getNormaisTriangulo() const { return normaisTriangulo; }
const Ponto* Malha::getNovosPontos() const {
    std::call_once(novosPontosCalculados, [this] { cena.calcularNovoPonto(); });
    return cena.getListaNovoPonto();
}
const Vetor* Malha::getNormal(int i) const {
    return temNormal[static_cast<std::size_t>(i)] != 0 ? &normais[static_cast<std::size_t>(i)]
                                                       : nullptr;
}
const Primitivas& Malha::getPrimitivas() const { return primitivas; }
const Ponto& Malha::getCentro() const { return centro; }
double Malha::getDiagonal() const { return diagonal; }
const Ponto& Malha::getMenor() const { return menor; }
const Ponto& Malha::getMaior() const { return maior; }
const Aparencia* Malha::getAparencia() const { return aparencia.get(); }
const GruposPontos& Malha::getGruposPontos() const {
    std::call_once(gruposFeitos, [this] { grupos = GruposPontos(pontos, quantPontos); });
    return grupos;
}

}  // namespace gouraud::detail
