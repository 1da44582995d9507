// Feeds arbitrary bytes to the texture decoder, which tells every format it reads by the bytes
// alone: each input gives a texture within the limits or a one-line reason, never both, never a
// fault; every texel of a texture is read, so that the sanitizers see the whole image.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "LeitorTextura.h"

using namespace gouraud::detail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    std::optional<Textura> textura;
    const std::string motivo = LeitorTextura::decodificar(dados, tamanho, textura);
    if (textura.has_value() == !motivo.empty() || motivo.find('\n') != std::string::npos) {
        std::abort();
    }
    if (!textura) {
        return 0;
    }
    const auto texels = std::size_t{3} * static_cast<std::size_t>(textura->getLargura()) *
                        static_cast<std::size_t>(textura->getAltura());
    if (texels > Textura::kMaisBytes) {
        std::abort();
    }
    unsigned soma = 0;
    for (int j = 0; j < textura->getAltura(); ++j) {
        for (int i = 0; i < textura->getLargura(); ++i) {
            soma += textura->texel(i, j)[0] + textura->texel(i, j)[2];
        }
    }
    return static_cast<int>(soma & 0U);
}
