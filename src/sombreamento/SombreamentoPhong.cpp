#include "SombreamentoPhong.h"

#include <cstddef>

#include "CorPhong.h"

SombreamentoPhong::SombreamentoPhong(const EstagioVertices& vertices,
                                     const Iluminacao& iluminacao)
    : vertices(vertices),
      iluminacao(iluminacao),
      atributos(static_cast<std::size_t>(vertices.getQuantPontos()) * CorPhong::kAtributos, 0.0) {}

int SombreamentoPhong::getQuantAtributos() const { return CorPhong::kAtributos; }

void SombreamentoPhong::iniciar(const Camera& cameraAtual) {
    camera = cameraAtual;
    luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
}

const double* SombreamentoPhong::getAtributos(int ponto) const {
    return &atributos[static_cast<std::size_t>(ponto) * CorPhong::kAtributos];
}

void SombreamentoPhong::prepararPontos(int inicio, int fim, const std::uint8_t* marcas) {
    const Ponto* pontos = vertices.getPontos();
    const Vetor* normais = vertices.getNormais();
    for (int k = inicio; k < fim; ++k) {
        if (marcas[k] == 0) {
            continue;
        }
        double* a = &atributos[static_cast<std::size_t>(k) * CorPhong::kAtributos];
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
    const VerticeTela* v = vertices.getVertices();
    for (int j = faixa.getLinha0(); j < faixa.getLinha1(); ++j) {
        const std::int32_t* vencedores = faixa.linhaVencedores(j);
        const double* pesos1 = faixa.linhaPesos1(j);
        const double* pesos2 = faixa.linhaPesos2(j);
        const double* profundidades = quadro.linhaProfundidade(j);
        std::uint16_t* linha = quadro.linhaCor(j);
        for (int i = 0; i < faixa.getLargura(); ++i) {
            const std::int32_t vencedor = vencedores[i];
            if (vencedor == FaixaVisivel::kNenhum) {
                continue;
            }
            const double s = 1.0 / profundidades[i];
            Vetor cor;
            if (FaixaVisivel::ehPeca(vencedor)) {
                const auto& c = faixa.getPeca(vencedor).cantos;
                cor = CorPhong::cor(iluminacao, camera.foco, luz, c[0].atributos.data(),
                                    c[1].atributos.data(), c[2].atributos.data(),
                                    pesos1[i] * c[1].z, pesos2[i] * c[2].z, s);
            } else {
                const Classificacao::Entrada& e = faixa.getEntrada(vencedor);
                cor = CorPhong::cor(iluminacao, camera.foco, luz, getAtributos(e.a),
                                    getAtributos(e.b), getAtributos(e.c), pesos1[i] * v[e.b].iz,
                                    pesos2[i] * v[e.c].iz, s);
            }
            linha[i] = empacotar(cor.x, cor.y, cor.z);
        }
    }
}

void SombreamentoPhong::usarAvx2(bool /*permitir*/) {}
