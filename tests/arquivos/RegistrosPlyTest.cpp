// Large binary PLY files read from their fixed-size records in place: the same points,
// triangles, colours and refusals as Draco's reading of the same bytes, and Draco (or the import
// library) wherever the records are not of that kind.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "Aparencia.h"
#include "FusaoPontos.h"
#include "LeitorMalha.h"
#include "LeitorPly.h"

using namespace gouraud::detail;

namespace {

// How the test files' records are laid out.
struct Forma {
    std::string contagem = "uchar";  // the face list's count type
    std::string indice = "int";      // its item type
    bool cores = false;
    bool extra = false;  // a float "confidence" between y and z, which the reading skips
};

template <typename T>
void acrescentar(std::string& dados, T valor) {
    dados.append(reinterpret_cast<const char*>(&valor), sizeof(valor));
}

// A strip of `quantFaces` triangles over a zigzag of quantFaces + 2 vertices, each vertex
// written twice (so the merge has something to merge), with a colour per vertex.
std::string faixa(const Forma& forma, int quantFaces) {
    const int quantVertices = 2 * (quantFaces + 2);
    std::string dados = "ply\nformat binary_little_endian 1.0\nelement vertex " +
                        std::to_string(quantVertices) +
                        "\nproperty float x\nproperty float y\n" +
                        (forma.extra ? "property float confidence\n" : "") + "property float z\n" +
                        (forma.cores ? "property uchar red\nproperty uchar green\n"
                                       "property uchar blue\n"
                                     : "") +
                        "element face " + std::to_string(quantFaces) + "\nproperty list " +
                        forma.contagem + " " + forma.indice + " vertex_indices\nend_header\n";
    for (int v = 0; v < quantVertices; ++v) {
        const int n = v / 2;
        acrescentar(dados, 0.1f * static_cast<float>(n));
        acrescentar(dados, static_cast<float>(n % 2));
        if (forma.extra) {
            acrescentar(dados, 7.0f);
        }
        acrescentar(dados, v % 2 == 0 ? 0.0f : -0.0f);
        if (forma.cores) {
            for (const int c : {n % 256, (3 * n) % 256, 255 - n % 256}) {
                dados += static_cast<char>(c);
            }
        }
    }
    for (int f = 0; f < quantFaces; ++f) {
        if (forma.contagem == "uchar") {
            acrescentar(dados, std::uint8_t{3});
        } else if (forma.contagem == "ushort") {
            acrescentar(dados, std::uint16_t{3});
        } else {
            acrescentar(dados, std::int32_t{3});
        }
        // Alternately the first and the second copy of each vertex.
        for (const int k : {f, f + 1, f + 2}) {
            acrescentar(dados, static_cast<std::int32_t>(2 * k + f % 2));
        }
    }
    return dados;
}

// What a reading gave: the outcome, the problem, and the merge and colours it left.
struct Lido {
    Leitura leitura = Leitura::outroLeitor;
    std::string erro;
    FusaoPontos fusao;
    std::unique_ptr<Aparencia> aparencia;
};

// `dados` read from its records in place (with `registros`) or by Draco; nullopt when the
// records cannot be read in place.
std::optional<Lido> lerCom(const std::string& dados, bool registros) {
    const LeitorPly::Cabecalho cabecalho = LeitorPly::lerCabecalho(dados.data(), dados.size());
    EXPECT_EQ(cabecalho.problema, "");
    EXPECT_TRUE(cabecalho.simples);
    Lido lido;
    if (!registros) {
        lido.leitura = LeitorPly::ler(dados.data(), dados.size(), cabecalho, lido.fusao,
                                      lido.aparencia, lido.erro);
        return lido;
    }
    const std::optional<Leitura> leitura =
        LeitorPly::lerRegistros(dados.data(), cabecalho, lido.fusao, lido.aparencia, lido.erro);
    if (!leitura) {
        EXPECT_TRUE(lido.fusao.getPontos().empty() && lido.fusao.getTriangulos().empty());
        return std::nullopt;
    }
    lido.leitura = *leitura;
    return lido;
}

void esperaIguais(Lido& a, Lido& b) {
    ASSERT_EQ(a.leitura, b.leitura);
    EXPECT_EQ(a.erro, b.erro);
    const auto& pa = a.fusao.getPontos();
    const auto& pb = b.fusao.getPontos();
    ASSERT_EQ(pa.size(), pb.size());
    for (std::size_t i = 0; i < pa.size(); ++i) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(pa[i].x), std::bit_cast<std::uint64_t>(pb[i].x));
        ASSERT_EQ(std::bit_cast<std::uint64_t>(pa[i].y), std::bit_cast<std::uint64_t>(pb[i].y));
        ASSERT_EQ(std::bit_cast<std::uint64_t>(pa[i].z), std::bit_cast<std::uint64_t>(pb[i].z));
    }
    const auto& ta = a.fusao.getTriangulos();
    const auto& tb = b.fusao.getTriangulos();
    ASSERT_EQ(ta.size(), tb.size());
    for (std::size_t t = 0; t < ta.size(); ++t) {
        ASSERT_TRUE(ta[t].indiceP1 == tb[t].indiceP1 && ta[t].indiceP2 == tb[t].indiceP2 &&
                    ta[t].indiceP3 == tb[t].indiceP3)
            << t;
    }
    ASSERT_EQ(a.aparencia == nullptr, b.aparencia == nullptr);
    if (a.aparencia == nullptr) {
        return;
    }
    ASSERT_EQ(a.aparencia->getQuantTriangulos(), b.aparencia->getQuantTriangulos());
    for (int t = 0; t < a.aparencia->getQuantTriangulos(); ++t) {
        for (int k = 0; k < 3; ++k) {
            const Aparencia::Variante& va = a.aparencia->getVariante(a.aparencia->getCanto(t, k));
            const Aparencia::Variante& vb = b.aparencia->getVariante(b.aparencia->getCanto(t, k));
            ASSERT_TRUE(va.ponto == vb.ponto && va.temCor && vb.temCor && va.cor == vb.cor)
                << t << ", " << k;
        }
    }
}

}  // namespace

TEST(RegistrosPlyTest, DaoOQueODracoDaDosMesmosBytes) {
    for (const std::string contagem : {"uchar", "ushort", "int"}) {
        for (const std::string indice : {"int", "uint"}) {
            for (const bool cores : {false, true}) {
                for (const bool extra : {false, true}) {
                    const Forma forma{contagem, indice, cores, extra};
                    SCOPED_TRACE(contagem + " " + indice + (cores ? " colours" : "") +
                                 (extra ? " extra" : ""));
                    const std::string dados = faixa(forma, 40);
                    std::optional<Lido> registros = lerCom(dados, true);
                    std::optional<Lido> draco = lerCom(dados, false);
                    ASSERT_TRUE(registros && draco);
                    ASSERT_EQ(draco->leitura, Leitura::lida) << draco->erro;
                    // 84 vertices, two at each of 42 positions (-0 is 0).
                    EXPECT_EQ(registros->fusao.getPontos().size(), 42U);
                    esperaIguais(*registros, *draco);
                }
            }
        }
    }
}

TEST(RegistrosPlyTest, RecusamComAsMesmasRazoes) {
    const Forma forma{"uchar", "int", true, false};
    const std::string bom = faixa(forma, 10);
    const std::size_t faces = bom.size() - 10 * 13;
    // Face 6's second index names vertex 24 (there are 24: 0 to 23), then -1 (signed), then a
    // vertex whose x is not finite.
    std::string alem = bom;
    const std::int32_t fora = 24;
    std::memcpy(&alem[faces + 6 * 13 + 1 + 4], &fora, 4);
    std::string negativo = bom;
    const std::int32_t menosUm = -1;
    std::memcpy(&negativo[faces + 6 * 13 + 1 + 4], &menosUm, 4);
    std::string infinito = bom;
    const float inf = std::numeric_limits<float>::infinity();
    std::memcpy(&infinito[faces - 24 * 15 + 5 * 15], &inf, 4);
    for (const std::string* dados : {&alem, &negativo, &infinito}) {
        std::optional<Lido> registros = lerCom(*dados, true);
        std::optional<Lido> draco = lerCom(*dados, false);
        ASSERT_TRUE(registros && draco);
        EXPECT_EQ(registros->leitura, Leitura::recusada);
        EXPECT_NE(registros->erro, "");
        esperaIguais(*registros, *draco);
    }
    EXPECT_EQ(lerCom(alem, true)->erro, "face 6 names vertex 24, but the file has 24 vertices");
}

TEST(RegistrosPlyTest, SoRegistrosDeTamanhoFixoQueAcabamComOArquivo) {
    const Forma forma;
    const std::string bom = faixa(forma, 10);
    ASSERT_TRUE(LeitorPly::lerCabecalho(bom.data(), bom.size()).registros.fixos);
    // A byte after the last face, or a face that says it has four corners, leave the file to
    // Draco.
    const std::string depois = bom + '\0';
    EXPECT_FALSE(LeitorPly::lerCabecalho(depois.data(), depois.size()).registros.fixos);
    std::string quatro = bom;
    quatro[bom.size() - 13] = '\4';
    EXPECT_FALSE(lerCom(quatro, true).has_value());
    // A list among the vertex's properties gives them no fixed size (here each vertex's list
    // would be empty).
    std::string lista = bom;
    const std::string z = "property float z\n";
    lista.replace(lista.find(z), z.size(), z + "property list uchar uchar extra\n");
    lista.append(24, '\0');
    ASSERT_TRUE(LeitorPly::lerCabecalho(lista.data(), lista.size()).simples);
    EXPECT_FALSE(LeitorPly::lerCabecalho(lista.data(), lista.size()).registros.fixos);
    // A file past the threshold is read in place by the mesh reader, with the merge's points.
    const std::string grande = faixa(forma, static_cast<int>(LeitorPly::kRegistrosDiretos / 37));
    ASSERT_GE(grande.size(), LeitorPly::kRegistrosDiretos);
    LeitorMalha leitor(grande.data(), grande.size(), "ply");
    ASSERT_TRUE(leitor.valida()) << leitor.getErro();
    EXPECT_EQ(leitor.getBiblioteca(), "direta");
    EXPECT_EQ(leitor.getTriangulos().size(), LeitorPly::kRegistrosDiretos / 37);
    EXPECT_EQ(leitor.getPontos().size(), LeitorPly::kRegistrosDiretos / 37 + 2);
}
