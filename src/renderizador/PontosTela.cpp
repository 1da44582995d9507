#include "PontosTela.h"

#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <limits>
#include <type_traits>
#include <utility>

#include "CorPrimitiva.h"
#include "Par.h"

namespace gouraud::detail {

namespace {

// A cloud of fewer points than this a run is drawn in one run: its own frame would cost more to
// merge than the thread saves.
constexpr int kMenosPontosPorTrecho = 1 << 16;
// The runs' frames together take at most this many bytes: a very large frame has fewer runs.
constexpr std::size_t kMaisBytesTrechos = std::size_t{256} << 20;
// Points, and columns of a square, worked on at once in AVX2 lanes.
constexpr int kQuatro = 4;

// The pixels along one axis of the frame (0 .. limite - 1) whose centre k + 0.5 lies in
// [centro - meio, centro + meio), each bound compared as written; false when there are none.
// centro must be finite.
bool intervalo(double centro, double meio, int limite, int& primeiro, int& ultimo) {
    const double inicio = centro - meio;
    const double fim = centro + meio;
    // The first pixel is ceil(inicio - 0.5) and the last ceil(fim - 0.5) - 1. The rounded sum
    // b + 0.5 lies between the two whole numbers around the exact one, so floor(b + 0.5) is the
    // first pixel or the one after it (and floor(fim + 0.5) - 1 the last or the one after), the
    // bound itself then deciding. The sums are clamped to the frame and a little beyond, where
    // they convert to an int and truncation is the floor; beyond it every pixel is decided
    // alike.
    const double teto = limite + 3.0;
    primeiro = static_cast<int>(std::min(std::max(inicio + 0.5, 0.0), teto));
    primeiro -= inicio <= primeiro - 0.5 ? 1 : 0;
    ultimo = static_cast<int>(std::min(std::max(fim + 0.5, 0.0), teto)) - 1;
    ultimo -= ultimo + 0.5 < fim ? 0 : 1;
    primeiro = std::max(primeiro, 0);
    ultimo = std::min(ultimo, limite - 1);
    return primeiro <= ultimo;
}

// (e.x dx + e.y dy) + e.z dz in four lanes, as Camera::coordenadas does it.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256d coordenadaQuatro(const Vetor& e,
                                                                            __m256d dx, __m256d dy,
                                                                            __m256d dz) {
    return _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(e.x), dx),
                                       _mm256_mul_pd(_mm256_set1_pd(e.y), dy)),
                         _mm256_mul_pd(_mm256_set1_pd(e.z), dz));
}

// v clamped to [0, teto] and truncated, as intervalo() converts its candidates.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256d truncarQuatro(__m256d v, __m256d teto) {
    return _mm256_round_pd(_mm256_min_pd(_mm256_max_pd(v, _mm256_setzero_pd()), teto),
                           _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
}

// intervalo() for four finite centres at a time, the same comparisons of the same values, the
// pixels kept as whole doubles: primeiro > ultimo in a lane where there are none.
[[gnu::target("avx2"), gnu::always_inline]] inline void intervaloQuatro(__m256d centro,
                                                                        __m256d meio, int limite,
                                                                        __m256d& primeiro,
                                                                        __m256d& ultimo) {
    const __m256d metade = _mm256_set1_pd(0.5);
    const __m256d um = _mm256_set1_pd(1.0);
    const __m256d teto = _mm256_set1_pd(limite + 3.0);
    const __m256d inicio = _mm256_sub_pd(centro, meio);
    const __m256d fim = _mm256_add_pd(centro, meio);
    __m256d p = truncarQuatro(_mm256_add_pd(inicio, metade), teto);
    p = _mm256_sub_pd(
        p, _mm256_and_pd(_mm256_cmp_pd(inicio, _mm256_sub_pd(p, metade), _CMP_LE_OQ), um));
    __m256d u = _mm256_sub_pd(truncarQuatro(_mm256_add_pd(fim, metade), teto), um);
    u = _mm256_sub_pd(
        u, _mm256_andnot_pd(_mm256_cmp_pd(_mm256_add_pd(u, metade), fim, _CMP_LT_OQ), um));
    primeiro = _mm256_max_pd(p, _mm256_setzero_pd());
    ultimo = _mm256_min_pd(u, _mm256_set1_pd(limite - 1.0));
}

// The ends of four lanes' runs of pixels [primeiro, ultimo] along an axis, each moved one pixel
// in where its centre k + 0.5 lies further than the radius from `centro`: (k + 0.5 - centro)^2 >
// raio2, as the disc's test works it out.
[[gnu::target("avx2"), gnu::always_inline]] inline void encolherQuatro(__m256d& primeiro,
                                                                       __m256d& ultimo,
                                                                       __m256d centro,
                                                                       __m256d raio2) {
    const __m256d metade = _mm256_set1_pd(0.5);
    const __m256d um = _mm256_set1_pd(1.0);
    const __m256d d0 = _mm256_sub_pd(_mm256_add_pd(primeiro, metade), centro);
    const __m256d d1 = _mm256_sub_pd(_mm256_add_pd(ultimo, metade), centro);
    primeiro = _mm256_add_pd(
        primeiro, _mm256_and_pd(_mm256_cmp_pd(_mm256_mul_pd(d0, d0), raio2, _CMP_GT_OQ), um));
    ultimo = _mm256_sub_pd(
        ultimo, _mm256_and_pd(_mm256_cmp_pd(_mm256_mul_pd(d1, d1), raio2, _CMP_GT_OQ), um));
}

// The lanes of four pixels of a row, from the one whose centre is (x, y) on, whose centres lie
// in the disc around (xs, ys): (dx.dx + dy.dy) <= raio2 with dx = centre - xs and dy = y - ys,
// as desenharTrecho works it out; every lane for a square.
template <bool kDisco>
[[gnu::target("avx2"), gnu::always_inline]] inline __m256d formaQuatro(double y, double x,
                                                                       double xs, double ys,
                                                                       __m256d raio2) {
    if constexpr (kDisco) {
        const double dy = y - ys;
        const __m256d dx =
            _mm256_sub_pd(_mm256_add_pd(_mm256_set1_pd(x), _mm256_set_pd(3.0, 2.0, 1.0, 0.0)),
                          _mm256_set1_pd(xs));
        return _mm256_cmp_pd(_mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_set1_pd(dy * dy)), raio2,
                             _CMP_LE_OQ);
    } else {
        return _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    }
}

// Whether any lane of the four rows' masks is set.
[[gnu::target("avx2"), gnu::always_inline]] inline bool algumQuatro(const __m256d (&linhas)[4]) {
    return _mm256_movemask_pd(_mm256_or_pd(_mm256_or_pd(linhas[0], linhas[1]),
                                           _mm256_or_pd(linhas[2], linhas[3]))) != 0;
}

}  // namespace

PontosTela::PontosTela(const Primitivas& primitivas, const Iluminacao& iluminacao,
                       bool coresDoArquivo)
    : primitivas(primitivas) {
    setIluminacao(iluminacao, coresDoArquivo);
    usarAvx2(true);
}

void PontosTela::usarAvx2(bool permitir) { avx2 = permitir && __builtin_cpu_supports("avx2") != 0; }

void PontosTela::usarCanais(bool usar) {
    if (usar != comCanais) {
        comCanais = usar;
        setIluminacao(iluminacao, cores);
    }
}

void PontosTela::setIluminacao(const Iluminacao& nova, bool coresDoArquivo) {
    iluminacao = nova;
    cores = coresDoArquivo;
    const auto quant = static_cast<std::size_t>(primitivas.getQuantPontos());
    coresDeFrente.resize(quant);
    canaisDeFrente.resize(comCanais ? quant : 0);
    for (std::size_t i = 0; i < quant; ++i) {
        const Canais cor = CorPrimitiva::deFrente(odDoPonto(i), iluminacao);
        coresDeFrente[i] = Quadro::empacotar(cor);
        if (comCanais) {
            canaisDeFrente[i] = cor;
        }
    }
}

Vetor PontosTela::odDoPonto(std::size_t i) const {
    const std::vector<Primitivas::Terno>& coresArquivo = primitivas.getCores();
    return CorPrimitiva::od(coresArquivo.empty() ? nullptr : &coresArquivo[i],
                            primitivas.getMaterialPonto(static_cast<int>(i)), iluminacao, cores);
}

template <typename Cor>
Cor PontosTela::deFrente(std::size_t i) const {
    if constexpr (std::is_same_v<Cor, Canais>) {
        return canaisDeFrente[i];
    } else {
        return coresDeFrente[i];
    }
}

template <typename Cor>
Cor PontosTela::corDoPonto(std::size_t i, const Ponto& foco, const Ponto& luz) const {
    const std::vector<Primitivas::Terno>& normais = primitivas.getNormais();
    if (normais.empty() || (normais[i].x == 0.0f && normais[i].y == 0.0f && normais[i].z == 0.0f)) {
        return deFrente<Cor>(i);
    }
    const Canais cor = CorPrimitiva::iluminada(primitivas.getPonto(static_cast<int>(i)), normais[i],
                                               odDoPonto(i), iluminacao, foco, luz);
    if constexpr (std::is_same_v<Cor, Canais>) {
        return cor;
    } else {
        return Quadro::empacotar(cor);
    }
}

template <typename Cor>
Cor* PontosTela::coresDe(Trecho& trecho) {
    if constexpr (std::is_same_v<Cor, Canais>) {
        return trecho.canais.data();
    } else {
        return trecho.cores.data();
    }
}

void PontosTela::iniciarTrecho(Trecho& trecho) const {
    trecho.linha0 = altura;
    trecho.linha1 = -1;
    trecho.coluna0 = largura;
    trecho.coluna1 = -1;
}

void PontosTela::marcar(Trecho& trecho, int coluna0, int coluna1, int linha0, int linha1) {
    trecho.linha0 = std::min(trecho.linha0, linha0);
    trecho.linha1 = std::max(trecho.linha1, linha1);
    trecho.coluna0 = std::min(trecho.coluna0, coluna0);
    trecho.coluna1 = std::max(trecho.coluna1, coluna1);
}

template <typename Cor, bool kDisco>
void PontosTela::desenharTrecho(int inicio, int fim, const Camera& camera, const Projecao& projecao,
                                double meio, const Ponto& luz, Trecho& trecho) const {
    const float* x = primitivas.getX();
    const float* y = primitivas.getY();
    const float* z = primitivas.getZ();
    const auto larguraLinha = static_cast<std::ptrdiff_t>(largura);
    double* profundidades = trecho.profundidades.data();
    Cor* coresTrecho = coresDe<Cor>(trecho);
    // A disc's pixels are looked for in a box a pixel wider than its square on every side; the
    // disc's own test decides each of them.
    const double meioCaixa = kDisco ? meio + 1.0 : meio;
    const double raio2 = meio * meio;
    iniciarTrecho(trecho);
    const Par zPerto(projecao.zPerto);
    const Par um(1.0);
    for (int k = inicio; k < fim; k += 2) {
        // An odd last point fills both lanes.
        const int k1 = std::min(k + 1, fim - 1);
        Par cu;
        Par cv;
        Par cn;
        camera.coordenadas(Par(x[k], x[k1]), Par(y[k], y[k1]), Par(z[k], z[k1]), cu, cv, cn);
        const MascaraPar frente = cn >= zPerto;
        const Par xs = projecao.xTela(cu, cn);
        const Par ys = projecao.yTela(cv, cn);
        const Par iz = um / cn;
        for (int lane = 0; lane < 2 && k + lane < fim; ++lane) {
            int coluna0 = 0;
            int coluna1 = 0;
            int linha0 = 0;
            int linha1 = 0;
            // Behind the near plane, or not on the frame.
            if (!frente.lane(lane) || !std::isfinite(xs.lane(lane)) ||
                !std::isfinite(ys.lane(lane)) ||
                !intervalo(xs.lane(lane), meioCaixa, largura, coluna0, coluna1) ||
                !intervalo(ys.lane(lane), meioCaixa, altura, linha0, linha1)) {
                continue;
            }
            const Cor cor = corDoPonto<Cor>(static_cast<std::size_t>(k + lane), camera.foco, luz);
            const double profundidade = iz.lane(lane);
            for (int j = linha0; j <= linha1; ++j) {
                const std::ptrdiff_t linha = j * larguraLinha;
                const double dy = (j + 0.5) - ys.lane(lane);
                for (int i = coluna0; i <= coluna1; ++i) {
                    if constexpr (kDisco) {
                        const double dx = (i + 0.5) - xs.lane(lane);
                        if (!(dx * dx + dy * dy <= raio2)) {
                            continue;
                        }
                    }
                    const std::ptrdiff_t c = linha + i;
                    if (profundidade > profundidades[c]) {
                        profundidades[c] = profundidade;
                        coresTrecho[c] = cor;
                    }
                }
            }
            marcar(trecho, coluna0, coluna1, linha0, linha1);
        }
    }
}

template <typename Cor, bool kDisco>
[[gnu::target("avx2")]] void PontosTela::desenharTrechoQuatro(int inicio, int fim,
                                                              const Camera& camera,
                                                              const Projecao& projecao, double meio,
                                                              const Ponto& luz,
                                                              Trecho& trecho) const {
    const float* x = primitivas.getX();
    const float* y = primitivas.getY();
    const float* z = primitivas.getZ();
    const auto larguraLinha = static_cast<std::ptrdiff_t>(largura);
    double* profundidades = trecho.profundidades.data();
    Cor* coresTrecho = coresDe<Cor>(trecho);
    // A disc's pixels are looked for in a box a pixel wider than its square on every side, as
    // desenharTrecho does.
    const double meioCaixa = kDisco ? meio + 1.0 : meio;
    const __m256d raio2 = _mm256_set1_pd(meio * meio);
    iniciarTrecho(trecho);
    const __m256d focoX = _mm256_set1_pd(camera.foco.x);
    const __m256d focoY = _mm256_set1_pd(camera.foco.y);
    const __m256d focoZ = _mm256_set1_pd(camera.foco.z);
    const __m256d zPerto = _mm256_set1_pd(projecao.zPerto);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d um = _mm256_set1_pd(1.0);
    const __m256d metade = _mm256_set1_pd(0.5);
    const __m256d meioV = _mm256_set1_pd(meioCaixa);
    const __m256d distancia = _mm256_set1_pd(projecao.d);
    const __m256d ox = _mm256_set1_pd(projecao.ox);
    const __m256d oy = _mm256_set1_pd(projecao.oy);
    const __m256d hx = _mm256_set1_pd(projecao.hx);
    const __m256d hy = _mm256_set1_pd(projecao.hy);
    const __m256d larguraProjecao = _mm256_set1_pd(projecao.largura);
    const __m256d alturaProjecao = _mm256_set1_pd(projecao.altura);
    const bool semNormais = primitivas.getNormais().empty();
    // The lanes of a row group that lie in the square: kMascaras[n] holds the first n.
    alignas(32) static constexpr std::int64_t kMascaras[5][4] = {
        {0, 0, 0, 0}, {-1, 0, 0, 0}, {-1, -1, 0, 0}, {-1, -1, -1, 0}, {-1, -1, -1, -1}};
    // Per lane, the least and greatest columns and rows drawn.
    const __m256d infinito = _mm256_set1_pd(std::numeric_limits<double>::infinity());
    const __m256d menosInfinito = _mm256_set1_pd(-std::numeric_limits<double>::infinity());
    __m256d menorColuna = infinito;
    __m256d maiorColuna = menosInfinito;
    __m256d menorLinha = infinito;
    __m256d maiorLinha = menosInfinito;
    for (int k = inicio; k < fim; k += kQuatro) {
        const int quantos = std::min(kQuatro, fim - k);
        __m128 px;
        __m128 py;
        __m128 pz;
        if (quantos == kQuatro) {
            px = _mm_loadu_ps(x + k);
            py = _mm_loadu_ps(y + k);
            pz = _mm_loadu_ps(z + k);
        } else {
            // The last few: the lanes past the end repeat the last point.
            alignas(16) float lidos[3][kQuatro];
            for (int t = 0; t < kQuatro; ++t) {
                const int i = k + std::min(t, quantos - 1);
                lidos[0][t] = x[i];
                lidos[1][t] = y[i];
                lidos[2][t] = z[i];
            }
            px = _mm_load_ps(lidos[0]);
            py = _mm_load_ps(lidos[1]);
            pz = _mm_load_ps(lidos[2]);
        }
        const __m256d dx = _mm256_sub_pd(_mm256_cvtps_pd(px), focoX);
        const __m256d dy = _mm256_sub_pd(_mm256_cvtps_pd(py), focoY);
        const __m256d dz = _mm256_sub_pd(_mm256_cvtps_pd(pz), focoZ);
        const __m256d cu = coordenadaQuatro(camera.u, dx, dy, dz);
        const __m256d cv = coordenadaQuatro(camera.v, dx, dy, dz);
        const __m256d cn = coordenadaQuatro(camera.n, dx, dy, dz);
        const __m256d frente = _mm256_cmp_pd(cn, zPerto, _CMP_GE_OQ);
        // xs = ((d.cu/cn - ox)/hx + 1).W/2 and ys = (1 - (d.cv/cn - oy)/hy).H/2. Halving is
        // exact, so a multiplication by 0.5 gives the division's very bits and spares the
        // divider, which the other five divisions keep busy.
        const __m256d xs = _mm256_mul_pd(
            _mm256_mul_pd(
                _mm256_add_pd(
                    _mm256_div_pd(
                        _mm256_sub_pd(_mm256_div_pd(_mm256_mul_pd(distancia, cu), cn), ox), hx),
                    um),
                larguraProjecao),
            metade);
        const __m256d ys = _mm256_mul_pd(
            _mm256_mul_pd(
                _mm256_sub_pd(
                    um,
                    _mm256_div_pd(
                        _mm256_sub_pd(_mm256_div_pd(_mm256_mul_pd(distancia, cv), cn), oy), hy)),
                alturaProjecao),
            metade);
        // x - x is 0 for a finite x and NaN otherwise.
        const __m256d finitos = _mm256_cmp_pd(
            _mm256_add_pd(_mm256_sub_pd(xs, xs), _mm256_sub_pd(ys, ys)), zero, _CMP_EQ_OQ);
        __m256d coluna0;
        __m256d coluna1;
        __m256d linha0;
        __m256d linha1;
        intervaloQuatro(xs, meioV, largura, coluna0, coluna1);
        intervaloQuatro(ys, meioV, altura, linha0, linha1);
        if constexpr (kDisco) {
            // The box a pixel wider than the square holds one column (and row) more on each
            // side; an end column whose centre is further than s/2 across, dx.dx > (s/2)^2, holds
            // no pixel of the disc in any row (adding dy.dy >= 0 cannot bring it back), and is
            // left out.
            encolherQuatro(coluna0, coluna1, xs, raio2);
            encolherQuatro(linha0, linha1, ys, raio2);
        }
        const __m256d validos =
            _mm256_and_pd(_mm256_and_pd(frente, finitos),
                          _mm256_and_pd(_mm256_cmp_pd(coluna0, coluna1, _CMP_LE_OQ),
                                        _mm256_cmp_pd(linha0, linha1, _CMP_LE_OQ)));
        auto bits = static_cast<unsigned>(_mm256_movemask_pd(validos)) & ((1U << quantos) - 1U);
        if (bits == 0) {
            continue;
        }
        // The lanes past the last point repeat it: they widen the box no further.
        menorColuna = _mm256_min_pd(menorColuna, _mm256_blendv_pd(infinito, coluna0, validos));
        maiorColuna = _mm256_max_pd(maiorColuna, _mm256_blendv_pd(menosInfinito, coluna1, validos));
        menorLinha = _mm256_min_pd(menorLinha, _mm256_blendv_pd(infinito, linha0, validos));
        maiorLinha = _mm256_max_pd(maiorLinha, _mm256_blendv_pd(menosInfinito, linha1, validos));
        alignas(16) int c0[kQuatro];
        alignas(16) int c1[kQuatro];
        alignas(16) int l0[kQuatro];
        alignas(16) int l1[kQuatro];
        alignas(32) double izs[kQuatro];
        alignas(32) double centrosX[kQuatro];
        alignas(32) double centrosY[kQuatro];
        if constexpr (kDisco) {
            _mm256_store_pd(centrosX, xs);
            _mm256_store_pd(centrosY, ys);
        }
        _mm_store_si128(reinterpret_cast<__m128i*>(c0), _mm256_cvttpd_epi32(coluna0));
        _mm_store_si128(reinterpret_cast<__m128i*>(c1), _mm256_cvttpd_epi32(coluna1));
        _mm_store_si128(reinterpret_cast<__m128i*>(l0), _mm256_cvttpd_epi32(linha0));
        _mm_store_si128(reinterpret_cast<__m128i*>(l1), _mm256_cvttpd_epi32(linha1));
        _mm256_store_pd(izs, _mm256_div_pd(um, cn));
        for (; bits != 0; bits &= bits - 1) {
            const int t = std::countr_zero(bits);
            const auto i = static_cast<std::size_t>(k + t);
            const __m256d profundidade = _mm256_set1_pd(izs[t]);
            const int colunas = c1[t] - c0[t] + 1;
            const int linhas = l1[t] - l0[t] + 1;
            double* base = profundidades + l0[t] * larguraLinha + c0[t];
            // Four columns at a time: a lane outside the square, or past the row's end into the
            // next row (or the frame's padding), is written back as it was read; the frame is
            // this run's alone. A square of up to four rows and columns is first tested whole,
            // its missing rows standing in for the first: most points of a dense cloud win no
            // pixel at all.
            if (colunas <= kQuatro && linhas <= kQuatro) {
                const __m256d dentro =
                    _mm256_load_pd(reinterpret_cast<const double*>(kMascaras[colunas]));
                __m256d ganha[kQuatro];
                for (int r = 0; r < kQuatro; ++r) {
                    const std::ptrdiff_t deslocamento = r < linhas ? r * larguraLinha : 0;
                    ganha[r] = _mm256_and_pd(
                        _mm256_cmp_pd(profundidade, _mm256_loadu_pd(base + deslocamento),
                                      _CMP_GT_OQ),
                        dentro);
                }
                if (!algumQuatro(ganha)) {
                    continue;
                }
                if constexpr (kDisco) {
                    // Only now the lanes of the disc in each row: a point that wins nothing in
                    // its box wins nothing in its disc.
                    for (int r = 0; r < kQuatro; ++r) {
                        ganha[r] = _mm256_and_pd(
                            ganha[r],
                            formaQuatro<kDisco>((l0[t] + (r < linhas ? r : 0)) + 0.5, c0[t] + 0.5,
                                                centrosX[t], centrosY[t], raio2));
                    }
                    if (!algumQuatro(ganha)) {
                        continue;
                    }
                }
                const Cor cor =
                    semNormais ? deFrente<Cor>(i) : corDoPonto<Cor>(i, camera.foco, luz);
                for (int r = 0; r < linhas; ++r) {
                    auto ganhos = static_cast<unsigned>(_mm256_movemask_pd(ganha[r]));
                    if (ganhos == 0) {
                        continue;
                    }
                    double* destino = base + r * larguraLinha;
                    _mm256_storeu_pd(destino, _mm256_blendv_pd(_mm256_loadu_pd(destino),
                                                               profundidade, ganha[r]));
                    const std::ptrdiff_t posicao = destino - profundidades;
                    for (; ganhos != 0; ganhos &= ganhos - 1) {
                        coresTrecho[posicao + std::countr_zero(ganhos)] = cor;
                    }
                }
                continue;
            }
            const Cor cor = semNormais ? deFrente<Cor>(i) : corDoPonto<Cor>(i, camera.foco, luz);
            for (int c = 0; c < colunas; c += kQuatro) {
                const __m256d dentro = _mm256_load_pd(
                    reinterpret_cast<const double*>(kMascaras[std::min(kQuatro, colunas - c)]));
                for (int r = 0; r < linhas; ++r) {
                    double* destino = base + r * larguraLinha + c;
                    const __m256d antes = _mm256_loadu_pd(destino);
                    const __m256d naForma = formaQuatro<kDisco>(
                        (l0[t] + r) + 0.5, (c0[t] + c) + 0.5, centrosX[t], centrosY[t], raio2);
                    const __m256d ganha =
                        _mm256_and_pd(_mm256_cmp_pd(profundidade, antes, _CMP_GT_OQ),
                                      _mm256_and_pd(dentro, naForma));
                    auto ganhos = static_cast<unsigned>(_mm256_movemask_pd(ganha));
                    if (ganhos == 0) {
                        continue;
                    }
                    _mm256_storeu_pd(destino, _mm256_blendv_pd(antes, profundidade, ganha));
                    const std::ptrdiff_t posicao = destino - profundidades;
                    for (; ganhos != 0; ganhos &= ganhos - 1) {
                        coresTrecho[posicao + std::countr_zero(ganhos)] = cor;
                    }
                }
            }
        }
    }
    // The box of what was drawn, from the lanes' least and greatest.
    alignas(32) double caixa[4][kQuatro];
    _mm256_store_pd(caixa[0], menorColuna);
    _mm256_store_pd(caixa[1], maiorColuna);
    _mm256_store_pd(caixa[2], menorLinha);
    _mm256_store_pd(caixa[3], maiorLinha);
    for (int t = 0; t < kQuatro; ++t) {
        if (caixa[0][t] <= caixa[1][t]) {
            marcar(trecho, static_cast<int>(caixa[0][t]), static_cast<int>(caixa[1][t]),
                   static_cast<int>(caixa[2][t]), static_cast<int>(caixa[3][t]));
        }
    }
}

void PontosTela::preparar(const Camera& camera, const Projecao& projecao, int larguraQuadro,
                          int alturaQuadro, int tamanho, Trabalhadores& trabalhadores, bool disco) {
    const int quant = primitivas.getQuantPontos();
    const std::size_t pixels =
        static_cast<std::size_t>(larguraQuadro) * static_cast<std::size_t>(alturaQuadro);
    // One run per thread, fewer for a small cloud or a very large frame.
    const std::size_t bytesPorTrecho =
        pixels * (sizeof(double) + (comCanais ? sizeof(Canais) : sizeof(std::uint16_t)));
    const int porMemoria = static_cast<int>(
        std::min<std::size_t>(static_cast<std::size_t>(trabalhadores.getQuantidade()),
                              std::max<std::size_t>(1, kMaisBytesTrechos / bytesPorTrecho)));
    const int porPontos = (quant + kMenosPontosPorTrecho - 1) / kMenosPontosPorTrecho;
    quantTrechos = std::max(1, std::min(porMemoria, porPontos));
    if (larguraQuadro != largura || alturaQuadro != altura) {
        trechos.clear();
        largura = larguraQuadro;
        altura = alturaQuadro;
    }
    while (trechos.size() < static_cast<std::size_t>(quantTrechos)) {
        // Past the last pixel, room for the lanes of four columns read at once from it.
        trechos.push_back(
            Trecho{std::vector<double>(pixels + kQuatro - 1, 0.0), {}, {}, 0, -1, 0, -1});
    }
    // The colours of the kind this frame's runs keep.
    for (int t = 0; t < quantTrechos; ++t) {
        Trecho& trecho = trechos[static_cast<std::size_t>(t)];
        if (comCanais && trecho.canais.size() != pixels) {
            trecho.canais.assign(pixels, 0);
        } else if (!comCanais && trecho.cores.size() != pixels) {
            trecho.cores.assign(pixels, 0);
        }
    }
    const double meio = tamanho / 2.0;
    const Ponto luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
    // A disc of one pixel is the square.
    const bool redondo = disco && tamanho > 1;
    auto trecho = [&](int t) {
        const auto parte = [&](int k) {
            return static_cast<int>(static_cast<std::int64_t>(quant) * k / quantTrechos);
        };
        Trecho& destino = trechos[static_cast<std::size_t>(t)];
        const int inicio = parte(t);
        const int fim = parte(t + 1);
        const auto desenhar = [&]<typename Cor, bool kDisco>() {
            if (avx2) {
                desenharTrechoQuatro<Cor, kDisco>(inicio, fim, camera, projecao, meio, luz,
                                                  destino);
            } else {
                desenharTrecho<Cor, kDisco>(inicio, fim, camera, projecao, meio, luz, destino);
            }
        };
        if (comCanais) {
            redondo ? desenhar.template operator()<Canais, true>()
                    : desenhar.template operator()<Canais, false>();
        } else {
            redondo ? desenhar.template operator()<std::uint16_t, true>()
                    : desenhar.template operator()<std::uint16_t, false>();
        }
    };
    trabalhadores.paraCada(quantTrechos, trecho);
}

void PontosTela::vencedores(const Camera& camera, const Projecao& projecao, int larguraQuadro,
                            int alturaQuadro, int tamanho, bool disco,
                            std::vector<std::int32_t>& vencedores,
                            std::vector<double>& profundidades) const {
    const std::size_t pixels =
        static_cast<std::size_t>(larguraQuadro) * static_cast<std::size_t>(alturaQuadro);
    vencedores.assign(pixels, -1);
    profundidades.assign(pixels, 0.0);
    // The arithmetic of desenharTrecho, two points at a time in the same lanes.
    const float* x = primitivas.getX();
    const float* y = primitivas.getY();
    const float* z = primitivas.getZ();
    const double meio = tamanho / 2.0;
    const bool redondo = disco && tamanho > 1;
    const double meioCaixa = redondo ? meio + 1.0 : meio;
    const double raio2 = meio * meio;
    const Par zPerto(projecao.zPerto);
    const Par um(1.0);
    const int fim = primitivas.getQuantPontos();
    for (int k = 0; k < fim; k += 2) {
        const int k1 = std::min(k + 1, fim - 1);
        Par cu;
        Par cv;
        Par cn;
        camera.coordenadas(Par(x[k], x[k1]), Par(y[k], y[k1]), Par(z[k], z[k1]), cu, cv, cn);
        const MascaraPar frente = cn >= zPerto;
        const Par xs = projecao.xTela(cu, cn);
        const Par ys = projecao.yTela(cv, cn);
        const Par iz = um / cn;
        for (int lane = 0; lane < 2 && k + lane < fim; ++lane) {
            int coluna0 = 0;
            int coluna1 = 0;
            int linha0 = 0;
            int linha1 = 0;
            if (!frente.lane(lane) || !std::isfinite(xs.lane(lane)) ||
                !std::isfinite(ys.lane(lane)) ||
                !intervalo(xs.lane(lane), meioCaixa, larguraQuadro, coluna0, coluna1) ||
                !intervalo(ys.lane(lane), meioCaixa, alturaQuadro, linha0, linha1)) {
                continue;
            }
            const double profundidade = iz.lane(lane);
            for (int j = linha0; j <= linha1; ++j) {
                const std::size_t linha =
                    static_cast<std::size_t>(j) * static_cast<std::size_t>(larguraQuadro);
                const double dy = (j + 0.5) - ys.lane(lane);
                for (int i = coluna0; i <= coluna1; ++i) {
                    if (redondo) {
                        const double dx = (i + 0.5) - xs.lane(lane);
                        if (!(dx * dx + dy * dy <= raio2)) {
                            continue;
                        }
                    }
                    const std::size_t c = linha + static_cast<std::size_t>(i);
                    if (profundidade > profundidades[c]) {
                        profundidades[c] = profundidade;
                        vencedores[c] = k + lane;
                    }
                }
            }
        }
    }
}

bool PontosTela::normalDoPonto(int i, const Ponto& foco, Vetor& normal) const {
    const std::vector<Primitivas::Terno>& normais = primitivas.getNormais();
    if (normais.empty()) {
        return false;
    }
    const Primitivas::Terno& n = normais[static_cast<std::size_t>(i)];
    return Iluminacao::normalIluminada(primitivas.getPonto(i), Vetor(n.x, n.y, n.z), foco, normal);
}

void PontosTela::desenharFaixa(FaixaVisivel& visivel, Quadro& quadro) {
    const int linha0 = visivel.getLinha0();
    const int linha1 = visivel.getLinha1();
    // The runs in file order: each pixel's first greatest depth over them, against the
    // triangles' (strictly greater wins), and the runs' frames cleaned behind.
    for (int t = 0; t < quantTrechos; ++t) {
        Trecho& trecho = trechos[static_cast<std::size_t>(t)];
        const int primeira = std::max(linha0, trecho.linha0);
        const int ultima = std::min(linha1 - 1, trecho.linha1);
        for (int j = primeira; j <= ultima; ++j) {
            const std::size_t linha =
                static_cast<std::size_t>(j) * static_cast<std::size_t>(largura);
            double* profundidades = trecho.profundidades.data() + linha;
            const std::uint16_t* cores = comCanais ? nullptr : trecho.cores.data() + linha;
            const Canais* canais = comCanais ? trecho.canais.data() + linha : nullptr;
            double* profundidadesQuadro = quadro.linhaProfundidade(j);
            const Quadro::Linha destino = quadro.linha(j);
            std::int32_t* vencedores = visivel.linhaVencedores(j);
            for (int i = trecho.coluna0; i <= trecho.coluna1; ++i) {
                const double profundidade = profundidades[i];
                if (profundidade == 0.0) {
                    continue;
                }
                profundidades[i] = 0.0;
                if (profundidade > profundidadesQuadro[i]) {
                    profundidadesQuadro[i] = profundidade;
                    if (canais != nullptr) {
                        destino.pintar(i, canais[i]);
                    } else {
                        destino.cor[i] = cores[i];
                        if (destino.canais != nullptr) {
                            destino.canais[i] = Quadro::expandir(cores[i]);
                        }
                    }
                    vencedores[i] = FaixaVisivel::kNenhum;
                }
            }
        }
    }
}

}  // namespace gouraud::detail
