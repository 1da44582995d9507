#ifndef GOURAUD_CLASSIFICACAO_H
#define GOURAUD_CLASSIFICACAO_H

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Camera.h"
#include "EstagioVertices.h"
#include "Malha.h"
#include "Projecao.h"

namespace gouraud::detail {

// Binning, the second stage: which bands of kLinhasPorFaixa rows each triangle may draw in.
//   In:  the triangles' corners and the vertex stage's coarse and exact positions (and, for a
//        triangle with a corner to clip, the rows of its clipped polygon).
//   Out: per band, in file order, the triangles that may draw a pixel in it (Entrada), each with
//        its three corners, and the one pixel it covers when its box holds a single candidate;
//        and a mark on every point such a triangle names, for the shading stage.
// Triangles whose box holds no pixel centre (most of a scan's) stop here, four triangles at a
// time in SSE2 lanes; so do those whose box of at most 2 x 2 candidates they do not cover,
// decided here as the exact test would (Cobertura::cobertosNaCaixa).
// The work is cut into batches of kPorLote triangles that may run on any thread: classificar
// every batch, then montarFaixas, then distribuir every batch.
class Classificacao {
public:
    static constexpr int kLinhasPorFaixa = 16;
    static constexpr int kPorLote = 8192;
    // A band entry's pixel when its box holds more than 2 x 2 candidates.
    static constexpr std::int32_t kVariosPixels = -1;
    // The first bit of the mask in an entry's pixel.
    static constexpr int kBitMascara = 24;

    // A triangle in a band's list: its number in the file, its corners as points of the vertex
    // stage, and
    // when its box holds at most 2 x 2 candidates, y W + x of the box's first pixel (W the
    // frame's width) with, from bit kBitMascara on, which of the pixels (x + di, y + dj) it
    // covers as bit 2 dj + di (never none); kVariosPixels otherwise.
    struct Entrada {
        std::int32_t triangulo;
        std::int32_t a;
        std::int32_t b;
        std::int32_t c;
        std::int32_t pixel;
    };

    // For the triangles of `malha`, whose points `vertices` numbers; both must outlive this.
    Classificacao(const Malha& malha, const EstagioVertices& vertices);

    // Sizes the bands for a frame of largura x altura (each 1 to Quadro::kMaiorLado); it
    // allocates only when the height changes. Before the other steps of a frame.
    void preparar(int largura, int altura);
    // Number of bands of the frame prepared for.
    int getQuantFaixas() const;
    // Number of batches of triangles.
    int getQuantLotes() const;
    // Sorts with AVX2 (BlocoCaixas) where the processor has it and `permitir` holds; the other
    // path gives the very same lists. Allowed from the start.
    void usarAvx2(bool permitir);
    // Sorts the triangles of batch `lote` seen from `camera` through `projecao`, after the
    // vertex stage has run for that view and the frame: all of them, or with `gruposVivos` only
    // those of the groups of porGrupo triangles (a divisor of kPorLote and a multiple of 8)
    // where it is not 0 (the culling found the others off the screen or hidden).
    void classificar(int lote, const Camera& camera, const Projecao& projecao,
                     const std::uint8_t* gruposVivos = nullptr,
                     int porGrupo = EstagioVertices::kPorGrupo);
    // After every batch was sorted: where each band's list starts, and room for all of them.
    void montarFaixas();
    // Lists the triangles of batch `lote` in the bands they may draw in.
    void distribuir(int lote);
    // Per point of the vertex stage: not 0 when a triangle that may draw names it.
    const std::uint8_t* getMarcas() const;
    // Takes the marks of points [inicio, fim) off, once the shading stage has read them.
    void limparMarcas(int inicio, int fim);

    // Band `faixa`'s list: entries [inicio(faixa), inicio(faixa + 1)) of getEntradas().
    std::int64_t inicio(int faixa) const;
    const Entrada* getEntradas() const;
    // Per entry of getEntradas(): its triangle's position in the vertex stage's order.
    const std::int32_t* getPosicoes() const;

private:
    // Rows [j0, j1] that triangle i, which needs clipping, may cover; j1 < j0 when none. Kept
    // out of line so that the sorting loop stays small.
    [[gnu::noinline]] std::pair<int, int> linhasRecortado(int i, const Camera& camera,
                                                          const Projecao& projecao) const;
    // The entry's pixel for triangle i (in front, on screen), whose box of candidates is
    // [i0, i1] x [j0, j1]: its covered pixels when the box and the triangle are small, a
    // negative mark when it covers none of them, kVariosPixels for others.
    std::int32_t pixelDaCaixa(int i, int i0, int i1, int j0, int j1) const;
    // The entry's pixel for the small box from (i0, j0) whose covered pixels are `cobertos`
    // (Cobertura::cobertosNaCaixa's bits), or a negative mark when none.
    std::int32_t codificar(int i0, int j0, unsigned cobertos) const;

    const Malha& malha;
    const EstagioVertices& vertices;

    // Per batch of triangles, from the batch's first position: the triangles that may draw
    // something, with their first and last band and their pixel; and how many there are. Left
    // unset until written: a batch uses only the front of its room, and the memory it never
    // touches is never committed.
    struct Sobrevivente {
        std::int32_t triangulo;
        std::int16_t faixa0;
        std::int16_t faixa1;
        std::int32_t pixel;
    };
    // On small pages: with large ones, the front of every batch's room would commit a whole
    // large page, as much memory as if every triangle survived (180 MB at 15 million).
    struct Liberar {
        void operator()(Sobrevivente* p) const;
    };
    std::unique_ptr<Sobrevivente[], Liberar> sobreviventes;
    std::vector<int> quantSobreviventes;
    // The frame's size, and its number of bands.
    int largura = 0;
    int altura = 0;
    int quantFaixas = 0;
    // Per batch and band: how many triangles of the batch the band lists, then where they go.
    std::vector<std::int64_t> contagem;
    // Start of each band's run in `listas`, and every band's triangles in file order.
    std::vector<std::int64_t> inicioFaixa;
    std::vector<Entrada> listas;
    // Beside each entry, its triangle's position in the stage: what finds the triangle's run
    // (Visibilidade) with a read next to the entry's rather than one anywhere in a table by the
    // file's numbers.
    std::vector<std::int32_t> posicoesListas;
    int quantLotes = 0;
    bool avx2 = false;
    // Set by classificar from any thread, each byte to 1 only (through atomic_ref).
    std::vector<std::uint8_t> marcas;
};

}  // namespace gouraud::detail

#endif
