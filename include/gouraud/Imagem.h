#ifndef GOURAUD_API_IMAGEM_H
#define GOURAUD_API_IMAGEM_H

#include <array>
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

    // The buffers asked for (Opcoes::buffers), each empty unless asked for: largura * altura
    // values in the pixels' order (normais: three a pixel, x, y and z).
    static constexpr std::uint32_t kNenhum = 0xFFFFFFFFU;
    std::vector<float> profundidade;
    std::vector<float> normais;
    std::vector<std::uint32_t> triangulo;
    std::vector<std::uint32_t> parte;

    // The camera that drew the picture, in the convention of OpenCV: camera x to the right, y
    // down, z forward; pixel (i, j) covers [i, i+1) x [j, j+1), its centre at (i + 0.5, j + 0.5).
    // A point p of the model lands at pixel coordinates (u/w, v/w), (u, v, w) = K.(R.p + t), where
    // [R | t] are the first three rows of mundoParaCamera. Both row after row.
    std::array<double, 9> K{};
    std::array<double, 16> mundoParaCamera{};

    // Writes the picture to `caminho` as an RGB PNG file (RGBA with an alpha), through a
    // temporary file beside it, so a failed write leaves no partial file. "" on success;
    // otherwise one line such as "cannot write out/x.png: No such file or directory".
    [[nodiscard]] std::string gravarPng(const std::string& caminho) const;
};

}  // namespace gouraud

#endif
