#ifndef GOURAUD_ACABAMENTO_H
#define GOURAUD_ACABAMENTO_H

#include <vector>

#include "Quadro.h"
#include "Trabalhadores.h"

namespace gouraud::detail {

// The last step of a picture, over a finished frame: eye-dome lighting, the mean of K x K samples
// per pixel, and the alpha of a picture without a background. Everything works on the picture's
// 8-bit channels, as its PNG holds them: a sample's channels are the frame's own (a 24-bit
// frame, which keeps them) or its 16-bit colour expanded (Quadro::expandir).
//   Eye-dome lighting: with w the frame's depth at a sample (the 1/cn the depth test compared),
//   each sample p with w_p > 0 is darkened by how far its neighbours stand in front of it:
//   o = sum of max(0, log2 w_n - log2 w_p) over the 8 neighbours n at (-r, 0), (r, 0), (0, -r),
//   (0, r), (-r, -r), (-r, r), (r, -r), (r, r) samples away, added in that order from 0, a
//   neighbour with w_n = 0 or outside the frame adding nothing; each channel c becomes
//   floor(c . exp(-s . o)), in double, with log2 and exp as Elementares works them out. Samples
//   with w_p = 0 (the background, or a line or needle drawn over it) keep their colour. The mean:
//   each pixel of the W x H picture is the K x K samples [K x, K x + K) x [K y, K y + K) of a K.W x
//   K.H frame, each channel (sum + floor(K.K / 2)) / (K.K) in integers. Without a background (the
//   frame's alpha marking what was drawn), the n samples drawn give the alpha (255 n + floor(K.K /
//   2)) / (K.K) and the channels (sum over them + floor(n / 2)) / n, the pixel being 0 where none
//   is drawn; with one, the alpha is 255. The finished picture keeps its channels
//   (Quadro::temCanais), its 16-bit colours their packing, and its depths, with K > 1, the greatest
//   of its samples'.
class Acabamento {
public:
    // What a picture asks of the step.
    struct Pedido {
        // K: samples a pixel along each axis.
        int amostras = 1;
        // The samples' channels are the frame's own (a 24-bit frame), not its 16-bit colours'.
        bool canais = false;
        // The frame's alpha says where something was drawn; the picture has no background.
        bool transparente = false;
        // Eye-dome lighting with its radius r in samples and its strength s.
        bool edl = false;
        int raio = 1;
        double forca = 2.0;
    };

    Acabamento();

    // Whether the frame drawn for `pedido` must keep channels: for a 24-bit picture, for the
    // alpha of a transparent one, and for the samples eye-dome lighting darkens.
    static bool canaisNoDesenho(const Pedido& pedido);
    // Whether a frame drawn for `pedido` at K = 1 needs the step at all: with eye-dome lighting,
    // or transparent from 16-bit colours (whose channels then become the expanded ones).
    static bool necessario(const Pedido& pedido);

    // Finishes `amostras`, of K.W x K.H samples drawn keeping channels as canaisNoDesenho says,
    // into `saida` (W x H, which is made to keep channels and to be transparent as asked), on
    // `trabalhadores`; the eye-dome lighting darkens the samples in place.
    void acabar(Quadro& amostras, const Pedido& pedido, Quadro& saida,
                Trabalhadores& trabalhadores);
    // Finishes `quadro` in place (K = 1, which the request must say).
    void acabar(Quadro& quadro, const Pedido& pedido, Trabalhadores& trabalhadores);
    // Whether the eye-dome lighting works four samples at a time in AVX2 lanes where the
    // processor has it (it does unless told not to); the same bits either way.
    void usarAvx2(bool permitir);

private:
    // The log2 of every sample's depth, -infinity where it is 0, with a border of `raio`
    // samples of -infinity around the frame, so that no neighbour needs a bounds check.
    void prepararLogs(const Quadro& amostras, int raio, Trabalhadores& trabalhadores);
    // The eye-dome lighting of rows [linha0, linha1) of `amostras`, in place: the samples'
    // channels (their own, or with `deCores` their 16-bit colours expanded) darkened into the
    // channels, alpha kept, and packed into the 16-bit colours.
    void escurecer(Quadro& amostras, const Pedido& pedido, bool deCores, int linha0,
                   int linha1) const;
    // The same four samples at a time, from column 0 to the last multiple of four; gives the
    // first column it did not do.
    int escurecerQuatro(Quadro& amostras, const Pedido& pedido, bool deCores, int y) const;
    // The logs of row y's depths into `destino`, four at a time, from column 0 to the last
    // multiple of four; gives the first column it did not do.
    static int logsQuatro(const double* profundidades, int largura, double* destino);

    std::vector<double> logs;
    int larguraLogs = 0;
    int margem = 0;
    bool avx2 = false;
};

}  // namespace gouraud::detail

#endif
