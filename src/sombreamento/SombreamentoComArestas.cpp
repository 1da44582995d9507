#include "SombreamentoComArestas.h"

#include <utility>

#include "Arestas.h"

namespace gouraud::detail {

SombreamentoComArestas::SombreamentoComArestas(std::unique_ptr<Sombreamento> modo,
                                               const Malha& malha,
                                               const EstagioVertices& vertices)
    : modo(std::move(modo)), malha(malha), vertices(vertices) {}

int SombreamentoComArestas::getQuantAtributos() const { return modo->getQuantAtributos(); }

void SombreamentoComArestas::iniciar(const Camera& cameraAtual) {
    camera = cameraAtual;
    modo->iniciar(cameraAtual);
}

void SombreamentoComArestas::usarProjecao(const Projecao& projecaoAtual) {
    projecao = projecaoAtual;
    modo->usarProjecao(projecaoAtual);
}

void SombreamentoComArestas::prepararPontos(int inicio, int fim, const std::uint8_t* marcas) {
    modo->prepararPontos(inicio, fim, marcas);
}

const double* SombreamentoComArestas::getAtributos(int ponto) const {
    return modo->getAtributos(ponto);
}

void SombreamentoComArestas::sombrear(const FaixaVisivel& faixa, Quadro& quadro) const {
    modo->sombrear(faixa, quadro);
}

void SombreamentoComArestas::sobrepor(const FaixaVisivel& faixa, Quadro& quadro) const {
    modo->sobrepor(faixa, quadro);
    const VerticeTela* v = vertices.getVertices();
    const Ponto* pontos = malha.getPontos();
    // The edges of the last winner met, kept while its neighbours are won by it too.
    std::int32_t anterior = FaixaVisivel::kNenhum;
    Arestas arestas;
    for (int j = faixa.getLinha0(); j < faixa.getLinha1(); ++j) {
        const std::int32_t* vencedores = faixa.linhaVencedores(j);
        const Quadro::Linha linha = quadro.linha(j);
        for (int i = 0; i < faixa.getLargura(); ++i) {
            const std::int32_t vencedor = vencedores[i];
            if (vencedor == FaixaVisivel::kNenhum) {
                continue;
            }
            if (vencedor != anterior) {
                anterior = vencedor;
                if (FaixaVisivel::ehPeca(vencedor)) {
                    const Triangulo& t = malha.getTriangulos()[faixa.getPeca(vencedor).triangulo];
                    arestas = Arestas::doTrianguloNoEspaco(camera.coordenadas(pontos[t.indiceP1]),
                                                           camera.coordenadas(pontos[t.indiceP2]),
                                                           camera.coordenadas(pontos[t.indiceP3]),
                                                           projecao);
                } else {
                    const Classificacao::Entrada& e = faixa.getEntrada(vencedor);
                    arestas = Arestas::doTriangulo(v[e.a].x, v[e.a].y, v[e.b].x, v[e.b].y,
                                                   v[e.c].x, v[e.c].y);
                }
            }
            if (arestas.perto(i + 0.5, j + 0.5)) {
                linha.pintar(i, 0, 0, 0);
            }
        }
    }
}

void SombreamentoComArestas::usarAvx2(bool permitir) { modo->usarAvx2(permitir); }

}  // namespace gouraud::detail
