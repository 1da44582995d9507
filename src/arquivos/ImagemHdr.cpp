#include "ImagemHdr.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace gouraud::detail {

namespace {

constexpr std::string_view kFormato = "FORMAT=32-bit_rle_rgbe";
constexpr int kExpoenteZero = 136;
constexpr double kMaiorByte = 255.0;
// Widths whose scanlines may be run-length encoded.
constexpr std::uint64_t kMenorLarguraRle = 8;
constexpr std::uint64_t kMaiorLarguraRle = 32767;
constexpr unsigned kInicioCorrida = 128;
constexpr unsigned kBitAlto = 0x80;
// A side needs no more digits than this to exceed every limit.
constexpr std::size_t kMaisDigitos = 9;

// Reads lines of the header one after another, each without its '\n' (and a '\r' before it).
class Linhas {
public:
    Linhas(const unsigned char* dados, std::size_t tamanho) : dados(dados), tamanho(tamanho) {}

    // The next line; false when the bytes end before its '\n'.
    bool proxima(std::string_view& linha) {
        for (std::size_t k = posicao; k < tamanho; ++k) {
            if (dados[k] != '\n') {
                continue;
            }
            std::size_t fim = k;
            if (fim > posicao && dados[fim - 1] == '\r') {
                --fim;
            }
            linha = std::string_view(reinterpret_cast<const char*>(dados) + posicao, fim - posicao);
            posicao = k + 1;
            return true;
        }
        return false;
    }

    std::size_t getPosicao() const { return posicao; }

private:
    const unsigned char* dados;
    std::size_t tamanho;
    std::size_t posicao = 0;
};

// The number at the start of `texto` (1 to kMaisDigitos digits), taken off it; false when
// there is none.
bool numero(std::string_view& texto, std::uint64_t& valor) {
    std::size_t k = 0;
    valor = 0;
    while (k < texto.size() && texto[k] >= '0' && texto[k] <= '9' && k < kMaisDigitos) {
        valor = valor * 10 + static_cast<std::uint64_t>(texto[k] - '0');
        ++k;
    }
    if (k == 0 || (k < texto.size() && texto[k] >= '0' && texto[k] <= '9')) {
        return false;
    }
    texto.remove_prefix(k);
    return true;
}

bool tirar(std::string_view& texto, std::string_view prefixo) {
    if (texto.substr(0, prefixo.size()) != prefixo) {
        return false;
    }
    texto.remove_prefix(prefixo.size());
    return true;
}

// Reads the texels one byte at a time, knowing when the bytes run out.
struct Leitura {
    const unsigned char* dados;
    std::size_t tamanho;
    std::size_t posicao;

    bool restam(std::size_t quantos) const { return tamanho - posicao >= quantos; }
    unsigned proximo() { return dados[posicao++]; }
};

void converter(const unsigned char* rgbe, std::uint8_t* texel) {
    for (int c = 0; c < 3; ++c) {
        texel[c] = ImagemHdr::byte(rgbe[c], rgbe[3]);
    }
}

}  // namespace

bool ImagemHdr::reconhecer(const unsigned char* dados, std::size_t tamanho) {
    const std::string_view inicio(reinterpret_cast<const char*>(dados),
                                  std::min<std::size_t>(tamanho, sizeof("#?RADIANCE")));
    return inicio.starts_with("#?RADIANCE") || inicio.starts_with("#?RGBE");
}

ImagemHdr::Cabecalho ImagemHdr::lerCabecalho(const unsigned char* dados, std::size_t tamanho) {
    Cabecalho cabecalho;
    Linhas linhas(dados, tamanho);
    std::string_view linha;
    if (!linhas.proxima(linha) || (linha != "#?RADIANCE" && linha != "#?RGBE")) {
        cabecalho.problema = "its first line is not #?RADIANCE";
        return cabecalho;
    }
    bool formato = false;
    for (;;) {
        if (!linhas.proxima(linha)) {
            cabecalho.problema = "its header does not end";
            return cabecalho;
        }
        if (linha.empty()) {
            break;
        }
        formato = formato || linha == kFormato;
    }
    if (!formato) {
        cabecalho.problema = "its header does not say FORMAT=32-bit_rle_rgbe";
        return cabecalho;
    }
    std::string_view tamanhoTexto;
    if (!linhas.proxima(tamanhoTexto) || !tirar(tamanhoTexto, "-Y ") ||
        !numero(tamanhoTexto, cabecalho.altura) || !tirar(tamanhoTexto, " +X ") ||
        !numero(tamanhoTexto, cabecalho.largura) || !tamanhoTexto.empty()) {
        cabecalho.problema = "its size is not given as -Y height +X width";
        return cabecalho;
    }
    cabecalho.inicio = linhas.getPosicao();
    return cabecalho;
}

std::uint8_t ImagemHdr::byte(unsigned mantissa, unsigned expoente) {
    if (expoente == 0) {
        return 0;
    }
    const double valor =
        std::ldexp(static_cast<double>(mantissa), static_cast<int>(expoente) - kExpoenteZero);
    if (valor >= 1.0) {
        return 255;
    }
    return static_cast<std::uint8_t>(std::floor(valor * kMaiorByte + 0.5));
}

std::string ImagemHdr::decodificar(const unsigned char* dados, std::size_t tamanho,
                                   const Cabecalho& cabecalho, std::vector<std::uint8_t>& texels) {
    const std::uint64_t largura = cabecalho.largura;
    const std::uint64_t altura = cabecalho.altura;
    texels.assign(static_cast<std::size_t>(3 * largura * altura), 0);
    Leitura leitura{dados, tamanho, cabecalho.inicio};
    const std::string cortado = "it is cut short";
    const bool rle = largura >= kMenorLarguraRle && largura <= kMaiorLarguraRle;
    std::vector<unsigned char> linha(rle ? static_cast<std::size_t>(4 * largura) : 0);
    std::uint64_t j = 0;
    for (; rle && j < altura; ++j) {
        if (!leitura.restam(4)) {
            return cortado;
        }
        const unsigned char* cabeca = dados + leitura.posicao;
        if (cabeca[0] != 2 || cabeca[1] != 2 || (cabeca[2] & kBitAlto) != 0) {
            // Flat texels from here on.
            break;
        }
        leitura.posicao += 4;
        if ((std::uint64_t{cabeca[2]} << 8 | cabeca[3]) != largura) {
            return "a scanline's length is not the image's width";
        }
        for (std::size_t canal = 0; canal < 4; ++canal) {
            std::uint64_t i = 0;
            while (i < largura) {
                if (!leitura.restam(1)) {
                    return cortado;
                }
                unsigned quantos = leitura.proximo();
                const bool corrida = quantos > kInicioCorrida;
                if (corrida) {
                    quantos -= kInicioCorrida;
                }
                if (quantos == 0 || quantos > largura - i) {
                    return "its run-length data is corrupt";
                }
                if (!leitura.restam(corrida ? 1 : quantos)) {
                    return cortado;
                }
                const unsigned valor = corrida ? leitura.proximo() : 0;
                for (unsigned k = 0; k < quantos; ++k, ++i) {
                    linha[static_cast<std::size_t>(4 * i) + canal] =
                        static_cast<unsigned char>(corrida ? valor : leitura.proximo());
                }
            }
        }
        for (std::uint64_t i = 0; i < largura; ++i) {
            converter(&linha[static_cast<std::size_t>(4 * i)],
                      &texels[static_cast<std::size_t>(3 * (j * largura + i))]);
        }
    }
    const std::uint64_t restantes = (altura - j) * largura;
    if (!leitura.restam(static_cast<std::size_t>(4 * restantes))) {
        return cortado;
    }
    for (std::uint64_t t = j * largura; t < altura * largura; ++t) {
        converter(dados + leitura.posicao, &texels[static_cast<std::size_t>(3 * t)]);
        leitura.posicao += 4;
    }
    return "";
}

}  // namespace gouraud::detail
