#include "Navegacao.h"

Navegacao::Navegacao(const Camera& inicial, const Ponto& centro)
    : inicial(inicial), atual(inicial), centro(centro) {}

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
    }
}

const Camera& Navegacao::getCamera() const { return atual; }
