#include "Classificacao.h"

#include <algorithm>
#include <atomic>
#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <sys/mman.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <new>

#include "BlocoCaixas.h"
#include "Cobertura.h"
#include "Quadro.h"
#include "Recorte.h"

namespace gouraud::detail {

namespace {

using PosicaoGrossa = EstagioVertices::PosicaoGrossa;

// The pixel of a triangle whose few candidates it does not cover.
constexpr std::int32_t kNenhumPixel = -2;
// Boxes of at most this many candidates a side are decided here.
constexpr int kLadoCaixaPequena = 2;
constexpr int kBitMascara = Classificacao::kBitMascara;
static_assert(static_cast<std::int64_t>(Quadro::kMaiorLado) * Quadro::kMaiorLado <=
                  std::int64_t{1} << kBitMascara,
              "a pixel's number must fit below the bits of its box's mask");
constexpr int kBitsGrossos = EstagioVertices::kBitsGrossos;
constexpr std::int32_t kMeioPixelGrosso = 1 << (kBitsGrossos - 1);
constexpr std::int32_t kMarca = EstagioVertices::kMarca;
static_assert(Classificacao::kPorLote % EstagioVertices::kPorGrupo == 0,
              "a batch holds whole groups");

// The pixels whose centres may lie in [menor, maior] given in coarse units: a superset of the
// exact ones (the coarse positions are rounded down), clamped to [0, limite).
int primeiroPixelGrosso(std::int32_t menor) {
    return std::max(0, -((kMeioPixelGrosso - menor) >> kBitsGrossos));
}
int ultimoPixelGrosso(std::int32_t maior, int limite) {
    return std::min(limite - 1, (maior - kMeioPixelGrosso) >> kBitsGrossos);
}

}  // namespace

Classificacao::Classificacao(const Malha& malha, const EstagioVertices& vertices)
    : malha(malha), vertices(vertices) {
    const int triangulos = malha.getQuantTriangulos();
    // Aligned to and sized in large pages, so that the advice covers every page of it; left
    // unset until written, so that pages no batch reaches are never committed.
    constexpr std::size_t kPaginaGrande = std::size_t{2} << 20;
    const std::size_t bytes =
        (std::max<std::size_t>(1, static_cast<std::size_t>(triangulos)) * sizeof(Sobrevivente) +
         kPaginaGrande - 1) /
        kPaginaGrande * kPaginaGrande;
    void* memoria = std::aligned_alloc(kPaginaGrande, bytes);
    if (memoria == nullptr) {
        throw std::bad_alloc();
    }
    ::madvise(memoria, bytes, MADV_NOHUGEPAGE);
    sobreviventes.reset(static_cast<Sobrevivente*>(memoria));
    quantLotes = (triangulos + kPorLote - 1) / kPorLote;
    quantSobreviventes.resize(static_cast<std::size_t>(quantLotes));
    marcas.assign(static_cast<std::size_t>(vertices.getQuantPontos()), 0);
    usarAvx2(true);
}

void Classificacao::Liberar::operator()(Sobrevivente* p) const { std::free(p); }

void Classificacao::usarAvx2(bool permitir) { avx2 = permitir && BlocoCaixas::disponivel(); }

const std::uint8_t* Classificacao::getMarcas() const { return marcas.data(); }

void Classificacao::limparMarcas(int inicio, int fim) {
    std::fill(marcas.begin() + inicio, marcas.begin() + fim, 0);
}

void Classificacao::preparar(int larguraQuadro, int alturaQuadro) {
    largura = larguraQuadro;
    if (alturaQuadro == altura) {
        return;
    }
    altura = alturaQuadro;
    quantFaixas = (altura + kLinhasPorFaixa - 1) / kLinhasPorFaixa;
    contagem.assign(static_cast<std::size_t>(quantLotes) * static_cast<std::size_t>(quantFaixas),
                    0);
    inicioFaixa.assign(static_cast<std::size_t>(quantFaixas) + 1, 0);
}

int Classificacao::getQuantFaixas() const { return quantFaixas; }
int Classificacao::getQuantLotes() const { return quantLotes; }
std::int64_t Classificacao::inicio(int faixa) const {
    return inicioFaixa[static_cast<std::size_t>(faixa)];
}
const Classificacao::Entrada* Classificacao::getEntradas() const { return listas.data(); }
const std::int32_t* Classificacao::getPosicoes() const { return posicoesListas.data(); }

std::pair<int, int> Classificacao::linhasRecortado(int i, const Camera& camera,
                                                   const Projecao& projecao) const {
    int j0 = 0;
    int j1 = -1;
    const Triangulo& t = malha.getTriangulos()[vertices.getNumerosNoArquivo()[i]];
    const Ponto* pontos = malha.getPontos();
    // Only its rows are wanted: no attributes.
    const Recorte::Poligono p =
        Recorte::recortar(camera, projecao, largura, altura, pontos[t.indiceP1], pontos[t.indiceP2],
                          pontos[t.indiceP3], nullptr, nullptr, nullptr, 0);
    if (p.quant >= 3) {
        double minX = p.cantos[0].x;
        double maxX = minX;
        double minY = p.cantos[0].y;
        double maxY = minY;
        for (int k = 1; k < p.quant; ++k) {
            const Recorte::Canto& c = p.cantos[static_cast<std::size_t>(k)];
            minX = std::min(minX, c.x);
            maxX = std::max(maxX, c.x);
            minY = std::min(minY, c.y);
            maxY = std::max(maxY, c.y);
        }
        // A pixel of margin: the corners are rounded to 2^-48 pixel when drawn.
        const int i0 = std::max(0, static_cast<int>(std::floor(minX)) - 1);
        const int i1 = std::min(largura - 1, static_cast<int>(std::floor(maxX)) + 1);
        j0 = std::max(0, static_cast<int>(std::floor(minY)) - 1);
        j1 = std::min(altura - 1, static_cast<int>(std::floor(maxY)) + 1);
        if (i0 > i1) {
            j1 = -1;
        }
    }
    return {j0, j1};
}

std::int32_t Classificacao::codificar(int i0, int j0, unsigned cobertos) const {
    if (cobertos == 0) {
        return kNenhumPixel;
    }
    return static_cast<std::int32_t>(cobertos << kBitMascara) | (j0 * largura + i0);
}

std::int32_t Classificacao::pixelDaCaixa(int i, int i0, int i1, int j0, int j1) const {
    if (i1 - i0 >= kLadoCaixaPequena || j1 - j0 >= kLadoCaixaPequena) {
        return kVariosPixels;
    }
    const std::int32_t* canto = &vertices.getIndices()[static_cast<std::size_t>(i) * 3];
    const PosicaoGrossa* g = vertices.getGrossas();
    const PosicaoGrossa& a = g[canto[0]];
    const PosicaoGrossa& b = g[canto[1]];
    const PosicaoGrossa& c = g[canto[2]];
    // A box clamped small by the frame's side may hold a large triangle: only corners near each
    // other are decided here.
    if (std::max({a.x, b.x, c.x}) - std::min({a.x, b.x, c.x}) > BlocoCaixas::kMaiorExtensao ||
        std::max({a.y, b.y, c.y}) - std::min({a.y, b.y, c.y}) > BlocoCaixas::kMaiorExtensao) {
        return kVariosPixels;
    }
    const VerticeTela* v = vertices.getVertices();
    return codificar(i0, j0,
                     Cobertura::cobertosNaCaixa(a, b, c, Cobertura::paraExata(v[canto[0]]),
                                                Cobertura::paraExata(v[canto[1]]),
                                                Cobertura::paraExata(v[canto[2]]), i0, j0,
                                                i1 - i0 + 1, j1 - j0 + 1));
}

void Classificacao::classificar(int lote, const Camera& camera, const Projecao& projecao,
                                const std::uint8_t* gruposVivos, int porGrupo) {
    const int inicio = lote * kPorLote;
    const int fim = std::min(malha.getQuantTriangulos(), inicio + kPorLote);
    const std::int32_t* indices = vertices.getIndices();
    const PosicaoGrossa* grossas = vertices.getGrossas();
    std::int64_t* contagemLote =
        &contagem[static_cast<std::size_t>(lote) * static_cast<std::size_t>(quantFaixas)];
    std::fill(contagemLote, contagemLote + quantFaixas, 0);
    // The batch's triangles that can draw something are listed, in file order, from the batch's
    // own first position on.
    Sobrevivente* saida = &sobreviventes[static_cast<std::size_t>(inicio)];
    int quantos = 0;
    // Lists triangle i, whose candidate pixels lie in rows [j0, j1], with its entry's pixel
    // (kVariosPixels, or its covered pixels in a small box), unless it covers none.
    const auto registrar = [&](int i, int j0, int j1, std::int32_t pixel) {
        if (pixel == kNenhumPixel) {
            return;
        }
        const std::int32_t* canto = &indices[static_cast<std::size_t>(i) * 3];
        for (int k = 0; k < 3; ++k) {
            std::atomic_ref<std::uint8_t>(marcas[static_cast<std::size_t>(canto[k])])
                .store(1, std::memory_order_relaxed);
        }
        const int f0 = j0 / kLinhasPorFaixa;
        const int f1 = j1 / kLinhasPorFaixa;
        saida[quantos++] =
            Sobrevivente{i, static_cast<std::int16_t>(f0), static_cast<std::int16_t>(f1), pixel};
        for (int f = f0; f <= f1; ++f) {
            ++contagemLote[f];
        }
    };
    // A triangle with a corner to clip: its rows come from the clipped polygon, unless all three
    // corners are behind the near plane.
    const auto recortado = [&](int i) {
        const std::int32_t* canto = &indices[static_cast<std::size_t>(i) * 3];
        if (grossas[canto[0]].y == kMarca && grossas[canto[1]].y == kMarca &&
            grossas[canto[2]].y == kMarca) {
            return;
        }
        const auto [j0, j1] = linhasRecortado(i, camera, projecao);
        if (j0 <= j1) {
            registrar(i, j0, j1, kVariosPixels);
        }
    };
    // Runs of live groups at a time (every triangle without a culling).
    for (auto trecho = EstagioVertices::trechoVivo(inicio, fim, gruposVivos, porGrupo);
         trecho.first < fim;
         trecho = EstagioVertices::trechoVivo(trecho.second, fim, gruposVivos, porGrupo)) {
        const int fimTrecho = trecho.second;
        int i = trecho.first;
        if (avx2) {
            // Eight triangles at a time in AVX2 lanes, small ones decided there but for the
            // candidates in doubt.
            const VerticeTela* telas = vertices.getVertices();
            BlocoCaixas bloco;
            for (; i + BlocoCaixas::kTriangulos <= fimTrecho; i += BlocoCaixas::kTriangulos) {
                bloco.calcular(&indices[static_cast<std::size_t>(i) * 3], grossas, largura, altura);
                if ((bloco.especiais | bloco.vivos) == 0) {
                    continue;
                }
                // Only the lanes with something to do, in order.
                for (unsigned lanes = bloco.especiais | bloco.vivos; lanes != 0;
                     lanes &= lanes - 1) {
                    const int k = std::countr_zero(lanes);
                    const auto t = static_cast<std::size_t>(k);
                    if (((bloco.especiais >> k) & 1U) != 0) {
                        recortado(i + k);
                        continue;
                    }
                    std::int32_t pixel = kVariosPixels;
                    if (((bloco.pequenos >> k) & 1U) != 0) {
                        auto cobertos = static_cast<unsigned>(bloco.dentro[t]);
                        auto duvida = static_cast<unsigned>(bloco.duvida[t]);
                        if (duvida != 0) {
                            const std::int32_t* canto =
                                &indices[static_cast<std::size_t>(i + k) * 3];
                            const PosicaoExata ea = Cobertura::paraExata(telas[canto[0]]);
                            const PosicaoExata eb = Cobertura::paraExata(telas[canto[1]]);
                            const PosicaoExata ec = Cobertura::paraExata(telas[canto[2]]);
                            for (; duvida != 0; duvida &= duvida - 1) {
                                const int n = std::countr_zero(duvida);
                                if (Cobertura::cobre(ea, eb, ec, bloco.coluna0[t] + n % 2,
                                                     bloco.linha0[t] + n / 2)) {
                                    cobertos |= 1U << n;
                                }
                            }
                        }
                        pixel = codificar(bloco.coluna0[t], bloco.linha0[t], cobertos);
                    }
                    registrar(i + k, bloco.linha0[t], bloco.linha1[t], pixel);
                }
            }
        }
#if defined(__SSE2__)
        // Four triangles at a time: their candidate boxes in four 32-bit lanes.
        const __m128i marca = _mm_set1_epi32(kMarca);
        const __m128i meioPixel = _mm_set1_epi32(kMeioPixelGrosso);
        const __m128i ultimaColuna = _mm_set1_epi32(largura - 1);
        const __m128i ultimaLinha = _mm_set1_epi32(altura - 1);
        const auto menor = [](__m128i a, __m128i b) {
            const __m128i aMaior = _mm_cmpgt_epi32(a, b);
            return _mm_or_si128(_mm_and_si128(aMaior, b), _mm_andnot_si128(aMaior, a));
        };
        const auto maior = [](__m128i a, __m128i b) {
            const __m128i aMaior = _mm_cmpgt_epi32(a, b);
            return _mm_or_si128(_mm_and_si128(aMaior, a), _mm_andnot_si128(aMaior, b));
        };
        // ceil((v - 128) / 256), at least 0; and floor((v - 128) / 256), at most `limite`.
        const auto primeiro = [&](__m128i v) {
            const __m128i p = _mm_sub_epi32(
                _mm_setzero_si128(), _mm_srai_epi32(_mm_sub_epi32(meioPixel, v), kBitsGrossos));
            return _mm_andnot_si128(_mm_srai_epi32(p, 31), p);
        };
        const auto ultimo = [&](__m128i v, __m128i limite) {
            return menor(limite, _mm_srai_epi32(_mm_sub_epi32(v, meioPixel), kBitsGrossos));
        };
        const std::int64_t* posicoes = reinterpret_cast<const std::int64_t*>(grossas);
        // Corner k (0, 1, 2) of the four triangles: x in one vector, y in another.
        const auto canto4 = [&](const std::int32_t* c, int k, __m128i& x, __m128i& y) {
            const __m128i p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&posicoes[c[k]]));
            const __m128i p1 =
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&posicoes[c[3 + k]]));
            const __m128i p2 =
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&posicoes[c[6 + k]]));
            const __m128i p3 =
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&posicoes[c[9 + k]]));
            const __m128i p01 = _mm_unpacklo_epi32(p0, p1);  // x0 x1 y0 y1
            const __m128i p23 = _mm_unpacklo_epi32(p2, p3);  // x2 x3 y2 y3
            x = _mm_unpacklo_epi64(p01, p23);
            y = _mm_unpackhi_epi64(p01, p23);
        };
        alignas(16) std::int32_t i0[4];
        alignas(16) std::int32_t i1[4];
        alignas(16) std::int32_t j0[4];
        alignas(16) std::int32_t j1[4];
        for (; i + 4 <= fimTrecho; i += 4) {
            const std::int32_t* c = &indices[static_cast<std::size_t>(i) * 3];
            __m128i xa, ya, xb, yb, xc, yc;
            canto4(c, 0, xa, ya);
            canto4(c, 1, xb, yb);
            canto4(c, 2, xc, yc);
            const __m128i marcados =
                _mm_or_si128(_mm_cmpeq_epi32(xa, marca),
                             _mm_or_si128(_mm_cmpeq_epi32(xb, marca), _mm_cmpeq_epi32(xc, marca)));
            const __m128i c0 = primeiro(menor(menor(xa, xb), xc));
            const __m128i c1 = ultimo(maior(maior(xa, xb), xc), ultimaColuna);
            const __m128i l0 = primeiro(menor(menor(ya, yb), yc));
            const __m128i l1 = ultimo(maior(maior(ya, yb), yc), ultimaLinha);
            const __m128i vazios = _mm_or_si128(_mm_cmpgt_epi32(c0, c1), _mm_cmpgt_epi32(l0, l1));
            const int especiais = _mm_movemask_ps(_mm_castsi128_ps(marcados));
            const int vivos =
                _mm_movemask_ps(_mm_castsi128_ps(_mm_andnot_si128(vazios, _mm_set1_epi32(-1)))) &
                ~especiais;
            if ((especiais | vivos) == 0) {
                continue;
            }
            _mm_store_si128(reinterpret_cast<__m128i*>(i0), c0);
            _mm_store_si128(reinterpret_cast<__m128i*>(i1), c1);
            _mm_store_si128(reinterpret_cast<__m128i*>(j0), l0);
            _mm_store_si128(reinterpret_cast<__m128i*>(j1), l1);
            for (int k = 0; k < 4; ++k) {
                if (((especiais >> k) & 1) != 0) {
                    recortado(i + k);
                } else if (((vivos >> k) & 1) != 0) {
                    registrar(i + k, j0[k], j1[k], pixelDaCaixa(i + k, i0[k], i1[k], j0[k], j1[k]));
                }
            }
        }
#endif
        for (; i < fimTrecho; ++i) {
            const std::int32_t* canto = &indices[static_cast<std::size_t>(i) * 3];
            const PosicaoGrossa& a = grossas[canto[0]];
            const PosicaoGrossa& b = grossas[canto[1]];
            const PosicaoGrossa& c = grossas[canto[2]];
            if (a.x == kMarca || b.x == kMarca || c.x == kMarca) {
                recortado(i);
                continue;
            }
            const int c0 = primeiroPixelGrosso(std::min({a.x, b.x, c.x}));
            const int c1 = ultimoPixelGrosso(std::max({a.x, b.x, c.x}), largura);
            const int l0 = primeiroPixelGrosso(std::min({a.y, b.y, c.y}));
            const int l1 = ultimoPixelGrosso(std::max({a.y, b.y, c.y}), altura);
            if (c0 <= c1 && l0 <= l1) {
                registrar(i, l0, l1, pixelDaCaixa(i, c0, c1, l0, l1));
            }
        }
    }
    quantSobreviventes[static_cast<std::size_t>(lote)] = quantos;
}

void Classificacao::montarFaixas() {
    // Band-major runs: band 0's triangles from every batch in order, then band 1's, and so on.
    std::int64_t total = 0;
    for (int faixa = 0; faixa < quantFaixas; ++faixa) {
        inicioFaixa[static_cast<std::size_t>(faixa)] = total;
        for (int lote = 0; lote < quantLotes; ++lote) {
            std::int64_t& n =
                contagem[static_cast<std::size_t>(lote) * static_cast<std::size_t>(quantFaixas) +
                         static_cast<std::size_t>(faixa)];
            const std::int64_t quantos = n;
            n = total;  // now where the batch's run starts
            total += quantos;
        }
    }
    inicioFaixa[static_cast<std::size_t>(quantFaixas)] = total;
    if (static_cast<std::size_t>(total) > listas.size()) {
        listas.resize(static_cast<std::size_t>(total) + static_cast<std::size_t>(total) / 4);
        posicoesListas.resize(listas.size());
    }
}

void Classificacao::distribuir(int lote) {
    std::int64_t* proximo =
        &contagem[static_cast<std::size_t>(lote) * static_cast<std::size_t>(quantFaixas)];
    const Sobrevivente* lista = &sobreviventes[static_cast<std::size_t>(lote) * kPorLote];
    const int quantos = quantSobreviventes[static_cast<std::size_t>(lote)];
    const std::int32_t* indices = vertices.getIndices();
    const std::int32_t* numeros = vertices.getNumerosNoArquivo();
    for (int k = 0; k < quantos; ++k) {
        const Sobrevivente& s = lista[k];
        const std::int32_t* canto = &indices[static_cast<std::size_t>(s.triangulo) * 3];
        const std::int32_t numero = numeros[s.triangulo];
        for (int f = s.faixa0; f <= s.faixa1; ++f) {
            const auto onde = static_cast<std::size_t>(proximo[f]++);
            listas[onde] = Entrada{numero, canto[0], canto[1], canto[2], s.pixel};
            posicoesListas[onde] = s.triangulo;
        }
    }
}

}  // namespace gouraud::detail
