#ifndef GOURAUD_EXTRACAO_ASSIMP_H
#define GOURAUD_EXTRACAO_ASSIMP_H

#include <cstddef>
#include <string>
#include <vector>

#include "ModeloImportado.h"

namespace gouraud::detail {

// The part of reading a mesh file that needs the Open Asset Import Library, and nothing after
// it: the library reads the file with no processing; its scene is checked (every face names
// vertices its mesh has, every node names meshes the scene has, the nodes do not place an absurd
// number of triangles); a scene with no face at all is a cloud and is taken as it is; otherwise
// its cameras and lights are dropped, the library triangulates polygons and places each mesh once
// per node that uses it, in world coordinates, and the scene is checked again. What is left
// becomes a ModeloImportado: the meshes in the library's order, their materials and the images
// the file holds. This runs inside the confined child process (gouraud-importador), or in ours
// when isolation is turned off.
class ExtracaoAssimp {
public:
    // Reads the file `caminho` (files it refers to are found beside it) into `modelo`; "" or the
    // reason it cannot be read, the library's own when it refused the file.
    [[nodiscard]] static std::string lerArquivo(const std::string& caminho,
                                                ModeloImportado& modelo);
    // The same for `tamanho` bytes at `dados` (tamanho > 0), of the format whose file extension
    // is `extensao` ("ply", "obj", ...).
    [[nodiscard]] static std::string lerMemoria(const char* dados, std::size_t tamanho,
                                                const std::string& extensao,
                                                ModeloImportado& modelo);
    // The file extensions the library reads, in lower case without the dot, sorted ("3ds",
    // "dae", "fbx", ...).
    [[nodiscard]] static std::vector<std::string> extensoes();
};

}  // namespace gouraud::detail

#endif
