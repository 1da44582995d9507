#include "Tempos.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "Cronometro.h"

namespace gouraud::detail {

Tempos Tempos::resumir(std::vector<double> ms) {
    Tempos t;
    std::sort(ms.begin(), ms.end());
    const std::size_t meio = ms.size() / 2;
    t.mediana = ms.size() % 2 == 1 ? ms[meio] : (ms[meio - 1] + ms[meio]) / 2.0;
    t.menor = ms.front();
    t.maior = ms.back();
    t.ms = std::move(ms);
    return t;
}

Tempos Tempos::medirQuadros(int quadros, const std::function<void()>& desenhar) {
    desenhar();
    std::vector<double> ms;
    ms.reserve(static_cast<std::size_t>(quadros));
    for (int i = 0; i < quadros; ++i) {
        const Cronometro cronometro;
        desenhar();
        ms.push_back(cronometro.milissegundos());
    }
    return resumir(std::move(ms));
}

std::string Tempos::descrever() const {
    char linha[128];
    std::snprintf(linha, sizeof linha, "median %9.3f ms, fastest %9.3f ms, slowest %9.3f ms",
                  mediana, menor, maior);
    return linha;
}

}  // namespace gouraud::detail
