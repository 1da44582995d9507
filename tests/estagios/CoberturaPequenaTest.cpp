// Small triangles decided from their coarse corners, one at a time (Cobertura::cobertosNaCaixa)
// and eight at a time in AVX2 lanes (BlocoCaixas), against the exact test pixel by pixel, on
// triangles made to put their edges and corners next to pixel centres.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "BlocoCaixas.h"
#include "Cobertura.h"

using namespace gouraud::detail;

namespace {

struct Canto {
    PosicaoGrossa grossa;
    PosicaoExata exata;
};

// A corner at (x, y) pixels as the vertex stage keeps it.
Canto canto(double x, double y) {
    return Canto{PosicaoGrossa{static_cast<std::int32_t>(std::floor(x * 256)),
                               static_cast<std::int32_t>(std::floor(y * 256))},
                 PosicaoExata{Cobertura::paraInteiro(x), Cobertura::paraInteiro(y)}};
}

// Random triangles of at most 3 pixels around (100, 50), half of them with an edge through, or
// within a few 2^-20 pixel of, a pixel centre, some of them flat.
std::vector<std::array<Canto, 3>> triangulos(int quantos) {
    std::mt19937_64 gerador(11);
    std::uniform_real_distribution<double> desvio(-1.4, 1.4);
    std::uniform_int_distribution<int> pequeno(-8, 8);
    std::vector<std::array<Canto, 3>> lista;
    for (int n = 0; n < quantos; ++n) {
        const double cx = 100.5 + desvio(gerador) * 0.3;
        const double cy = 50.5 + desvio(gerador) * 0.3;
        double x[3];
        double y[3];
        for (int k = 0; k < 3; ++k) {
            x[k] = cx + desvio(gerador);
            y[k] = cy + desvio(gerador);
        }
        if (n % 2 == 1) {
            // The third corner on the line from the first through the centre (100.5, 50.5),
            // then nudged.
            const double t = 1.0 + std::fabs(desvio(gerador));
            x[2] = x[0] + t * (100.5 - x[0]) + pequeno(gerador) * 0x1p-20;
            y[2] = y[0] + t * (50.5 - y[0]) + pequeno(gerador) * 0x1p-20;
            if (n % 6 == 1) {  // flat: all three corners on that line
                x[1] = x[0] + 0.5 * (x[2] - x[0]);
                y[1] = y[0] + 0.5 * (y[2] - y[0]);
            }
        }
        lista.push_back({canto(x[0], y[0]), canto(x[1], y[1]), canto(x[2], y[2])});
    }
    return lista;
}

// The box of candidates from the coarse corners, as the binning works it out.
struct Caixa {
    int i0, i1, j0, j1;
};
Caixa caixa(const std::array<Canto, 3>& t) {
    int menorX = t[0].grossa.x, maiorX = menorX, menorY = t[0].grossa.y, maiorY = menorY;
    for (const Canto& c : t) {
        menorX = std::min(menorX, c.grossa.x);
        maiorX = std::max(maiorX, c.grossa.x);
        menorY = std::min(menorY, c.grossa.y);
        maiorY = std::max(maiorY, c.grossa.y);
    }
    return Caixa{-((128 - menorX) >> 8), (maiorX - 128) >> 8, -((128 - menorY) >> 8),
                 (maiorY - 128) >> 8};
}

unsigned exatos(const std::array<Canto, 3>& t, const Caixa& c) {
    unsigned bits = 0;
    for (int j = c.j0; j <= std::min(c.j1, c.j0 + 1); ++j)
        for (int i = c.i0; i <= std::min(c.i1, c.i0 + 1); ++i)
            if (Cobertura::cobre(t[0].exata, t[1].exata, t[2].exata, i, j))
                bits |= 1U << (2 * (j - c.j0) + (i - c.i0));
    return bits;
}

TEST(CoberturaPequenaTest, CantosGrossosDecidemComoOTesteExato) {
    const std::vector<std::array<Canto, 3>> lista = triangulos(40000);
    int pequenos = 0;
    for (const auto& t : lista) {
        const Caixa c = caixa(t);
        if (c.i0 > c.i1 || c.j0 > c.j1 || c.i1 - c.i0 > 1 || c.j1 - c.j0 > 1) continue;
        ++pequenos;
        ASSERT_EQ(Cobertura::cobertosNaCaixa(t[0].grossa, t[1].grossa, t[2].grossa, t[0].exata,
                                             t[1].exata, t[2].exata, c.i0, c.j0, c.i1 - c.i0 + 1,
                                             c.j1 - c.j0 + 1),
                  exatos(t, c))
            << "triangle " << &t - lista.data();
    }
    EXPECT_GT(pequenos, 5000);
}

TEST(CoberturaPequenaTest, OitoDeUmaVezComoUmDeCadaVez) {
    if (!BlocoCaixas::disponivel()) GTEST_SKIP() << "no AVX2 on this processor";
    const std::vector<std::array<Canto, 3>> lista = triangulos(40000);
    std::vector<PosicaoGrossa> grossas;
    std::vector<std::int32_t> indices;
    for (const auto& t : lista)
        for (const Canto& c : t) {
            indices.push_back(static_cast<std::int32_t>(grossas.size()));
            grossas.push_back(c.grossa);
        }
    int pequenos = 0;
    BlocoCaixas bloco;
    for (std::size_t n = 0; n + 8 <= lista.size(); n += 8) {
        bloco.calcular(&indices[3 * n], grossas.data(), 640, 480);
        for (int k = 0; k < 8; ++k) {
            const auto& t = lista[n + static_cast<std::size_t>(k)];
            const auto u = static_cast<std::size_t>(k);
            const Caixa c = caixa(t);
            const bool vazia = std::max(0, c.i0) > std::min(639, c.i1) || c.j0 > c.j1;
            ASSERT_EQ((bloco.vivos >> k) & 1U, vazia ? 0U : 1U);
            if (vazia) continue;
            ASSERT_EQ(bloco.coluna0[u], c.i0);
            ASSERT_EQ(bloco.linha1[u], c.j1);
            if (((bloco.pequenos >> k) & 1U) == 0) {
                EXPECT_TRUE(c.i1 - c.i0 > 1 || c.j1 - c.j0 > 1);
                continue;
            }
            ++pequenos;
            const auto dentro = static_cast<unsigned>(bloco.dentro[u]);
            const auto duvida = static_cast<unsigned>(bloco.duvida[u]);
            const unsigned esperado = exatos(t, c);
            // Sure decisions are right; the candidates in doubt are the only others.
            ASSERT_EQ(dentro & ~esperado, 0U) << n + u;
            ASSERT_EQ(esperado & ~(dentro | duvida), 0U) << n + u;
        }
    }
    EXPECT_GT(pequenos, 5000);
}

}  // namespace
