#include "ModeloDeArranjos.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "Textura.h"

namespace gouraud::detail {

namespace {

using Tipo = Arranjo::Tipo;

// The most vertices and triangles a mesh from memory may have: their numbers are ints in the
// scene and in the renderer.
constexpr std::size_t kMaisLinhas = static_cast<std::size_t>(std::numeric_limits<int>::max());

std::string texto(std::size_t n) { return std::to_string(n); }

const char* nomeTipo(Tipo tipo) {
    switch (tipo) {
        case Tipo::float32:
            return "float32";
        case Tipo::float64:
            return "float64";
        case Tipo::int32:
            return "int32";
        case Tipo::int64:
            return "int64";
        case Tipo::uint32:
            return "uint32";
        case Tipo::uint8:
            return "uint8";
    }
    return "of an unknown type";
}

std::size_t bytesDe(Tipo tipo) {
    switch (tipo) {
        case Tipo::float64:
        case Tipo::int64:
            return 8;
        case Tipo::float32:
        case Tipo::int32:
        case Tipo::uint32:
            return 4;
        case Tipo::uint8:
            return 1;
    }
    return 0;
}

bool ehReal(Tipo tipo) { return tipo == Tipo::float32 || tipo == Tipo::float64; }
bool ehInteiro(Tipo tipo) {
    return tipo == Tipo::int32 || tipo == Tipo::int64 || tipo == Tipo::uint32;
}

// Element k of a real array, widened to double. The caller has checked the type and the bounds;
// the bytes are copied out, so no alignment is assumed.
double real(const Arranjo& a, std::size_t k) {
    const auto* bytes = static_cast<const unsigned char*>(a.dados);
    if (a.tipo == Tipo::float32) {
        float valor;
        std::memcpy(&valor, bytes + k * sizeof valor, sizeof valor);
        return valor;
    }
    double valor;
    std::memcpy(&valor, bytes + k * sizeof valor, sizeof valor);
    return valor;
}

// Element k of an integer array, as a signed 64-bit number (a uint32 always fits).
std::int64_t inteiro(const Arranjo& a, std::size_t k) {
    const auto* bytes = static_cast<const unsigned char*>(a.dados);
    switch (a.tipo) {
        case Tipo::int32: {
            std::int32_t valor;
            std::memcpy(&valor, bytes + k * sizeof valor, sizeof valor);
            return valor;
        }
        case Tipo::uint32: {
            std::uint32_t valor;
            std::memcpy(&valor, bytes + k * sizeof valor, sizeof valor);
            return valor;
        }
        default: {
            std::int64_t valor;
            std::memcpy(&valor, bytes + k * sizeof valor, sizeof valor);
            return valor;
        }
    }
}

// The checks every array shares: a known type of the kind asked for, the columns asked for,
// data where there are rows, and a size in bytes that a size_t holds. "" or the reason.
std::string verificarForma(const Arranjo& a, const char* nome, std::size_t colunas, bool real,
                           bool inteiroOuByte) {
    const bool tipoConhecido = bytesDe(a.tipo) != 0;
    const bool tipoCerto =
        tipoConhecido &&
        (real ? ehReal(a.tipo) : (inteiroOuByte ? ehInteiro(a.tipo) : a.tipo == Tipo::uint8));
    if (!tipoCerto) {
        const char* pedido =
            real ? "float32 or float64" : (inteiroOuByte ? "int32, int64 or uint32" : "uint8");
        return std::string(nome) + " is " + nomeTipo(a.tipo) + ", not " + pedido;
    }
    if (a.colunas != colunas) {
        return std::string(nome) + " has " + texto(a.colunas) + " columns, not " + texto(colunas);
    }
    if (a.linhas > 0 && a.dados == nullptr) {
        return std::string(nome) + " has " + texto(a.linhas) + " rows but no data";
    }
    if (a.linhas > std::numeric_limits<std::size_t>::max() / bytesDe(a.tipo) / colunas) {
        return std::string(nome) + " has more rows (" + texto(a.linhas) + ") than memory can hold";
    }
    return "";
}

// An optional per-vertex array: absent (no rows) or one row per position, each value finite,
// and, for colours, within 0..1. "" or the reason.
std::string verificarPorVertice(const Arranjo& a, const char* nome, const char* singular,
                                std::size_t colunas, std::size_t vertices, bool cor) {
    if (a.linhas == 0) {
        return "";
    }
    std::string problema = verificarForma(a, nome, colunas, true, false);
    if (!problema.empty()) {
        return problema;
    }
    if (a.linhas != vertices) {
        return std::string(nome) + " has " + texto(a.linhas) + " rows, not one per position (" +
               texto(vertices) + ")";
    }
    for (std::size_t v = 0; v < a.linhas; ++v) {
        for (std::size_t c = 0; c < colunas; ++c) {
            const double x = real(a, v * colunas + c);
            if (cor ? !(x >= 0.0 && x <= 1.0) : !std::isfinite(x)) {
                return std::string(singular) + " " + texto(v) +
                       (cor ? " is not within 0..1" : " is not finite");
            }
        }
    }
    return "";
}

// `a`'s rows of `colunas` reals as single-precision numbers, as a PLY file's float properties
// hold them.
std::vector<float> emFloat(const Arranjo& a, std::size_t colunas) {
    std::vector<float> valores(a.linhas * colunas);
    for (std::size_t k = 0; k < valores.size(); ++k) {
        valores[k] = static_cast<float>(real(a, k));
    }
    return valores;
}

}  // namespace

std::string modeloDeArranjos(const Arranjos& arranjos, ModeloImportado& modelo) {
    const Arranjo& posicoes = arranjos.posicoes;
    const Arranjo& triangulos = arranjos.triangulos;
    std::string problema = verificarForma(posicoes, "posicoes", 3, true, false);
    if (problema.empty() && triangulos.linhas > 0) {
        problema = verificarForma(triangulos, "triangulos", 3, false, true);
    }
    if (!problema.empty()) {
        return problema;
    }
    const std::size_t n = posicoes.linhas;
    const std::size_t m = triangulos.linhas;
    if (n == 0) {
        return "posicoes is empty: there is nothing to draw";
    }
    if (n > kMaisLinhas || m > kMaisLinhas) {
        return "the mesh has more than " + texto(kMaisLinhas) +
               (n > kMaisLinhas ? " positions" : " triangles");
    }
    // Positions are single precision once read, as a PLY file's are: a double that does not fit
    // one is not finite either.
    ModeloImportado::Malha malha;
    malha.posicoes = emFloat(posicoes, 3);
    for (std::size_t v = 0; v < n; ++v) {
        const float* p = &malha.posicoes[3 * v];
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) {
            return "position " + texto(v) + " is not finite" +
                   (std::isfinite(real(posicoes, 3 * v)) &&
                            std::isfinite(real(posicoes, 3 * v + 1)) &&
                            std::isfinite(real(posicoes, 3 * v + 2))
                        ? " in single precision"
                        : "");
        }
    }
    malha.indices.resize(3 * m);
    for (std::size_t t = 0; t < m; ++t) {
        for (std::size_t k = 0; k < 3; ++k) {
            const std::int64_t indice = inteiro(triangulos, 3 * t + k);
            if (indice < 0 || static_cast<std::uint64_t>(indice) >= n) {
                return "triangle " + texto(t) + " names vertex " + std::to_string(indice) + " of " +
                       texto(n);
            }
            malha.indices[3 * t + k] = static_cast<std::uint32_t>(indice);
        }
    }
    malha.cantos.assign(m, 3);

    problema = verificarPorVertice(arranjos.cores, "cores", "colour", 3, n, true);
    if (problema.empty()) {
        problema = verificarPorVertice(arranjos.normais, "normais", "normal", 3, n, false);
    }
    if (problema.empty()) {
        problema = verificarPorVertice(arranjos.uv, "uv", "texture coordinate", 2, n, false);
    }
    if (!problema.empty()) {
        return problema;
    }
    const Arranjo& textura = arranjos.textura;
    const bool comUv = arranjos.uv.linhas > 0;
    if (comUv != (textura.linhas > 0)) {
        return comUv ? "uv is given without a textura" : "textura is given without uv";
    }
    const std::size_t largura = arranjos.larguraTextura;
    if (comUv) {
        const auto maior = static_cast<std::size_t>(Textura::kMaiorLado);
        if (largura == 0 || largura > maior || textura.linhas > maior) {
            return "the texture is " + texto(largura) + " x " + texto(textura.linhas) +
                   " texels; each side is 1 to " + texto(maior);
        }
        problema = verificarForma(textura, "textura", 3 * largura, false, false);
        if (!problema.empty()) {
            return problema;
        }
        if (3 * largura * textura.linhas > Textura::kMaisBytes) {
            return "the texture of " + texto(largura) + " x " + texto(textura.linhas) +
                   " texels takes more than " + texto(Textura::kMaisBytes >> 20) + " MiB";
        }
    }

    if (arranjos.cores.linhas > 0) {
        malha.temCores = true;
        malha.cores = emFloat(arranjos.cores, 3);
    }
    // The import library gives a PLY file's normals for its points only, when it has no faces.
    if (arranjos.normais.linhas > 0 && m == 0) {
        malha.temNormais = true;
        malha.normais = emFloat(arranjos.normais, 3);
    }
    if (comUv) {
        malha.temUv = true;
        malha.uv = emFloat(arranjos.uv, 2);
    }
    // The one material the library makes for a PLY file: white, unnamed, with the file's
    // texture when it names one, repeated on both axes.
    ModeloImportado::Material material;
    material.temCor = true;
    material.cor = {1.0F, 1.0F, 1.0F};
    if (comUv) {
        material.declaraTextura = true;
        material.temTextura = true;
        material.textura = "*0";
        material.embutida = 0;
        // The texels as an image held in a file stores them: blue, green, red, alpha.
        ModeloImportado::TexturaEmbutida texels;
        texels.largura = static_cast<std::uint32_t>(largura);
        texels.altura = static_cast<std::uint32_t>(textura.linhas);
        const std::size_t quant = largura * textura.linhas;
        texels.bytes.resize(4 * quant);
        const auto* rgb = static_cast<const std::uint8_t*>(textura.dados);
        for (std::size_t i = 0; i < quant; ++i) {
            texels.bytes[4 * i] = rgb[3 * i + 2];
            texels.bytes[4 * i + 1] = rgb[3 * i + 1];
            texels.bytes[4 * i + 2] = rgb[3 * i];
            texels.bytes[4 * i + 3] = 255;
        }
        modelo.texturas.push_back(std::move(texels));
    }
    modelo.nuvem = m == 0;
    modelo.malhas.push_back(std::move(malha));
    modelo.materiais.push_back(std::move(material));
    return "";
}

}  // namespace gouraud::detail
