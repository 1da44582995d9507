// Vector operations: worked values, signed zeros, NaN behaviour and ownership of results.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <memory>
#include <random>
#include <sstream>

#include "Operadores.h"
#include "Ponto.h"
#include "Triangulo.h"


namespace {

using Resultado = std::unique_ptr<Vetor>;

// Bit pattern of a double, so that comparisons tell -0 from +0.
std::uint64_t bits(double valor) { return std::bit_cast<std::uint64_t>(valor); }

// Requires the three components to be bit-for-bit the given values.
void esperaBits(const Vetor& v, double x, double y, double z) {
    EXPECT_EQ(bits(v.x), bits(x)) << v.x << " vs " << x;
    EXPECT_EQ(bits(v.y), bits(y)) << v.y << " vs " << y;
    EXPECT_EQ(bits(v.z), bits(z)) << v.z << " vs " << z;
}

class OperadoresTest : public ::testing::Test {
protected:
    Operadores o;
};

TEST_F(OperadoresTest, ProdutoInternoSomaOsProdutosNaOrdem) {
    Vetor a(1, 2, 3), b(4, -5, 6);
    EXPECT_EQ(o.produtoInterno(&a, &b), 12.0);
    // Left-to-right: (1e308*10 overflows to inf) + ... stays inf; a reordering would not.
    Vetor c(1e308, -1e308, 0), d(10, 10, 0);
    EXPECT_TRUE(std::isnan(o.produtoInterno(&c, &d)));
}

TEST_F(OperadoresTest, ProdutoVetorialRespeitaAOrdemDosOperandos) {
    Vetor z(0, 0, 1), y(0, 1, 0), x(1, 0, 0);
    esperaBits(*Resultado(o.produtoVetorial(&z, &y)), -1, 0, 0);
    esperaBits(*Resultado(o.produtoVetorial(&y, &z)), 1, 0, 0);
    esperaBits(*Resultado(o.produtoVetorial(&x, &y)), 0, 0, 1);
    esperaBits(*Resultado(o.produtoVetorial(&y, &x)), 0, 0, -1);
}

// A product fused into a multiply-add keeps the rounding residue of the other product, so the
// cross product of a vector with itself would not cancel exactly.
TEST_F(OperadoresTest, ProdutoVetorialDeUmVetorComEleMesmoEhExatamenteZero) {
    Vetor a(0.1, 0.7, 1.0 / 3.0);
    esperaBits(*Resultado(o.produtoVetorial(&a, &a)), 0, 0, 0);
    std::mt19937_64 gerador(20261208);
    std::uniform_real_distribution<double> faixa(-1e3, 1e3);
    for (int i = 0; i < 1000; ++i) {
        Vetor v(faixa(gerador), faixa(gerador), faixa(gerador));
        Resultado r(o.produtoVetorial(&v, &v));
        ASSERT_EQ(r->x, 0.0);
        ASSERT_EQ(r->y, 0.0);
        ASSERT_EQ(r->z, 0.0);
    }
}

TEST_F(OperadoresTest, NormaENormalizacao) {
    Vetor a(3, 4, 0);
    EXPECT_EQ(o.norma(&a), 5.0);
    // Each component is multiplied by 1/5, which differs in the last bit from dividing by 5.
    esperaBits(*Resultado(o.normalizacao(&a)), 3 * (1.0 / 5), 4 * (1.0 / 5), 0);
    EXPECT_NE(bits(3 * (1.0 / 5)), bits(3.0 / 5));
}

TEST_F(OperadoresTest, NormalizacaoDoVetorNuloDaNaNSemFalhar) {
    Vetor zero(0, 0, 0);
    Resultado r(o.normalizacao(&zero));
    EXPECT_TRUE(std::isnan(r->x));
    EXPECT_TRUE(std::isnan(r->y));
    EXPECT_TRUE(std::isnan(r->z));
}

TEST_F(OperadoresTest, CoeficienteFourierDeUmVetorComEleMesmo) {
    std::mt19937_64 gerador(7);
    std::uniform_real_distribution<double> expoente(-150, 150);
    for (int i = 0; i < 1000; ++i) {
        Vetor v(std::pow(10.0, expoente(gerador)), -std::pow(10.0, expoente(gerador)),
                std::pow(10.0, expoente(gerador)));
        ASSERT_EQ(o.coeficienteFourier(&v, &v), 1.0) << v.x << ' ' << v.y << ' ' << v.z;
    }
    Vetor grande(1e200, 0, 0);  // dot product overflows to inf: inf/inf
    EXPECT_TRUE(std::isnan(o.coeficienteFourier(&grande, &grande)));
    Vetor pequeno(1e-200, 0, 0);  // dot product underflows to zero: 0/0
    EXPECT_TRUE(std::isnan(o.coeficienteFourier(&pequeno, &pequeno)));
    Vetor a(1, 2, 3), zero(0, 0, 0);
    EXPECT_FALSE(std::isfinite(o.coeficienteFourier(&a, &zero)));
}

TEST_F(OperadoresTest, OrtogonalizacaoDaDemonstracao) {
    Vetor a(0, 0, 1), b(-1, 0, -1);
    Resultado r(o.ortogonalizacao(&a, &b));
    esperaBits(*r, -0.5, 0.0, 0.5);  // +0 in the middle: 0 - (-0.5 * 0) is +0
    // The program prints these with the stream's default format, one per line.
    std::ostringstream saida;
    saida << r->x << std::endl << r->y << std::endl << r->z << std::endl;
    EXPECT_EQ(saida.str(), "-0.5\n0\n0.5\n");
}

TEST_F(OperadoresTest, OrtogonalizacaoRemoveAComponenteAoLongoDoSegundo) {
    Vetor v(0, 1, 1), n(0, 0, 2);
    esperaBits(*Resultado(o.ortogonalizacao(&v, &n)), 0, 1, 0);
    Vetor paralelo(0, 0, 3);
    esperaBits(*Resultado(o.ortogonalizacao(&paralelo, &n)), 0, 0, 0);
    Vetor zero(0, 0, 0);
    Resultado r(o.ortogonalizacao(&v, &zero));  // 0/0 coefficient propagates
    EXPECT_TRUE(std::isnan(r->x) && std::isnan(r->y) && std::isnan(r->z));
}

TEST_F(OperadoresTest, MultiplicacaoMatrizVetor) {
    Vetor u(1, 0, 0), v(0, 1, 0), n(0, 0, 1);
    Vetor p(-2.5, 1e-300, 7e300);
    esperaBits(*Resultado(o.multiplicacaoMatrizVetor(&u, &v, &n, &p)), p.x, p.y, p.z);
    Vetor u2(-1, 0, 0), d(1, 2, 5);
    esperaBits(*Resultado(o.multiplicacaoMatrizVetor(&u2, &v, &n, &d)), -1, 2, 5);
    Vetor linha(1, 2, 3), w(4, 5, 6);
    esperaBits(*Resultado(o.multiplicacaoMatrizVetor(&linha, &w, &linha, &w)), 32, 77, 32);
}

TEST_F(OperadoresTest, MultiplicacaoVetorEscalar) {
    Vetor v(1, -2, 0.5);
    esperaBits(*Resultado(o.multiplicacaoVetorEscalar(-2, &v)), -2, 4, -1);
    esperaBits(*Resultado(o.multiplicacaoVetorEscalar(0, &v)), 0, -0.0, 0);
}

TEST_F(OperadoresTest, CadaResultadoEhUmObjetoNovoMesmoComArgumentosRepetidos) {
    Vetor a(1, 2, 3);
    const Resultado resultados[] = {
        Resultado(o.produtoVetorial(&a, &a)),
        Resultado(o.normalizacao(&a)),
        Resultado(o.ortogonalizacao(&a, &a)),
        Resultado(o.multiplicacaoMatrizVetor(&a, &a, &a, &a)),
        Resultado(o.multiplicacaoVetorEscalar(1, &a)),
    };
    for (const auto& r : resultados) {
        ASSERT_NE(r, nullptr);
        EXPECT_NE(r.get(), &a);
    }
    esperaBits(a, 1, 2, 3);  // arguments are only read
    esperaBits(*resultados[2], 0, 0, 0);
    EXPECT_EQ(resultados[3]->x, 14.0);
}

TEST(RegistrosTest, ConstrutoresPadraoDeixamValoresDefinidos) {
    const Vetor v;
    const Ponto p;
    const Triangulo t;
    esperaBits(v, 0, 0, 0);
    EXPECT_EQ(bits(p.x) | bits(p.y) | bits(p.z), 0u);
    EXPECT_EQ(t.indiceP1 | t.indiceP2 | t.indiceP3, 0);
}

}  // namespace

namespace {

// The math library's pow(x, 2) at run time rounds x = -1.4045477808975213 to the upper
// neighbour of x*x; the length must use the correctly rounded square in every build type.
TEST(NormaTest, QuadradosCorretamenteArredondados) {
    Operadores o;
    const double x = -1.4045477808975213;
    Vetor v(x, 1, 0);
    const double quadrado = x * x;
    EXPECT_EQ(bits(o.norma(&v)), bits(std::sqrt(quadrado + 1.0)));
    double (*volatile potencia)(double, double) = std::pow;
    EXPECT_NE(bits(potencia(x, 2.0)), bits(quadrado)) << "the math library now rounds this square";
}

}  // namespace
