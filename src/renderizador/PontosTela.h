#ifndef GOURAUD_PONTOS_TELA_H
#define GOURAUD_PONTOS_TELA_H

#include <cstdint>
#include <vector>

#include "Camera.h"
#include "FaixaVisivel.h"
#include "Iluminacao.h"
#include "ListasPorFaixa.h"
#include "Primitivas.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Trabalhadores.h"

// The model's loose points drawn as squares, a frame at a time. A point P with camera coordinates
// (cu, cv, cn), cn >= zPerto, lands at (xs, ys) (Projecao) and covers, for a size of s pixels,
// the columns i with xs - s/2 <= i + 0.5 < xs + s/2 and the rows j with
// ys - s/2 <= j + 0.5 < ys + s/2 that are on the frame, each compared as written in double. Its
// depth is 1/cn over the whole square; a pixel takes the point where that is strictly greater
// than the stored depth, and the depth is written, so the nearer wins and at equal depth the one
// drawn first stays: the triangles, then the points in file order. Its colour (CorPrimitiva): the
// lighting formula with the point's normal when the file gives a usable one, otherwise lit
// head-on; the object colour from CorPrimitiva::od.
//   Per frame (preparar): every point projected, its square, depth and colour worked out, and
//   the points listed by band in file order (ListasPorFaixa), on several threads.
//   Per band (desenharFaixa): the band's points over the triangles' winners, before shading.
class PontosTela {
public:
    // The points of `primitivas` (which must outlive this object), lit by `iluminacao`.
    PontosTela(const Primitivas& primitivas, const Iluminacao& iluminacao);

    // Draws the next frames lit by `nova`.
    void setIluminacao(const Iluminacao& nova);

    // Works out every point seen from `camera` through `projecao` for a frame of largura x
    // altura pixels cut into bands of `linhasPorFaixa` rows, squares of `tamanho` pixels a side
    // (at least 1), on `trabalhadores`.
    void preparar(const Camera& camera, const Projecao& projecao, int largura, int altura,
                  int linhasPorFaixa, int tamanho, Trabalhadores& trabalhadores);

    // Draws the points of band `faixa`, prepared for this frame, into the band `visivel` (whose
    // rows are that band's) and `quadro`: each pixel a point wins gets its depth and colour in the
    // frame and loses its triangle in `visivel`, so the shading leaves it as it is.
    void desenharFaixa(int faixa, FaixaVisivel& visivel, Quadro& quadro) const;

private:
    // A point's square on the frame for this frame: its depth, its first column and row, how
    // many of each (0 columns: not drawn) and its packed colour.
    struct Quadrado {
        double iz;
        std::uint16_t coluna;
        std::uint16_t linha;
        std::uint8_t colunas;
        std::uint8_t linhas;
        std::uint16_t cor;
    };

    // The square of point i, and whether it has pixels on the frame.
    bool quadrar(int i, const Camera& camera, const Projecao& projecao, int largura, int altura,
                 double meio, const Ponto& luz, Quadrado& quadrado) const;

    const Primitivas& primitivas;
    Iluminacao iluminacao;
    // The head-on colour of every point, which does not change with the view.
    std::vector<std::uint16_t> coresDeFrente;
    std::vector<Quadrado> quadrados;
    ListasPorFaixa listas;
};

#endif
