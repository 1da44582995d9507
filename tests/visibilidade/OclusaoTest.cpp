// The occlusion test on its own, against a frame that holds one drawn square: what lies behind
// it is left out, and whatever could still win a pixel (a tie, the near plane, the square's
// border, a triangle seen edge-on) is kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "Aglomerados.h"
#include "Camera.h"
#include "Oclusao.h"
#include "Piramide.h"
#include "Projecao.h"
#include "Quadro.h"

using namespace gouraud::detail;

namespace {

constexpr int kLado = 64;
// The square of pixels [16, 48) x [16, 48) drawn at cn = 5: seen from the origin along +z
// through the window d = 1, hx = hy = 1, it is |x|, |y| < 2.5 at z = 5 (32 pixels a unit of
// x/z, x growing to the left).
constexpr int kQuadrado0 = 16;
constexpr int kQuadrado1 = 48;
constexpr double kProfundidade = 5.0;

// A cluster's triangles and what the test knows of it.
struct Malhinha {
    std::vector<Ponto> pontos;
    std::vector<std::int32_t> indices;
    Aglomerado aglomerado;
};

// A cluster of triangles tiling the quadrilateral from (x0, y0) to (x1, y1) whose depth goes
// from z0 at x0 to z1 at x1, or, with `deLado`, a 2 x 2 grid in the plane x = x0 - z/64 from
// (y0, z0) to (y1, z1): through the camera's focus when x0 = 0, and then seen edge-on as the
// line of pixel centres x = 32.5.
Malhinha aglomerado(double x0, double x1, double y0, double y1, double z0, double z1,
                    bool deLado = false, int kGrade = 3) {
    Malhinha m;
    std::vector<Ponto>& pontos = m.pontos;
    for (int j = 0; j < kGrade; ++j) {
        for (int i = 0; i < kGrade; ++i) {
            const double s = i / (kGrade - 1.0);
            const double t = j / (kGrade - 1.0);
            const double z = z0 + s * (z1 - z0);
            pontos.push_back(
                deLado ? Ponto(x0 - z / kLado, y0 + t * (y1 - y0), z)
                       : Ponto(x0 + s * (x1 - x0), y0 + t * (y1 - y0), z0 + s * (z1 - z0)));
        }
    }
    std::vector<std::int32_t>& indices = m.indices;
    for (int j = 0; j + 1 < kGrade; ++j) {
        for (int i = 0; i + 1 < kGrade; ++i) {
            const std::int32_t a = j * kGrade + i;
            for (const std::int32_t k : {a, a + 1, a + kGrade + 1, a, a + kGrade + 1, a + kGrade}) {
                indices.push_back(k);
            }
        }
    }
    m.aglomerado = Aglomerados::calcular(pontos.data(), indices.data(), 0,
                                         static_cast<int>(indices.size() / 3));
    return m;
}

class OclusaoTest : public testing::Test {
protected:
    OclusaoTest() : quadro(kLado, kLado) {
        projecao.largura = kLado;
        projecao.altura = kLado;
        projecao.zPerto = 0.01;
        for (int y = kQuadrado0; y < kQuadrado1; ++y) {
            for (int x = kQuadrado0; x < kQuadrado1; ++x) {
                quadro.linhaProfundidade(y)[x] = 1.0 / kProfundidade;
            }
        }
        piramide.preparar(kLado, kLado);
        for (int j = 0; j < kLado; j += 1 << Piramide::kNiveisPorFaixa) {
            piramide.construirFaixa(quadro, j, j + (1 << Piramide::kNiveisPorFaixa));
        }
        piramide.completar();
    }

    Oclusao::Resultado testar(const Malhinha& m) const {
        return Oclusao(camera, projecao, kLado, kLado)
            .testar(m.aglomerado, 1U, piramide, m.pontos.data(), m.indices.data(), 0)
            .resultado;
    }

    Quadro quadro;
    Piramide piramide;
    Camera camera;  // at the origin, U = -x, V = y, N = z
    Projecao projecao;
};

TEST_F(OclusaoTest, AtrasDoQuadradoFicaDeForaENaMesmaProfundidadeNao) {
    using R = Oclusao::Resultado;
    // Well behind, and just behind: a hundredth further than the square.
    EXPECT_EQ(testar(aglomerado(-1.5, 1.5, -1.5, 1.5, 6, 6.5)), R::oculto);
    EXPECT_EQ(testar(aglomerado(-1.5, 1.5, -1.5, 1.5, 5.05, 5.3)), R::oculto);
    // Tilted, its nearest corner behind the square.
    EXPECT_EQ(testar(aglomerado(-2, 2, -2, 2, 5.2, 9)), R::oculto);
    // Touching it: its nearest point at the square's very depth could tie, and a tie can win.
    EXPECT_EQ(testar(aglomerado(-1.5, 1.5, -1.5, 1.5, kProfundidade, 5.3)), R::desenhar);
    // In front of it.
    EXPECT_EQ(testar(aglomerado(-1.5, 1.5, -1.5, 1.5, 4, 4.5)), R::desenhar);
}

TEST_F(OclusaoTest, PlanoPertoBordaDoQuadradoEArestaDeFrenteFicam) {
    using R = Oclusao::Resultado;
    // Across the near plane (zPerto = 0.01), though its far end lies behind the square.
    EXPECT_EQ(testar(aglomerado(-0.001, 0.001, -0.001, 0.001, 0.005, 6)), R::desenhar);
    // Behind the square but reaching past its left side (x > 2.5 at z = 5.5 is off it), and
    // past its bottom.
    EXPECT_EQ(testar(aglomerado(1.5, 3.5, -1, 1, 5.5, 5.5)), R::desenhar);
    EXPECT_EQ(testar(aglomerado(-1, 1, -3.2, -1, 5.5, 5.5)), R::desenhar);
    // Behind it but seen edge-on: its plane holds the focus, and the depth test's rounding
    // could give anything on the pixel centres it covers.
    EXPECT_EQ(testar(aglomerado(0, 0, -1, 1, 6, 7, true)), R::desenhar);
    // The same plane moved aside is no longer edge-on.
    EXPECT_EQ(testar(aglomerado(1.5, 0, -1, 1, 6, 7, true)), R::oculto);
    // Wholly off the frame: nothing to draw.
    EXPECT_EQ(testar(aglomerado(40, 42, -1, 1, 5.5, 5.5)), R::fora);
    // A cluster with a triangle of no area is never left out.
    EXPECT_EQ(testar(aglomerado(-1, 1, 0, 0, 6, 6)), R::desenhar);
}

TEST_F(OclusaoTest, SoOsTrechosQuePodemAparecerFicam) {
    // A cluster of two runs of 32 triangles (5 x 5 grids): one behind the square, the other
    // beside it. The cluster's box is not hidden, but its first run is.
    Malhinha atras = aglomerado(-1.5, 1.5, -1.5, 1.5, 6, 6.5, false, 5);
    const Malhinha fora = aglomerado(2.5, 3.5, -1, 1, 5.5, 5.5, false, 5);
    ASSERT_EQ(atras.indices.size(), static_cast<std::size_t>(3 * Aglomerados::kPorTrecho));
    const auto deslocamento = static_cast<std::int32_t>(atras.pontos.size());
    atras.pontos.insert(atras.pontos.end(), fora.pontos.begin(), fora.pontos.end());
    for (const std::int32_t k : fora.indices) atras.indices.push_back(k + deslocamento);
    atras.aglomerado = Aglomerados::calcular(atras.pontos.data(), atras.indices.data(), 0,
                                             static_cast<int>(atras.indices.size() / 3));
    const Oclusao oclusao(camera, projecao, kLado, kLado);
    const auto decidir = [&](unsigned pendentes) {
        return oclusao.testar(atras.aglomerado, pendentes, piramide, atras.pontos.data(),
                              atras.indices.data(), 0);
    };
    EXPECT_EQ(decidir(3U).resultado, Oclusao::Resultado::desenhar);
    EXPECT_EQ(decidir(3U).trechos, 2U);
    // With the second run already drawn, the first alone is hidden.
    EXPECT_EQ(decidir(1U).resultado, Oclusao::Resultado::oculto);
    EXPECT_EQ(decidir(1U).trechos, 0U);
}

TEST_F(OclusaoTest, PiramideDaOMenorProfundidadeDeQualquerRetangulo) {
    for (const auto& [i0, j0, i1, j1] : std::vector<std::array<int, 4>>{{16, 16, 47, 47},
                                                                        {20, 30, 21, 31},
                                                                        {0, 0, 63, 63},
                                                                        {15, 20, 30, 30},
                                                                        {47, 47, 48, 48},
                                                                        {30, 16, 30, 47}}) {
        double menor = 1.0;
        for (int y = j0; y <= j1; ++y) {
            for (int x = i0; x <= i1; ++x) {
                menor = std::min(menor, quadro.getProfundidade(x, y));
            }
        }
        EXPECT_LE(piramide.menor(i0, j0, i1, j1), menor) << i0 << "," << j0;
        if (menor > 0) {
            EXPECT_EQ(piramide.menor(i0, j0, i1, j1), menor) << i0 << "," << j0;
        }
    }
}

}  // namespace
