#ifndef GOURAUD_LEITOR_STL_H
#define GOURAUD_LEITOR_STL_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "FusaoPontos.h"
#include "Leitura.h"

namespace gouraud::detail {

// STL files: the check of a binary file's triangle count against its length, and the fast
// reading, with ADMesh, of large binary files. Text files, and binary ones too small or too
// unusual for ADMesh, are left to the import library.
class LeitorStl {
public:
    // Bytes the checks and the fast reading look at from the start of the file.
    static constexpr std::size_t kBytesIniciais = 208;

    // Checks a file of `tamanho` bytes whose first min(tamanho, kBytesIniciais) bytes are at
    // `inicio`: one that does not start with "solid" (after white space) is binary, and its length
    // must be 84 bytes plus 50 per triangle that its header counts. "" when it is, or when the
    // file is text; otherwise why not.
    [[nodiscard]] static std::string verificar(const char* inicio, std::size_t lidos, std::uint64_t tamanho);
    // Reads the binary file `caminho` into `fusao` with ADMesh when its length matches its count,
    // it has at least 64 triangles and ADMesh will take it for binary (a byte above 127 among the
    // 128 after the 80-byte header). outroLeitor for any other file, or when ADMesh fails;
    // recusada, with the reason in `erro`, when a point is not finite.
    static Leitura ler(const std::string& caminho, const char* inicio, std::size_t lidos,
                       std::uint64_t tamanho, FusaoPontos& fusao, std::string& erro);
};

}  // namespace gouraud::detail

#endif
