#include "LeitorTextura.h"

#include <stb_image.h>

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <vector>

#include "Arquivo.h"

namespace {

constexpr int kCanais = 3;
constexpr std::array<unsigned char, 8> kAssinaturaPng = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::array<unsigned char, 3> kAssinaturaJpeg = {0xFF, 0xD8, 0xFF};

template <std::size_t N>
bool comeca(const unsigned char* dados, std::size_t tamanho,
            const std::array<unsigned char, N>& assinatura) {
    return tamanho >= N && std::memcmp(dados, assinatura.data(), N) == 0;
}

struct LiberaImagem {
    void operator()(unsigned char* p) const { stbi_image_free(p); }
};

}  // namespace

std::string LeitorTextura::decodificar(const unsigned char* dados, std::size_t tamanho,
                                       std::optional<Textura>& textura) {
    textura.reset();
    // Only PNG and JPEG: the decoder would also take other formats on a weak guess.
    if (!comeca(dados, tamanho, kAssinaturaPng) && !comeca(dados, tamanho, kAssinaturaJpeg)) {
        return "it is neither a PNG nor a JPEG image";
    }
    if (tamanho > kMaiorArquivo || tamanho > static_cast<std::size_t>(INT_MAX)) {
        return "it is larger than " + std::to_string(kMaiorArquivo >> 20) + " MiB";
    }
    const int bytes = static_cast<int>(tamanho);
    int largura = 0;
    int altura = 0;
    int canais = 0;
    if (stbi_info_from_memory(dados, bytes, &largura, &altura, &canais) == 0) {
        return std::string("it cannot be decoded: ") + stbi_failure_reason();
    }
    if (largura < 1 || altura < 1 || largura > Textura::kMaiorLado ||
        altura > Textura::kMaiorLado) {
        return "it is " + std::to_string(largura) + " x " + std::to_string(altura) +
               " texels, more than " + std::to_string(Textura::kMaiorLado) + " on a side";
    }
    const std::size_t decodificados =
        static_cast<std::size_t>(largura) * static_cast<std::size_t>(altura) * kCanais;
    if (decodificados > Textura::kMaisBytes) {
        return "it is " + std::to_string(largura) + " x " + std::to_string(altura) +
               " texels, more than " + std::to_string(Textura::kMaisBytes >> 20) +
               " MiB decoded";
    }
    int l = 0;
    int a = 0;
    std::unique_ptr<unsigned char, LiberaImagem> imagem(
        stbi_load_from_memory(dados, bytes, &l, &a, &canais, kCanais));
    if (imagem == nullptr) {
        return std::string("it cannot be decoded: ") + stbi_failure_reason();
    }
    if (l != largura || a != altura) {
        return "its size changed while it was decoded";
    }
    textura.emplace(largura, altura,
                    std::vector<std::uint8_t>(imagem.get(), imagem.get() + decodificados));
    return "";
}

std::string LeitorTextura::lerArquivo(const std::string& caminho, std::optional<Textura>& textura) {
    textura.reset();
    std::ifstream arquivo;
    std::string motivo = Arquivo::abrir(caminho, arquivo);
    if (!motivo.empty()) {
        return motivo;
    }
    arquivo.seekg(0, std::ios::end);
    const std::streamoff fim = arquivo.tellg();
    arquivo.seekg(0, std::ios::beg);
    if (fim < 0 || !arquivo) {
        return "its length cannot be found";
    }
    const auto tamanho = static_cast<std::size_t>(fim);
    if (tamanho > kMaiorArquivo) {
        return "it is larger than " + std::to_string(kMaiorArquivo >> 20) + " MiB";
    }
    std::vector<unsigned char> dados(tamanho);
    if (!arquivo.read(reinterpret_cast<char*>(dados.data()), static_cast<std::streamsize>(tamanho))) {
        return "it cannot be read";
    }
    return decodificar(dados.data(), dados.size(), textura);
}
