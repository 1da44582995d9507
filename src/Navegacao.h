#ifndef GOURAUD_NAVEGACAO_H
#define GOURAUD_NAVEGACAO_H

#include "Camera.h"
#include "Ponto.h"
#include "VistaPadrao.h"

// Walking around a model: the camera of the file, turned about the model's centre, moved
// towards or away from it, and brought back. The projection settings are not its concern; the
// viewer keeps those of the file's view.
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

    // Degrees per turn and the fraction of the distance to the centre per step.
    static constexpr double kGrausPorPasso = 5.0;
    static constexpr double kFracaoPorPasso = 0.1;

    // Starts at `inicial`, turning about and moving along lines through `centro`, the centre of
    // the model's bounding box, whose diagonal is `diagonal`; `cima` is the model's up axis for
    // the four views.
    Navegacao(const Camera& inicial, const Ponto& centro, double diagonal = 0.0,
              VistaPadrao::Cima cima = VistaPadrao::Cima::maisY);

    // Applies one key's move. direita/esquerda turn about the line through the centre along V
    // and cima/baixo about the one along U, so that the model turns the way of the arrow: its
    // side facing the viewer moves right, left, up or down on screen. aproximar/afastar move the
    // focus 10 % of its distance to the centre nearer or further, restaurar gives back the
    // initial camera exactly. vistaFrente, vistaDireita, vistaTopo and vistaIso put the camera
    // at that view of VistaPadrao, exactly as a file holding its N, V and focus would.
    void aplicar(Acao acao);

    // The camera now.
    const Camera& getCamera() const;

private:
    Camera inicial;
    Camera atual;
    Ponto centro;
    double diagonal;
    VistaPadrao::Cima eixoCima;
};

#endif
