#include "ComparacaoQuadros.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace gouraud::detail {

ComparacaoQuadros ComparacaoQuadros::comparar(const Quadro& nosso, const Quadro& outro) {
    ComparacaoQuadros c;
    for (int y = 0; y < nosso.getAltura() && y < outro.getAltura(); ++y) {
        for (int x = 0; x < nosso.getLargura() && x < outro.getLargura(); ++x) {
            const std::uint16_t a = nosso.getCor(x, y);
            const std::uint16_t b = outro.getCor(x, y);
            if (a != 0 && b != 0) {
                ++c.ambos;
                c.iguais += a == b ? 1 : 0;
                c.diferenca += std::abs(Quadro::vermelho(a) - Quadro::vermelho(b)) +
                               std::abs(Quadro::verde(a) - Quadro::verde(b)) +
                               std::abs(Quadro::azul(a) - Quadro::azul(b));
            } else if (a != 0) {
                ++c.soNosso;
            } else if (b != 0) {
                ++c.soOutro;
            }
        }
    }
    return c;
}

std::string ComparacaoQuadros::descrever() const {
    const auto quantos = static_cast<double>(ambos);
    char linha[256];
    std::snprintf(linha, sizeof linha,
                  "pixels drawn by both %lld, only by this renderer %lld, only by the other %lld; "
                  "where both drew: same colour %.1f %%, mean channel difference %.2f of 255",
                  ambos, soNosso, soOutro, ambos ? 100.0 * static_cast<double>(iguais) / quantos : 0.0,
                  ambos ? diferenca / (3.0 * quantos) : 0.0);
    return linha;
}

}  // namespace gouraud::detail
