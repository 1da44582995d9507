// The merge of indexed vertices into points on two threads against the same merge on one: the
// same points (to the bit, -0 kept where it came first), triangles, vertex map and problems, and
// a table that goes on merging afterwards as if it had been built point by point.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "FusaoPontos.h"

using namespace gouraud::detail;

namespace {

constexpr float kInfinito = std::numeric_limits<float>::infinity();

// A grid of lado x lado vertices, two triangles per square: each vertex written twice (the second
// copy after all the first, with its zero coordinates negative), the faces naming either copy,
// and a last vertex that no face names and whose position is not finite. Records of four floats,
// the fourth not a coordinate.
struct Grade {
    std::vector<float> registros;
    std::vector<std::uint32_t> indices;
    std::size_t quantVertices = 0;

    explicit Grade(int lado) {
        const auto n = static_cast<std::uint32_t>(lado * lado);
        for (int copia = 0; copia < 2; ++copia) {
            for (int j = 0; j < lado; ++j) {
                for (int i = 0; i < lado; ++i) {
                    const float zero = copia == 0 ? 0.0f : -0.0f;
                    registros.insert(registros.end(),
                                     {i == 0 ? zero : 0.25f * static_cast<float>(i),
                                      j == 0 ? zero : 0.5f * static_cast<float>(j), zero, 9.0f});
                }
            }
        }
        registros.insert(registros.end(), {1.0f, kInfinito, 0.0f, 9.0f});
        quantVertices = registros.size() / 4;
        std::uint32_t semente = 12345;
        const auto copia = [&semente, n](std::uint32_t v) {
            semente = semente * 1103515245U + 12345U;
            return v + ((semente >> 16) % 2 != 0 ? n : 0);
        };
        for (int j = 0; j + 1 < lado; ++j) {
            for (int i = 0; i + 1 < lado; ++i) {
                const auto v = static_cast<std::uint32_t>(j * lado + i);
                const auto l = static_cast<std::uint32_t>(lado);
                indices.insert(indices.end(), {copia(v), copia(v + 1), copia(v + l)});
                indices.insert(indices.end(), {copia(v + 1), copia(v + l + 1), copia(v + l)});
            }
        }
    }
    std::size_t quantTriangulos() const { return indices.size() / 3; }
};

// The grid's merge on `threads` threads: whether it succeeded.
bool fundir(FusaoPontos& fusao, const Grade& grade, int threads) {
    fusao.usarThreads(threads);
    fusao.reservar(grade.quantVertices, grade.quantTriangulos());
    fusao.novaFonte(grade.quantVertices);
    const auto* base = reinterpret_cast<const unsigned char*>(grade.registros.data());
    return fusao.triangulosIndexados(reinterpret_cast<const unsigned char*>(grade.indices.data()),
                                     3 * sizeof(std::uint32_t), grade.quantTriangulos(), base,
                                     base + sizeof(float), base + 2 * sizeof(float),
                                     4 * sizeof(float));
}

void esperaIguais(FusaoPontos& a, FusaoPontos& b, std::size_t quantVertices) {
    ASSERT_EQ(a.getProblema(), b.getProblema());
    ASSERT_EQ(a.getPontos().size(), b.getPontos().size());
    for (std::size_t p = 0; p < a.getPontos().size(); ++p) {
        const Ponto& pa = a.getPontos()[p];
        const Ponto& pb = b.getPontos()[p];
        ASSERT_EQ(std::bit_cast<std::uint64_t>(pa.x), std::bit_cast<std::uint64_t>(pb.x)) << p;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(pa.y), std::bit_cast<std::uint64_t>(pb.y)) << p;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(pa.z), std::bit_cast<std::uint64_t>(pb.z)) << p;
    }
    ASSERT_EQ(a.getTriangulos().size(), b.getTriangulos().size());
    for (std::size_t t = 0; t < a.getTriangulos().size(); ++t) {
        const Triangulo& ta = a.getTriangulos()[t];
        const Triangulo& tb = b.getTriangulos()[t];
        ASSERT_TRUE(ta.indiceP1 == tb.indiceP1 && ta.indiceP2 == tb.indiceP2 &&
                    ta.indiceP3 == tb.indiceP3)
            << t;
    }
    for (std::size_t v = 0; v < quantVertices; ++v) {
        ASSERT_EQ(a.pontoDoVertice(v), b.pontoDoVertice(v)) << v;
    }
}

}  // namespace

TEST(FusaoPontosTest, DuasThreadsFundemComoUma) {
    const Grade grade(129);
    ASSERT_GE(grade.quantTriangulos(), FusaoPontos::kParaleloDesde);
    FusaoPontos uma;
    FusaoPontos duas;
    ASSERT_TRUE(fundir(uma, grade, 1));
    ASSERT_TRUE(fundir(duas, grade, 2));
    // Each position is one point, whichever copy the faces name; the unnamed vertex is none.
    EXPECT_EQ(uma.getPontos().size(), std::size_t{129 * 129});
    EXPECT_EQ(duas.pontoDoVertice(grade.quantVertices - 1), -1);
    esperaIguais(uma, duas, grade.quantVertices);
    // Both go on merging the same way: a known position, a new one, a position not finite.
    EXPECT_EQ(uma.ponto(0.25f, 0.5f, 0.0f), duas.ponto(0.25f, 0.5f, -0.0f));
    EXPECT_EQ(uma.ponto(0.25f, 0.5f, -0.0f), duas.pontoDoVertice(129 + 1));
    EXPECT_EQ(uma.ponto(-3.0f, 2.0f, 1.0f), duas.ponto(-3.0f, 2.0f, 1.0f));
    EXPECT_EQ(duas.ponto(-3.0f, 2.0f, 1.0f), 129 * 129);
    EXPECT_EQ(uma.ponto(0.0f, kInfinito, 0.0f), duas.ponto(0.0f, kInfinito, 0.0f));
    esperaIguais(uma, duas, grade.quantVertices);
}

TEST(FusaoPontosTest, DuasThreadsRecusamComoUma) {
    // A face that names a vertex not finite, far into the faces: the same triangle and point
    // numbers in the reason, whichever thread held that vertex.
    Grade grade(129);
    const std::size_t t = grade.quantTriangulos() - 100;
    grade.indices[3 * t + 1] = static_cast<std::uint32_t>(grade.quantVertices - 1);
    FusaoPontos uma;
    FusaoPontos duas;
    EXPECT_FALSE(fundir(uma, grade, 1));
    EXPECT_FALSE(fundir(duas, grade, 2));
    EXPECT_NE(uma.getProblema().find("(a corner of triangle " + std::to_string(t) +
                                     ") is not finite: 1 inf 0"),
              std::string::npos)
        << uma.getProblema();
    esperaIguais(uma, duas, 0);
    EXPECT_EQ(uma.getPontos().size(), duas.getPontos().size());
}
