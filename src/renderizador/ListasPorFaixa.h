#ifndef GOURAUD_LISTAS_POR_FAIXA_H
#define GOURAUD_LISTAS_POR_FAIXA_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Trabalhadores.h"

namespace gouraud::detail {

// Items (the model's segments) listed by the bands of rows they may draw in, each band's list
// in item order, made on several threads with the same result on any number of them: a first
// pass asks each item for its bands and counts them per batch of items, a second places every
// item in its bands' lists, each batch after the batches before it. Once the lists have held as
// many entries, making them again allocates nothing.
class ListasPorFaixa {
public:
    // Items per batch of work.
    static constexpr int kPorLote = 16384;
    // The most bands there may be.
    static constexpr int kMaisFaixas = 1 << 15;

    // Lists items 0 .. quantItens - 1 in `quantFaixas` bands (at most kMaisFaixas) on
    // `trabalhadores`: faixas(i), called once per item from any thread, gives the first and last
    // band item i may draw in, or a first band after the last for none.
    template <typename Faixas>
    void montar(int quantItens, int quantFaixas, Trabalhadores& trabalhadores, Faixas faixas);

    // The items of band `faixa` (0 <= faixa < quantFaixas), in increasing order.
    std::span<const std::int32_t> getFaixa(int faixa) const;

private:
    // An item's bands as kept between the passes: the first in the low half, the last in the
    // high one; kNenhuma for none.
    static constexpr std::uint32_t kNenhuma = 0xFFFFFFFFU;
    static constexpr int kBitsFaixa = 16;
    static constexpr std::uint32_t kMascaraFaixa = (1U << kBitsFaixa) - 1U;

    // Sets inicios from the batches' counts: the band lists one after another, each batch's
    // part of a band after the earlier batches' parts; and makes room for every entry.
    void distribuir(int quantLotes, int quantFaixas);

    std::vector<std::uint32_t> faixasDosItens;
    // Per batch and band (batch-major): first the count, then where the batch's part starts.
    std::vector<std::int64_t> posicoes;
    // Where each band's list starts in `itens`, and one past the last.
    std::vector<std::int64_t> inicios;
    std::vector<std::int32_t> itens;
};

template <typename Faixas>
void ListasPorFaixa::montar(int quantItens, int quantFaixas, Trabalhadores& trabalhadores,
                            Faixas faixas) {
    const int quantLotes = (quantItens + kPorLote - 1) / kPorLote;
    const auto tamanho = static_cast<std::size_t>(quantItens);
    if (faixasDosItens.size() < tamanho) {
        faixasDosItens.resize(tamanho);
    }
    const std::size_t celulas =
        static_cast<std::size_t>(quantLotes) * static_cast<std::size_t>(quantFaixas);
    if (posicoes.size() < celulas) {
        posicoes.resize(celulas);
    }
    auto contar = [&](int lote) {
        std::int64_t* contagem = posicoes.data() + static_cast<std::ptrdiff_t>(lote) * quantFaixas;
        std::fill(contagem, contagem + quantFaixas, std::int64_t{0});
        const int fim = std::min(quantItens, (lote + 1) * kPorLote);
        for (int i = lote * kPorLote; i < fim; ++i) {
            const auto [primeira, ultima] = faixas(i);
            if (primeira > ultima) {
                faixasDosItens[static_cast<std::size_t>(i)] = kNenhuma;
                continue;
            }
            faixasDosItens[static_cast<std::size_t>(i)] =
                static_cast<std::uint32_t>(primeira) |
                (static_cast<std::uint32_t>(ultima) << kBitsFaixa);
            for (int f = primeira; f <= ultima; ++f) {
                ++contagem[f];
            }
        }
    };
    trabalhadores.paraCada(quantLotes, contar);
    distribuir(quantLotes, quantFaixas);
    auto colocar = [&](int lote) {
        std::int64_t* proxima = posicoes.data() + static_cast<std::ptrdiff_t>(lote) * quantFaixas;
        const int fim = std::min(quantItens, (lote + 1) * kPorLote);
        for (int i = lote * kPorLote; i < fim; ++i) {
            const std::uint32_t par = faixasDosItens[static_cast<std::size_t>(i)];
            if (par == kNenhuma) {
                continue;
            }
            const auto ultima = static_cast<int>(par >> kBitsFaixa);
            for (auto f = static_cast<int>(par & kMascaraFaixa); f <= ultima; ++f) {
                itens[static_cast<std::size_t>(proxima[f]++)] = i;
            }
        }
    };
    trabalhadores.paraCada(quantLotes, colocar);
}

}  // namespace gouraud::detail

#endif
