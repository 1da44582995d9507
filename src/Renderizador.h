#ifndef GOURAUD_RENDERIZADOR_H
#define GOURAUD_RENDERIZADOR_H

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "Agulhas.h"
#include "Camera.h"
#include "Estilo.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Trabalhadores.h"

// Draws a mesh with Gouraud shading into a frame: Phong lighting at the points, perspective
// projection, clipping at the near plane, half-space rasterisation with the top-left rule, a
// depth test on 1/cn (strictly nearer wins, so equal depth keeps the earlier triangle) and
// perspective-correct colours. The picture is the same bits on any number of threads: the
// frame is cut into bands of rows, each band drawn by one thread in triangle file order.
// Once the first frame is drawn, drawing again allocates nothing.
class Renderizador {
public:
    // A screen position in 2^-48 pixel, where the exact inside tests work.
    struct PosicaoExata {
        std::int64_t x;
        std::int64_t y;
    };
    // What the vertex stage gives one point: its screen position, 1/cn and colour, in one
    // record so that a triangle reads its corners from three cache lines. A point that needs
    // clipping has x NaN: behind the near plane it also has iz 0; in front, but too far off
    // screen for the exact integer tests, it keeps its iz.
    struct Vertice {
        double x;
        double y;
        double iz;
        double r;
        double g;
        double b;
    };
    // Draws `malha` (which must outlive this object) lit by `iluminacao` on `threads` threads,
    // the caller's included (0 means one per core).
    Renderizador(const Malha& malha, const Iluminacao& iluminacao, int threads = 0);

    // Clears `quadro` to black and depth 0 and draws the mesh seen from `camera` through
    // `projecao` into it. With the default headlight the light sits at the camera's focus.
    void desenhar(const Camera& camera, const Projecao& projecao, Quadro& quadro);

    // Number of threads that draw, the caller's included.
    int getQuantThreads() const;

    // The shading mode and the switches of the frames drawn from now on (Gouraud, nothing over
    // it, until set).
    void setEstilo(const Estilo& novo);
    const Estilo& getEstilo() const;

    // Draws one screen-space triangle into rows [linha0, linha1) of `quadro` as desenhar does:
    // each corner's (x, y) in pixels (within 4096 of the origin), its 1/cn and its colour
    // (r, g, b). For tests and tools that work on the screen directly.
    static void desenharTriangulo(const Vetor& posicao0, double iz0, const Vetor& cor0,
                                  const Vetor& posicao1, double iz1, const Vetor& cor1,
                                  const Vetor& posicao2, double iz2, const Vetor& cor2, int linha0,
                                  int linha1, Quadro& quadro);

private:
    // Per-point results of the vertex stage.
    void processarVertices(int lote);
    // Finds which bands of rows each triangle of a batch can touch, and counts them per band.
    void classificarTriangulos(int lote);
    // Rows [j0, j1] that triangle i, which needs clipping, may cover; j1 < j0 when none. Kept
    // out of line so that the sorting loop stays small.
    [[gnu::noinline]] std::pair<int, int> linhasRecortado(int i) const;
    // y * 640 + x when triangle i (in front, on screen) covers the centre of pixel (x, y),
    // else a negative mark.
    std::int32_t pixelUnico(int i, int x, int y) const;
    // Lists each triangle of a batch in the bands it touches, in file order.
    void distribuirTriangulos(int lote);
    // Clears one band of rows and draws its triangles.
    void desenharFaixa(int faixa);
    struct Entrada;
    // Draws the triangles listed for band `faixa`, rows [linha0, linha1), in mode kModo, with
    // their edges when kArestas.
    template <Estilo::Modo kModo, bool kArestas>
    void desenharTriangulos(int faixa, int linha0, int linha1);
    // The packed flat colour of the triangle of a band entry.
    std::uint16_t corPlana(const Entrada& entrada) const;

    const Malha& malha;
    Iluminacao iluminacao;
    Trabalhadores trabalhadores;
    Estilo estilo;
    // The needles, made for the first frame that draws them.
    std::optional<Agulhas> agulhas;

    // The view being drawn; set by desenhar.
    Camera camera;
    Projecao projecao;
    Quadro* quadro = nullptr;
    // Where the light is for this view.
    Ponto luzAtual;

    // The points the triangles name, in the order they first name them, with their normals
    // (zero and comNormal 0 for a point without one); the triangles' corners as positions in
    // that order; and the vertex stage's record of each point.
    std::vector<Ponto> pontos;
    std::vector<Vetor> normais;
    std::vector<std::uint8_t> comNormal;
    std::vector<std::int32_t> indices;
    std::vector<Vertice> vertices;
    // Each point's screen position in 1/256 pixel, rounded down, small enough to stay in the
    // cache while every triangle is sorted into bands.
    struct PosicaoGrossa {
        std::int32_t x;
        std::int32_t y;
    };
    std::vector<PosicaoGrossa> grossas;
    // Each point's screen position in 2^-48 pixel (rounded towards zero), where it needs no
    // clipping: what the exact inside tests of the sorting read.
    std::vector<PosicaoExata> exatas;

    // Per batch of triangles, from the batch's first position: the triangles that may draw
    // something, with their first and last band; and how many there are.
    struct Sobrevivente {
        std::int32_t triangulo;
        std::int16_t faixa0;
        std::int16_t faixa1;
        // y * 640 + x of the one pixel it covers, when its box holds a single candidate;
        // negative otherwise.
        std::int32_t pixel;
    };
    std::vector<Sobrevivente> sobreviventes;
    std::vector<int> quantSobreviventes;
    // Per batch and band: how many triangles of the batch the band lists, then where they go.
    std::vector<std::int32_t> contagem;
    // Start of each band's run in `listas`, and every band's triangles in file order, each
    // with its corners so that drawing a band reads its list front to back.
    struct Entrada {
        std::int32_t triangulo;
        std::int32_t a;
        std::int32_t b;
        std::int32_t c;
        std::int32_t pixel;
    };
    std::vector<std::int64_t> inicioFaixa;
    std::vector<Entrada> listas;
    int quantLotes = 0;
};

#endif
