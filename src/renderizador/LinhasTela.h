#ifndef GOURAUD_LINHAS_TELA_H
#define GOURAUD_LINHAS_TELA_H

#include <cstdint>
#include <vector>

#include "BuffersQuadro.h"
#include "Camera.h"
#include "Iluminacao.h"
#include "ListasPorFaixa.h"
#include "Primitivas.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Trabalhadores.h"

namespace gouraud::detail {

// The model's line segments, a frame at a time. A segment is clipped at the near plane in camera
// space and drawn with the pixel rule of Segmento (one pixel per column it crosses, per row when
// steeper than 45 degrees), where its 1/cn, interpolated linearly on the screen between its ends,
// is at least the stored depth; it writes no depth. Segments are drawn in file order, so where two
// cross the later one shows. Its colour is Ka.Ia + Kd.Od.Il with the Od of its first vertex
// (CorPrimitiva).
//   Per frame (preparar): every segment clipped and projected, and listed by the bands its rows
//   reach, in file order (ListasPorFaixa).
//   Per band (desenharFaixa): the band's segments over its shaded pixels.
class LinhasTela {
public:
    // The segments of `primitivas` (which must outlive this object), lit by `iluminacao`, with
    // the file's colours when `coresDoArquivo`.
    LinhasTela(const Primitivas& primitivas, const Iluminacao& iluminacao, bool coresDoArquivo);

    // Draws the next frames lit by `nova`, with the file's colours when `coresDoArquivo`.
    void setIluminacao(const Iluminacao& nova, bool coresDoArquivo);

    // Works out every segment seen from `camera` through `projecao` for a frame of largura x
    // altura pixels cut into bands of `linhasPorFaixa` rows, on `trabalhadores`.
    void preparar(const Camera& camera, const Projecao& projecao, int largura, int altura,
                  int linhasPorFaixa, Trabalhadores& trabalhadores);

    // Draws the segments of band `faixa`, rows [linha0, linha1) of `quadro`, prepared for this
    // frame, over what the band shows.
    void desenharFaixa(int faixa, int linha0, int linha1, Quadro& quadro) const;

    // Whether the segments of the last frame drawn into `quadro`, cut into bands of
    // `linhasPorFaixa` rows, wrote a pixel of it: they are traced again over its depths, which
    // nothing after them changes (they write no colour that could be told from the
    // background's, so the colours cannot say).
    [[nodiscard]] bool escreveramPixel(const Quadro& quadro, int linhasPorFaixa) const;

    // For the buffers, after the band's triangles and points are registered: every pixel of
    // band `faixa` (rows [linha0, linha1)) a segment writes, traced as desenharFaixa traces
    // them, is won by the last segment that writes it, whose 1/iz there becomes its depth, with
    // no normal, no triangle and no part.
    void registrarFaixa(int faixa, int linha0, int linha1, const Quadro& quadro,
                        BuffersQuadro& buffers) const;

private:
    // A segment on the screen: its ends (x, y) in pixels with their 1/cn.
    struct SegmentoTela {
        double x0;
        double y0;
        double iz0;
        double x1;
        double y1;
        double iz1;
    };

    const Primitivas& primitivas;
    // The colour of every segment.
    std::vector<Canais> cores;
    std::vector<SegmentoTela> segmentos;
    ListasPorFaixa listas;
    // The bands the last frame was cut into.
    int quantFaixas = 0;
};

}  // namespace gouraud::detail

#endif
