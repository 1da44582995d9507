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

namespace gouraud::detail {

namespace {

constexpr int kCanais = 3;
constexpr std::array<unsigned char, 8> kAssinaturaPng = {0x89, 'P',  'N',  'G',
                                                         '\r', '\n', 0x1A, '\n'};
constexpr std::array<unsigned char, 3> kAssinaturaJpeg = {0xFF, 0xD8, 0xFF};
// A PNG's first chunk, its header, from the type's name to the end of width and height.
constexpr std::size_t kInicioIhdr = 12;
constexpr std::size_t kFimIhdr = kInicioIhdr + 12;

// The big-endian 32-bit number at `p`.
std::uint64_t grandeFinal(const unsigned char* p) {
    return std::uint64_t{p[0]} << 24 | std::uint64_t{p[1]} << 16 | std::uint64_t{p[2]} << 8 |
           std::uint64_t{p[3]};
}

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
    std::uint64_t largura = 0;
    std::uint64_t altura = 0;
    int canais = 0;
    if (comeca(dados, tamanho, kAssinaturaPng)) {
        // The size the header declares, read here: the decoder refuses a large one only as an
        // image it does not know.
        if (tamanho < kFimIhdr || std::memcmp(dados + kInicioIhdr, "IHDR", 4) != 0) {
            return "it cannot be decoded: its header is cut short";
        }
        largura = grandeFinal(dados + kInicioIhdr + 4);
        altura = grandeFinal(dados + kInicioIhdr + 8);
    } else {
        int l = 0;
        int a = 0;
        if (stbi_info_from_memory(dados, bytes, &l, &a, &canais) == 0) {
            return std::string("it cannot be decoded: ") + stbi_failure_reason();
        }
        largura = static_cast<std::uint64_t>(l);
        altura = static_cast<std::uint64_t>(a);
    }
    if (largura < 1 || altura < 1) {
        return "it has no texels";
    }
    if (largura > Textura::kMaiorLado || altura > Textura::kMaiorLado) {
        return "it is " + std::to_string(largura) + " x " + std::to_string(altura) +
               " texels, more than " + std::to_string(Textura::kMaiorLado) + " on a side";
    }
    const std::size_t decodificados =
        static_cast<std::size_t>(largura) * static_cast<std::size_t>(altura) * kCanais;
    if (decodificados > Textura::kMaisBytes) {
        return "it is " + std::to_string(largura) + " x " + std::to_string(altura) +
               " texels, more than " + std::to_string(Textura::kMaisBytes >> 20) + " MiB decoded";
    }
    int l = 0;
    int a = 0;
    std::unique_ptr<unsigned char, LiberaImagem> imagem(
        stbi_load_from_memory(dados, bytes, &l, &a, &canais, kCanais));
    if (imagem == nullptr) {
        return std::string("it cannot be decoded: ") + stbi_failure_reason();
    }
    if (static_cast<std::uint64_t>(l) != largura || static_cast<std::uint64_t>(a) != altura) {
        return "its size changed while it was decoded";
    }
    textura.emplace(l, a, std::vector<std::uint8_t>(imagem.get(), imagem.get() + decodificados));
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
    if (!arquivo.read(reinterpret_cast<char*>(dados.data()),
                      static_cast<std::streamsize>(tamanho))) {
        return "it cannot be read";
    }
    return decodificar(dados.data(), dados.size(), textura);
}

}  // namespace gouraud::detail
