#ifndef GOURAUD_TEXTURA_H
#define GOURAUD_TEXTURA_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gouraud::detail {

// An image a material paints with: largura x altura texels of three bytes each (red, green,
// blue), rows from the top of the image down, as the file stores them.
class Textura {
public:
    // The largest side, and the most bytes a decoded image may take (3 per texel).
    static constexpr int kMaiorLado = 16384;
    static constexpr std::size_t kMaisBytes = std::size_t{256} << 20;

    // The image of `texels` (3 largura altura bytes, moved in); throws std::invalid_argument
    // unless both sides lie in [1, kMaiorLado] and the count matches.
    Textura(int largura, int altura, std::vector<std::uint8_t> texels);

    int getLargura() const;
    int getAltura() const;
    // The three bytes of texel (i, j), column i from the left and row j from the top, both in
    // range.
    const std::uint8_t* texel(int i, int j) const;

private:
    int largura;
    int altura;
    std::vector<std::uint8_t> texels;
};

}  // namespace gouraud::detail

#endif
