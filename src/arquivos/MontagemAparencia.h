#ifndef GOURAUD_MONTAGEM_APARENCIA_H
#define GOURAUD_MONTAGEM_APARENCIA_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "Aparencia.h"

namespace gouraud::detail {

// The look of a mesh file gathered while its triangles are read, beside the merge of their
// corners into points (FusaoPontos): each corner's variant, the point it merged into with the
// colour and texture coordinates of its vertex and its mesh's material. A point's corners that
// have the same attributes share one variant, found among that point's own variants.
class MontagemAparencia {
public:
    // Makes room for about `variantes` variants and `triangulos` triangles (guesses).
    void reservar(std::size_t variantes, std::size_t triangulos);
    // Starts a source (a mesh of the file) of `quantVertices` vertices, whose triangles have the
    // material `material` (-1 for none); vertex numbers refer to it until the next source.
    void novaFonte(std::size_t quantVertices, std::int32_t material);
    // The variant of vertex `vertice` (< quantVertices) of the current source, whose point is
    // `ponto` (numbered as the merge numbers them, from 0 in order of first use) and whose
    // colour (3 channels) and texture coordinates (u, v) are at `cor` and `uv` (null for none):
    // the one the vertex got before, an earlier one of that point with the same attributes, or
    // a new one.
    std::int32_t variante(std::size_t vertice, std::int32_t ponto, const float* cor,
                          const float* uv);
    // The variant vertex `vertice` of the current source got, or -1.
    std::int32_t varianteDoVertice(std::size_t vertice) const;
    // Adds a triangle whose corners have the variants a, b and c.
    void triangulo(std::int32_t a, std::int32_t b, std::int32_t c);

    // The look gathered, for a mesh of `quantPontos` points with these materials and textures,
    // or null when it says nothing: no corner has a colour of its own and none has a material
    // that counts (CorObjeto::substituto). Throws std::invalid_argument when an index is out
    // of range.
    std::unique_ptr<Aparencia> concluir(int quantPontos, std::vector<Aparencia::Material> materiais,
                                        std::vector<Textura> texturas);

private:
    std::vector<Aparencia::Variante> variantes;
    // The next variant of the same point, and each point's first one (-1 for none).
    std::vector<std::int32_t> seguinte;
    std::vector<std::int32_t> primeira;
    std::vector<std::int32_t> cantos;
    // The variant of each vertex of the current source, -1 until given.
    std::vector<std::int32_t> mapa;
    std::int32_t material = -1;
};

}  // namespace gouraud::detail

#endif
