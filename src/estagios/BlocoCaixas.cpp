#include "BlocoCaixas.h"

#include <immintrin.h>

#include <limits>

namespace gouraud::detail {

namespace {

constexpr int kBitsGrossos = 8;
constexpr std::int32_t kPixelGrosso = 1 << kBitsGrossos;
constexpr std::int32_t kMeioPixelGrosso = kPixelGrosso / 2;
// As Cobertura's: the bound on how far a coarse edge value lies from the exact one is the |.|_1
// of its two vectors plus this.
constexpr std::int32_t kFolgaGrossa = 4;
constexpr std::int32_t kMarca = std::numeric_limits<std::int32_t>::min();
constexpr int kCandidatos = 4;

// ceil((v - 128) / 256), at least 0: the first pixel whose centre is at or after v.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i primeiro(__m256i v) {
    const __m256i meio = _mm256_set1_epi32(kMeioPixelGrosso);
    return _mm256_max_epi32(
        _mm256_setzero_si256(),
        _mm256_sub_epi32(_mm256_setzero_si256(),
                         _mm256_srai_epi32(_mm256_sub_epi32(meio, v), kBitsGrossos)));
}

// floor((v - 128) / 256), at most limite - 1: the last pixel whose centre is at or before v.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i ultimo(__m256i v, int limite) {
    const __m256i meio = _mm256_set1_epi32(kMeioPixelGrosso);
    return _mm256_min_epi32(_mm256_set1_epi32(limite - 1),
                            _mm256_srai_epi32(_mm256_sub_epi32(v, meio), kBitsGrossos));
}

// Whether any lane of the mask is set.
[[gnu::target("avx2"), gnu::always_inline]] inline bool algum(__m256i mascara) {
    return _mm256_movemask_ps(_mm256_castsi256_ps(mascara)) != 0;
}

}  // namespace

bool BlocoCaixas::disponivel() { return __builtin_cpu_supports("avx2") != 0; }

[[gnu::target("avx2")]] void BlocoCaixas::calcular(const std::int32_t* indices,
                                                   const PosicaoGrossa* grossas, int largura,
                                                   int altura) {
    // Corner k of triangle t is indices[3 t + k]; its coarse x and y are one 64-bit word, read
    // one at a time (faster here than gathering them) and sorted into lanes.
    const auto* posicoes = reinterpret_cast<const long long*>(grossas);
    __m256i x[3];
    __m256i y[3];
    for (int k = 0; k < 3; ++k) {
        __m128i metades[2][2];
        for (int h = 0; h < 2; ++h) {
            const std::int32_t* c = indices + 12 * h + k;
            const __m128i p0 = _mm_cvtsi64_si128(posicoes[c[0]]);
            const __m128i p1 = _mm_cvtsi64_si128(posicoes[c[3]]);
            const __m128i p2 = _mm_cvtsi64_si128(posicoes[c[6]]);
            const __m128i p3 = _mm_cvtsi64_si128(posicoes[c[9]]);
            const __m128i p01 = _mm_unpacklo_epi32(p0, p1);  // x0 x1 y0 y1
            const __m128i p23 = _mm_unpacklo_epi32(p2, p3);  // x2 x3 y2 y3
            metades[0][h] = _mm_unpacklo_epi64(p01, p23);
            metades[1][h] = _mm_unpackhi_epi64(p01, p23);
        }
        x[k] = _mm256_set_m128i(metades[0][1], metades[0][0]);
        y[k] = _mm256_set_m128i(metades[1][1], metades[1][0]);
    }
    const __m256i marca = _mm256_set1_epi32(kMarca);
    const __m256i marcados = _mm256_or_si256(
        _mm256_cmpeq_epi32(x[0], marca),
        _mm256_or_si256(_mm256_cmpeq_epi32(x[1], marca), _mm256_cmpeq_epi32(x[2], marca)));
    const __m256i menorX = _mm256_min_epi32(_mm256_min_epi32(x[0], x[1]), x[2]);
    const __m256i maiorX = _mm256_max_epi32(_mm256_max_epi32(x[0], x[1]), x[2]);
    const __m256i menorY = _mm256_min_epi32(_mm256_min_epi32(y[0], y[1]), y[2]);
    const __m256i maiorY = _mm256_max_epi32(_mm256_max_epi32(y[0], y[1]), y[2]);
    const __m256i meio = _mm256_set1_epi32(kMeioPixelGrosso);
    const __m256i c0 = primeiro(menorX);
    const __m256i c1 = ultimo(maiorX, largura);
    const __m256i l0 = primeiro(menorY);
    const __m256i l1 = ultimo(maiorY, altura);
    _mm256_store_si256(reinterpret_cast<__m256i*>(coluna0.data()), c0);
    _mm256_store_si256(reinterpret_cast<__m256i*>(coluna1.data()), c1);
    _mm256_store_si256(reinterpret_cast<__m256i*>(linha0.data()), l0);
    _mm256_store_si256(reinterpret_cast<__m256i*>(linha1.data()), l1);
    const __m256i vazios = _mm256_or_si256(_mm256_cmpgt_epi32(c0, c1), _mm256_cmpgt_epi32(l0, l1));
    const __m256i um = _mm256_set1_epi32(1);
    const __m256i extensao = _mm256_set1_epi32(kMaiorExtensao);
    const __m256i grandes = _mm256_or_si256(
        _mm256_or_si256(_mm256_cmpgt_epi32(_mm256_sub_epi32(c1, c0), um),
                        _mm256_cmpgt_epi32(_mm256_sub_epi32(l1, l0), um)),
        _mm256_or_si256(_mm256_cmpgt_epi32(_mm256_sub_epi32(maiorX, menorX), extensao),
                        _mm256_cmpgt_epi32(_mm256_sub_epi32(maiorY, menorY), extensao)));
    const __m256i fora = _mm256_or_si256(marcados, vazios);
    const __m256i pequenosVetor =
        _mm256_andnot_si256(_mm256_or_si256(fora, grandes), _mm256_set1_epi32(-1));
    especiais = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(marcados)));
    vivos = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(fora))) ^ 0xFFU;
    pequenos = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(pequenosVetor)));
    __m256i somaDentro = _mm256_setzero_si256();
    __m256i somaDuvida = _mm256_setzero_si256();
    if (pequenos != 0) {
        // At candidate p, with A = a - p, B = b - p, C = c - p: the edge values A x B, B x C
        // and C x A, all surely positive or all surely negative inside, one surely positive and
        // another surely negative outside; surely means beyond |.|_1 of the two vectors +
        // kFolgaGrossa. Values stay below 2^21 in the small triangles' lanes.
        const __m256i folga = _mm256_set1_epi32(kFolgaGrossa);
        // Only the candidates some small triangle has: the second column, the second row.
        const __m256i duasColunas = _mm256_cmpgt_epi32(c1, c0);
        const __m256i duasLinhas = _mm256_cmpgt_epi32(l1, l0);
        const bool temCandidato[kCandidatos] = {
            true, algum(_mm256_and_si256(pequenosVetor, duasColunas)),
            algum(_mm256_and_si256(pequenosVetor, duasLinhas)),
            algum(_mm256_and_si256(pequenosVetor, _mm256_and_si256(duasColunas, duasLinhas)))};
        for (int n = 0; n < kCandidatos; ++n) {
            if (!temCandidato[n]) {
                continue;
            }
            const __m256i di = _mm256_set1_epi32(n % 2);
            const __m256i dj = _mm256_set1_epi32(n / 2);
            const __m256i coluna = _mm256_add_epi32(c0, di);
            const __m256i linha = _mm256_add_epi32(l0, dj);
            const __m256i valido = _mm256_andnot_si256(
                _mm256_or_si256(_mm256_cmpgt_epi32(coluna, c1), _mm256_cmpgt_epi32(linha, l1)),
                pequenosVetor);
            const __m256i px = _mm256_add_epi32(_mm256_slli_epi32(coluna, kBitsGrossos), meio);
            const __m256i py = _mm256_add_epi32(_mm256_slli_epi32(linha, kBitsGrossos), meio);
            __m256i vx[3];
            __m256i vy[3];
            __m256i norma[3];
            for (int k = 0; k < 3; ++k) {
                vx[k] = _mm256_sub_epi32(x[k], px);
                vy[k] = _mm256_sub_epi32(y[k], py);
                norma[k] = _mm256_add_epi32(_mm256_abs_epi32(vx[k]), _mm256_abs_epi32(vy[k]));
            }
            __m256i positivos = _mm256_set1_epi32(-1);
            __m256i negativos = _mm256_set1_epi32(-1);
            __m256i algumPositivo = _mm256_setzero_si256();
            __m256i algumNegativo = _mm256_setzero_si256();
            for (int k = 0; k < 3; ++k) {
                const int seguinte = (k + 1) % 3;
                const __m256i valor = _mm256_sub_epi32(_mm256_mullo_epi32(vx[k], vy[seguinte]),
                                                       _mm256_mullo_epi32(vy[k], vx[seguinte]));
                const __m256i limite =
                    _mm256_add_epi32(_mm256_add_epi32(norma[k], norma[seguinte]), folga);
                const __m256i positivo = _mm256_cmpgt_epi32(valor, limite);
                const __m256i negativo =
                    _mm256_cmpgt_epi32(_mm256_sub_epi32(_mm256_setzero_si256(), limite), valor);
                positivos = _mm256_and_si256(positivos, positivo);
                negativos = _mm256_and_si256(negativos, negativo);
                algumPositivo = _mm256_or_si256(algumPositivo, positivo);
                algumNegativo = _mm256_or_si256(algumNegativo, negativo);
            }
            const __m256i certoDentro = _mm256_or_si256(positivos, negativos);
            const __m256i certoFora = _mm256_and_si256(algumPositivo, algumNegativo);
            const __m256i bit = _mm256_set1_epi32(1 << n);
            somaDentro = _mm256_or_si256(
                somaDentro, _mm256_and_si256(_mm256_and_si256(certoDentro, valido), bit));
            somaDuvida = _mm256_or_si256(
                somaDuvida,
                _mm256_and_si256(
                    _mm256_andnot_si256(_mm256_or_si256(certoDentro, certoFora), valido), bit));
        }
    }
    _mm256_store_si256(reinterpret_cast<__m256i*>(dentro.data()), somaDentro);
    _mm256_store_si256(reinterpret_cast<__m256i*>(duvida.data()), somaDuvida);
}

}  // namespace gouraud::detail
