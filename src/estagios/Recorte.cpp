#include "Recorte.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <type_traits>

#include "Cobertura.h"

namespace gouraud::detail {

namespace {

using Canto = Recorte::Canto;
using Poligono = Recorte::Poligono;

constexpr double kGuarda = Recorte::kGuarda;

static_assert(Quadro::kMaiorLado + 2 * kGuarda < Cobertura::kMaiorCoordenada,
              "the safe limit of the largest frame must fit the coverage's integer tests");
static_assert(Recorte::kLimiteMinimo < Cobertura::kMaiorCoordenada);

// Keeps the part of the polygon where dentro(corner) holds. A new corner on a cut edge is found
// from its inside end towards its outside end by `cortar(dentro, fora)`.
template <typename Dentro, typename Cortar>
void recortarPlano(Poligono& poligono, Dentro dentro, Cortar cortar) {
    Poligono saida;
    for (int k = 0; k < poligono.quant; ++k) {
        const Canto& atual = poligono.cantos[static_cast<std::size_t>(k)];
        const Canto& seguinte = poligono.cantos[static_cast<std::size_t>((k + 1) % poligono.quant)];
        const bool atualDentro = dentro(atual);
        const bool seguinteDentro = dentro(seguinte);
        if (atualDentro) {
            saida.cantos[static_cast<std::size_t>(saida.quant++)] = atual;
        }
        if (atualDentro != seguinteDentro) {
            saida.cantos[static_cast<std::size_t>(saida.quant++)] =
                atualDentro ? cortar(atual, seguinte) : cortar(seguinte, atual);
        }
    }
    poligono = saida;
}

bool finito(const Canto& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool seguro(const Canto& v, double limite) {
    return std::fabs(v.x) < limite && std::fabs(v.y) < limite;
}

// The corner between `dentro` and `fora` made by a cut: it lies on the edge between them.
Canto cantoNovo(const Canto& dentro, const Canto& fora) {
    Canto v{};
    v.origem = static_cast<std::uint8_t>(dentro.origem | fora.origem);
    return v;
}

// Near-plane clipping: in camera space position and attributes vary linearly along an edge.
Canto cortarNoPlano(const Canto& dentro, const Canto& fora, double zPerto, int quantAtributos) {
    const double t = (zPerto - dentro.z) / (fora.z - dentro.z);
    Canto v = cantoNovo(dentro, fora);
    v.x = dentro.x + t * (fora.x - dentro.x);
    v.y = dentro.y + t * (fora.y - dentro.y);
    v.z = zPerto;
    for (int k = 0; k < quantAtributos; ++k) {
        const auto c = static_cast<std::size_t>(k);
        v.atributos[c] = dentro.atributos[c] + t * (fora.atributos[c] - dentro.atributos[c]);
    }
    return v;
}

// Screen-side clipping against one side of the guard rectangle: along a screen edge 1/cn and
// attribute/cn vary linearly, so those are interpolated and the attribute recovered from them.
template <bool kEixoX>
Canto cortarNaTela(const Canto& dentro, const Canto& fora, double limite, int quantAtributos) {
    const double de = kEixoX ? dentro.x : dentro.y;
    const double fo = kEixoX ? fora.x : fora.y;
    const double s = (limite - de) / (fo - de);
    Canto v = cantoNovo(dentro, fora);
    v.x = kEixoX ? limite : dentro.x + s * (fora.x - dentro.x);
    v.y = kEixoX ? dentro.y + s * (fora.y - dentro.y) : limite;
    v.z = dentro.z + s * (fora.z - dentro.z);
    for (int k = 0; k < quantAtributos; ++k) {
        const auto c = static_cast<std::size_t>(k);
        const double d = dentro.atributos[c];
        const double f = fora.atributos[c];
        v.atributos[c] = (d * dentro.z + s * (f * fora.z - d * dentro.z)) / v.z;
    }
    return v;
}

}  // namespace

double Recorte::limiteSeguro(int largura, int altura) {
    return std::max(kLimiteMinimo, std::max(largura, altura) + 2 * kGuarda);
}

Recorte::Poligono Recorte::recortar(const Camera& camera, const Projecao& projecao, int largura,
                                    int altura, const Ponto& p0, const Ponto& p1, const Ponto& p2,
                                    const double* atributos0, const double* atributos1,
                                    const double* atributos2, int quantAtributos) {
    const auto canto = [&camera, quantAtributos](const Ponto& p, const double* atributos) {
        const Vetor c = camera.coordenadas(p);
        Canto v{c.x, c.y, c.z, {}, 0};
        for (int k = 0; k < quantAtributos; ++k) {
            v.atributos[static_cast<std::size_t>(k)] = atributos[k];
        }
        return v;
    };
    return recortar(canto(p0, atributos0), canto(p1, atributos1), canto(p2, atributos2),
                    quantAtributos, projecao, largura, altura);
}

Recorte::Poligono Recorte::recortar(const Canto& a, const Canto& b, const Canto& c,
                                    int quantAtributos, const Projecao& projecao, int largura,
                                    int altura) {
    const double limite = limiteSeguro(largura, altura);
    const int atributos = std::clamp(quantAtributos, 0, kMaxAtributos);
    Poligono p;
    p.cantos[0] = a;
    p.cantos[1] = b;
    p.cantos[2] = c;
    for (int k = 0; k < 3; ++k) {
        p.cantos[static_cast<std::size_t>(k)].origem = static_cast<std::uint8_t>(1U << k);
    }
    p.quant = 3;
    for (int k = 0; k < p.quant; ++k) {
        if (!finito(p.cantos[static_cast<std::size_t>(k)])) {
            return Poligono{};
        }
    }
    // Near plane, in camera space.
    const double zPerto = projecao.zPerto;
    recortarPlano(
        p, [zPerto](const Canto& v) { return v.z >= zPerto; },
        [zPerto, atributos](const Canto& dentro, const Canto& fora) {
            return cortarNoPlano(dentro, fora, zPerto, atributos);
        });
    bool todosSeguros = true;
    for (int k = 0; k < p.quant; ++k) {
        Canto& v = p.cantos[static_cast<std::size_t>(k)];
        v.x = projecao.xTela(v.x, v.z);
        v.y = projecao.yTela(v.y, v.z);
        v.z = 1.0 / v.z;
        if (!finito(v)) {
            return Poligono{};
        }
        todosSeguros = todosSeguros && seguro(v, limite);
    }
    if (todosSeguros) {
        return p;
    }
    constexpr double kEsquerda = -kGuarda;
    const double direita = largura + kGuarda;
    constexpr double kTopo = -kGuarda;
    const double base = altura + kGuarda;
    const auto lado = [&p, atributos](auto dentro, auto eixoX, double limite) {
        recortarPlano(p, dentro, [limite, atributos](const Canto& d, const Canto& f) {
            return cortarNaTela<decltype(eixoX)::value>(d, f, limite, atributos);
        });
    };
    lado([](const Canto& v) { return v.x >= kEsquerda; }, std::true_type{}, kEsquerda);
    lado([direita](const Canto& v) { return v.x <= direita; }, std::true_type{}, direita);
    lado([](const Canto& v) { return v.y >= kTopo; }, std::false_type{}, kTopo);
    lado([base](const Canto& v) { return v.y <= base; }, std::false_type{}, base);
    for (int k = 0; k < p.quant; ++k) {
        const Canto& v = p.cantos[static_cast<std::size_t>(k)];
        if (!finito(v) || !seguro(v, limite)) {
            return Poligono{};
        }
    }
    return p;
}

}  // namespace gouraud::detail
