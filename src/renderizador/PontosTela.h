#ifndef GOURAUD_PONTOS_TELA_H
#define GOURAUD_PONTOS_TELA_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Camera.h"
#include "FaixaVisivel.h"
#include "Iluminacao.h"
#include "Primitivas.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Trabalhadores.h"

namespace gouraud::detail {

// The model's loose points drawn as squares or discs, a frame at a time. A point P with camera
// coordinates (cu, cv, cn), cn >= zPerto, lands at (xs, ys) (Projecao) and covers, for a size of
// s pixels, the columns i with xs - s/2 <= i + 0.5 < xs + s/2 and the rows j with
// ys - s/2 <= j + 0.5 < ys + s/2 that are on the frame, each bound compared as written in double;
// drawn as a disc (s of 2 or more), the pixels on the frame whose centre lies within s/2 of
// (xs, ys): with dx = (i + 0.5) - xs and dy = (j + 0.5) - ys, (dx.dx + dy.dy) <= (s/2).(s/2).
// Its depth is 1/cn over the whole square; a pixel takes the point where that is strictly greater
// than the stored depth, and the depth is written, so the nearer wins and at equal depth the one
// drawn first stays: the triangles, then the points in file order. Its colour (CorPrimitiva): the
// lighting formula with the point's normal when the file gives a usable one, otherwise lit
// head-on; the object colour from CorPrimitiva::od.
//   Per frame (preparar): the points cut into consecutive runs, each run drawn by one thread
//   into a frame of its own (depth and colour only), in file order, so that each of its pixels
//   holds the run's first point of greatest depth there.
//   Per band (desenharFaixa), after the triangles' visibility: each pixel takes, of the runs in
//   order, the first greatest depth, and that point wins the pixel when its depth is strictly
//   greater than the triangles' there: exactly the point that drawing them all one after the
//   other would leave, whatever the number of runs. The runs' frames are left clean for the next
//   frame.
// The points are read once per frame, front to back, and the runs' frames stay in the cache: a
// cloud of millions of points costs little more than reading it.
class PontosTela {
public:
    // The points of `primitivas` (which must outlive this object), lit by `iluminacao`, with
    // the file's colours when `coresDoArquivo`.
    PontosTela(const Primitivas& primitivas, const Iluminacao& iluminacao, bool coresDoArquivo);

    // Draws the next frames lit by `nova`, with the file's colours when `coresDoArquivo`.
    void setIluminacao(const Iluminacao& nova, bool coresDoArquivo);
    // Works four points at a time in AVX2 lanes where the processor has it and `permitir`
    // holds, two at a time in SSE2 lanes elsewhere: the same bits either way. Allowed from the
    // start.
    void usarAvx2(bool permitir);
    // Keeps the points' colours as 8-bit channels too, for frames that keep them (a 24-bit
    // picture), from the next frame on; off from the start.
    void usarCanais(bool usar);

    // Draws every point seen from `camera` through `projecao` into the runs' frames, for a frame
    // of largura x altura pixels and squares (or, with `disco`, discs) of `tamanho` pixels a side
    // (at least 1; a disc of 1 is the square), on `trabalhadores`.
    void preparar(const Camera& camera, const Projecao& projecao, int largura, int altura,
                  int tamanho, Trabalhadores& trabalhadores, bool disco = false);

    // Puts the points of rows [linha0, linha1) of `visivel` (whose rows are a band of the frame
    // prepared) into the band and `quadro`: each pixel a point wins gets its depth and colour in
    // the frame and loses its triangle in `visivel`, so the shading leaves it as it is. The
    // colour goes in as the frame keeps colours: packed, and as channels where it keeps them
    // (from the points' own channels when usarCanais holds, otherwise the packed colour's).
    void desenharFaixa(FaixaVisivel& visivel, Quadro& quadro);

    // For the buffers: per pixel of a largura x altura frame, the point that wins it against
    // the other points, the first of greatest depth in file order (-1 where none covers it),
    // as preparar with the same camera, projection, size and shape draws them, into
    // `vencedores` (largura * altura entries, row after row) with `profundidades` as scratch
    // space of the same size. One thread, in file order; only when the buffers ask for it.
    void vencedores(const Camera& camera, const Projecao& projecao, int largura, int altura,
                    int tamanho, bool disco, std::vector<std::int32_t>& vencedores,
                    std::vector<double>& profundidades) const;
    // The normal a point lights with at its place (Iluminacao::normalIluminada of its own
    // normal, seen from `foco`); false when it has none.
    bool normalDoPonto(int i, const Ponto& foco, Vetor& normal) const;

private:
    // A run's frame: a depth (0 for none) and a colour per pixel, row after row, and the box of
    // rows and columns it drew in this frame (empty when linha0 > linha1).
    struct Trecho {
        std::vector<double> profundidades;
        std::vector<std::uint16_t> cores;
        // With usarCanais, the colours as channels instead.
        std::vector<Canais> canais;
        int linha0;
        int linha1;
        int coluna0;
        int coluna1;
    };

    // Draws points [inicio, fim) into `trecho`, in order: the run's frame, its colours of type
    // Cor (packed, or Canais), squares or (kDisco) discs. Two points at a time in SSE2 lanes, or
    // four in AVX2 lanes (desenharTrechoQuatro), the same bits.
    template <typename Cor, bool kDisco>
    void desenharTrecho(int inicio, int fim, const Camera& camera, const Projecao& projecao,
                        double meio, const Ponto& luz, Trecho& trecho) const;
    template <typename Cor, bool kDisco>
    void desenharTrechoQuatro(int inicio, int fim, const Camera& camera, const Projecao& projecao,
                              double meio, const Ponto& luz, Trecho& trecho) const;
    // The run's colours of type Cor.
    template <typename Cor>
    static Cor* coresDe(Trecho& trecho);
    // The object colour of point i (CorPrimitiva::od).
    Vetor odDoPonto(std::size_t i) const;
    // The colour of point i seen from `foco`, lit from `luz`, packed or as channels.
    template <typename Cor>
    Cor corDoPonto(std::size_t i, const Ponto& foco, const Ponto& luz) const;
    // Point i's colour lit head-on, packed or as channels.
    template <typename Cor>
    Cor deFrente(std::size_t i) const;
    // Empties the box of what `trecho` drew, for a new frame.
    void iniciarTrecho(Trecho& trecho) const;
    // Widens the box of what `trecho` drew to the square given.
    static void marcar(Trecho& trecho, int coluna0, int coluna1, int linha0, int linha1);

    const Primitivas& primitivas;
    Iluminacao iluminacao;
    bool cores = true;
    // The head-on colour of every point, which does not change with the view, packed and, with
    // usarCanais, as channels.
    std::vector<std::uint16_t> coresDeFrente;
    std::vector<Canais> canaisDeFrente;
    bool comCanais = false;
    std::vector<Trecho> trechos;
    // The size of the runs' frames, and how many runs this frame has.
    int largura = 0;
    int altura = 0;
    int quantTrechos = 0;
    bool avx2 = false;
};

}  // namespace gouraud::detail

#endif
