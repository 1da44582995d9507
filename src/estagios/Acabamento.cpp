#include "Acabamento.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "Elementares.h"
#include "ElementaresQuatro.h"

namespace gouraud::detail {

namespace {

// Rows a task works on at a time.
constexpr int kLinhasPorTarefa = 8;
constexpr int kAlfaCheio = 255;
constexpr double kMenosInfinito = -std::numeric_limits<double>::infinity();

// The sums of each K neighbouring 16-bit lanes, in the first 16 / K 32-bit lanes in order.
template <int K>
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i somarVizinhas(__m256i v) {
    const __m256i pares = _mm256_madd_epi16(v, _mm256_set1_epi16(1));
    if constexpr (K == 2) {
        return pares;
    } else {
        const __m256i quadras = _mm256_hadd_epi32(pares, pares);
        return _mm256_permutevar8x32_epi32(quadras, _mm256_setr_epi32(0, 1, 4, 5, 0, 1, 4, 5));
    }
}

// Output pixels [x0, x0 + 16 / K) of row y of `saida` from 16 samples of each of its K rows of
// 16-bit colours in AVX2 lanes, opaque: the same integers as the one-pixel loop, so the same
// bits. The depths are left to the caller.
template <int K>
[[gnu::target("avx2")]] void mediaQuatro(const std::uint16_t* const* cores, int x0,
                                         std::uint16_t* cor, Canais* canal) {
    static_assert(K == 2 || K == 4);
    constexpr int kSaidas = 16 / K;
    __m256i r = _mm256_setzero_si256();
    __m256i g = _mm256_setzero_si256();
    __m256i b = _mm256_setzero_si256();
    for (int s = 0; s < K; ++s) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cores[s] + K * x0));
        // Each channel expanded as Quadro::expandir does: its top bits repeated in the low ones.
        r = _mm256_add_epi16(r, _mm256_or_si256(_mm256_slli_epi16(_mm256_srli_epi16(v, 11), 3),
                                                _mm256_srli_epi16(v, 13)));
        const __m256i g6 = _mm256_and_si256(_mm256_srli_epi16(v, 5), _mm256_set1_epi16(0x3F));
        g = _mm256_add_epi16(g,
                             _mm256_or_si256(_mm256_slli_epi16(g6, 2), _mm256_srli_epi16(g6, 4)));
        const __m256i b5 = _mm256_and_si256(v, _mm256_set1_epi16(0x1F));
        b = _mm256_add_epi16(b,
                             _mm256_or_si256(_mm256_slli_epi16(b5, 3), _mm256_srli_epi16(b5, 2)));
    }
    constexpr int kDeslocamento = K == 2 ? 2 : 4;
    const __m256i metade = _mm256_set1_epi32(K * K / 2);
    const __m256i rr =
        _mm256_srli_epi32(_mm256_add_epi32(somarVizinhas<K>(r), metade), kDeslocamento);
    const __m256i gg =
        _mm256_srli_epi32(_mm256_add_epi32(somarVizinhas<K>(g), metade), kDeslocamento);
    const __m256i bb =
        _mm256_srli_epi32(_mm256_add_epi32(somarVizinhas<K>(b), metade), kDeslocamento);
    const __m256i pixel =
        _mm256_or_si256(_mm256_or_si256(_mm256_set1_epi32(static_cast<int>(Quadro::kOpaco)),
                                        _mm256_slli_epi32(rr, 16)),
                        _mm256_or_si256(_mm256_slli_epi32(gg, 8), bb));
    const __m256i cor16 =
        _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(_mm256_srli_epi32(rr, 3), 11),
                                        _mm256_slli_epi32(_mm256_srli_epi32(gg, 2), 5)),
                        _mm256_srli_epi32(bb, 3));
    alignas(32) std::uint32_t pixels[8];
    alignas(32) std::uint32_t cores16[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(pixels), pixel);
    _mm256_store_si256(reinterpret_cast<__m256i*>(cores16), cor16);
    for (int t = 0; t < kSaidas; ++t) {
        canal[x0 + t] = pixels[t];
        cor[x0 + t] = static_cast<std::uint16_t>(cores16[t]);
    }
}

// Output rows [linha0, linha1) of `saida`, each pixel the mean of its K x K samples of
// `amostras` (which is `saida` itself when K = 1): their channels (kCanais) or their 16-bit
// colours expanded, over all of them or (kTransparente) over those the alpha marks drawn; with
// kAvx2, opaque 16-bit samples K = 2 or 4 at a time in AVX2 lanes (mediaQuatro), the same bits.
template <int K, bool kCanais, bool kTransparente, bool kAvx2 = false>
void media(const Quadro& amostras, Quadro& saida, int linha0, int linha1) {
    constexpr int kQuantas = K * K;
    const int largura = saida.getLargura();
    for (int y = linha0; y < linha1; ++y) {
        const std::uint16_t* cores[K];
        const Canais* canais[K];
        const double* profundidades[K];
        for (int s = 0; s < K; ++s) {
            cores[s] = amostras.linhaCor(K * y + s);
            canais[s] = amostras.linhaCanais(K * y + s);
            profundidades[s] = amostras.linhaProfundidade(K * y + s);
        }
        std::uint16_t* cor = saida.linhaCor(y);
        Canais* canal = saida.linhaCanais(y);
        double* profundidade = saida.linhaProfundidade(y);
        int x = 0;
        if constexpr (kAvx2) {
            for (; K * x + 16 <= K * largura; x += 16 / K) {
                mediaQuatro<K>(cores, x, cor, canal);
            }
            // The nearest sample's depth, pixel by pixel.
            for (int p = 0; p < x; ++p) {
                double perto = 0.0;
                for (int sy = 0; sy < K; ++sy) {
                    for (int sx = 0; sx < K; ++sx) {
                        perto = std::max(perto, profundidades[sy][K * p + sx]);
                    }
                }
                profundidade[p] = perto;
            }
        }
        for (; x < largura; ++x) {
            int r = 0;
            int g = 0;
            int b = 0;
            int desenhadas = 0;
            double perto = 0.0;
            for (int sy = 0; sy < K; ++sy) {
                for (int sx = 0; sx < K; ++sx) {
                    const int i = K * x + sx;
                    if constexpr (kTransparente) {
                        if (Quadro::alfaDe(canais[sy][i]) == 0) {
                            continue;
                        }
                        ++desenhadas;
                    }
                    const Canais c = kCanais ? canais[sy][i] : Quadro::expandir(cores[sy][i]);
                    r += Quadro::vermelhoDe(c);
                    g += Quadro::verdeDe(c);
                    b += Quadro::azulDe(c);
                    if constexpr (K > 1) {
                        perto = std::max(perto, profundidades[sy][i]);
                    }
                }
            }
            // The divisor: every sample with a background, the ones drawn without.
            const int divisor = kTransparente ? desenhadas : kQuantas;
            Canais pixel = 0;
            if (divisor > 0) {
                const int metade = divisor / 2;
                pixel = Quadro::opaco((r + metade) / divisor, (g + metade) / divisor,
                                      (b + metade) / divisor);
            }
            if constexpr (kTransparente) {
                const auto alfa =
                    static_cast<Canais>((kAlfaCheio * desenhadas + kQuantas / 2) / kQuantas);
                pixel = (pixel & Quadro::kSemAlfa) | (alfa << 24);
            }
            cor[x] = Quadro::empacotar(pixel);
            canal[x] = pixel;
            if constexpr (K > 1) {
                profundidade[x] = perto;
            }
        }
    }
}

using Media = void (*)(const Quadro&, Quadro&, int, int);

template <int K>
Media mediaDe(bool canais, bool transparente) {
    if (canais) {
        return transparente ? media<K, true, true> : media<K, true, false>;
    }
    return transparente ? media<K, false, true> : media<K, false, false>;
}

Media mediaDe(int k, bool canais, bool transparente, bool avx2) {
    // Opaque 16-bit samples two or four a side, the usual anti-aliasing, in AVX2 lanes.
    if (avx2 && !canais && !transparente && (k == 2 || k == 4)) {
        return k == 2 ? media<2, false, false, true> : media<4, false, false, true>;
    }
    switch (k) {
        case 1:
            return mediaDe<1>(canais, transparente);
        case 2:
            return mediaDe<2>(canais, transparente);
        case 3:
            return mediaDe<3>(canais, transparente);
        default:
            return mediaDe<4>(canais, transparente);
    }
}

}  // namespace

Acabamento::Acabamento() { usarAvx2(true); }

void Acabamento::usarAvx2(bool permitir) { avx2 = permitir && __builtin_cpu_supports("avx2") != 0; }

bool Acabamento::canaisNoDesenho(const Pedido& pedido) {
    return pedido.canais || pedido.transparente || pedido.edl;
}

bool Acabamento::necessario(const Pedido& pedido) {
    return pedido.amostras > 1 || pedido.edl || (pedido.transparente && !pedido.canais);
}

void Acabamento::prepararLogs(const Quadro& amostras, int raio, Trabalhadores& trabalhadores) {
    const int largura = amostras.getLargura();
    const int altura = amostras.getAltura();
    margem = raio;
    larguraLogs = largura + 2 * raio;
    const std::size_t tamanho =
        static_cast<std::size_t>(larguraLogs) * static_cast<std::size_t>(altura + 2 * raio);
    // The border stays -infinity from the first frame of this size and radius on: only the rows
    // and columns inside it are ever written.
    if (logs.size() != tamanho) {
        logs.assign(tamanho, kMenosInfinito);
    }
    const int tarefas = (altura + kLinhasPorTarefa - 1) / kLinhasPorTarefa;
    auto tarefa = [&](int k) {
        const int y1 = std::min(altura, (k + 1) * kLinhasPorTarefa);
        for (int y = k * kLinhasPorTarefa; y < y1; ++y) {
            const double* profundidades = amostras.linhaProfundidade(y);
            double* destino =
                logs.data() +
                static_cast<std::size_t>(y + raio) * static_cast<std::size_t>(larguraLogs) +
                static_cast<std::size_t>(raio);
            for (int x = avx2 ? logsQuatro(profundidades, largura, destino) : 0; x < largura; ++x) {
                destino[x] =
                    profundidades[x] > 0.0 ? Elementares::log2(profundidades[x]) : kMenosInfinito;
            }
        }
    };
    trabalhadores.paraCada(tarefas, tarefa);
}

void Acabamento::escurecer(Quadro& amostras, const Pedido& pedido, bool deCores, int linha0,
                           int linha1) const {
    const int largura = amostras.getLargura();
    const std::ptrdiff_t passo = larguraLogs;
    const std::ptrdiff_t r = pedido.raio;
    // The neighbours' offsets in the order they are added.
    const std::ptrdiff_t vizinhos[8] = {
        -r, r, -r * passo, r * passo, -r - r * passo, -r + r * passo, r - r * passo, r + r * passo};
    const double menosForca = -pedido.forca;
    for (int y = linha0; y < linha1; ++y) {
        const Quadro::Linha linha = amostras.linha(y);
        const double* profundidades = amostras.linhaProfundidade(y);
        const double* logsLinha =
            logs.data() + static_cast<std::ptrdiff_t>(y + margem) * passo + margem;
        for (int x = avx2 ? escurecerQuatro(amostras, pedido, deCores, y) : 0; x < largura; ++x) {
            const Canais antes = deCores ? (Quadro::expandir(linha.cor[x]) & Quadro::kSemAlfa) |
                                               (linha.canais[x] & Quadro::kOpaco)
                                         : linha.canais[x];
            Canais depois = antes;
            if (profundidades[x] > 0.0) {
                const double* p = logsLinha + x;
                const double lp = *p;
                double o = 0.0;
                for (const std::ptrdiff_t v : vizinhos) {
                    o += std::max(0.0, p[v] - lp);
                }
                if (o > 0.0) {
                    // exp(-s . 0) is 1 and leaves every channel as it is: only o > 0 darkens.
                    const double fator = Elementares::exp(menosForca * o);
                    depois = (antes & Quadro::kOpaco) |
                             (Quadro::opaco(static_cast<int>(Quadro::vermelhoDe(antes) * fator),
                                            static_cast<int>(Quadro::verdeDe(antes) * fator),
                                            static_cast<int>(Quadro::azulDe(antes) * fator)) &
                              Quadro::kSemAlfa);
                }
            }
            if (depois != linha.canais[x]) {
                linha.canais[x] = depois;
                linha.cor[x] = Quadro::empacotar(depois);
            }
        }
    }
}

[[gnu::target("avx2")]] int Acabamento::logsQuatro(const double* profundidades, int largura,
                                                   double* destino) {
    namespace q = elementares_quatro;
    // The least normal double: a lane below it (0 or subnormal) is left to the one-value loop,
    // or is -infinity for 0.
    const __m256d menorNormal = _mm256_set1_pd(2.2250738585072014e-308);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d menosInfinito = _mm256_set1_pd(kMenosInfinito);
    int x = 0;
    for (; x + 4 <= largura; x += 4) {
        const __m256d w = _mm256_loadu_pd(profundidades + x);
        const __m256d nulos = _mm256_cmp_pd(w, zero, _CMP_LE_OQ);
        const __m256d normais = _mm256_cmp_pd(w, menorNormal, _CMP_GE_OQ);
        if (_mm256_movemask_pd(_mm256_or_pd(nulos, normais)) != 0xF) {
            return x;
        }
        // The logs of the 0 lanes are worked out from 1 and replaced.
        const __m256d l = q::log2Quatro(_mm256_blendv_pd(w, _mm256_set1_pd(1.0), nulos));
        _mm256_storeu_pd(destino + x, _mm256_blendv_pd(l, menosInfinito, nulos));
    }
    return x;
}

[[gnu::target("avx2")]] int Acabamento::escurecerQuatro(Quadro& amostras, const Pedido& pedido,
                                                        bool deCores, int y) const {
    namespace q = elementares_quatro;
    const int largura = amostras.getLargura();
    const Quadro::Linha linha = amostras.linha(y);
    const double* profundidades = amostras.linhaProfundidade(y);
    const std::ptrdiff_t passo = larguraLogs;
    const std::ptrdiff_t r = pedido.raio;
    const double* logsLinha =
        logs.data() + static_cast<std::ptrdiff_t>(y + margem) * passo + margem;
    const std::ptrdiff_t vizinhos[8] = {
        -r, r, -r * passo, r * passo, -r - r * passo, -r + r * passo, r - r * passo, r + r * passo};
    const __m256d zero = _mm256_setzero_pd();
    const __m256d menosForca = _mm256_set1_pd(-pedido.forca);
    int x = 0;
    for (; x + 4 <= largura; x += 4) {
        // Each lane's channels before, as escurecer takes them.
        alignas(16) Canais antes[4];
        for (int t = 0; t < 4; ++t) {
            antes[t] = deCores ? (Quadro::expandir(linha.cor[x + t]) & Quadro::kSemAlfa) |
                                     (linha.canais[x + t] & Quadro::kOpaco)
                               : linha.canais[x + t];
        }
        const __m256d desenhados =
            _mm256_cmp_pd(_mm256_loadu_pd(profundidades + x), zero, _CMP_GT_OQ);
        unsigned escuros = 0;
        __m256d fator = _mm256_set1_pd(1.0);
        if (_mm256_movemask_pd(desenhados) != 0) {
            const double* p = logsLinha + x;
            const __m256d lp = _mm256_loadu_pd(p);
            __m256d o = zero;
            for (const std::ptrdiff_t v : vizinhos) {
                // max(d, 0) gives 0 for a NaN d, as std::max(0.0, d) does.
                o = _mm256_add_pd(o,
                                  _mm256_max_pd(_mm256_sub_pd(_mm256_loadu_pd(p + v), lp), zero));
            }
            const __m256d mascara = _mm256_and_pd(desenhados, _mm256_cmp_pd(o, zero, _CMP_GT_OQ));
            escuros = static_cast<unsigned>(_mm256_movemask_pd(mascara));
            if (escuros != 0) {
                fator = q::expQuatro(_mm256_mul_pd(menosForca, o));
            }
        }
        alignas(32) double fatores[4];
        _mm256_store_pd(fatores, fator);
        for (int t = 0; t < 4; ++t) {
            Canais depois = antes[t];
            if ((escuros >> t) & 1U) {
                const double f = fatores[t];
                depois = (antes[t] & Quadro::kOpaco) |
                         (Quadro::opaco(static_cast<int>(Quadro::vermelhoDe(antes[t]) * f),
                                        static_cast<int>(Quadro::verdeDe(antes[t]) * f),
                                        static_cast<int>(Quadro::azulDe(antes[t]) * f)) &
                          Quadro::kSemAlfa);
            }
            if (depois != linha.canais[x + t]) {
                linha.canais[x + t] = depois;
                linha.cor[x + t] = Quadro::empacotar(depois);
            }
        }
    }
    return x;
}

void Acabamento::acabar(Quadro& amostras, const Pedido& pedido, Quadro& saida,
                        Trabalhadores& trabalhadores) {
    const int k = pedido.amostras;
    // The samples' channels: their own, or after the eye-dome lighting the darkened ones.
    bool deCanais = pedido.canais;
    if (pedido.edl) {
        prepararLogs(amostras, pedido.raio, trabalhadores);
        const int altura = amostras.getAltura();
        auto tarefa = [&](int t) {
            escurecer(amostras, pedido, !pedido.canais, t * kLinhasPorTarefa,
                      std::min(altura, (t + 1) * kLinhasPorTarefa));
        };
        trabalhadores.paraCada((altura + kLinhasPorTarefa - 1) / kLinhasPorTarefa, tarefa);
        deCanais = true;
    }
    saida.usarCanais(true);
    saida.setTransparente(pedido.transparente);
    // In place at K = 1, the channels are the picture already unless they must become the
    // expansion of 16-bit colours.
    if (k == 1 && (deCanais || !pedido.transparente)) {
        return;
    }
    const Media funcao = mediaDe(k, deCanais, pedido.transparente, avx2);
    const int altura = saida.getAltura();
    auto tarefa = [&](int t) {
        funcao(amostras, saida, t * kLinhasPorTarefa, std::min(altura, (t + 1) * kLinhasPorTarefa));
    };
    trabalhadores.paraCada((altura + kLinhasPorTarefa - 1) / kLinhasPorTarefa, tarefa);
}

void Acabamento::acabar(Quadro& quadro, const Pedido& pedido, Trabalhadores& trabalhadores) {
    acabar(quadro, pedido, quadro, trabalhadores);
}

}  // namespace gouraud::detail
