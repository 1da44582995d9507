#ifndef GOURAUD_GRAVADOR_NPY_H
#define GOURAUD_GRAVADOR_NPY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gouraud::detail {

// Arrays written as NumPy .npy files, format version 1.0: the magic "\x93NUMPY", the version,
// the header's length (2 bytes, little-endian) and the header, a Python dict literal padded with
// spaces and ended by a line break so that the data starts at a multiple of 64 bytes, then the
// values row after row ('fortran_order': False), little-endian. Written through a temporary file
// renamed into place (Arquivo::gravar).
class GravadorNpy {
public:
    // The header of an array of `tipo` ("<f4", "<u4") and the shape `forma` (its sizes, each
    // at least 0): everything before the data.
    static std::string cabecalho(const std::string& tipo, const std::vector<std::size_t>& forma);

    // Writes `valores` (the product of `forma` of them) to `caminho`; "" or the reason.
    [[nodiscard]] static std::string gravar(const std::string& caminho,
                                            const std::vector<float>& valores,
                                            const std::vector<std::size_t>& forma);
    [[nodiscard]] static std::string gravar(const std::string& caminho,
                                            const std::vector<std::uint32_t>& valores,
                                            const std::vector<std::size_t>& forma);
};

}  // namespace gouraud::detail

#endif
