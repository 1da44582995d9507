#ifndef GOURAUD_RENDERIZADOR_H
#define GOURAUD_RENDERIZADOR_H

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Acabamento.h"
#include "Agulhas.h"
#include "BuffersQuadro.h"
#include "Camera.h"
#include "Classificacao.h"
#include "Cobertura.h"
#include "CoresDaMalha.h"
#include "Descarte.h"
#include "EstagioVertices.h"
#include "Estilo.h"
#include "FaixaVisivel.h"
#include "Iluminacao.h"
#include "LinhasTela.h"
#include "Malha.h"
#include "PontosTela.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Rasterizador.h"
#include "RegistroBuffers.h"
#include "Sombreamento.h"
#include "Trabalhadores.h"
#include "VerticeTela.h"
#include "Visibilidade.h"

namespace gouraud::detail {

// Draws a mesh with Gouraud shading into a frame: Phong lighting at the points, perspective
// projection, clipping at the near plane, half-space rasterisation with the top-left rule, a
// depth test on 1/cn (strictly nearer wins, so equal depth keeps the earlier triangle) and
// perspective-correct colours. The picture is the same bits on any number of threads: the
// frame is cut into bands of rows, each band drawn by one thread in triangle file order.
// Once the first frame of a size is drawn, drawing again allocates nothing.
//
// It runs the stages in this order, each a class of its own:
//   Descarte         which groups of triangles may reach the screen at all (the clusters: the
//                    triangles are kept in a spatial order, OrdemEspacial);
//   EstagioVertices  where every point those name lands on the screen;
//   Classificacao    which bands of rows each triangle may draw in;
//   Sombreamento     what the points need for the shading (for Gouraud, their lit colours);
//   Rasterizador     each band: its triangles clipped where needed (Recorte), their covered
//                    pixels found exactly (Cobertura) and depth-tested (TesteProfundidade) into
//                    the band's winners (FaixaVisivel), then every pixel shaded once from its
//                    winner (Sombreamento);
//                    with the model's loose points (PontosTela) after the triangles'
//                    visibility and its lines (LinhasTela) after the shading, before the edges;
//   Agulhas          with the needles on, the normals' needles over the finished frame;
//   Acabamento       the picture the style asks for beyond today's: the frame of K x K samples a
//                    pixel, drawn by all of the above at K.W x K.H, averaged; eye-dome lighting
//                    over the finished frame's depths; the alpha of a picture with no background.
// On a mesh of at least Visibilidade::kMenosAglomerados clusters, the stages run twice: first
// for the runs of triangles seen in the last frame, whose depths then make a pyramid, then over
// that frame for the other runs on the screen that the pyramid does not show hidden
// (Visibilidade, Oclusao), shading only the pixels they win. A hidden run could not have won a
// pixel, and ties go to the lower number in the file whichever pass drew it, so the picture is
// the same bits. A model with loose points or lines is drawn in one pass: they are not in the
// runs, and the frustum alone culls its triangles.
class Renderizador {
public:
    using PosicaoExata = detail::PosicaoExata;

    // Draws `malha` (which must outlive this object) lit by `iluminacao` on `threads` threads,
    // the caller's included (0 means one per core), with Gouraud shading.
    Renderizador(const Malha& malha, const Iluminacao& iluminacao, int threads = 0);

    // Clears `quadro` to the style's background and depth 0 and draws the mesh seen from
    // `camera` through `projecao` into it. With the default headlight the light sits at the
    // camera's focus. The projection says where points land, the frame which pixels there are:
    // made for the same size they give the picture of that size (a different frame shows the
    // projection's screen cropped or bordered, never more). The first frame of a size
    // allocates, no other.
    //   The picture is the style's (Estilo): with K samples a pixel, the same view drawn into a
    //   frame of K.W x K.H through the projection with its screen K times larger (d, the window
    //   and the near plane unchanged), points of K.tamanhoPonto pixels and the eye-dome radius
    //   K.raioEdl, then averaged into `quadro` (Acabamento); `quadro` then keeps the picture's
    //   channels, as it does for a 24-bit or transparent picture, and its 16-bit colours their
    //   packing. `amostras` (1 to the style's K) overrides the style's K for this frame: a
    //   window moving the model draws at 1.
    //   With `buffers` (null for none), their depth, normals, triangles and parts are read from
    //   the same winners as the colours, each band's once it is drawn (RegistroBuffers), for
    //   what buffers->getPedido() names, at the frame's size (prepared by the caller: preparar
    //   at quadro's size). With K > 1 they are those of the frame drawn at one sample a pixel:
    //   that frame is drawn beside the samples' one for them, through the same projection, so
    //   that each buffer's pixel is its centre's winner.
    void desenhar(const Camera& camera, const Projecao& projecao, Quadro& quadro, int amostras = 0,
                  BuffersQuadro* buffers = nullptr);
    // The part of each triangle of the mesh, for the buffers' parts (`partes`, outliving this
    // object, empty for every triangle of part 0: the default).
    void usarPartes(const std::vector<std::uint32_t>& partes);

    // Whether the last frame drawn into `quadro` shows any pixel of the model: one a triangle or
    // a point won (its depth is no longer 0) or one a line wrote, in the frame of K x K samples
    // a pixel when it was drawn through one. Worked out when asked, over the whole frame, so
    // that drawing costs nothing more; the edges and the needles are not counted, the edges
    // being drawn only over triangles.
    [[nodiscard]] bool desenhouAlgo(const Quadro& quadro) const;

    // Number of threads that draw, the caller's included.
    int getQuantThreads() const;

    // The vertex stage's points, normals and numbering, for a shading mode to read.
    const EstagioVertices& getEstagioVertices() const;
    // Shades the frames from now on with `modo` (not null).
    void usarSombreamento(std::unique_ptr<Sombreamento> modo);
    // Draws the next frames lit by `nova` instead, in the mode and with the edges set
    // (setEstilo).
    void setIluminacao(const Iluminacao& nova);
    // Whether the stages may use AVX2 where the processor has it (they do unless told not to);
    // either way the pictures are the same bits.
    void permitirAvx2(bool permitir);
    // Whether groups of triangles found wholly off the screen skip the vertex stage and the
    // binning (they do unless told not to); either way the pictures are the same bits.
    void permitirDescarte(bool permitir);
    // Whether clusters found hidden behind what the frame already shows skip them too (they do
    // unless told not to, on meshes with enough clusters and with the culling above allowed);
    // either way the pictures are the same bits.
    void permitirOclusao(bool permitir);
    // What the last frame did with the clusters: null when it was drawn in one pass, without
    // the occlusion test.
    const Visibilidade::Contagem* getContagem() const;

    // The shading mode and the switches of the frames drawn from now on: Gouraud
    // (SombreamentoGouraud, or SombreamentoGouraudTextura for a mesh with textured triangles),
    // flat (SombreamentoPlano) or Phong (SombreamentoPhong) shading with the renderer's
    // lighting, with the mesh's own colours (CoresDaMalha) when it has a look of its own and
    // the colours are on, with the edges over it (SombreamentoComArestas), the needles over
    // everything (Agulhas), and the points' size. Gouraud with the mesh's colours, nothing over
    // it and points of Estilo::kPontoPadrao pixels until set; it replaces a mode given to
    // usarSombreamento when the mode, the edges or the colours change.
    void setEstilo(const Estilo& novo);
    const Estilo& getEstilo() const;

    // Draws one screen-space triangle into rows [linha0, linha1) of `quadro` as desenhar does:
    // each corner's (x, y) in pixels (less than Cobertura::kMaiorCoordenada from the origin),
    // its 1/cn and its colour (r, g, b). For tests and tools that work on the screen directly.
    static void desenharTriangulo(const Vetor& posicao0, double iz0, const Vetor& cor0,
                                  const Vetor& posicao1, double iz1, const Vetor& cor1,
                                  const Vetor& posicao2, double iz2, const Vetor& cor2, int linha0,
                                  int linha1, Quadro& quadro);

private:
    // desenhar at K = 1 for `tamanhoPonto` pixels a point: the stages into `quadro`, as set up
    // for the picture.
    void desenharQuadro(const Camera& camera, const Projecao& projecao, Quadro& quadro,
                        int tamanhoPonto, BuffersQuadro* buffers);
    // Makes the shading stage of the mode and the edges set, lit by `iluminacao`.
    void montarSombreamento();
    // The vertex stage for the groups of pontosPorGrupo points `gruposPontos` marks, then the
    // binning and the band lists of the groups of triangulosPorGrupo triangles `grupos` marks,
    // and the shading stage's points they name (null masks: every group).
    void prepararGrupos(const std::uint8_t* grupos, int triangulosPorGrupo,
                        const std::uint8_t* gruposPontos, int pontosPorGrupo,
                        const Camera& camera, const Projecao& projecao, double limite,
                        const Quadro& quadro);
    // Room for a band of `quadro` in every thread's scratch space, and a list of pieces per
    // band.
    void reservarFaixas(const Quadro& quadro);
    // desenhar in two phases, the culling prepared.
    void desenharEmDuasFases(const Camera& camera, const Projecao& projecao, double limite,
                             Quadro& quadro, BuffersQuadro* buffers);

    const Malha& malha;
    Iluminacao iluminacao;
    Trabalhadores trabalhadores;
    EstagioVertices vertices;
    Descarte descarte;
    Classificacao classificacao;
    Rasterizador rasterizador;
    // The mesh's own colours for the lighting set, while the mode uses them.
    std::unique_ptr<CoresDaMalha> cores;
    std::unique_ptr<Sombreamento> sombreamento;
    // One per thread: the band it is drawing; and per band, its clipped triangles' pieces.
    std::vector<FaixaVisivel> visiveis;
    std::vector<std::vector<FaixaVisivel::Peca>> pecas;
    Estilo estilo;
    // The needles, made for the first frame that draws them.
    std::optional<Agulhas> agulhas;
    // The model's loose points and lines, when it has any.
    std::optional<PontosTela> pontosTela;
    std::optional<LinhasTela> linhasTela;
    bool avx2 = true;
    bool descartar = true;
    // The two phases: the clusters (on a mesh with enough of them), per pixel the file's number
    // of phase 1's winner (-1 where none), and the point groups each phase works out.
    std::optional<Visibilidade> visibilidade;
    std::vector<std::int32_t> anteriores;
    std::vector<std::uint8_t> pontosPrimeira;
    std::vector<std::uint8_t> pontosFase;
    bool ocluir = true;
    bool duasFases = false;
    // The frame of K x K samples a pixel, made for the first picture that asks for it, and the
    // finishing step's scratch space.
    std::optional<Quadro> amostragem;
    Acabamento acabamento;
    // The samples a pixel of the last frame drawn.
    int amostrasUltimo = 1;
    // The buffers' reading of the winners, and the parts it gives; per pixel the loose point
    // that wins against the others, for the points' normals; the frame of one sample a pixel
    // the buffers of a frame of K > 1 are read from.
    const std::vector<std::uint32_t>* partes = nullptr;
    std::optional<RegistroBuffers> registro;
    std::vector<std::int32_t> vencedoresPontos;
    std::vector<double> profundidadesPontos;
    std::optional<Quadro> quadroBuffers;
};

}  // namespace gouraud::detail

#endif
