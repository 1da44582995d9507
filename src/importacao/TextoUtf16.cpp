#include "TextoUtf16.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace gouraud::detail {

namespace {

constexpr std::uint32_t kAltoInicio = 0xD800;
constexpr std::uint32_t kBaixoInicio = 0xDC00;
constexpr std::uint32_t kBaixoFim = 0xE000;
constexpr std::uint32_t kForaDoPlanoBasico = 0x10000;

bool controle(std::uint32_t c) {
    return c < 0x20 && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r';
}

void acrescentar(std::uint32_t c, std::string& utf8) {
    const auto byte = [&utf8](std::uint32_t b) { utf8.push_back(static_cast<char>(b)); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | c >> 6);
        byte(0x80 | (c & 0x3F));
    } else if (c < kForaDoPlanoBasico) {
        byte(0xE0 | c >> 12);
        byte(0x80 | (c >> 6 & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | c >> 18);
        byte(0x80 | (c >> 12 & 0x3F));
        byte(0x80 | (c >> 6 & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

}  // namespace

bool TextoUtf16::converter(const unsigned char* dados, std::size_t tamanho, std::string& utf8) {
    utf8.clear();
    if (tamanho < 2 || tamanho % 2 != 0 ||
        !((dados[0] == 0xFF && dados[1] == 0xFE) || (dados[0] == 0xFE && dados[1] == 0xFF))) {
        return false;
    }
    const bool pequeno = dados[0] == 0xFF;
    const auto unidade = [&](std::size_t k) {
        const std::uint32_t a = dados[k];
        const std::uint32_t b = dados[k + 1];
        return pequeno ? a | b << 8 : a << 8 | b;
    };
    utf8.reserve(tamanho / 2);
    for (std::size_t k = 2; k < tamanho; k += 2) {
        std::uint32_t c = unidade(k);
        if (c >= kBaixoInicio && c < kBaixoFim) {
            utf8.clear();
            return false;
        }
        if (c >= kAltoInicio && c < kBaixoInicio) {
            const std::uint32_t baixo = k + 2 < tamanho ? unidade(k + 2) : 0;
            if (baixo < kBaixoInicio || baixo >= kBaixoFim) {
                utf8.clear();
                return false;
            }
            c = kForaDoPlanoBasico + ((c - kAltoInicio) << 10) + (baixo - kBaixoInicio);
            k += 2;
        }
        if (controle(c)) {
            utf8.clear();
            return false;
        }
        acrescentar(c, utf8);
    }
    return true;
}

bool TextoUtf16::converterArquivo(const std::string& caminho, std::string& utf8) {
    utf8.clear();
    std::ifstream arquivo(caminho, std::ios::binary);
    unsigned char marca[2] = {0, 0};
    if (!arquivo.read(reinterpret_cast<char*>(marca), 2) ||
        !((marca[0] == 0xFF && marca[1] == 0xFE) || (marca[0] == 0xFE && marca[1] == 0xFF))) {
        return false;
    }
    arquivo.seekg(0, std::ios::end);
    const std::streamoff fim = arquivo.tellg();
    arquivo.seekg(0, std::ios::beg);
    if (fim < 0 || !arquivo) {
        return false;
    }
    std::vector<unsigned char> dados(static_cast<std::size_t>(fim));
    return arquivo.read(reinterpret_cast<char*>(dados.data()), fim) &&
           converter(dados.data(), dados.size(), utf8);
}

}  // namespace gouraud::detail
