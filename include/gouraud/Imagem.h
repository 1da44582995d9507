#ifndef GOURAUD_API_IMAGEM_H
#define GOURAUD_API_IMAGEM_H

#include <cstdint>
#include <string>
#include <vector>

namespace gouraud {

// A picture as its PNG file holds it: largura x altura pixels of 8-bit red, green and blue,
// rows from the top, pixels from the left, 3 bytes each, no padding; and, for a picture drawn
// with no background (Opcoes::transparente), its alpha, one byte a pixel in the same order.
struct Imagem {
    static constexpr int kBytesPorPixel = 3;

    int largura = 0;
    int altura = 0;
    // largura * altura * kBytesPorPixel bytes.
    std::vector<std::uint8_t> rgb;
    // Empty for an opaque picture; otherwise largura * altura bytes: 0 where nothing is drawn,
    // 255 where something is (with aa, the mean coverage of the samples). The colours are not
    // multiplied by it.
    std::vector<std::uint8_t> alfa;

    // Writes the picture to `caminho` as an RGB PNG file (RGBA with an alpha), through a
    // temporary file beside it, so a failed write leaves no partial file. "" on success;
    // otherwise one line such as "cannot write out/x.png: No such file or directory".
    [[nodiscard]] std::string gravarPng(const std::string& caminho) const;
};

}  // namespace gouraud

#endif
