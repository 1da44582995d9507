// Models that draw nothing: whether a frame shows any pixel of the model.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "CenaCarregada.h"
#include "Renderizador.h"

using namespace gouraud::detail;

namespace {

namespace fs = std::filesystem;

struct Pasta {
    fs::path caminho =
        fs::temp_directory_path() / ("gouraud-vazios-" + std::to_string(std::random_device{}()));
    Pasta() { fs::create_directories(caminho); }
    ~Pasta() { fs::remove_all(caminho); }
};

TEST(ModelosSemDesenhoTest, DesenhouAlgoContaTriangulosPontosELinhasMesmoPretas) {
    Pasta pasta;
    Iluminacao escura;
    escura.ka = 0;
    struct Caso {
        const char* obj;
        bool desenha;
    };
    const std::vector<Caso> casos = {
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", true},
        // A triangle of no area, alone, then with a point, then with a black line.
        {"v 0 0 0\nv 1 0 0\nv 2 0 0\nf 1 2 3\n", false},
        {"v 0 0 0\nv 1 0 0\nv 2 0 0\nv 0 1 0\nf 1 2 3\np 4\n", true},
        {"v 0 0 0 0 0 0\nv 1 0 0 0 0 0\nv 2 0 0 0 0 0\nv 0 1 0 0 0 0\nf 1 2 3\nl 1 4\n", true},
    };
    for (std::size_t k = 0; k < casos.size(); ++k) {
        const fs::path arquivo = pasta.caminho / ("m" + std::to_string(k) + ".obj");
        std::ofstream(arquivo) << casos[k].obj;
        CenaCarregada carregada(arquivo.string(), 64, 48);
        ASSERT_TRUE(carregada.valida()) << carregada.getErro();
        Quadro quadro(64, 48);
        Renderizador renderizador(carregada.getMalha(), escura, 2);
        renderizador.desenhar(carregada.getCamera(), carregada.getProjecao(), quadro);
        EXPECT_EQ(renderizador.desenhouAlgo(quadro), casos[k].desenha) << casos[k].obj;
        if (k == 3) {
            // The line is black: the colours alone could not tell it was drawn.
            for (int y = 0; y < quadro.getAltura(); ++y)
                for (int x = 0; x < quadro.getLargura(); ++x) ASSERT_EQ(quadro.getCor(x, y), 0);
        }
    }
}

}  // namespace
