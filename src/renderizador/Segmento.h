#ifndef GOURAUD_SEGMENTO_H
#define GOURAUD_SEGMENTO_H

#include <algorithm>
#include <cmath>

#include "Par.h"
#include "Projecao.h"
#include "Vetor.h"

namespace gouraud::detail {

// The pixels of a segment on the screen, as the normals' needles and the model's lines are drawn.
// With its ends (x0, y0) and (x1, y1) in pixels, dx = x1 - x0 and dy = y1 - y0: when
// |dx| >= |dy| > 0 or |dx| > 0 = dy, each column i whose centre i + 0.5 lies between x0 and x1
// gets the pixel (i, floor(y0 + (i + 0.5 - x0).dy/dx)); when |dy| > |dx|, each row j whose
// centre lies between y0 and y1 gets (floor(x0 + (j + 0.5 - y0).dx/dy), j). The pixel's 1/cn is
// iz0 + (i + 0.5 - x0).(iz1 - iz0)/dx (or the same along rows). A segment whose ends coincide has
// no pixel. Pixels outside the window drawn into (a frame, or a band of its rows) are skipped
// without being visited.
class Segmento {
public:
    // The pixels that may be drawn: columns [0, largura) of rows [linha0, linha1).
    struct Janela {
        int largura;
        int linha0;
        int linha1;
    };

    // The part in front of the near plane cn = zPerto of the segment between the camera-space
    // points a and b (cn in z), into `inicio` and `fim` (a cut end lies on the plane, found from
    // the end in front); false when both ends are behind it.
    static bool recortar(const Vetor& a, const Vetor& b, double zPerto, Vetor& inicio, Vetor& fim);

    // Calls pintor(i, j, iz) for every pixel of the segment from (x0, y0) with 1/cn iz0 to
    // (x1, y1) with iz1 inside `janela`, in order along the segment's longer axis; ends that are
    // not finite give none. `pintor` is copied, so the pointers it holds stay in registers.
    template <typename Pintor>
    static void tracar(double x0, double y0, double iz0, double x1, double y1, double iz1,
                       const Janela& janela, Pintor pintor);

private:
    // Below this magnitude (2^40) a coordinate interpolated between a segment's ends stays within
    // a pixel of the range between them, so a segment whose ends are both that far off one side
    // of the window can be passed over whole.
    static constexpr double kExtensaoConfiavel = 1099511627776.0;
    static constexpr double kMargem = 1.0;

    // The axes of one way of drawing: a along the steps, b across them, each with the window's
    // range [inicio, fim).
    struct Eixos {
        int inicioA;
        int fimA;
        int inicioB;
        int fimB;
    };

    // One pixel per step along the longer axis a (x for columns, y for rows), from the end
    // (a0, b0) with 1/cn z0 to (a1, b1) with z1: each k in the window whose centre k + 0.5 lies
    // between a0 and a1 gets b = b0 + (k + 0.5 - a0).(b1 - b0)/(a1 - a0) and the same for z, the
    // two in the lanes of one division. kVerificar checks each b against the window (and the
    // steps whose b falls outside it are first cut off by a search, b being monotonic in k);
    // without it the caller knows every b is inside.
    template <bool kColunas, bool kVerificar, typename Pintor>
    static void percorrer(double a0, double b0, double z0, double a1, double b1, double z1,
                          const Eixos& eixos, Pintor pintor);
    // Draws along the longer axis a, the other being b; the b of every step lies between b0 and
    // b1 up to rounding, so when both are a pixel inside the window no step checks.
    template <bool kColunas, typename Pintor>
    static void porEixo(double a0, double b0, double z0, double a1, double b1, double z1,
                        const Janela& janela, Pintor pintor);
};

template <bool kColunas, bool kVerificar, typename Pintor>
void Segmento::percorrer(double a0, double b0, double z0, double a1, double b1, double z1,
                         const Eixos& eixos, Pintor pintor) {
    const double menor = std::min(a0, a1);
    const double maior = std::max(a0, a1);
    const double inicio = std::max(menor, static_cast<double>(eixos.inicioA));
    const double fim = std::min(maior, static_cast<double>(eixos.fimA));
    if (!(inicio <= fim)) {
        return;
    }
    // Both are whole or not negative, and below the limit: conversion gives the floor.
    int primeiro = static_cast<int>(inicio);
    if (primeiro + 0.5 < menor) {
        ++primeiro;
    }
    int ultimo = std::min(static_cast<int>(fim), eixos.fimA - 1);
    if (ultimo + 0.5 > maior) {
        --ultimo;
    }
    const Par base(b0, z0);
    const Par passo(b1 - b0, z1 - z0);
    const Par divisor(a1 - a0);
    const double limiteB0 = eixos.inicioB;
    const double limiteB1 = eixos.fimB;
    if constexpr (kVerificar) {
        // Each operation giving b from k is monotonic, so the steps whose b lies in the window
        // are one run: found by halving, each step computed as the loop below computes it.
        const auto b = [&](int k) {
            return (base + Par((k + 0.5) - a0) * passo / divisor).lane(0);
        };
        const bool crescente = (passo.lane(0) >= 0.0) == (divisor.lane(0) >= 0.0);
        // The first step in [de, ate] from which `condicao` holds on, or ate + 1.
        const auto primeiroQue = [](int de, int ate, auto condicao) {
            while (de <= ate) {
                const int meio = de + (ate - de) / 2;
                if (condicao(meio)) {
                    ate = meio - 1;
                } else {
                    de = meio + 1;
                }
            }
            return de;
        };
        const bool confiavel =
            std::fabs(b0) < kExtensaoConfiavel && std::fabs(b1) < kExtensaoConfiavel &&
            std::fabs(a0) < kExtensaoConfiavel && std::fabs(a1) < kExtensaoConfiavel;
        if (confiavel && crescente) {
            primeiro = primeiroQue(primeiro, ultimo, [&](int k) { return b(k) >= limiteB0; });
            ultimo = primeiroQue(primeiro, ultimo, [&](int k) { return !(b(k) < limiteB1); }) - 1;
        } else if (confiavel) {
            primeiro = primeiroQue(primeiro, ultimo, [&](int k) { return b(k) < limiteB1; });
            ultimo = primeiroQue(primeiro, ultimo, [&](int k) { return !(b(k) >= limiteB0); }) - 1;
        }
    }
    double centro = primeiro + 0.5;
    for (int k = primeiro; k <= ultimo; ++k, centro += 1.0) {
        const Par valor = base + Par(centro - a0) * passo / divisor;
        const double b = valor.lane(0);
        if (kVerificar && !(b >= limiteB0 && b < limiteB1)) {
            continue;
        }
        const int m = static_cast<int>(b);
        pintor(kColunas ? k : m, kColunas ? m : k, valor.lane(1));
    }
}

template <bool kColunas, typename Pintor>
void Segmento::porEixo(double a0, double b0, double z0, double a1, double b1, double z1,
                       const Janela& janela, Pintor pintor) {
    const Eixos eixos = kColunas ? Eixos{0, janela.largura, janela.linha0, janela.linha1}
                                 : Eixos{janela.linha0, janela.linha1, 0, janela.largura};
    const double menorB = std::min(b0, b1);
    const double maiorB = std::max(b0, b1);
    if (menorB >= eixos.inicioB + kMargem && maiorB < eixos.fimB - kMargem) {
        percorrer<kColunas, false>(a0, b0, z0, a1, b1, z1, eixos, pintor);
    } else if (maiorB >= eixos.inicioB - kMargem && menorB < eixos.fimB + kMargem) {
        percorrer<kColunas, true>(a0, b0, z0, a1, b1, z1, eixos, pintor);
    } else if (std::fabs(menorB) >= kExtensaoConfiavel || std::fabs(maiorB) >= kExtensaoConfiavel) {
        // So far off that rounding may reach further than a pixel: every step checks.
        percorrer<kColunas, true>(a0, b0, z0, a1, b1, z1, eixos, pintor);
    }
}

template <typename Pintor>
void Segmento::tracar(double x0, double y0, double iz0, double x1, double y1, double iz1,
                      const Janela& janela, Pintor pintor) {
    if (!(std::isfinite(x0) && std::isfinite(y0) && std::isfinite(iz0) && std::isfinite(x1) &&
          std::isfinite(y1) && std::isfinite(iz1))) {
        return;
    }
    const double adx = std::fabs(x1 - x0);
    const double ady = std::fabs(y1 - y0);
    if (adx >= ady && adx > 0.0) {
        porEixo<true>(x0, y0, iz0, x1, y1, iz1, janela, pintor);
    } else if (ady > adx) {
        porEixo<false>(y0, x0, iz0, y1, x1, iz1, janela, pintor);
    }
}

}  // namespace gouraud::detail

#endif
