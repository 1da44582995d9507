#include "SombreamentoPhong.h"

#include <cstddef>

#include "CorPhong.h"
#include "PixelsDaFaixa.h"

namespace gouraud::detail {

namespace {

// With the mesh's colours, after CorPhong's: the colour before the texture, then u and v.
constexpr int kC = CorPhong::kAtributos;
constexpr int kU = kC + 3;
constexpr int kV = kU + 1;
constexpr int kAtributosComCor = kV + 1;

}  // namespace

SombreamentoPhong::SombreamentoPhong(const EstagioVertices& vertices, const Iluminacao& iluminacao,
                                     const CoresDaMalha* cores)
    : vertices(vertices),
      iluminacao(iluminacao),
      cores(cores),
      quantAtributos(cores != nullptr ? kAtributosComCor : CorPhong::kAtributos),
      atributos(static_cast<std::size_t>(vertices.getQuantPontos()) *
                    static_cast<std::size_t>(quantAtributos),
                0.0) {
    // A point's colour and coordinates are the same every frame: set here, once.
    for (std::size_t k = 0;
         cores != nullptr && k < static_cast<std::size_t>(vertices.getQuantPontos()); ++k) {
        double* a = &atributos[k * kAtributosComCor];
        const double* c = cores->getCores() + 3 * k;
        a[kC] = c[0];
        a[kC + 1] = c[1];
        a[kC + 2] = c[2];
        if (cores->getCoordenadas() != nullptr) {
            a[kU] = cores->getCoordenadas()[2 * k];
            a[kV] = cores->getCoordenadas()[2 * k + 1];
        }
    }
}

int SombreamentoPhong::getQuantAtributos() const { return quantAtributos; }

void SombreamentoPhong::iniciar(const Camera& cameraAtual) {
    camera = cameraAtual;
    luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
}

const double* SombreamentoPhong::getAtributos(int ponto) const {
    return &atributos[static_cast<std::size_t>(ponto) * static_cast<std::size_t>(quantAtributos)];
}

void SombreamentoPhong::prepararPontos(int inicio, int fim, const std::uint8_t* marcas) {
    const Ponto* pontos = vertices.getPontos();
    const Vetor* normais = vertices.getNormais();
    for (int k = inicio; k < fim; ++k) {
        if (marcas[k] == 0) {
            continue;
        }
        const auto ponto = static_cast<std::size_t>(k);
        double* a = &atributos[ponto * static_cast<std::size_t>(quantAtributos)];
        const Ponto& p = pontos[k];
        const Vetor& n = normais[k];
        a[0] = p.x;
        a[1] = p.y;
        a[2] = p.z;
        a[3] = n.x;
        a[4] = n.y;
        a[5] = n.z;
    }
}

void SombreamentoPhong::sombrear(const FaixaVisivel& faixa, Quadro& quadro) const {
    sombrearPixels(
        faixa, quadro, vertices.getVertices(), atributos.data(), quantAtributos,
        [this](int t, int ponto, const double* a, const double* b, const double* c, double q1,
               double q2, double s) {
            if (cores == nullptr) {
                const Vetor cor = CorPhong::cor(iluminacao, camera.foco, luz, a, b, c, q1, q2, s);
                return canais(cor.x, cor.y, cor.z);
            }
            const auto valor = [&](int k) { return interpolarAtributo(a, b, c, k, q1, q2, s); };
            Vetor od(valor(kC), valor(kC + 1), valor(kC + 2));
            const CoresDaMalha::TexturaDoTriangulo textura =
                ponto >= 0 ? cores->texturaDoPonto(ponto) : cores->texturaDe(t);
            if (textura.textura != nullptr) {
                const Vetor amostra = textura.amostra(valor(kU), valor(kV));
                od = Vetor(od.x * amostra.x, od.y * amostra.y, od.z * amostra.z);
            }
            const Vetor cor = CorPhong::cor(iluminacao, camera.foco, luz, a, b, c, q1, q2, s, od);
            return canais(cor.x, cor.y, cor.z);
        });
}

void SombreamentoPhong::usarAvx2(bool /*permitir*/) {}

}  // namespace gouraud::detail
