#include "Quadro.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>

namespace gouraud::detail {

namespace {

constexpr int kDeslocamentoVermelho = 11;
constexpr int kDeslocamentoVerde = 5;
constexpr unsigned kMascara5 = 0x1F;
constexpr unsigned kMascara6 = 0x3F;
// Bits dropped from an 8-bit channel to reach 5 or 6 bits.
constexpr int kPerda5 = 3;
constexpr int kPerda6 = 2;

int expandir5(unsigned valor) { return static_cast<int>((valor << kPerda5) | (valor >> 2)); }
int expandir6(unsigned valor) { return static_cast<int>((valor << kPerda6) | (valor >> 4)); }

bool ladoValido(int lado) { return lado >= Quadro::kMenorLado && lado <= Quadro::kMaiorLado; }

// The frame's pixel count, checked before anything is allocated.
std::size_t quantPixels(int largura, int altura) {
    if (!ladoValido(largura) || !ladoValido(altura)) {
        throw std::invalid_argument("a frame is " + std::to_string(Quadro::kMenorLado) + " to " +
                                    std::to_string(Quadro::kMaiorLado) +
                                    " pixels wide and high, not " + std::to_string(largura) +
                                    " x " + std::to_string(altura));
    }
    return static_cast<std::size_t>(largura) * static_cast<std::size_t>(altura);
}

}  // namespace

Quadro::Quadro() : Quadro(kLargura, kAltura) {}

Quadro::Quadro(int largura, int altura)
    : largura(largura),
      altura(altura),
      cor(quantPixels(largura, altura), 0),
      profundidade(cor.size(), 0.0) {}

int Quadro::getLargura() const { return largura; }
int Quadro::getAltura() const { return altura; }

std::size_t Quadro::indice(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(largura) +
           static_cast<std::size_t>(x);
}

void Quadro::limpar(int linha0, int linha1) {
    // Black is 0 and a depth of +0.0 is all zero bits, so both clear as bytes.
    const std::size_t inicio = indice(0, linha0);
    const std::size_t quantos = indice(0, linha1) - inicio;
    if ((fundo & kSemAlfa) == 0) {
        std::memset(cor.data() + inicio, 0, quantos * sizeof(std::uint16_t));
    } else {
        std::fill_n(cor.data() + inicio, quantos,
                    empacotar(vermelhoDe(fundo), verdeDe(fundo), azulDe(fundo)));
    }
    std::memset(profundidade.data() + inicio, 0, quantos * sizeof(double));
    if (comCanais) {
        std::fill_n(canais.data() + inicio, quantos, fundo & kSemAlfa);
    }
}

void Quadro::usarCanais(bool usar) {
    comCanais = usar;
    if (usar && canais.empty()) {
        canais.assign(cor.size(), fundo & kSemAlfa);
    }
}

bool Quadro::temCanais() const { return comCanais; }
void Quadro::setFundo(Canais novo) { fundo = novo & kSemAlfa; }
Canais Quadro::getFundo() const { return fundo; }
void Quadro::setTransparente(bool sim) { transparente = sim; }
bool Quadro::getTransparente() const { return transparente; }

Quadro::Linha Quadro::linha(int y) { return Linha{linhaCor(y), linhaCanais(y)}; }

Canais* Quadro::linhaCanais(int y) { return comCanais ? canais.data() + indice(0, y) : nullptr; }
const Canais* Quadro::linhaCanais(int y) const {
    return comCanais ? canais.data() + indice(0, y) : nullptr;
}
Canais Quadro::getCanais(int x, int y) const { return canais[indice(x, y)]; }

void Quadro::limpar() { limpar(0, altura); }

std::uint16_t* Quadro::linhaCor(int y) { return cor.data() + indice(0, y); }
const std::uint16_t* Quadro::linhaCor(int y) const { return cor.data() + indice(0, y); }
double* Quadro::linhaProfundidade(int y) { return profundidade.data() + indice(0, y); }
const double* Quadro::linhaProfundidade(int y) const { return profundidade.data() + indice(0, y); }

std::uint16_t Quadro::getCor(int x, int y) const { return cor[indice(x, y)]; }
double Quadro::getProfundidade(int x, int y) const { return profundidade[indice(x, y)]; }

std::uint16_t Quadro::empacotar(int r, int g, int b) {
    const auto r5 = static_cast<unsigned>(r) >> kPerda5;
    const auto g6 = static_cast<unsigned>(g) >> kPerda6;
    const auto b5 = static_cast<unsigned>(b) >> kPerda5;
    return static_cast<std::uint16_t>((r5 << kDeslocamentoVermelho) | (g6 << kDeslocamentoVerde) |
                                      b5);
}

int Quadro::vermelho(std::uint16_t cor) {
    return expandir5((cor >> kDeslocamentoVermelho) & kMascara5);
}
int Quadro::verde(std::uint16_t cor) { return expandir6((cor >> kDeslocamentoVerde) & kMascara6); }
int Quadro::azul(std::uint16_t cor) { return expandir5(cor & kMascara5); }

}  // namespace gouraud::detail
