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

namespace {

// A look for every triangle of `cena`, the same for the same seed: per corner a colour (some
// corners none, some not finite), texture coordinates from -2 to 3 (some not finite), and one
// of five materials: none, a coloured one with a repeating texture, an uncoloured one with a
// clamped and mirrored one, the library's stand-in with a texture, and a plain coloured one.
// Corners at one point get different colours, so points split.
std::shared_ptr<const Aparencia> olharAleatorio(const Gouraud& cena, std::uint64_t semente) {
    std::mt19937_64 gerador(semente);
    std::uniform_real_distribution<float> canal(0.0f, 1.0f);
    std::uniform_real_distribution<float> coordenada(-2.0f, 3.0f);
    std::uniform_int_distribution<int> sorteio(0, 99);
    const auto textura = [&](int largura, int altura) {
        std::vector<std::uint8_t> texels(static_cast<std::size_t>(3 * largura * altura));
        for (std::uint8_t& b : texels) b = static_cast<std::uint8_t>(sorteio(gerador) * 255 / 99);
        return Textura(largura, altura, std::move(texels));
    };
    std::vector<Textura> texturas;
    texturas.push_back(textura(3, 2));
    texturas.push_back(textura(5, 4));
    std::vector<Aparencia::Material> materiais(4);
    materiais[0] = {"tinta",
                    true,
                    {0.9f, 0.5f, 0.3f},
                    true,
                    0,
                    Aparencia::Repeticao::repetir,
                    Aparencia::Repeticao::repetir};
    materiais[1] = {"sem cor",
                    false,
                    {},
                    true,
                    1,
                    Aparencia::Repeticao::limitar,
                    Aparencia::Repeticao::espelhar};
    materiais[2] = {"DefaultMaterial",
                    true,
                    {0.1f, 0.9f, 0.1f},
                    true,
                    0,
                    Aparencia::Repeticao::repetir,
                    Aparencia::Repeticao::repetir};
    materiais[3] = {"liso",
                    true,
                    {0.2f, 0.6f, 1.5f},
                    false,
                    -1,
                    Aparencia::Repeticao::repetir,
                    Aparencia::Repeticao::repetir};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<Aparencia::Variante> variantes;
    std::vector<std::int32_t> cantos;
    for (int t = 0; t < cena.getQuantTriangulos(); ++t) {
        const Triangulo& tri = cena.getListaTriangulo()[t];
        const int material = t % 5 - 1;
        for (const int ponto : {tri.indiceP1, tri.indiceP2, tri.indiceP3}) {
            Aparencia::Variante v;
            v.ponto = ponto;
            v.material = material;
            const int s = sorteio(gerador);
            v.temCor = s >= 20;
            v.cor = {canal(gerador), s < 25 ? nan : canal(gerador), canal(gerador)};
            v.temUv = s < 95;
            v.uv = {coordenada(gerador), s == 0 ? nan : coordenada(gerador)};
            cantos.push_back(static_cast<std::int32_t>(variantes.size()));
            variantes.push_back(v);
        }
    }
    return std::make_shared<const Aparencia>(cena.getQuantPontos(), cena.getQuantTriangulos(),
                                             std::move(cantos), std::move(variantes),
                                             std::move(materiais), std::move(texturas));
}

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
