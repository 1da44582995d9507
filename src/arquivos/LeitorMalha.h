#ifndef GOURAUD_LEITOR_MALHA_H
#define GOURAUD_LEITOR_MALHA_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Aparencia.h"
#include "Importador.h"
#include "Ponto.h"
#include "Primitivas.h"
#include "Triangulo.h"

namespace gouraud::detail {

// A mesh file (OBJ, PLY, STL, OFF, glTF, 3DS, Collada and every other format the Open Asset Import
// Library reads) read as a list of triangles over distinct points, and the file's points and line
// segments beside them. The triangles are those of every mesh in the library's order, faces in
// their order, in world coordinates, polygons triangulated by the library. The points are the
// distinct positions the triangles use (-0 equals 0), in order of first use, the file's single
// precision values widened exactly to double. The file's point and line primitives, in the same
// order, become loose points and segments (Primitivas); a file with no faces and no lines at all
// is a cloud, every vertex a point. Large binary PLY meshes and clouds, binary STL files and plain
// OBJ files are read by faster libraries that give the same triangles and points (Draco, ADMesh,
// tinyobjloader); the checks around the libraries keep hostile files from hanging or crashing
// them. Beside the triangles comes the file's look (colours, materials, textures), when it has
// one, the same from every reader, and the part of each triangle (the import library's mesh it
// came from; 0 from the faster libraries). The import library reads in a confined child process
// unless the Isolamento given turns that off (LeitorAssimp, Importador).
class LeitorMalha {
public:
    // Which libraries may read the file: all, or the import library alone (to compare them).
    enum class Leitores { todos, soImportador };

    // True when `nome` names a mesh file: it has an extension and that extension is not .txt (in
    // any case). Anything else is a scene file.
    static bool ehMalha(const std::string& nome);

    // Reads the mesh file `caminho`, the import library as `isolamento` says, on at most
    // `threads` threads (0: as many as the merge of its points takes, FusaoPontos).
    explicit LeitorMalha(const std::string& caminho, Leitores leitores = Leitores::todos,
                         const Isolamento& isolamento = {}, int threads = 0);
    // Reads `tamanho` bytes at `dados` as a file with the extension `extensao` ("ply", "obj", ...)
    // would be read, except that files it refers to are not found.
    LeitorMalha(const char* dados, std::size_t tamanho, const std::string& extensao,
                Leitores leitores = Leitores::todos, const Isolamento& isolamento = {});

    // True when the file was read and holds something to draw: a triangle, a point or a line.
    [[nodiscard]] bool valida() const;
    // False when the file could not even be opened (getErro then says why, as the system does).
    bool abriu() const;
    // "" when valid; otherwise one line saying why, without the file's name: the library's own
    // reason ("No suitable reader found for the file format of file ..."),
    // triangles", "it holds nothing to draw", "point 2 (a corner of triangle 0) is not finite:
    // nan 1 0", ...
    const std::string& getErro() const;
    // Whether getErro() names the file itself: a reason about the import library's child
    // process ("the import library crashed reading x.fbx (signal 11, segmentation fault)").
    bool getErroNomeiaArquivo() const;
    // The library that read the file: "assimp", "draco", "admesh" or "tinyobjloader".
    const std::string& getBiblioteca() const;

    // The distinct points, in order of first use.
    std::vector<Ponto>& getPontos();
    // The triangles, in file order, over getPontos().
    std::vector<Triangulo>& getTriangulos();
    // The part of each triangle, in the same order: the number of the import library's mesh it
    // came from; empty when every triangle is of part 0 (always, from the faster libraries).
    std::vector<std::uint32_t>& getPartes();
    // The file's loose points and line segments.
    Primitivas& getPrimitivas();
    // The look of the triangles, or null when the file gives them none (they then have the
    // lighting settings' colour).
    std::unique_ptr<Aparencia>& getAparencia();
    // One line for each thing of the file that is left out of the picture, such as a texture
    // that cannot be read ("texture madeira.png is not drawn: No such file or directory"), and
    // for each texture read from a file spelt otherwise than the file names it ("texture
    // TEST.PNG is read from test.png").
    const std::vector<std::string>& getAvisos() const;

private:
    // Reads the file (or the bytes, when `dados` is given), then makes the reason one line.
    void ler(const std::string& caminho, const char* dados, std::size_t tamanho,
             const std::string& extensao, Leitores leitores, const Isolamento& isolamento);
    // Reads the file (or the bytes) with the reader its format calls for.
    void lerMalha(const std::string& caminho, const char* dados, std::size_t tamanho,
                  const std::string& extensao, Leitores leitores, const Isolamento& isolamento);

    int threads = 0;
    bool aberto = true;
    std::string erro;
    bool erroNomeiaArquivo = false;
    std::string biblioteca;
    std::vector<Ponto> pontos;
    std::vector<Triangulo> triangulos;
    std::vector<std::uint32_t> partes;
    Primitivas primitivas;
    std::unique_ptr<Aparencia> aparencia;
    std::vector<std::string> avisos;
};

}  // namespace gouraud::detail

#endif
