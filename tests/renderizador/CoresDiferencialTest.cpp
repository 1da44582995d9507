// Meshes with colours, materials and textures of their own: whole frames against the
// straightforward reference, on any number of threads, and with the colours off, against the
// same mesh without them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Aparencia.h"
#include "AparenciaAleatoria.h"
#include "Camera.h"
#include "Estilo.h"
#include "GeradorCena.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "RenderizadorReferencia.h"
#include "Vistas.h"

using namespace gouraud::detail;

namespace {

// The first pixel where two frames differ in colour, or "".
std::string diferenca(const Quadro& a, const Quadro& b) {
    for (int y = 0; y < a.getAltura(); ++y)
        for (int x = 0; x < a.getLargura(); ++x)
            if (a.getCor(x, y) != b.getCor(x, y))
                return std::to_string(x) + "," + std::to_string(y) + ": " +
                       std::to_string(a.getCor(x, y)) + " vs " + std::to_string(b.getCor(x, y));
    return "";
}

Estilo estilo(Estilo::Modo modo, bool arestas, bool cores = true) {
    Estilo e;
    e.modo = modo;
    e.arestas = arestas;
    e.cores = cores;
    return e;
}

}  // namespace

TEST(CoresDiferencialTest, MesmoQuadroQueAReferenciaEmQualquerNumeroDeThreads) {
    std::vector<std::string> textos;
    std::ifstream coelho(std::filesystem::path(GOURAUD_EXEMPLOS_DIR) / "bunny.txt");
    ASSERT_TRUE(coelho.is_open());
    textos.push_back(std::string(std::istreambuf_iterator<char>(coelho), {}));
    // Random clouds seen from inside: large overlapping triangles, many cut by the near plane.
    for (std::uint64_t semente = 1; semente <= 3; ++semente) {
        textos.push_back(gerarCena(semente, 60, 120));
    }
    Iluminacao lateral;
    lateral.luzNoFoco = false;
    lateral.luz = Ponto(30, 40, -50);
    for (std::size_t k = 0; k < textos.size(); ++k) {
        const std::unique_ptr<Gouraud> cena = carregarCena(textos[k]);
        const Malha malha(*cena, olharAleatorio(*cena, k + 1));
        const Camera camera(*cena);
        std::vector<Vista> vistas = {{camera, Projecao::daCena(*cena, malha, camera)}};
        if (k == 0) {
            vistas.push_back(vistaNumero(6, malha, camera));  // near: large textured triangles
        }
        for (const Vista& vista : vistas) {
            for (const Estilo::Modo modo :
                 {Estilo::Modo::plano, Estilo::Modo::gouraud, Estilo::Modo::phong}) {
                const Estilo e = estilo(modo, k == 1);
                const Iluminacao& luz = k % 2 == 0 ? lateral : Iluminacao();
                Quadro referencia;
                desenharReferencia(malha, luz, vista.camera, vista.projecao, referencia, e);
                Quadro ultimo;
                for (const int threads : {1, 2, 3}) {
                    Renderizador renderizador(malha, luz, threads);
                    renderizador.setEstilo(e);
                    renderizador.desenhar(vista.camera, vista.projecao, ultimo);
                    EXPECT_EQ(diferenca(ultimo, referencia), "")
                        << "scene " << k << ", mode " << Estilo::nomeDoModo(modo) << ", " << threads
                        << " threads";
                }
                Renderizador portatil(malha, luz, 2);
                portatil.permitirAvx2(false);
                portatil.setEstilo(e);
                Quadro q;
                portatil.desenhar(vista.camera, vista.projecao, q);
                EXPECT_EQ(diferenca(q, ultimo), "")
                    << "scene " << k << ", mode " << Estilo::nomeDoModo(modo) << " without AVX2";
            }
        }
    }
}

TEST(CoresDiferencialTest, SemCoresEhOQuadroDaMalhaSemElas) {
    // The colours off give the very picture of the mesh without a look, though its points are
    // split by variant; and turning them on and off again on one renderer changes nothing.
    std::ifstream coelho(std::filesystem::path(GOURAUD_EXEMPLOS_DIR) / "bunny.txt");
    const std::unique_ptr<Gouraud> cena =
        carregarCena(std::string(std::istreambuf_iterator<char>(coelho), {}));
    const Malha colorida(*cena, olharAleatorio(*cena, 7));
    const Malha simples(*cena);
    const Camera camera(*cena);
    for (const int numero : {1, 6}) {
        const Vista vista = vistaNumero(numero, simples, camera);
        for (const Estilo::Modo modo :
             {Estilo::Modo::plano, Estilo::Modo::gouraud, Estilo::Modo::phong}) {
            Renderizador hoje(simples, Iluminacao(), 2);
            hoje.setEstilo(estilo(modo, true));
            Quadro esperado;
            hoje.desenhar(vista.camera, vista.projecao, esperado);
            Renderizador semCor(colorida, Iluminacao(), 2);
            semCor.setEstilo(estilo(modo, true, false));
            Quadro q;
            semCor.desenhar(vista.camera, vista.projecao, q);
            EXPECT_EQ(diferenca(q, esperado), "")
                << "view " << numero << ", " << Estilo::nomeDoModo(modo);
            semCor.setEstilo(estilo(modo, true, true));
            semCor.desenhar(vista.camera, vista.projecao, q);
            EXPECT_NE(diferenca(q, esperado), "");
            semCor.setEstilo(estilo(modo, true, false));
            semCor.desenhar(vista.camera, vista.projecao, q);
            EXPECT_EQ(diferenca(q, esperado), "");
        }
    }
}
