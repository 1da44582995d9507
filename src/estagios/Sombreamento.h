#ifndef GOURAUD_SOMBREAMENTO_H
#define GOURAUD_SOMBREAMENTO_H

#include <cstdint>

#include "Camera.h"
#include "FaixaVisivel.h"
#include "Projecao.h"
#include "Quadro.h"

namespace gouraud::detail {

// The shading stage, the last step of every band: each pixel's colour, worked out once, from the
// triangle that won it.
//   In:  per point of the vertex stage, what the mode needs (prepararPontos); per band, the
//        winners with their weights and 1/cn (FaixaVisivel), and each winner's corners: the
//        vertex stage's points for a whole triangle, the pieces' own corners for a clipped one,
//        whose attributes the clipping interpolated from the points' (getAtributos).
//   Out: the colour of every pixel of the band that has a winner (the others stay black).
// A shading mode is a class that implements it; the renderer calls it from several threads at
// once, for disjoint points and bands.
class Sombreamento {
public:
    virtual ~Sombreamento() = default;

    // How many attributes each point carries for the clipping, at most Recorte::kMaxAtributos.
    virtual int getQuantAtributos() const = 0;
    // Before every other call of a frame: the camera it is seen from.
    virtual void iniciar(const Camera& camera) = 0;
    // Right after iniciar: the projection the frame is seen through, for a mode that needs it
    // (by default, none does).
    virtual void usarProjecao(const Projecao& projecao);
    // Works out what points [inicio, fim) of the vertex stage need for this frame, where
    // marcas[k] is not 0: those that the triangles which may draw something name.
    virtual void prepararPontos(int inicio, int fim, const std::uint8_t* marcas) = 0;
    // The getQuantAtributos() attributes of point `ponto`, prepared by prepararPontos.
    virtual const double* getAtributos(int ponto) const = 0;
    // Colours the pixels of `faixa` that have a winner, in `quadro`.
    virtual void sombrear(const FaixaVisivel& faixa, Quadro& quadro) const = 0;
    // After sombrear and what is drawn over the shaded band (the model's lines): what the mode
    // draws over all of it from the winners, such as the edges (by default, nothing).
    virtual void sobrepor(const FaixaVisivel& faixa, Quadro& quadro) const;
    // Whether the mode may use AVX2 where the processor has it; the same bits either way.
    virtual void usarAvx2(bool permitir) = 0;

    // Three real channels, each floored to 0..255 (a NaN gives 0), as a frame takes them.
    struct Canais {
        int r;
        int g;
        int b;
    };
    static Canais canais(double r, double g, double b);
    // The 16-bit colour of three real channels, each floored to 0..255 (a NaN gives 0).
    static std::uint16_t empacotar(double r, double g, double b);
    // Writes pixel i of `linha` in the three real channels floored: the one place where a mode
    // puts a colour into the frame, packed and, when the frame keeps them, as 8-bit channels.
    static void pintar(const Quadro::Linha& linha, int i, const Canais& cor) {
        linha.pintar(i, cor.r, cor.g, cor.b);
    }
};

}  // namespace gouraud::detail

#endif
