#include "Textura.h"

#include <stdexcept>
#include <utility>

namespace gouraud::detail {

namespace {

constexpr std::size_t kCanais = 3;

}  // namespace

Textura::Textura(int largura, int altura, std::vector<std::uint8_t> dados)
    : largura(largura), altura(altura), texels(std::move(dados)) {
    if (largura < 1 || altura < 1 || largura > kMaiorLado || altura > kMaiorLado ||
        texels.size() !=
            static_cast<std::size_t>(largura) * static_cast<std::size_t>(altura) * kCanais) {
        throw std::invalid_argument("a texture's size does not match its texels");
    }
}

int Textura::getLargura() const { return largura; }
int Textura::getAltura() const { return altura; }

const std::uint8_t* Textura::texel(int i, int j) const {
    return &texels[(static_cast<std::size_t>(j) * static_cast<std::size_t>(largura) +
                    static_cast<std::size_t>(i)) *
                   kCanais];
}

}  // namespace gouraud::detail
