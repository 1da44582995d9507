#include "Cobertura.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace gouraud::detail {

namespace {

constexpr std::int64_t kMeioPixel = std::int64_t{1} << (Cobertura::kBitsFracao - 1);
// The quick inside test works on positions cut to 2^-16 pixel, where edge values fit in 64 bits.
constexpr int kBitsRapidos = 16;
constexpr int kCorteRapido = Cobertura::kBitsFracao - kBitsRapidos;
constexpr std::int64_t kPixelRapido = std::int64_t{1} << kBitsRapidos;
// Slack added to the bound on the quick test's error, in units of 2^-32 square pixel.
constexpr std::int64_t kFolgaExtra = 8;
// Coarse positions are in 1/256 pixel. A coarse corner is floor(256 v) and the exact one
// trunc(2^48 v) 2^-48 for the same double v, so 256 times the exact corner exceeds the coarse
// one by d in (-2^-40, 1 + 2^-40) on each axis. A cross product U x W of two corners taken
// from a pixel centre (exact in coarse units) then moves by less than (1 + 2^-40) (|U|_1 +
// |W|_1) + 2.01 between the two (the cross terms of d): with the coarse vectors below 2^23,
// less than |U|_1 + |W|_1 + kFolgaGrossa square units.
constexpr std::int64_t kPixelGrosso = 256;
constexpr std::int64_t kMeioPixelGrosso = kPixelGrosso / 2;
constexpr std::int64_t kFolgaGrossa = 4;
// Candidate boxes up to this many pixels are tested pixel by pixel, exactly; larger ones step
// quick edge values across the box.
constexpr int kCaixaPequena = 4;

// First pixel, at least `menor`, whose centre is at or after v (|v| < kMaiorCoordenada).
// Conversion truncates towards zero; one comparison turns that into a ceiling or a floor.
int primeiroPixel(double v, int menor) {
    const double u = v - 0.5;
    const int t = static_cast<int>(u);
    return std::max(menor, t + (u > t ? 1 : 0));
}
// Last pixel, below `limite`, whose centre is at or before v (|v| < kMaiorCoordenada).
int ultimoPixel(double v, int limite) {
    const double u = v - 0.5;
    const int t = static_cast<int>(u);
    return std::min(limite - 1, t - (u < t ? 1 : 0));
}

// The centre of pixel i (or row j) in 2^-48 pixel.
std::int64_t centro(int i) { return (2 * std::int64_t{i} + 1) * kMeioPixel; }

// What the coarse corners say of a pixel centre (px, py), in coarse units. With A = a - p,
// B = b - p and C = c - p, the edge values there are A x B, B x C and C x A (their sum is twice
// the area): the centre is inside when all three are positive or all three negative, outside
// when one is positive and another negative. From the coarse corners each lies within the
// |.|_1 of its two vectors + kFolgaGrossa of the exact one; a sign within that bound is in
// doubt. Corners less than 3 pixels from the centre keep every value below 2^21.
enum class DecisaoGrossa { fora, dentro, duvida };

[[gnu::always_inline]] inline DecisaoGrossa decidirGrosso(const PosicaoGrossa& a,
                                                          const PosicaoGrossa& b,
                                                          const PosicaoGrossa& c, std::int32_t px,
                                                          std::int32_t py) {
    const std::int32_t ax = a.x - px;
    const std::int32_t ay = a.y - py;
    const std::int32_t bx = b.x - px;
    const std::int32_t by = b.y - py;
    const std::int32_t cx = c.x - px;
    const std::int32_t cy = c.y - py;
    const std::int32_t na = std::abs(ax) + std::abs(ay);
    const std::int32_t nb = std::abs(bx) + std::abs(by);
    const std::int32_t nc = std::abs(cx) + std::abs(cy);
    constexpr auto kFolga = static_cast<std::int32_t>(kFolgaGrossa);
    const std::int32_t ab = ax * by - ay * bx;
    const std::int32_t bc = bx * cy - by * cx;
    const std::int32_t ca = cx * ay - cy * ax;
    const std::int32_t fab = na + nb + kFolga;
    const std::int32_t fbc = nb + nc + kFolga;
    const std::int32_t fca = nc + na + kFolga;
    // Bit 0 where an edge value is surely positive, bit 1 where surely negative.
    const unsigned positivos = (ab > fab ? 1U : 0U) | (bc > fbc ? 2U : 0U) | (ca > fca ? 4U : 0U);
    const unsigned negativos =
        (ab < -fab ? 1U : 0U) | (bc < -fbc ? 2U : 0U) | (ca < -fca ? 4U : 0U);
    if (positivos == 7U || negativos == 7U) {
        return DecisaoGrossa::dentro;
    }
    return positivos != 0 && negativos != 0 ? DecisaoGrossa::fora : DecisaoGrossa::duvida;
}

}  // namespace

PosicaoGrossa Cobertura::paraGrossa(double x, double y) {
    // Conversion truncates towards zero; one comparison turns that into the floor.
    const auto piso = [](double v) {
        const auto t = static_cast<std::int32_t>(v);
        return t - (v < t ? 1 : 0);
    };
    return PosicaoGrossa{piso(x * static_cast<double>(kPixelGrosso)),
                         piso(y * static_cast<double>(kPixelGrosso))};
}

bool Cobertura::ArestaExata::dentro(std::int64_t px, std::int64_t py) const {
    // The edge value (e - s) x (p - s): positive inside, 0 on the edge.
    const Int128 valor =
        static_cast<Int128>(dx) * (py - s.y) - static_cast<Int128>(dy) * (px - s.x);
    return valor > 0 || (valor == 0 && topoOuEsquerda);
}

Cobertura::ArestaExata Cobertura::montarArestaExata(const PosicaoExata& s, const PosicaoExata& e) {
    const std::int64_t dx = e.x - s.x;
    const std::int64_t dy = e.y - s.y;
    // A top edge is horizontal with the inside below it (dx > 0 in this winding); a left edge
    // goes up the screen (dy < 0).
    return ArestaExata{s, dx, dy, dy < 0 || (dy == 0 && dx > 0)};
}

Cobertura::Aresta Cobertura::montarAresta(const PosicaoExata& s, const PosicaoExata& e, int i0,
                                          int j0, std::int64_t larguraCaixa,
                                          std::int64_t alturaCaixa) {
    Aresta a{};
    const std::int64_t sx = s.x >> kCorteRapido;
    const std::int64_t sy = s.y >> kCorteRapido;
    const std::int64_t dx = (e.x >> kCorteRapido) - sx;
    const std::int64_t dy = (e.y >> kCorteRapido) - sy;
    const std::int64_t px = (2 * std::int64_t{i0} + 1) * (kPixelRapido / 2);
    const std::int64_t py = (2 * std::int64_t{j0} + 1) * (kPixelRapido / 2);
    a.rapido = dx * (py - sy) - dy * (px - sx);
    a.passoX = -dy * kPixelRapido;
    a.passoY = dx * kPixelRapido;
    a.folga = std::llabs(dx) + std::llabs(dy) + larguraCaixa + alturaCaixa + kFolgaExtra;
    return a;
}

Int128 Cobertura::area(const PosicaoExata& a, const PosicaoExata& b, const PosicaoExata& c) {
    return static_cast<Int128>(b.x - a.x) * (c.y - a.y) -
           static_cast<Int128>(b.y - a.y) * (c.x - a.x);
}

bool Cobertura::cobre(const PosicaoExata& a, const PosicaoExata& b, const PosicaoExata& c, int i,
                      int j) {
    const Int128 dupla = area(a, b, c);
    if (dupla == 0) {
        return false;
    }
    const PosicaoExata& p1 = dupla > 0 ? b : c;
    const PosicaoExata& p2 = dupla > 0 ? c : b;
    const std::int64_t px = centro(i);
    const std::int64_t py = centro(j);
    return montarArestaExata(p1, p2).dentro(px, py) && montarArestaExata(p2, a).dentro(px, py) &&
           montarArestaExata(a, p1).dentro(px, py);
}

unsigned Cobertura::cobertosNaCaixa(const PosicaoGrossa& a, const PosicaoGrossa& b,
                                    const PosicaoGrossa& c, const PosicaoExata& ea,
                                    const PosicaoExata& eb, const PosicaoExata& ec, int i0, int j0,
                                    int colunas, int linhas) {
    const auto centro = [](int pixel) {
        return pixel * static_cast<std::int32_t>(kPixelGrosso) +
               static_cast<std::int32_t>(kMeioPixelGrosso);
    };
    unsigned cobertos = 0;
    for (int dj = 0; dj < linhas; ++dj) {
        for (int di = 0; di < colunas; ++di) {
            const DecisaoGrossa d = decidirGrosso(a, b, c, centro(i0 + di), centro(j0 + dj));
            const bool dentro = d == DecisaoGrossa::dentro ||
                                (d == DecisaoGrossa::duvida && cobre(ea, eb, ec, i0 + di, j0 + dj));
            cobertos |= dentro ? 1U << (2 * dj + di) : 0U;
        }
    }
    return cobertos;
}

bool Cobertura::montar(const PosicaoExata& a, const PosicaoExata& b, const PosicaoExata& c) {
    pa = a;
    pb = b;
    pc = c;
    areaDupla = area(a, b, c);
    const PosicaoExata& p1 = areaDupla > 0 ? pb : pc;
    const PosicaoExata& p2 = areaDupla > 0 ? pc : pb;
    exatas[0] = montarArestaExata(p1, p2);
    exatas[1] = montarArestaExata(p2, pa);
    exatas[2] = montarArestaExata(pa, p1);
    return areaDupla != 0;
}

bool Cobertura::montar(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c, int linha0,
                       int linha1, int largura) {
    // Pixels whose centres lie in the bounding box.
    i0 = primeiroPixel(std::min({a.x, b.x, c.x}), 0);
    i1 = ultimoPixel(std::max({a.x, b.x, c.x}), largura);
    j0 = primeiroPixel(std::min({a.y, b.y, c.y}), linha0);
    j1 = ultimoPixel(std::max({a.y, b.y, c.y}), linha1);
    if (i0 > i1 || j0 > j1) {
        return false;
    }
    if (!montar(paraExata(a), paraExata(b), paraExata(c))) {
        return false;
    }
    pequena = (i1 - i0 + 1) * (j1 - j0 + 1) <= kCaixaPequena;
    if (pequena) {
        return true;
    }
    const std::int64_t minX = std::min({pa.x, pb.x, pc.x});
    const std::int64_t minY = std::min({pa.y, pb.y, pc.y});
    const std::int64_t larguraCaixa =
        (std::max({pa.x, pb.x, pc.x}) >> kCorteRapido) - (minX >> kCorteRapido);
    const std::int64_t alturaCaixa =
        (std::max({pa.y, pb.y, pc.y}) >> kCorteRapido) - (minY >> kCorteRapido);
    const PosicaoExata& p1 = areaDupla > 0 ? pb : pc;
    const PosicaoExata& p2 = areaDupla > 0 ? pc : pb;
    arestas[0] = montarAresta(p1, p2, i0, j0, larguraCaixa, alturaCaixa);
    arestas[1] = montarAresta(p2, pa, i0, j0, larguraCaixa, alturaCaixa);
    arestas[2] = montarAresta(pa, p1, i0, j0, larguraCaixa, alturaCaixa);
    return true;
}

Int128 Cobertura::getArea() const { return areaDupla; }
int Cobertura::primeiraLinha() const { return j0; }
int Cobertura::ultimaLinha() const { return j1; }

bool Cobertura::dentro(int i, int j) const {
    const std::int64_t px = centro(i);
    const std::int64_t py = centro(j);
    return exatas[0].dentro(px, py) && exatas[1].dentro(px, py) && exatas[2].dentro(px, py);
}

bool Cobertura::linhas(int linha0, int linha1, Intervalo* saida) const {
    // The inside of a triangle is convex, so its centres in a row are one run: it starts at the
    // first pixel inside and ends before the next one outside.
    bool algum = false;
    if (pequena) {
        for (int j = linha0; j <= linha1; ++j) {
            int i = i0;
            while (i <= i1 && !dentro(i, j)) {
                ++i;
            }
            const int inicio = i;
            // Pixel `inicio`, when there is one, was just found inside.
            for (++i; i <= i1 && dentro(i, j); ++i) {
            }
            saida[j - linha0] = Intervalo{inicio, std::min(i, i1 + 1) - 1};
            algum = algum || inicio <= i1;
        }
        return algum;
    }
    for (int j = linha0; j <= linha1; ++j) {
        const std::int64_t py = centro(j);
        const std::int64_t linhasAntes = j - j0;
        std::int64_t e0 = arestas[0].rapido + linhasAntes * arestas[0].passoY;
        std::int64_t e1 = arestas[1].rapido + linhasAntes * arestas[1].passoY;
        std::int64_t e2 = arestas[2].rapido + linhasAntes * arestas[2].passoY;
        // Inside an edge when its quick value is clear of the bound, exactly otherwise.
        const auto dentroAresta = [&](int k, std::int64_t valor, int i) {
            const Aresta& a = arestas[k];
            return valor > a.folga || (valor >= -a.folga && exatas[k].dentro(centro(i), py));
        };
        const auto dentroRapido = [&](int i) {
            return dentroAresta(0, e0, i) && dentroAresta(1, e1, i) && dentroAresta(2, e2, i);
        };
        const auto avancar = [&] {
            e0 += arestas[0].passoX;
            e1 += arestas[1].passoX;
            e2 += arestas[2].passoX;
        };
        int i = i0;
        while (i <= i1 && !dentroRapido(i)) {
            avancar();
            ++i;
        }
        const int inicio = i;
        for (avancar(), ++i; i <= i1 && dentroRapido(i); avancar(), ++i) {
        }
        saida[j - linha0] = Intervalo{inicio, std::min(i, i1 + 1) - 1};
        algum = algum || inicio <= i1;
    }
    return algum;
}

}  // namespace gouraud::detail
