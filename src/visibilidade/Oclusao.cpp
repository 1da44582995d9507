#include "Oclusao.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "Recorte.h"

// Why a cluster left out could not have drawn a pixel.
//
// Every triangle of the cluster lies in its box. When all eight corners of the box are in front
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
// by less than 2^-43 K' of itself plus 2^-36 K' / smin, and the excess is below 2^-44 K of
// 1/cnmin when A is within 1/32 of the exact projection's. A cluster is left out only when
// K <= 2^20 and K' <= 2^30 for every triangle's D: the excess is then below 2^-23 of the box's
// nearest 1/cn. The test compares that nearest 1/cn raised by 2^-16 (kMargemProfundidade),
// which also holds the box's own rounding.
// D is bounded below for each run of Aglomerados::kPorCone triangles by the run's normal cone:
// |eixo . (P - F)| - raio |P - F|, least over the box's corners, when eixo . (P - F) keeps one
// sign over them; failing that (near the silhouette), each triangle's D is worked out from its
// corners, |n . (P0 - F)| / |n|, with room for its rounding.
//
// So every iz the cluster's triangles could give at any pixel of the footprint is below the
// raised bound, which is below every depth the frame already stores there (the pyramid's least
// over the footprint); stored depths only grow, and a pixel changes hands only for a greater iz
// or an equal one.

namespace {

constexpr double kInfinito = std::numeric_limits<double>::infinity();
constexpr double kFolgaPerto = 1.0 / 1099511627776.0;  // 2^-40 of |P - F|_1
constexpr double kFolgaTela = 1.0 / 1073741824.0;      // 2^-30 of s L, in pixels
constexpr double kFolgaPixel = 1.0 / 1048576.0;        // 2^-20 pixel
constexpr double kFolgaDistancia = 1.0 / 1099511627776.0;  // 2^-40 of |P - F|_1
// The rounding of a triangle's cross product, as a share of |e1|_1 |e2|_1, with room to spare.
constexpr double kFolgaNormal = 1.0 / 70368744177664.0;  // 2^-46
constexpr int kCantos = 8;

double normaUm(const Vetor& v) { return (std::fabs(v.x) + std::fabs(v.y)) + std::fabs(v.z); }

Vetor diferenca(const Ponto& a, const Ponto& b) { return Vetor(a.x - b.x, a.y - b.y, a.z - b.z); }

double interno(const Vetor& a, const Vetor& b) { return (a.x * b.x + a.y * b.y) + a.z * b.z; }

bool positivoFinito(double v) { return v > 0.0 && std::isfinite(v); }

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
    util = util && positivoFinito(escala) && positivoFinito(escalaMenor) &&
           std::isfinite(anisotropia) && std::isfinite(escalaFixa);
}

Oclusao::Resultado Oclusao::testar(const Aglomerado& a, const Piramide& piramide,
                                   const Ponto* pontos, const std::int32_t* indices, int inicio,
                                   int fim) const {
    if (!util || !a.condicionado) {
        return Resultado::desenhar;
    }
    const Ponto& f = camera.foco;
    double xMenor = kInfinito;
    double xMaior = -kInfinito;
    double yMenor = kInfinito;
    double yMaior = -kInfinito;
    double cnMenor = kInfinito;
    double cnMaior = -kInfinito;
    double espalhamento = 0.0;  // r: the largest |cu|/cn and |cv|/cn
    double distancia = 0.0;  // the largest |P - F|_1
    double raioMaior = 0.0;  // the largest |P - F|
    bool naFrente = true;
    std::array<Vetor, kCantos> deslocamentos;  // P - F for each corner
    for (int k = 0; k < kCantos; ++k) {
        const Ponto p((k & 1) != 0 ? a.maior[0] : a.menor[0], (k & 2) != 0 ? a.maior[1] : a.menor[1],
                      (k & 4) != 0 ? a.maior[2] : a.menor[2]);
        const double dx = p.x - f.x;
        const double dy = p.y - f.y;
        const double dz = p.z - f.z;
        deslocamentos[static_cast<std::size_t>(k)] = Vetor(dx, dy, dz);
        const double tamanho = (std::fabs(dx) + std::fabs(dy)) + std::fabs(dz);
        const Vetor c = camera.coordenadas(p);
        naFrente = naFrente && c.z >= projecao.zPerto + kFolgaPerto * tamanho;
        if (!naFrente) {
            return Resultado::desenhar;
        }
        const double x = projecao.xTela(c.x, c.z);
        const double y = projecao.yTela(c.y, c.z);
        xMenor = std::min(xMenor, x);
        xMaior = std::max(xMaior, x);
        yMenor = std::min(yMenor, y);
        yMaior = std::max(yMaior, y);
        cnMenor = std::min(cnMenor, c.z);
        cnMaior = std::max(cnMaior, c.z);
        espalhamento = std::max(espalhamento, std::max(std::fabs(c.x), std::fabs(c.y)) / c.z);
        distancia = std::max(distancia, tamanho);
        raioMaior = std::max(raioMaior, std::sqrt((dx * dx + dy * dy) + dz * dz));
    }
    const double escalaL = (1.0 + 3.0 * espalhamento + escalaFixa) * anisotropia;
    const double margem = kFolgaTela * escala * escalaL + kFolgaPixel;
    // Every triangle within the safe limit, with room for the rounding (a NaN fails here).
    const double alcance = limite - 1.0 - margem;
    if (!(std::max({-xMenor, xMaior, -yMenor, yMaior}) <= alcance)) {
        return Resultado::desenhar;
    }
    // The pixel centres i + 0.5 within [xMenor - margem, xMaior + margem], and likewise rows.
    const int i0 = std::max(0, static_cast<int>(std::ceil(xMenor - margem - 0.5)));
    const int i1 = std::min(largura - 1, static_cast<int>(std::floor(xMaior + margem - 0.5)));
    const int j0 = std::max(0, static_cast<int>(std::ceil(yMenor - margem - 0.5)));
    const int j1 = std::min(altura - 1, static_cast<int>(std::floor(yMaior + margem - 0.5)));
    if (i0 > i1 || j0 > j1) {
        return Resultado::fora;
    }
    // Hidden by what is drawn?
    const double maisPerto = (1.0 / cnMenor) * (1.0 + kMargemProfundidade);
    if (!(maisPerto < piramide.menor(i0, j0, i1, j1))) {
        return Resultado::desenhar;
    }
    // The least distance D from the focus to a triangle's plane that keeps K and K' within
    // their bounds.
    const double razao = cnMaior / cnMenor;
    const double comum = escalaL * escalaL * (razao * razao * razao) * a.forma;
    const double exigido =
        std::max(comum * (a.aresta + cnMaior / escalaMenor) / kMaiorCondicao,
                 comum * (cnMaior / a.menorAresta) * cnMaior * (1.0 + 1.0 / escalaMenor) /
                     kMaiorCondicaoArea);
    if (!std::isfinite(exigido)) {
        return Resultado::desenhar;
    }
    // A lower bound of the distance from F to the plane of every triangle whose normal lies in
    // `cone`.
    const auto distanciaCone = [&](const Cone& cone) {
        double frente = kInfinito;
        double tras = kInfinito;
        for (const Vetor& d : deslocamentos) {
            const double lado = (cone.eixo.x * d.x + cone.eixo.y * d.y) + cone.eixo.z * d.z;
            frente = std::min(frente, lado);
            tras = std::min(tras, -lado);
        }
        return std::max(frente, tras) - cone.raio * raioMaior * (1.0 + kFolgaDistancia) -
               kFolgaDistancia * distancia;
    };
    // Each run of triangles by its own cone, or else triangle by triangle.
    for (int k = 0; k < Aglomerado::kCones; ++k) {
        const int primeiro = std::min(fim, inicio + k * Aglomerados::kPorCone);
        const int ultimo = std::min(fim, primeiro + Aglomerados::kPorCone);
        if (primeiro < ultimo &&
            !(distanciaCone(a.cones[static_cast<std::size_t>(k)]) >= exigido) &&
            !distantes(pontos, indices, primeiro, ultimo, exigido)) {
            return Resultado::desenhar;
        }
    }
    return Resultado::oculto;
}

bool Oclusao::distantes(const Ponto* pontos, const std::int32_t* indices, int inicio, int fim,
                        double exigido) const {
    const Ponto& f = camera.foco;
    // |n . (P0 - F)| >= exigido |n|, with room for the rounding of n (below 2^-50 |e1|_1 |e2|_1
    // a component) and of the product.
    for (int t = inicio; t < fim; ++t) {
        const std::int32_t* c = &indices[static_cast<std::size_t>(t) * 3];
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
