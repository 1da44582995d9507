// The picture options on the command line and in the library's Opcoes: the values they take, and
// the one-line reason, naming the option, of every value refused.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "OpcoesVisualizador.h"
#include "TabelaOpcoes.h"
#include "gouraud/Opcoes.h"

using namespace gouraud::detail;

namespace {

OpcoesVisualizador::Leitura ler(const std::vector<std::string>& palavras) {
    std::vector<const char*> argv = {"visualizador"};
    for (const std::string& palavra : palavras) argv.push_back(palavra.c_str());
    return OpcoesVisualizador::ler(static_cast<int>(argv.size()), argv.data());
}

TEST(PublicarOpcoesTest, ValoresAceitos) {
    const auto tudo = ler({"--bits", "24", "--aa", "4", "--ponto-forma", "disco", "--edl", "3,0.5",
                           "--fundo", "#FFa000", "nuvem.ply"});
    ASSERT_TRUE(tudo.opcoes) << tudo.motivo;
    const Estilo& e = tudo.opcoes->estilo;
    EXPECT_TRUE(e.bits24);
    EXPECT_EQ(e.amostras, 4);
    EXPECT_EQ(e.formaPonto, Estilo::FormaPonto::disco);
    EXPECT_TRUE(e.edl);
    EXPECT_EQ(e.raioEdl, 3);
    EXPECT_EQ(e.forcaEdl, 0.5);
    EXPECT_EQ(e.fundo, 0xFFA000U);
    EXPECT_FALSE(e.transparente);
    EXPECT_EQ(tudo.opcoes->cena, "nuvem.ply");

    // --edl alone is 1,2; a word after it that is not a number is the file; R alone keeps S.
    const auto sozinho = ler({"--edl", "nuvem.ply"});
    ASSERT_TRUE(sozinho.opcoes) << sozinho.motivo;
    EXPECT_TRUE(sozinho.opcoes->estilo.edl);
    EXPECT_EQ(sozinho.opcoes->estilo.raioEdl, 1);
    EXPECT_EQ(sozinho.opcoes->estilo.forcaEdl, 2.0);
    EXPECT_EQ(sozinho.opcoes->cena, "nuvem.ply");
    EXPECT_EQ(ler({"--edl=8"}).opcoes->estilo.raioEdl, 8);
    EXPECT_EQ(ler({"--edl", "2,0"}).opcoes->estilo.forcaEdl, 0.0);
    EXPECT_EQ(ler({"--edl", "2,100"}).opcoes->estilo.forcaEdl, 100.0);

    // r,g,b from 0 to 1, each to the nearest of 0..255; a later --fundo wins.
    EXPECT_EQ(ler({"--fundo", "1,0.5,0"}).opcoes->estilo.fundo, 0xFF8000U);
    EXPECT_EQ(ler({"--fundo", "0.2,.2,1e-1"}).opcoes->estilo.fundo, 0x33331AU);
    const auto transparente = ler({"--fundo", "transparente"});
    EXPECT_TRUE(transparente.opcoes->estilo.transparente);
    const auto depois = ler({"--fundo", "transparente", "--fundo=#000001"});
    EXPECT_FALSE(depois.opcoes->estilo.transparente);
    EXPECT_EQ(depois.opcoes->estilo.fundo, 1U);
    // Four samples at the largest picture they fit.
    EXPECT_TRUE(ler({"--aa", "4", "--tamanho", "1024x1024"}).opcoes);
}

TEST(PublicarOpcoesTest, ErrosDeUsoNomeiamAOpcao) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> casos = {
        {{"--bits", "32"}, "--bits takes 16 or 24, not 32"},
        {{"--bits"}, "--bits needs 16 or 24"},
        {{"--aa", "5"}, "--aa takes 1, 2, 3 or 4 samples a side, not 5"},
        {{"--aa", "0"}, "--aa takes 1, 2, 3 or 4 samples a side, not 0"},
        {{"--aa", "2.0"}, "--aa takes 1, 2, 3 or 4 samples a side, not 2.0"},
        {{"--aa"}, "--aa needs 1, 2, 3 or 4"},
        {{"--tamanho", "1920x1080", "--aa", "3"},
         "--aa 3 at 1920x1080 would draw 5760x3240 samples, more than 4096 on a side"},
        {{"--aa", "2", "--tamanho", "2049x16"},
         "--aa 2 at 2049x16 would draw 4098x32 samples, more than 4096 on a side"},
        {{"--ponto-forma", "redondo"}, "--ponto-forma takes quadrado or disco, not redondo"},
        {{"--ponto-forma"}, "--ponto-forma needs quadrado or disco"},
        {{"--edl", "9,1"},
         "--edl takes R,S: a radius R from 1 to 8 pixels and a strength S from 0 to 100, not 9,1"},
        {{"--edl", "0"},
         "--edl takes R,S: a radius R from 1 to 8 pixels and a strength S from 0 to 100, not 0"},
        {{"--edl", "1,101"},
         "--edl takes R,S: a radius R from 1 to 8 pixels and a strength S from 0 to 100, not "
         "1,101"},
        {{"--edl", "1,-1"},
         "--edl takes R,S: a radius R from 1 to 8 pixels and a strength S from 0 to 100, not 1,-1"},
        {{"--edl", "1,2,3"},
         "--edl takes R,S: a radius R from 1 to 8 pixels and a strength S from 0 to 100, not "
         "1,2,3"},
        {{"--edl", "1.5,2"},
         "--edl takes R,S: a radius R from 1 to 8 pixels and a strength S from 0 to 100, not "
         "1.5,2"},
        {{"--edl", "2,nan"},
         "--edl takes R,S: a radius R from 1 to 8 pixels and a strength S from 0 to 100, not "
         "2,nan"},
        {{"--fundo", "#12345"},
         "--fundo takes #rrggbb, r,g,b with each from 0 to 1, or transparente, not #12345"},
        {{"--fundo", "#gg0000"},
         "--fundo takes #rrggbb, r,g,b with each from 0 to 1, or transparente, not #gg0000"},
        {{"--fundo", "1,2,0"},
         "--fundo takes #rrggbb, r,g,b with each from 0 to 1, or transparente, not 1,2,0"},
        {{"--fundo", "0.5,0.5"},
         "--fundo takes #rrggbb, r,g,b with each from 0 to 1, or transparente, not 0.5,0.5"},
        {{"--fundo", "branco"},
         "--fundo takes #rrggbb, r,g,b with each from 0 to 1, or transparente, not branco"},
        {{"--fundo"}, "--fundo needs #rrggbb, r,g,b or transparente"},
    };
    for (const auto& [palavras, motivo] : casos) {
        const auto leitura = ler(palavras);
        EXPECT_FALSE(leitura.opcoes) << motivo;
        EXPECT_EQ(leitura.motivo, motivo);
    }
}

TEST(PublicarOpcoesTest, ABibliotecaRecusaComoALinhaDeComando) {
    // (That the library's options draw the viewer's pictures is PublicarModeloTest's.)
    // The library's defaults are today's picture, and its refusals name the field.
    OpcoesVisualizador padrao;
    ASSERT_EQ(opcoesDaBiblioteca(gouraud::Opcoes{}, padrao), "");
    EXPECT_FALSE(padrao.estilo.bits24 || padrao.estilo.edl || padrao.estilo.transparente);
    EXPECT_EQ(padrao.estilo.amostras, 1);
    EXPECT_EQ(padrao.estilo.fundo, 0U);
    const std::vector<std::pair<gouraud::Opcoes, std::string>> recusadas = {
        {{.bits = 8}, "the colour depth of 8 bits is out of range: it is 16 or 24"},
        {{.aa = 5}, "aa 5 is out of range: it goes from 1 to 4"},
        {{.aa = 0}, "aa 0 is out of range: it goes from 1 to 4"},
        {{.largura = 2000, .aa = 3},
         "aa 3 at 2000x480 would draw 6000x1440 samples, more than 4096 on a side"},
        {{.raioEdl = 9}, "the eye-dome radius 9 is out of range: it goes from 1 to 8 pixels"},
        {{.forcaEdl = -0.5}, "the eye-dome strength is out of range: it goes from 0 to 100"},
        {{.fundo = {0.0, 1.5, 0.0}}, "the background's channels go from 0 to 1"},
        {{.formaPonto = static_cast<gouraud::FormaPonto>(7)},
         "the options hold a point shape that does not exist"},
    };
    for (const auto& [opcoes, motivo] : recusadas) {
        OpcoesVisualizador para;
        EXPECT_EQ(opcoesDaBiblioteca(opcoes, para), motivo);
    }
}

}  // namespace
