#include "gouraud/Imagem.h"

#include <cstddef>

#include "GravadorPng.h"

namespace gouraud {

using detail::GravadorPng;

std::string Imagem::gravarPng(const std::string& caminho) const {
    // The fields are the caller's to set, so the buffer must hold exactly the pixels they name
    // before the encoder reads it (three times the product of two ints fits in 64 bits).
    const bool coerente = largura > 0 && altura > 0 &&
                          rgb.size() == static_cast<std::size_t>(largura) *
                                            static_cast<std::size_t>(altura) * kBytesPorPixel;
    if (!coerente) {
        return "cannot write " + caminho + ": the picture of " + std::to_string(largura) + "x" +
               std::to_string(altura) + " pixels holds " + std::to_string(rgb.size()) +
               " bytes, not 3 per pixel";
    }
    const std::size_t pixels = rgb.size() / kBytesPorPixel;
    if (!alfa.empty() && alfa.size() != pixels) {
        return "cannot write " + caminho + ": the picture's alpha holds " +
               std::to_string(alfa.size()) + " bytes, not 1 per pixel";
    }
    const std::string erro = GravadorPng::gravar(rgb.data(), alfa.empty() ? nullptr : alfa.data(),
                                                 largura, altura, caminho);
    return erro.empty() ? erro : "cannot write " + caminho + ": " + erro;
}

}  // namespace gouraud
