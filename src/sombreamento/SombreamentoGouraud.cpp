#include "SombreamentoGouraud.h"

#include <immintrin.h>

#include <algorithm>
#include <cstddef>

#include "Par.h"

namespace gouraud::detail {

namespace {

constexpr int kLanesQuatro = 4;
constexpr int kCanais = SombreamentoGouraud::kQuantAtributos;
constexpr double kCanalMaximo = 255.0;
// The packing of Quadro::empacotar: 5, 6 and 5 bits of the floored channels.
constexpr int kPerda5 = 3;
constexpr int kPerda6 = 2;
constexpr int kDeslocamentoVermelho = 11;
constexpr int kDeslocamentoVerde = 5;

static_assert(sizeof(Classificacao::Entrada) == 5 * sizeof(std::int32_t),
              "the band entries are gathered as five int32 each");
static_assert(sizeof(VerticeTela) == kCanais * sizeof(double),
              "a screen corner's iz is gathered with the colours' index");

// What every pixel of a band is shaded from: its winners, and for a whole triangle the screen
// corners and colours (three per point) of the vertex stage's points.
struct PixelsGouraud {
    const FaixaVisivel& faixa;
    const VerticeTela* vertices;
    const double* cores;
};

// One row of a band: its winners and weights, and the frame's depths and colours.
struct LinhaVisivel {
    const std::int32_t* vencedores;
    const double* pesos1;
    const double* pesos2;
    const double* profundidades;
    Quadro::Linha cor;
};

// c0 + (q1 (c1 - c0) + q2 (c2 - c0)) s per channel, s = 1/iz, floored.
Sombreamento::Canais corGouraud(const double* c0, const double* c1, const double* c2, double q1,
                                double q2, double s) {
    return Sombreamento::canais(c0[0] + (q1 * (c1[0] - c0[0]) + q2 * (c2[0] - c0[0])) * s,
                                c0[1] + (q1 * (c1[1] - c0[1]) + q2 * (c2[1] - c0[1])) * s,
                                c0[2] + (q1 * (c1[2] - c0[2]) + q2 * (c2[2] - c0[2])) * s);
}

// Pixel i of the row: its winner's colour, nothing where none won.
inline void sombrearPixel(const PixelsGouraud& p, const LinhaVisivel& l, int i) {
    const std::int32_t vencedor = l.vencedores[i];
    if (vencedor == FaixaVisivel::kNenhum) {
        return;
    }
    const double s = 1.0 / l.profundidades[i];
    if (FaixaVisivel::ehPeca(vencedor)) {
        const auto& c = p.faixa.getPeca(vencedor).cantos;
        Sombreamento::pintar(
            l.cor, i,
            corGouraud(c[0].atributos.data(), c[1].atributos.data(), c[2].atributos.data(),
                       l.pesos1[i] * c[1].z, l.pesos2[i] * c[2].z, s));
        return;
    }
    const Classificacao::Entrada& e = p.faixa.getEntrada(vencedor);
    Sombreamento::pintar(
        l.cor, i,
        corGouraud(&p.cores[static_cast<std::ptrdiff_t>(e.a) * kCanais],
                   &p.cores[static_cast<std::ptrdiff_t>(e.b) * kCanais],
                   &p.cores[static_cast<std::ptrdiff_t>(e.c) * kCanais],
                   l.pesos1[i] * p.vertices[e.b].iz, l.pesos2[i] * p.vertices[e.c].iz, s));
}

// Point numbers in four int32 lanes as four 64-bit offsets of kCanais doubles each.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i deslocamentoPonto(__m128i pontos) {
    const __m256i n = _mm256_cvtepi32_epi64(pontos);
    return _mm256_add_epi64(_mm256_slli_epi64(n, 1), n);
}

// The doubles at base + deslocamento, four lanes.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256d ler(const double* base,
                                                               __m256i deslocamento) {
    return _mm256_i64gather_pd(base, deslocamento, sizeof(double));
}

// A channel floored to 0..255 as Sombreamento::empacotar does it (a NaN or a negative gives 0),
// in four lanes.
[[gnu::target("avx2"), gnu::always_inline]] inline __m128i canalQuatro(__m256d valor) {
    // max gives its second operand when the first is a NaN or both are zeros.
    const __m256d positivo = _mm256_max_pd(valor, _mm256_setzero_pd());
    return _mm256_cvttpd_epi32(_mm256_min_pd(positivo, _mm256_set1_pd(kCanalMaximo)));
}

// Pixels [i, i + 4) of the row, every one won by a whole triangle, in AVX2 lanes: each channel
// the same IEEE operations as corGouraud, the same floor and packing. The corners of four
// winners are gathered, or read once when all four are the same triangle.
[[gnu::target("avx2"), gnu::always_inline]] inline void sombrearQuatroInteiros(
    const PixelsGouraud& p, const LinhaVisivel& l, int i, __m128i vencedores) {
    const Classificacao::Entrada* entradas = &p.faixa.getEntrada(0);
    // Per corner (0, 1, 2) of each lane's winner: its colour channels; and 1/cn of corners 1, 2.
    __m256d cantos[3][kCanais];
    __m256d iz[3] = {};
    const bool iguais =
        _mm_movemask_epi8(_mm_cmpeq_epi32(vencedores, _mm_shuffle_epi32(vencedores, 0))) == 0xFFFF;
    if (iguais) {
        const Classificacao::Entrada& e = entradas[l.vencedores[i]];
        const std::int32_t pontos[3] = {e.a, e.b, e.c};
        for (int v = 0; v < 3; ++v) {
            const double* cor = &p.cores[static_cast<std::ptrdiff_t>(pontos[v]) * kCanais];
            for (int k = 0; k < kCanais; ++k) {
                cantos[v][k] = _mm256_set1_pd(cor[k]);
            }
        }
        iz[1] = _mm256_set1_pd(p.vertices[e.b].iz);
        iz[2] = _mm256_set1_pd(p.vertices[e.c].iz);
    } else {
        const __m256i n = _mm256_cvtepi32_epi64(vencedores);
        const __m256i entrada = _mm256_add_epi64(_mm256_slli_epi64(n, 2), n);
        const __m256i indice[3] = {
            deslocamentoPonto(_mm256_i64gather_epi32(&entradas->a, entrada, 4)),
            deslocamentoPonto(_mm256_i64gather_epi32(&entradas->b, entrada, 4)),
            deslocamentoPonto(_mm256_i64gather_epi32(&entradas->c, entrada, 4))};
        for (int v = 0; v < 3; ++v) {
            for (int k = 0; k < kCanais; ++k) {
                cantos[v][k] = ler(p.cores + k, indice[v]);
            }
        }
        iz[1] = ler(&p.vertices->iz, indice[1]);
        iz[2] = ler(&p.vertices->iz, indice[2]);
    }
    const __m256d q1 = _mm256_mul_pd(_mm256_loadu_pd(l.pesos1 + i), iz[1]);
    const __m256d q2 = _mm256_mul_pd(_mm256_loadu_pd(l.pesos2 + i), iz[2]);
    const __m256d s = _mm256_div_pd(_mm256_set1_pd(1.0), _mm256_loadu_pd(l.profundidades + i));
    __m128i canais[kCanais];
    for (int k = 0; k < kCanais; ++k) {
        const __m256d c0 = cantos[0][k];
        const __m256d c1 = cantos[1][k];
        const __m256d c2 = cantos[2][k];
        canais[k] = canalQuatro(
            _mm256_add_pd(c0, _mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(q1, _mm256_sub_pd(c1, c0)),
                                                          _mm256_mul_pd(q2, _mm256_sub_pd(c2, c0))),
                                            s)));
    }
    const __m128i cor = _mm_or_si128(
        _mm_or_si128(_mm_slli_epi32(_mm_srli_epi32(canais[0], kPerda5), kDeslocamentoVermelho),
                     _mm_slli_epi32(_mm_srli_epi32(canais[1], kPerda6), kDeslocamentoVerde)),
        _mm_srli_epi32(canais[2], kPerda5));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(l.cor.cor + i), _mm_packus_epi32(cor, cor));
    // The frame's 8-bit channels, as Quadro::Linha::pintar writes them.
    if (l.cor.canais != nullptr) {
        const __m128i unidos =
            _mm_or_si128(_mm_or_si128(_mm_set1_epi32(static_cast<int>(Quadro::kOpaco)),
                                      _mm_slli_epi32(canais[0], 16)),
                         _mm_or_si128(_mm_slli_epi32(canais[1], 8), canais[2]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(l.cor.canais + i), unidos);
    }
}

// The row `largura` pixels wide, four pixels at a time where whole triangles won all four;
// groups with no winner are skipped, the others (and the last few pixels) one at a time.
[[gnu::target("avx2")]] void sombrearLinhaQuatro(const PixelsGouraud& p, const LinhaVisivel& l,
                                                 int largura) {
    const __m128i nenhum = _mm_set1_epi32(FaixaVisivel::kNenhum);
    int i = 0;
    for (; i + kLanesQuatro <= largura; i += kLanesQuatro) {
        const __m128i vencedores =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(l.vencedores + i));
        if (_mm_movemask_ps(_mm_castsi128_ps(vencedores)) == 0) {
            sombrearQuatroInteiros(p, l, i, vencedores);
        } else if (_mm_movemask_epi8(_mm_cmpeq_epi32(vencedores, nenhum)) != 0xFFFF) {
            for (int t = 0; t < kLanesQuatro; ++t) {
                sombrearPixel(p, l, i + t);
            }
        }
    }
    for (; i < largura; ++i) {
        sombrearPixel(p, l, i);
    }
}

}  // namespace

SombreamentoGouraud::SombreamentoGouraud(const EstagioVertices& vertices,
                                         const Iluminacao& iluminacao,
                                         const CoresDaMalha* coresDaMalha)
    : vertices(vertices),
      iluminacao(iluminacao),
      cores(std::make_unique_for_overwrite<double[]>(
          static_cast<std::size_t>(vertices.getQuantPontos()) * kQuantAtributos)),
      corObjeto(coresDaMalha != nullptr ? coresDaMalha->getCores() : nullptr) {
    usarAvx2(true);
}

int SombreamentoGouraud::getQuantAtributos() const { return kQuantAtributos; }

void SombreamentoGouraud::iniciar(const Camera& cameraAtual) { camera = cameraAtual; }

const double* SombreamentoGouraud::getAtributos(int ponto) const {
    return &cores[static_cast<std::size_t>(ponto) * kQuantAtributos];
}

void SombreamentoGouraud::prepararPontos(int inicio, int fim, const std::uint8_t* marcas) {
    const Ponto luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
    const Ponto* pontos = vertices.getPontos();
    const Vetor* normais = vertices.getNormais();
    const std::uint8_t* comNormal = vertices.getComNormal();
    // Two marked points at a time, sharing each division and square root; a last one alone is
    // worked out in both lanes and stored once.
    const auto iluminar = [&](int k0, int k1) {
        const Ponto& p0 = pontos[k0];
        const Ponto& p1 = pontos[k1];
        const Vetor& m0 = normais[k0];
        const Vetor& m1 = normais[k1];
        Par r;
        Par g;
        Par b;
        if (corObjeto != nullptr) {
            const double* od0 = &corObjeto[static_cast<std::size_t>(k0) * kCanais];
            const double* od1 = &corObjeto[static_cast<std::size_t>(k1) * kCanais];
            iluminacao.corDePar(Par(p0.x, p1.x), Par(p0.y, p1.y), Par(p0.z, p1.z), Par(m0.x, m1.x),
                                Par(m0.y, m1.y), Par(m0.z, m1.z),
                                mascara(comNormal[k0] != 0, comNormal[k1] != 0),
                                Par(od0[0], od1[0]), Par(od0[1], od1[1]), Par(od0[2], od1[2]),
                                camera.foco, luz, r, g, b);
        } else {
            iluminacao.corDePar(Par(p0.x, p1.x), Par(p0.y, p1.y), Par(p0.z, p1.z), Par(m0.x, m1.x),
                                Par(m0.y, m1.y), Par(m0.z, m1.z),
                                mascara(comNormal[k0] != 0, comNormal[k1] != 0), camera.foco, luz,
                                r, g, b);
        }
        for (const auto& [lane, k] : {std::pair{0, k0}, {1, k1}}) {
            double* cor = &cores[static_cast<std::size_t>(k) * kQuantAtributos];
            cor[0] = r.lane(lane);
            cor[1] = g.lane(lane);
            cor[2] = b.lane(lane);
        }
    };
    if (quatro) {
        // Four marked points at a time in AVX2 lanes; the last few fill the lanes left with
        // the last of them, stored once.
        int grupo[kLanesQuatro];
        int quantos = 0;
        const auto iluminarQuatro = [&] {
            double px[kLanesQuatro], py[kLanesQuatro], pz[kLanesQuatro];
            double nx[kLanesQuatro], ny[kLanesQuatro], nz[kLanesQuatro];
            bool tem[kLanesQuatro];
            for (int t = 0; t < kLanesQuatro; ++t) {
                const int k = grupo[std::min(t, quantos - 1)];
                px[t] = pontos[k].x;
                py[t] = pontos[k].y;
                pz[t] = pontos[k].z;
                nx[t] = normais[k].x;
                ny[t] = normais[k].y;
                nz[t] = normais[k].z;
                tem[t] = comNormal[k] != 0;
            }
            double r[kLanesQuatro], g[kLanesQuatro], b[kLanesQuatro];
            if (corObjeto != nullptr) {
                double odR[kLanesQuatro], odG[kLanesQuatro], odB[kLanesQuatro];
                for (int t = 0; t < kLanesQuatro; ++t) {
                    const double* od =
                        &corObjeto[static_cast<std::size_t>(grupo[std::min(t, quantos - 1)]) *
                                   kCanais];
                    odR[t] = od[0];
                    odG[t] = od[1];
                    odB[t] = od[2];
                }
                iluminacao.corDeQuatro(px, py, pz, nx, ny, nz, tem, odR, odG, odB, camera.foco, luz,
                                       r, g, b);
            } else {
                iluminacao.corDeQuatro(px, py, pz, nx, ny, nz, tem, camera.foco, luz, r, g, b);
            }
            for (int t = 0; t < quantos; ++t) {
                double* cor = &cores[static_cast<std::size_t>(grupo[t]) * kQuantAtributos];
                cor[0] = r[t];
                cor[1] = g[t];
                cor[2] = b[t];
            }
            quantos = 0;
        };
        for (int k = inicio; k < fim; ++k) {
            if (marcas[k] != 0) {
                grupo[quantos++] = k;
                if (quantos == kLanesQuatro) {
                    iluminarQuatro();
                }
            }
        }
        if (quantos > 0) {
            iluminarQuatro();
        }
        return;
    }
    int pendente = -1;
    for (int k = inicio; k < fim; ++k) {
        if (marcas[k] == 0) {
            continue;
        }
        if (pendente < 0) {
            pendente = k;
        } else {
            iluminar(pendente, k);
            pendente = -1;
        }
    }
    if (pendente >= 0) {
        iluminar(pendente, pendente);
    }
}

void SombreamentoGouraud::usarAvx2(bool permitir) {
    quatro = permitir && Iluminacao::quatroDisponivel();
}

void SombreamentoGouraud::sombrear(const FaixaVisivel& faixa, Quadro& quadro) const {
    sombrearFaixa(faixa, vertices.getVertices(), cores.get(), quadro, quatro);
}

void SombreamentoGouraud::sombrearFaixa(const FaixaVisivel& faixa, const VerticeTela* vertices,
                                        const double* cores, Quadro& quadro, bool avx2) {
    const PixelsGouraud pixels{faixa, vertices, cores};
    for (int j = faixa.getLinha0(); j < faixa.getLinha1(); ++j) {
        const LinhaVisivel linha{faixa.linhaVencedores(j), faixa.linhaPesos1(j),
                                 faixa.linhaPesos2(j), quadro.linhaProfundidade(j),
                                 quadro.linha(j)};
        if (avx2) {
            sombrearLinhaQuatro(pixels, linha, faixa.getLargura());
            continue;
        }
        for (int i = 0; i < faixa.getLargura(); ++i) {
            sombrearPixel(pixels, linha, i);
        }
    }
}

}  // namespace gouraud::detail
