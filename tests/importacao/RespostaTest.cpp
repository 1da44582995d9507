// The answer's layout: a model with every kind of part goes across and comes back the same, and
// every malformed answer (cut anywhere, a byte changed anywhere, counts beyond the bytes, an
// index past its list) is refused with a reason, never read past its end.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ModeloImportado.h"
#include "Resposta.h"

using namespace gouraud::detail;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesDe(const ModeloImportado& modelo) {
    Bytes bytes;
    const bool ok = Resposta::escreverModelo(modelo, [&bytes](const void* p, std::size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        bytes.insert(bytes.end(), b, b + n);
        return true;
    });
    EXPECT_TRUE(ok);
    return bytes;
}

std::string ler(const Bytes& bytes, Resposta::Lida& lida) {
    return Resposta::ler(bytes.data(), bytes.size(), lida);
}

// Two meshes (points, lines and triangles with normals, colours and coordinates; triangles
// alone), a material with an image of the file, one naming a file beside it, an absent one, and
// images compressed, as texels, too large and without data.
ModeloImportado completo() {
    ModeloImportado m;
    ModeloImportado::Malha a;
    a.posicoes = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    a.temNormais = true;
    a.normais = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    a.temCores = true;
    a.cores = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f, 0.5f, 0.5f};
    a.temUv = true;
    a.uv = {0, 0, 1, 0, 0, 1, 1, 1};
    a.cantos = {3, 1, 2, 3};
    a.indices = {0, 1, 2, 3, 0, 3, 1, 3, 2};
    a.material = 1;
    ModeloImportado::Malha b;
    b.posicoes = {5, 5, 5, 6, 5, 5, 5, 6, 5};
    b.cantos = {3};
    b.indices = {2, 1, 0};
    b.material = 7;
    m.malhas = {a, b};
    ModeloImportado::Material embutida;
    embutida.nome = "madeira";
    embutida.temCor = true;
    embutida.cor = {0.25f, 0.5f, 1};
    embutida.declaraTextura = true;
    embutida.temTextura = true;
    embutida.textura = "*1";
    embutida.modoU = 1;
    embutida.modoV = 2;
    embutida.embutida = 1;
    ModeloImportado::Material externa;
    externa.nome = "pedra";
    externa.temTextura = true;
    externa.textura = "pedra.png";
    ModeloImportado::Material ausente;
    ausente.presente = false;
    m.materiais = {embutida, externa, ausente};
    ModeloImportado::TexturaEmbutida png{5, 0, true, {0x89, 'P', 'N', 'G', 0}};
    ModeloImportado::TexturaEmbutida texels{2, 1, true, {1, 2, 3, 4, 5, 6, 7, 8}};
    ModeloImportado::TexturaEmbutida enorme{ModeloImportado::kMaiorLadoTexels + 1, 2, true, {}};
    ModeloImportado::TexturaEmbutida semDados{4, 4, false, {}};
    m.texturas = {png, texels, enorme, semDados};
    return m;
}

void esperaIguais(const ModeloImportado& a, const ModeloImportado& b) {
    EXPECT_EQ(a.nuvem, b.nuvem);
    ASSERT_EQ(a.malhas.size(), b.malhas.size());
    for (std::size_t i = 0; i < a.malhas.size(); ++i) {
        const auto& x = a.malhas[i];
        const auto& y = b.malhas[i];
        EXPECT_EQ(x.posicoes, y.posicoes);
        EXPECT_EQ(x.temNormais, y.temNormais);
        EXPECT_EQ(x.normais, y.normais);
        EXPECT_EQ(x.temCores, y.temCores);
        EXPECT_EQ(x.cores, y.cores);
        EXPECT_EQ(x.temUv, y.temUv);
        EXPECT_EQ(x.uv, y.uv);
        EXPECT_EQ(x.cantos, y.cantos);
        EXPECT_EQ(x.indices, y.indices);
        EXPECT_EQ(x.material, y.material);
    }
    ASSERT_EQ(a.materiais.size(), b.materiais.size());
    for (std::size_t i = 0; i < a.materiais.size(); ++i) {
        const auto& x = a.materiais[i];
        const auto& y = b.materiais[i];
        EXPECT_EQ(x.presente, y.presente);
        EXPECT_EQ(x.nome, y.nome);
        EXPECT_EQ(x.temCor, y.temCor);
        EXPECT_EQ(x.cor, y.cor);
        EXPECT_EQ(x.declaraTextura, y.declaraTextura);
        EXPECT_EQ(x.temTextura, y.temTextura);
        EXPECT_EQ(x.textura, y.textura);
        EXPECT_EQ(x.modoU, y.modoU);
        EXPECT_EQ(x.modoV, y.modoV);
        EXPECT_EQ(x.embutida, y.embutida);
    }
    ASSERT_EQ(a.texturas.size(), b.texturas.size());
    for (std::size_t i = 0; i < a.texturas.size(); ++i) {
        EXPECT_EQ(a.texturas[i].largura, b.texturas[i].largura);
        EXPECT_EQ(a.texturas[i].altura, b.texturas[i].altura);
        EXPECT_EQ(a.texturas[i].temDados, b.texturas[i].temDados);
        EXPECT_EQ(a.texturas[i].bytes, b.texturas[i].bytes);
    }
}

void gravar32(Bytes& bytes, std::size_t onde, std::uint32_t valor) {
    std::memcpy(bytes.data() + onde, &valor, sizeof(valor));
}

}  // namespace

TEST(RespostaTest, ModeloVaiEVoltaIgual) {
    const ModeloImportado modelo = completo();
    const Bytes bytes = bytesDe(modelo);
    ASSERT_EQ(bytes.size() % 4, 0u);
    Resposta::Lida lida;
    ASSERT_EQ(ler(bytes, lida), "");
    EXPECT_EQ(lida.tipo, Resposta::Tipo::modelo);
    esperaIguais(modelo, lida.modelo);

    ModeloImportado nuvem;
    nuvem.nuvem = true;
    nuvem.malhas.resize(1);
    nuvem.malhas[0].posicoes = {1, 2, 3};
    ASSERT_EQ(ler(bytesDe(nuvem), lida), "");
    esperaIguais(nuvem, lida.modelo);
}

TEST(RespostaTest, RecusaMemoriaEFiltro) {
    Bytes bytes;
    const Resposta::Destino juntar = [&bytes](const void* p, std::size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        bytes.insert(bytes.end(), b, b + n);
        return true;
    };
    ASSERT_TRUE(Resposta::escreverRecusa(std::string(5000, 'x'), juntar));
    Resposta::Lida lida;
    ASSERT_EQ(ler(bytes, lida), "");
    EXPECT_EQ(lida.tipo, Resposta::Tipo::recusa);
    EXPECT_EQ(lida.recusa, std::string(Resposta::kMaiorRecusa, 'x'));
    bytes.push_back(0);
    EXPECT_NE(ler(bytes, lida), "") << "a refusal followed by more bytes";

    // Written over the start of a model: what follows is left alone.
    Bytes modelo = bytesDe(completo());
    unsigned char filtro[Resposta::kCabecalho + 8];
    Resposta::filtro(41, 0xc000003e, filtro);
    std::memcpy(modelo.data(), filtro, sizeof(filtro));
    ASSERT_EQ(ler(modelo, lida), "");
    EXPECT_EQ(lida.tipo, Resposta::Tipo::filtro);
    EXPECT_EQ(lida.chamada, 41);
    EXPECT_EQ(lida.arquitetura, 0xc000003eu);
    unsigned char memoria[Resposta::kCabecalho];
    Resposta::memoria(memoria);
    std::memcpy(modelo.data(), memoria, sizeof(memoria));
    ASSERT_EQ(ler(modelo, lida), "");
    EXPECT_EQ(lida.tipo, Resposta::Tipo::memoria);
}

// Under the sanitizers, any read past the end of what is given is a failure.
TEST(RespostaTest, CadaCorteECadaByteTrocadoSaoRecusadosOuLidosSemPassarDoFim) {
    const Bytes bytes = bytesDe(completo());
    Resposta::Lida lida;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        const Bytes cortada(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        // An exact copy in its own block, so that a read past it is seen.
        EXPECT_NE(ler(cortada, lida), "") << n;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        for (const unsigned char valor : {0x00, 0x01, 0x7f, 0xff}) {
            Bytes trocada = bytes;
            trocada[i] = valor;
            const std::string problema = ler(trocada, lida);
            if (problema.empty() && lida.tipo == Resposta::Tipo::modelo) {
                for (const auto& malha : lida.modelo.malhas) {
                    for (const std::uint32_t v : malha.indices) {
                        ASSERT_LT(v, malha.quantVertices());
                    }
                }
            }
        }
    }
}

TEST(RespostaTest, ContagensEIndicesFalsosDaoOMotivo) {
    const Bytes bytes = bytesDe(completo());
    Resposta::Lida lida;
    // The second mesh is the last 4 + 20 + 36 + 4 + 12 bytes: header, positions, corners, indices.
    const std::size_t malha = bytes.size() - 12 - 4 - 36 - 20;
    struct Caso {
        std::size_t onde;
        std::uint32_t valor;
        const char* motivo;
    };
    const Caso casos[] = {
        {0, 0x12345678, "does not start as an answer does"},
        {4, 9, "unknown kind 9"},
        {bytes.size() - 4, 3, "face 0 of mesh 1 names vertex 3 of 3"},
        {malha, 0xffffffff, "it ends in mesh 1"},
        {malha + 4, 0, "has 3 corners in 0 faces"},
        {malha + 8, 4, "has 4 corners in 1 faces"},
        {malha + 16, 8, "mesh 1 has unknown flags 8"},
        {bytes.size() - 16, 4, "face 0 of mesh 1 has 4 corners"},
        {Resposta::kCabecalho, 2, "its cloud flag is 2"},
    };
    for (const Caso& caso : casos) {
        Bytes trocada = bytes;
        gravar32(trocada, caso.onde, caso.valor);
        EXPECT_NE(ler(trocada, lida).find(caso.motivo), std::string::npos)
            << caso.motivo << ": " << ler(trocada, lida);
    }
    Bytes longa = bytes;
    longa.push_back(0);
    EXPECT_NE(ler(longa, lida).find("follow its end"), std::string::npos);
    EXPECT_EQ(ler(Bytes{}, lida), "it is empty");

    ModeloImportado nuvemComFaces = completo();
    nuvemComFaces.nuvem = true;
    EXPECT_NE(ler(bytesDe(nuvemComFaces), lida).find("of a cloud has faces"), std::string::npos);
    ModeloImportado imagemFora = completo();
    imagemFora.materiais[0].embutida = 4;
    EXPECT_NE(ler(bytesDe(imagemFora), lida).find("material 0 names image 4 of 4"),
              std::string::npos);
    ModeloImportado texelsCurtos = completo();
    texelsCurtos.texturas[1].bytes.pop_back();
    EXPECT_NE(ler(bytesDe(texelsCurtos), lida).find("comes with 7 bytes, not 8"),
              std::string::npos);
}
