#include "EstagioVertices.h"

#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <limits>
#include <utility>

#include "Par.h"

namespace gouraud::detail {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kQuatro = 4;
// Points from which the normals are worked out in parts, one per thread (each part walks every
// triangle); a smaller mesh sums them on the calling thread.
constexpr std::size_t kNormaisEmPartesDesde = std::size_t{1} << 16;
// How many triangles ahead the renumbering fetches what it reads.
constexpr int kAdiante = 8;

// (e.x x + e.y y) + e.z z in four lanes, as Camera::coordenadas does it.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256d eixo(const Vetor& e, __m256d x,
                                                                __m256d y, __m256d z) {
    return _mm256_add_pd(
        _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(e.x), x), _mm256_mul_pd(_mm256_set1_pd(e.y), y)),
        _mm256_mul_pd(_mm256_set1_pd(e.z), z));
}

}  // namespace

EstagioVertices::EstagioVertices(const Malha& malha, std::vector<std::int32_t> ordemTriangulos,
                                 Trabalhadores* trabalhadores)
    : numerosNoArquivo(std::move(ordemTriangulos)) {
    // Points are renumbered in the order the triangles first name them: consecutive triangles
    // then read nearby records, and points no triangle names are left out of the vertex stage.
    const int triangulos = malha.getQuantTriangulos();
    if (numerosNoArquivo.empty()) {
        numerosNoArquivo.resize(static_cast<std::size_t>(triangulos));
        for (int i = 0; i < triangulos; ++i) {
            numerosNoArquivo[static_cast<std::size_t>(i)] = i;
        }
    }
    std::vector<int> ordem;
    indices.resize(static_cast<std::size_t>(triangulos) * 3);
    const Aparencia* aparencia = malha.getAparencia();
    if (aparencia != nullptr) {
        numerarVariantes(malha, *aparencia, ordem);
        // The vertex stage then reads each point and its normal front to back.
        pontos.resize(ordem.size());
        normais.resize(ordem.size());
        comNormal.resize(ordem.size());
        for (std::size_t k = 0; k < ordem.size(); ++k) {
            const Vetor* normal = malha.getNormal(ordem[k]);
            pontos[k] = malha.getPontos()[ordem[k]];
            if (normal != nullptr) {
                normais[k] = *normal;
                comNormal[k] = 1;
            }
        }
    } else {
        // A point is one of the mesh: its normal is worked out here, in this order, rather than
        // copied from a list of the mesh's that would be held twice.
        std::vector<std::int32_t> novoIndice(static_cast<std::size_t>(malha.getQuantPontos()),
                                             -1);
        ordem.reserve(static_cast<std::size_t>(malha.getQuantPontos()));
        const Triangulo* daMalha = malha.getTriangulos();
        for (int i = 0; i < triangulos; ++i) {
            // The spatial order reads the file's triangles, and their points' entries, anywhere
            // in memory: each is fetched a few triangles before it is needed.
            if (i + 2 * kAdiante < triangulos) {
                __builtin_prefetch(
                    &daMalha[numerosNoArquivo[static_cast<std::size_t>(i + 2 * kAdiante)]]);
            }
            if (i + kAdiante < triangulos) {
                const Triangulo& adiante =
                    daMalha[numerosNoArquivo[static_cast<std::size_t>(i + kAdiante)]];
                for (const int p : {adiante.indiceP1, adiante.indiceP2, adiante.indiceP3}) {
                    __builtin_prefetch(&novoIndice[static_cast<std::size_t>(p)]);
                }
            }
            const Triangulo& t = daMalha[numerosNoArquivo[static_cast<std::size_t>(i)]];
            const int cantos[] = {t.indiceP1, t.indiceP2, t.indiceP3};
            for (int k = 0; k < 3; ++k) {
                std::int32_t& novo = novoIndice[static_cast<std::size_t>(cantos[k])];
                if (novo < 0) {
                    novo = static_cast<std::int32_t>(ordem.size());
                    ordem.push_back(cantos[k]);
                }
                indices[static_cast<std::size_t>(i) * 3 + static_cast<std::size_t>(k)] = novo;
            }
        }
        pontos.resize(ordem.size());
        for (std::size_t k = 0; k < ordem.size(); ++k) {
            pontos[k] = malha.getPontos()[ordem[k]];
        }
        ordem = std::vector<int>();
        normais.resize(pontos.size());
        comNormal.resize(pontos.size());
        // Each thread sums the normals of its own range of points, over every triangle.
        const std::size_t quant = normais.size();
        const int partes = trabalhadores != nullptr && quant >= kNormaisEmPartesDesde
                               ? trabalhadores->getQuantidade()
                               : 1;
        auto parte = [&](int p) {
            Malha::normaisDosPontos(malha.getPontos(), malha.getTriangulos(), triangulos,
                                    novoIndice.data(), normais.data(), comNormal.data(), quant,
                                    quant * static_cast<std::size_t>(p) /
                                        static_cast<std::size_t>(partes),
                                    quant * static_cast<std::size_t>(p + 1) /
                                        static_cast<std::size_t>(partes));
        };
        if (partes > 1) {
            trabalhadores->paraCada(partes, parte);
        } else {
            parte(0);
        }
    }
    vertices = std::make_unique_for_overwrite<VerticeTela[]>(pontos.size());
    grossas = std::make_unique_for_overwrite<PosicaoGrossa[]>(pontos.size());
    usarAvx2(true);
}

void EstagioVertices::numerarVariantes(const Malha& malha, const Aparencia& aparencia,
                                       std::vector<int>& ordem) {
    // A variant is of one point, so a point of this stage is found by the corner's variant and
    // whether its triangle is textured: entry 2 v + texturizado, -1 until met.
    std::vector<std::int32_t> novoIndice(
        2 * static_cast<std::size_t>(aparencia.getQuantVariantes()), -1);
    // Triangle i of this stage is triangle f of the file, whose corners the look describes.
    const int triangulos = malha.getQuantTriangulos();
    for (int i = 0; i < triangulos; ++i) {
        const int f = numerosNoArquivo[static_cast<std::size_t>(i)];
        const Triangulo& t = malha.getTriangulos()[f];
        const int cantos[] = {t.indiceP1, t.indiceP2, t.indiceP3};
        const std::uint8_t texturizado = aparencia.texturizado(f) ? 1 : 0;
        for (int k = 0; k < 3; ++k) {
            const std::int32_t variante = aparencia.getCanto(f, k);
            std::int32_t& novo = novoIndice[2 * static_cast<std::size_t>(variante) + texturizado];
            if (novo < 0) {
                novo = static_cast<std::int32_t>(ordem.size());
                ordem.push_back(cantos[k]);
                variantes.push_back(variante);
                texturizados.push_back(texturizado);
            }
            indices[static_cast<std::size_t>(i) * 3 + static_cast<std::size_t>(k)] = novo;
        }
    }
}

int EstagioVertices::getQuantPontos() const { return static_cast<int>(pontos.size()); }

int EstagioVertices::getQuantLotes() const {
    return (static_cast<int>(pontos.size()) + kPorLote - 1) / kPorLote;
}

std::pair<int, int> EstagioVertices::trechoVivo(int inicio, int fim,
                                                const std::uint8_t* gruposVivos, int porGrupo) {
    if (gruposVivos == nullptr) {
        return {std::min(inicio, fim), fim};
    }
    // In 64 bits: a group's end may lie beyond the int range.
    std::int64_t a = inicio;
    while (a < fim && gruposVivos[a / porGrupo] == 0) {
        a = std::min<std::int64_t>(fim, a + porGrupo);
    }
    std::int64_t b = a;
    while (b < fim && gruposVivos[b / porGrupo] != 0) {
        b = std::min<std::int64_t>(fim, b + porGrupo);
    }
    return {static_cast<int>(a), static_cast<int>(b)};
}

int EstagioVertices::getQuantTriangulos() const { return static_cast<int>(indices.size() / 3); }

const std::int32_t* EstagioVertices::getIndices() const { return indices.data(); }
const std::int32_t* EstagioVertices::getNumerosNoArquivo() const {
    return numerosNoArquivo.data();
}
const Ponto* EstagioVertices::getPontos() const { return pontos.data(); }
const Vetor* EstagioVertices::getNormais() const { return normais.data(); }
const std::uint8_t* EstagioVertices::getComNormal() const { return comNormal.data(); }
const std::int32_t* EstagioVertices::getVariantes() const {
    return variantes.empty() ? nullptr : variantes.data();
}
const std::uint8_t* EstagioVertices::getTexturizados() const {
    return texturizados.empty() ? nullptr : texturizados.data();
}
const VerticeTela* EstagioVertices::getVertices() const { return vertices.get(); }
const EstagioVertices::PosicaoGrossa* EstagioVertices::getGrossas() const { return grossas.get(); }

void EstagioVertices::usarAvx2(bool permitir) {
    avx2 = permitir && __builtin_cpu_supports("avx2") != 0;
}

void EstagioVertices::guardar(std::size_t posicao, double x, double y, double iz, bool seguro,
                              bool frente) {
    VerticeTela& v = vertices[posicao];
    v = VerticeTela{x, y, iz};
    PosicaoGrossa& grossa = grossas[posicao];
    if (seguro) {
        grossa = Cobertura::paraGrossa(v.x, v.y);
    } else {
        grossa = PosicaoGrossa{kMarca, frente ? 0 : kMarca};
    }
}

[[gnu::target("avx2")]] void EstagioVertices::processarQuatro(int inicio, int fim,
                                                              const Camera& camera,
                                                              const Projecao& projecao,
                                                              double limiteSeguro) {
    const Camera& c = camera;
    const __m256d focoX = _mm256_set1_pd(c.foco.x);
    const __m256d focoY = _mm256_set1_pd(c.foco.y);
    const __m256d focoZ = _mm256_set1_pd(c.foco.z);
    const __m256d zPerto = _mm256_set1_pd(projecao.zPerto);
    const __m256d limite = _mm256_set1_pd(limiteSeguro);
    const __m256d um = _mm256_set1_pd(1.0);
    const __m256d dois = _mm256_set1_pd(2.0);
    const __m256d sinal = _mm256_set1_pd(-0.0);
    const __m256d distancia = _mm256_set1_pd(projecao.d);
    for (int k = inicio; k < fim; k += kQuatro) {
        alignas(32) double lidos[3][kQuatro];
        for (int t = 0; t < kQuatro; ++t) {
            const Ponto& p = pontos[static_cast<std::size_t>(std::min(k + t, fim - 1))];
            lidos[0][t] = p.x;
            lidos[1][t] = p.y;
            lidos[2][t] = p.z;
        }
        const __m256d dx = _mm256_sub_pd(_mm256_load_pd(lidos[0]), focoX);
        const __m256d dy = _mm256_sub_pd(_mm256_load_pd(lidos[1]), focoY);
        const __m256d dz = _mm256_sub_pd(_mm256_load_pd(lidos[2]), focoZ);
        const __m256d cu = eixo(c.u, dx, dy, dz);
        const __m256d cv = eixo(c.v, dx, dy, dz);
        const __m256d cn = eixo(c.n, dx, dy, dz);
        const __m256d frente = _mm256_cmp_pd(cn, zPerto, _CMP_GE_OQ);
        const __m256d iz = _mm256_and_pd(frente, _mm256_div_pd(um, cn));
        // xs = ((d.cu/cn - ox)/hx + 1).W/2 and ys = (1 - (d.cv/cn - oy)/hy).H/2.
        const __m256d x = _mm256_div_pd(
            _mm256_mul_pd(
                _mm256_add_pd(
                    _mm256_div_pd(_mm256_sub_pd(_mm256_div_pd(_mm256_mul_pd(distancia, cu), cn),
                                                _mm256_set1_pd(projecao.ox)),
                                  _mm256_set1_pd(projecao.hx)),
                    um),
                _mm256_set1_pd(projecao.largura)),
            dois);
        const __m256d y = _mm256_div_pd(
            _mm256_mul_pd(
                _mm256_sub_pd(
                    um, _mm256_div_pd(_mm256_sub_pd(_mm256_div_pd(_mm256_mul_pd(distancia, cv), cn),
                                                    _mm256_set1_pd(projecao.oy)),
                                      _mm256_set1_pd(projecao.hy))),
                _mm256_set1_pd(projecao.altura)),
            dois);
        const __m256d seguro = _mm256_and_pd(
            frente, _mm256_and_pd(_mm256_cmp_pd(_mm256_andnot_pd(sinal, x), limite, _CMP_LT_OQ),
                                  _mm256_cmp_pd(_mm256_andnot_pd(sinal, y), limite, _CMP_LT_OQ)));
        const __m256d nan = _mm256_set1_pd(kNaN);
        alignas(32) double xs[kQuatro];
        alignas(32) double ys[kQuatro];
        alignas(32) double izs[kQuatro];
        _mm256_store_pd(xs, _mm256_blendv_pd(nan, x, seguro));
        _mm256_store_pd(ys, _mm256_blendv_pd(nan, y, seguro));
        _mm256_store_pd(izs, iz);
        const auto seguros = static_cast<unsigned>(_mm256_movemask_pd(seguro));
        const auto frentes = static_cast<unsigned>(_mm256_movemask_pd(frente));
        if (k + kQuatro > fim) {
            for (int t = 0; k + t < fim; ++t) {
                guardar(static_cast<std::size_t>(k + t), xs[t], ys[t], izs[t],
                        ((seguros >> t) & 1U) != 0, ((frentes >> t) & 1U) != 0);
            }
            continue;
        }
        // Four points at once, as guardar stores them: the coarse positions floor(256 x) and
        // floor(256 y) (exact in double, then converted; a NaN converts to kMarca), y set to 0
        // for a point in front that is not safe.
        for (int t = 0; t < kQuatro; ++t) {
            vertices[static_cast<std::size_t>(k + t)] = VerticeTela{xs[t], ys[t], izs[t]};
        }
        const __m256d grosso = _mm256_set1_pd(kEscalaGrossa);
        const __m128i gx = _mm256_cvtpd_epi32(
            _mm256_floor_pd(_mm256_mul_pd(_mm256_load_pd(xs), grosso)));
        const __m128i gyCalculado = _mm256_cvtpd_epi32(
            _mm256_floor_pd(_mm256_mul_pd(_mm256_load_pd(ys), grosso)));
        // Lanes in front but not safe: y 0 (the others keep the conversion's kMarca or value).
        const __m128i soFrente = _mm256_cvtpd_epi32(_mm256_and_pd(
            _mm256_andnot_pd(seguro, frente), _mm256_set1_pd(1.0)));
        const __m128i gy = _mm_andnot_si128(_mm_cmpeq_epi32(soFrente, _mm_set1_epi32(1)),
                                            gyCalculado);
        auto* destino = reinterpret_cast<__m128i*>(&grossas[static_cast<std::size_t>(k)]);
        _mm_storeu_si128(destino, _mm_unpacklo_epi32(gx, gy));
        _mm_storeu_si128(destino + 1, _mm_unpackhi_epi32(gx, gy));
    }
}

void EstagioVertices::processar(int lote, const Camera& camera, const Projecao& projecao,
                                double limiteSeguro, const std::uint8_t* gruposVivos,
                                int porGrupo) {
    const int inicio = lote * kPorLote;
    const int fim = std::min(static_cast<int>(pontos.size()), inicio + kPorLote);
    for (auto trecho = trechoVivo(inicio, fim, gruposVivos, porGrupo); trecho.first < fim;
         trecho = trechoVivo(trecho.second, fim, gruposVivos, porGrupo)) {
        processarTrecho(trecho.first, trecho.second, camera, projecao, limiteSeguro);
    }
}

void EstagioVertices::processarTrecho(int inicio, int fim, const Camera& camera,
                                      const Projecao& projecao, double limiteSeguro) {
    if (avx2) {
        processarQuatro(inicio, fim, camera, projecao, limiteSeguro);
        return;
    }
    const Par zPerto(projecao.zPerto);
    const Par limite(limiteSeguro);
    const Par zero(0.0);
    const Par um(1.0);
    const Par nan(kNaN);
    // Two points at a time, sharing each division; an odd last point is worked out in both
    // lanes and stored once.
    for (int k = inicio; k < fim; k += 2) {
        const auto k0 = static_cast<std::size_t>(k);
        const auto k1 = static_cast<std::size_t>(std::min(k + 1, fim - 1));
        const Ponto& p0 = pontos[k0];
        const Ponto& p1 = pontos[k1];
        const Par px(p0.x, p1.x);
        const Par py(p0.y, p1.y);
        const Par pz(p0.z, p1.z);
        Par cu;
        Par cv;
        Par cn;
        camera.coordenadas(px, py, pz, cu, cv, cn);
        const MascaraPar frente = cn >= zPerto;
        const Par iz = selecionar(frente, um / cn, zero);
        const Par x = projecao.xTela(cu, cn);
        const Par y = projecao.yTela(cv, cn);
        const MascaraPar seguro = frente & (absoluto(x) < limite) & (absoluto(y) < limite);
        const Par xSeguro = selecionar(seguro, x, nan);
        const Par ySeguro = selecionar(seguro, y, nan);

        for (int lane = 0; lane < 2 && k + lane < fim; ++lane) {
            guardar(static_cast<std::size_t>(k + lane), xSeguro.lane(lane), ySeguro.lane(lane),
                    iz.lane(lane), seguro.lane(lane), frente.lane(lane));
        }
    }
}

}  // namespace gouraud::detail
