#ifndef GOURAUD_LEITOR_ASSIMP_H
#define GOURAUD_LEITOR_ASSIMP_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "Aparencia.h"
#include "FusaoPontos.h"
#include "Primitivas.h"

namespace gouraud::detail {

// Mesh files of every format the Open Asset Import Library reads. The library reads the file
// with no processing; its scene is checked (every face names vertices its mesh has, every node
// names meshes the scene has, the nodes do not place an absurd number of triangles); then the
// library triangulates polygons and places each mesh once per node that uses it, in world
// coordinates, and the triangles of its meshes, in its order, go into the merge; its points and
// lines (faces of one and two corners: the library splits strips and loops into segments) go,
// in the same order, to the loose points and segments with their normals, colours (its first
// colour set) and materials. A file whose meshes have no faces at all is a cloud: every vertex
// of every mesh is a point, as the file places it.
// Beside them goes the look of the file, when it has one (MontagemAparencia): each vertex's
// first colour set and texture coordinate set 0, and each mesh's material with its base colour
// (or else diffuse colour) and the texture of that kind, read from the file the model names, as
// CaminhoTextura finds it from the mesh file's folder, or from the file itself (LeitorTextura).
// A texture found under another name than the one written gets a line saying which file among
// the warnings; one that cannot be read leaves its material without one, with a line saying
// why.
class LeitorAssimp {
public:
    // Reads the file `caminho` (files it refers to are found beside it; a UTF-16 text with its
    // byte order mark is given to the library as UTF-8, TextoUtf16) into `fusao` and
    // `primitivas`; "" or the reason it cannot be read, the library's own when it refused the
    // file. The look of the file goes to `aparencia` (null when it has none), and a line for
    // each texture that cannot be read to `avisos`.
    [[nodiscard]] static std::string lerArquivo(const std::string& caminho, FusaoPontos& fusao,
                                  std::unique_ptr<Aparencia>& aparencia,
                                  std::vector<std::string>& avisos, Primitivas& primitivas);
    // The same for `tamanho` bytes at `dados` (tamanho > 0), of the format whose file extension is
    // `extensao` ("ply", "obj", ...), read from the file `caminho`, beside which its textures
    // are found; with `caminho` "" files it refers to are not found.
    [[nodiscard]] static std::string lerMemoria(const char* dados, std::size_t tamanho,
                                  const std::string& extensao, const std::string& caminho,
                                  FusaoPontos& fusao, std::unique_ptr<Aparencia>& aparencia,
                                  std::vector<std::string>& avisos, Primitivas& primitivas);
};

}  // namespace gouraud::detail

#endif
