#ifndef GOURAUD_LEITOR_ASSIMP_H
#define GOURAUD_LEITOR_ASSIMP_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Aparencia.h"
#include "FusaoPontos.h"
#include "Importador.h"
#include "ModeloImportado.h"
#include "Primitivas.h"

namespace gouraud::detail {

// Mesh files of every format the Open Asset Import Library reads. The library reads the file in
// a confined child process, or in this one when isolation is off (Importador, ExtracaoAssimp);
// either way what it found comes as a ModeloImportado, which is gathered here, the same in both
// ways: the triangles of its meshes, in its order, go into the merge; its points and lines
// (faces of one and two corners: the library splits strips and loops into segments) go, in the
// same order, to the loose points and segments with their normals, colours (its first colour
// set) and materials. A file whose meshes have no faces at all is a cloud: every vertex of every
// mesh is a point, as the file places it.
// Beside them goes the look of the file, when it has one (MontagemAparencia): each vertex's
// first colour set and texture coordinate set 0, and each mesh's material with its base colour
// (or else diffuse colour) and the texture of that kind, read from a file beside the mesh file
// or from the file itself (LeitorTextura), in this process. A texture that cannot be read leaves
// its material without one, with a line saying why among the warnings.
// Beside the triangles goes the part of each: the number of the mesh it came from, in the
// library's order.
class LeitorAssimp {
public:
    // What a reading gives besides the merge and the points and lines.
    struct Leitura {
        // The look of the file, or null when it has none.
        std::unique_ptr<Aparencia> aparencia;
        // A line for each texture that cannot be read.
        std::vector<std::string> avisos;
        // The part of each triangle in the merge's order, or empty when every one is of part 0.
        std::vector<std::uint32_t> partes;
    };

    // Reads the file `caminho` (files it refers to are found beside it) into `fusao`,
    // `primitivas` and `leitura`, as `isolamento` says; the Desfecho's error is "" or the reason
    // it cannot be read: the library's own when it refused the file, one naming the file when
    // the child failed.
    [[nodiscard]] static Importador::Desfecho lerArquivo(const std::string& caminho,
                                                         const Isolamento& isolamento,
                                                         FusaoPontos& fusao, Leitura& leitura,
                                                         Primitivas& primitivas);
    // The same for `tamanho` bytes at `dados` (tamanho > 0), of the format whose file extension is
    // `extensao` ("ply", "obj", ...), read from the file `caminho`, beside which its textures
    // are found; with `caminho` "" files it refers to are not found.
    [[nodiscard]] static Importador::Desfecho lerMemoria(const char* dados, std::size_t tamanho,
                                                         const std::string& extensao,
                                                         const std::string& caminho,
                                                         const Isolamento& isolamento,
                                                         FusaoPontos& fusao, Leitura& leitura,
                                                         Primitivas& primitivas);
    // Gathers `modelo`, whose textures are found beside the file `caminho` (none for ""); ""
    // or the reason it cannot be drawn. Every index of `modelo` must have been checked
    // (Resposta::ler checks them).
    [[nodiscard]] static std::string reunir(const ModeloImportado& modelo,
                                            const std::string& caminho, FusaoPontos& fusao,
                                            Leitura& leitura, Primitivas& primitivas);
};

}  // namespace gouraud::detail

#endif
