#include "Elementares.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace gouraud::detail {

namespace {

constexpr std::uint64_t kMantissa = (std::uint64_t{1} << 52) - 1;
constexpr int kVies = 1023;
constexpr double kRaizDeDois = 1.4142135623730951;
constexpr double kInversoLn2 = 1.4426950408889634;
// ln 2 in two parts: the first with its last bits zero, so that k ln2hi is exact for |k| < 2^11.
constexpr double kLn2Alto = 6.93147180369123816490e-01;
constexpr double kLn2Baixo = 1.90821492927058770002e-10;
constexpr double kMenorExpoente = -745.0;
constexpr double kMaiorExpoente = 709.0;

// 2^k for a whole k from -1022 to 1023.
double potenciaDeDois(int k) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(k + kVies) << 52);
}

}  // namespace

double Elementares::log2(double x) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    int e = static_cast<int>(bits >> 52) - kVies;
    if ((bits >> 52) == 0) {
        // A subnormal x, made normal by 2^54.
        bits = std::bit_cast<std::uint64_t>(x * 18014398509481984.0);
        e = static_cast<int>(bits >> 52) - kVies - 54;
    }
    double m =
        std::bit_cast<double>((bits & kMantissa) | (static_cast<std::uint64_t>(kVies) << 52));
    if (m > kRaizDeDois) {
        m = m * 0.5;
        e = e + 1;
    }
    const double f = (m - 1.0) / (m + 1.0);
    const double f2 = f * f;
    double serie = 1.0 / 23.0;
    for (const double termo : {1.0 / 21.0, 1.0 / 19.0, 1.0 / 17.0, 1.0 / 15.0, 1.0 / 13.0,
                               1.0 / 11.0, 1.0 / 9.0, 1.0 / 7.0, 1.0 / 5.0, 1.0 / 3.0, 1.0}) {
        serie = serie * f2 + termo;
    }
    const double ln = 2.0 * f * serie;
    return static_cast<double>(e) + ln * kInversoLn2;
}

double Elementares::exp(double y) {
    if (!(y > kMenorExpoente)) {
        return 0.0;
    }
    if (y > kMaiorExpoente) {
        return HUGE_VAL;
    }
    const double k = std::floor(y * kInversoLn2 + 0.5);
    const double r = (y - k * kLn2Alto) - k * kLn2Baixo;
    // 1/13!, 1/12!, ..., 1/1!, 1/0!.
    constexpr double kInversos[] = {1.0 / 6227020800.0,
                                    1.0 / 479001600.0,
                                    1.0 / 39916800.0,
                                    1.0 / 3628800.0,
                                    1.0 / 362880.0,
                                    1.0 / 40320.0,
                                    1.0 / 5040.0,
                                    1.0 / 720.0,
                                    1.0 / 120.0,
                                    1.0 / 24.0,
                                    1.0 / 6.0,
                                    1.0 / 2.0,
                                    1.0,
                                    1.0};
    double serie = kInversos[0];
    for (int i = 1; i < 14; ++i) {
        serie = serie * r + kInversos[i];
    }
    const int potencia = static_cast<int>(k);
    // 2^k in two steps where it would be subnormal.
    if (potencia < -1022) {
        return serie * potenciaDeDois(-1022) * potenciaDeDois(potencia + 1022);
    }
    return serie * potenciaDeDois(potencia);
}

}  // namespace gouraud::detail
