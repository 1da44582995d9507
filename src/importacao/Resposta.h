#ifndef GOURAUD_RESPOSTA_H
#define GOURAUD_RESPOSTA_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "ModeloImportado.h"

namespace gouraud::detail {

// The answer the child process that reads a file with the import library gives back, in a
// binary layout of our own, in the machine's byte order (the child is a program of the same
// build). A header of 16 bytes (the magic "GIM1", the kind, the body's length in 8 bytes), then
// the body:
//   modelo   the model (ModeloImportado): nuvem, then the counts of meshes, materials and
//            images (4 bytes each); each material (flags, colour, the two repeat modes, the
//            image number, its name and its texture's name, each as a length and its bytes);
//            each image (width, height, flags, the length of its bytes in 8 bytes, the bytes);
//            each mesh (the counts of vertices, faces and corners, the material, flags, then the
//            positions, the normals, colours and texture coordinates it has, the faces' corner
//            counts and the corners' vertex numbers). Every variable-length part is padded with
//            zeros to a multiple of 4 bytes.
//   recusa   the import library's reason for refusing the file, as text;
//   memoria  nothing: an allocation failed under the memory limit;
//   filtro   the number of the system call the filter refused and the architecture it was
//            made for (4 bytes each).
// The last two are written over the start of whatever was being written, so bytes may follow
// them.
// What the parent reads is hostile until checked: ler checks every count against the bytes
// that are there before it reserves anything, every face's corners against its mesh's
// vertices, every image number against the images, every length against what follows.
class Resposta {
public:
    enum class Tipo : std::uint32_t { modelo = 1, recusa = 2, memoria = 3, filtro = 4 };

    static constexpr std::uint32_t kMagia = 0x314d4947;  // "GIM1" in memory
    static constexpr std::size_t kCabecalho = 16;
    // The longest reason of the library that is kept.
    static constexpr std::size_t kMaiorRecusa = 4096;
    // The longest name of a material or a texture.
    static constexpr std::size_t kMaiorNome = 65536;

    // An answer as read.
    struct Lida {
        Tipo tipo = Tipo::modelo;
        ModeloImportado modelo;
        std::string recusa;
        std::int32_t chamada = -1;
        std::uint32_t arquitetura = 0;
    };

    // Where the bytes of an answer go, in order; false when they cannot go.
    using Destino = std::function<bool(const void* bytes, std::size_t tamanho)>;

    // The whole answer holding `modelo`, in pieces, to `destino`; false when a piece did not go.
    [[nodiscard]] static bool escreverModelo(const ModeloImportado& modelo,
                                             const Destino& destino);
    // The answer that refuses the file for `motivo` (cut to kMaiorRecusa bytes).
    [[nodiscard]] static bool escreverRecusa(const std::string& motivo, const Destino& destino);
    // The 16 bytes of the answer that says memory ran out, and the 24 of the one that names a
    // refused system call, for a handler to write as they are.
    static void memoria(unsigned char (&bytes)[kCabecalho]);
    static void filtro(std::int32_t chamada, std::uint32_t arquitetura,
                       unsigned char (&bytes)[kCabecalho + 8]);

    // Reads the `tamanho` bytes at `dados` into `lida`; "" or why they are not an answer, in a
    // few words ("it ends after 20 of 64 bytes", "face 3 of mesh 0 names vertex 9 of 3").
    [[nodiscard]] static std::string ler(const unsigned char* dados, std::size_t tamanho,
                                         Lida& lida);
};

}  // namespace gouraud::detail

#endif
