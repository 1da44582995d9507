// The clipping stage on its own: the near plane, the guard rectangle, corners shared by
// neighbours, and what cannot be seen.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "Cobertura.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Recorte.h"

using namespace gouraud::detail;

namespace {

using Canto = Recorte::Canto;

// A corner with three attributes, as a colour.
Canto canto(double x, double y, double z, double r, double g, double b) {
    return Canto{x, y, z, {r, g, b}, 0};
}

// d = 1, hx = 1, hy = 0.75: a camera point (cu, cv, cn) lands at ((cu/cn) + 1) 320 and
// (1 - (cv/cn) / 0.75) 240.
Projecao projecao() {
    Projecao p;
    p.d = 1;
    p.hx = 1;
    p.hy = 0.75;
    p.zPerto = 0.1;
    return p;
}

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

Recorte::Poligono recortar(const Canto& a, const Canto& b, const Canto& c) {
    return Recorte::recortar(a, b, c, 3, projecao(), 640, 480);
}

TEST(RecorteTest, TrianguloVisivelSoEProjetado) {
    const Recorte::Poligono p = recortar(canto(0, 0, 1, 10, 20, 30), canto(1, 0, 2, 40, 50, 60),
                                         canto(0, -0.75, 1, 70, 80, 90));
    ASSERT_EQ(p.quant, 3);
    EXPECT_EQ(p.cantos[0].x, 320);
    EXPECT_EQ(p.cantos[0].y, 240);
    EXPECT_EQ(p.cantos[1].x, 480);  // (1/2 + 1) 320
    EXPECT_EQ(p.cantos[1].z, 0.5);  // 1/cn
    EXPECT_EQ(p.cantos[2].y, 480);
    EXPECT_EQ(p.cantos[2].atributos[0], 70);
}

TEST(RecorteTest, PlanoPertoCortaNasArestasComCoresLineares) {
    // c is behind the camera: b -> c and a -> c are cut at cn = 0.1, 0.45 of the way from their
    // inside ends, positions and colours interpolated linearly in camera space.
    const Recorte::Poligono p =
        recortar(canto(0, 0, 1, 0, 0, 0), canto(1, 0, 1, 0, 0, 0), canto(0, 0, -1, 200, 100, 50));
    ASSERT_EQ(p.quant, 4);
    const double t = (0.1 - 1.0) / (-1.0 - 1.0);
    const Canto& deB = p.cantos[2];
    const Canto& deA = p.cantos[3];
    EXPECT_EQ(deB.x, ((1 + t * (0 - 1)) / 0.1 + 1) * 640 / 2);
    EXPECT_EQ(deA.x, 320);
    // Each made corner lies between the two ends of its edge; the other two are corners a, b.
    EXPECT_EQ(p.cantos[0].origem, 1);
    EXPECT_EQ(p.cantos[1].origem, 2);
    EXPECT_EQ(deB.origem, 2 | 4);
    EXPECT_EQ(deA.origem, 1 | 4);
    for (const Canto& c : {deB, deA}) {
        EXPECT_EQ(c.z, 1 / 0.1);
        EXPECT_EQ(c.y, 240);
        EXPECT_EQ(c.atributos[0], t * 200);
        EXPECT_EQ(c.atributos[1], t * 100);
        EXPECT_EQ(c.atributos[2], t * 50);
    }
    // All three behind, or a corner not finite: nothing.
    EXPECT_LT(
        recortar(canto(0, 0, 0.05, 0, 0, 0), canto(1, 0, -1, 0, 0, 0), canto(0, 1, 0.09, 0, 0, 0))
            .quant,
        3);
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    EXPECT_LT(recortar(canto(0, 0, 1, 0, 0, 0), canto(kNaN, 0, 1, 0, 0, 0), canto(0, 1, 1, 0, 0, 0))
                  .quant,
              3);
}

TEST(RecorteTest, VizinhosGanhamOMesmoCantoNaArestaComum) {
    // Two triangles share the edge b c that the near plane cuts, walking it in opposite
    // directions: the corner made on it must be the same bits for both, or a crack opens.
    const Canto a = canto(-0.3, 0.2, 0.9, 10, 20, 30);
    const Canto b = canto(0.1, -0.2, 0.7, 200, 30, 7);
    const Canto c = canto(0.17, 0.33, -0.61, 3, 140, 250);
    const Canto d = canto(0.5, 0.1, 0.8, 90, 90, 90);
    const Recorte::Poligono p = recortar(a, b, c);
    const Recorte::Poligono q = recortar(c, b, d);
    ASSERT_EQ(p.quant, 4);
    ASSERT_EQ(q.quant, 4);
    // The corner on b c: at 0.6 / 1.31 of the way from b, so its red is near 109.8 (the one on
    // a c is near 7, the one on d c near 47).
    const double r = b.atributos[0] + (0.6 / 1.31) * (c.atributos[0] - b.atributos[0]);
    const auto noPlano = [r](const Recorte::Poligono& poligono) {
        for (int k = 0; k < poligono.quant; ++k) {
            const Canto& canto = poligono.cantos[static_cast<std::size_t>(k)];
            if (canto.z == 1 / 0.1 && std::fabs(canto.atributos[0] - r) < 1) return canto;
        }
        ADD_FAILURE() << "no corner on the near plane with red " << r;
        return Canto{};
    };
    const Canto deP = noPlano(p);
    const Canto deQ = noPlano(q);
    for (const auto& [u, v] : {std::pair{deP.x, deQ.x},
                               {deP.y, deQ.y},
                               {deP.atributos[0], deQ.atributos[0]},
                               {deP.atributos[1], deQ.atributos[1]},
                               {deP.atributos[2], deQ.atributos[2]}}) {
        EXPECT_EQ(bits(u), bits(v));
    }
}

TEST(RecorteTest, RetanguloDeGuardaLimitaOsCantosDistantes) {
    // b lands 32,000 pixels to the right: the triangle is cut at x = 640 + 1024, where 1/cn and
    // colour/cn are interpolated along the screen edge.
    const Recorte::Poligono p = recortar(canto(0, 0, 1, 0, 0, 0), canto(100, 0, 1, 100, 100, 100),
                                         canto(0, 0.75, 1, 0, 0, 0));
    ASSERT_GE(p.quant, 3);
    bool naBorda = false;
    for (int k = 0; k < p.quant; ++k) {
        const Canto& c = p.cantos[static_cast<std::size_t>(k)];
        EXPECT_LT(std::fabs(c.x), Recorte::kLimiteMinimo);
        EXPECT_LT(std::fabs(c.y), Recorte::kLimiteMinimo);
        EXPECT_LE(c.x, 640 + Recorte::kGuarda);
        if (c.x == 640 + Recorte::kGuarda && c.y == 240) {
            naBorda = true;
            const double s = (1664.0 - 320.0) / (32320.0 - 320.0);
            EXPECT_DOUBLE_EQ(c.atributos[0], s * 100);
            EXPECT_EQ(c.z, 1);
        }
    }
    EXPECT_TRUE(naBorda);
    // Far off on every side at once, around the whole screen: what is left is the guard
    // rectangle itself, on the default frame and on the largest, whose corners must still fit
    // the coverage's integer tests.
    for (const int lado : {0, Quadro::kMaiorLado}) {
        Projecao p = projecao();
        p.largura = lado == 0 ? 640 : lado;
        p.altura = lado == 0 ? 480 : lado;
        const Recorte::Poligono enorme =
            Recorte::recortar(canto(-1e6, -1e6, 1, 0, 0, 0), canto(1e6, -1e6, 1, 0, 0, 0),
                              canto(0, 1e6, 1, 0, 0, 0), 3, p, p.largura, p.altura);
        ASSERT_EQ(enorme.quant, 4);
        const double limite = Recorte::limiteSeguro(p.largura, p.altura);
        EXPECT_LT(limite, Cobertura::kMaiorCoordenada);
        double maiorX = -limite;
        double maiorY = -limite;
        for (int k = 0; k < enorme.quant; ++k) {
            const Canto& c = enorme.cantos[static_cast<std::size_t>(k)];
            EXPECT_GE(c.x, -Recorte::kGuarda);
            EXPECT_GE(c.y, -Recorte::kGuarda);
            EXPECT_LT(std::fabs(c.x), limite);
            EXPECT_LT(std::fabs(c.y), limite);
            maiorX = std::max(maiorX, c.x);
            maiorY = std::max(maiorY, c.y);
        }
        EXPECT_EQ(maiorX, p.largura + Recorte::kGuarda);
        EXPECT_EQ(maiorY, p.altura + Recorte::kGuarda);
    }
    EXPECT_EQ(Recorte::limiteSeguro(640, 480), Recorte::kLimiteMinimo);
}

}  // namespace
