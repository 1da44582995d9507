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

// Points projected, then tested, then drawn, together: a block of them.
constexpr int kBloco = 32;

// A block of points as the projection leaves them: per point its depth 1/cn, its place on the
// screen and the columns and rows of its square (or of the box around its disc) on the frame. A
// point that draws nothing (behind the near plane, not finite, or off the frame) has depth 0
// and a box of as many rows as a square has, at the frame's corner: testing it costs what
// testing another does, so that the number of rows tested is the same from point to point, and
// it never wins a pixel (a stored depth is never below 0).
struct Bloco {
    alignas(32) double iz[kBloco];
    alignas(32) double xs[kBloco];
    alignas(32) double ys[kBloco];
    alignas(16) std::int32_t c0[kBloco];
    alignas(16) std::int32_t c1[kBloco];
    alignas(16) std::int32_t l0[kBloco];
    alignas(16) std::int32_t l1[kBloco];
};

// What projecting a frame's points takes: the camera, the projection, the half side of the box
// looked in (s/2, or s/2 + 1 around a disc), the disc's squared radius and the frame's size.
struct Lente {
    const Camera& camera;
    const Projecao& projecao;
    double meioCaixa;
    double raio2;
    bool disco;
    int largura;
    int altura;
    // The rows of the box given to a point that draws nothing.
    int linhasVazio;
};

// What projecting a frame's points of `tamanho` pixels (as discs with `disco`) takes, for a
// frame of largura x altura. A disc's pixels are looked for in a box a pixel wider than its
// square on every side; the disc's own test decides each of them.
Lente lenteDe(const Camera& camera, const Projecao& projecao, int tamanho, bool disco, int largura,
              int altura) {
    const double meio = tamanho / 2.0;
    return Lente{camera,  projecao, disco ? meio + 1.0 : meio, meio * meio, disco,
                 largura, altura,   std::min(tamanho, altura)};
}

// The groups of four columns, from a multiple of four, that a square of `tamanho` pixels a side
// spans at most, wherever it starts: the lanes tested and drawn per row for every point. A box
// that needs more (a disc's, or one a rounding makes a column wider) gets what it needs.
int janelasDe(int tamanho) { return (std::max(tamanho, 1) + 6) / kQuatro; }

// A disc's box a pixel wider than its square on every side holds one column (and row) more on
// each side; an end column whose centre is further than s/2 across, dx.dx > (s/2)^2, holds no
// pixel of the disc in any row (adding dy.dy >= 0 cannot bring it back), and is left out.
void encolher(int& primeiro, int& ultimo, double centro, double raio2) {
    const double d0 = (primeiro + 0.5) - centro;
    const double d1 = (ultimo + 0.5) - centro;
    primeiro += d0 * d0 > raio2 ? 1 : 0;
    ultimo -= d1 * d1 > raio2 ? 1 : 0;
}

// Projects points k and k1 (k1 may be k) into entries t and t + 1 of `bloco`, two at a time in
// SSE2 lanes: xs = ((d.cu/cn - ox)/hx + 1).W/2, ys = (1 - (d.cv/cn - oy)/hy).H/2 and 1/cn as
// Projecao works them out.
void projetarDois(const float* x, const float* y, const float* z, int k, int k1, const Lente& lente,
                  Bloco& bloco, int t) {
    Par cu;
    Par cv;
    Par cn;
    lente.camera.coordenadas(Par(x[k], x[k1]), Par(y[k], y[k1]), Par(z[k], z[k1]), cu, cv, cn);
    const MascaraPar frente = cn >= Par(lente.projecao.zPerto);
    const Par xs = lente.projecao.xTela(cu, cn);
    const Par ys = lente.projecao.yTela(cv, cn);
    const Par iz = Par(1.0) / cn;
    for (int lane = 0; lane < 2; ++lane) {
        int c0 = 0;
        int c1 = 0;
        int l0 = 0;
        int l1 = 0;
        bool desenha = frente.lane(lane) && std::isfinite(xs.lane(lane)) &&
                       std::isfinite(ys.lane(lane)) &&
                       intervalo(xs.lane(lane), lente.meioCaixa, lente.largura, c0, c1) &&
                       intervalo(ys.lane(lane), lente.meioCaixa, lente.altura, l0, l1);
        if (desenha && lente.disco) {
            encolher(c0, c1, xs.lane(lane), lente.raio2);
            encolher(l0, l1, ys.lane(lane), lente.raio2);
            desenha = c0 <= c1 && l0 <= l1;
        }
        const int e = t + lane;
        bloco.iz[e] = desenha ? iz.lane(lane) : 0.0;
        bloco.xs[e] = xs.lane(lane);
        bloco.ys[e] = ys.lane(lane);
        bloco.c0[e] = desenha ? c0 : 0;
        bloco.c1[e] = desenha ? c1 : 0;
        bloco.l0[e] = desenha ? l0 : 0;
        bloco.l1[e] = desenha ? l1 : lente.linhasVazio - 1;
    }
}

// The constants of projetarQuatro, in lanes.
struct LenteQuatro {
    __m256d focoX, focoY, focoZ, zPerto, distancia, ox, oy, hx, hy, largura, altura, meio, raio2;
    __m256d linhaVazia;
    [[gnu::target("avx2")]] explicit LenteQuatro(const Lente& l)
        : focoX(_mm256_set1_pd(l.camera.foco.x)),
          focoY(_mm256_set1_pd(l.camera.foco.y)),
          focoZ(_mm256_set1_pd(l.camera.foco.z)),
          zPerto(_mm256_set1_pd(l.projecao.zPerto)),
          distancia(_mm256_set1_pd(l.projecao.d)),
          ox(_mm256_set1_pd(l.projecao.ox)),
          oy(_mm256_set1_pd(l.projecao.oy)),
          hx(_mm256_set1_pd(l.projecao.hx)),
          hy(_mm256_set1_pd(l.projecao.hy)),
          largura(_mm256_set1_pd(l.projecao.largura)),
          altura(_mm256_set1_pd(l.projecao.altura)),
          meio(_mm256_set1_pd(l.meioCaixa)),
          raio2(_mm256_set1_pd(l.raio2)),
          linhaVazia(_mm256_set1_pd(l.linhasVazio - 1.0)) {}
};

// The least and greatest columns and rows of the points that may draw, per lane.
struct CaixaQuatro {
    __m256d menorColuna, maiorColuna, menorLinha, maiorLinha;
};

// projetarDois for the four points from k on (quantos of them, 1 to 4, the lanes past the last
// repeating it) into entries [t, t + 4) of `bloco`, in AVX2 lanes: the same operations lane by
// lane, so the same bits; the box of those that may draw widened in `caixa`.
template <bool kDisco>
[[gnu::target("avx2"), gnu::always_inline]] inline void projetarQuatro(
    const float* x, const float* y, const float* z, int k, int quantos, const Lente& lente,
    const LenteQuatro& l, Bloco& bloco, int t, CaixaQuatro& caixa) {
    __m128 px;
    __m128 py;
    __m128 pz;
    if (quantos == kQuatro) {
        px = _mm_loadu_ps(x + k);
        py = _mm_loadu_ps(y + k);
        pz = _mm_loadu_ps(z + k);
    } else {
        alignas(16) float lidos[3][kQuatro];
        for (int e = 0; e < kQuatro; ++e) {
            const int i = k + std::min(e, quantos - 1);
            lidos[0][e] = x[i];
            lidos[1][e] = y[i];
            lidos[2][e] = z[i];
        }
        px = _mm_load_ps(lidos[0]);
        py = _mm_load_ps(lidos[1]);
        pz = _mm_load_ps(lidos[2]);
    }
    const Camera& camera = lente.camera;
    const __m256d um = _mm256_set1_pd(1.0);
    const __m256d metade = _mm256_set1_pd(0.5);
    const __m256d dx = _mm256_sub_pd(_mm256_cvtps_pd(px), l.focoX);
    const __m256d dy = _mm256_sub_pd(_mm256_cvtps_pd(py), l.focoY);
    const __m256d dz = _mm256_sub_pd(_mm256_cvtps_pd(pz), l.focoZ);
    const __m256d cu = coordenadaQuatro(camera.u, dx, dy, dz);
    const __m256d cv = coordenadaQuatro(camera.v, dx, dy, dz);
    const __m256d cn = coordenadaQuatro(camera.n, dx, dy, dz);
    const __m256d frente = _mm256_cmp_pd(cn, l.zPerto, _CMP_GE_OQ);
    // Halving is exact, so a multiplication by 0.5 gives the division's very bits and spares
    // the divider, which the other five divisions keep busy.
    const __m256d xs = _mm256_mul_pd(
        _mm256_mul_pd(
            _mm256_add_pd(
                _mm256_div_pd(
                    _mm256_sub_pd(_mm256_div_pd(_mm256_mul_pd(l.distancia, cu), cn), l.ox), l.hx),
                um),
            l.largura),
        metade);
    const __m256d ys = _mm256_mul_pd(
        _mm256_mul_pd(
            _mm256_sub_pd(
                um,
                _mm256_div_pd(
                    _mm256_sub_pd(_mm256_div_pd(_mm256_mul_pd(l.distancia, cv), cn), l.oy), l.hy)),
            l.altura),
        metade);
    const __m256d iz = _mm256_div_pd(um, cn);
    // x - x is 0 for a finite x and NaN otherwise.
    const __m256d finitos =
        _mm256_cmp_pd(_mm256_add_pd(_mm256_sub_pd(xs, xs), _mm256_sub_pd(ys, ys)),
                      _mm256_setzero_pd(), _CMP_EQ_OQ);
    __m256d coluna0;
    __m256d coluna1;
    __m256d linha0;
    __m256d linha1;
    intervaloQuatro(xs, l.meio, lente.largura, coluna0, coluna1);
    intervaloQuatro(ys, l.meio, lente.altura, linha0, linha1);
    if constexpr (kDisco) {
        encolherQuatro(coluna0, coluna1, xs, l.raio2);
        encolherQuatro(linha0, linha1, ys, l.raio2);
    }
    const __m256d desenha = _mm256_and_pd(_mm256_and_pd(frente, finitos),
                                          _mm256_and_pd(_mm256_cmp_pd(coluna0, coluna1, _CMP_LE_OQ),
                                                        _mm256_cmp_pd(linha0, linha1, _CMP_LE_OQ)));
    const __m256d infinito = _mm256_set1_pd(std::numeric_limits<double>::infinity());
    const __m256d menosInfinito = _mm256_set1_pd(-std::numeric_limits<double>::infinity());
    caixa.menorColuna =
        _mm256_min_pd(caixa.menorColuna, _mm256_blendv_pd(infinito, coluna0, desenha));
    caixa.maiorColuna =
        _mm256_max_pd(caixa.maiorColuna, _mm256_blendv_pd(menosInfinito, coluna1, desenha));
    caixa.menorLinha = _mm256_min_pd(caixa.menorLinha, _mm256_blendv_pd(infinito, linha0, desenha));
    caixa.maiorLinha =
        _mm256_max_pd(caixa.maiorLinha, _mm256_blendv_pd(menosInfinito, linha1, desenha));
    _mm256_store_pd(bloco.iz + t, _mm256_and_pd(desenha, iz));
    _mm256_store_pd(bloco.xs + t, xs);
    _mm256_store_pd(bloco.ys + t, ys);
    _mm_store_si128(reinterpret_cast<__m128i*>(bloco.c0 + t),
                    _mm256_cvttpd_epi32(_mm256_and_pd(desenha, coluna0)));
    _mm_store_si128(reinterpret_cast<__m128i*>(bloco.c1 + t),
                    _mm256_cvttpd_epi32(_mm256_and_pd(desenha, coluna1)));
    _mm_store_si128(reinterpret_cast<__m128i*>(bloco.l0 + t),
                    _mm256_cvttpd_epi32(_mm256_and_pd(desenha, linha0)));
    _mm_store_si128(reinterpret_cast<__m128i*>(bloco.l1 + t),
                    _mm256_cvttpd_epi32(_mm256_blendv_pd(l.linhaVazia, linha1, desenha)));
}

// The lanes of group w of four columns, counted from column a (a multiple of four), that lie
// in columns [c0, c1] of a square.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256d dentroQuatro(int w, int a, int c0,
                                                                        int c1) {
    const __m256i colunas =
        _mm256_add_epi64(_mm256_set_epi64x(3, 2, 1, 0), _mm256_set1_epi64x(a + kQuatro * w));
    return _mm256_castsi256_pd(
        _mm256_and_si256(_mm256_cmpgt_epi64(colunas, _mm256_set1_epi64x(c0 - 1)),
                         _mm256_cmpgt_epi64(_mm256_set1_epi64x(c1 + 1), colunas)));
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

void PontosTela::iniciarTrecho(Trecho& trecho, const Moldura& moldura) {
    trecho.linha0 = moldura.altura;
    trecho.linha1 = -1;
    trecho.coluna0 = moldura.largura;
    trecho.coluna1 = -1;
}

void PontosTela::marcar(Trecho& trecho, int coluna0, int coluna1, int linha0, int linha1) {
    trecho.linha0 = std::min(trecho.linha0, linha0);
    trecho.linha1 = std::max(trecho.linha1, linha1);
    trecho.coluna0 = std::min(trecho.coluna0, coluna0);
    trecho.coluna1 = std::max(trecho.coluna1, coluna1);
}

void PontosTela::reservar(Trecho& trecho, const Moldura& moldura, int janelas) {
    // Past the last row, room for the groups of columns read from its last pixels on.
    const std::size_t pixels =
        static_cast<std::size_t>(moldura.altura) * static_cast<std::size_t>(moldura.passo) +
        static_cast<std::size_t>(kQuatro * janelas) + 2 * kQuatro;
    // Room to start each on a 32-byte boundary.
    constexpr std::size_t kAlinhamento = 32;
    if (trecho.memoriaProfundidades.size() >= pixels + kQuatro) {
        return;
    }
    trecho.memoriaProfundidades.assign(pixels + kQuatro, 0.0);
    trecho.memoriaPontos.assign(pixels + 2 * kQuatro, 0);
    const auto inicio = [&](const void* p, std::size_t tamanho) {
        const auto endereco = reinterpret_cast<std::uintptr_t>(p);
        return ((kAlinhamento - endereco % kAlinhamento) % kAlinhamento) / tamanho;
    };
    trecho.inicioProfundidades = inicio(trecho.memoriaProfundidades.data(), sizeof(double));
    trecho.inicioPontos = inicio(trecho.memoriaPontos.data(), sizeof(std::int32_t));
}

template <bool kDisco>
void PontosTela::desenharTrecho(int inicio, int fim, const Camera& camera, const Projecao& projecao,
                                int tamanho, const Moldura& moldura, Trecho& trecho) const {
    const float* x = primitivas.getX();
    const float* y = primitivas.getY();
    const float* z = primitivas.getZ();
    double* profundidades = trecho.profundidades();
    std::int32_t* pontos = trecho.pontos();
    const Lente lente = lenteDe(camera, projecao, tamanho, kDisco, moldura.largura, moldura.altura);
    iniciarTrecho(trecho, moldura);
    Bloco bloco;
    for (int b = inicio; b < fim; b += kBloco) {
        const int n = std::min(kBloco, fim - b);
        for (int t = 0; t < n; t += 2) {
            // An odd last point fills both lanes.
            projetarDois(x, y, z, b + t, b + std::min(t + 1, n - 1), lente, bloco, t);
        }
        for (int t = 0; t < n; ++t) {
            const double profundidade = bloco.iz[t];
            // Depth 0 (or below, for a point no depth test lets through) wins no pixel.
            if (!(profundidade > 0.0)) {
                continue;
            }
            const double xs = bloco.xs[t];
            const double ys = bloco.ys[t];
            marcar(trecho, bloco.c0[t], bloco.c1[t], bloco.l0[t], bloco.l1[t]);
            for (int j = bloco.l0[t]; j <= bloco.l1[t]; ++j) {
                const std::ptrdiff_t linha = j * moldura.passo;
                const double dy = (j + 0.5) - ys;
                for (int i = bloco.c0[t]; i <= bloco.c1[t]; ++i) {
                    if constexpr (kDisco) {
                        const double dx = (i + 0.5) - xs;
                        if (!(dx * dx + dy * dy <= lente.raio2)) {
                            continue;
                        }
                    }
                    const std::ptrdiff_t c = linha + i;
                    if (profundidade > profundidades[c]) {
                        profundidades[c] = profundidade;
                        pontos[c] = b + t;
                    }
                }
            }
        }
    }
}

template <bool kDisco>
[[gnu::target("avx2")]] void PontosTela::desenharTrechoQuatro(int inicio, int fim,
                                                              const Camera& camera,
                                                              const Projecao& projecao, int tamanho,
                                                              const Moldura& moldura,
                                                              Trecho& trecho) const {
    const float* x = primitivas.getX();
    const float* y = primitivas.getY();
    const float* z = primitivas.getZ();
    double* profundidades = trecho.profundidades();
    std::int32_t* pontos = trecho.pontos();
    const std::ptrdiff_t passo = moldura.passo;
    const Lente lente = lenteDe(camera, projecao, tamanho, kDisco, moldura.largura, moldura.altura);
    const LenteQuatro lanes(lente);
    const int janelas = janelasDe(tamanho);
    iniciarTrecho(trecho, moldura);
    CaixaQuatro caixa{_mm256_set1_pd(std::numeric_limits<double>::infinity()),
                      _mm256_set1_pd(-std::numeric_limits<double>::infinity()),
                      _mm256_set1_pd(std::numeric_limits<double>::infinity()),
                      _mm256_set1_pd(-std::numeric_limits<double>::infinity())};
    // The 64-bit lanes 0 and 1 of each 128-bit half, then the rest: a mask of four doubles
    // narrowed to four 32-bit lanes.
    const __m256i estreitar = _mm256_set_epi32(7, 5, 3, 1, 6, 4, 2, 0);
    // The lanes of a row's four columns that lie in the box: kMascaras[n] holds the first n.
    alignas(32) static constexpr std::int64_t kMascaras[5][4] = {
        {0, 0, 0, 0}, {-1, 0, 0, 0}, {-1, -1, 0, 0}, {-1, -1, -1, 0}, {-1, -1, -1, -1}};
    Bloco bloco;
    alignas(32) std::int32_t candidatos[kBloco];
    for (int b = inicio; b < fim; b += kBloco) {
        const int n = std::min(kBloco, fim - b);
        for (int t = 0; t < n; t += kQuatro) {
            projetarQuatro<kDisco>(x, y, z, b + t, std::min(kQuatro, n - t), lente, lanes, bloco, t,
                                   caixa);
        }
        // Every point tested against the run's frame as the block found it, with no branch
        // that depends on the answer: a point that wins no pixel of its box there wins none
        // later either (depths stored only grow), so only those that do are drawn, in order,
        // each tested again against what the block's earlier points drew. In a dense cloud
        // most points win nothing and the few that do come in no order a branch predictor
        // could learn.
        int quantos = 0;
        for (int t = 0; t < n; ++t) {
            const int c0 = bloco.c0[t];
            const int c1 = bloco.c1[t];
            const int linhas = bloco.l1[t] - bloco.l0[t] + 1;
            const __m256d profundidade = _mm256_set1_pd(bloco.iz[t]);
            __m256d ganha = _mm256_setzero_pd();
            if (c1 - c0 < kQuatro && linhas <= kQuatro) {
                // A box of up to four columns and rows, a row at a time from its first column;
                // its missing rows stand in for the first.
                const double* base = profundidades + bloco.l0[t] * passo + c0;
                const __m256d dentro =
                    _mm256_load_pd(reinterpret_cast<const double*>(kMascaras[c1 - c0 + 1]));
                for (int r = 0; r < kQuatro; ++r) {
                    const std::ptrdiff_t deslocamento = r < linhas ? r * passo : 0;
                    ganha = _mm256_or_pd(
                        ganha, _mm256_cmp_pd(profundidade, _mm256_loadu_pd(base + deslocamento),
                                             _CMP_GT_OQ));
                }
                ganha = _mm256_and_pd(ganha, dentro);
            } else {
                const int a = c0 & -kQuatro;
                const int cada = std::max(janelas, (c1 - a) / kQuatro + 1);
                const double* base = profundidades + bloco.l0[t] * passo + a;
                for (int w = 0; w < cada; ++w) {
                    const __m256d dentro = dentroQuatro(w, a, c0, c1);
                    for (int r = 0; r < linhas; ++r) {
                        ganha = _mm256_or_pd(
                            ganha, _mm256_and_pd(
                                       _mm256_cmp_pd(profundidade,
                                                     _mm256_load_pd(base + r * passo + kQuatro * w),
                                                     _CMP_GT_OQ),
                                       dentro));
                    }
                }
            }
            candidatos[quantos] = t;
            quantos += _mm256_movemask_pd(ganha) != 0 ? 1 : 0;
        }
        // Each pixel of the box written back, the depth and the point's number where it wins:
        // the frame is this run's alone, and a lane outside the box (or past the row's end)
        // keeps what it held.
        for (int q = 0; q < quantos; ++q) {
            const int t = candidatos[q];
            const int c0 = bloco.c0[t];
            const int c1 = bloco.c1[t];
            const int l0 = bloco.l0[t];
            const int a = c0 & -kQuatro;
            const int cada = std::max(janelas, (c1 - a) / kQuatro + 1);
            const int linhas = bloco.l1[t] - l0 + 1;
            const __m256d profundidade = _mm256_set1_pd(bloco.iz[t]);
            const __m128i numero = _mm_set1_epi32(b + t);
            double* base = profundidades + l0 * passo + a;
            std::int32_t* basePontos = pontos + l0 * passo + a;
            for (int w = 0; w < cada; ++w) {
                __m256d dentro = dentroQuatro(w, a, c0, c1);
                __m256d dx;
                if constexpr (kDisco) {
                    dx = _mm256_sub_pd(_mm256_add_pd(_mm256_set1_pd((a + kQuatro * w) + 0.5),
                                                     _mm256_set_pd(3.0, 2.0, 1.0, 0.0)),
                                       _mm256_set1_pd(bloco.xs[t]));
                    dx = _mm256_mul_pd(dx, dx);
                }
                for (int r = 0; r < linhas; ++r) {
                    double* destino = base + r * passo + kQuatro * w;
                    const __m256d antes = _mm256_load_pd(destino);
                    __m256d vence =
                        _mm256_and_pd(_mm256_cmp_pd(profundidade, antes, _CMP_GT_OQ), dentro);
                    if constexpr (kDisco) {
                        const double dy = ((l0 + r) + 0.5) - bloco.ys[t];
                        vence = _mm256_and_pd(
                            vence, _mm256_cmp_pd(_mm256_add_pd(dx, _mm256_set1_pd(dy * dy)),
                                                 lanes.raio2, _CMP_LE_OQ));
                    }
                    _mm256_store_pd(destino, _mm256_blendv_pd(antes, profundidade, vence));
                    auto* destinoPontos =
                        reinterpret_cast<__m128i*>(basePontos + r * passo + kQuatro * w);
                    const __m128i vence32 = _mm256_castsi256_si128(
                        _mm256_permutevar8x32_epi32(_mm256_castpd_si256(vence), estreitar));
                    _mm_store_si128(destinoPontos, _mm_blendv_epi8(_mm_load_si128(destinoPontos),
                                                                   numero, vence32));
                }
            }
        }
    }
    // The box of what may have been drawn, from the lanes' least and greatest.
    alignas(32) double limites[4][kQuatro];
    _mm256_store_pd(limites[0], caixa.menorColuna);
    _mm256_store_pd(limites[1], caixa.maiorColuna);
    _mm256_store_pd(limites[2], caixa.menorLinha);
    _mm256_store_pd(limites[3], caixa.maiorLinha);
    for (int t = 0; t < kQuatro; ++t) {
        if (limites[0][t] <= limites[1][t]) {
            marcar(trecho, static_cast<int>(limites[0][t]), static_cast<int>(limites[1][t]),
                   static_cast<int>(limites[2][t]), static_cast<int>(limites[3][t]));
        }
    }
}

PontosTela::Moldura PontosTela::molduraDe(int largura, int altura) {
    return Moldura{largura, altura, (largura + kQuatro - 1) / kQuatro * kQuatro};
}

void PontosTela::desenharPontos(int inicio, int fim, const Camera& camera,
                                const Projecao& projecao, int tamanho, bool disco,
                                const Moldura& forma, Trecho& trecho) const {
    // A disc of one pixel is the square.
    const bool redondo = disco && tamanho > 1;
    if (avx2) {
        redondo ? desenharTrechoQuatro<true>(inicio, fim, camera, projecao, tamanho, forma, trecho)
                : desenharTrechoQuatro<false>(inicio, fim, camera, projecao, tamanho, forma,
                                              trecho);
    } else {
        redondo ? desenharTrecho<true>(inicio, fim, camera, projecao, tamanho, forma, trecho)
                : desenharTrecho<false>(inicio, fim, camera, projecao, tamanho, forma, trecho);
    }
}

void PontosTela::preparar(const Camera& camera, const Projecao& projecao, int larguraQuadro,
                          int alturaQuadro, int tamanho, Trabalhadores& trabalhadores, bool disco) {
    const int quant = primitivas.getQuantPontos();
    const std::size_t pixels =
        static_cast<std::size_t>(larguraQuadro) * static_cast<std::size_t>(alturaQuadro);
    // One run per thread, fewer for a small cloud or a very large frame.
    const std::size_t bytesPorTrecho = pixels * (sizeof(double) + sizeof(std::int32_t));
    const int porMemoria = static_cast<int>(
        std::min<std::size_t>(static_cast<std::size_t>(trabalhadores.getQuantidade()),
                              std::max<std::size_t>(1, kMaisBytesTrechos / bytesPorTrecho)));
    const int porPontos = (quant + kMenosPontosPorTrecho - 1) / kMenosPontosPorTrecho;
    quantTrechos = std::max(1, std::min(porMemoria, porPontos));
    if (larguraQuadro != moldura.largura || alturaQuadro != moldura.altura) {
        trechos.clear();
        moldura = molduraDe(larguraQuadro, alturaQuadro);
    }
    if (trechos.size() < static_cast<std::size_t>(quantTrechos)) {
        trechos.resize(static_cast<std::size_t>(quantTrechos));
    }
    for (int t = 0; t < quantTrechos; ++t) {
        reservar(trechos[static_cast<std::size_t>(t)], moldura, janelasDe(tamanho));
    }
    foco = camera.foco;
    luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
    auto trecho = [&](int t) {
        const auto parte = [&](int k) {
            return static_cast<int>(static_cast<std::int64_t>(quant) * k / quantTrechos);
        };
        desenharPontos(parte(t), parte(t + 1), camera, projecao, tamanho, disco, moldura,
                       trechos[static_cast<std::size_t>(t)]);
    };
    trabalhadores.paraCada(quantTrechos, trecho);
}

void PontosTela::vencedores(const Camera& camera, const Projecao& projecao, int larguraQuadro,
                            int alturaQuadro, int tamanho, bool disco,
                            std::vector<std::int32_t>& vencedores,
                            std::vector<double>& profundidades) const {
    // The colour pass's own drawing, one run over every point.
    const Moldura forma = molduraDe(larguraQuadro, alturaQuadro);
    Trecho trecho;
    reservar(trecho, forma, janelasDe(tamanho));
    desenharPontos(0, primitivas.getQuantPontos(), camera, projecao, tamanho, disco, forma, trecho);
    const std::size_t pixels =
        static_cast<std::size_t>(larguraQuadro) * static_cast<std::size_t>(alturaQuadro);
    vencedores.assign(pixels, -1);
    profundidades.assign(pixels, 0.0);
    const double* lidas = trecho.profundidades();
    const std::int32_t* pontos = trecho.pontos();
    for (int j = 0; j < alturaQuadro; ++j) {
        const std::size_t linha =
            static_cast<std::size_t>(j) * static_cast<std::size_t>(larguraQuadro);
        const std::ptrdiff_t origem = j * forma.passo;
        for (int i = 0; i < larguraQuadro; ++i) {
            const double profundidade = lidas[origem + i];
            if (profundidade != 0.0) {
                profundidades[linha + static_cast<std::size_t>(i)] = profundidade;
                vencedores[linha + static_cast<std::size_t>(i)] = pontos[origem + i];
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
    // triangles' (strictly greater wins), and the runs' frames cleaned behind. The colour is
    // the winning point's, worked out here for the pixels a point keeps.
    for (int t = 0; t < quantTrechos; ++t) {
        Trecho& trecho = trechos[static_cast<std::size_t>(t)];
        const int primeira = std::max(linha0, trecho.linha0);
        const int ultima = std::min(linha1 - 1, trecho.linha1);
        for (int j = primeira; j <= ultima; ++j) {
            const std::ptrdiff_t linha = j * moldura.passo;
            double* profundidades = trecho.profundidades() + linha;
            const std::int32_t* pontos = trecho.pontos() + linha;
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
                    const auto ponto = static_cast<std::size_t>(pontos[i]);
                    if (comCanais) {
                        destino.pintar(i, corDoPonto<Canais>(ponto, foco, luz));
                    } else {
                        const std::uint16_t cor = corDoPonto<std::uint16_t>(ponto, foco, luz);
                        destino.cor[i] = cor;
                        if (destino.canais != nullptr) {
                            destino.canais[i] = Quadro::expandir(cor);
                        }
                    }
                    vencedores[i] = FaixaVisivel::kNenhum;
                }
            }
        }
    }
}

}  // namespace gouraud::detail
