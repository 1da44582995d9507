// The lighting of four vertices at once in AVX2 lanes gives each lane the bits of one at a time.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "Iluminacao.h"

using namespace gouraud::detail;

namespace {

TEST(IluminacaoTest, QuatroVerticesDeUmaVezDaoOsMesmosBitsQueUmDeCadaVez) {
    if (!Iluminacao::quatroDisponivel()) GTEST_SKIP() << "no AVX2 on this processor";
    std::mt19937_64 gerador(13);
    std::uniform_real_distribution<double> coordenada(-3, 3);
    const auto ponto = [&] {
        return Ponto(coordenada(gerador), coordenada(gerador), coordenada(gerador));
    };
    // A whole exponent (squared and multiplied), none, and one that is not whole (pow).
    for (const double eta : {16.0, 0.0, 2.5}) {
        Iluminacao luz;
        luz.eta = eta;
        for (int i = 0; i < 2000; ++i) {
            const Ponto foco = i % 5 == 0 ? Ponto(0, 0, 0) : ponto();
            const Ponto posicaoLuz = i % 2 == 0 ? foco : ponto();
            double px[4], py[4], pz[4], nx[4], ny[4], nz[4], r[4], g[4], b[4];
            bool tem[4];
            for (int k = 0; k < 4; ++k) {
                const Ponto p = (i + k) % 7 == 0 ? foco : ponto();  // one at the focus itself
                const Ponto a = ponto();
                const double inverso = 1 / std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
                px[k] = p.x, py[k] = p.y, pz[k] = p.z;
                nx[k] = a.x * inverso, ny[k] = a.y * inverso, nz[k] = a.z * inverso;
                tem[k] = (i + k) % 3 != 0;
            }
            luz.corDeQuatro(px, py, pz, nx, ny, nz, tem, foco, posicaoLuz, r, g, b);
            for (int k = 0; k < 4; ++k) {
                const Vetor normal(nx[k], ny[k], nz[k]);
                const Vetor cor = luz.corDoVertice(Ponto(px[k], py[k], pz[k]),
                                                   tem[k] ? &normal : nullptr, foco, posicaoLuz);
                ASSERT_EQ(std::bit_cast<std::uint64_t>(r[k]), std::bit_cast<std::uint64_t>(cor.x));
                ASSERT_EQ(std::bit_cast<std::uint64_t>(g[k]), std::bit_cast<std::uint64_t>(cor.y));
                ASSERT_EQ(std::bit_cast<std::uint64_t>(b[k]), std::bit_cast<std::uint64_t>(cor.z));
            }
        }
    }
}

}  // namespace
