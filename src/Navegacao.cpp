#include "Navegacao.h"

namespace {

// The camera of the view `lado` of the model.
Camera vista(VistaPadrao::Cima cima, VistaPadrao::Lado lado, const Ponto& centro, double diagonal) {
    const VistaPadrao padrao = VistaPadrao::calcular(cima, lado, centro, diagonal);
    return Camera::deEixos(padrao.n, padrao.v, padrao.foco);
}

}  // namespace

Navegacao::Navegacao(const Camera& inicial, const Ponto& centro, double diagonal,
                     VistaPadrao::Cima cima)
    : inicial(inicial), atual(inicial), centro(centro), diagonal(diagonal), eixoCima(cima) {}

void Navegacao::aplicar(Acao acao) {
    switch (acao) {
        case Acao::direita:
            atual.girar(atual.v, -kGrausPorPasso, centro);
            break;
        case Acao::esquerda:
            atual.girar(atual.v, kGrausPorPasso, centro);
            break;
        case Acao::cima:
            atual.girar(atual.u, kGrausPorPasso, centro);
            break;
        case Acao::baixo:
            atual.girar(atual.u, -kGrausPorPasso, centro);
            break;
        case Acao::aproximar:
            atual.aproximar(1.0 - kFracaoPorPasso, centro);
            break;
        case Acao::afastar:
            atual.aproximar(1.0 + kFracaoPorPasso, centro);
            break;
        case Acao::restaurar:
            atual = inicial;
            break;
        case Acao::vistaFrente:
            atual = vista(eixoCima, VistaPadrao::Lado::frente, centro, diagonal);
            break;
        case Acao::vistaDireita:
            atual = vista(eixoCima, VistaPadrao::Lado::direita, centro, diagonal);
            break;
        case Acao::vistaTopo:
            atual = vista(eixoCima, VistaPadrao::Lado::topo, centro, diagonal);
            break;
        case Acao::vistaIso:
            atual = vista(eixoCima, VistaPadrao::Lado::iso, centro, diagonal);
            break;
    }
}

const Camera& Navegacao::getCamera() const { return atual; }
