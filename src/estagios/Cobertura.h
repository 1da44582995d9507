#ifndef GOURAUD_COBERTURA_H
#define GOURAUD_COBERTURA_H

#include <cstdint>

#include "VerticeTela.h"

namespace gouraud::detail {

// Exact coverage: which pixel centres a triangle covers.
//   In:  the triangle's three corners on the screen, each less than kMaiorCoordenada pixels from
//        the origin on both axes, and the rows and columns to look at, within a frame of at most
//        Quadro::kMaiorLado pixels a side.
//   Out: for each row, the run of pixels whose centre lies inside the triangle or on its top or
//        left edge (either winding); nothing for a triangle of zero area.
// It is decided exactly: positions are taken at 2^-48 pixel and the edge functions evaluated in
// 128-bit integers, so triangles that share an edge never both take, and never both miss, a
// pixel centre on it. Larger triangles step quick 64-bit edge values across their box and fall
// back to the exact test only within a proven bound of an edge.

__extension__ typedef __int128 Int128;

// A screen position in 2^-48 pixel, where the exact inside tests work.
struct PosicaoExata {
    std::int64_t x;
    std::int64_t y;
};

// A screen position in 1/256 pixel, rounded down: what the binning's quick tests read.
struct PosicaoGrossa {
    std::int32_t x;
    std::int32_t y;
};

// Pixels [inicio, fim] of one row; empty when inicio > fim.
struct Intervalo {
    int inicio;
    int fim;
};

class Cobertura {
public:
    // Corners lie less than this many pixels (2^13) from the origin on both axes; Recorte cuts
    // the triangles that reach further. Then, with pixel centres in [0, 2^12) as a frame of at
    // most 4096 x 4096 has them, every value fits its integer type:
    //   exact positions, at 2^-48 pixel:   |v| 2^48 < 2^61, in int64;
    //   exact edge values and areas:       differences of positions < 2^62, products < 2^124,
    //                                      the difference of two products < 2^125, in Int128;
    //   quick positions, at 2^-16 pixel:   < 2^29, differences < 2^30; an edge value at the box's
    //                                      first pixel < 2^61, plus at most 2^12 steps of
    //                                      < 2^46 along a row and 2^12 down the rows: < 2^62,
    //                                      in int64;
    //   pixel numbers from doubles:        |v| < 2^13, in int.
    // The quick value's error bound (folga) depends on the triangle's box alone, not on where
    // the box lies.
    static constexpr double kMaiorCoordenada = 8192.0;
    // Exact positions are in units of 2^-48 pixel: exact for every double of magnitude 16 or
    // more, and less than 2^-48 pixel nearer zero below that.
    static constexpr int kBitsFracao = 48;
    static constexpr double kEscala = 281474976710656.0;  // 2^48

    // Position in 2^-48 pixel of a coordinate v in pixels (|v| < kMaiorCoordenada), rounded
    // towards zero.
    static std::int64_t paraInteiro(double v) { return static_cast<std::int64_t>(v * kEscala); }
    // The exact position of screen corner v (both coordinates as paraInteiro): worked out where
    // it is read rather than kept per point, a multiplication and a conversion each.
    static PosicaoExata paraExata(const VerticeTela& v) {
        return PosicaoExata{paraInteiro(v.x), paraInteiro(v.y)};
    }
    // The coarse position of (x, y) in pixels (each less than kMaiorCoordenada from 0):
    // floor(256 x), floor(256 y).
    static PosicaoGrossa paraGrossa(double x, double y);

    // Prepares the triangle (a, b, c) for the pixels of rows [linha0, linha1) and columns
    // [0, largura) whose centres lie in its bounding box; false when there are none or its area
    // is zero, and then nothing else may be asked. 0 <= linha0, linha1 and largura at most
    // Quadro::kMaiorLado.
    bool montar(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c, int linha0,
                int linha1, int largura);
    // Twice the signed area of the triangle of exact corners a, b, c, in 2^-96 square pixel:
    // positive when they turn clockwise on the screen (y down).
    static Int128 area(const PosicaoExata& a, const PosicaoExata& b, const PosicaoExata& c);
    // Whether the triangle of exact corners a, b, c has an area and covers the centre of pixel
    // (i, j), as dentro() decides.
    static bool cobre(const PosicaoExata& a, const PosicaoExata& b, const PosicaoExata& c, int i,
                      int j);
    // Which of the pixels (i0 + di, j0 + dj), 0 <= di < colunas <= 2 and 0 <= dj < linhas <= 2,
    // the triangle of coarse corners a, b, c (PosicaoGrossa of the exact ea, eb, ec) covers, as
    // bit 2 dj + di, each exactly as cobre() decides. Those pixels' centres lie in the box of
    // the coarse corners. From the coarse positions where their edge values are clear of the
    // bound on their error, from the exact ones otherwise.
    static unsigned cobertosNaCaixa(const PosicaoGrossa& a, const PosicaoGrossa& b,
                                    const PosicaoGrossa& c, const PosicaoExata& ea,
                                    const PosicaoExata& eb, const PosicaoExata& ec, int i0, int j0,
                                    int colunas, int linhas);

    // Twice the prepared triangle's signed area, as area() gives it.
    Int128 getArea() const;
    // First and last row of the box prepared by the first montar.
    int primeiraLinha() const;
    int ultimaLinha() const;
    // Whether the centre of pixel (i, j) is inside the triangle or on its top or left edge.
    bool dentro(int i, int j) const;
    // The covered pixels of rows [linha0, linha1] (within the box prepared by the first montar)
    // into saida[0 .. linha1 - linha0]; false when none of them covers any.
    bool linhas(int linha0, int linha1, Intervalo* saida) const;

private:
    // One edge s -> s + (dx, dy) of the triangle in the winding of positive area, for the exact
    // test: a centre exactly on it is inside when it is a top or left edge.
    struct ArestaExata {
        PosicaoExata s;
        std::int64_t dx;
        std::int64_t dy;
        bool topoOuEsquerda;
        // Whether the centre (px, py), in 2^-48 pixel, is inside this edge.
        bool dentro(std::int64_t px, std::int64_t py) const;
    };
    // The same edge's quick value at the box's first pixel, its steps per pixel and the bound
    // on its error over the box.
    struct Aresta {
        std::int64_t rapido;
        std::int64_t passoX;
        std::int64_t passoY;
        std::int64_t folga;
    };
    static ArestaExata montarArestaExata(const PosicaoExata& s, const PosicaoExata& e);
    // Prepares the triangle of exact corners a, b, c for dentro(); false when its area is zero.
    bool montar(const PosicaoExata& a, const PosicaoExata& b, const PosicaoExata& c);
    static Aresta montarAresta(const PosicaoExata& s, const PosicaoExata& e, int i0, int j0,
                               std::int64_t larguraCaixa, std::int64_t alturaCaixa);

    // The corners as given (pa, pb, pc), the edges p1 -> p2, p2 -> pa and pa -> p1 in the order
    // of positive area (pa, p1, p2), and twice the signed area.
    PosicaoExata pa;
    PosicaoExata pb;
    PosicaoExata pc;
    // Left unset until montar sets them, as the edges below: a Cobertura is made per triangle,
    // and zeroing them each time cost a sixth of the narrow triangles' visibility pass.
    ArestaExata exatas[3];
    Int128 areaDupla = 0;
    // The box of candidate pixels, and whether it is small enough to test pixel by pixel.
    int i0 = 0;
    int i1 = -1;
    int j0 = 0;
    int j1 = -1;
    bool pequena = true;
    Aresta arestas[3];
};

}  // namespace gouraud::detail

#endif
