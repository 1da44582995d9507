#ifndef GOURAUD_NAVEGACAO_H
#define GOURAUD_NAVEGACAO_H

#include "Camera.h"
#include "Ponto.h"
#include "Projecao.h"
#include "VistaPadrao.h"

namespace gouraud::detail {

// Walking around a model: the camera of the starting view, turned about a centre (at first the
// model's), moved towards or away from it, moved with that centre parallel to the screen, put at
// one of the model's default views, and brought back. The projection settings are not its
// concern: the viewer keeps those of the starting view, and frames a default view anew.
class Navegacao {
public:
    // What a key asks for.
    enum class Acao {
        direita,
        esquerda,
        cima,
        baixo,
        aproximar,
        afastar,
        restaurar,
        vistaFrente,
        vistaDireita,
        vistaTopo,
        vistaIso
    };

    // Degrees per turn, the fraction of the distance to the centre per step, and degrees per
    // pixel of a drag.
    static constexpr double kGrausPorPasso = 5.0;
    static constexpr double kFracaoPorPasso = 0.1;
    static constexpr double kGrausPorPixel = 0.5;

    // Starts at `inicial`, turning about and moving along lines through `centro`, the centre of
    // the model's bounding box, whose diagonal is `diagonal`; `cima` is the model's up axis for
    // the four views.
    Navegacao(const Camera& inicial, const Ponto& centro, double diagonal = 0.0,
              VistaPadrao::Cima cima = VistaPadrao::Cima::maisY);

    // Applies one key's move. direita/esquerda turn about the line through the centre along V
    // and cima/baixo about the one along U, so that the model turns the way of the arrow: its
    // side facing the viewer moves right, left, up or down on screen. aproximar/afastar move the
    // focus 10 % of its distance to the centre nearer or further, restaurar gives back the
    // initial camera and centre exactly. vistaFrente, vistaDireita, vistaTopo and vistaIso put
    // the camera at that view of VistaPadrao for the model's centre and diagonal, exactly as a
    // file holding its N, V and focus would, and turn about the model's centre again.
    void aplicar(Acao acao);

    // Turns as a drag of dx pixels right and dy pixels down does: first -0.5 dx degrees about
    // the line through the centre along V (so 10 pixels right is exactly one direita), then
    // -0.5 dy degrees about the one along the new U (10 pixels down is exactly one baixo). A
    // component that is 0 turns nothing.
    void girarArrasto(int dx, int dy);

    // Moves the focus and the centre together parallel to the screen so that a point at the
    // centre's depth, drawn through `projecao` (W x H pixels), moves dx pixels right and dy
    // pixels down: the focus goes by -U.(dx.2.hx.p/(d.W)) + V.(dy.2.hy.p/(d.H)), p the centre's
    // depth N.(centro - foco), or its distance from the focus when it is not in front. Nothing
    // moves when that is not a positive finite number.
    void deslocar(int dx, int dy, const Projecao& projecao);

    // Makes `inicial` and `centro` what restaurar gives back, leaving the view as it is; the
    // views keep the diagonal they had.
    void setInicio(const Camera& inicial, const Ponto& centro);
    // The same for a new model whose bounding box has the diagonal `diagonal`, for the views.
    void setInicio(const Camera& inicial, const Ponto& centro, double diagonal);

    // The camera now.
    const Camera& getCamera() const;
    // The point it turns about now.
    const Ponto& getCentro() const;

private:
    // Puts the camera at the view `lado` of the model and the centre back at the model's.
    void irParaVista(VistaPadrao::Lado lado);

    Camera inicial;
    Camera atual;
    Ponto centroInicial;
    Ponto centro;
    double diagonal;
    VistaPadrao::Cima eixoCima;
};

}  // namespace gouraud::detail

#endif
