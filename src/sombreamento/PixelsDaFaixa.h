#ifndef GOURAUD_PIXELS_DA_FAIXA_H
#define GOURAUD_PIXELS_DA_FAIXA_H

#include <cstddef>
#include <cstdint>

#include "FaixaVisivel.h"
#include "Quadro.h"
#include "Sombreamento.h"
#include "VerticeTela.h"

namespace gouraud::detail {

// The shading of every pixel of a band that has a winner, for modes that colour one pixel at a
// time from the winner's corners: `cor(t, ponto, a, b, c, q1, q2, s)` gets the winner's triangle
// number t in the file, the vertex stage's point of its first corner (-1 for a piece of a
// clipped triangle), its corners' attributes (for a whole triangle `passo` doubles per point of
// the vertex stage from `atributos`, for a piece its own corners'), and the perspective-correct
// weights q1 = b1 iz1, q2 = b2 iz2 and s = 1/iz, with which a value is
// va + (q1 (vb - va) + q2 (vc - va)) s; it returns the pixel's channels (Sombreamento::canais),
// which Sombreamento::pintar writes.
template <typename Cor>
void sombrearPixels(const FaixaVisivel& faixa, Quadro& quadro, const VerticeTela* vertices,
                    const double* atributos, int passo, Cor&& cor) {
    const auto deslocamento = [passo](std::int32_t ponto) {
        return static_cast<std::ptrdiff_t>(ponto) * passo;
    };
    constexpr int kAdiante = 4;
    for (int j = faixa.getLinha0(); j < faixa.getLinha1(); ++j) {
        const std::int32_t* vencedores = faixa.linhaVencedores(j);
        const double* pesos1 = faixa.linhaPesos1(j);
        const double* pesos2 = faixa.linhaPesos2(j);
        const double* profundidades = quadro.linhaProfundidade(j);
        const Quadro::Linha linha = quadro.linha(j);
        for (int i = 0; i < faixa.getLargura(); ++i) {
            // The corners of the winner a few pixels ahead are fetched while this one is shaded.
            if (i + kAdiante < faixa.getLargura() && vencedores[i + kAdiante] >= 0) {
                const Classificacao::Entrada& proxima = faixa.getEntrada(vencedores[i + kAdiante]);
                for (const std::int32_t ponto : {proxima.a, proxima.b, proxima.c}) {
                    __builtin_prefetch(atributos + deslocamento(ponto));
                    __builtin_prefetch(atributos + deslocamento(ponto) + passo - 1);
                }
            }
            const std::int32_t vencedor = vencedores[i];
            if (vencedor == FaixaVisivel::kNenhum) {
                continue;
            }
            const double s = 1.0 / profundidades[i];
            if (FaixaVisivel::ehPeca(vencedor)) {
                const FaixaVisivel::Peca& peca = faixa.getPeca(vencedor);
                const auto& c = peca.cantos;
                Sombreamento::pintar(
                    linha, i,
                    cor(peca.triangulo, -1, c[0].atributos.data(), c[1].atributos.data(),
                        c[2].atributos.data(), pesos1[i] * c[1].z, pesos2[i] * c[2].z, s));
            } else {
                const Classificacao::Entrada& e = faixa.getEntrada(vencedor);
                Sombreamento::pintar(
                    linha, i,
                    cor(e.triangulo, e.a, atributos + deslocamento(e.a),
                        atributos + deslocamento(e.b), atributos + deslocamento(e.c),
                        pesos1[i] * vertices[e.b].iz, pesos2[i] * vertices[e.c].iz, s));
            }
        }
    }
}

// Value k of the corners' attributes a, b and c at a pixel with weights q1, q2 and s:
// va + (q1 (vb - va) + q2 (vc - va)) s.
inline double interpolarAtributo(const double* a, const double* b, const double* c, int k,
                                 double q1, double q2, double s) {
    return a[k] + (q1 * (b[k] - a[k]) + q2 * (c[k] - a[k])) * s;
}

}  // namespace gouraud::detail

#endif
