#ifndef GOURAUD_QUADRO_H
#define GOURAUD_QUADRO_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gouraud::detail {

// A colour as its 8-bit channels and whether something is drawn there: 0xAARRGGBB, the alpha
// 255 where something is drawn and 0 on the background (or, in a finished picture, its
// coverage).
using Canais = std::uint32_t;

// One frame of largura x altura pixels (640 x 480 unless given): a 16-bit colour per pixel (5 bits
// red, 6 green, 5 blue, red in the high bits) and a depth per pixel, the 1/cn of the surface drawn
// there (0 where nothing is). Pixel (x, y) covers [x, x+1) x [y, y+1); y grows downwards. Rows
// are stored top to bottom.
//   Asked for (usarCanais), it also keeps every colour written as its 8-bit channels before the
//   packing (Canais), beside the 16-bit one, which stays the packing of those channels: the
//   frame of a 24-bit picture, or of one whose background is transparent (the alpha says where
//   something was drawn). Without it a frame costs what it always did.
//   The clearing writes the background colour (setFundo; black unless set), with alpha 0.
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

    // Sets rows [linha0, linha1) to the background colour and depth 0.
    void limpar(int linha0, int linha1);
    // Sets the whole frame to the background colour and depth 0.
    void limpar();

    // Keeps the colours' 8-bit channels too, or no longer (their memory is kept for the next
    // time); the channels hold nothing meaningful until the next clearing or drawing.
    void usarCanais(bool usar);
    bool temCanais() const;
    // The colour the clearing writes (its alpha is ignored): packed into the 16-bit colours,
    // and kept with alpha 0 in the channels.
    void setFundo(Canais fundo);
    Canais getFundo() const;
    // Whether the channels' alpha is the picture's own, which then has no background: set by
    // whoever draws it, for those who write it out.
    void setTransparente(bool transparente);
    bool getTransparente() const;

    // Where the colours of a row go: the 16-bit colours, and the channels when the frame keeps
    // them (null otherwise). Every writer of a colour goes through pintar, so the two agree.
    struct Linha {
        std::uint16_t* cor;
        Canais* canais;
        // Pixel i of the row drawn in the channels r, g, b (each 0..255).
        void pintar(int i, int r, int g, int b) const {
            cor[i] = empacotar(r, g, b);
            if (canais != nullptr) {
                canais[i] = opaco(r, g, b);
            }
        }
        // Pixel i of the row drawn in `c` (its alpha ignored), packed as empacotar(r, g, b).
        void pintar(int i, Canais c) const { pintar(i, vermelhoDe(c), verdeDe(c), azulDe(c)); }
    };
    Linha linha(int y);

    // The getLargura() colours of row y (0 <= y < getAltura()).
    std::uint16_t* linhaCor(int y);
    const std::uint16_t* linhaCor(int y) const;
    // The getLargura() depths of row y (0 <= y < getAltura()).
    double* linhaProfundidade(int y);
    const double* linhaProfundidade(int y) const;

    // The getLargura() channels of row y, or null when the frame keeps none.
    Canais* linhaCanais(int y);
    const Canais* linhaCanais(int y) const;

    // Colour of pixel (x, y); both in range.
    std::uint16_t getCor(int x, int y) const;
    // Channels of pixel (x, y), when the frame keeps them; both in range.
    Canais getCanais(int x, int y) const;
    // Depth (1/cn) of pixel (x, y); both in range.
    double getProfundidade(int x, int y) const;

    // The 16-bit colour of 8-bit channels (each 0..255), keeping their top 5, 6 and 5 bits.
    static std::uint16_t empacotar(int r, int g, int b);
    static std::uint16_t empacotar(Canais c) {
        return empacotar(vermelhoDe(c), verdeDe(c), azulDe(c));
    }
    // The red, green and blue of a 16-bit colour expanded back to 0..255 by repeating their top
    // bits in the low ones, so 0 stays 0 and the largest value becomes 255.
    static int vermelho(std::uint16_t cor);
    static int verde(std::uint16_t cor);
    static int azul(std::uint16_t cor);

    // The channels r, g, b (each 0..255) drawn: alpha 255.
    static constexpr Canais opaco(int r, int g, int b) {
        return kOpaco | (static_cast<Canais>(r) << 16) | (static_cast<Canais>(g) << 8) |
               static_cast<Canais>(b);
    }
    static constexpr int alfaDe(Canais c) { return static_cast<int>(c >> 24); }
    static constexpr int vermelhoDe(Canais c) { return static_cast<int>((c >> 16) & 0xFF); }
    static constexpr int verdeDe(Canais c) { return static_cast<int>((c >> 8) & 0xFF); }
    static constexpr int azulDe(Canais c) { return static_cast<int>(c & 0xFF); }
    // A 16-bit colour expanded as vermelho, verde and azul do, drawn.
    static Canais expandir(std::uint16_t cor) {
        const unsigned r = (cor >> 11) & 0x1FU;
        const unsigned g = (cor >> 5) & 0x3FU;
        const unsigned b = cor & 0x1FU;
        return kOpaco | (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) |
               ((b << 3) | (b >> 2));
    }
    static constexpr Canais kOpaco = 0xFF000000U;
    static constexpr Canais kSemAlfa = 0x00FFFFFFU;

private:
    // Index of pixel (x, y) in the lists.
    std::size_t indice(int x, int y) const;

    int largura;
    int altura;
    std::vector<std::uint16_t> cor;
    std::vector<double> profundidade;
    std::vector<Canais> canais;
    bool comCanais = false;
    Canais fundo = 0;
    bool transparente = false;
};

}  // namespace gouraud::detail

#endif
