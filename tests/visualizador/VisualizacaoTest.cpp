// Files that reload: the cheap look that notices a change, and the window's scene and lighting
// read again with the view kept, or left as they were while a file does not read.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "ArquivoVigiado.h"
#include "CenaCarregada.h"
#include "Iluminacao.h"
#include "LeitorIluminacao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "Visualizacao.h"

using namespace gouraud::detail;

namespace {

namespace fs = std::filesystem;
using Acao = Navegacao::Acao;

// A folder of its own for each test, removed at the end; the loader's marker line is kept off
// the test's output meanwhile.
class PastaTemporaria : public ::testing::Test {
protected:
    void SetUp() override {
        pasta =
            fs::temp_directory_path() /
            ("visualizacao-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(pasta);
        fs::create_directories(pasta);
        saida = std::cout.rdbuf(nullptr);
    }
    void TearDown() override {
        std::cout.rdbuf(saida);
        std::cout.clear();
        fs::remove_all(pasta);
    }
    std::string caminho(const std::string& nome) const { return (pasta / nome).string(); }
    void escrever(const std::string& nome, const std::string& texto) const {
        std::ofstream(caminho(nome), std::ios::binary | std::ios::trunc) << texto;
    }
    void copiar(const std::string& origem, const std::string& nome) const {
        fs::copy_file(origem, caminho(nome), fs::copy_options::overwrite_existing);
    }

    fs::path pasta;
    std::streambuf* saida = nullptr;
};

const std::string kCubo = std::string(GOURAUD_EXEMPLOS_DIR) + "/cubo.txt";
const std::string kToro = std::string(GOURAUD_EXEMPLOS_DIR) + "/toro.txt";
const std::string kLuz = std::string(GOURAUD_EXEMPLOS_DIR) + "/iluminacao.txt";
const char kLuzVermelha[] = "luz 4 6 -8\ndifusa 0.9 1 0.1 0.1\n";
const char kLuzVerde[] = "difusa 0.7 0.1 1 0.1\nambiente 0.3 255 255 255\n";

bool mesmoQuadro(const Quadro& a, const Quadro& b) {
    for (int y = 0; y < Quadro::kAltura; ++y) {
        if (std::memcmp(a.linhaCor(y), b.linhaCor(y), sizeof(std::uint16_t) * Quadro::kLargura)) {
            return false;
        }
    }
    return true;
}

// The picture of the scene file `cena` lit by the lighting file `luz` from `camera` through
// `projecao`, drawn from scratch as --imagem would.
Quadro desenhoNovo(const std::string& cena, const std::string& luz, const Camera& camera,
                   const Projecao& projecao) {
    Iluminacao iluminacao;
    EXPECT_EQ(LeitorIluminacao::lerArquivo(luz, iluminacao), "");
    CenaCarregada carregada(cena);
    EXPECT_TRUE(carregada.valida()) << carregada.getErro();
    Renderizador renderizador(carregada.getMalha(), iluminacao);
    Quadro quadro;
    renderizador.desenhar(camera, projecao, quadro);
    return quadro;
}

using ArquivoVigiadoTest = PastaTemporaria;
using VisualizacaoTest = PastaTemporaria;

TEST_F(ArquivoVigiadoTest, VeTamanhoHoraIdentidadeEPresenca) {
    escrever("a.txt", "abc");
    ArquivoVigiado vigia(caminho("a.txt"));
    EXPECT_FALSE(vigia.mudou());
    escrever("a.txt", "abcd");
    EXPECT_TRUE(vigia.mudou());
    EXPECT_FALSE(vigia.mudou());
    // The same size, only the modification time.
    escrever("a.txt", "wxyz");
    fs::last_write_time(caminho("a.txt"), fs::file_time_type::clock::now() - std::chrono::hours(1));
    EXPECT_TRUE(vigia.mudou());
    // Another file of the same size and time put in its place.
    const auto hora = fs::last_write_time(caminho("a.txt"));
    escrever("b.txt", "1234");
    fs::last_write_time(caminho("b.txt"), hora);
    fs::rename(caminho("b.txt"), caminho("a.txt"));
    EXPECT_TRUE(vigia.mudou());
    fs::remove(caminho("a.txt"));
    EXPECT_TRUE(vigia.mudou());
    EXPECT_FALSE(vigia.mudou());
    escrever("a.txt", "");
    EXPECT_TRUE(vigia.mudou());
    EXPECT_EQ(vigia.getNome(), caminho("a.txt"));
}

TEST_F(VisualizacaoTest, IluminacaoNovaDaOQuadroDeUmaLeituraNovaComAMesmaVista) {
    copiar(kCubo, "cena.txt");
    escrever("luz.txt", kLuzVermelha);
    Visualizacao visualizacao(caminho("cena.txt"), caminho("luz.txt"));
    ASSERT_TRUE(visualizacao.valida()) << visualizacao.getErro();
    EXPECT_FALSE(visualizacao.vigiar());
    visualizacao.aplicar(Acao::direita);
    visualizacao.girarArrasto(7, 3);
    Quadro vermelho;
    visualizacao.desenhar(vermelho);

    escrever("luz.txt", kLuzVerde);
    EXPECT_TRUE(visualizacao.vigiar());
    EXPECT_EQ(visualizacao.getProblemas(), "");
    Quadro verde;
    visualizacao.desenhar(verde);
    EXPECT_FALSE(mesmoQuadro(verde, vermelho));
    EXPECT_TRUE(
        mesmoQuadro(verde, desenhoNovo(caminho("cena.txt"), caminho("luz.txt"),
                                       visualizacao.getCamera(), visualizacao.getProjecao())));

    // Malformed: the picture stays and the problem names the file, until a good version is read.
    escrever("luz.txt", "difusa 0.7 0.1 1\n");
    EXPECT_TRUE(visualizacao.vigiar());
    EXPECT_EQ(visualizacao.getProblemas().rfind(caminho("luz.txt") + ": line 1, column ", 0), 0u)
        << visualizacao.getProblemas();
    Quadro quadro;
    visualizacao.desenhar(quadro);
    EXPECT_TRUE(mesmoQuadro(quadro, verde));
    copiar(kLuz, "luz.txt");
    EXPECT_TRUE(visualizacao.vigiar());
    EXPECT_EQ(visualizacao.getProblemas(), "");
    visualizacao.desenhar(quadro);
    EXPECT_TRUE(mesmoQuadro(quadro, desenhoNovo(caminho("cena.txt"), kLuz, visualizacao.getCamera(),
                                                visualizacao.getProjecao())));
}

TEST_F(VisualizacaoTest, CenaNovaGuardaAVistaERestaurarVaiAoNovoArquivo) {
    copiar(kCubo, "cena.txt");
    copiar(kLuz, "luz.txt");
    Visualizacao visualizacao(caminho("cena.txt"), caminho("luz.txt"));
    ASSERT_TRUE(visualizacao.valida()) << visualizacao.getErro();
    visualizacao.aplicar(Acao::afastar);
    visualizacao.aplicar(Acao::afastar);
    visualizacao.deslocar(30, -20);
    const Camera camera = visualizacao.getCamera();
    const Projecao projecao = visualizacao.getProjecao();
    Quadro cubo;
    visualizacao.desenhar(cubo);

    // Half written, then deleted: nothing changes but the problem.
    escrever("cena.txt", "8 12\n-1 -1 -1\n1 -1");
    EXPECT_TRUE(visualizacao.vigiar());
    EXPECT_NE(visualizacao.getProblemas().find(caminho("cena.txt") + ": "), std::string::npos)
        << visualizacao.getProblemas();
    fs::remove(caminho("cena.txt"));
    EXPECT_TRUE(visualizacao.vigiar());
    EXPECT_EQ(visualizacao.getProblemas(),
              "cannot open the scene " + caminho("cena.txt") + ": No such file or directory");
    Quadro quadro;
    visualizacao.desenhar(quadro);
    EXPECT_TRUE(mesmoQuadro(quadro, cubo));
    EXPECT_EQ(visualizacao.getQuantTriangulos(), 12);

    // Another mesh: drawn from the same camera through the same window, only the near plane
    // following the new mesh.
    copiar(kToro, "cena.txt");
    EXPECT_TRUE(visualizacao.vigiar());
    EXPECT_EQ(visualizacao.getProblemas(), "");
    EXPECT_TRUE(std::memcmp(&visualizacao.getCamera(), &camera, sizeof camera) == 0);
    const CenaCarregada toro(kToro);
    Projecao esperada = projecao;
    esperada.zPerto = toro.getProjecao().zPerto;
    EXPECT_TRUE(std::memcmp(&visualizacao.getProjecao(), &esperada, sizeof esperada) == 0);
    EXPECT_EQ(visualizacao.getQuantTriangulos(), toro.getMalha().getQuantTriangulos());
    visualizacao.desenhar(quadro);
    EXPECT_TRUE(mesmoQuadro(quadro, desenhoNovo(kToro, kLuz, camera, esperada)));

    // R: the new file's own view, its picture the one --imagem gives.
    visualizacao.aplicar(Acao::restaurar);
    visualizacao.desenhar(quadro);
    EXPECT_TRUE(
        mesmoQuadro(quadro, desenhoNovo(kToro, kLuz, toro.getCamera(), toro.getProjecao())));
}

TEST_F(VisualizacaoTest, RecarregarLeMesmoOQueOOlharNaoVe) {
    copiar(kCubo, "cena.txt");
    escrever("luz.txt", "difusa 0.9 1 0.1 0.1\n");
    Visualizacao visualizacao(caminho("cena.txt"), caminho("luz.txt"));
    ASSERT_TRUE(visualizacao.valida()) << visualizacao.getErro();
    Quadro antes;
    visualizacao.desenhar(antes);
    // The same size and modification time, in the same file: no look can tell.
    const auto hora = fs::last_write_time(caminho("luz.txt"));
    escrever("luz.txt", "difusa 0.9 0.1 1 0.1\n");
    fs::last_write_time(caminho("luz.txt"), hora);
    EXPECT_FALSE(visualizacao.vigiar());
    visualizacao.recarregar();
    EXPECT_EQ(visualizacao.getProblemas(), "");
    Quadro depois;
    visualizacao.desenhar(depois);
    EXPECT_FALSE(mesmoQuadro(depois, antes));
    EXPECT_TRUE(
        mesmoQuadro(depois, desenhoNovo(caminho("cena.txt"), caminho("luz.txt"),
                                        visualizacao.getCamera(), visualizacao.getProjecao())));
    EXPECT_FALSE(visualizacao.vigiar());
}

// What --imagem draws for `nome` read with `opcoes` at largura x altura, default lighting.
Quadro desenhoDaOpcao(const std::string& nome, const CenaCarregada::Opcoes& opcoes, int largura,
                      int altura) {
    const CenaCarregada carregada(nome, opcoes, largura, altura);
    EXPECT_TRUE(carregada.valida()) << carregada.getErro();
    Renderizador renderizador(carregada.getMalha(), Iluminacao());
    Quadro quadro(largura, altura);
    renderizador.desenhar(carregada.getCamera(), carregada.getProjecao(), quadro);
    return quadro;
}

bool mesmoQuadroDeTamanho(const Quadro& a, const Quadro& b) {
    if (a.getLargura() != b.getLargura() || a.getAltura() != b.getAltura()) {
        return false;
    }
    for (int y = 0; y < a.getAltura(); ++y) {
        if (std::memcmp(a.linhaCor(y), b.linhaCor(y), sizeof(std::uint16_t) * a.getLargura())) {
            return false;
        }
    }
    return true;
}

template <typename T>
bool mesmosBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_F(VisualizacaoTest, TeclasDasVistasDaoOQuadroDeVistaDePontoAPonto) {
    using Lado = VistaPadrao::Lado;
    const struct {
        std::string nome;
        VistaPadrao::Cima cima;
        int largura;
        int altura;
    } casos[] = {
        // A mesh on a wide frame, and a scene file whose own window the views drop.
        {std::string(GOURAUD_EXEMPLOS_DIR) + "/bunny.ply", VistaPadrao::Cima::maisZ, 320, 200},
        {kToro, VistaPadrao::Cima::menosX, 640, 480},
    };
    const std::pair<Acao, Lado> teclas[] = {{Acao::vistaDireita, Lado::direita},
                                            {Acao::vistaIso, Lado::iso},
                                            {Acao::vistaTopo, Lado::topo},
                                            {Acao::vistaFrente, Lado::frente}};
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        const CenaCarregada::Opcoes opcoes{caso.cima, std::nullopt};
        Visualizacao visualizacao(caso.nome, std::nullopt, opcoes, caso.largura, caso.altura);
        ASSERT_TRUE(visualizacao.valida()) << visualizacao.getErro();
        const Camera cameraInicial = visualizacao.getCamera();
        const Projecao projecaoInicial = visualizacao.getProjecao();
        Quadro inicial(caso.largura, caso.altura);
        visualizacao.desenhar(inicial);
        for (const auto& [tecla, lado] : teclas) {
            // Wherever the walk went, the pan included, the key gives the --vista picture.
            visualizacao.aplicar(Acao::direita);
            visualizacao.girarArrasto(13, -7);
            visualizacao.deslocar(40, 25);
            visualizacao.aplicar(Acao::aproximar);
            visualizacao.aplicar(tecla);
            const CenaCarregada esperada(caso.nome, CenaCarregada::Opcoes{caso.cima, lado},
                                         caso.largura, caso.altura);
            EXPECT_TRUE(mesmosBytes(visualizacao.getCamera(), esperada.getCamera()));
            EXPECT_TRUE(mesmosBytes(visualizacao.getProjecao(), esperada.getProjecao()));
            Quadro quadro(caso.largura, caso.altura);
            visualizacao.desenhar(quadro);
            EXPECT_TRUE(mesmoQuadroDeTamanho(
                quadro, desenhoDaOpcao(caso.nome, CenaCarregada::Opcoes{caso.cima, lado},
                                       caso.largura, caso.altura)));
        }
        // R: the starting camera, centre and projection. A turn from there shows the centre.
        visualizacao.deslocar(-60, 10);
        visualizacao.aplicar(Acao::restaurar);
        EXPECT_TRUE(mesmosBytes(visualizacao.getCamera(), cameraInicial));
        EXPECT_TRUE(mesmosBytes(visualizacao.getProjecao(), projecaoInicial));
        Quadro quadro(caso.largura, caso.altura);
        visualizacao.desenhar(quadro);
        EXPECT_TRUE(mesmoQuadroDeTamanho(quadro, inicial));
        Visualizacao nova(caso.nome, std::nullopt, opcoes, caso.largura, caso.altura);
        nova.aplicar(Acao::baixo);
        visualizacao.aplicar(Acao::baixo);
        EXPECT_TRUE(mesmosBytes(visualizacao.getCamera(), nova.getCamera()));
    }
}

TEST_F(VisualizacaoTest, MalhaRelidaComOCimaEAVistaDoInicio) {
    copiar(std::string(GOURAUD_EXEMPLOS_DIR) + "/bunny.ply", "malha.ply");
    const CenaCarregada::Opcoes opcoes{VistaPadrao::Cima::maisZ, VistaPadrao::Lado::iso};
    Visualizacao visualizacao(caminho("malha.ply"), std::nullopt, opcoes);
    ASSERT_TRUE(visualizacao.valida()) << visualizacao.getErro();
    visualizacao.aplicar(Acao::vistaTopo);

    // Another mesh, far from the first and of another size, under the same name.
    escrever("malha.ply",
             "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\n"
             "property float z\nelement face 4\nproperty list uchar int vertex_indices\n"
             "end_header\n10 0 0\n14 0 0\n10 3 0\n10 0 2\n3 0 2 1\n3 0 1 3\n3 0 3 2\n"
             "3 1 2 3\n");
    EXPECT_TRUE(visualizacao.vigiar());
    ASSERT_EQ(visualizacao.getProblemas(), "");
    EXPECT_EQ(visualizacao.getQuantTriangulos(), 4);
    visualizacao.aplicar(Acao::restaurar);
    const CenaCarregada iso(caminho("malha.ply"), opcoes);
    EXPECT_TRUE(mesmosBytes(visualizacao.getCamera(), iso.getCamera()));
    EXPECT_TRUE(mesmosBytes(visualizacao.getProjecao(), iso.getProjecao()));
    // The views follow the new mesh's box.
    visualizacao.aplicar(Acao::vistaDireita);
    const CenaCarregada direita(caminho("malha.ply"),
                                CenaCarregada::Opcoes{opcoes.cima, VistaPadrao::Lado::direita});
    EXPECT_TRUE(mesmosBytes(visualizacao.getCamera(), direita.getCamera()));
    EXPECT_TRUE(mesmosBytes(visualizacao.getProjecao(), direita.getProjecao()));
}

TEST(DescricaoTest, OverlayContaOQueHa) {
    // The mode and its switches only where there are triangles, then the counts that are not 0.
    const fs::path exemplos = GOURAUD_EXEMPLOS_DIR;
    Visualizacao linhas((exemplos / "toro-linhas.gltf").string(), std::nullopt);
    ASSERT_TRUE(linhas.valida()) << linhas.getErro();
    EXPECT_EQ(linhas.getDescricao(), "gouraud, 2304 triangles, 515 lines");
    Estilo estilo;
    estilo.modo = Estilo::Modo::phong;
    estilo.arestas = true;
    linhas.setEstilo(estilo);
    EXPECT_EQ(linhas.getDescricao(), "phong, edges, 2304 triangles, 515 lines");
    Visualizacao nuvem((exemplos / "nuvem.ply").string(), std::nullopt);
    ASSERT_TRUE(nuvem.valida()) << nuvem.getErro();
    nuvem.setEstilo(estilo);
    EXPECT_EQ(nuvem.getDescricao(), "20000 points");
    EXPECT_EQ(Visualizacao::contagem(1, 0, 1), "1 triangle, 1 point");
    EXPECT_EQ(Visualizacao::contagem(0, 2, 0), "2 lines");
}

}  // namespace
