#ifndef GOURAUD_IMAGEM_HDR_H
#define GOURAUD_IMAGEM_HDR_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gouraud::detail {

// Radiance RGBE images (.hdr, .pic from Radiance), read here rather than by stb_image: the
// version of that decoder Debian ships loops for ever on a run-length scanline cut short, and
// its conversion to bytes applies a gamma kept in global state. The same files are read: a
// first line "#?RADIANCE" or "#?RGBE", header lines up to an empty one among which
// "FORMAT=32-bit_rle_rgbe", then "-Y height +X width" (rows from the top, texels from the left),
// then the texels, flat (4 bytes each) or, for widths 8 to 32767, in run-length scanlines
// ("2 2 hi lo", then each channel's runs); a scanline that does not start so begins flat texels
// to the end of the image. A texel (m1, m2, m3, e) is m·2^(e − 136) per channel (0 for e = 0),
// the very value stb_image gives as a float, clamped to 0..1 and made a byte linearly:
// floor(c·255 + 0.5), no gamma.
class ImagemHdr {
public:
    struct Cabecalho {
        std::uint64_t largura = 0;
        std::uint64_t altura = 0;
        // Where the texels start.
        std::size_t inicio = 0;
        // "" or why the header cannot be read.
        std::string problema;
    };

    // Whether the `tamanho` bytes at `dados` start as a Radiance file does.
    [[nodiscard]] static bool reconhecer(const unsigned char* dados, std::size_t tamanho);
    // The header of a file reconhecer recognised.
    [[nodiscard]] static Cabecalho lerCabecalho(const unsigned char* dados, std::size_t tamanho);
    // The texels after `cabecalho` (read from the same bytes, its size already found within the
    // limits), 3 bytes each, rows from the top, into `texels`; "" or why they cannot be read.
    [[nodiscard]] static std::string decodificar(const unsigned char* dados, std::size_t tamanho,
                                                 const Cabecalho& cabecalho,
                                                 std::vector<std::uint8_t>& texels);
    // The byte of a channel of mantissa m and exponent e, as above.
    [[nodiscard]] static std::uint8_t byte(unsigned mantissa, unsigned expoente);
};

}  // namespace gouraud::detail

#endif
