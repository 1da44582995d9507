// The normals made on first use: the vertex stage's points' normals, summed in its own
// numbering, against the mesh's; and the mesh's per-triangle lists, whichever is asked first.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "EstagioVertices.h"
#include "Gouraud.h"
#include "Malha.h"
#include "OrdemEspacial.h"

using namespace gouraud::detail;

namespace {

bool mesmosBits(const Vetor& a, const Vetor& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }
bool mesmosBits(const Ponto& a, const Ponto& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

// Points on a grid (distinct positions), triangles over them at random, plus the cases that have
// no normal: a triangle with a repeated corner (not finite), two opposite triangles alone over
// their points (a zero sum), and points no triangle names.
Gouraud cenaDeTeste(unsigned semente) {
    std::mt19937 gerador(semente);
    std::uniform_int_distribution<int> qualquer(0, 399);
    std::vector<Ponto> pontos;
    for (int i = 0; i < 410; ++i) {
        pontos.emplace_back((i % 20) * 0.37, (i / 20) * 0.53, ((i * 7) % 11) * 0.29);
    }
    std::vector<Triangulo> triangulos;
    for (int t = 0; t < 1500; ++t) {
        triangulos.emplace_back(qualquer(gerador), qualquer(gerador), qualquer(gerador));
    }
    triangulos.emplace_back(400, 400, 401);
    triangulos.emplace_back(402, 403, 404);
    triangulos.emplace_back(402, 404, 403);
    return Gouraud(std::move(pontos), std::move(triangulos), Vetor(0, 0, 1), Vetor(0, 1, 0),
                   Ponto(0, 0, -10), 1.0, 1.0, 0.75);
}

}  // namespace

TEST(NormaisPontosTest, EstagioDaOsMesmosBitsQueAMalhaEmQualquerOrdem) {
    Gouraud cena = cenaDeTeste(7);
    ASSERT_TRUE(cena.cenaValida());
    const Malha malha(cena);
    const int triangulos = malha.getQuantTriangulos();
    std::vector<std::int32_t> invertida(static_cast<std::size_t>(triangulos));
    for (int t = 0; t < triangulos; ++t) {
        invertida[static_cast<std::size_t>(t)] = triangulos - 1 - t;
    }
    int semNormal = 0;
    for (const std::vector<std::int32_t>& ordem :
         {std::vector<std::int32_t>{}, OrdemEspacial::calcular(malha), invertida}) {
        const EstagioVertices vertices(malha, ordem);
        // Every named point once (the grid's 400 minus those never drawn, plus 400 to 404).
        ASSERT_LE(vertices.getQuantPontos(), malha.getQuantPontos() - 5);
        for (int k = 0; k < vertices.getQuantPontos(); ++k) {
            // The stage's point k is the mesh's point of that position: the positions differ.
            int p = 0;
            while (p < malha.getQuantPontos() &&
                   !mesmosBits(malha.getPontos()[p], vertices.getPontos()[k])) {
                ++p;
            }
            ASSERT_LT(p, malha.getQuantPontos());
            const Vetor* daMalha = malha.getNormal(p);
            ASSERT_EQ(vertices.getComNormal()[k], daMalha != nullptr ? 1 : 0) << p;
            EXPECT_TRUE(mesmosBits(vertices.getNormais()[k],
                                   daMalha != nullptr ? *daMalha : Vetor(0.0, 0.0, 0.0)))
                << p;
            semNormal += daMalha == nullptr ? 1 : 0;
        }
    }
    // Points 400 to 404 have none, in each of the three orders.
    EXPECT_EQ(semNormal, 3 * 5);
}

TEST(NormaisPontosTest, ListasDaMalhaFeitasNoPrimeiroPedidoEmQualquerOrdem) {
    Gouraud referencia = cenaDeTeste(3);
    referencia.calcularNormalTriangulo();
    referencia.calcularNovoPonto();
    // The displaced points asked for first still read the triangles' normals.
    Gouraud cena = cenaDeTeste(3);
    const Malha malha(cena);
    const Ponto* novos = malha.getNovosPontos();
    const Vetor* normais = malha.getNormaisTriangulo();
    for (int p = 0; p < malha.getQuantPontos(); ++p) {
        EXPECT_TRUE(mesmosBits(novos[p], referencia.getListaNovoPonto()[p])) << p;
    }
    for (int t = 0; t < malha.getQuantTriangulos(); ++t) {
        EXPECT_TRUE(mesmosBits(normais[t], referencia.getListaNormalTriangulo()[t])) << t;
    }
    EXPECT_EQ(normais, cena.getListaNormalTriangulo());
}

TEST(NormaisPontosTest, PorPartesComoDeUmaVez) {
    // The slots in three uneven ranges, as threads work them out, each in a numbering that puts
    // a triangle's corners in different ranges: the same bits and marks as all at once.
    Gouraud cena = cenaDeTeste(11);
    ASSERT_TRUE(cena.cenaValida());
    const Malha malha(cena);
    const auto quant = static_cast<std::size_t>(malha.getQuantPontos());
    std::vector<std::int32_t> numeracao(quant);
    for (std::size_t p = 0; p < quant; ++p) {
        numeracao[p] = static_cast<std::int32_t>((p * 7) % quant);  // 7 and 410 share no factor
    }
    std::vector<Vetor> inteiras(quant, Vetor(0.0, 0.0, 0.0));
    std::vector<std::uint8_t> temInteiras(quant, 2);
    Malha::normaisDosPontos(malha.getPontos(), malha.getTriangulos(), malha.getQuantTriangulos(),
                            numeracao.data(), inteiras.data(), temInteiras.data(), quant);
    std::vector<Vetor> partes(quant, Vetor(0.0, 0.0, 0.0));
    std::vector<std::uint8_t> temPartes(quant, 2);
    for (const auto& [inicio, fim] : {std::pair<std::size_t, std::size_t>{0, 1},
                                      {1, 137},
                                      {137, static_cast<std::size_t>(-1)}}) {
        Malha::normaisDosPontos(malha.getPontos(), malha.getTriangulos(),
                                malha.getQuantTriangulos(), numeracao.data(), partes.data(),
                                temPartes.data(), quant, inicio, fim);
    }
    int semNormal = 0;
    for (std::size_t k = 0; k < quant; ++k) {
        EXPECT_EQ(temPartes[k], temInteiras[k]) << k;
        EXPECT_TRUE(mesmosBits(partes[k], inteiras[k])) << k;
        semNormal += temInteiras[k] == 0 ? 1 : 0;
    }
    // The five points with no normal, and the grid's points no triangle names.
    EXPECT_GE(semNormal, 5);
}
