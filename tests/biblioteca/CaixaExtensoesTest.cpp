// Modelo::caixa, the box the views frame, for a mesh file with loose points and lines and for a
// scene file; Modelo::extensoes, the files abrir reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "gouraud/Modelo.h"

namespace {

// The scene loader's marker line is kept off the test's output.
class CaixaModeloTest : public ::testing::Test {
protected:
    void SetUp() override {
        saida = std::cout.rdbuf(nullptr);
        pasta = std::filesystem::temp_directory_path() /
                ("caixa-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::create_directories(pasta);
    }
    void TearDown() override {
        std::cout.rdbuf(saida);
        std::filesystem::remove_all(pasta);
    }
    std::streambuf* saida = nullptr;
    std::filesystem::path pasta;
};

using Terno = std::array<double, 3>;

TEST_F(CaixaModeloTest, OsPontosSoltosEAsLinhasContamNaCaixa) {
    // A triangle, a loose point below it and a line reaching past it: the box takes all three.
    const std::string arquivo = (pasta / "misto.obj").string();
    std::ofstream(arquivo) << "v 0 0 0\nv 1 0 0\nv 0 2 0\nv 0.5 -3 0.25\nv -4 1 0\nv 0 1 7.5\n"
                              "f 1 2 3\np 4\nl 5 6\n";
    auto modelo = gouraud::Modelo::abrir(arquivo);
    ASSERT_TRUE(modelo) << modelo.getErro();
    const gouraud::Modelo::Caixa caixa = modelo->caixa();
    EXPECT_EQ(caixa.menor, (Terno{-4.0, -3.0, 0.0}));
    EXPECT_EQ(caixa.maior, (Terno{1.0, 2.0, 7.5}));
}

TEST_F(CaixaModeloTest, UmaCenaDaACaixaDosSeusPontos) {
    auto cubo = gouraud::Modelo::abrir(std::string(GOURAUD_EXEMPLOS_DIR) + "/cubo.txt");
    ASSERT_TRUE(cubo) << cubo.getErro();
    EXPECT_EQ(cubo->caixa().menor, (Terno{-1.0, -1.0, -1.0}));
    EXPECT_EQ(cubo->caixa().maior, (Terno{1.0, 1.0, 1.0}));
}

TEST_F(CaixaModeloTest, AsExtensoesSaoAsDasCenasEDeCadaFormato) {
    const std::vector<std::string> extensoes = gouraud::Modelo::extensoes();
    EXPECT_TRUE(std::is_sorted(extensoes.begin(), extensoes.end()));
    EXPECT_EQ(std::adjacent_find(extensoes.begin(), extensoes.end()), extensoes.end());
    for (const std::string& nome : extensoes) {
        // Lower case, without the leading dot; a few formats have two parts ("mesh.xml").
        ASSERT_FALSE(nome.empty());
        EXPECT_EQ(nome.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_-."),
                  std::string::npos)
            << nome;
        EXPECT_NE(nome.front(), '.') << nome;
        EXPECT_NE(nome.back(), '.') << nome;
    }
    for (const char* esperada : {"txt", "ply", "obj", "stl", "gltf", "glb", "fbx", "off", "dae"}) {
        EXPECT_TRUE(std::binary_search(extensoes.begin(), extensoes.end(), esperada)) << esperada;
    }
}

}  // namespace
