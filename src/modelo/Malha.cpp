#include "Malha.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <utility>

#include "CaixaEnvolvente.h"
#include "NormalTriangulo.h"

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
      cena(cena),
      primitivas(std::move(dadas)),
      aparencia(std::move(daMalha)) {
    if (aparencia != nullptr && aparencia->getQuantTriangulos() != quantTriangulos) {
        throw std::invalid_argument("the look of the mesh is for other triangles");
    }
    const CaixaEnvolvente caixa(pontos, quantPontos, primitivas);
    centro = caixa.getCentro();
    diagonal = caixa.getDiagonal();
    menor = caixa.getMenor();
    maior = caixa.getMaior();
}

void Malha::normaisDosPontos(const Ponto* pontos, const Triangulo* triangulos,
                             int quantTriangulos, const std::int32_t* numeracao, Vetor* normais,
                             std::uint8_t* temNormal, std::size_t quant, std::size_t inicio,
                             std::size_t fim) {
    fim = std::min(fim, quant);
    const auto slot = [numeracao](int indice) {
        return static_cast<std::size_t>(numeracao != nullptr ? numeracao[indice] : indice);
    };
    for (int i = 0; i < quantTriangulos; ++i) {
        const Triangulo& t = triangulos[i];
        const std::size_t slots[] = {slot(t.indiceP1), slot(t.indiceP2), slot(t.indiceP3)};
        const auto nossa = [inicio, fim](std::size_t k) { return k >= inicio && k < fim; };
        // A triangle none of whose corners is in the range adds nothing here.
        if (!nossa(slots[0]) && !nossa(slots[1]) && !nossa(slots[2])) {
            continue;
        }
        const Vetor n =
            normalDoTriangulo(pontos[t.indiceP1], pontos[t.indiceP2], pontos[t.indiceP3]);
        if (!finito(n)) {
            continue;
        }
        for (const std::size_t k : slots) {
            if (nossa(k)) {
                Vetor& soma = normais[k];
                soma = Vetor(soma.x + n.x, soma.y + n.y, soma.z + n.z);
            }
        }
    }
    for (std::size_t i = inicio; i < fim; ++i) {
        Vetor& soma = normais[i];
        temNormal[i] = 0;
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
        } else {
            soma = Vetor(0.0, 0.0, 0.0);
        }
    }
}

int Malha::getQuantPontos() const { return quantPontos; }
int Malha::getQuantTriangulos() const { return quantTriangulos; }
const Ponto* Malha::getPontos() const { return pontos; }
const Triangulo* Malha::getTriangulos() const { return triangulos; }
const Vetor* Malha::getNormaisTriangulo() const {
    std::call_once(normaisTrianguloCalculadas, [this] { cena.calcularNormalTriangulo(); });
    return cena.getListaNormalTriangulo();
}
const Ponto* Malha::getNovosPontos() const {
    // The displaced points are made from the triangles' normals.
    getNormaisTriangulo();
    std::call_once(novosPontosCalculados, [this] { cena.calcularNovoPonto(); });
    return cena.getListaNovoPonto();
}
const Vetor* Malha::getNormal(int i) const {
    std::call_once(normaisCalculadas, [this] {
        normais.resize(static_cast<std::size_t>(quantPontos));
        temNormal.resize(static_cast<std::size_t>(quantPontos));
        normaisDosPontos(pontos, triangulos, quantTriangulos, nullptr, normais.data(),
                         temNormal.data(), normais.size());
    });
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
