#include "ListasPorFaixa.h"

namespace gouraud::detail {

void ListasPorFaixa::distribuir(int quantLotes, int quantFaixas) {
    if (inicios.size() < static_cast<std::size_t>(quantFaixas) + 1) {
        inicios.resize(static_cast<std::size_t>(quantFaixas) + 1);
    }
    std::int64_t total = 0;
    for (int f = 0; f < quantFaixas; ++f) {
        inicios[static_cast<std::size_t>(f)] = total;
        for (int lote = 0; lote < quantLotes; ++lote) {
            std::int64_t& celula =
                posicoes[static_cast<std::size_t>(lote) * static_cast<std::size_t>(quantFaixas) +
                         static_cast<std::size_t>(f)];
            const std::int64_t contagem = celula;
            celula = total;
            total += contagem;
        }
    }
    inicios[static_cast<std::size_t>(quantFaixas)] = total;
    if (itens.size() < static_cast<std::size_t>(total)) {
        itens.resize(static_cast<std::size_t>(total));
    }
}

std::span<const std::int32_t> ListasPorFaixa::getFaixa(int faixa) const {
    const std::int64_t inicio = inicios[static_cast<std::size_t>(faixa)];
    const std::int64_t fim = inicios[static_cast<std::size_t>(faixa) + 1];
    if (fim == inicio) {
        return {};
    }
    return {itens.data() + inicio, static_cast<std::size_t>(fim - inicio)};
}

}  // namespace gouraud::detail
