#include "Recorte.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "Cobertura.h"

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

// Screen-side clipping against one side of the guard rectangle: along a screen edge 1/cn and
// colour/cn vary linearly, so those are interpolated and the colour recovered from them.
template <bool kEixoX>
Canto cortarNaTela(const Canto& dentro, const Canto& fora, double limite) {
    const double de = kEixoX ? dentro.x : dentro.y;
    const double fo = kEixoX ? fora.x : fora.y;
    const double s = (limite - de) / (fo - de);
    Canto v;
    v.x = kEixoX ? limite : dentro.x + s * (fora.x - dentro.x);
    v.y = kEixoX ? dentro.y + s * (fora.y - dentro.y) : limite;
    v.z = dentro.z + s * (fora.z - dentro.z);
    v.r = (dentro.r * dentro.z + s * (fora.r * fora.z - dentro.r * dentro.z)) / v.z;
    v.g = (dentro.g * dentro.z + s * (fora.g * fora.z - dentro.g * dentro.z)) / v.z;
    v.b = (dentro.b * dentro.z + s * (fora.b * fora.z - dentro.b * dentro.z)) / v.z;
    return v;
}

}  // namespace

double Recorte::limiteSeguro(int largura, int altura) {
    return std::max(kLimiteMinimo, std::max(largura, altura) + 2 * kGuarda);
}

VerticeTela Recorte::paraTela(const Canto& v) { return VerticeTela{v.x, v.y, v.z, v.r, v.g, v.b}; }

Recorte::Poligono Recorte::recortar(const Camera& camera, const Projecao& projecao, int largura,
                                    int altura, const Ponto& p0, const Ponto& p1, const Ponto& p2,
                                    const VerticeTela& v0, const VerticeTela& v1,
                                    const VerticeTela& v2) {
    const auto canto = [&camera](const Ponto& p, const VerticeTela& v) {
        const Vetor c = camera.coordenadas(p);
        return Canto{c.x, c.y, c.z, v.r, v.g, v.b};
    };
    return recortar(canto(p0, v0), canto(p1, v1), canto(p2, v2), projecao, largura, altura);
}

Recorte::Poligono Recorte::recortar(const Canto& a, const Canto& b, const Canto& c,
                                    const Projecao& projecao, int largura, int altura) {
    const double limite = limiteSeguro(largura, altura);
    Poligono p;
    p.cantos[0] = a;
    p.cantos[1] = b;
    p.cantos[2] = c;
    p.quant = 3;
    for (int k = 0; k < p.quant; ++k) {
        if (!finito(p.cantos[static_cast<std::size_t>(k)])) {
            return Poligono{};
        }
    }
    // Near plane, in camera space, where colours vary linearly along an edge.
    const double zPerto = projecao.zPerto;
    recortarPlano(
        p, [zPerto](const Canto& v) { return v.z >= zPerto; },
        [zPerto](const Canto& dentro, const Canto& fora) {
            const double t = (zPerto - dentro.z) / (fora.z - dentro.z);
            return Canto{dentro.x + t * (fora.x - dentro.x),
                         dentro.y + t * (fora.y - dentro.y),
                         zPerto,
                         dentro.r + t * (fora.r - dentro.r),
                         dentro.g + t * (fora.g - dentro.g),
                         dentro.b + t * (fora.b - dentro.b)};
        });
    bool todosSeguros = true;
    for (int k = 0; k < p.quant; ++k) {
        Canto& v = p.cantos[static_cast<std::size_t>(k)];
        v = Canto{projecao.xTela(v.x, v.z), projecao.yTela(v.y, v.z), 1.0 / v.z, v.r, v.g, v.b};
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
    recortarPlano(
        p, [](const Canto& v) { return v.x >= kEsquerda; },
        [](const Canto& d, const Canto& f) { return cortarNaTela<true>(d, f, kEsquerda); });
    recortarPlano(
        p, [direita](const Canto& v) { return v.x <= direita; },
        [direita](const Canto& d, const Canto& f) { return cortarNaTela<true>(d, f, direita); });
    recortarPlano(
        p, [](const Canto& v) { return v.y >= kTopo; },
        [](const Canto& d, const Canto& f) { return cortarNaTela<false>(d, f, kTopo); });
    recortarPlano(
        p, [base](const Canto& v) { return v.y <= base; },
        [base](const Canto& d, const Canto& f) { return cortarNaTela<false>(d, f, base); });
    for (int k = 0; k < p.quant; ++k) {
        const Canto& v = p.cantos[static_cast<std::size_t>(k)];
        if (!finito(v) || !seguro(v, limite)) {
            return Poligono{};
        }
    }
    return p;
}
