#include "Rasterizador.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

#include "Cobertura.h"
#include "Recorte.h"
#include "Sombreador.h"

namespace {

// Rows whose runs coverage finds in one call.
constexpr int kLinhasPorVez = Classificacao::kLinhasPorFaixa;

// True when a corner of the triangle is behind the near plane or too far off screen.
bool precisaRecorte(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c) {
    return std::isnan(a.x) || std::isnan(b.x) || std::isnan(c.x);
}

}  // namespace

Rasterizador::Rasterizador(const Malha& malha, const EstagioVertices& vertices,
                           const Classificacao& classificacao)
    : malha(malha), vertices(vertices), classificacao(classificacao) {}

void Rasterizador::desenharTriangulo(const VerticeTela& a, const VerticeTela& b,
                                     const VerticeTela& c, int linha0, int linha1, Quadro& quadro) {
    Cobertura cobertura;
    if (!cobertura.montar(a, b, c, std::max(0, linha0), std::min(quadro.getAltura(), linha1),
                          quadro.getLargura())) {
        return;
    }
    // A band's rows at a time; the triangle's depths and colours are set up once it is known
    // to cover a pixel.
    std::array<Intervalo, kLinhasPorVez> intervalos;
    std::optional<Sombreador> sombreador;
    for (int j0 = cobertura.primeiraLinha(); j0 <= cobertura.ultimaLinha(); j0 += kLinhasPorVez) {
        const int j1 = std::min(cobertura.ultimaLinha(), j0 + kLinhasPorVez - 1);
        if (!cobertura.linhas(j0, j1, intervalos.data())) {
            continue;
        }
        if (!sombreador) {
            sombreador.emplace(a, b, c, cobertura.getArea());
        }
        for (int j = j0; j <= j1; ++j) {
            sombreador->intervalo(j, intervalos[static_cast<std::size_t>(j - j0)],
                                  quadro.linhaCor(j), quadro.linhaProfundidade(j));
        }
    }
}

void Rasterizador::desenharFaixa(int faixa, const Camera& camera, const Projecao& projecao,
                                 Quadro& quadro) const {
    const int linha0 = faixa * Classificacao::kLinhasPorFaixa;
    const int linha1 = std::min(quadro.getAltura(), linha0 + Classificacao::kLinhasPorFaixa);
    const int largura = quadro.getLargura();
    quadro.limpar(linha0, linha1);
    const Triangulo* triangulos = malha.getTriangulos();
    const Ponto* pontos = malha.getPontos();
    const VerticeTela* v = vertices.getVertices();
    const PosicaoExata* exatas = vertices.getExatas();
    const Classificacao::Entrada* entradas = classificacao.getEntradas();
    const std::int64_t fim = classificacao.inicio(faixa + 1);
    // The corners of the triangle kAdiante entries ahead are fetched while this one is drawn.
    constexpr std::int64_t kAdiante = 8;
    for (std::int64_t k = classificacao.inicio(faixa); k < fim; ++k) {
        if (k + kAdiante < fim) {
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
            // Its one pixel, already known to be covered.
            const int y = entrada.pixel / largura;
            Sombreador(a, b, c,
                       Cobertura::area(exatas[entrada.a], exatas[entrada.b], exatas[entrada.c]))
                .pixel(entrada.pixel - y * largura, y, quadro.linhaCor(y),
                       quadro.linhaProfundidade(y));
            continue;
        }
        if (!precisaRecorte(a, b, c)) {
            desenharTriangulo(a, b, c, linha0, linha1, quadro);
            continue;
        }
        const Triangulo& t = triangulos[entrada.triangulo];
        const Recorte::Poligono p =
            Recorte::recortar(camera, projecao, largura, quadro.getAltura(), pontos[t.indiceP1],
                              pontos[t.indiceP2], pontos[t.indiceP3], a, b, c);
        for (int k2 = 1; k2 + 1 < p.quant; ++k2) {
            desenharTriangulo(Recorte::paraTela(p.cantos[0]),
                              Recorte::paraTela(p.cantos[static_cast<std::size_t>(k2)]),
                              Recorte::paraTela(p.cantos[static_cast<std::size_t>(k2) + 1]), linha0,
                              linha1, quadro);
        }
    }
}
