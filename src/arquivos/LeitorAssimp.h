#ifndef GOURAUD_LEITOR_ASSIMP_H
#define GOURAUD_LEITOR_ASSIMP_H

#include <cstddef>
#include <string>

#include "FusaoPontos.h"
#include "Primitivas.h"

// Mesh files of every format the Open Asset Import Library reads. The library reads the file
// with no processing; its scene is checked (every face names vertices its mesh has, every node
// names meshes the scene has, the nodes do not place an absurd number of triangles); then the
// library triangulates polygons and places each mesh once per node that uses it, in world
// coordinates, and the triangles of its meshes, in its order, go into the merge; its points and
// lines (faces of one and two corners: the library splits strips and loops into segments) go,
// in the same order, to the loose points and segments with their normals and colours (its first
// colour set). A file whose meshes have no faces at all is a cloud: every vertex of every mesh is
// a point, as the file places it.
class LeitorAssimp {
public:
    // Reads the file `caminho` (files it refers to are found beside it) into `fusao` and
    // `primitivas`; "" or the reason it cannot be read, the library's own when it refused the
    // file.
    static std::string lerArquivo(const std::string& caminho, FusaoPontos& fusao,
                                  Primitivas& primitivas);
    // The same for `tamanho` bytes at `dados` (tamanho > 0), of the format whose file extension is
    // `extensao` ("ply", "obj", ...); files it refers to are not found.
    static std::string lerMemoria(const char* dados, std::size_t tamanho,
                                  const std::string& extensao, FusaoPontos& fusao,
                                  Primitivas& primitivas);
};

#endif
