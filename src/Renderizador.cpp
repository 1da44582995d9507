#include "Renderizador.h"

#include "Recorte.h"

Renderizador::Renderizador(const Malha& malha, const Iluminacao& iluminacao, int threads)
    : iluminacao(iluminacao),
      trabalhadores(threads),
      vertices(malha),
      classificacao(malha, vertices),
      rasterizador(malha, vertices, classificacao),
      desenhoModos(malha, vertices, classificacao),
      malha(malha) {}

int Renderizador::getQuantThreads() const { return trabalhadores.getQuantidade(); }

void Renderizador::setEstilo(const Estilo& novo) { estilo = novo; }
const Estilo& Renderizador::getEstilo() const { return estilo; }

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
    // Only Gouraud shading reads the points' colours.
    const bool comCores = estilo.modo == Estilo::Modo::gouraud;
    auto pontos = [&](int lote) {
        vertices.processar(lote, camera, projecao, iluminacao, limite, comCores);
    };
    trabalhadores.paraCada(vertices.getQuantLotes(), pontos);
    classificacao.preparar(quadro.getLargura(), quadro.getAltura());
    auto classificar = [&](int lote) { classificacao.classificar(lote, camera, projecao); };
    trabalhadores.paraCada(classificacao.getQuantLotes(), classificar);
    classificacao.montarFaixas();
    auto distribuir = [&](int lote) { classificacao.distribuir(lote); };
    trabalhadores.paraCada(classificacao.getQuantLotes(), distribuir);
    const bool soGouraud = comCores && !estilo.arestas;
    auto faixas = [&](int faixa) {
        if (soGouraud) {
            rasterizador.desenharFaixa(faixa, camera, projecao, quadro);
        } else {
            desenhoModos.desenharFaixa(faixa, camera, projecao, estilo, iluminacao, quadro);
        }
    };
    trabalhadores.paraCada(classificacao.getQuantFaixas(), faixas);
    if (estilo.normais) {
        if (!agulhas) {
            agulhas.emplace(malha);
        }
        agulhas->desenhar(camera, projecao, quadro, trabalhadores);
    }
}
