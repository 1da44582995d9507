// The peers the benchmark times this renderer against draw the picture it draws: on the bunny,
// framed and close up, they cover the same pixels but for their own edge rules, in nearly the
// same colours; so a fault in how a peer is set up (its camera, projection or lighting) cannot
// make the benchmark compare with another picture. Each is skipped when its library was left
// out of the build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "ComparacaoQuadros.h"
#include "GeradorCena.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "Vistas.h"
#if GOURAUD_COM_ALLEGRO
#include "ConcorrenteAllegro.h"
#endif
#if GOURAUD_COM_OSMESA
#include "ConcorrenteOsmesa.h"
#endif

using namespace gouraud::detail;

namespace {

// The benchmark's two views of the small mesh: the whole bunny, and most of it off the screen.
constexpr int kVistas[] = {1, 6};

// The bunny of exemplos/, with its mesh and the file's camera.
struct Coelho {
    std::unique_ptr<Gouraud> gouraud;
    std::unique_ptr<Malha> malha;
    Camera camera;

    Coelho() {
        std::ifstream arquivo(std::filesystem::path(GOURAUD_EXEMPLOS_DIR) / "bunny.txt");
        gouraud = carregarCena(std::string(std::istreambuf_iterator<char>(arquivo), {}));
        malha = std::make_unique<Malha>(*gouraud);
        camera = Camera(*gouraud);
    }
};

// Checks a peer's frame of the view against this renderer's: at most `bordas` pixels drawn by
// one of the two only, per pixel drawn by both, and a mean channel difference of at most
// `diferencaMedia` of 255 where both drew. Unused when both peers were left out.
[[maybe_unused]] void comoONosso(const Coelho& coelho, const Vista& vista, const Quadro& outro, double bordas,
                double diferencaMedia, const std::string& quem) {
    Renderizador renderizador(*coelho.malha, Iluminacao());
    Quadro nosso;
    renderizador.desenhar(vista.camera, vista.projecao, nosso);
    const ComparacaoQuadros c = ComparacaoQuadros::comparar(nosso, outro);
    const auto ambos = static_cast<double>(c.ambos);
    EXPECT_GT(c.ambos, 10000) << quem << ": " << c.descrever();
    EXPECT_LE(static_cast<double>(c.soNosso + c.soOutro), bordas * ambos)
        << quem << ": " << c.descrever();
    EXPECT_LE(c.diferenca / (3.0 * ambos), diferencaMedia) << quem << ": " << c.descrever();
}

TEST(Concorrentes, AllegroDesenhaOMesmoCoelho) {
#if GOURAUD_COM_ALLEGRO
    ASSERT_EQ(ConcorrenteAllegro::iniciar(), "");
    const Coelho coelho;
    ConcorrenteAllegro allegro(*coelho.malha, Iluminacao());
    ASSERT_EQ(allegro.getErro(), "");
    for (const int numero : kVistas) {
        const Vista vista = vistaNumero(numero, *coelho.malha, coelho.camera);
        allegro.desenhar(vista.camera, vista.projecao);
        Quadro quadro;
        allegro.copiar(quadro);
        // Its edge rules are its own and it interpolates colours linearly on the screen.
        comoONosso(coelho, vista, quadro, 0.02, 3.0, "Allegro, view " + std::to_string(numero));
    }
#else
    GTEST_SKIP() << "Allegro 4 was left out of the build";
#endif
}

TEST(Concorrentes, LlvmpipeDesenhaOMesmoCoelho) {
#if GOURAUD_COM_OSMESA
    const Coelho coelho;
    ConcorrenteOsmesa osmesa(*coelho.malha, Iluminacao());
    ASSERT_EQ(osmesa.getErro(), "");
    for (const int numero : kVistas) {
        const Vista vista = vistaNumero(numero, *coelho.malha, coelho.camera);
        osmesa.desenhar(vista.camera, vista.projecao);
        Quadro quadro;
        osmesa.copiar(quadro);
        comoONosso(coelho, vista, quadro, 0.001, 2.0, "llvmpipe, view " + std::to_string(numero));
    }
#else
    GTEST_SKIP() << "Mesa's OSMesa was left out of the build";
#endif
}

}  // namespace
