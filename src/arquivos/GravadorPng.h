#ifndef GOURAUD_GRAVADOR_PNG_H
#define GOURAUD_GRAVADOR_PNG_H

#include <cstdint>
#include <string>

#include "Quadro.h"

namespace gouraud::detail {

// Writes a frame as an 8-bit RGB PNG file: its channels where it keeps them (a 24-bit or
// finished picture), otherwise each 16-bit colour expanded back to 8 bits per channel as
// Quadro::vermelho, verde and azul do; a transparent frame as an RGBA file, with the alpha of its
// channels.
class GravadorPng {
public:
    // Writes `quadro` to `caminho`. A regular file (or a new one) is written to a temporary file
    // beside it that replaces it only once complete, so a failed write leaves no partial file and
    // the old one untouched; anything else that exists there (a device, a pipe) is written in
    // place. Returns "" on success, otherwise the system's reason ("No such file or directory").
    [[nodiscard]] static std::string gravar(const Quadro& quadro, const std::string& caminho);
    // Writes `largura` x `altura` pixels of 8-bit red, green and blue, rows from the top with no
    // padding (3 * largura * altura bytes at `rgb`; both sides at least 1), to `caminho` as
    // gravar does; the same return.
    [[nodiscard]] static std::string gravar(const std::uint8_t* rgb, int largura, int altura,
                              const std::string& caminho);
    // The same with an alpha channel, `alfa` holding largura * altura bytes (null: none), as an
    // RGBA file.
    [[nodiscard]] static std::string gravar(const std::uint8_t* rgb, const std::uint8_t* alfa,
                                            int largura, int altura, const std::string& caminho);
    // The 8-bit red, green and blue that gravar writes for `quadro`, rows from the top, into the
    // 3 * largura * altura bytes at `rgb`.
    static void paraRgb(const Quadro& quadro, std::uint8_t* rgb);
    // The alpha that gravar writes for a transparent `quadro`, into largura * altura bytes.
    static void paraAlfa(const Quadro& quadro, std::uint8_t* alfa);
};

}  // namespace gouraud::detail

#endif
