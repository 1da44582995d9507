// The default camera of a mesh for every up axis and view, a view replacing a scene file's
// camera, and the window's view keys.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>

#include "Camera.h"
#include "CenaCarregada.h"
#include "Navegacao.h"
#include "VistaPadrao.h"

using namespace gouraud::detail;

namespace {

namespace fs = std::filesystem;

constexpr double kTolerancia = 1e-15;

Vetor mais(const Vetor& a, const Vetor& b) { return Vetor(a.x + b.x, a.y + b.y, a.z + b.z); }
Vetor vezes(double k, const Vetor& a) { return Vetor(k * a.x, k * a.y, k * a.z); }
double ponto(const Vetor& a, const Vetor& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vetor cruz(const Vetor& a, const Vetor& b) {
    return Vetor(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
Vetor unitario(const Vetor& a) { return vezes(1.0 / std::sqrt(ponto(a, a)), a); }

void esperaPerto(const Vetor& lido, const Vetor& esperado, const char* nome) {
    EXPECT_NEAR(lido.x, esperado.x, kTolerancia) << nome;
    EXPECT_NEAR(lido.y, esperado.y, kTolerancia) << nome;
    EXPECT_NEAR(lido.z, esperado.z, kTolerancia) << nome;
}

bool mesmosBits(const Camera& a, const Camera& b) {
    const auto igual = [](double x, double y) {
        return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
    };
    const auto vetor = [&](const Vetor& p, const Vetor& q) {
        return igual(p.x, q.x) && igual(p.y, q.y) && igual(p.z, q.z);
    };
    return vetor(a.n, b.n) && vetor(a.v, b.v) && vetor(a.u, b.u) && igual(a.foco.x, b.foco.x) &&
           igual(a.foco.y, b.foco.y) && igual(a.foco.z, b.foco.z);
}

class VistaPadraoTest : public testing::Test {
protected:
    void SetUp() override {
        pasta = fs::temp_directory_path() /
                ("gouraud-vistas-" + std::to_string(std::random_device{}()));
        fs::create_directories(pasta);
    }
    void TearDown() override { fs::remove_all(pasta); }

    // Writes `texto` into the test's folder as `nome`; its path.
    std::string escrever(const std::string& nome, const std::string& texto) const {
        std::ofstream(pasta / nome) << texto;
        return (pasta / nome).string();
    }

    fs::path pasta;
};

// A box from (-1, 0, 1) to (3, 2, 5), drawn as two triangles that span it: centre (1, 1, 3),
// diagonal 6.
constexpr char kCaixa[] = "v -1 0 1\nv 3 2 5\nv 3 0 1\nv -1 2 5\nf 1 2 3\nf 1 4 2\n";

TEST_F(VistaPadraoTest, CadaEixoParaCimaECadaVista) {
    const std::string malha = escrever("caixa.obj", kCaixa);
    const Vetor centro(1, 1, 3);
    constexpr double kDistancia = 1.5 * 6.0;
    // The up axis A, the front Fr and the right R = A x Fr, worked out by hand.
    struct Eixos {
        const char* nome;
        Vetor a;
        Vetor frente;
        Vetor direita;
    };
    const Eixos eixos[] = {
        {"+y", Vetor(0, 1, 0), Vetor(0, 0, 1), Vetor(1, 0, 0)},
        {"-y", Vetor(0, -1, 0), Vetor(0, 0, 1), Vetor(-1, 0, 0)},
        {"+z", Vetor(0, 0, 1), Vetor(0, -1, 0), Vetor(1, 0, 0)},
        {"-z", Vetor(0, 0, -1), Vetor(0, -1, 0), Vetor(-1, 0, 0)},
        {"+x", Vetor(1, 0, 0), Vetor(0, 0, 1), Vetor(0, -1, 0)},
        {"-x", Vetor(-1, 0, 0), Vetor(0, 0, 1), Vetor(0, 1, 0)},
    };
    for (const Eixos& e : eixos) {
        for (const char* nomeVista : {"frente", "direita", "topo", "iso"}) {
            SCOPED_TRACE(std::string(e.nome) + " " + nomeVista);
            const std::string vista = nomeVista;
            Vetor onde = e.frente;
            Vetor cima = e.a;
            if (vista == "direita") {
                onde = e.direita;
            } else if (vista == "topo") {
                onde = e.a;
                cima = vezes(-1, e.frente);
            } else if (vista == "iso") {
                onde = unitario(mais(mais(e.frente, e.direita), e.a));
            }
            const Vetor n = vezes(-1, onde);
            const Vetor v = unitario(mais(cima, vezes(-ponto(cima, n), n)));
            const CenaCarregada carregada(malha,
                                          CenaCarregada::Opcoes{*VistaPadrao::lerCima(e.nome),
                                                                VistaPadrao::lerLado(nomeVista)});
            ASSERT_TRUE(carregada.valida()) << carregada.getErro();
            const Camera& camera = carregada.getCamera();
            esperaPerto(camera.n, n, "N");
            esperaPerto(camera.v, v, "V");
            esperaPerto(camera.u, cruz(n, v), "U");
            esperaPerto(Vetor(camera.foco.x, camera.foco.y, camera.foco.z),
                        mais(centro, vezes(kDistancia, onde)), "focus");
        }
    }
}

TEST_F(VistaPadraoTest, SemVistaAMalhaEhVistaDeFrenteComYParaCima) {
    const std::string malha = escrever("caixa.obj", kCaixa);
    const CenaCarregada padrao(malha);
    const CenaCarregada frente(
        malha, CenaCarregada::Opcoes{VistaPadrao::Cima::maisY, VistaPadrao::Lado::frente});
    ASSERT_TRUE(padrao.valida() && frente.valida());
    EXPECT_TRUE(mesmosBits(padrao.getCamera(), frente.getCamera()));
}

TEST_F(VistaPadraoTest, VistaSubstituiACameraEAJanelaDeUmaCena) {
    // Point 3 is used by no triangle, yet it counts in the box: centre (-4.5, 0.5, 0), diagonal
    // sqrt(122).
    const std::string cena = escrever(
        "cena.txt", "4 1\n0 0 0\n1 0 0\n0 1 0\n-10 0 0\n0 1 2\n0 0 1\n0 1 0\n0 0 -5\n1 0.5 0.5\n");
    std::streambuf* saida = std::cout.rdbuf(nullptr);  // the scene loader's marker line
    const CenaCarregada propria(cena);
    const CenaCarregada comCima(cena,
                                CenaCarregada::Opcoes{VistaPadrao::Cima::maisZ, std::nullopt});
    const CenaCarregada topo(
        cena, CenaCarregada::Opcoes{VistaPadrao::Cima::maisY, VistaPadrao::Lado::topo});
    std::cout.rdbuf(saida);
    ASSERT_TRUE(propria.valida() && comCima.valida() && topo.valida());
    // Without a view the file's camera and window stay, whatever the up axis.
    EXPECT_EQ(propria.getProjecao().d, 1.0);
    EXPECT_EQ(propria.getProjecao().hx, 0.5);
    EXPECT_TRUE(mesmosBits(propria.getCamera(), comCima.getCamera()));
    EXPECT_EQ(comCima.getProjecao().hx, 0.5);
    // From the top: the camera stands 1.5 diagonals above the centre and the window frames.
    esperaPerto(topo.getCamera().n, Vetor(0, -1, 0), "N");
    esperaPerto(Vetor(topo.getCamera().foco.x, topo.getCamera().foco.y, topo.getCamera().foco.z),
                Vetor(-4.5, 0.5 + 1.5 * std::sqrt(121.0 + 1.0), 0), "focus");
    EXPECT_NE(topo.getProjecao().hx, 0.5);
}

TEST_F(VistaPadraoTest, TeclasDasVistasDaoAsCamerasDaOpcao) {
    const std::string malha = escrever("caixa.obj", kCaixa);
    const CenaCarregada inicial(malha);
    ASSERT_TRUE(inicial.valida());
    Navegacao navegacao(inicial.getCamera(), inicial.getMalha().getCentro(),
                        inicial.getMalha().getDiagonal(), VistaPadrao::Cima::menosX);
    const std::pair<Navegacao::Acao, VistaPadrao::Lado> teclas[] = {
        {Navegacao::Acao::vistaIso, VistaPadrao::Lado::iso},
        {Navegacao::Acao::vistaTopo, VistaPadrao::Lado::topo},
        {Navegacao::Acao::vistaDireita, VistaPadrao::Lado::direita},
        {Navegacao::Acao::vistaFrente, VistaPadrao::Lado::frente}};
    for (const auto& [acao, lado] : teclas) {
        navegacao.aplicar(Navegacao::Acao::esquerda);
        navegacao.aplicar(acao);
        const CenaCarregada opcao(malha, CenaCarregada::Opcoes{VistaPadrao::Cima::menosX, lado});
        EXPECT_TRUE(mesmosBits(navegacao.getCamera(), opcao.getCamera()));
    }
    navegacao.aplicar(Navegacao::Acao::restaurar);
    EXPECT_TRUE(mesmosBits(navegacao.getCamera(), inicial.getCamera()));
}

TEST_F(VistaPadraoTest, TeclaDaVistaDepoisDeDeslocarGiraDeNovoEmTornoDoCentroDaCaixa) {
    const std::string malha = escrever("caixa.obj", kCaixa);
    const CenaCarregada inicial(malha);
    const CenaCarregada direita(
        malha, CenaCarregada::Opcoes{VistaPadrao::Cima::maisY, VistaPadrao::Lado::direita});
    ASSERT_TRUE(inicial.valida() && direita.valida());
    const Ponto centro = inicial.getMalha().getCentro();
    Navegacao navegacao(inicial.getCamera(), centro, inicial.getMalha().getDiagonal());
    // A pan moves the turning centre with the camera; the view key brings both back.
    navegacao.deslocar(120, -45, inicial.getProjecao());
    navegacao.aplicar(Navegacao::Acao::cima);
    ASSERT_NE(navegacao.getCentro().x, centro.x);
    navegacao.aplicar(Navegacao::Acao::vistaDireita);
    EXPECT_TRUE(mesmosBits(navegacao.getCamera(), direita.getCamera()));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(navegacao.getCentro().x),
              std::bit_cast<std::uint64_t>(centro.x));
    EXPECT_EQ(navegacao.getCentro().y, centro.y);
    EXPECT_EQ(navegacao.getCentro().z, centro.z);
    // A turn from there is the turn of the option's camera about the box's centre.
    navegacao.aplicar(Navegacao::Acao::esquerda);
    Camera esperada = direita.getCamera();
    esperada.girar(esperada.v, Navegacao::kGrausPorPasso, centro);
    EXPECT_TRUE(mesmosBits(navegacao.getCamera(), esperada));
}

}  // namespace
