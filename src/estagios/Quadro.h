#ifndef GOURAUD_QUADRO_H
#define GOURAUD_QUADRO_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gouraud::detail {

// One frame of largura x altura pixels (640 x 480 unless given): a 16-bit colour per pixel (5 bits
// red, 6 green, 5 blue, red in the high bits) and a depth per pixel, the 1/cn of the surface drawn
// there (0 where nothing is). Pixel (x, y) covers [x, x+1) x [y, y+1); y grows downwards. Rows
// are stored top to bottom.
class Quadro {
public:
    // The size of a frame made without one.
    static constexpr int kLargura = 640;
    static constexpr int kAltura = 480;
    // The smallest and largest width or height a frame may have.
    static constexpr int kMenorLado = 1;
    static constexpr int kMaiorLado = 4096;

    // A black 640 x 480 frame with every depth 0.
    Quadro();
    // A black largura x altura frame with every depth 0; throws std::invalid_argument unless
    // both lie in [kMenorLado, kMaiorLado].
    Quadro(int largura, int altura);

    // Width and height in pixels.
    int getLargura() const;
    int getAltura() const;

    // Sets rows [linha0, linha1) to black and depth 0.
    void limpar(int linha0, int linha1);
    // Sets the whole frame to black and depth 0.
    void limpar();

    // The getLargura() colours of row y (0 <= y < getAltura()).
    std::uint16_t* linhaCor(int y);
    const std::uint16_t* linhaCor(int y) const;
    // The getLargura() depths of row y (0 <= y < getAltura()).
    double* linhaProfundidade(int y);
    const double* linhaProfundidade(int y) const;

    // Colour of pixel (x, y); both in range.
    std::uint16_t getCor(int x, int y) const;
    // Depth (1/cn) of pixel (x, y); both in range.
    double getProfundidade(int x, int y) const;

    // The 16-bit colour of 8-bit channels (each 0..255), keeping their top 5, 6 and 5 bits.
    static std::uint16_t empacotar(int r, int g, int b);
    // The red, green and blue of a 16-bit colour expanded back to 0..255 by repeating their top
    // bits in the low ones, so 0 stays 0 and the largest value becomes 255.
    static int vermelho(std::uint16_t cor);
    static int verde(std::uint16_t cor);
    static int azul(std::uint16_t cor);

private:
    // Index of pixel (x, y) in the two lists.
    std::size_t indice(int x, int y) const;

    int largura;
    int altura;
    std::vector<std::uint16_t> cor;
    std::vector<double> profundidade;
};

}  // namespace gouraud::detail

#endif
