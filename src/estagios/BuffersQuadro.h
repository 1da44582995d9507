#ifndef GOURAUD_BUFFERS_QUADRO_H
#define GOURAUD_BUFFERS_QUADRO_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gouraud/Opcoes.h"

namespace gouraud::detail {

// The buffers of a frame beside its colours, each only when asked for (gouraud::Buffers), per
// pixel in the frame's order (rows from the top): the depth 1/iz of the winner as float (+inf
// where nothing is drawn), the unit normal the phong mode lights it with (three floats, zeros
// where there is none), the winner's triangle as numbered in the file and its part (kNenhum
// where none). The renderer fills them from the winners of the same frame (Renderizador,
// RegistroBuffers); a frame drawn without them costs nothing more.
class BuffersQuadro {
public:
    static constexpr std::uint32_t kNenhum = 0xFFFFFFFFU;

    // Makes room for the buffers `pedido` names at largura x altura pixels (each 1 to 4096);
    // the others are emptied. Their values are those of the next frame drawn into them.
    void preparar(const gouraud::Buffers& pedido, int largura, int altura);

    const gouraud::Buffers& getPedido() const { return pedido; }
    int getLargura() const { return largura; }
    int getAltura() const { return altura; }
    // Whether the triangle numbers are kept: asked for, or needed for the parts.
    bool comTriangulo() const { return !triangulo.empty(); }

    // Row y of each buffer, null when it is not kept.
    float* linhaProfundidade(int y) { return linha(profundidade, y, 1); }
    float* linhaNormais(int y) { return linha(normais, y, 3); }
    std::uint32_t* linhaTriangulo(int y) { return linha(triangulo, y, 1); }
    std::uint32_t* linhaParte(int y) { return linha(parte, y, 1); }

    // The whole buffers, largura * altura values (three for normais), or empty.
    std::vector<float> profundidade;
    std::vector<float> normais;
    std::vector<std::uint32_t> triangulo;
    std::vector<std::uint32_t> parte;

private:
    template <typename T>
    T* linha(std::vector<T>& v, int y, int porPixel) {
        return v.empty()
                   ? nullptr
                   : v.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(largura) *
                                    static_cast<std::size_t>(porPixel);
    }

    gouraud::Buffers pedido{};
    int largura = 0;
    int altura = 0;
};

}  // namespace gouraud::detail

#endif
