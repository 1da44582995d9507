#include "VistaPadrao.h"

#include <cmath>

namespace gouraud::detail {

namespace {

// The unit vector along a coordinate axis.
Vetor eixo(VistaPadrao::Cima cima) {
    using Cima = VistaPadrao::Cima;
    switch (cima) {
        case Cima::maisX:
            return Vetor(1, 0, 0);
        case Cima::menosX:
            return Vetor(-1, 0, 0);
        case Cima::maisY:
            return Vetor(0, 1, 0);
        case Cima::menosY:
            return Vetor(0, -1, 0);
        case Cima::maisZ:
            return Vetor(0, 0, 1);
        case Cima::menosZ:
            break;
    }
    return Vetor(0, 0, -1);
}

// The same vector with every -0 made +0, so that the axes print as they read; no other value
// changes.
Vetor semZeroNegativo(const Vetor& a) { return Vetor(a.x + 0.0, a.y + 0.0, a.z + 0.0); }

Vetor oposto(const Vetor& a) { return Vetor(0.0 - a.x, 0.0 - a.y, 0.0 - a.z); }

Vetor produtoVetorial(const Vetor& a, const Vetor& b) {
    return Vetor(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// Each component times the reciprocal of the length sqrt((x*x + y*y) + z*z).
Vetor unitario(const Vetor& a) {
    const double inverso = 1.0 / std::sqrt((a.x * a.x + a.y * a.y) + a.z * a.z);
    return Vetor(inverso * a.x, inverso * a.y, inverso * a.z);
}

}  // namespace

VistaPadrao VistaPadrao::calcular(Cima cima, Lado lado, const Ponto& centro, double diagonal) {
    const Vetor a = eixo(cima);
    const bool cimaEmZ = cima == Cima::maisZ || cima == Cima::menosZ;
    const Vetor frente = cimaEmZ ? Vetor(0, -1, 0) : Vetor(0, 0, 1);
    const Vetor direita = semZeroNegativo(produtoVetorial(a, frente));

    Vetor direcao = frente;
    Vetor v = a;
    switch (lado) {
        case Lado::frente:
            break;
        case Lado::direita:
            direcao = direita;
            break;
        case Lado::topo:
            direcao = a;
            v = oposto(frente);
            break;
        case Lado::iso:
            direcao = unitario(Vetor((frente.x + direita.x) + a.x, (frente.y + direita.y) + a.y,
                                     (frente.z + direita.z) + a.z));
            break;
    }
    // A model of one position (a single point) has no size to stand back from: the camera
    // stands 1.5 units away, where it can see it.
    const double distancia = kDiagonais * (diagonal > 0.0 ? diagonal : kUnidade);
    VistaPadrao vista;
    vista.n = oposto(direcao);
    vista.v = v;
    vista.foco = Ponto(centro.x + distancia * direcao.x, centro.y + distancia * direcao.y,
                       centro.z + distancia * direcao.z);
    return vista;
}

std::optional<VistaPadrao::Cima> VistaPadrao::lerCima(std::string_view nome) {
    static constexpr struct {
        std::string_view nome;
        Cima cima;
    } kNomes[] = {{"+x", Cima::maisX},  {"-x", Cima::menosX}, {"+y", Cima::maisY},
                  {"-y", Cima::menosY}, {"+z", Cima::maisZ},  {"-z", Cima::menosZ}};
    for (const auto& [texto, cima] : kNomes) {
        if (nome == texto) {
            return cima;
        }
    }
    return std::nullopt;
}

std::optional<VistaPadrao::Lado> VistaPadrao::lerLado(std::string_view nome) {
    static constexpr struct {
        std::string_view nome;
        Lado lado;
    } kNomes[] = {{"frente", Lado::frente},
                  {"direita", Lado::direita},
                  {"topo", Lado::topo},
                  {"iso", Lado::iso}};
    for (const auto& [texto, lado] : kNomes) {
        if (nome == texto) {
            return lado;
        }
    }
    return std::nullopt;
}

}  // namespace gouraud::detail
