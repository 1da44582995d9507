#include "GravadorPng.h"

#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Arquivo.h"

namespace gouraud::detail {

namespace {

constexpr int kBitsPorCanal = 8;
constexpr int kCanaisPorPixel = 3;
// Fast compression: the file is written before the first picture appears. The rows go to the
// compressor unfiltered: a rendered frame, dark around the model and shaded in the steps of 16-bit
// colour, compresses smaller that way than after libpng's adaptive choice among its five filters,
// in a third to a half of the time.
constexpr int kNivelCompressao = 3;

// Where the encoder writes, and the first error it met.
struct Destino {
    int descritor;
    int erro;
};

void escrever(png_structp png, png_bytep dados, png_size_t tamanho) {
    auto* destino = static_cast<Destino*>(png_get_io_ptr(png));
    while (tamanho > 0) {
        const ssize_t escritos = ::write(destino->descritor, dados, tamanho);
        if (escritos < 0) {
            if (errno == EINTR) {
                continue;
            }
            destino->erro = errno;
            png_error(png, "write failed");
        }
        dados += escritos;
        tamanho -= static_cast<png_size_t>(escritos);
    }
}

void descarregar(png_structp) {}

// libpng reports errors by a long jump back into codificar; nothing with a destructor may live
// in its frame, so the rows are prepared by the caller.
void erroPng(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void avisoPng(png_structp, png_const_charp) {}

// Encodes the rows into the file; false on failure (destino.erro holds errno when the system
// refused a write, 0 when the encoder itself failed).
bool codificar(png_bytep* linhas, int largura, int altura, bool comAlfa, Destino& destino) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, erroPng, avisoPng);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &destino, escrever, descarregar);
    png_set_compression_level(png, kNivelCompressao);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(largura), static_cast<png_uint_32>(altura),
                 kBitsPorCanal, comAlfa ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, linhas);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::string razao(int erro) { return erro != 0 ? std::strerror(erro) : "the PNG encoder failed"; }

}  // namespace

std::string GravadorPng::gravar(const Quadro& quadro, const std::string& caminho) {
    const std::size_t quantos = static_cast<std::size_t>(quadro.getLargura()) *
                                static_cast<std::size_t>(quadro.getAltura());
    std::vector<std::uint8_t> pixels(quantos * kCanaisPorPixel);
    paraRgb(quadro, pixels.data());
    std::vector<std::uint8_t> alfa;
    if (quadro.getTransparente()) {
        alfa.resize(quantos);
        paraAlfa(quadro, alfa.data());
    }
    return gravar(pixels.data(), alfa.empty() ? nullptr : alfa.data(), quadro.getLargura(),
                  quadro.getAltura(), caminho);
}

std::string GravadorPng::gravar(const std::uint8_t* rgb, int largura, int altura,
                                const std::string& caminho) {
    return gravar(rgb, nullptr, largura, altura, caminho);
}

std::string GravadorPng::gravar(const std::uint8_t* rgb, const std::uint8_t* alfa, int largura,
                                int altura, const std::string& caminho) {
    const std::size_t bytesPorLinha = static_cast<std::size_t>(largura) * kCanaisPorPixel;
    // With an alpha channel the rows are put together here, four bytes a pixel.
    std::vector<std::uint8_t> rgba;
    if (alfa != nullptr) {
        rgba.resize(static_cast<std::size_t>(largura) * static_cast<std::size_t>(altura) * 4);
        for (std::size_t i = 0; i < rgba.size() / 4; ++i) {
            rgba[4 * i] = rgb[3 * i];
            rgba[4 * i + 1] = rgb[3 * i + 1];
            rgba[4 * i + 2] = rgb[3 * i + 2];
            rgba[4 * i + 3] = alfa[i];
        }
    }
    const std::size_t passo =
        alfa != nullptr ? static_cast<std::size_t>(largura) * 4 : bytesPorLinha;
    const std::uint8_t* base = alfa != nullptr ? rgba.data() : rgb;
    // libpng reads the rows through non-const pointers but does not write to them.
    std::vector<png_bytep> linhas(static_cast<std::size_t>(altura));
    for (int y = 0; y < altura; ++y) {
        linhas[static_cast<std::size_t>(y)] =
            const_cast<std::uint8_t*>(base) + static_cast<std::size_t>(y) * passo;
    }
    const bool comAlfa = alfa != nullptr;
    return Arquivo::gravar(caminho, [&linhas, largura, altura, comAlfa](int descritor) {
        Destino destino{descritor, 0};
        return codificar(linhas.data(), largura, altura, comAlfa, destino) ? std::string()
                                                                           : razao(destino.erro);
    });
}

void GravadorPng::paraRgb(const Quadro& quadro, std::uint8_t* rgb) {
    for (int y = 0; y < quadro.getAltura(); ++y) {
        const std::uint16_t* cores = quadro.linhaCor(y);
        const Canais* canais = quadro.linhaCanais(y);
        for (int x = 0; x < quadro.getLargura(); ++x) {
            const Canais c = canais != nullptr ? canais[x] : Quadro::expandir(cores[x]);
            *rgb++ = static_cast<std::uint8_t>(Quadro::vermelhoDe(c));
            *rgb++ = static_cast<std::uint8_t>(Quadro::verdeDe(c));
            *rgb++ = static_cast<std::uint8_t>(Quadro::azulDe(c));
        }
    }
}

void GravadorPng::paraAlfa(const Quadro& quadro, std::uint8_t* alfa) {
    for (int y = 0; y < quadro.getAltura(); ++y) {
        const Canais* canais = quadro.linhaCanais(y);
        for (int x = 0; x < quadro.getLargura(); ++x) {
            *alfa++ =
                static_cast<std::uint8_t>(canais != nullptr ? Quadro::alfaDe(canais[x]) : 255);
        }
    }
}

}  // namespace gouraud::detail
