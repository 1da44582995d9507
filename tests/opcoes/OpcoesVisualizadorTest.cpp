// The viewer's command line: every option read into its field, --medir's optional count, and the
// one-line reason of each usage error.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "OpcoesVisualizador.h"

using namespace gouraud::detail;

namespace {

// Reads the words as the command line after the program's name.
OpcoesVisualizador::Leitura ler(std::vector<std::string> palavras) {
    std::vector<const char*> argv = {"visualizador"};
    for (const std::string& palavra : palavras) argv.push_back(palavra.c_str());
    return OpcoesVisualizador::ler(static_cast<int>(argv.size()), argv.data());
}

TEST(OpcoesVisualizador, LeCadaOpcaoEValoresQueParecemOpcoes) {
    const auto padrao = ler({});
    ASSERT_TRUE(padrao.opcoes) << padrao.motivo;
    EXPECT_EQ(padrao.opcoes->cena, "triangulo.txt");
    EXPECT_FALSE(padrao.opcoes->quadrosMedidos);
    EXPECT_EQ(padrao.opcoes->largura, 640);

    const auto tudo =
        ler({"--cima", "-z", "--vista", "iso", "--iluminacao", "--luz.txt", "--tamanho", "16x4096",
             "--modo", "plano", "--modo", "phong", "--arestas", "--normais", "--imagem", "-",
             "--salvar-cena=s.txt", "bunny.ply", "-h"});
    ASSERT_TRUE(tudo.opcoes) << tudo.motivo;
    const OpcoesVisualizador& o = *tudo.opcoes;
    EXPECT_EQ(o.cena, "bunny.ply");
    EXPECT_EQ(o.cima, VistaPadrao::Cima::menosZ);
    EXPECT_EQ(o.vista, VistaPadrao::Lado::iso);
    EXPECT_EQ(o.iluminacao, "--luz.txt");
    EXPECT_EQ(o.largura, 16);
    EXPECT_EQ(o.altura, 4096);
    EXPECT_EQ(o.estilo.modo, Estilo::Modo::phong);  // the later one wins
    EXPECT_TRUE(o.estilo.arestas && o.estilo.normais && o.ajuda);
    EXPECT_EQ(o.imagem, "-");
    EXPECT_EQ(o.salvarCena, "s.txt");
    EXPECT_FALSE(o.quadrosMedidos);

    // After "--" every word is the file, even one written like an option.
    const auto depois = ler({"--arestas", "--", "-x.ply"});
    ASSERT_TRUE(depois.opcoes) << depois.motivo;
    EXPECT_EQ(depois.opcoes->cena, "-x.ply");
}

TEST(OpcoesVisualizador, MedirTomaSoPalavrasEscritasComoNumero) {
    // Counts, and words that are not one: the file to draw, with the default count.
    const std::vector<std::pair<std::vector<std::string>, std::pair<int, std::string>>> aceitas = {
        {{"a.txt", "--medir"}, {20, "a.txt"}},
        {{"--medir", "7", "a.txt"}, {7, "a.txt"}},
        {{"--medir", "00003"}, {3, "triangulo.txt"}},
        {{"--medir", "100000"}, {100000, "triangulo.txt"}},
        {{"--medir", "bunny.ply"}, {20, "bunny.ply"}},
        {{"--medir", "3d.obj", "--arestas"}, {20, "3d.obj"}},
        {{"--medir", "--arestas", "abc"}, {20, "abc"}},
    };
    for (const auto& [palavras, esperado] : aceitas) {
        const auto leitura = ler(palavras);
        ASSERT_TRUE(leitura.opcoes) << palavras[1] << ": " << leitura.motivo;
        EXPECT_EQ(leitura.opcoes->quadrosMedidos, esperado.first) << palavras[1];
        EXPECT_EQ(leitura.opcoes->cena, esperado.second) << palavras[1];
    }
    for (const char* numero : {"0", "100001", "99999999999", "1.5", "-3", "+5", "1e3", ".5"}) {
        const auto leitura = ler({"a.txt", "--medir", numero});
        EXPECT_FALSE(leitura.opcoes) << numero;
        EXPECT_EQ(leitura.motivo, "--medir takes a number of frames from 1 to 100000") << numero;
    }
    EXPECT_EQ(ler({"a.txt", "--medir", "b.txt"}).motivo, "only one scene file can be given");
}

TEST(OpcoesVisualizador, ErrosDeUsoDizemOMotivoDoPrimeiro) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> casos = {
        {{"a.txt", "--desconhecida"}, "unknown option --desconhecida"},
        {{"-3"}, "unknown option -3"},
        {{"--arestas=sim"}, "unknown option --arestas=sim"},
        {{"a.txt", "b.txt", "--bogus"}, "only one scene file can be given"},
        {{"a.txt", "--", "b.txt"}, "only one scene file can be given"},
        {{"--imagem"}, "--imagem needs a file name"},
        {{"--salvar-cena="}, "--salvar-cena needs a file name"},
        {{"--tamanho"}, "--tamanho needs a size such as 640x480"},
        {{"--modo"}, "--modo needs plano, gouraud or phong"},
        {{"--modo", "sombra", "--modo", "luz"}, "unknown mode sombra"},
        {{"--cima", "y"}, "unknown up axis y (--cima takes +y, -y, +z, -z, +x or -x)"},
        {{"--vista", "cima"}, "unknown view cima (--vista takes frente, direita, topo or iso)"},
        {{"--tamanho", "640x480x2"}, "--tamanho takes WIDTHxHEIGHT, each from 16 to 4096, not 640x480x2"},
        {{"--tamanho", "15x480"}, "--tamanho takes WIDTHxHEIGHT, each from 16 to 4096, not 15x480"},
        {{"--tamanho", "640x+480"}, "--tamanho takes WIDTHxHEIGHT, each from 16 to 4096, not 640x+480"},
    };
    for (const auto& [palavras, motivo] : casos) {
        const auto leitura = ler(palavras);
        EXPECT_FALSE(leitura.opcoes) << motivo;
        EXPECT_EQ(leitura.motivo, motivo);
    }
}

}  // namespace
