#include "FaixaVisivel.h"

#include <algorithm>
#include <cstddef>

namespace gouraud::detail {

void FaixaVisivel::reservar(std::size_t pixels) {
    if (pixels > vencedores.size()) {
        vencedores.resize(pixels);
        pesos1.resize(pixels);
        pesos2.resize(pixels);
    }
}

void FaixaVisivel::iniciar(int primeira, int fim, int larguraQuadro,
                           const Classificacao::Entrada* lista, std::vector<Peca>& pecasDaFaixa,
                           const std::int32_t* posicoesDaLista) {
    linha0 = primeira;
    linha1 = fim;
    largura = larguraQuadro;
    entradas = lista;
    posicoes = posicoesDaLista;
    const std::size_t pixels =
        static_cast<std::size_t>(linha1 - linha0) * static_cast<std::size_t>(largura);
    reservar(pixels);
    std::fill(vencedores.begin(), vencedores.begin() + static_cast<std::ptrdiff_t>(pixels),
              kNenhum);
    pecas = &pecasDaFaixa;
    pecas->clear();
    anteriores = nullptr;
}

std::int32_t FaixaVisivel::acrescentarPeca(const Peca& peca) {
    pecas->push_back(peca);
    return kPrimeiraPeca - static_cast<std::int32_t>(pecas->size() - 1);
}

int FaixaVisivel::getLinha0() const { return linha0; }
int FaixaVisivel::getLinha1() const { return linha1; }
int FaixaVisivel::getLargura() const { return largura; }

std::size_t FaixaVisivel::indice(int j) const {
    return static_cast<std::size_t>(j - linha0) * static_cast<std::size_t>(largura);
}

std::int32_t* FaixaVisivel::linhaVencedores(int j) { return vencedores.data() + indice(j); }
const std::int32_t* FaixaVisivel::linhaVencedores(int j) const {
    return vencedores.data() + indice(j);
}
double* FaixaVisivel::linhaPesos1(int j) { return pesos1.data() + indice(j); }
const double* FaixaVisivel::linhaPesos1(int j) const { return pesos1.data() + indice(j); }
double* FaixaVisivel::linhaPesos2(int j) { return pesos2.data() + indice(j); }
const double* FaixaVisivel::linhaPesos2(int j) const { return pesos2.data() + indice(j); }

bool FaixaVisivel::ehPeca(std::int32_t vencedor) { return vencedor <= kPrimeiraPeca; }
const std::int32_t* FaixaVisivel::getPosicoes() const { return posicoes; }

const Classificacao::Entrada& FaixaVisivel::getEntrada(std::int32_t vencedor) const {
    return entradas[vencedor];
}

const FaixaVisivel::Peca& FaixaVisivel::getPeca(std::int32_t vencedor) const {
    return (*pecas)[static_cast<std::size_t>(kPrimeiraPeca - vencedor)];
}

std::int32_t FaixaVisivel::numeroNoArquivo(std::int32_t vencedor) const {
    return ehPeca(vencedor) ? getPeca(vencedor).triangulo : getEntrada(vencedor).triangulo;
}

bool FaixaVisivel::ganhaEmpate(std::int32_t novo, std::int32_t atual, int i, int j) const {
    if (atual != kNenhum) {
        return numeroNoArquivo(novo) < numeroNoArquivo(atual);
    }
    if (anteriores == nullptr) {
        return false;
    }
    const std::int32_t anterior = anteriores[indice(j) + static_cast<std::size_t>(i)];
    return anterior >= 0 && numeroNoArquivo(novo) < anterior;
}

void FaixaVisivel::usarAnteriores(const std::int32_t* numeros) { anteriores = numeros; }

}  // namespace gouraud::detail
