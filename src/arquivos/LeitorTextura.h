#ifndef GOURAUD_LEITOR_TEXTURA_H
#define GOURAUD_LEITOR_TEXTURA_H

#include <cstddef>
#include <optional>
#include <string>

#include "Textura.h"

namespace gouraud::detail {

// The images of textures, in files or held in a mesh file, in every format stb_image decodes,
// each told by its contents whatever the file's name: PNG, JPEG, TGA, BMP, GIF (its first
// frame), PSD (its composite), PIC, binary PGM and PPM (read here, as stb_image reads them but
// for its faults with 16-bit samples) and Radiance HDR (ImagemHdr). They become 8-bit red,
// green and blue as stb_image gives them: 16-bit channels keep their high byte, grey is
// repeated, alpha is left out. An image over Textura::kMaiorLado texels on a
// side, or over Textura::kMaisBytes bytes decoded (3 per texel), is refused before it is
// decoded, and so is a TGA or PNM shorter than its texels need.
class LeitorTextura {
public:
    // A compressed image larger than this is refused unread: no image within the limits needs it.
    static constexpr std::size_t kMaiorArquivo = std::size_t{512} << 20;

    // Decodes the `tamanho` bytes at `dados` into `textura`; "" or why it cannot, in one line
    // ("it is neither a PNG nor a JPEG image, nor a TGA, ... one", "it is 20000 x 10 texels,
    // more than 16384 on a side", ...).
    [[nodiscard]] static std::string decodificar(const unsigned char* dados, std::size_t tamanho,
                                   std::optional<Textura>& textura);
    // Reads the file `caminho` and decodes it; the system's reason when it does not open.
    [[nodiscard]] static std::string lerArquivo(const std::string& caminho, std::optional<Textura>& textura);
};

}  // namespace gouraud::detail

#endif
