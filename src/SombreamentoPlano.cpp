#include "SombreamentoPlano.h"

#include "CorPlana.h"

SombreamentoPlano::SombreamentoPlano(const Malha& malha, const Iluminacao& iluminacao)
    : malha(malha), iluminacao(iluminacao) {}

int SombreamentoPlano::getQuantAtributos() const { return 0; }

void SombreamentoPlano::iniciar(const Camera& cameraAtual) {
    camera = cameraAtual;
    luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
}

void SombreamentoPlano::prepararPontos(int, int, const std::uint8_t*) {}

const double* SombreamentoPlano::getAtributos(int) const { return nullptr; }

std::uint16_t SombreamentoPlano::corDoTriangulo(int t) const {
    const Triangulo& triangulo = malha.getTriangulos()[t];
    const Ponto* pontos = malha.getPontos();
    const Vetor cor = CorPlana::cor(iluminacao, pontos[triangulo.indiceP1],
                                    pontos[triangulo.indiceP2], pontos[triangulo.indiceP3],
                                    malha.getNormaisTriangulo()[t], camera.foco, luz);
    return empacotar(cor.x, cor.y, cor.z);
}

void SombreamentoPlano::sombrear(const FaixaVisivel& faixa, Quadro& quadro) const {
    // Neighbouring pixels are mostly won by the same triangle: its colour is kept.
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
            const std::int32_t t = FaixaVisivel::ehPeca(vencedor)
                                       ? faixa.getPeca(vencedor).triangulo
                                       : faixa.getEntrada(vencedor).triangulo;
            if (t != anterior) {
                anterior = t;
                corAnterior = corDoTriangulo(t);
            }
            linha[i] = corAnterior;
        }
    }
}
