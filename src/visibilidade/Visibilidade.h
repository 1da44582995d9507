#ifndef GOURAUD_VISIBILIDADE_H
#define GOURAUD_VISIBILIDADE_H

#include <cstdint>
#include <vector>

#include "Aglomerados.h"
#include "Camera.h"
#include "EstagioVertices.h"
#include "FaixaVisivel.h"
#include "Piramide.h"
#include "Projecao.h"
#include "Trabalhadores.h"

namespace gouraud::detail {

// Which runs of triangles (Aglomerados::kPorTrecho of them, 8 to a cluster) a frame draws, in
// two phases, and which ones it saw.
//   Phase 1: of the clusters the culling keeps on the screen, the runs whose triangles won a
//            pixel of the last frame drawn; on a first frame, or when at most half of those are
//            still on the screen (the view turned away), also every run of the nearer half of
//            the clusters on the screen, by the least cn of their box's corners. The frame
//            draws them and builds its depth pyramid.
//   Phase 2: every other run on the screen, tested against the pyramid (Oclusao) by its
//            cluster's box and, when that is not hidden, by its own; the frame draws those that
//            could show.
// The runs that won a pixel in either phase are marked, for the next frame's first phase. A
// wrong guess (the view turned, jumped or zoomed) costs time, never a pixel: phase 2 draws
// whatever phase 1 did not hide.
class Visibilidade {
public:
    // Meshes with fewer clusters than this are drawn in one pass: too little to leave out.
    static constexpr int kMenosAglomerados = 32;
    // The points a phase works out are chosen in groups of this many points of the vertex
    // stage: a cluster's triangles name its own points and a few of its neighbours'.
    static constexpr int kPontosPorGrupo = 64;

    // What the last frame did with the clusters: how many there are, drew a run in phase 1,
    // drew a run at all, drew none for lying off the frame, drew none for being hidden.
    struct Contagem {
        int aglomerados = 0;
        int primeiraFase = 0;
        int desenhados = 0;
        int foraDoQuadro = 0;
        int ocultos = 0;
    };

    // The clusters of `vertices`' triangles (which must outlive this), worked out once on
    // `trabalhadores`' threads.
    Visibilidade(const EstagioVertices& vertices, Trabalhadores& trabalhadores);

    // Number of runs of triangles: run r is triangles [r kPorTrecho, (r + 1) kPorTrecho) of the
    // vertex stage.
    int getQuantTrechos() const;
    // Phase 1 of a frame seen from `camera`: 1 for each run to draw first, among the clusters
    // `vivos` marks (the culling's groups of triangles, which are the clusters).
    const std::uint8_t* primeiraFase(const std::uint8_t* vivos, const Camera& camera);
    // The depth pyramid of the frame, for phase 1's bands to build and complete.
    Piramide& getPiramide();
    // Phase 2, the pyramid built from phase 1's frame of largura x altura seen from `camera`
    // through `projecao`: 1 for each run of the clusters `vivos` marks that phase 1 did not
    // draw and that the occlusion test keeps. Tested on `trabalhadores`' threads.
    const std::uint8_t* segundaFase(const std::uint8_t* vivos, const Camera& camera,
                                    const Projecao& projecao, int largura, int altura,
                                    Trabalhadores& trabalhadores);
    // Whether segundaFase chose any run.
    bool temSegundaFase() const;
    // pontos[p] = 1 for each group p of kPontosPorGrupo points of the vertex stage that a run r
    // with trechos[r] not 0 names, and 0 for the others (and when `exceto` is not null, 0 for
    // the groups where exceto[p] is not 0, already worked out).
    void marcarPontos(const std::uint8_t* trechos, const std::uint8_t* exceto,
                      std::vector<std::uint8_t>& pontos) const;
    // Marks the runs of `faixa`'s winners as seen, and with `numeros` writes there, per pixel
    // of the band's rows (row by row), the file's number of its winner or -1 where none; from
    // any thread, for disjoint bands.
    void marcarVistos(const FaixaVisivel& faixa, std::int32_t* numeros);
    // Ends the frame: the runs seen are the next frame's first phase.
    void encerrarQuadro();
    // Forgets the frames drawn: the next one is a first frame.
    void esquecer();

    // The last frame's counts (all 0 before the first).
    const Contagem& getContagem() const;

private:
    // The bits, one per run of cluster g (bit k for its run k), of the runs `marcas` marks.
    unsigned trechosDe(const std::vector<std::uint8_t>& marcas, int g) const;

    const EstagioVertices& vertices;
    Aglomerados aglomerados;
    Piramide piramide;
    // Per triangle of the file, its position in the vertex stage's order.
    std::vector<std::int32_t> posicoes;
    // The point groups run r names: grupos[inicioGrupos[r] .. inicioGrupos[r + 1]).
    std::vector<std::int32_t> inicioGrupos;
    std::vector<std::int32_t> grupos;
    // Per run: phase 1's and phase 2's choice, seen this frame, seen in the last one.
    std::vector<std::uint8_t> primeira;
    std::vector<std::uint8_t> segunda;
    std::vector<std::uint8_t> vistos;
    std::vector<std::uint8_t> vistosAntes;
    // The least cn of the box of each cluster on the screen, for a first frame's choice.
    std::vector<double> distancias;
    // Per task of segundaFase, its counts of clusters drawn, off the frame and hidden.
    std::vector<Contagem> contagensTarefas;
    bool primeiroQuadro = true;
    bool algumaSegunda = false;
    Contagem contagem;
};

}  // namespace gouraud::detail

#endif
