#ifndef GOURAUD_BENCH_TEMPOS_H
#define GOURAUD_BENCH_TEMPOS_H

#include <functional>
#include <string>
#include <vector>

namespace gouraud::detail {

// Times in milliseconds, sorted, with their median, fastest and slowest.
struct Tempos {
    std::vector<double> ms;
    double mediana = 0;
    double menor = 0;
    double maior = 0;

    // The times `ms`, at least one, sorted and summed up.
    static Tempos resumir(std::vector<double> ms);
    // One warm-up frame of `desenhar`, then `quadros` frames (at least one) timed one by one.
    static Tempos medirQuadros(int quadros, const std::function<void()>& desenhar);
    // "median     X ms, fastest     Y ms, slowest     Z ms", in columns.
    std::string descrever() const;
};

}  // namespace gouraud::detail

#endif
