#ifndef GOURAUD_LEITOR_OBJ_H
#define GOURAUD_LEITOR_OBJ_H

#include <cstddef>
#include <string>

#include "FusaoPontos.h"
#include "Leitura.h"

namespace gouraud::detail {

// Wavefront OBJ files of the plain kind that scans and converters write: vertices and triangles
// only, read with tinyobjloader, a part of the file per core. tinyobjloader rounds decimals to
// single precision correctly where the import library's own conversion is sometimes one unit in
// the last place off, so the coordinates are converted with the import library's routine, word
// by word, as its OBJ reader converts them: the picture is the one the import library gives.
// Any other OBJ file is left to the import library, which splits groups and materials into
// meshes and triangulates polygons in its own order: the plain kind is the one where both give
// the same triangles.
class LeitorObj {
public:
    // Reads the `tamanho` bytes at `dados` into `fusao`, faces in file order, when the file is of
    // the plain kind: every line blank, a comment, "v" with 3 or 6 numbers, "vn" with 3, "vt" with
    // 2 or 3, or "f" with 3 vertex references; other statements ("o", "g", "usemtl", ...) but
    // "l" and "p" only before the first face; numbers made of digits, signs, points and
    // exponents only; line breaks "\n" or "\r\n"; no NUL byte. The byte dados[tamanho] must be
    // readable and be a NUL, which ends the last number. A file of that kind without vertices
    // holds nothing. outroLeitor for any other file (points, lines, polygons, a cloud of
    // vertices without faces) and for an index that names no vertex (the import library then
    // reads it, or says why not); recusada, with the reason in `erro`, when a point is not
    // finite.
    static Leitura ler(const char* dados, std::size_t tamanho, FusaoPontos& fusao,
                       std::string& erro);
};

}  // namespace gouraud::detail

#endif
