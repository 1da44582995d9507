#include "SombreamentoPlano.h"

#include "CorPlana.h"

namespace gouraud::detail {

SombreamentoPlano::SombreamentoPlano(const Malha& malha, const EstagioVertices& vertices,
                                     const Iluminacao& iluminacao, const CoresDaMalha* cores)
    : malha(malha), vertices(vertices), iluminacao(iluminacao), cores(cores) {}

int SombreamentoPlano::getQuantAtributos() const { return 0; }

void SombreamentoPlano::iniciar(const Camera& cameraAtual) {
    camera = cameraAtual;
    luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
}

void SombreamentoPlano::prepararPontos(int, int, const std::uint8_t*) {}

const double* SombreamentoPlano::getAtributos(int) const { return nullptr; }

Sombreamento::Canais SombreamentoPlano::corDoTriangulo(int t, const Ponto& p1, const Ponto& p2,
                                                       const Ponto& p3,
                                                       const std::int32_t* pontos) const {
    if (cores == nullptr) {
        const Vetor cor =
            CorPlana::cor(iluminacao, p1, p2, p3, malha.getNormaisTriangulo()[t], camera.foco, luz);
        return canais(cor.x, cor.y, cor.z);
    }
    // The corners' colours and coordinates, beside the vertex stage's points for a whole
    // triangle, from the file's look for a piece.
    Vetor c[3];
    double u[3] = {};
    double v[3] = {};
    for (int k = 0; k < 3; ++k) {
        if (pontos != nullptr) {
            const auto ponto = static_cast<std::size_t>(pontos[k]);
            const double* cor = cores->getCores() + 3 * ponto;
            c[k] = Vetor(cor[0], cor[1], cor[2]);
            if (cores->getCoordenadas() != nullptr) {
                u[k] = cores->getCoordenadas()[2 * ponto];
                v[k] = cores->getCoordenadas()[2 * ponto + 1];
            }
        } else {
            c[k] = cores->corDoCanto(t, k);
            cores->coordenadasDoCanto(t, k, u[k], v[k]);
        }
    }
    Vetor od(((c[0].x + c[1].x) + c[2].x) / 3.0, ((c[0].y + c[1].y) + c[2].y) / 3.0,
             ((c[0].z + c[1].z) + c[2].z) / 3.0);
    const CoresDaMalha::TexturaDoTriangulo textura =
        pontos != nullptr ? cores->texturaDoPonto(pontos[0]) : cores->texturaDe(t);
    if (textura.textura != nullptr) {
        const Vetor amostra =
            textura.amostra(((u[0] + u[1]) + u[2]) / 3.0, ((v[0] + v[1]) + v[2]) / 3.0);
        od = Vetor(od.x * amostra.x, od.y * amostra.y, od.z * amostra.z);
    }
    const Vetor cor =
        CorPlana::cor(iluminacao, p1, p2, p3, malha.getNormaisTriangulo()[t], camera.foco, luz, od);
    return canais(cor.x, cor.y, cor.z);
}

void SombreamentoPlano::sombrear(const FaixaVisivel& faixa, Quadro& quadro) const {
    // A whole triangle's corners are read from the vertex stage, whose points lie in the order
    // the triangles name them, a piece's from the mesh. Neighbouring pixels are often won by the
    // same triangle: its colour is kept.
    const Ponto* pontos = vertices.getPontos();
    const Ponto* mundo = malha.getPontos();
    std::int32_t anterior = -1;
    Canais corAnterior{0, 0, 0};
    for (int j = faixa.getLinha0(); j < faixa.getLinha1(); ++j) {
        const std::int32_t* vencedores = faixa.linhaVencedores(j);
        const Quadro::Linha linha = quadro.linha(j);
        for (int i = 0; i < faixa.getLargura(); ++i) {
            const std::int32_t vencedor = vencedores[i];
            if (vencedor == FaixaVisivel::kNenhum) {
                continue;
            }
            if (FaixaVisivel::ehPeca(vencedor)) {
                const std::int32_t t = faixa.getPeca(vencedor).triangulo;
                if (t != anterior) {
                    const Triangulo& triangulo = malha.getTriangulos()[t];
                    anterior = t;
                    corAnterior =
                        corDoTriangulo(t, mundo[triangulo.indiceP1], mundo[triangulo.indiceP2],
                                       mundo[triangulo.indiceP3], nullptr);
                }
            } else {
                const Classificacao::Entrada& e = faixa.getEntrada(vencedor);
                if (e.triangulo != anterior) {
                    anterior = e.triangulo;
                    const std::int32_t cantos[] = {e.a, e.b, e.c};
                    corAnterior =
                        corDoTriangulo(e.triangulo, pontos[e.a], pontos[e.b], pontos[e.c], cantos);
                }
            }
            pintar(linha, i, corAnterior);
        }
    }
}

void SombreamentoPlano::usarAvx2(bool /*permitir*/) {}

}  // namespace gouraud::detail
