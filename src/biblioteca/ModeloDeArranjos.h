#ifndef GOURAUD_MODELO_DE_ARRANJOS_H
#define GOURAUD_MODELO_DE_ARRANJOS_H

#include <string>

#include "ModeloImportado.h"
#include "gouraud/Modelo.h"

namespace gouraud::detail {

// A mesh from memory (gouraud::Arranjos) made into what the import library gives for the same
// data written as a PLY file (single-precision positions, per-vertex float colours, texture_u and
// texture_v beside a TextureFile comment naming the texture), so that the gathering of a file's
// answer makes of it the points, triangles, look and parts that file gives: one mesh of triangles,
// or, with no triangles, a cloud whose every vertex is a point with its normal and colour. A
// triangle mesh is lit with the normals the renderer works out from its triangles, as a PLY
// file's triangles are: the per-vertex normals count for a cloud's points only.
//   Every number is checked before it is used: "" with `modelo` filled, or the one-line reason
//   ("triangle 7 names vertex 12 of 10", "position 3 is not finite", "colour 2 is not within
//   0..1", "cores has 4 rows, not one per position (5)", ...), `modelo` then unspecified.
[[nodiscard]] std::string modeloDeArranjos(const Arranjos& arranjos, ModeloImportado& modelo);

}  // namespace gouraud::detail

#endif
