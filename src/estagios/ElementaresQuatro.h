#ifndef GOURAUD_ELEMENTARES_QUATRO_H
#define GOURAUD_ELEMENTARES_QUATRO_H

#include <immintrin.h>

#include <cstdint>

namespace gouraud::detail {

// Elementares::log2 and Elementares::exp in four AVX2 lanes, each lane the very operations of
// the one-value function, so the same bits: for code compiled for AVX2 (gnu::target) alone.
namespace elementares_quatro {

[[gnu::target("avx2"), gnu::always_inline]] inline __m256d constante(std::uint64_t bits) {
    return _mm256_castsi256_pd(_mm256_set1_epi64x(static_cast<long long>(bits)));
}

// A whole number v, 0 <= v < 2^52, in each 64-bit lane, as a double: exact.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256d inteiroParaReal(__m256i v) {
    const __m256d magico = _mm256_set1_pd(4503599627370496.0);  // 2^52
    return _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(v, _mm256_castpd_si256(magico))),
                         magico);
}

// log2 x in each lane, for positive, finite, normal x (the caller takes subnormals one by one).
[[gnu::target("avx2"), gnu::always_inline]] inline __m256d log2Quatro(__m256d x) {
    const __m256i bits = _mm256_castpd_si256(x);
    const __m256i mantissa = _mm256_set1_epi64x((std::int64_t{1} << 52) - 1);
    const __m256d um = _mm256_set1_pd(1.0);
    // e + 1023, and m in [1, 2).
    __m256d e = _mm256_sub_pd(inteiroParaReal(_mm256_srli_epi64(bits, 52)), _mm256_set1_pd(1023.0));
    __m256d m = _mm256_castsi256_pd(
        _mm256_or_si256(_mm256_and_si256(bits, mantissa), _mm256_castpd_si256(um)));
    const __m256d acima = _mm256_cmp_pd(m, _mm256_set1_pd(1.4142135623730951), _CMP_GT_OQ);
    m = _mm256_blendv_pd(m, _mm256_mul_pd(m, _mm256_set1_pd(0.5)), acima);
    e = _mm256_blendv_pd(e, _mm256_add_pd(e, um), acima);
    const __m256d f = _mm256_div_pd(_mm256_sub_pd(m, um), _mm256_add_pd(m, um));
    const __m256d f2 = _mm256_mul_pd(f, f);
    __m256d serie = _mm256_set1_pd(1.0 / 23.0);
    const double termos[] = {1.0 / 21.0, 1.0 / 19.0, 1.0 / 17.0, 1.0 / 15.0, 1.0 / 13.0, 1.0 / 11.0,
                             1.0 / 9.0,  1.0 / 7.0,  1.0 / 5.0,  1.0 / 3.0,  1.0};
    for (const double termo : termos) {
        serie = _mm256_add_pd(_mm256_mul_pd(serie, f2), _mm256_set1_pd(termo));
    }
    const __m256d ln = _mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), f), serie);
    return _mm256_add_pd(e, _mm256_mul_pd(ln, _mm256_set1_pd(1.4426950408889634)));
}

// 2^j in each lane for whole j (as doubles) from -1022 to 1023.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256d potenciaDeDoisQuatro(__m256d j) {
    const __m256d magico = _mm256_set1_pd(4503599627370496.0);  // 2^52
    const __m256i inteiro =
        _mm256_castpd_si256(_mm256_add_pd(_mm256_add_pd(j, _mm256_set1_pd(1023.0)), magico));
    return _mm256_castsi256_pd(
        _mm256_slli_epi64(_mm256_and_si256(inteiro, _mm256_set1_epi64x(0x7FF)), 52));
}

// e^y in each lane, for y <= 709.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256d expQuatro(__m256d y) {
    const __m256d inversoLn2 = _mm256_set1_pd(1.4426950408889634);
    const __m256d k =
        _mm256_floor_pd(_mm256_add_pd(_mm256_mul_pd(y, inversoLn2), _mm256_set1_pd(0.5)));
    const __m256d r = _mm256_sub_pd(
        _mm256_sub_pd(y, _mm256_mul_pd(k, _mm256_set1_pd(6.93147180369123816490e-01))),
        _mm256_mul_pd(k, _mm256_set1_pd(1.90821492927058770002e-10)));
    const double inversos[] = {1.0 / 479001600.0,
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
    __m256d serie = _mm256_set1_pd(1.0 / 6227020800.0);
    for (const double inverso : inversos) {
        serie = _mm256_add_pd(_mm256_mul_pd(serie, r), _mm256_set1_pd(inverso));
    }
    // 2^k, in two steps where it would be subnormal: serie 2^max(k, -1022) 2^(k - max(k, -1022)).
    const __m256d limite = _mm256_set1_pd(-1022.0);
    const __m256d normal = _mm256_max_pd(k, limite);
    const __m256d resultado = _mm256_mul_pd(_mm256_mul_pd(serie, potenciaDeDoisQuatro(normal)),
                                            potenciaDeDoisQuatro(_mm256_sub_pd(k, normal)));
    // 0 at and below -745.
    return _mm256_and_pd(resultado, _mm256_cmp_pd(y, _mm256_set1_pd(-745.0), _CMP_GT_OQ));
}

}  // namespace elementares_quatro

}  // namespace gouraud::detail

#endif
