#include "Navegacao.h"

#include <cmath>

namespace gouraud::detail {

namespace {

// The camera of the view `lado` of the model.
Camera vista(VistaPadrao::Cima cima, VistaPadrao::Lado lado, const Ponto& centro, double diagonal) {
    const VistaPadrao padrao = VistaPadrao::calcular(cima, lado, centro, diagonal);
    return Camera::deEixos(padrao.n, padrao.v, padrao.foco);
}

}  // namespace

Navegacao::Navegacao(const Camera& inicial, const Ponto& centro, double diagonal,
                     VistaPadrao::Cima cima)
    : inicial(inicial),
      atual(inicial),
      centroInicial(centro),
      centro(centro),
      diagonal(diagonal),
      eixoCima(cima) {}

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
            centro = centroInicial;
            break;
        case Acao::vistaFrente:
            irParaVista(VistaPadrao::Lado::frente);
            break;
        case Acao::vistaDireita:
            irParaVista(VistaPadrao::Lado::direita);
            break;
        case Acao::vistaTopo:
            irParaVista(VistaPadrao::Lado::topo);
            break;
        case Acao::vistaIso:
            irParaVista(VistaPadrao::Lado::iso);
            break;
    }
}

void Navegacao::irParaVista(VistaPadrao::Lado lado) {
    // The view of the model, wherever a drag of the right button moved the centre.
    centro = centroInicial;
    atual = vista(eixoCima, lado, centro, diagonal);
}

void Navegacao::girarArrasto(int dx, int dy) {
    // A turn of 0 degrees would still make the axes unit length again and could change their
    // last bits, so an axis the drag did not move is left alone.
    if (dx != 0) {
        atual.girar(atual.v, -(kGrausPorPixel * dx), centro);
    }
    if (dy != 0) {
        atual.girar(atual.u, -(kGrausPorPixel * dy), centro);
    }
}

void Navegacao::deslocar(int dx, int dy, const Projecao& projecao) {
    if (dx == 0 && dy == 0) {
        return;
    }
    const Vetor c = atual.coordenadas(centro);
    double profundidade = c.z;
    if (!(profundidade > 0.0)) {
        profundidade = std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z);
    }
    if (!(profundidade > 0.0) || !std::isfinite(profundidade)) {
        return;
    }
    // xs grows by d/(cn.hx).W/2 per unit of cu and ys shrinks by d/(cn.hy).H/2 per unit of cv,
    // so the points at depth p move (dx, dy) when the camera moves the other way by this much.
    const double passoU = dx * 2.0 * projecao.hx * profundidade / (projecao.d * projecao.largura);
    const double passoV = dy * 2.0 * projecao.hy * profundidade / (projecao.d * projecao.altura);
    const Vetor movimento(-atual.u.x * passoU + atual.v.x * passoV,
                          -atual.u.y * passoU + atual.v.y * passoV,
                          -atual.u.z * passoU + atual.v.z * passoV);
    if (!std::isfinite(movimento.x) || !std::isfinite(movimento.y) || !std::isfinite(movimento.z)) {
        return;
    }
    atual.foco =
        Ponto(atual.foco.x + movimento.x, atual.foco.y + movimento.y, atual.foco.z + movimento.z);
    centro = Ponto(centro.x + movimento.x, centro.y + movimento.y, centro.z + movimento.z);
}

void Navegacao::setInicio(const Camera& novoInicial, const Ponto& novoCentro) {
    inicial = novoInicial;
    centroInicial = novoCentro;
}

void Navegacao::setInicio(const Camera& novoInicial, const Ponto& novoCentro, double novaDiagonal) {
    setInicio(novoInicial, novoCentro);
    diagonal = novaDiagonal;
}

const Camera& Navegacao::getCamera() const { return atual; }
const Ponto& Navegacao::getCentro() const { return centro; }

}  // namespace gouraud::detail
