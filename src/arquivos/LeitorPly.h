#ifndef GOURAUD_LEITOR_PLY_H
#define GOURAUD_LEITOR_PLY_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Aparencia.h"
#include "FusaoPontos.h"
#include "Leitura.h"
#include "Primitivas.h"

namespace gouraud::detail {

// PLY files: the checks of the header that keep the import library away from a header that does
// not end or promises more than the file holds, and the fast reading, with Draco's PLY reader,
// of the plain binary triangle meshes and point clouds that scanners write. Every other PLY file
// is left to the import library.
class LeitorPly {
public:
    // What the header says, as far as the checks and the fast reading need it.
    struct Cabecalho {
        // "" when the header ends and the data after it can hold what it promises; otherwise
        // why not, in one line.
        std::string problema;
        // True for a binary little-endian file whose elements are exactly "vertex", with float
        // x, y and z, then "face", with nothing but a list of 32-bit vertex indices: the kind the
        // fast reading takes. Its vertices' colour, if any, is uchar red, green and blue (no
        // other colour property), and the header names no texture file.
        bool simples = false;
        // True when the vertices have uchar red, green and blue.
        bool cores = false;
        // True for a binary little-endian file whose only element is "vertex" (at least one),
        // with float x, y and z, and beside them nothing but uchar red, green and blue (all three
        // or none), float nx, ny and nz (all three or none) and uchar alpha: the point clouds the
        // fast reading takes, and the header names no texture file.
        bool nuvem = false;
        bool nuvemComCores = false;
        bool nuvemComNormais = false;
        std::uint64_t quantVertices = 0;
        std::uint64_t quantFaces = 0;
        // Where the data of a simples file lies when its records have a fixed size: every vertex
        // property a scalar, x, y and z (and red, green and blue with cores) named once each,
        // and the data ending exactly where vertices of bytesVertice bytes and faces of a
        // bytesContagem-byte count and three indices would end.
        struct Registros {
            bool fixos = false;
            std::uint64_t inicio = 0;  // the byte where the first vertex starts
            std::uint64_t bytesVertice = 0;
            std::uint64_t bytesContagem = 0;
            bool indicesComSinal = false;  // int rather than uint
            std::uint64_t posicao[3] = {};  // x, y and z's bytes from a vertex's start
            std::uint64_t cor[3] = {};      // red, green and blue's, with cores
        } registros;
    };

    // True when the bytes start as the import library takes a PLY file to start: "ply" in any
    // case, after any white space, whatever follows.
    static bool pareceCabecalho(const char* dados, std::size_t tamanho);
    // Reads the header of the `tamanho` bytes at `dados` (a whole PLY file) and checks it: the
    // end_header line is there, ended by a line break; every count is a number no larger than
    // the file; every property type is known; and the data after the header has at least the
    // bytes its elements need (binary: every scalar and list count; text: two characters a
    // value).
    static Cabecalho lerCabecalho(const char* dados, std::size_t tamanho);
    // Reads a file whose header is simples into `fusao`, in file order, with the vertices'
    // colours (each byte b as the float b / 255, as the import library gives it) into
    // `aparencia` when it has them. outroLeitor when a face is not a triangle or Draco cannot
    // read the data (the import library then reads it, or says why not); recusada, with the
    // reason in `erro`, when a face names a vertex the file does not have or a point is not
    // finite.
    static Leitura ler(const char* dados, std::size_t tamanho, const Cabecalho& cabecalho,
                       FusaoPontos& fusao, std::unique_ptr<Aparencia>& aparencia,
                       std::string& erro);
    // Files of at least this many bytes whose records are fixos are read by lerRegistros rather
    // than by Draco, whose reader keeps every property in an array of its own and 16 bytes of
    // list offsets a face: about twice the file in memory, and most of the time a large scan
    // takes to read. Below it that cost is nothing.
    static constexpr std::size_t kRegistrosDiretos = std::size_t{1} << 20;
    // What ler gives for a file whose header is simples and whose records are fixos, read from
    // the records where they lie; nullopt, with nothing changed, when a face's count is not 3
    // (the file is then Draco's to read).
    static std::optional<Leitura> lerRegistros(const char* dados, const Cabecalho& cabecalho,
                                               FusaoPontos& fusao,
                                               std::unique_ptr<Aparencia>& aparencia,
                                               std::string& erro);
    // Reads a file whose header is nuvem into `primitivas`: every vertex a point, in file order,
    // with its normal and its colour (each byte b as the single-precision b / 255, as the import
    // library gives it). outroLeitor when Draco cannot read the data; recusada, with the reason
    // in `erro`, when a position is not finite.
    static Leitura lerNuvem(const char* dados, std::size_t tamanho, const Cabecalho& cabecalho,
                            Primitivas& primitivas, std::string& erro);
};

}  // namespace gouraud::detail

#endif
