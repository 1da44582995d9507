#include "AparenciaAleatoria.h"

#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace gouraud::detail {

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

}  // namespace gouraud::detail
