#ifndef GOURAUD_API_MODELO_H
#define GOURAUD_API_MODELO_H

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "gouraud/Abertura.h"
#include "gouraud/Imagem.h"
#include "gouraud/Opcoes.h"
#include "gouraud/Resultado.h"

// Draws scene and mesh files into pictures, as the viewer does headless:
//   auto modelo = gouraud::Modelo::abrir("bunny.ply");
//   if (!modelo) { std::cerr << modelo.getErro() << "\n"; return 1; }
//   gouraud::Opcoes opcoes;                               // view, size, mode... (Opcoes.h)
//   auto imagem = modelo->desenhar(opcoes);               // 8-bit RGB (Imagem.h)
//   if (!imagem) { std::cerr << imagem.getErro() << "\n"; return 1; }
//   std::string erro = imagem->gravarPng("bunny.png");    // "" once written
// A bad file or a bad option never ends the program: the call gives back a value that holds
// one line saying why (Resultado.h). Mesh files the import library reads are read in a confined
// child process (Abertura.h).

// `cmake --install` writes beside this header where it put that child program.
#if __has_include("Instalacao.h")
#include "Instalacao.h"
#endif
#ifndef GOURAUD_IMPORTADOR_INSTALADO
#define GOURAUD_IMPORTADOR_INSTALADO ""
#endif

namespace gouraud {

// An array of numbers in memory as a C-contiguous numpy array holds one: `linhas` rows of
// `colunas` elements of `tipo`, row after row, no padding. It only points at them.
struct Arranjo {
    enum class Tipo { float32, float64, int32, int64, uint32, uint8 };
    const void* dados = nullptr;
    Tipo tipo = Tipo::float64;
    std::size_t linhas = 0;
    std::size_t colunas = 0;
};

// A mesh in memory, for Modelo::deArranjos. Required: posicoes, n x 3 floats (float32 or
// float64), and triangulos, m x 3 integers (int32, int64 or uint32), each an index into
// posicoes. Optional (leave linhas at 0): per-vertex cores, n x 3 floats from 0 to 1; per-vertex
// normais, n x 3 floats; per-vertex uv, n x 2 floats, with textura, the image they index: altura
// rows of largura x 3 uint8 (red, green, blue), its top row first, largura in larguraTextura.
// As in a PLY file, positions are taken in single precision and a mesh with triangles is lit
// with the normals worked out from them: the normais count when m is 0, the model then being a
// cloud whose every vertex is a point. Triangle t of the model is row t, every one of part 0.
struct Arranjos {
    Arranjo posicoes;
    Arranjo triangulos;
    Arranjo cores;
    Arranjo normais;
    Arranjo uv;
    Arranjo textura;
    std::size_t larguraTextura = 0;
};

// A scene file or a mesh file, read and ready to draw as often as you like, with any options.
// It draws one picture at a time: share it between threads only with a lock. A Modelo moved
// from can only be assigned to or destroyed.
class Modelo {
public:
    // Reads `arquivo`: a scene file (a name ending in .txt, in any case, or with no extension)
    // or a mesh file (OBJ, PLY, STL, glTF and the other formats the viewer opens), lit with the
    // settings of the lighting file `iluminacao` ("" for the default headlight). A file that
    // cannot be drawn gives the viewer's one-line reason, such as "cannot open the scene x.txt:
    // No such file or directory" or "the import library crashed reading x.fbx (signal 11,
    // segmentation fault)". `abertura` says how the import library reads. It writes nothing on
    // standard output or standard error.
    [[nodiscard]] static Resultado<Modelo> abrir(const std::string& arquivo,
                                                 const std::string& iluminacao = "",
                                                 const Abertura& abertura = {}) {
        return abrirInstalado(arquivo, iluminacao, abertura, GOURAUD_IMPORTADOR_INSTALADO);
    }

    // The file extensions abrir reads, in lower case without the leading dot, sorted: "txt" for
    // scene files and every mesh format ("3ds", "fbx", "glb", "gltf", "mesh.xml", "obj", "ply",
    // "stl", ...). A file of another extension is handed to the import library all the same,
    // which refuses it, as the viewer does.
    [[nodiscard]] static std::vector<std::string> extensoes();

    // A mesh from memory (Arranjos), lit as abrir lights a file, drawn exactly as the same
    // data read from a PLY file. The arrays are copied: they may be freed once it returns. Bad
    // arrays give a one-line reason ("triangle 7 names vertex 12 of 10", "position 3 is not
    // finite", "colour 2 is not within 0..1", ...). Of `abertura`, only the threads count.
    [[nodiscard]] static Resultado<Modelo> deArranjos(const Arranjos& arranjos,
                                                      const std::string& iluminacao = "",
                                                      const Abertura& abertura = {});

    Modelo(Modelo&&) noexcept;
    Modelo& operator=(Modelo&&) noexcept;
    ~Modelo();

    // Draws the picture the options ask for into `imagem`, reusing its memory; "" on success,
    // otherwise the reason (a size out of range, a view and a camera both given, a camera that
    // cannot give a picture), `imagem` then left as it was. The pixels are those of the PNG
    // `visualizador ARQUIVO --imagem` writes with the same --vista, --cima, --tamanho, --modo,
    // --arestas, --normais, --sem-cor, --ponto, --ponto-forma, --bits, --aa, --edl and --fundo
    // (its alpha in Imagem::alfa for a transparent background), with the buffers asked for and
    // the camera (Imagem::K, Imagem::mundoParaCamera). A Modelo draws one picture at a time: a
    // call made while another thread draws it is refused ("the model is being drawn by another
    // thread"), nothing touched.
    [[nodiscard]] std::string desenhar(const Opcoes& opcoes, Imagem& imagem);
    // The same into a new picture.
    [[nodiscard]] Resultado<Imagem> desenhar(const Opcoes& opcoes = {});

    // The axis-aligned box of every point of the model (its vertices, loose points and the ends
    // of its segments), the box the views frame: the least and the greatest coordinate on each
    // axis, in the model's own coordinates; both the origin for a model without points.
    struct Caixa {
        std::array<double, 3> menor{};
        std::array<double, 3> maior{};
    };
    [[nodiscard]] Caixa caixa() const;

private:
    // abrir, told where the installed headers say the child program is ("" for nowhere).
    [[nodiscard]] static Resultado<Modelo> abrirInstalado(const std::string& arquivo,
                                                          const std::string& iluminacao,
                                                          const Abertura& abertura,
                                                          const char* instalado);

    struct Dados;
    explicit Modelo(std::unique_ptr<Dados> dados);

    std::unique_ptr<Dados> dados;
};

}  // namespace gouraud

#endif
