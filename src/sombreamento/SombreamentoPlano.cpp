#include "SombreamentoPlano.h"

#include "CorPlana.h"

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

std::uint16_t SombreamentoPlano::corDoTriangulo(int t, const Ponto& p1, const Ponto& p2,
                                                const Ponto& p3) const {
    if (cores == nullptr) {
        const Vetor cor =
            CorPlana::cor(iluminacao, p1, p2, p3, malha.getNormaisTriangulo()[t], camera.foco, luz);
        return empacotar(cor.x, cor.y, cor.z);
    }
    const Vetor c1 = cores->corDoCanto(t, 0);
    const Vetor c2 = cores->corDoCanto(t, 1);
    const Vetor c3 = cores->corDoCanto(t, 2);
    Vetor od(((c1.x + c2.x) + c3.x) / 3.0, ((c1.y + c2.y) + c3.y) / 3.0,
             ((c1.z + c2.z) + c3.z) / 3.0);
    if (cores->texturizado(t)) {
        double u[3];
        double v[3];
        for (int k = 0; k < 3; ++k) {
            cores->coordenadasDoCanto(t, k, u[k], v[k]);
        }
        const Vetor amostra =
            cores->amostra(t, ((u[0] + u[1]) + u[2]) / 3.0, ((v[0] + v[1]) + v[2]) / 3.0);
        od = Vetor(od.x * amostra.x, od.y * amostra.y, od.z * amostra.z);
    }
    const Vetor cor = CorPlana::cor(iluminacao, p1, p2, p3, malha.getNormaisTriangulo()[t],
                                    camera.foco, luz, od);
    return empacotar(cor.x, cor.y, cor.z);
}

void SombreamentoPlano::sombrear(const FaixaVisivel& faixa, Quadro& quadro) const {
    // A whole triangle's corners are read from the vertex stage, whose points lie in the order
    // the triangles name them, a piece's from the mesh. Neighbouring pixels are often won by the
    // same triangle: its colour is kept.
    const Ponto* pontos = vertices.getPontos();
    const Ponto* mundo = malha.getPontos();
    std::int32_t anterior = -1;
    std::uint16_t corAnterior = 0;
    for (int j = faixa.getLinha0(); j < faixa.getLinha1(); ++j) {
        const std::int32_t* vencedores = faixa.linhaVencedores(j);
        std::uint16_t* linha = quadro.linhaCor(j);
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
                    corAnterior = corDoTriangulo(t, mundo[triangulo.indiceP1],
                                                 mundo[triangulo.indiceP2],
                                                 mundo[triangulo.indiceP3]);
                }
            } else {
                const Classificacao::Entrada& e = faixa.getEntrada(vencedor);
                if (e.triangulo != anterior) {
                    anterior = e.triangulo;
                    corAnterior = corDoTriangulo(e.triangulo, pontos[e.a], pontos[e.b], pontos[e.c]);
                }
            }
            linha[i] = corAnterior;
        }
    }
}

void SombreamentoPlano::usarAvx2(bool /*permitir*/) {}
