#include "SombreamentoGouraudTextura.h"

#include <cstddef>

#include "PixelsDaFaixa.h"

namespace {

constexpr int kCanais = 3;
constexpr int kE = 0;
constexpr int kD = 3;
constexpr int kC = 6;
constexpr int kU = 9;
constexpr int kV = 10;

}  // namespace

SombreamentoGouraudTextura::SombreamentoGouraudTextura(const EstagioVertices& vertices,
                                                       const Iluminacao& iluminacao,
                                                       const CoresDaMalha& cores)
    : vertices(vertices),
      iluminacao(iluminacao),
      cores(cores),
      atributos(static_cast<std::size_t>(vertices.getQuantPontos()) * kQuantAtributos, 0.0) {}

int SombreamentoGouraudTextura::getQuantAtributos() const { return kQuantAtributos; }

void SombreamentoGouraudTextura::iniciar(const Camera& cameraAtual) {
    camera = cameraAtual;
    luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
}

const double* SombreamentoGouraudTextura::getAtributos(int ponto) const {
    return &atributos[static_cast<std::size_t>(ponto) * kQuantAtributos];
}

void SombreamentoGouraudTextura::prepararPontos(int inicio, int fim, const std::uint8_t* marcas) {
    const Ponto* pontos = vertices.getPontos();
    const Vetor* normais = vertices.getNormais();
    const std::uint8_t* comNormal = vertices.getComNormal();
    const std::uint8_t* texturizados = vertices.getTexturizados();
    const double* corObjeto = cores.getCores();
    const double* coordenadas = cores.getCoordenadas();
    for (int k = inicio; k < fim; ++k) {
        if (marcas[k] == 0) {
            continue;
        }
        const auto ponto = static_cast<std::size_t>(k);
        double* a = &atributos[ponto * kQuantAtributos];
        const Vetor* normal = comNormal[k] != 0 ? &normais[k] : nullptr;
        const double* c = &corObjeto[ponto * kCanais];
        if (texturizados[k] == 0) {
            const Vetor cor =
                iluminacao.corDoVertice(pontos[k], normal, camera.foco, luz, Vetor(c[0], c[1], c[2]));
            a[kE] = cor.x;
            a[kE + 1] = cor.y;
            a[kE + 2] = cor.z;
            continue;
        }
        Vetor e;
        Vetor d;
        iluminacao.partesDoVertice(pontos[k], normal, camera.foco, luz, e, d);
        const double valores[kQuantAtributos] = {
            e.x, e.y, e.z, d.x, d.y, d.z, c[0], c[1], c[2], coordenadas[2 * ponto],
            coordenadas[2 * ponto + 1]};
        for (int i = 0; i < kQuantAtributos; ++i) {
            a[i] = valores[i];
        }
    }
}

void SombreamentoGouraudTextura::sombrear(const FaixaVisivel& faixa, Quadro& quadro) const {
    sombrearPixels(
        faixa, quadro, vertices.getVertices(), atributos.data(), kQuantAtributos,
        [this](int t, const double* a, const double* b, const double* c, double q1, double q2,
               double s) {
            const auto valor = [&](int k) { return interpolarAtributo(a, b, c, k, q1, q2, s); };
            if (!cores.texturizado(t)) {
                return empacotar(valor(kE), valor(kE + 1), valor(kE + 2));
            }
            const Vetor amostra = cores.amostra(t, valor(kU), valor(kV));
            const double od[kCanais] = {valor(kC) * amostra.x, valor(kC + 1) * amostra.y,
                                        valor(kC + 2) * amostra.z};
            double canais[kCanais];
            for (int k = 0; k < kCanais; ++k) {
                canais[k] = valor(kE + k) + od[k] * valor(kD + k);
            }
            return empacotar(canais[0], canais[1], canais[2]);
        });
}

void SombreamentoGouraudTextura::usarAvx2(bool /*permitir*/) {}
