#include "Oclusao.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>

#include "Recorte.h"

namespace gouraud::detail {

// Why a run of triangles left out could not have drawn a pixel.
//
// Every triangle of the run lies in its box. When all eight corners of the box are in front
// of the near plane with room to spare (a point's computed cn strays less than 2^-50 |P - F|_1
// from its exact value; the room is 2^-40 of it), so is every corner of every triangle, and when
// they all project within the safe limit with room to spare, no triangle is clipped: each is
// drawn from its three projected corners (x_k, y_k, iz_k), and a pixel's 1/cn is the depth test's
//   iz = iz0 + b1 (iz1 - iz0) + b2 (iz2 - iz0)
// with the screen-space weights b1, b2 worked out in double at the pixel's centre.
//
// Footprint. A pixel whose centre a triangle covers lies within the box of its corners (exactly:
// the corners at 2^-48 pixel), and the projection of a point of the box lies within the box of the
// projected corners, perspective keeping segments straight in front of the camera. Computed
// screen positions stray from the exact projection by less than 2^-45 s L pixels plus 2^-38, s
// the pixels per unit of cu/cn (the larger axis's) and L the scale below; the footprint is
// widened by 2^-30 s L + 2^-20 pixel, far more.
//
// Depth. With exact weights at a covered centre, iz is a convex combination of iz0, iz1, iz2: at
// most the greatest, at most the box's greatest 1/cn, which is at a corner. The computed weights
// stray from the exact ones (those of the computed corners, inside or on the triangle up to the
// 2^-48 of the exact positions) by at most E/|A|, A the twice area of the computed corners and E
// the error of an edge value: a few 2^-53 of the triangle's width w times height h, plus 2^-47
// (w + h). So iz exceeds its greatest corner by at most (E/|A|)(|iz1 - iz0| + |iz2 - iz0|).
// In camera terms, for a triangle with longest edge e: the exact projection's twice area is
// sx sy |n . (P0 - F)| / (cn0 cn1 cn2), n = (P1 - P0) x (P2 - P0), and |n . (P0 - F)| is |n| times
// D, the distance from the focus to the triangle's plane; w <= sx e (1 + r)/cnmin and
// h <= sy e (1 + r)/cnmin, r the box's largest |cu|/cn or |cv|/cn; |iz_k - iz0| <= e/cnmin^2.
// With
//   L  = (1 + 3 r + (|ox| + |oy|)/d + 2 (hx + hy)/d) times the larger of sx/sy and sy/sx,
//   q  = cnmax/cnmin over the box, smin the smaller of sx and sy,
//   K  = L^2 q^3 forma (aresta + cnmax/smin) / D,
//   K' = L^2 q^3 forma (cnmax/menorAresta) (cnmax/D) (1 + 1/smin),
// (forma bounds e^2/|n|, aresta and menorAresta e; Aglomerado) the computed positions change A
// by less than (2^-43 + 2^-36) K' of itself, and the excess is below 2^-44 K of 1/cnmin when A
// is within 1/32 of the exact projection's. A run of triangles is left out only when its box,
// or its cluster's, is hidden and K <= 2^20 and K' <= 2^30 for each of its triangles' D, with
// the box's cnmin, cnmax and r: the excess is then below 2^-23 of the box's nearest 1/cn. The
// test compares that nearest 1/cn raised by 2^-16 (kMargemProfundidade), which also holds the
// box's own rounding.
// D is bounded below for each run of Aglomerados::kPorTrecho triangles by the run's normal cone:
// |eixo . (P - F)| - raio |P - F|, least over the box's corners, when eixo . (P - F) keeps one
// sign over them; failing that (near the silhouette), each triangle's D is worked out from its
// corners, |n . (P0 - F)| / |n|, with room for its rounding.
//
// So every iz the run's triangles could give at any pixel of the footprint is below the
// raised bound, which is below every depth the frame already stores there (the pyramid's least
// over the footprint); stored depths only grow, and a pixel changes hands only for a greater iz
// or an equal one.

namespace {

constexpr double kInfinito = std::numeric_limits<double>::infinity();
constexpr double kFolgaPerto = 1.0 / 1099511627776.0;      // 2^-40 of |P - F|_1
constexpr double kFolgaTela = 1.0 / 1073741824.0;          // 2^-30 of s L, in pixels
constexpr double kFolgaPixel = 1.0 / 1048576.0;            // 2^-20 pixel
constexpr double kFolgaDistancia = 1.0 / 1099511627776.0;  // 2^-40 of |P - F|_1
// The rounding of a triangle's cross product, as a share of |e1|_1 |e2|_1, with room to spare.
constexpr double kFolgaNormal = 1.0 / 70368744177664.0;  // 2^-46

bool positivoFinito(double v) { return v > 0.0 && std::isfinite(v); }

Vetor diferenca(const Ponto& a, const Ponto& b) { return Vetor(a.x - b.x, a.y - b.y, a.z - b.z); }

double interno(const Vetor& a, const Vetor& b) { return (a.x * b.x + a.y * b.y) + a.z * b.z; }

double normaUm(const Vetor& v) { return (std::fabs(v.x) + std::fabs(v.y)) + std::fabs(v.z); }

}  // namespace

Oclusao::Oclusao(const Camera& camera, const Projecao& projecao, int largura, int altura)
    : camera(camera),
      projecao(projecao),
      largura(largura),
      altura(altura),
      limite(Recorte::limiteSeguro(largura, altura)) {
    const Projecao& p = projecao;
    util = positivoFinito(p.d) && positivoFinito(p.hx) && positivoFinito(p.hy) &&
           std::isfinite(p.ox) && std::isfinite(p.oy) && positivoFinito(p.zPerto) &&
           p.largura > 0 && p.altura > 0 && largura > 0 && altura > 0;
    const double sx = p.d * p.largura / (2.0 * p.hx);
    const double sy = p.d * p.altura / (2.0 * p.hy);
    escala = std::max(sx, sy);
    escalaMenor = std::min(sx, sy);
    anisotropia = escala / escalaMenor;
    escalaFixa = (std::fabs(p.ox) + std::fabs(p.oy)) / p.d + 2.0 * (p.hx + p.hy) / p.d;
    // xs = sx cu/cn + (1 - ox/hx) W/2 and ys = (1 + oy/hy) H/2 - sy cv/cn.
    escalaX = sx;
    escalaY = sy;
    origemX = (1.0 - p.ox / p.hx) * p.largura / 2.0;
    origemY = (1.0 + p.oy / p.hy) * p.altura / 2.0;
    util = util && positivoFinito(escala) && positivoFinito(escalaMenor) &&
           std::isfinite(anisotropia) && std::isfinite(escalaFixa) && std::isfinite(origemX) &&
           std::isfinite(origemY);
}

Oclusao::NaTela Oclusao::projetar(const CaixaEspacial& caixa) const {
    NaTela t;
    const Ponto& f = camera.foco;
    const Vetor& u = camera.u;
    const Vetor& v = camera.v;
    const Vetor& n = camera.n;
    double xMenor = kInfinito;
    double xMaior = -kInfinito;
    double yMenor = kInfinito;
    double yMaior = -kInfinito;
    double espalhamento = 0.0;  // r: the largest |cu|/cn and |cv|/cn
    t.cnMenor = kInfinito;
    t.cnMaior = -kInfinito;
    t.distancia = 0.0;
    for (int k = 0; k < kCantos; ++k) {
        const double dx = ((k & 1) != 0 ? caixa.maior[0] : caixa.menor[0]) - f.x;
        const double dy = ((k & 2) != 0 ? caixa.maior[1] : caixa.menor[1]) - f.y;
        const double dz = ((k & 4) != 0 ? caixa.maior[2] : caixa.menor[2]) - f.z;
        t.deslocamentos[static_cast<std::size_t>(k)] = {dx, dy, dz};
        const double tamanho = (std::fabs(dx) + std::fabs(dy)) + std::fabs(dz);
        const double cu = (u.x * dx + u.y * dy) + u.z * dz;
        const double cv = (v.x * dx + v.y * dy) + v.z * dz;
        const double cn = (n.x * dx + n.y * dy) + n.z * dz;
        if (!(cn >= projecao.zPerto + kFolgaPerto * tamanho)) {
            t.segura = false;
            return t;
        }
        // The projection by a reciprocal: a few roundings from the vertex stage's, far inside
        // the footprint's margin.
        const double inverso = 1.0 / cn;
        const double x = escalaX * (cu * inverso) + origemX;
        const double y = origemY - escalaY * (cv * inverso);
        xMenor = std::min(xMenor, x);
        xMaior = std::max(xMaior, x);
        yMenor = std::min(yMenor, y);
        yMaior = std::max(yMaior, y);
        t.cnMenor = std::min(t.cnMenor, cn);
        t.cnMaior = std::max(t.cnMaior, cn);
        espalhamento = std::max(espalhamento, std::max(std::fabs(cu), std::fabs(cv)) * inverso);
        t.distancia = std::max(t.distancia, tamanho);
    }
    t.escalaL = (1.0 + 3.0 * espalhamento + escalaFixa) * anisotropia;
    const double margem = kFolgaTela * escala * t.escalaL + kFolgaPixel;
    // Every triangle within the safe limit, with room for the rounding (a NaN fails here).
    const double alcance = limite - 1.0 - margem;
    t.segura = std::max({-xMenor, xMaior, -yMenor, yMaior}) <= alcance;
    if (!t.segura) {
        return t;
    }
    // The pixel centres i + 0.5 within [xMenor - margem, xMaior + margem], and likewise rows.
    t.i0 = std::max(0, static_cast<int>(std::ceil(xMenor - margem - 0.5)));
    t.i1 = std::min(largura - 1, static_cast<int>(std::floor(xMaior + margem - 0.5)));
    t.j0 = std::max(0, static_cast<int>(std::ceil(yMenor - margem - 0.5)));
    t.j1 = std::min(altura - 1, static_cast<int>(std::floor(yMaior + margem - 0.5)));
    t.vazia = t.i0 > t.i1 || t.j0 > t.j1;
    return t;
}

bool Oclusao::escondida(const NaTela& t, const Piramide& piramide) const {
    const double maisPerto = (1.0 / t.cnMenor) * (1.0 + kMargemProfundidade);
    return maisPerto < piramide.menor(t.i0, t.j0, t.i1, t.j1);
}

double Oclusao::exigido(const NaTela& t, const Aglomerado& a) const {
    // The least distance D from the focus to a triangle's plane that keeps K and K' within
    // their bounds (infinite when none does).
    const double razao = t.cnMaior / t.cnMenor;
    const double comum = t.escalaL * t.escalaL * (razao * razao * razao) * a.forma;
    const double d = std::max(comum * (a.aresta + t.cnMaior / escalaMenor) / kMaiorCondicao,
                              comum * (t.cnMaior / a.menorAresta) * t.cnMaior *
                                  (1.0 + 1.0 / escalaMenor) / kMaiorCondicaoArea);
    return std::isfinite(d) ? d : kInfinito;
}

double Oclusao::raioMaior(const NaTela& t) {
    // The square root of the largest square: a correctly rounded square root never decreases,
    // so this is the largest of the corners' square roots, one root instead of eight.
    double quadrado = 0.0;
    for (const auto& [dx, dy, dz] : t.deslocamentos) {
        quadrado = std::max(quadrado, (dx * dx + dy * dy) + dz * dz);
    }
    return std::sqrt(quadrado);
}

bool Oclusao::longeDosPlanos(const NaTela& t, double raio, const Trecho& trecho, double exigido,
                             const Ponto* pontos, const std::int32_t* indices, int inicio,
                             int fim) const {
    // By the run's cone: a lower bound of the distance over the box's corners.
    double frente = kInfinito;
    double tras = kInfinito;
    const Vetor& eixo = trecho.cone.eixo;
    for (const auto& [dx, dy, dz] : t.deslocamentos) {
        const double lado = (eixo.x * dx + eixo.y * dy) + eixo.z * dz;
        frente = std::min(frente, lado);
        tras = std::min(tras, -lado);
    }
    const double pelaCone = std::max(frente, tras) -
                            trecho.cone.raio * raio * (1.0 + kFolgaDistancia) -
                            kFolgaDistancia * t.distancia;
    if (pelaCone >= exigido) {
        return true;
    }
    // Triangle by triangle: |n . (P0 - F)| >= exigido |n|, with room for the rounding of n
    // (below 2^-50 |e1|_1 |e2|_1 a component) and of the product.
    const Ponto& f = camera.foco;
    for (int k = inicio; k < fim; ++k) {
        const std::int32_t* c = &indices[static_cast<std::size_t>(k) * 3];
        const Ponto& p0 = pontos[c[0]];
        const Vetor e1 = diferenca(pontos[c[1]], p0);
        const Vetor e2 = diferenca(pontos[c[2]], p0);
        const Vetor d = diferenca(p0, f);
        const Vetor n(e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z,
                      e1.x * e2.y - e1.y * e2.x);
        const double folgaNormal = kFolgaNormal * (normaUm(e1) * normaUm(e2));
        const double comprimento = std::sqrt(interno(n, n));
        if (!(std::fabs(interno(n, d)) >=
              exigido * (comprimento + folgaNormal) + folgaNormal * normaUm(d))) {
            return false;
        }
    }
    return true;
}

Oclusao::Decisao Oclusao::testar(const Aglomerado& a, unsigned pendentes, const Piramide& piramide,
                                 const Ponto* pontos, const std::int32_t* indices,
                                 int inicio) const {
    const unsigned todos = pendentes & ((1U << a.quantTrechos) - 1U);
    if (!util || !a.condicionado) {
        return Decisao{Resultado::desenhar, todos};
    }
    const NaTela caixa = projetar(a.caixa);
    if (!caixa.segura) {
        return Decisao{Resultado::desenhar, todos};
    }
    if (caixa.vazia) {
        return Decisao{Resultado::fora, 0};
    }
    const bool inteiro = todos == (1U << a.quantTrechos) - 1U;
    const auto fimTrecho = [&](int k) {
        return std::min(inicio + (k + 1) * Aglomerados::kPorTrecho,
                        inicio + a.quantTrechos * Aglomerados::kPorTrecho);
    };
    unsigned desenhar = 0;
    // A cluster part of which was drawn already is seldom hidden as a whole: its runs are
    // tested on their own.
    if (inteiro && escondida(caixa, piramide)) {
        // The whole box is hidden: each run stays only if it could be seen edge-on.
        const double d = exigido(caixa, a);
        const double raio = raioMaior(caixa);
        for (unsigned resto = todos; resto != 0; resto &= resto - 1) {
            const int k = std::countr_zero(resto);
            if (!longeDosPlanos(caixa, raio, a.trechos[static_cast<std::size_t>(k)], d, pontos,
                                indices, inicio + k * Aglomerados::kPorTrecho, fimTrecho(k))) {
                desenhar |= 1U << k;
            }
        }
    } else {
        // Run by run, each with its own box.
        for (unsigned resto = todos; resto != 0; resto &= resto - 1) {
            const int k = std::countr_zero(resto);
            const Trecho& trecho = a.trechos[static_cast<std::size_t>(k)];
            const NaTela t = projetar(trecho.caixa);
            if (t.segura && t.vazia) {
                continue;
            }
            if (!t.segura || !escondida(t, piramide) ||
                !longeDosPlanos(t, raioMaior(t), trecho, exigido(t, a), pontos, indices,
                                inicio + k * Aglomerados::kPorTrecho, fimTrecho(k))) {
                desenhar |= 1U << k;
            }
        }
    }
    return Decisao{desenhar != 0 ? Resultado::desenhar : Resultado::oculto, desenhar};
}

}  // namespace gouraud::detail
