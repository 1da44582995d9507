#include "Varredura.h"

#include <immintrin.h>

#include <algorithm>
#include <bit>

namespace gouraud::detail {

namespace {

constexpr int kBitsGrossos = 8;
constexpr std::int32_t kPixelGrosso = 1 << kBitsGrossos;
constexpr std::int32_t kMeioPixelGrosso = kPixelGrosso / 2;
// As Cobertura's: a coarse edge value (s - p) x (e - p) lies within |s - p|_1 + |e - p|_1 + this
// of the exact one.
constexpr std::int32_t kFolgaGrossa = 4;
// Pixels of a row per step, and per half of it in double lanes.
constexpr int kPorPasso = 8;
constexpr int kPorMetade = 4;
constexpr unsigned kMetade = (1U << kPorMetade) - 1;
// Boxes of up to this many pixels are taken eight pixels at a time whatever their rows, and
// depth-tested one pixel at a time; larger ones row by row.
constexpr int kCaixaCompacta = 32;

using Coeficientes = TesteProfundidade::Coeficientes;

// The depth test at pixels i + t of row j of `faixa` for the lanes t (0 to 3) whose bit is in
// `lanes`, as TesteProfundidade does it one pixel at a time.
[[gnu::target("avx2"), gnu::always_inline]] inline void testar(
    const Coeficientes& k, int i, int j, unsigned lanes, std::int32_t vencedor,
    const FaixaVisivel& faixa, int largura, double* profundidades, std::int32_t* vencedores,
    double* pesos1, double* pesos2) {
    const __m256d ex = _mm256_sub_pd(
        _mm256_add_pd(
            _mm256_cvtepi32_pd(_mm_add_epi32(_mm_set1_epi32(i), _mm_setr_epi32(0, 1, 2, 3))),
            _mm256_set1_pd(0.5)),
        _mm256_set1_pd(k.ax));
    const __m256d ey = _mm256_set1_pd((j + 0.5) - k.ay);
    const __m256d inverso = _mm256_set1_pd(k.inversoArea);
    const __m256d b1 = _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(ex, _mm256_set1_pd(k.dy2)),
                                                   _mm256_mul_pd(ey, _mm256_set1_pd(k.dx2))),
                                     inverso);
    const __m256d b2 = _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(_mm256_set1_pd(k.dx1), ey),
                                                   _mm256_mul_pd(_mm256_set1_pd(k.dy1), ex)),
                                     inverso);
    const __m256d iz = _mm256_add_pd(
        _mm256_add_pd(_mm256_set1_pd(k.aiz), _mm256_mul_pd(b1, _mm256_set1_pd(k.diz1))),
        _mm256_mul_pd(b2, _mm256_set1_pd(k.diz2)));
    const __m256i mascara = _mm256_sub_epi64(
        _mm256_setzero_si256(), _mm256_and_si256(_mm256_srlv_epi64(_mm256_set1_epi64x(lanes),
                                                                   _mm256_setr_epi64x(0, 1, 2, 3)),
                                                 _mm256_set1_epi64x(1)));
    // Within the row, which only this thread writes, the four pixels are read and written whole,
    // the old values blended with the new: masked stores cost several times as much here, and
    // the next triangle's loads of the same pixels wait for them. The row's last pixels are
    // read and written with masks, the lanes beyond it left alone.
    const bool dentroDaLinha = i + kPorMetade <= largura;
    const __m256d guardadas = dentroDaLinha ? _mm256_loadu_pd(profundidades + i)
                                            : _mm256_maskload_pd(profundidades + i, mascara);
    const __m256d passa =
        _mm256_and_pd(_mm256_cmp_pd(iz, guardadas, _CMP_GT_OQ), _mm256_castsi256_pd(mascara));
    if (dentroDaLinha) {
        _mm256_storeu_pd(profundidades + i, _mm256_blendv_pd(guardadas, iz, passa));
        _mm256_storeu_pd(pesos1 + i, _mm256_blendv_pd(_mm256_loadu_pd(pesos1 + i), b1, passa));
        _mm256_storeu_pd(pesos2 + i, _mm256_blendv_pd(_mm256_loadu_pd(pesos2 + i), b2, passa));
        // The lanes' 64-bit masks narrowed to 32 bits, for the winners' numbers.
        const __m128i ganhos = _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(
            _mm256_castpd_si256(passa), _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
        auto* destino = reinterpret_cast<__m128i*>(vencedores + i);
        _mm_storeu_si128(
            destino, _mm_blendv_epi8(_mm_loadu_si128(destino), _mm_set1_epi32(vencedor), ganhos));
    } else {
        const __m256i escrever = _mm256_castpd_si256(passa);
        _mm256_maskstore_pd(profundidades + i, escrever, iz);
        _mm256_maskstore_pd(pesos1 + i, escrever, b1);
        _mm256_maskstore_pd(pesos2 + i, escrever, b2);
        for (auto ganhos = static_cast<unsigned>(_mm256_movemask_pd(passa)); ganhos != 0;
             ganhos &= ganhos - 1) {
            vencedores[i + std::countr_zero(ganhos)] = vencedor;
        }
    }
    // Equal depths, rare: the lower number in the file takes the pixel.
    const auto iguais = static_cast<unsigned>(_mm256_movemask_pd(
        _mm256_and_pd(_mm256_cmp_pd(iz, guardadas, _CMP_EQ_OQ), _mm256_castsi256_pd(mascara))));
    if (iguais != 0) {
        alignas(32) double lidos1[kPorMetade];
        alignas(32) double lidos2[kPorMetade];
        _mm256_store_pd(lidos1, b1);
        _mm256_store_pd(lidos2, b2);
        for (unsigned empates = iguais; empates != 0; empates &= empates - 1) {
            const int t = std::countr_zero(empates);
            if (faixa.ganhaEmpate(vencedor, vencedores[i + t], i + t, j)) {
                vencedores[i + t] = vencedor;
                pesos1[i + t] = lidos1[t];
                pesos2[i + t] = lidos2[t];
            }
        }
    }
}

// Of the lanes whose mask is set in `validos`: those whose three edge values are all beyond
// `limite` (inside), and those neither inside nor with a value below -limite (in doubt).
[[gnu::target("avx2"), gnu::always_inline]] inline void classificarLanes(
    const __m256i (&valores)[3], __m256i limite, __m256i menosLimite, __m256i validos,
    unsigned& dentro, unsigned& duvida) {
    const __m256i todos = _mm256_and_si256(_mm256_and_si256(_mm256_cmpgt_epi32(valores[0], limite),
                                                            _mm256_cmpgt_epi32(valores[1], limite)),
                                           _mm256_cmpgt_epi32(valores[2], limite));
    const __m256i algumFora =
        _mm256_or_si256(_mm256_or_si256(_mm256_cmpgt_epi32(menosLimite, valores[0]),
                                        _mm256_cmpgt_epi32(menosLimite, valores[1])),
                        _mm256_cmpgt_epi32(menosLimite, valores[2]));
    dentro = static_cast<unsigned>(
        _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_and_si256(todos, validos))));
    duvida = static_cast<unsigned>(_mm256_movemask_ps(
        _mm256_castsi256_ps(_mm256_andnot_si256(_mm256_or_si256(todos, algumFora), validos))));
}

}  // namespace

bool Varredura::disponivel() { return __builtin_cpu_supports("avx2") != 0; }

[[gnu::target("avx2")]] void Varredura::desenhar(const PosicaoGrossa& ga, const PosicaoGrossa& gb,
                                                 const PosicaoGrossa& gc, const PosicaoExata& ea,
                                                 const PosicaoExata& eb, const PosicaoExata& ec,
                                                 const TesteProfundidade& teste,
                                                 std::int32_t vencedor, FaixaVisivel& faixa,
                                                 Quadro& quadro) {
    const Coeficientes k = teste.getCoeficientes();
    const std::int32_t menorX = std::min({ga.x, gb.x, gc.x});
    const std::int32_t maiorX = std::max({ga.x, gb.x, gc.x});
    const std::int32_t menorY = std::min({ga.y, gb.y, gc.y});
    const std::int32_t maiorY = std::max({ga.y, gb.y, gc.y});
    // The pixels whose centres may lie in the triangle, as the binning finds them.
    const int i0 = std::max(0, -((kMeioPixelGrosso - menorX) >> kBitsGrossos));
    const int i1 = std::min(faixa.getLargura() - 1, (maiorX - kMeioPixelGrosso) >> kBitsGrossos);
    const int j0 = std::max(faixa.getLinha0(), -((kMeioPixelGrosso - menorY) >> kBitsGrossos));
    const int j1 = std::min(faixa.getLinha1() - 1, (maiorY - kMeioPixelGrosso) >> kBitsGrossos);
    if (i0 > i1 || j0 > j1) {
        return;
    }
    // Every centre of the box lies within the corners' box, so |s - p|_1 and |e - p|_1 are at
    // most its width plus its height: one bound serves every edge and pixel.
    const std::int32_t folga = 2 * ((maiorX - menorX) + (maiorY - menorY)) + kFolgaGrossa;
    // The edges a -> b, b -> c, c -> a; with the winding's sign every inside value is positive.
    const std::int32_t sentido = k.inversoArea > 0 ? 1 : -1;
    const PosicaoGrossa* cantos[4] = {&ga, &gb, &gc, &ga};
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i limite = _mm256_set1_epi32(folga);
    const __m256i menosLimite = _mm256_set1_epi32(-folga);
    const std::int32_t px = i0 * kPixelGrosso + kMeioPixelGrosso;
    const std::int32_t py = j0 * kPixelGrosso + kMeioPixelGrosso;
    // Each edge's value at the box's first centre, and its steps along a row and down a column.
    std::int32_t inicio[3];
    std::int32_t passoX[3];
    std::int32_t passoY[3];
    for (int n = 0; n < 3; ++n) {
        const PosicaoGrossa& s = *cantos[n];
        const PosicaoGrossa& e = *cantos[n + 1];
        inicio[n] = sentido * ((s.x - px) * (e.y - py) - (s.y - py) * (e.x - px));
        passoX[n] = -sentido * kPixelGrosso * (e.y - s.y);
        passoY[n] = sentido * kPixelGrosso * (e.x - s.x);
    }
    const int largura = i1 - i0 + 1;
    const int altura = j1 - j0 + 1;
    if (largura * altura <= kCaixaCompacta) {
        // The box's pixels in row order, eight to a step: lane t of step m is pixel
        // (i0 + di, j0 + dj) with di + dj largura = 8 m + t.
        alignas(32) std::int32_t colunas[kPorPasso];
        alignas(32) std::int32_t linhas[kPorPasso];
        for (int t = 0; t < kPorPasso; ++t) {
            colunas[t] = t % largura;
            linhas[t] = t / largura;
        }
        __m256i di = _mm256_load_si256(reinterpret_cast<const __m256i*>(colunas));
        __m256i dj = _mm256_load_si256(reinterpret_cast<const __m256i*>(linhas));
        const __m256i resto = _mm256_set1_epi32(kPorPasso % largura);
        const __m256i quociente = _mm256_set1_epi32(kPorPasso / largura);
        const __m256i ultimaColuna = _mm256_set1_epi32(largura - 1);
        const __m256i larguraVetor = _mm256_set1_epi32(largura);
        const __m256i um = _mm256_set1_epi32(1);
        const int total = largura * altura;
        for (int base = 0; base < total; base += kPorPasso) {
            __m256i valores[3];
            for (int n = 0; n < 3; ++n) {
                valores[n] = _mm256_add_epi32(
                    _mm256_set1_epi32(inicio[n]),
                    _mm256_add_epi32(_mm256_mullo_epi32(di, _mm256_set1_epi32(passoX[n])),
                                     _mm256_mullo_epi32(dj, _mm256_set1_epi32(passoY[n]))));
            }
            const __m256i validos = _mm256_cmpgt_epi32(_mm256_set1_epi32(total - base), lanes);
            unsigned dentro = 0;
            unsigned duvida = 0;
            classificarLanes(valores, limite, menosLimite, validos, dentro, duvida);
            alignas(32) std::int32_t i[kPorPasso];
            alignas(32) std::int32_t j[kPorPasso];
            _mm256_store_si256(reinterpret_cast<__m256i*>(i),
                               _mm256_add_epi32(di, _mm256_set1_epi32(i0)));
            _mm256_store_si256(reinterpret_cast<__m256i*>(j),
                               _mm256_add_epi32(dj, _mm256_set1_epi32(j0)));
            for (; duvida != 0; duvida &= duvida - 1) {
                const int t = std::countr_zero(duvida);
                if (Cobertura::cobre(ea, eb, ec, i[t], j[t])) {
                    dentro |= 1U << t;
                }
            }
            for (; dentro != 0; dentro &= dentro - 1) {
                const int t = std::countr_zero(dentro);
                teste.pixel(i[t], j[t], vencedor, faixa, quadro);
            }
            // Eight pixels on: the columns wrap into the next rows.
            di = _mm256_add_epi32(di, resto);
            const __m256i passou = _mm256_cmpgt_epi32(di, ultimaColuna);
            di = _mm256_sub_epi32(di, _mm256_and_si256(passou, larguraVetor));
            dj = _mm256_add_epi32(_mm256_add_epi32(dj, quociente), _mm256_and_si256(passou, um));
        }
        return;
    }
    // A larger box row by row, eight pixels at a time, and the depth test four at a time.
    const int larguraLinha = faixa.getLargura();
    __m256i deslocamentos[3];
    __m256i passos[3];
    for (int n = 0; n < 3; ++n) {
        deslocamentos[n] = _mm256_mullo_epi32(lanes, _mm256_set1_epi32(passoX[n]));
        passos[n] = _mm256_set1_epi32(kPorPasso * passoX[n]);
    }
    for (int j = j0; j <= j1; ++j) {
        __m256i valores[3];
        for (int n = 0; n < 3; ++n) {
            valores[n] = _mm256_add_epi32(_mm256_set1_epi32(inicio[n] + (j - j0) * passoY[n]),
                                          deslocamentos[n]);
        }
        double* profundidades = quadro.linhaProfundidade(j);
        std::int32_t* vencedores = faixa.linhaVencedores(j);
        double* pesos1 = faixa.linhaPesos1(j);
        double* pesos2 = faixa.linhaPesos2(j);
        for (int i = i0; i <= i1; i += kPorPasso) {
            const __m256i validos = _mm256_cmpgt_epi32(_mm256_set1_epi32(i1 - i + 1), lanes);
            unsigned cobertos = 0;
            unsigned duvida = 0;
            classificarLanes(valores, limite, menosLimite, validos, cobertos, duvida);
            for (; duvida != 0; duvida &= duvida - 1) {
                const int t = std::countr_zero(duvida);
                if (Cobertura::cobre(ea, eb, ec, i + t, j)) {
                    cobertos |= 1U << t;
                }
            }
            if ((cobertos & kMetade) != 0) {
                testar(k, i, j, cobertos & kMetade, vencedor, faixa, larguraLinha, profundidades,
                       vencedores, pesos1, pesos2);
            }
            if ((cobertos >> kPorMetade) != 0) {
                testar(k, i + kPorMetade, j, cobertos >> kPorMetade, vencedor, faixa, larguraLinha,
                       profundidades, vencedores, pesos1, pesos2);
            }
            for (int n = 0; n < 3; ++n) {
                valores[n] = _mm256_add_epi32(valores[n], passos[n]);
            }
        }
    }
}

[[gnu::target("avx2")]] void Varredura::intervalo(const TesteProfundidade& teste, int j,
                                                  Intervalo pixels, std::int32_t vencedor,
                                                  FaixaVisivel& faixa, Quadro& quadro) {
    const Coeficientes k = teste.getCoeficientes();
    const int largura = faixa.getLargura();
    double* profundidades = quadro.linhaProfundidade(j);
    std::int32_t* vencedores = faixa.linhaVencedores(j);
    double* pesos1 = faixa.linhaPesos1(j);
    double* pesos2 = faixa.linhaPesos2(j);
    for (int i = pixels.inicio; i <= pixels.fim; i += kPorMetade) {
        const int restantes = pixels.fim - i + 1;
        const unsigned lanes = restantes >= kPorMetade ? kMetade : (1U << restantes) - 1;
        testar(k, i, j, lanes, vencedor, faixa, largura, profundidades, vencedores, pesos1, pesos2);
    }
}

}  // namespace gouraud::detail
