#include "BuffersQuadro.h"

namespace gouraud::detail {

namespace {

// Sized for `quantos` values when kept, emptied (its memory kept) otherwise.
template <typename T>
void dimensionar(std::vector<T>& v, bool manter, std::size_t quantos) {
    if (manter) {
        v.resize(quantos);
    } else {
        v.clear();
    }
}

}  // namespace

void BuffersQuadro::preparar(const gouraud::Buffers& novo, int novaLargura, int novaAltura) {
    pedido = novo;
    largura = novaLargura;
    altura = novaAltura;
    const std::size_t pixels = static_cast<std::size_t>(largura) * static_cast<std::size_t>(altura);
    dimensionar(profundidade, pedido.profundidade, pixels);
    dimensionar(normais, pedido.normais, 3 * pixels);
    // The parts are read from the triangles' numbers.
    dimensionar(triangulo, pedido.triangulo || pedido.parte, pixels);
    dimensionar(parte, pedido.parte, pixels);
}

}  // namespace gouraud::detail
