#ifndef GOURAUD_MODELO_IMPORTADO_H
#define GOURAUD_MODELO_IMPORTADO_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace gouraud::detail {

// What the Open Asset Import Library made of a mesh file, in plain lists of our own: the part of
// its scene that the gathering of the triangles, their look and the loose points and lines reads
// (LeitorAssimp), nothing that needs the library to be understood. It is made inside the child
// process that reads the file (or in ours, unconfined, for debugging), crosses to us as an
// answer (Resposta), and is checked there before anything reads it: every face names vertices of
// its mesh, every list has the length its counts give, every texture number names a texture.
struct ModeloImportado {
    // The most texels on a side of an image held as texels that the answer carries; a larger one
    // comes with its size alone, and is refused by the gathering.
    static constexpr std::uint32_t kMaiorLadoTexels = 16384;

    // A mesh of the scene, in the library's order: after its steps (triangulation, every mesh
    // placed once per node that uses it, in world coordinates) for a file with faces; as the file
    // has it for a cloud.
    struct Malha {
        // 3 single precision numbers per vertex, as the library gives them.
        std::vector<float> posicoes;
        // The normal of each vertex (3 per vertex), only when the mesh has faces of one corner
        // (points) or the file is a cloud, and the library gives normals.
        bool temNormais = false;
        std::vector<float> normais;
        // The first colour set: red, green and blue per vertex (alpha left out).
        bool temCores = false;
        std::vector<float> cores;
        // Texture coordinate set 0: u and v per vertex.
        bool temUv = false;
        std::vector<float> uv;
        // The faces in order, each by its number of corners (1 a point, 2 a line, 3 a triangle;
        // faces of more corners are left out) and its corners' vertex numbers in `indices`.
        std::vector<std::uint8_t> cantos;
        std::vector<std::uint32_t> indices;
        // The material's number as the library gives it: one past the list means none.
        std::uint32_t material = 0;

        std::size_t quantVertices() const { return posicoes.size() / 3; }
    };

    // A material as the code that gathers the look describes it (Aparencia::Material), with
    // the texture of its base colour or else its diffuse colour only named.
    struct Material {
        // False where the library's list holds no material at all.
        bool presente = true;
        std::string nome;
        bool temCor = false;
        std::array<float, 3> cor{};
        // Whether it declares a base colour or diffuse texture.
        bool declaraTextura = false;
        // The texture the library gives for it, when it does: its name, how coordinates
        // outside 0..1 repeat on each axis (the library's aiTextureMapMode values), and the
        // image of the file that name refers to (-1 for none: a file beside the mesh file).
        bool temTextura = false;
        std::string textura;
        std::uint32_t modoU = 0;
        std::uint32_t modoV = 0;
        std::int32_t embutida = -1;
    };

    // An image held in the mesh file, as it stores it: compressed (altura 0, largura bytes of a
    // PNG, JPEG... file) or as largura x altura texels of 4 bytes (blue, green, red, alpha).
    struct TexturaEmbutida {
        std::uint32_t largura = 0;
        std::uint32_t altura = 0;
        // False when the library holds it without its data.
        bool temDados = true;
        // The bytes: largura of them compressed, 4 largura altura as texels, none for texels
        // over kMaiorLadoTexels on a side or without data.
        std::vector<std::uint8_t> bytes;
    };

    // True when no mesh of the file has a face: every vertex of every mesh is then a point.
    bool nuvem = false;
    std::vector<Malha> malhas;
    std::vector<Material> materiais;
    std::vector<TexturaEmbutida> texturas;
};

}  // namespace gouraud::detail

#endif
