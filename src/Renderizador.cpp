#include "Renderizador.h"

#include "Recorte.h"

Renderizador::Renderizador(const Malha& malha, const Iluminacao& iluminacao, int threads)
    : iluminacao(iluminacao),
      trabalhadores(threads),
      vertices(malha),
      classificacao(malha, vertices),
      rasterizador(malha, vertices, classificacao) {}

int Renderizador::getQuantThreads() const { return trabalhadores.getQuantidade(); }

void Renderizador::setIluminacao(const Iluminacao& nova) { iluminacao = nova; }

void Renderizador::desenharTriangulo(const Vetor& posicao0, double iz0, const Vetor& cor0,
                                     const Vetor& posicao1, double iz1, const Vetor& cor1,
                                     const Vetor& posicao2, double iz2, const Vetor& cor2,
                                     int linha0, int linha1, Quadro& quadro) {
    const auto vertice = [](const Vetor& posicao, double iz, const Vetor& cor) {
        return VerticeTela{posicao.x, posicao.y, iz, cor.x, cor.y, cor.z};
    };
    Rasterizador::desenharTriangulo(vertice(posicao0, iz0, cor0), vertice(posicao1, iz1, cor1),
                                    vertice(posicao2, iz2, cor2), linha0, linha1, quadro);
}

void Renderizador::desenhar(const Camera& camera, const Projecao& projecao, Quadro& quadro) {
    const double limite = Recorte::limiteSeguro(quadro.getLargura(), quadro.getAltura());
    auto pontos = [&](int lote) { vertices.processar(lote, camera, projecao, iluminacao, limite); };
    trabalhadores.paraCada(vertices.getQuantLotes(), pontos);
    classificacao.preparar(quadro.getLargura(), quadro.getAltura());
    auto classificar = [&](int lote) { classificacao.classificar(lote, camera, projecao); };
    trabalhadores.paraCada(classificacao.getQuantLotes(), classificar);
    classificacao.montarFaixas();
    auto distribuir = [&](int lote) { classificacao.distribuir(lote); };
    trabalhadores.paraCada(classificacao.getQuantLotes(), distribuir);
    auto faixas = [&](int faixa) { rasterizador.desenharFaixa(faixa, camera, projecao, quadro); };
    trabalhadores.paraCada(classificacao.getQuantFaixas(), faixas);
}
