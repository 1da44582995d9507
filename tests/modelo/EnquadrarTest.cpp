// The automatic framing reads only the groups of points that can reach the picture's edge: the
// window it gives is, bit for bit, the one of every point read in turn, for cameras around,
// inside and far from models of any size and offset.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "Camera.h"
#include "Gouraud.h"
#include "GruposPontos.h"
#include "Malha.h"
#include "Projecao.h"

using namespace gouraud::detail;

namespace {

// The window of every point read in turn, as the framing is written plainly: the spread of the
// projections of the points beyond the near plane, 5 % larger, centred.
Projecao referencia(const std::vector<Ponto>& pontos, double diagonal, const Camera& camera,
                    int largura, int altura) {
    Projecao p;
    p.largura = largura;
    p.altura = altura;
    p.zPerto = Projecao::kFracaoPerto * diagonal;
    double a0 = std::numeric_limits<double>::infinity(), a1 = -a0, b0 = a0, b1 = -a0;
    for (const Ponto& ponto : pontos) {
        const Vetor c = camera.coordenadas(ponto);
        if (!(c.z >= p.zPerto)) continue;
        a0 = std::min(a0, c.x / c.z);
        a1 = std::max(a1, c.x / c.z);
        b0 = std::min(b0, c.y / c.z);
        b1 = std::max(b1, c.y / c.z);
    }
    const double hy = 1.05 * std::max((a1 - a0) / 2.0 * altura / largura, (b1 - b0) / 2.0);
    if (a0 <= a1 && b0 <= b1 && std::isfinite(hy) && hy > 0.0) {
        p.ox = (a0 + a1) / 2.0;
        p.oy = (b0 + b1) / 2.0;
        p.hy = hy;
        p.hx = hy * largura / altura;
    } else {
        p.hy = std::tan(std::numbers::pi / 6.0);
        p.hx = p.hy * largura / altura;
    }
    return p;
}

bool mesmosBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// A lumpy closed surface of n points about `centro`, `raio` across, and triangles over them.
Gouraud superficie(std::mt19937_64& aleatorio, int n, const Ponto& centro, double raio) {
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<Ponto> pontos;
    for (int i = 0; i < n; ++i) {
        double x = u(aleatorio), y = u(aleatorio), z = u(aleatorio);
        const double r = std::sqrt(x * x + y * y + z * z) + 1e-9;
        const double relevo = raio * (1.0 + 0.3 * u(aleatorio) * u(aleatorio));
        pontos.emplace_back(centro.x + x / r * relevo, centro.y + y / r * relevo * 0.6,
                            centro.z + z / r * relevo * 1.3);
    }
    std::vector<Triangulo> triangulos;
    for (int i = 0; i + 2 < n; i += 3) triangulos.emplace_back(i, i + 1, i + 2);
    return Gouraud(std::move(pontos), std::move(triangulos), Vetor(0, 0, -1), Vetor(0, 1, 0),
                   Ponto(0, 0, 10), 1.0, 1.0, 1.0);
}

TEST(EnquadrarTest, AJanelaEAdeTodosOsPontosBitABit) {
    std::mt19937_64 aleatorio(20261209);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    struct Caso {
        Ponto centro;
        double raio;
    };
    const Caso casos[] = {{Ponto(0, 0, 0), 1.0},
                          {Ponto(3e6, -2e6, 5e5), 0.5},
                          {Ponto(1e-3, 2e-3, 0), 1e-4},
                          {Ponto(-40, 7, 12), 250.0}};
    int lidos = 0;
    for (const Caso& caso : casos) {
        Gouraud cena = superficie(aleatorio, 30000, caso.centro, caso.raio);
        ASSERT_TRUE(cena.cenaValida()) << cena.getDiagnostico();
        const Malha malha(cena);
        const std::vector<Ponto> pontos(malha.getPontos(), malha.getPontos() + malha.getQuantPontos());
        for (int k = 0; k < 60; ++k) {
            // Eyes from inside the model (the near plane cuts it) to far away.
            const double distancia = caso.raio * (k < 10 ? 0.3 : k < 20 ? 1.2 : 2.0 + 10 * (k % 4));
            Vetor direcao(u(aleatorio), u(aleatorio), u(aleatorio));
            const Ponto olho(caso.centro.x + distancia * direcao.x,
                             caso.centro.y + distancia * direcao.y,
                             caso.centro.z + distancia * direcao.z);
            const Vetor n(caso.centro.x - olho.x + 0.1 * caso.raio * u(aleatorio),
                          caso.centro.y - olho.y, caso.centro.z - olho.z);
            const Camera camera = Camera::deEixos(n, Vetor(u(aleatorio), 1.0, u(aleatorio)), olho);
            if (!camera.problema().empty()) continue;
            for (const auto& [largura, altura] : {std::pair{640, 480}, std::pair{100, 300}}) {
                const Projecao rapida = Projecao::enquadrar(malha, camera, largura, altura);
                const Projecao certa =
                    referencia(pontos, malha.getDiagonal(), camera, largura, altura);
                EXPECT_TRUE(mesmosBits(rapida.ox, certa.ox) && mesmosBits(rapida.oy, certa.oy) &&
                            mesmosBits(rapida.hx, certa.hx) && mesmosBits(rapida.hy, certa.hy) &&
                            mesmosBits(rapida.zPerto, certa.zPerto))
                    << "case centred at " << caso.centro.x << ", camera " << k;
                ++lidos;
            }
        }
    }
    EXPECT_GT(lidos, 400);
}

TEST(EnquadrarTest, GruposGuardamCadaPontoUmaVez) {
    std::vector<Ponto> pontos = {Ponto(0, 0, 0), Ponto(1, 1, 1), Ponto(0.5, 0.25, 1),
                                 Ponto(std::numeric_limits<double>::quiet_NaN(), 0, 0),
                                 Ponto(1, 0, 0)};
    const GruposPontos grupos(pontos.data(), static_cast<int>(pontos.size()));
    std::vector<int> vistos(pontos.size(), 0);
    for (const GruposPontos::Grupo& g : grupos.getGrupos()) {
        for (std::int32_t j = g.inicio; j < g.fim; ++j) {
            const Ponto& p = pontos[static_cast<std::size_t>(grupos.getIndices()[j])];
            ++vistos[static_cast<std::size_t>(grupos.getIndices()[j])];
            if (std::isfinite(p.x)) {
                EXPECT_TRUE(p.x >= g.menor.x && p.x <= g.maior.x && p.y >= g.menor.y &&
                            p.y <= g.maior.y && p.z >= g.menor.z && p.z <= g.maior.z);
            }
        }
    }
    EXPECT_EQ(vistos, std::vector<int>(pontos.size(), 1));
    EXPECT_TRUE(GruposPontos(nullptr, 0).getGrupos().empty());
}

}  // namespace
