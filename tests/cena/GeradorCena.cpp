#include "GeradorCena.h"

#include <charconv>
#include <iostream>
#include <random>
#include <sstream>

namespace gouraud::detail {

namespace {

// Significant digits that make every double read back to the same bits.
constexpr int kDigitos = 17;
constexpr double kExtensao = 100.0;
// Room for one number written with 17 digits, sign, point and exponent, and a separator.
constexpr std::size_t kMaiorNumero = 32;
constexpr int kNumerosPorEntrada = 3;
// Reals of the camera section: N, V, the focus and three spare ones.
constexpr int kReaisCamera = 12;
// Typical written sizes, only to reserve the text once.
constexpr std::size_t kTamanhoReal = 24;
constexpr std::size_t kTamanhoIndice = 8;

void escrever(std::string& texto, double valor, char separador) {
    char numero[kMaiorNumero];
    const auto resultado =
        std::to_chars(numero, numero + sizeof numero, valor, std::chars_format::general, kDigitos);
    texto.append(numero, resultado.ptr);
    texto += separador;
}

void escrever(std::string& texto, int valor, char separador) {
    char numero[kMaiorNumero];
    const auto resultado = std::to_chars(numero, numero + sizeof numero, valor);
    texto.append(numero, resultado.ptr);
    texto += separador;
}

}  // namespace

std::string gerarCena(std::uint64_t semente, int pontos, int triangulos) {
    std::mt19937_64 gerador(semente);
    std::uniform_real_distribution<double> coordenada(-kExtensao, kExtensao);
    std::uniform_int_distribution<int> indice(0, pontos > 0 ? pontos - 1 : 0);
    std::string texto;
    texto.reserve(static_cast<std::size_t>(pontos) * kNumerosPorEntrada * kTamanhoReal +
                  static_cast<std::size_t>(triangulos) * kNumerosPorEntrada * kTamanhoIndice +
                  kReaisCamera * kTamanhoReal);
    escrever(texto, pontos, ' ');
    escrever(texto, triangulos, '\n');
    for (int i = 0; i < pontos; ++i) {
        escrever(texto, coordenada(gerador), ' ');
        escrever(texto, coordenada(gerador), ' ');
        escrever(texto, coordenada(gerador), '\n');
    }
    for (int i = 0; i < triangulos; ++i) {
        escrever(texto, indice(gerador), ' ');
        escrever(texto, indice(gerador), ' ');
        escrever(texto, indice(gerador), '\n');
    }
    // N, V and the focus at random, then the three spare reals.
    for (int i = 0; i < kReaisCamera; ++i) {
        const bool fimDoVetor = i % kNumerosPorEntrada == kNumerosPorEntrada - 1;
        escrever(texto, coordenada(gerador), fimDoVetor ? '\n' : ' ');
    }
    return texto;
}

std::unique_ptr<Gouraud> carregarCena(const std::string& texto) {
    std::istringstream entrada(texto);
    std::streambuf* saida = std::cout.rdbuf(nullptr);  // the loader's marker line
    auto cena = std::make_unique<Gouraud>(entrada);
    std::cout.rdbuf(saida);
    std::cout.clear();
    return cena;
}

}  // namespace gouraud::detail
