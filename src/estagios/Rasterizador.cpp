#include "Rasterizador.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <optional>

#include "Cobertura.h"
#include "Recorte.h"
#include "TesteProfundidade.h"
#include "Varredura.h"

namespace gouraud::detail {

namespace {

// An entry's pixel number below its mask, and the mask's bits of each row of its 2 x 2 box.
constexpr int kMascaraPixel = (1 << Classificacao::kBitMascara) - 1;
constexpr unsigned kPrimeiraLinha = 0x3;
constexpr unsigned kSegundaLinha = 0xC;
// Rows whose runs coverage finds in one call.
constexpr int kLinhasPorVez = Classificacao::kLinhasPorFaixa;

// True when a corner of the triangle is behind the near plane or too far off screen.
bool precisaRecorte(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c) {
    return std::isnan(a.x) || std::isnan(b.x) || std::isnan(c.x);
}

VerticeTela paraTela(const Recorte::Canto& v) { return VerticeTela{v.x, v.y, v.z}; }

// Whether Varredura should draw the triangle: its coarse corners close enough together for it,
// and the triangle wide enough for its eight-pixel steps to pay.
bool pequenoParaVarrer(const PosicaoGrossa& a, const PosicaoGrossa& b, const PosicaoGrossa& c) {
    const std::int32_t largura = std::max({a.x, b.x, c.x}) - std::min({a.x, b.x, c.x});
    return largura >= Varredura::kMenorLargura && largura < Varredura::kMaiorExtensao &&
           std::max({a.y, b.y, c.y}) - std::min({a.y, b.y, c.y}) < Varredura::kMaiorExtensao;
}

}  // namespace

Rasterizador::Rasterizador(const Malha& malha, const EstagioVertices& vertices,
                           const Classificacao& classificacao)
    : malha(malha), vertices(vertices), classificacao(classificacao) {
    usarAvx2(true);
}

void Rasterizador::usarAvx2(bool permitir) { avx2 = permitir && Varredura::disponivel(); }

void Rasterizador::visibilidade(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c,
                                std::int32_t vencedor, FaixaVisivel& visivel, Quadro& quadro,
                                bool avx2) {
    Cobertura cobertura;
    if (!cobertura.montar(a, b, c, visivel.getLinha0(), visivel.getLinha1(),
                          visivel.getLargura())) {
        return;
    }
    // A band's rows at a time; the triangle's weights and depths are set up once it is known
    // to cover a pixel.
    std::array<Intervalo, kLinhasPorVez> intervalos;
    std::optional<TesteProfundidade> teste;
    for (int j0 = cobertura.primeiraLinha(); j0 <= cobertura.ultimaLinha(); j0 += kLinhasPorVez) {
        const int j1 = std::min(cobertura.ultimaLinha(), j0 + kLinhasPorVez - 1);
        if (!cobertura.linhas(j0, j1, intervalos.data())) {
            continue;
        }
        if (!teste) {
            teste.emplace(a, b, c, cobertura.getArea());
        }
        for (int j = j0; j <= j1; ++j) {
            const Intervalo run = intervalos[static_cast<std::size_t>(j - j0)];
            if (avx2) {
                Varredura::intervalo(*teste, j, run, vencedor, visivel, quadro);
            } else {
                teste->intervalo(j, run, vencedor, visivel, quadro);
            }
        }
    }
}

void Rasterizador::desenharFaixa(int faixa, const Camera& camera, const Projecao& projecao,
                                 const Sombreamento& sombreamento, FaixaVisivel& visivel,
                                 std::vector<FaixaVisivel::Peca>& pecas, Quadro& quadro,
                                 const Extras* extras) const {
    const std::int64_t inicio = classificacao.inicio(faixa);
    iniciarFaixa(faixa, inicio, visivel, pecas, quadro);
    visibilidadeFaixa(inicio, classificacao.inicio(faixa + 1), camera, projecao, sombreamento,
                      visivel, quadro);
    if (extras != nullptr) {
        extras->aposVisibilidade(visivel, quadro);
    }
    sombreamento.sombrear(visivel, quadro);
    if (extras != nullptr) {
        extras->aposSombreamento(visivel, quadro);
    }
    sombreamento.sobrepor(visivel, quadro);
}

void Rasterizador::iniciarFaixa(int faixa, std::int64_t inicio, FaixaVisivel& visivel,
                                std::vector<FaixaVisivel::Peca>& pecas, Quadro& quadro,
                                bool limpar) const {
    const int linha0 = faixa * Classificacao::kLinhasPorFaixa;
    const int linha1 = std::min(quadro.getAltura(), linha0 + Classificacao::kLinhasPorFaixa);
    if (limpar) {
        quadro.limpar(linha0, linha1);
    }
    visivel.iniciar(linha0, linha1, quadro.getLargura(), classificacao.getEntradas() + inicio,
                    pecas, classificacao.getPosicoes() + inicio);
}

void Rasterizador::visibilidadeFaixa(std::int64_t inicio, std::int64_t fim, const Camera& camera,
                                     const Projecao& projecao, const Sombreamento& sombreamento,
                                     FaixaVisivel& visivel, Quadro& quadro) const {
    const int linha0 = visivel.getLinha0();
    const int linha1 = visivel.getLinha1();
    const int largura = quadro.getLargura();
    const Classificacao::Entrada* entradas = classificacao.getEntradas() + inicio;
    const Triangulo* triangulos = malha.getTriangulos();
    const Ponto* pontos = malha.getPontos();
    const VerticeTela* v = vertices.getVertices();
    const PosicaoGrossa* grossas = vertices.getGrossas();
    const int quantAtributos = sombreamento.getQuantAtributos();
    // The corners of the triangle kAdiante entries ahead are fetched while this one is drawn.
    constexpr std::int64_t kAdiante = 8;
    const auto quantos = static_cast<std::int32_t>(fim - inicio);
    for (std::int32_t k = 0; k < quantos; ++k) {
        if (k + kAdiante < quantos) {
            const Classificacao::Entrada& proxima = entradas[k + kAdiante];
            for (const std::int32_t canto : {proxima.a, proxima.b, proxima.c}) {
                __builtin_prefetch(&v[canto]);
            }
        }
        const Classificacao::Entrada& entrada = entradas[k];
        const VerticeTela& a = v[entrada.a];
        const VerticeTela& b = v[entrada.b];
        const VerticeTela& c = v[entrada.c];
        if (entrada.pixel >= 0) {
            // Its few covered pixels, already known: those in this band's rows.
            const int origem = entrada.pixel & kMascaraPixel;
            const int y0 = origem / largura;
            const int x0 = origem - y0 * largura;
            unsigned cobertos = static_cast<unsigned>(entrada.pixel) >> Classificacao::kBitMascara;
            if (y0 < linha0) {
                cobertos &= kSegundaLinha;
            }
            if (y0 + 1 >= linha1) {
                cobertos &= kPrimeiraLinha;
            }
            if (cobertos == 0) {
                continue;
            }
            const TesteProfundidade teste(a, b, c, Cobertura::paraExata(a),
                                          Cobertura::paraExata(b), Cobertura::paraExata(c));
            for (; cobertos != 0; cobertos &= cobertos - 1) {
                const int bit = std::countr_zero(cobertos);
                teste.pixel(x0 + bit % 2, y0 + bit / 2, k, visivel, quadro);
            }
            continue;
        }
        if (!precisaRecorte(a, b, c)) {
            const PosicaoGrossa& ga = grossas[entrada.a];
            const PosicaoGrossa& gb = grossas[entrada.b];
            const PosicaoGrossa& gc = grossas[entrada.c];
            if (avx2 && pequenoParaVarrer(ga, gb, gc)) {
                const PosicaoExata ea = Cobertura::paraExata(a);
                const PosicaoExata eb = Cobertura::paraExata(b);
                const PosicaoExata ec = Cobertura::paraExata(c);
                const TesteProfundidade teste(a, b, c, ea, eb, ec);
                if (teste.temArea()) {
                    Varredura::desenhar(ga, gb, gc, ea, eb, ec, teste, k, visivel, quadro);
                }
                continue;
            }
            visibilidade(a, b, c, k, visivel, quadro, avx2);
            continue;
        }
        const Triangulo& t = triangulos[entrada.triangulo];
        const Recorte::Poligono p = Recorte::recortar(
            camera, projecao, largura, quadro.getAltura(), pontos[t.indiceP1], pontos[t.indiceP2],
            pontos[t.indiceP3], sombreamento.getAtributos(entrada.a),
            sombreamento.getAtributos(entrada.b), sombreamento.getAtributos(entrada.c),
            quantAtributos);
        for (int k2 = 1; k2 + 1 < p.quant; ++k2) {
            const FaixaVisivel::Peca peca{entrada.triangulo,
                                          k2 - 1,
                                          {p.cantos[0], p.cantos[static_cast<std::size_t>(k2)],
                                           p.cantos[static_cast<std::size_t>(k2) + 1]}};
            const std::int32_t numero = visivel.acrescentarPeca(peca);
            visibilidade(paraTela(peca.cantos[0]), paraTela(peca.cantos[1]),
                         paraTela(peca.cantos[2]), numero, visivel, quadro);
        }
    }
}

}  // namespace gouraud::detail
