// Iluminacao::corDeQuatro: the lighting formula of IluminacaoModelo.inl for four vertices at
// once, compiled for AVX2 alone (the rest of the program runs on any x86-64).
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "Iluminacao.h"

namespace gouraud::detail {

// Everything down to the matching pop is compiled for AVX2 (clang has its own pragma for it).
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace {

// Four doubles worked on together, lane by lane with exactly the arithmetic of four separate
// doubles, as Par does two.
struct Quadra {
    __m256d v;
    Quadra() = default;
    explicit Quadra(double a) : v(_mm256_set1_pd(a)) {}
    explicit Quadra(__m256d registro) : v(registro) {}
    double lane(int i) const {
        alignas(32) double lanes[4];
        _mm256_store_pd(lanes, v);
        return lanes[i];
    }
};

// All bits set in the lanes where a comparison holds.
struct MascaraQuadra {
    __m256d v;
};

inline Quadra operator+(Quadra a, Quadra b) { return Quadra(_mm256_add_pd(a.v, b.v)); }
inline Quadra operator-(Quadra a, Quadra b) { return Quadra(_mm256_sub_pd(a.v, b.v)); }
inline Quadra operator*(Quadra a, Quadra b) { return Quadra(_mm256_mul_pd(a.v, b.v)); }
inline Quadra operator/(Quadra a, Quadra b) { return Quadra(_mm256_div_pd(a.v, b.v)); }
inline Quadra operator-(Quadra a) { return Quadra(_mm256_xor_pd(a.v, _mm256_set1_pd(-0.0))); }
inline MascaraQuadra operator>(Quadra a, Quadra b) {
    return MascaraQuadra{_mm256_cmp_pd(a.v, b.v, _CMP_GT_OQ)};
}
inline MascaraQuadra operator<(Quadra a, Quadra b) {
    return MascaraQuadra{_mm256_cmp_pd(a.v, b.v, _CMP_LT_OQ)};
}
inline MascaraQuadra operator&(MascaraQuadra a, MascaraQuadra b) {
    return MascaraQuadra{_mm256_and_pd(a.v, b.v)};
}
inline Quadra raiz(Quadra a) { return Quadra(_mm256_sqrt_pd(a.v)); }
inline Quadra selecionar(MascaraQuadra m, Quadra seVerdade, Quadra seFalso) {
    return Quadra(_mm256_blendv_pd(seFalso.v, seVerdade.v, m.v));
}
inline bool algum(MascaraQuadra m) { return _mm256_movemask_pd(m.v) != 0; }

Quadra potencia(Quadra base, double expoente);

#include "IluminacaoModelo.inl"

Quadra potencia(Quadra base, double expoente) {
    if (expoenteInteiro(expoente)) {
        return potenciaInteira(base, expoente);
    }
    alignas(32) double lanes[4];
    _mm256_store_pd(lanes, base.v);
    for (double& lane : lanes) {
        lane = std::pow(lane, expoente);
    }
    return Quadra(_mm256_load_pd(lanes));
}

// With `od` null the settings' Od for every vertex, else each vertex's own, four channels each
// at od[0], od[1] and od[2].
void colorirQuatro(const Iluminacao& luz, const double* px, const double* py, const double* pz,
                   const double* nx, const double* ny, const double* nz, const bool* temNormal,
                   const double* const* od, const Ponto& foco, const Ponto& posicaoLuz, double* r,
                   double* g, double* b) {
    const auto carregar = [](const double* v) { return Quadra(_mm256_loadu_pd(v)); };
    const MascaraQuadra comNormal{
        _mm256_castsi256_pd(_mm256_setr_epi64x(temNormal[0] ? -1 : 0, temNormal[1] ? -1 : 0,
                                               temNormal[2] ? -1 : 0, temNormal[3] ? -1 : 0))};
    const Terno<Quadra> p{carregar(px), carregar(py), carregar(pz)};
    const Terno<Quadra> n{carregar(nx), carregar(ny), carregar(nz)};
    const Terno<Quadra> cor =
        od == nullptr ? colorir(luz, p, n, comNormal, foco, posicaoLuz)
                      : colorir(luz,
                                fatorDifuso(luz, Terno<Quadra>{carregar(od[0]), carregar(od[1]),
                                                               carregar(od[2])}),
                                p, n, comNormal, foco, posicaoLuz);
    _mm256_storeu_pd(r, cor.x.v);
    _mm256_storeu_pd(g, cor.y.v);
    _mm256_storeu_pd(b, cor.z.v);
}

void partesQuatro(const Iluminacao& luz, const double* px, const double* py, const double* pz,
                  const double* nx, const double* ny, const double* nz, const bool* temNormal,
                  const Ponto& foco, const Ponto& posicaoLuz, double* const* e, double* const* d) {
    const auto carregar = [](const double* v) { return Quadra(_mm256_loadu_pd(v)); };
    const MascaraQuadra comNormal{
        _mm256_castsi256_pd(_mm256_setr_epi64x(temNormal[0] ? -1 : 0, temNormal[1] ? -1 : 0,
                                               temNormal[2] ? -1 : 0, temNormal[3] ? -1 : 0))};
    Terno<Quadra> te{};
    Terno<Quadra> td{};
    partes(luz, Terno<Quadra>{carregar(px), carregar(py), carregar(pz)},
           Terno<Quadra>{carregar(nx), carregar(ny), carregar(nz)}, comNormal, foco, posicaoLuz, te,
           td);
    _mm256_storeu_pd(e[0], te.x.v);
    _mm256_storeu_pd(e[1], te.y.v);
    _mm256_storeu_pd(e[2], te.z.v);
    _mm256_storeu_pd(d[0], td.x.v);
    _mm256_storeu_pd(d[1], td.y.v);
    _mm256_storeu_pd(d[2], td.z.v);
}

}  // namespace

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

bool Iluminacao::quatroDisponivel() { return __builtin_cpu_supports("avx2") != 0; }

void Iluminacao::corDeQuatro(const double* px, const double* py, const double* pz, const double* nx,
                             const double* ny, const double* nz, const bool* temNormal,
                             const Ponto& foco, const Ponto& posicaoLuz, double* r, double* g,
                             double* b) const {
    colorirQuatro(*this, px, py, pz, nx, ny, nz, temNormal, nullptr, foco, posicaoLuz, r, g, b);
}

void Iluminacao::corDeQuatro(const double* px, const double* py, const double* pz, const double* nx,
                             const double* ny, const double* nz, const bool* temNormal,
                             const double* odR, const double* odG, const double* odB,
                             const Ponto& foco, const Ponto& posicaoLuz, double* r, double* g,
                             double* b) const {
    const double* const od[] = {odR, odG, odB};
    colorirQuatro(*this, px, py, pz, nx, ny, nz, temNormal, od, foco, posicaoLuz, r, g, b);
}

void Iluminacao::partesDeQuatro(const double* px, const double* py, const double* pz,
                                const double* nx, const double* ny, const double* nz,
                                const bool* temNormal, const Ponto& foco, const Ponto& posicaoLuz,
                                double* const* e, double* const* d) const {
    partesQuatro(*this, px, py, pz, nx, ny, nz, temNormal, foco, posicaoLuz, e, d);
}

}  // namespace gouraud::detail
