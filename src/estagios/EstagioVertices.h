#ifndef GOURAUD_ESTAGIO_VERTICES_H
#define GOURAUD_ESTAGIO_VERTICES_H

#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "Camera.h"
#include "Cobertura.h"
#include "Malha.h"
#include "Projecao.h"
#include "Trabalhadores.h"
#include "VerticeTela.h"

namespace gouraud::detail {

// The vertex stage, the first one: where each point of the mesh lands on the screen.
//   In:  the mesh (once), and per frame the camera, the projection and the frame's size.
//   Out: for each point the triangles name, renumbered in the order they first name it: its
//        screen corner (position, 1/cn) and its coarse position for the binning (the exact one
//        of the single-pixel tests is Cobertura::paraExata of the corner, worked out where it is
//        read: 16 bytes a point fewer to keep and to write every frame); and the triangles'
//        corners in that numbering, with the points and their normals in that order for the
//        shading modes.
// A point needs clipping when it is behind the near plane or at Recorte::limiteSeguro pixels or
// further from the origin: its screen x is NaN (and its iz 0 behind the plane), and its coarse
// position carries the marks below instead.
// Points are worked out four at a time in AVX2 lanes or two at a time in SSE2 lanes (Par), with
// the same bits as one at a time.
// What a mode needs of a point (its lit colour, say) is the shading stage's work.
// When the mesh has a look of its own (Malha::getAparencia), a point is one per variant of it
// that the corners use (Aparencia::Variante, and whether the corner's triangle is textured):
// corners at one position with different colours stay apart, each with the position and the
// normal of the point.
class EstagioVertices {
public:
    // A screen position in 1/kEscalaGrossa pixel, rounded down: small enough to stay in the
    // cache while every triangle is sorted into bands.
    using PosicaoGrossa = detail::PosicaoGrossa;
    static constexpr int kBitsGrossos = 8;
    static constexpr double kEscalaGrossa = 1 << kBitsGrossos;
    // A point that needs clipping has x = kMarca, and y = kMarca too behind the near plane.
    static constexpr std::int32_t kMarca = std::numeric_limits<std::int32_t>::min();
    // Points per batch of work.
    static constexpr int kPorLote = 8192;
    // Points (and triangles) per group of the culling: a batch holds whole groups.
    static constexpr int kPorGrupo = 256;
    static_assert(kPorLote % kPorGrupo == 0);

    // Renumbers the points of `malha`, which must outlive this object, and keeps a copy of
    // them and their normals in the new order (the normals worked out here as Malha::getNormal
    // gives them, unless the mesh has a look of its own). The triangles keep the file's order, or with
    // `ordem` not empty (a permutation of the triangles' numbers) take the order it gives:
    // triangle t of this stage is triangle ordem[t] of the file. With `trabalhadores`, a large
    // mesh's normals are worked out on its threads, each point's as on one.
    explicit EstagioVertices(const Malha& malha, std::vector<std::int32_t> ordem = {},
                             Trabalhadores* trabalhadores = nullptr);

    // The first run [a, b) of items (points or triangles) of live groups within [inicio, fim):
    // groups of porGrupo items from 0, live where gruposVivos is not 0, or all of them when it
    // is null. a = b = fim when there is none; inicio must start a group.
    static std::pair<int, int> trechoVivo(int inicio, int fim, const std::uint8_t* gruposVivos,
                                          int porGrupo = kPorGrupo);

    // Number of batches of points.
    int getQuantLotes() const;
    // Number of points, and the points of batch `lote`: [lote kPorLote, its end).
    int getQuantPontos() const;
    // Works out the points of batch `lote` seen from `camera` through `projecao`, for a frame
    // whose safe limit (Recorte::limiteSeguro) is `limiteSeguro`: all of them, or with
    // `gruposVivos` only those of the groups of porGrupo points (a divisor of kPorLote) where it
    // is not 0 (the others keep what they held).
    void processar(int lote, const Camera& camera, const Projecao& projecao, double limiteSeguro,
                   const std::uint8_t* gruposVivos = nullptr, int porGrupo = kPorGrupo);

    // Works four points at a time in AVX2 lanes where the processor has it and `permitir`
    // holds, two at a time in SSE2 lanes elsewhere: the same bits either way. Allowed from the
    // start.
    void usarAvx2(bool permitir);

    // Number of triangles.
    int getQuantTriangulos() const;
    // Corner k (0, 1, 2) of triangle t, as a point number of this stage, at 3 t + k.
    const std::int32_t* getIndices() const;
    // Per triangle t of this stage, its number in the file (the mesh's triangle it is). A stage
    // that reads the mesh's own per-triangle lists goes through this; the depth test gives ties
    // to the lower number.
    const std::int32_t* getNumerosNoArquivo() const;
    // Per point of this stage: its world position, its unit normal (zero without one) and 1
    // where it has one.
    const Ponto* getPontos() const;
    const Vetor* getNormais() const;
    const std::uint8_t* getComNormal() const;
    // Per point of this stage, when the mesh has a look of its own (null otherwise): the variant
    // of the corners it stands for, and 1 where their triangles are textured.
    const std::int32_t* getVariantes() const;
    const std::uint8_t* getTexturizados() const;
    // Per point of this stage, after processar: screen corner and coarse position.
    const VerticeTela* getVertices() const;
    const PosicaoGrossa* getGrossas() const;

private:
    // Numbers the points as one per variant and texturing of the corners that use them (the
    // mesh has a look of its own): fills indices, and ordem with each new point's point of the
    // mesh.
    void numerarVariantes(const Malha& malha, const Aparencia& aparencia, std::vector<int>& ordem);
    // Points [inicio, fim) as processar.
    void processarTrecho(int inicio, int fim, const Camera& camera, const Projecao& projecao,
                         double limiteSeguro);
    // Points [inicio, fim) four at a time, as processar.
    void processarQuatro(int inicio, int fim, const Camera& camera, const Projecao& projecao,
                         double limiteSeguro);
    // Stores point `posicao`'s results: its screen corner, and its coarse position when it is
    // safe, its marks otherwise.
    void guardar(std::size_t posicao, double x, double y, double iz, bool seguro, bool frente);

    bool avx2 = false;
    std::vector<Ponto> pontos;
    std::vector<Vetor> normais;
    // 1 where the point has a normal (otherwise it is zero and the point gets ambient only).
    std::vector<std::uint8_t> comNormal;
    std::vector<std::int32_t> indices;
    std::vector<std::int32_t> variantes;
    std::vector<std::uint8_t> texturizados;
    std::vector<std::int32_t> numerosNoArquivo;
    // Written by processar for the points it works out, and read only for those: left unset
    // until then, so that memory no frame touches (points always culled) is never committed.
    std::unique_ptr<VerticeTela[]> vertices;
    std::unique_ptr<PosicaoGrossa[]> grossas;
};

}  // namespace gouraud::detail

#endif
