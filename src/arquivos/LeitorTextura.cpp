#include "LeitorTextura.h"

#include <stb_image.h>

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "Arquivo.h"
#include "ImagemHdr.h"

namespace gouraud::detail {

namespace {

constexpr int kCanais = 3;
constexpr std::array<unsigned char, 8> kAssinaturaPng = {0x89, 'P',  'N',  'G',
                                                         '\r', '\n', 0x1A, '\n'};
constexpr std::array<unsigned char, 3> kAssinaturaJpeg = {0xFF, 0xD8, 0xFF};
constexpr std::array<unsigned char, 4> kAssinaturaPic = {0x53, 0x80, 0xF6, 0x34};
// Where a Softimage PIC says what it is, after its 4-byte signature and 84 bytes of comment.
constexpr std::size_t kInicioPict = 88;
// A PNG's first chunk, its header, from the type's name to the end of width and height.
constexpr std::size_t kInicioIhdr = 12;
constexpr std::size_t kFimIhdr = kInicioIhdr + 12;
// A TGA's header and the bytes in it that say what the image is.
constexpr std::size_t kCabecalhoTga = 18;
// A run-length packet of a TGA covers at most this many texels.
constexpr std::uint64_t kTexelsPorPacote = 128;

// The formats read, each told by the first bytes of its contents; a TGA has no signature and
// is told by its header making sense (and tried last, as stb_image tries it).
enum class Formato { png, jpeg, gif, bmp, psd, pic, pnm, hdr, tga };

// What the header of an image says, read before it is decoded.
struct Cabecalho {
    Formato formato = Formato::png;
    std::uint64_t largura = 0;
    std::uint64_t altura = 0;
    // For TGA (whose decoder leaves texels unwritten when the data is cut short) and PNM:
    // where the texels start, how many bytes one takes, and whether they come in run-length
    // packets, so that the data's least length is checked first.
    bool conferirDados = false;
    std::uint64_t inicio = 0;
    std::uint64_t bytesTexel = 0;
    bool pacotes = false;
    // A PNM's channels (1 or 3) and bytes per sample (1 or 2).
    std::size_t canais = 0;
    std::size_t bytesAmostra = 0;
    ImagemHdr::Cabecalho hdr;
};

// The big-endian 32-bit number at `p`.
std::uint64_t grandeFinal(const unsigned char* p) {
    return std::uint64_t{p[0]} << 24 | std::uint64_t{p[1]} << 16 | std::uint64_t{p[2]} << 8 |
           std::uint64_t{p[3]};
}

// The little-endian 16-bit number at `p`.
std::uint64_t pequenoFinal16(const unsigned char* p) {
    return std::uint64_t{p[0]} | std::uint64_t{p[1]} << 8;
}

template <std::size_t N>
bool comeca(const unsigned char* dados, std::size_t tamanho,
            const std::array<unsigned char, N>& assinatura, std::size_t em = 0) {
    return tamanho >= em + N && std::memcmp(dados + em, assinatura.data(), N) == 0;
}

bool comeca(const unsigned char* dados, std::size_t tamanho, std::string_view texto,
            std::size_t em = 0) {
    return tamanho >= em + texto.size() && std::memcmp(dados + em, texto.data(), texto.size()) == 0;
}

bool umDe(unsigned valor, std::initializer_list<unsigned> valores) {
    for (const unsigned v : valores) {
        if (valor == v) {
            return true;
        }
    }
    return false;
}

// Why stb_image refused the last image, made one line of printable text: its reason for an
// unknown PNG chunk holds the chunk's four bytes from the file as they are.
std::string motivoStb() {
    const char* motivo = stbi_failure_reason();
    std::string texto = "it cannot be decoded: ";
    for (const char* c = motivo != nullptr ? motivo : "unknown reason"; *c != '\0'; ++c) {
        texto += *c >= ' ' && *c <= '~' ? *c : '?';
    }
    return texto;
}

// Whether the header of a TGA makes sense, by the very test stb_image applies: a colour map type
// of 0 or 1, an image type that goes with it, sides of at least 1 and a known number of bits per
// texel. Text never passes (its second byte would be 0 or 1).
bool ehTga(const unsigned char* d, std::size_t tamanho) {
    if (tamanho < kCabecalhoTga || d[1] > 1) {
        return false;
    }
    const bool paleta = d[1] == 1;
    if (paleta ? !umDe(d[2], {1, 9}) || !umDe(d[7], {8, 15, 16, 24, 32})
               : !umDe(d[2], {2, 3, 10, 11})) {
        return false;
    }
    return pequenoFinal16(d + 12) >= 1 && pequenoFinal16(d + 14) >= 1 &&
           (!paleta || umDe(d[16], {8, 16})) && umDe(d[16], {8, 15, 16, 24, 32});
}

std::optional<Formato> reconhecer(const unsigned char* d, std::size_t n) {
    if (comeca(d, n, kAssinaturaPng)) {
        return Formato::png;
    }
    if (comeca(d, n, kAssinaturaJpeg)) {
        return Formato::jpeg;
    }
    if (comeca(d, n, "GIF87a") || comeca(d, n, "GIF89a")) {
        return Formato::gif;
    }
    if (comeca(d, n, "BM")) {
        return Formato::bmp;
    }
    if (comeca(d, n, "8BPS")) {
        return Formato::psd;
    }
    if (comeca(d, n, kAssinaturaPic) && comeca(d, n, "PICT", kInicioPict)) {
        return Formato::pic;
    }
    if (comeca(d, n, "P5") || comeca(d, n, "P6")) {
        return Formato::pnm;
    }
    if (ImagemHdr::reconhecer(d, n)) {
        return Formato::hdr;
    }
    if (ehTga(d, n)) {
        return Formato::tga;
    }
    return std::nullopt;
}

// The header of a binary PGM or PPM, read as stb_image reads it (white space and comments
// between the numbers, one byte of white space after the largest value). Its texels are read
// here (decodificarPnm): that decoder takes 16-bit samples in the machine's byte order and
// mishandles a 16-bit greymap's conversion to three channels.
std::string cabecalhoPnm(const unsigned char* d, std::size_t n, Cabecalho& c) {
    std::size_t p = 2;
    const auto fim = [&] { return p >= n; };
    const auto ler = [&] { return p < n ? static_cast<char>(d[p++]) : '\0'; };
    char atual = ler();
    const auto espaco = [](char ch) {
        return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
    };
    const auto espacos = [&] {
        for (;;) {
            while (!fim() && espaco(atual)) {
                atual = ler();
            }
            if (fim() || atual != '#') {
                return;
            }
            while (!fim() && atual != '\n' && atual != '\r') {
                atual = ler();
            }
        }
    };
    const auto inteiro = [&](std::uint64_t& valor) {
        valor = 0;
        while (!fim() && atual >= '0' && atual <= '9') {
            valor = valor * 10 + static_cast<std::uint64_t>(atual - '0');
            if (valor > static_cast<std::uint64_t>(INT_MAX)) {
                return false;
            }
            atual = ler();
        }
        return true;
    };
    std::uint64_t maior = 0;
    espacos();
    bool legivel = inteiro(c.largura);
    espacos();
    legivel = legivel && inteiro(c.altura);
    espacos();
    legivel = legivel && inteiro(maior);
    if (!legivel) {
        return "it cannot be decoded: its header holds a number over " + std::to_string(INT_MAX);
    }
    if (maior > 65535) {
        return "it cannot be decoded: its largest value is over 65535";
    }
    c.conferirDados = true;
    c.inicio = p;
    c.canais = d[1] == '6' ? 3 : 1;
    c.bytesAmostra = maior > 255 ? 2 : 1;
    c.bytesTexel = c.canais * c.bytesAmostra;
    return "";
}

// The texels of a PGM or PPM whose header and length were checked: each sample as stored, a
// 16-bit one (big-endian) by its high byte, as stb_image makes 16 bits 8; not scaled by the
// largest value, as stb_image does not; grey repeated.
void decodificarPnm(const unsigned char* d, const Cabecalho& c, std::vector<std::uint8_t>& texels) {
    const std::size_t quant = static_cast<std::size_t>(c.largura * c.altura);
    const unsigned char* amostras = d + c.inicio;
    texels.resize(quant * kCanais);
    for (std::size_t t = 0; t < quant; ++t) {
        for (std::size_t k = 0; k < kCanais; ++k) {
            const std::size_t amostra = t * c.canais + (c.canais == 1 ? 0 : k);
            texels[kCanais * t + k] = amostras[amostra * c.bytesAmostra];
        }
    }
}

// The header of a TGA (ehTga passed), and where its texels start: after the header, the
// image's name and its colour map (stb_image also skips the map's first index, in bytes).
void cabecalhoTga(const unsigned char* d, Cabecalho& c) {
    c.largura = pequenoFinal16(d + 12);
    c.altura = pequenoFinal16(d + 14);
    const bool paleta = d[1] == 1;
    c.conferirDados = true;
    c.inicio = kCabecalhoTga + d[0];
    if (paleta) {
        c.inicio += pequenoFinal16(d + 3) + pequenoFinal16(d + 5) * ((d[7] + 7u) / 8u);
    }
    c.bytesTexel = (d[16] + 7u) / 8u;
    c.pacotes = d[2] >= 8;
}

// The header of an image of format `formato` into `c`; "" or why it cannot be read.
std::string lerCabecalho(const unsigned char* d, std::size_t n, Cabecalho& c) {
    switch (c.formato) {
        case Formato::png:
            // The size the header declares, read here: the decoder refuses a large one only as
            // an image it does not know.
            if (n < kFimIhdr || std::memcmp(d + kInicioIhdr, "IHDR", 4) != 0) {
                return "it cannot be decoded: its header is cut short";
            }
            c.largura = grandeFinal(d + kInicioIhdr + 4);
            c.altura = grandeFinal(d + kInicioIhdr + 8);
            return "";
        case Formato::pnm:
            return cabecalhoPnm(d, n, c);
        case Formato::tga:
            cabecalhoTga(d, c);
            return "";
        case Formato::hdr:
            c.hdr = ImagemHdr::lerCabecalho(d, n);
            c.largura = c.hdr.largura;
            c.altura = c.hdr.altura;
            return c.hdr.problema.empty() ? "" : "it cannot be decoded: " + c.hdr.problema;
        default:
            break;
    }
    int l = 0;
    int a = 0;
    int canais = 0;
    if (stbi_info_from_memory(d, static_cast<int>(n), &l, &a, &canais) == 0) {
        return motivoStb();
    }
    // A BMP stored from the top row down gives a negative height.
    const std::int64_t altura = c.formato == Formato::bmp && a < 0 ? -std::int64_t{a} : a;
    if (l < 1 || altura < 1) {
        return "it cannot be decoded: its header gives no size";
    }
    c.largura = static_cast<std::uint64_t>(l);
    c.altura = static_cast<std::uint64_t>(altura);
    return "";
}

struct LiberaImagem {
    void operator()(unsigned char* p) const { stbi_image_free(p); }
};

// The image decoded by stb_image into red, green and blue, as it makes them (16 bits by their
// high byte, grey repeated, alpha left out).
std::string decodificarStb(const unsigned char* d, std::size_t n, const Cabecalho& c,
                           std::vector<std::uint8_t>& texels) {
    int l = 0;
    int a = 0;
    int canais = 0;
    std::unique_ptr<unsigned char, LiberaImagem> imagem(
        stbi_load_from_memory(d, static_cast<int>(n), &l, &a, &canais, kCanais));
    if (imagem == nullptr) {
        return motivoStb();
    }
    if (static_cast<std::uint64_t>(l) != c.largura || static_cast<std::uint64_t>(a) != c.altura) {
        return "its size changed while it was decoded";
    }
    texels.assign(imagem.get(),
                  imagem.get() + static_cast<std::size_t>(c.largura * c.altura) * kCanais);
    return "";
}

}  // namespace

std::string LeitorTextura::decodificar(const unsigned char* dados, std::size_t tamanho,
                                       std::optional<Textura>& textura) {
    textura.reset();
    const std::optional<Formato> formato = reconhecer(dados, tamanho);
    if (!formato) {
        if (tamanho >= 2 && dados[0] == 'P' && dados[1] >= '1' && dados[1] <= '4') {
            return std::string("it is a P") + static_cast<char>(dados[1]) +
                   " PNM image: only binary greymaps and pixmaps (P5, P6) are read";
        }
        return "it is neither a PNG nor a JPEG image, nor a TGA, BMP, GIF, PSD, HDR, PIC or PNM "
               "one";
    }
    if (tamanho > kMaiorArquivo || tamanho > static_cast<std::size_t>(INT_MAX)) {
        return "it is larger than " + std::to_string(kMaiorArquivo >> 20) + " MiB";
    }
    Cabecalho cabecalho;
    cabecalho.formato = *formato;
    std::string problema = lerCabecalho(dados, tamanho, cabecalho);
    if (!problema.empty()) {
        return problema;
    }
    const std::uint64_t largura = cabecalho.largura;
    const std::uint64_t altura = cabecalho.altura;
    if (largura < 1 || altura < 1) {
        return "it has no texels";
    }
    if (largura > Textura::kMaiorLado || altura > Textura::kMaiorLado) {
        return "it is " + std::to_string(largura) + " x " + std::to_string(altura) +
               " texels, more than " + std::to_string(Textura::kMaiorLado) + " on a side";
    }
    const std::uint64_t texels = largura * altura;
    if (texels * kCanais > Textura::kMaisBytes) {
        return "it is " + std::to_string(largura) + " x " + std::to_string(altura) +
               " texels, more than " + std::to_string(Textura::kMaisBytes >> 20) + " MiB decoded";
    }
    if (cabecalho.conferirDados) {
        const std::uint64_t minimo =
            cabecalho.pacotes
                ? (texels + kTexelsPorPacote - 1) / kTexelsPorPacote * (1 + cabecalho.bytesTexel)
                : texels * cabecalho.bytesTexel;
        if (cabecalho.inicio > tamanho || tamanho - cabecalho.inicio < minimo) {
            return "it cannot be decoded: it is cut short";
        }
    }
    std::vector<std::uint8_t> decodificados;
    if (*formato == Formato::pnm) {
        decodificarPnm(dados, cabecalho, decodificados);
    } else {
        problema = *formato == Formato::hdr
                       ? ImagemHdr::decodificar(dados, tamanho, cabecalho.hdr, decodificados)
                       : decodificarStb(dados, tamanho, cabecalho, decodificados);
    }
    if (!problema.empty()) {
        return *formato == Formato::hdr ? "it cannot be decoded: " + problema : problema;
    }
    textura.emplace(static_cast<int>(largura), static_cast<int>(altura), std::move(decodificados));
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
