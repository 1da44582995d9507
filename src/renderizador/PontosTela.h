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
//   into a frame of its own (a depth and a point's number per pixel), in file order, so that
//   each of its pixels holds the run's first point of greatest depth there. A block of points
//   is projected, then every one of them tested against the run's frame without a branch on the
//   answer, then those that may win drawn in order.
//   Per band (desenharFaixa), after the triangles' visibility: each pixel takes, of the runs in
//   order, the first greatest depth, and that point wins the pixel when its depth is strictly
//   greater than the triangles' there: exactly the point that drawing them all one after the
//   other would leave, whatever the number of runs; its colour is worked out then. The runs'
//   frames are left clean for the next frame.
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
    // drawn by preparar's own code with the same camera, projection, size and shape, into
    // `vencedores` (largura * altura entries, row after row), and its depth into `profundidades`
    // (0 where none). One run of every point on this thread; only when the buffers ask for it.
    void vencedores(const Camera& camera, const Projecao& projecao, int largura, int altura,
                    int tamanho, bool disco, std::vector<std::int32_t>& vencedores,
                    std::vector<double>& profundidades) const;
    // The normal a point lights with at its place (Iluminacao::normalIluminada of its own
    // normal, seen from `foco`); false when it has none.
    bool normalDoPonto(int i, const Ponto& foco, Vetor& normal) const;

private:
    // The shape of a run's frame: largura x altura pixels, row j from j * passo on (passo a
    // multiple of four, so that every row starts on a lane group of four pixels).
    struct Moldura {
        int largura;
        int altura;
        std::ptrdiff_t passo;
    };
    // A run's frame: per pixel a depth (0 for none) and the number of the point that put it
    // there, as Moldura lays them out, each starting on a 32-byte boundary with room past the
    // last row for the lane groups read beyond it; and the box of rows and columns it drew in
    // this frame (empty when linha0 > linha1). The colours are looked up when the band is
    // merged, for the pixels a point keeps.
    struct Trecho {
        std::vector<double> memoriaProfundidades;
        std::vector<std::int32_t> memoriaPontos;
        std::size_t inicioProfundidades = 0;
        std::size_t inicioPontos = 0;
        int linha0 = 0;
        int linha1 = -1;
        int coluna0 = 0;
        int coluna1 = -1;
        double* profundidades() { return memoriaProfundidades.data() + inicioProfundidades; }
        std::int32_t* pontos() { return memoriaPontos.data() + inicioPontos; }
    };

    // Draws points [inicio, fim) into `trecho`, in order, as squares or (kDisco) discs with
    // sides of `tamanho` pixels. Two points at a time in SSE2 lanes, or four in AVX2 lanes
    // (desenharTrechoQuatro), the same bits.
    template <bool kDisco>
    void desenharTrecho(int inicio, int fim, const Camera& camera, const Projecao& projecao,
                        int tamanho, const Moldura& moldura, Trecho& trecho) const;
    template <bool kDisco>
    void desenharTrechoQuatro(int inicio, int fim, const Camera& camera, const Projecao& projecao,
                              int tamanho, const Moldura& moldura, Trecho& trecho) const;
    // Gives `trecho` room for a frame of `moldura` whose points' squares span up to `janelas`
    // groups of four columns, cleared, when it has not.
    static void reservar(Trecho& trecho, const Moldura& moldura, int janelas);
    // The shape of the runs' frames for a frame of largura x altura pixels.
    static Moldura molduraDe(int largura, int altura);
    // Draws points [inicio, fim) into `trecho` with desenharTrechoQuatro where AVX2 is allowed,
    // desenharTrecho otherwise, as squares or (`disco`, of 2 pixels or more) discs.
    void desenharPontos(int inicio, int fim, const Camera& camera, const Projecao& projecao,
                        int tamanho, bool disco, const Moldura& moldura, Trecho& trecho) const;
    // The object colour of point i (CorPrimitiva::od).
    Vetor odDoPonto(std::size_t i) const;
    // The colour of point i seen from `foco`, lit from `luz`, packed or as channels.
    template <typename Cor>
    Cor corDoPonto(std::size_t i, const Ponto& foco, const Ponto& luz) const;
    // Point i's colour lit head-on, packed or as channels.
    template <typename Cor>
    Cor deFrente(std::size_t i) const;
    // Empties the box of what `trecho` drew, for a new frame of `moldura`.
    static void iniciarTrecho(Trecho& trecho, const Moldura& moldura);
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
    // The shape of the runs' frames, and how many runs this frame has.
    Moldura moldura{0, 0, 0};
    int quantTrechos = 0;
    // Where this frame's points are seen from and lit from, for their colours.
    Ponto foco;
    Ponto luz;
    bool avx2 = false;
};

}  // namespace gouraud::detail

#endif
