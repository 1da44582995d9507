// The public API against the viewer's headless path: the same pixels for every view, size, mode
// and switch, and every failure a value with the viewer's one-line message.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CenaCarregada.h"
#include "GravadorPng.h"
#include "Visualizacao.h"
#include "gouraud/Modelo.h"

using namespace gouraud::detail;

namespace {

const std::string kToro = std::string(GOURAUD_EXEMPLOS_DIR) + "/toro.txt";
const std::string kCoelho = std::string(GOURAUD_EXEMPLOS_DIR) + "/bunny.ply";
const std::string kLuz = std::string(GOURAUD_EXEMPLOS_DIR) + "/iluminacao.txt";

// The scene loader's marker line is kept off the test's output.
class ModeloTest : public ::testing::Test {
protected:
    void SetUp() override { saida = std::cout.rdbuf(nullptr); }
    void TearDown() override { std::cout.rdbuf(saida); }
    std::streambuf* saida = nullptr;
};

// The pixels the viewer draws headless for `arquivo` read with `abertura`, lit by `luz`.
std::vector<std::uint8_t> doVisualizador(const std::string& arquivo,
                                         const std::optional<std::string>& luz,
                                         const CenaCarregada::Opcoes& abertura, int largura,
                                         int altura, const Estilo& estilo = {}) {
    Visualizacao visualizacao(arquivo, luz, abertura, largura, altura);
    EXPECT_TRUE(visualizacao.valida()) << visualizacao.getErro();
    visualizacao.setEstilo(estilo);
    Quadro quadro(largura, altura);
    visualizacao.desenhar(quadro);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(largura) * 3 * altura);
    GravadorPng::paraRgb(quadro, rgb.data());
    return rgb;
}

TEST_F(ModeloTest, FalhasSaoValoresComAMensagemDoVisualizador) {
    const std::filesystem::path temporaria =
        std::filesystem::temp_directory_path() /
        ("modelo-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(temporaria);
    const std::string pasta = temporaria.string() + "/";
    EXPECT_EQ(gouraud::Modelo::abrir(pasta + "nada.txt").getErro(),
              "cannot open the scene " + pasta + "nada.txt: No such file or directory");
    EXPECT_EQ(gouraud::Modelo::abrir(kToro, pasta + "nada-luz.txt").getErro(),
              "cannot open the lighting file " + pasta + "nada-luz.txt: No such file or directory");
    std::ofstream(pasta + "ruim.txt") << "3 1\n0 0 0\n1 0 0\n0 1 0\n1 2 4\n0 0 1\n0 1 0\n0 0 -5\n";
    const auto ruim = gouraud::Modelo::abrir(pasta + "ruim.txt");
    ASSERT_FALSE(ruim);
    EXPECT_EQ(ruim.getErro().rfind(pasta + "ruim.txt: line 5, column ", 0), 0u) << ruim.getErro();
    EXPECT_EQ(ruim.getErro().find('\n'), std::string::npos);

    auto modelo = gouraud::Modelo::abrir(kToro);
    ASSERT_TRUE(modelo) << modelo.getErro();
    const auto imagem = modelo->desenhar();
    ASSERT_TRUE(imagem) << imagem.getErro();
    EXPECT_EQ(imagem->gravarPng(pasta + "nada/x.png"),
              "cannot write " + pasta + "nada/x.png: No such file or directory");
    gouraud::Imagem curta = *imagem;
    curta.rgb.pop_back();
    EXPECT_EQ(curta.gravarPng(pasta + "curta.png"),
              "cannot write " + pasta +
                  "curta.png: the picture of 640x480 pixels holds 921599 bytes, not 3 per pixel");
    EXPECT_FALSE(std::filesystem::exists(pasta + "curta.png"));
    std::filesystem::remove_all(temporaria);
}

TEST_F(ModeloTest, CadaVistaECimaDaOQuadroDoVisualizador) {
    using gouraud::Vista;
    using Lado = VistaPadrao::Lado;
    const std::pair<gouraud::Cima, VistaPadrao::Cima> cimas[] = {
        {gouraud::Cima::maisY, VistaPadrao::Cima::maisY},
        {gouraud::Cima::menosZ, VistaPadrao::Cima::menosZ}};
    const std::pair<std::optional<Vista>, std::optional<Lado>> vistas[] = {
        {std::nullopt, std::nullopt},
        {Vista::frente, Lado::frente},
        {Vista::direita, Lado::direita},
        {Vista::topo, Lado::topo},
        {Vista::iso, Lado::iso}};
    // A scene file with its own camera and a lighting file, and a mesh file with the defaults.
    const std::pair<std::string, std::optional<std::string>> arquivos[] = {{kToro, kLuz},
                                                                           {kCoelho, std::nullopt}};
    for (const auto& [arquivo, luz] : arquivos) {
        auto modelo = gouraud::Modelo::abrir(arquivo, luz.value_or(""));
        ASSERT_TRUE(modelo) << modelo.getErro();
        for (const auto& [cima, cimaInterna] : cimas) {
            for (const auto& [vista, lado] : vistas) {
                gouraud::Opcoes opcoes{.vista = vista, .cima = cima, .largura = 200, .altura = 150};
                const auto imagem = modelo->desenhar(opcoes);
                ASSERT_TRUE(imagem) << imagem.getErro();
                EXPECT_EQ(imagem->rgb, doVisualizador(arquivo, luz, {cimaInterna, lado}, 200, 150))
                    << arquivo << ", view " << (vista ? static_cast<int>(*vista) : -1);
            }
        }
    }
}

TEST_F(ModeloTest, TamanhoModoEChavesChegamAoQuadro) {
    auto modelo = gouraud::Modelo::abrir(kToro);
    ASSERT_TRUE(modelo) << modelo.getErro();
    // One picture reused through changes of size, mode and switches.
    gouraud::Imagem imagem;
    const std::pair<gouraud::Modo, Estilo::Modo> modos[] = {
        {gouraud::Modo::plano, Estilo::Modo::plano},
        {gouraud::Modo::gouraud, Estilo::Modo::gouraud},
        {gouraud::Modo::phong, Estilo::Modo::phong}};
    int vez = 0;
    for (const auto& [modo, modoInterno] : modos) {
        for (const bool arestas : {false, true}) {
            for (const bool normais : {false, true}) {
                const bool par = vez++ % 2 == 0;
                const gouraud::Opcoes opcoes{.largura = par ? 97 : 64,
                                             .altura = par ? 61 : 200,
                                             .modo = modo,
                                             .arestas = arestas,
                                             .normais = normais};
                ASSERT_EQ(modelo->desenhar(opcoes, imagem), "");
                EXPECT_EQ(imagem.largura, opcoes.largura);
                EXPECT_EQ(imagem.altura, opcoes.altura);
                const Estilo estilo{modoInterno, arestas, normais};
                EXPECT_EQ(imagem.rgb, doVisualizador(kToro, std::nullopt, {}, opcoes.largura,
                                                     opcoes.altura, estilo))
                    << "drawing " << vez;
            }
        }
    }
}

TEST_F(ModeloTest, CoresETamanhoDoPontoChegamAoQuadro) {
    // A mesh with a colour per vertex and a coloured cloud: the colours off change the picture,
    // the point's size changes the cloud's, and each is the viewer's.
    const std::string arquivos[] = {std::string(GOURAUD_EXEMPLOS_DIR) + "/bunny-cores.ply",
                                    std::string(GOURAUD_EXEMPLOS_DIR) + "/nuvem.ply"};
    for (const std::string& arquivo : arquivos) {
        auto modelo = gouraud::Modelo::abrir(arquivo);
        ASSERT_TRUE(modelo) << modelo.getErro();
        gouraud::Imagem imagem;
        std::vector<std::vector<std::uint8_t>> vistas;
        for (const bool cores : {true, false}) {
            for (const int ponto : {1, 3, 7}) {
                const gouraud::Opcoes opcoes{
                    .largura = 160, .altura = 120, .cores = cores, .ponto = ponto};
                ASSERT_EQ(modelo->desenhar(opcoes, imagem), "");
                Estilo estilo;
                estilo.cores = cores;
                estilo.tamanhoPonto = ponto;
                EXPECT_EQ(imagem.rgb, doVisualizador(arquivo, std::nullopt, {}, 160, 120, estilo))
                    << arquivo << ", colours " << cores << ", point " << ponto;
                vistas.push_back(imagem.rgb);
            }
        }
        EXPECT_NE(vistas[1], vistas[4]) << arquivo << ": the colours made no difference";
        const bool nuvem = arquivo.ends_with("nuvem.ply");
        EXPECT_EQ(vistas[0] != vistas[2], nuvem) << arquivo << ": the point size";
        EXPECT_EQ(modelo->desenhar({.ponto = 0}, imagem),
                  "the point size 0 is out of range: it goes from 1 to 16 pixels");
        EXPECT_EQ(modelo->desenhar({.ponto = 17}, imagem),
                  "the point size 17 is out of range: it goes from 1 to 16 pixels");
        EXPECT_EQ(imagem.rgb, vistas.back());
    }
}

TEST_F(ModeloTest, CameraPropriaEOpcoesRecusadas) {
    auto modelo = gouraud::Modelo::abrir(kCoelho);
    ASSERT_TRUE(modelo) << modelo.getErro();
    // The iso view's own axes and focus, given as a camera, frame the same picture.
    CenaCarregada carregada(kCoelho);
    const VistaPadrao iso =
        VistaPadrao::calcular(VistaPadrao::Cima::maisY, VistaPadrao::Lado::iso,
                              carregada.getMalha().getCentro(), carregada.getMalha().getDiagonal());
    gouraud::Opcoes opcoes;
    opcoes.camera = gouraud::Camera{{iso.foco.x, iso.foco.y, iso.foco.z},
                                    {iso.n.x, iso.n.y, iso.n.z},
                                    {iso.v.x, iso.v.y, iso.v.z}};
    gouraud::Imagem imagem;
    ASSERT_EQ(modelo->desenhar(opcoes, imagem), "");
    const std::vector<std::uint8_t> pixels = imagem.rgb;
    EXPECT_EQ(pixels, doVisualizador(kCoelho, std::nullopt,
                                     {VistaPadrao::Cima::maisY, VistaPadrao::Lado::iso}, 640, 480));

    // Refusals leave the picture as it was.
    opcoes.vista = gouraud::Vista::topo;
    EXPECT_EQ(modelo->desenhar(opcoes, imagem), "a view and a camera were both given; choose one");
    const gouraud::Opcoes paralela{.camera = gouraud::Camera{{0, 0, -5}, {0, 2, 0}, {0, -1, 0}}};
    EXPECT_EQ(modelo->desenhar(paralela, imagem),
              "the camera cannot give a picture: the camera axis V is zero or parallel to N");
    EXPECT_EQ(modelo->desenhar({.largura = 0, .altura = 4097}, imagem),
              "the size 0x4097 is out of range: each side goes from 1 to 4096");
    EXPECT_EQ(imagem.rgb, pixels);
    EXPECT_FALSE(modelo->desenhar(paralela));
}

}  // namespace
