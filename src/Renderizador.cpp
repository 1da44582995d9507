#include "Renderizador.h"

#include "Arestas.h"
#include "CorPlana.h"
#include "SombreamentoPhong.h"

#include <algorithm>
#include <array>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <tuple>
#include <utility>

namespace {

__extension__ typedef __int128 Int128;

constexpr int kLargura = Quadro::kLargura;
constexpr int kAltura = Quadro::kAltura;

// Screen positions are held as integers in units of 2^-48 pixel: exact for every double of
// magnitude 16 or more, and less than 2^-48 pixel nearer zero below that.
constexpr int kBitsFracao = 48;
constexpr double kEscala = 281474976710656.0;                           // 2^48
constexpr double kInversoEscala = 1.0 / kEscala;                        // 2^-48
constexpr double kInversoEscalaArea = kInversoEscala * kInversoEscala;  // 2^-96
constexpr std::int64_t kMeioPixel = std::int64_t{1} << (kBitsFracao - 1);
// The quick inside test works on positions cut to 2^-16 pixel, where edge values fit in 64 bits.
constexpr int kBitsRapidos = 16;
constexpr int kCorteRapido = kBitsFracao - kBitsRapidos;
constexpr std::int64_t kPixelRapido = std::int64_t{1} << kBitsRapidos;
// Slack added to the bound on the quick test's error, in units of 2^-32 square pixel.
constexpr std::int64_t kFolgaExtra = 8;

// Points further off screen than this (in pixels, either axis) are clipped in two dimensions
// first, which keeps every value of the integer tests inside 64 and 128 bits.
constexpr double kLimiteSeguro = 4096.0;
// The rectangle they are clipped to: the screen with this margin around it.
constexpr double kGuarda = 1024.0;

constexpr int kLinhasPorFaixa = 16;
// A surviving triangle's pixel when it has exactly one, or one of these marks.
constexpr std::int32_t kVariosPixels = -1;
constexpr std::int32_t kNenhumPixel = -2;
constexpr int kQuantFaixas = (kAltura + kLinhasPorFaixa - 1) / kLinhasPorFaixa;
constexpr int kPorLote = 8192;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The coarse positions that sort triangles into bands are in 1/256 pixel, rounded down.
constexpr int kBitsGrossos = 8;
constexpr double kEscalaGrossa = 1 << kBitsGrossos;
constexpr std::int32_t kMeioPixelGrosso = 1 << (kBitsGrossos - 1);
// Marks of a point that needs clipping in its coarse position: x is kMarca, and y is kMarca too
// when the point is behind the near plane.
constexpr std::int32_t kMarca = std::numeric_limits<std::int32_t>::min();

constexpr double kCanalMaximoReal = 255.0;
constexpr std::uint16_t kPreto = 0;

// A corner of a triangle to rasterise: screen position in pixels, 1/cn and colour.
using VerticeTela = Renderizador::Vertice;

// A corner of a polygon being clipped: camera coordinates before projection, then screen
// coordinates (x, y, 1/cn) after; the colour throughout.
struct VerticeRecorte {
    double x;
    double y;
    double z;
    double r;
    double g;
    double b;
};

// At most 3 corners, one more per clipping plane (near plane and four screen sides).
constexpr int kMaxCantos = 8;
struct Poligono {
    std::array<VerticeRecorte, kMaxCantos> cantos;
    int quant = 0;
};

// True when a corner of the triangle is behind the near plane or too far off screen.
bool precisaRecorte(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c) {
    return std::isnan(a.x) || std::isnan(b.x) || std::isnan(c.x);
}

// floor(v) for |v| < 2^31: conversion truncates towards zero, one comparison corrects it.
std::int32_t piso(double v) {
    const auto t = static_cast<std::int32_t>(v);
    return t - (v < t ? 1 : 0);
}

// The pixels whose centres may lie in [menor, maior] given in coarse units: a superset of the
// exact ones (the coarse positions are rounded down), clamped to [0, limite).
int primeiroPixelGrosso(std::int32_t menor) {
    return std::max(0, -((kMeioPixelGrosso - menor) >> kBitsGrossos));
}
int ultimoPixelGrosso(std::int32_t maior, int limite) {
    return std::min(limite - 1, (maior - kMeioPixelGrosso) >> kBitsGrossos);
}

// First pixel, at least `menor`, whose centre is at or after v (|v| < kLimiteSeguro).
// Conversion truncates towards zero; one comparison turns that into a ceiling or a floor.
int primeiroPixel(double v, int menor) {
    const double u = v - 0.5;
    const int t = static_cast<int>(u);
    return std::max(menor, t + (u > t ? 1 : 0));
}
// Last pixel, below `limite`, whose centre is at or before v (|v| < kLimiteSeguro).
int ultimoPixel(double v, int limite) {
    const double u = v - 0.5;
    const int t = static_cast<int>(u);
    return std::min(limite - 1, t - (u < t ? 1 : 0));
}

// Position in 2^-48 pixel, rounded towards zero (|v| < kLimiteSeguro).
std::int64_t paraInteiro(double v) { return static_cast<std::int64_t>(v * kEscala); }

// The channel floored to 0..255; a NaN gives 0. Written as two selections, without branches.
int canal(double valor) {
    const double positivo = 0.0 < valor ? valor : 0.0;
    const double limitado = kCanalMaximoReal < positivo ? kCanalMaximoReal : positivo;
    return static_cast<int>(limitado);
}

std::uint16_t empacotar(double r, double g, double b) {
    return Quadro::empacotar(canal(r), canal(g), canal(b));
}

// A corner's position in 2^-48 pixel.
using PosicaoExata = Renderizador::PosicaoExata;

// Whether the centre (px, py), in 2^-48 pixel, is inside the edge s -> e of a triangle whose
// corners run so that its area is positive: the edge value (e - s) x (p - s) is positive, or 0
// on a top edge (horizontal, inside below) or a left edge. Exact, in 128 bits.
bool dentroDaAresta(const PosicaoExata& s, const PosicaoExata& e, std::int64_t px,
                    std::int64_t py) {
    const std::int64_t dx = e.x - s.x;
    const std::int64_t dy = e.y - s.y;
    const Int128 valor =
        static_cast<Int128>(dx) * (py - s.y) - static_cast<Int128>(dy) * (px - s.x);
    return valor > 0 || (valor == 0 && (dy < 0 || (dy == 0 && dx > 0)));
}

// One edge s -> e of a triangle of positive area, with a quick value stepped across its box.
struct Aresta {
    PosicaoExata s;
    PosicaoExata e;
    // The quick value at 2^-16 pixel, in 2^-32 square pixel, and its steps per pixel.
    std::int64_t rapido;
    std::int64_t passoX;
    std::int64_t passoY;
    // Bound on how far the quick value can be from the exact one over the triangle's box.
    std::int64_t folga;

    // Whether the centre (px, py) is inside this edge: from the quick value when it is clear of
    // the bound, exactly otherwise.
    bool dentro(std::int64_t valorRapido, std::int64_t px, std::int64_t py) const {
        if (valorRapido > folga) {
            return true;
        }
        if (valorRapido < -folga) {
            return false;
        }
        return dentroDaAresta(s, e, px, py);
    }
};

Aresta montarAresta(const PosicaoExata& s, const PosicaoExata& e, int i0, int j0,
                    std::int64_t larguraCaixa, std::int64_t alturaCaixa) {
    Aresta a{};
    a.s = s;
    a.e = e;
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

// How a pixel that a triangle wins gets its colour, from the weights q1 and q2 of its second
// and third corners (screen-space weight times that corner's 1/cn) and s = 1/(1/cn) there.
// Gouraud: the corners' colours, interpolated perspective-correctly.
struct PintorGouraud {
    const VerticeTela& a;
    double dr1, dr2, dg1, dg2, db1, db2;

    PintorGouraud(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c)
        : a(a),
          dr1(b.r - a.r),
          dr2(c.r - a.r),
          dg1(b.g - a.g),
          dg2(c.g - a.g),
          db1(b.b - a.b),
          db2(c.b - a.b) {}

    std::uint16_t cor(double q1, double q2, double s, int, int) const {
        return empacotar(a.r + (q1 * dr1 + q2 * dr2) * s, a.g + (q1 * dg1 + q2 * dg2) * s,
                         a.b + (q1 * db1 + q2 * db2) * s);
    }
};

// Flat: the triangle's one colour, already packed.
struct PintorPlano {
    std::uint16_t corPlana;

    std::uint16_t cor(double, double, double, int, int) const { return corPlana; }
};

// Phong: the lighting at the pixel's interpolated position and normal.
struct PintorPhong {
    const SombreamentoPhong& phong;

    std::uint16_t cor(double q1, double q2, double s, int, int) const {
        const Vetor cor = phong.cor(q1, q2, s);
        return empacotar(cor.x, cor.y, cor.z);
    }
};

// Any of them with the triangle's edges over it: black near an edge's line.
template <typename Pintor>
struct PintorComArestas {
    Pintor pintor;
    const Arestas& arestas;

    std::uint16_t cor(double q1, double q2, double s, int i, int j) const {
        return arestas.perto(i + 0.5, j + 0.5) ? kPreto : pintor.cor(q1, q2, s, i, j);
    }
};

// The colour and depth of a triangle at pixel centres: screen-space weights of b and c relative
// to a, 1/cn interpolated linearly on the screen, and the colour from those weights over cn
// (perspective-correct), written where the pixel's 1/cn is strictly greater than the stored one.
template <typename Pintor>
struct Sombreador {
    const VerticeTela& a;
    const VerticeTela& b;
    const VerticeTela& c;
    const Pintor& pintor;
    double dx1, dy1, dx2, dy2, inversoArea;
    double diz1, diz2;

    // `area` is the exact twice-signed area, whose sign the plain double one must share.
    Sombreador(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c, Int128 area,
               const Pintor& pintor)
        : a(a),
          b(b),
          c(c),
          pintor(pintor),
          dx1(b.x - a.x),
          dy1(b.y - a.y),
          dx2(c.x - a.x),
          dy2(c.y - a.y),
          diz1(b.iz - a.iz),
          diz2(c.iz - a.iz) {
        // Twice the signed area in plain double; in the rare sliver where cancellation leaves
        // it 0 or of the wrong sign, the exact area (rounded once) takes its place.
        double areaDupla = dx1 * dy2 - dy1 * dx2;
        if (!(area > 0 ? areaDupla > 0 : areaDupla < 0)) {
            areaDupla = static_cast<double>(area) * kInversoEscalaArea;
        }
        inversoArea = 1.0 / areaDupla;
    }

    void pixel(int i, int j, std::uint16_t* cores, double* profundidades) const {
        const double ex = (i + 0.5) - a.x;
        const double ey = (j + 0.5) - a.y;
        const double b1 = (ex * dy2 - ey * dx2) * inversoArea;
        const double b2 = (dx1 * ey - dy1 * ex) * inversoArea;
        const double iz = a.iz + b1 * diz1 + b2 * diz2;
        if (iz > profundidades[i]) {
            profundidades[i] = iz;
            const double q1 = b1 * b.iz;
            const double q2 = b2 * c.iz;
            const double s = 1.0 / iz;
            cores[i] = pintor.cor(q1, q2, s, i, j);
        }
    }
};

// Whether the centre of pixel (i, j) is inside the triangle p0 p1 p2 of positive area, or on a
// top or left edge of it, computed exactly.
bool dentroExato(const PosicaoExata& p0, const PosicaoExata& p1, const PosicaoExata& p2, int i,
                 int j) {
    const std::int64_t px = (2 * std::int64_t{i} + 1) * kMeioPixel;
    const std::int64_t py = (2 * std::int64_t{j} + 1) * kMeioPixel;
    return dentroDaAresta(p1, p2, px, py) && dentroDaAresta(p2, p0, px, py) &&
           dentroDaAresta(p0, p1, px, py);
}

// What the exact inside tests of a triangle need: its corners in 2^-48 pixel (pa, pb, pc), the
// same in the order that makes its area positive (pa, p1, p2), and twice its signed area.
struct Cobertura {
    PosicaoExata pa;
    PosicaoExata pb;
    PosicaoExata pc;
    PosicaoExata p1;
    PosicaoExata p2;
    Int128 area;

    // False for a triangle of zero area, which draws nothing.
    bool montar(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c) {
        return montar(PosicaoExata{paraInteiro(a.x), paraInteiro(a.y)},
                      PosicaoExata{paraInteiro(b.x), paraInteiro(b.y)},
                      PosicaoExata{paraInteiro(c.x), paraInteiro(c.y)});
    }
    bool montar(const PosicaoExata& a, const PosicaoExata& b, const PosicaoExata& c) {
        pa = a;
        pb = b;
        pc = c;
        area = static_cast<Int128>(pb.x - pa.x) * (pc.y - pa.y) -
               static_cast<Int128>(pb.y - pa.y) * (pc.x - pa.x);
        p1 = area > 0 ? pb : pc;
        p2 = area > 0 ? pc : pb;
        return area != 0;
    }
    bool dentro(int i, int j) const { return dentroExato(pa, p1, p2, i, j); }
};

// Candidate boxes up to this many pixels are tested pixel by pixel, exactly; larger ones step
// quick edge values across the box.
constexpr int kCaixaPequena = 4;

// Draws the triangle (a, b, c) into rows [linha0, linha1) of the frame: the pixels whose centre
// is inside it or on a top or left edge, where its 1/cn is greater than the stored one, in the
// colours of `pintor`.
template <typename Pintor>
void rasterizar(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c, int linha0,
                int linha1, Quadro& quadro, const Pintor& pintor) {
    // Pixels whose centres lie in the bounding box.
    const int i0 = primeiroPixel(std::min({a.x, b.x, c.x}), 0);
    const int i1 = ultimoPixel(std::max({a.x, b.x, c.x}), kLargura);
    const int j0 = primeiroPixel(std::min({a.y, b.y, c.y}), linha0);
    const int j1 = ultimoPixel(std::max({a.y, b.y, c.y}), linha1);
    if (i0 > i1 || j0 > j1) {
        return;
    }
    Cobertura cobertura;
    if (!cobertura.montar(a, b, c)) {
        return;
    }
    const Int128 area = cobertura.area;
    if ((i1 - i0 + 1) * (j1 - j0 + 1) <= kCaixaPequena) {
        for (int j = j0; j <= j1; ++j) {
            for (int i = i0; i <= i1; ++i) {
                if (cobertura.dentro(i, j)) {
                    Sombreador<Pintor>(a, b, c, area, pintor)
                        .pixel(i, j, quadro.linhaCor(j), quadro.linhaProfundidade(j));
                }
            }
        }
        return;
    }
    const PosicaoExata& pa = cobertura.pa;
    const PosicaoExata& p1 = cobertura.p1;
    const PosicaoExata& p2 = cobertura.p2;
    const PosicaoExata& pb = cobertura.pb;
    const PosicaoExata& pc = cobertura.pc;
    const std::int64_t minX = std::min({pa.x, pb.x, pc.x});
    const std::int64_t minY = std::min({pa.y, pb.y, pc.y});
    const std::int64_t larguraCaixa =
        (std::max({pa.x, pb.x, pc.x}) >> kCorteRapido) - (minX >> kCorteRapido);
    const std::int64_t alturaCaixa =
        (std::max({pa.y, pb.y, pc.y}) >> kCorteRapido) - (minY >> kCorteRapido);
    const std::array<Aresta, 3> arestas = {montarAresta(p1, p2, i0, j0, larguraCaixa, alturaCaixa),
                                           montarAresta(p2, pa, i0, j0, larguraCaixa, alturaCaixa),
                                           montarAresta(pa, p1, i0, j0, larguraCaixa, alturaCaixa)};
    const Sombreador<Pintor> sombreador(a, b, c, area, pintor);
    std::int64_t linha0Valor = arestas[0].rapido;
    std::int64_t linha1Valor = arestas[1].rapido;
    std::int64_t linha2Valor = arestas[2].rapido;
    for (int j = j0; j <= j1; ++j) {
        const std::int64_t py = (2 * std::int64_t{j} + 1) * kMeioPixel;
        std::uint16_t* cores = quadro.linhaCor(j);
        double* profundidades = quadro.linhaProfundidade(j);
        std::int64_t e0 = linha0Valor;
        std::int64_t e1 = linha1Valor;
        std::int64_t e2 = linha2Valor;
        for (int i = i0; i <= i1; ++i) {
            const std::int64_t px = (2 * std::int64_t{i} + 1) * kMeioPixel;
            if (arestas[0].dentro(e0, px, py) && arestas[1].dentro(e1, px, py) &&
                arestas[2].dentro(e2, px, py)) {
                sombreador.pixel(i, j, cores, profundidades);
            }
            e0 += arestas[0].passoX;
            e1 += arestas[1].passoX;
            e2 += arestas[2].passoX;
        }
        linha0Valor += arestas[0].passoY;
        linha1Valor += arestas[1].passoY;
        linha2Valor += arestas[2].passoY;
    }
}

// Keeps the part of the polygon where dentro(corner) holds. A new corner on a cut edge is found
// from its inside end towards its outside end, so that two triangles sharing that edge get the
// very same corner. `cortar(dentro, fora)` makes it.
template <typename Dentro, typename Cortar>
void recortar(Poligono& poligono, Dentro dentro, Cortar cortar) {
    Poligono saida;
    for (int k = 0; k < poligono.quant; ++k) {
        const VerticeRecorte& atual = poligono.cantos[static_cast<std::size_t>(k)];
        const VerticeRecorte& seguinte =
            poligono.cantos[static_cast<std::size_t>((k + 1) % poligono.quant)];
        const bool atualDentro = dentro(atual);
        const bool seguinteDentro = dentro(seguinte);
        if (atualDentro) {
            saida.cantos[static_cast<std::size_t>(saida.quant++)] = atual;
        }
        if (atualDentro != seguinteDentro) {
            saida.cantos[static_cast<std::size_t>(saida.quant++)] =
                atualDentro ? cortar(atual, seguinte) : cortar(seguinte, atual);
        }
    }
    poligono = saida;
}

bool finito(const VerticeRecorte& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool seguro(const VerticeRecorte& v) {
    return std::fabs(v.x) < kLimiteSeguro && std::fabs(v.y) < kLimiteSeguro;
}

// Screen-side clipping against one side of the guard rectangle: along a screen edge 1/cn and
// colour/cn vary linearly, so those are interpolated and the colour recovered from them.
template <bool kEixoX>
VerticeRecorte cortarNaTela(const VerticeRecorte& dentro, const VerticeRecorte& fora,
                            double limite) {
    const double de = kEixoX ? dentro.x : dentro.y;
    const double fo = kEixoX ? fora.x : fora.y;
    const double s = (limite - de) / (fo - de);
    VerticeRecorte v;
    v.x = kEixoX ? limite : dentro.x + s * (fora.x - dentro.x);
    v.y = kEixoX ? dentro.y + s * (fora.y - dentro.y) : limite;
    v.z = dentro.z + s * (fora.z - dentro.z);
    v.r = (dentro.r * dentro.z + s * (fora.r * fora.z - dentro.r * dentro.z)) / v.z;
    v.g = (dentro.g * dentro.z + s * (fora.g * fora.z - dentro.g * dentro.z)) / v.z;
    v.b = (dentro.b * dentro.z + s * (fora.b * fora.z - dentro.b * dentro.z)) / v.z;
    return v;
}

VerticeTela paraTela(const VerticeRecorte& v) { return VerticeTela{v.x, v.y, v.z, v.r, v.g, v.b}; }

// The part of a triangle that needs clipping, as a convex polygon in screen coordinates (x, y,
// 1/cn) whose corners all lie within kLimiteSeguro; empty when nothing of it can be seen.
// `t` names the world points of the corners, whose colours are in a, b and c.
Poligono poligonoRecortado(const Camera& camera, const Projecao& projecao, const Ponto* pontos,
                           const Triangulo& t, const VerticeTela& a, const VerticeTela& b,
                           const VerticeTela& c) {
    Poligono p;
    for (const auto& [indice, v] :
         {std::pair<int, const VerticeTela&>{t.indiceP1, a}, {t.indiceP2, b}, {t.indiceP3, c}}) {
        const Vetor coordenadas = camera.coordenadas(pontos[indice]);
        p.cantos[static_cast<std::size_t>(p.quant++)] = {
            coordenadas.x, coordenadas.y, coordenadas.z, v.r, v.g, v.b};
    }
    for (int k = 0; k < p.quant; ++k) {
        if (!finito(p.cantos[static_cast<std::size_t>(k)])) {
            return Poligono{};
        }
    }
    // Near plane, in camera space, where colours vary linearly along an edge.
    const double zPerto = projecao.zPerto;
    recortar(
        p, [zPerto](const VerticeRecorte& v) { return v.z >= zPerto; },
        [zPerto](const VerticeRecorte& dentro, const VerticeRecorte& fora) {
            const double t = (zPerto - dentro.z) / (fora.z - dentro.z);
            return VerticeRecorte{dentro.x + t * (fora.x - dentro.x),
                                  dentro.y + t * (fora.y - dentro.y),
                                  zPerto,
                                  dentro.r + t * (fora.r - dentro.r),
                                  dentro.g + t * (fora.g - dentro.g),
                                  dentro.b + t * (fora.b - dentro.b)};
        });
    bool todosSeguros = true;
    for (int k = 0; k < p.quant; ++k) {
        VerticeRecorte& v = p.cantos[static_cast<std::size_t>(k)];
        v = VerticeRecorte{
            projecao.xTela(v.x, v.z), projecao.yTela(v.y, v.z), 1.0 / v.z, v.r, v.g, v.b};
        if (!finito(v)) {
            return Poligono{};
        }
        todosSeguros = todosSeguros && seguro(v);
    }
    if (!todosSeguros) {
        constexpr double kEsquerda = -kGuarda;
        constexpr double kDireita = kLargura + kGuarda;
        constexpr double kTopo = -kGuarda;
        constexpr double kBase = kAltura + kGuarda;
        recortar(
            p, [](const VerticeRecorte& v) { return v.x >= kEsquerda; },
            [](const VerticeRecorte& d, const VerticeRecorte& f) {
                return cortarNaTela<true>(d, f, kEsquerda);
            });
        recortar(
            p, [](const VerticeRecorte& v) { return v.x <= kDireita; },
            [](const VerticeRecorte& d, const VerticeRecorte& f) {
                return cortarNaTela<true>(d, f, kDireita);
            });
        recortar(
            p, [](const VerticeRecorte& v) { return v.y >= kTopo; },
            [](const VerticeRecorte& d, const VerticeRecorte& f) {
                return cortarNaTela<false>(d, f, kTopo);
            });
        recortar(
            p, [](const VerticeRecorte& v) { return v.y <= kBase; },
            [](const VerticeRecorte& d, const VerticeRecorte& f) {
                return cortarNaTela<false>(d, f, kBase);
            });
        for (int k = 0; k < p.quant; ++k) {
            const VerticeRecorte& v = p.cantos[static_cast<std::size_t>(k)];
            if (!finito(v) || !seguro(v)) {
                return Poligono{};
            }
        }
    }
    return p;
}

}  // namespace

Renderizador::Renderizador(const Malha& malha, const Iluminacao& iluminacao, int threads)
    : malha(malha), iluminacao(iluminacao), trabalhadores(threads) {
    // Points are renumbered in the order the triangles first name them: consecutive triangles
    // then read nearby records, and points no triangle names are left out of the vertex stage.
    const int triangulos = malha.getQuantTriangulos();
    std::vector<std::int32_t> novoIndice(static_cast<std::size_t>(malha.getQuantPontos()), -1);
    std::vector<int> ordem;
    indices.resize(static_cast<std::size_t>(triangulos) * 3);
    for (int i = 0; i < triangulos; ++i) {
        const Triangulo& t = malha.getTriangulos()[i];
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
    // The vertex stage then reads each point and its normal front to back.
    pontos.reserve(ordem.size());
    normais.reserve(ordem.size());
    comNormal.reserve(ordem.size());
    for (const int i : ordem) {
        const Vetor* normal = malha.getNormal(i);
        pontos.push_back(malha.getPontos()[i]);
        normais.push_back(normal != nullptr ? *normal : Vetor(0.0, 0.0, 0.0));
        comNormal.push_back(normal != nullptr ? 1 : 0);
    }
    vertices.resize(ordem.size());
    grossas.resize(ordem.size());
    exatas.resize(ordem.size());
    sobreviventes.resize(static_cast<std::size_t>(triangulos));
    quantLotes = (triangulos + kPorLote - 1) / kPorLote;
    contagem.resize(static_cast<std::size_t>(quantLotes) * kQuantFaixas);
    quantSobreviventes.resize(static_cast<std::size_t>(quantLotes));
    inicioFaixa.resize(kQuantFaixas + 1);
}

int Renderizador::getQuantThreads() const { return trabalhadores.getQuantidade(); }

void Renderizador::setEstilo(const Estilo& novo) { estilo = novo; }
const Estilo& Renderizador::getEstilo() const { return estilo; }

void Renderizador::desenharTriangulo(const Vetor& posicao0, double iz0, const Vetor& cor0,
                                     const Vetor& posicao1, double iz1, const Vetor& cor1,
                                     const Vetor& posicao2, double iz2, const Vetor& cor2,
                                     int linha0, int linha1, Quadro& quadro) {
    const auto vertice = [](const Vetor& posicao, double iz, const Vetor& cor) {
        return VerticeTela{posicao.x, posicao.y, iz, cor.x, cor.y, cor.z};
    };
    const VerticeTela a = vertice(posicao0, iz0, cor0);
    const VerticeTela b = vertice(posicao1, iz1, cor1);
    const VerticeTela c = vertice(posicao2, iz2, cor2);
    rasterizar(a, b, c, linha0, linha1, quadro, PintorGouraud(a, b, c));
}

void Renderizador::desenhar(const Camera& cameraAtual, const Projecao& projecaoAtual,
                            Quadro& quadroAtual) {
    camera = cameraAtual;
    projecao = projecaoAtual;
    quadro = &quadroAtual;
    luzAtual = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;

    auto vertices = [this](int lote) { processarVertices(lote); };
    trabalhadores.paraCada((static_cast<int>(pontos.size()) + kPorLote - 1) / kPorLote, vertices);
    auto classificar = [this](int lote) { classificarTriangulos(lote); };
    trabalhadores.paraCada(quantLotes, classificar);

    // Band-major runs: band 0's triangles from every batch in order, then band 1's, and so on.
    std::int64_t total = 0;
    for (int faixa = 0; faixa < kQuantFaixas; ++faixa) {
        inicioFaixa[static_cast<std::size_t>(faixa)] = total;
        for (int lote = 0; lote < quantLotes; ++lote) {
            std::int32_t& n = contagem[static_cast<std::size_t>(lote) * kQuantFaixas +
                                       static_cast<std::size_t>(faixa)];
            const std::int32_t quantos = n;
            n = static_cast<std::int32_t>(total);  // now where the batch's run starts
            total += quantos;
        }
    }
    inicioFaixa[kQuantFaixas] = total;
    if (static_cast<std::size_t>(total) > listas.size()) {
        listas.resize(static_cast<std::size_t>(total) + static_cast<std::size_t>(total) / 4);
    }
    auto distribuir = [this](int lote) { distribuirTriangulos(lote); };
    trabalhadores.paraCada(quantLotes, distribuir);
    auto faixas = [this](int faixa) { desenharFaixa(faixa); };
    trabalhadores.paraCada(kQuantFaixas, faixas);
    if (estilo.normais) {
        if (!agulhas) {
            agulhas.emplace(malha);
        }
        agulhas->desenhar(camera, projecao, *quadro, trabalhadores);
    }
    quadro = nullptr;
}

void Renderizador::processarVertices(int lote) {
    const int inicio = lote * kPorLote;
    const int fim = std::min(static_cast<int>(pontos.size()), inicio + kPorLote);
    const Ponto luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
    const Par zPerto(projecao.zPerto);
    const Par limite(kLimiteSeguro);
    const Par zero(0.0);
    const Par um(1.0);
    const Par nan(kNaN);
    // Two points at a time, sharing each division and square root; an odd last point is
    // worked out in both lanes and stored once.
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

        const Vetor& m0 = normais[k0];
        const Vetor& m1 = normais[k1];
        // Only Gouraud shading reads the points' colours.
        Par r(0.0);
        Par g(0.0);
        Par b(0.0);
        if (estilo.modo == Estilo::Modo::gouraud) {
            iluminacao.corDePar(px, py, pz, Par(m0.x, m1.x), Par(m0.y, m1.y), Par(m0.z, m1.z),
                                mascara(comNormal[k0] != 0, comNormal[k1] != 0), camera.foco, luz,
                                r, g, b);
        }

        for (int lane = 0; lane < 2 && k + lane < fim; ++lane) {
            const auto posicao = static_cast<std::size_t>(k + lane);
            VerticeTela& v = vertices[posicao];
            v = VerticeTela{xSeguro.lane(lane), ySeguro.lane(lane), iz.lane(lane),
                            r.lane(lane),       g.lane(lane),       b.lane(lane)};
            PosicaoGrossa& grossa = grossas[posicao];
            if (seguro.lane(lane)) {
                grossa = PosicaoGrossa{piso(v.x * kEscalaGrossa), piso(v.y * kEscalaGrossa)};
                exatas[posicao] = PosicaoExata{paraInteiro(v.x), paraInteiro(v.y)};
            } else {
                grossa = PosicaoGrossa{kMarca, frente.lane(lane) ? 0 : kMarca};
            }
        }
    }
}

std::pair<int, int> Renderizador::linhasRecortado(int i) const {
    int j0 = 0;
    int j1 = -1;
    const std::int32_t* canto = &indices[static_cast<std::size_t>(i) * 3];
    const Triangulo* triangulos = malha.getTriangulos();
    const Poligono p = poligonoRecortado(camera, projecao, malha.getPontos(), triangulos[i],
                                         vertices[static_cast<std::size_t>(canto[0])],
                                         vertices[static_cast<std::size_t>(canto[1])],
                                         vertices[static_cast<std::size_t>(canto[2])]);
    if (p.quant >= 3) {
        double minX = p.cantos[0].x;
        double maxX = minX;
        double minY = p.cantos[0].y;
        double maxY = minY;
        for (int k = 1; k < p.quant; ++k) {
            const VerticeRecorte& v = p.cantos[static_cast<std::size_t>(k)];
            minX = std::min(minX, v.x);
            maxX = std::max(maxX, v.x);
            minY = std::min(minY, v.y);
            maxY = std::max(maxY, v.y);
        }
        // A pixel of margin: the corners are rounded to 2^-48 pixel when drawn.
        const int i0 = std::max(0, static_cast<int>(std::floor(minX)) - 1);
        const int i1 = std::min(kLargura - 1, static_cast<int>(std::floor(maxX)) + 1);
        j0 = std::max(0, static_cast<int>(std::floor(minY)) - 1);
        j1 = std::min(kAltura - 1, static_cast<int>(std::floor(maxY)) + 1);
        if (i0 > i1) {
            j1 = -1;
        }
    }
    return {j0, j1};
}

std::int32_t Renderizador::pixelUnico(int i, int x, int y) const {
    const std::int32_t* canto = &indices[static_cast<std::size_t>(i) * 3];
    Cobertura cobertura;
    if (!cobertura.montar(exatas[static_cast<std::size_t>(canto[0])],
                          exatas[static_cast<std::size_t>(canto[1])],
                          exatas[static_cast<std::size_t>(canto[2])]) ||
        !cobertura.dentro(x, y)) {
        return kNenhumPixel;
    }
    return y * kLargura + x;
}

void Renderizador::classificarTriangulos(int lote) {
    const int inicio = lote * kPorLote;
    const int fim = std::min(malha.getQuantTriangulos(), inicio + kPorLote);
    std::int32_t* contagemLote = &contagem[static_cast<std::size_t>(lote) * kQuantFaixas];
    std::fill(contagemLote, contagemLote + kQuantFaixas, 0);
    // The batch's triangles that can draw something are listed, in file order, from the batch's
    // own first position on.
    Sobrevivente* saida = &sobreviventes[static_cast<std::size_t>(inicio)];
    int quantos = 0;
    // Lists triangle i, whose candidate pixels lie in [i0, i1] x [j0, j1] (not empty), unless it
    // has a single candidate that it does not cover.
    const auto registrar = [&](int i, int i0, int i1, int j0, int j1) {
        std::int32_t pixel = kVariosPixels;
        if (j0 == j1 && i0 == i1) {
            pixel = pixelUnico(i, i0, j0);
            if (pixel == kNenhumPixel) {
                return;
            }
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
        if (grossas[static_cast<std::size_t>(canto[0])].y == kMarca &&
            grossas[static_cast<std::size_t>(canto[1])].y == kMarca &&
            grossas[static_cast<std::size_t>(canto[2])].y == kMarca) {
            return;
        }
        const auto [j0, j1] = linhasRecortado(i);
        if (j0 <= j1) {
            // Its columns play no part: two of them keep it off the single-pixel test.
            registrar(i, 0, 1, j0, j1);
        }
    };
    int i = inicio;
#if defined(__SSE2__)
    // Four triangles at a time: their candidate boxes in four 32-bit lanes.
    const __m128i marca = _mm_set1_epi32(kMarca);
    const __m128i meioPixel = _mm_set1_epi32(kMeioPixelGrosso);
    const __m128i ultimaColuna = _mm_set1_epi32(kLargura - 1);
    const __m128i ultimaLinha = _mm_set1_epi32(kAltura - 1);
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
        const __m128i p = _mm_sub_epi32(_mm_setzero_si128(),
                                        _mm_srai_epi32(_mm_sub_epi32(meioPixel, v), kBitsGrossos));
        return _mm_andnot_si128(_mm_srai_epi32(p, 31), p);
    };
    const auto ultimo = [&](__m128i v, __m128i limite) {
        return menor(limite, _mm_srai_epi32(_mm_sub_epi32(v, meioPixel), kBitsGrossos));
    };
    const std::int64_t* posicoes = reinterpret_cast<const std::int64_t*>(grossas.data());
    // Corner k (0, 1, 2) of the four triangles: x in one vector, y in another.
    const auto canto4 = [&](const std::int32_t* c, int k, __m128i& x, __m128i& y) {
        const __m128i p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&posicoes[c[k]]));
        const __m128i p1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&posicoes[c[3 + k]]));
        const __m128i p2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&posicoes[c[6 + k]]));
        const __m128i p3 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&posicoes[c[9 + k]]));
        const __m128i p01 = _mm_unpacklo_epi32(p0, p1);  // x0 x1 y0 y1
        const __m128i p23 = _mm_unpacklo_epi32(p2, p3);  // x2 x3 y2 y3
        x = _mm_unpacklo_epi64(p01, p23);
        y = _mm_unpackhi_epi64(p01, p23);
    };
    alignas(16) std::int32_t i0[4];
    alignas(16) std::int32_t i1[4];
    alignas(16) std::int32_t j0[4];
    alignas(16) std::int32_t j1[4];
    for (; i + 4 <= fim; i += 4) {
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
                registrar(i + k, i0[k], i1[k], j0[k], j1[k]);
            }
        }
    }
#endif
    for (; i < fim; ++i) {
        const std::int32_t* canto = &indices[static_cast<std::size_t>(i) * 3];
        const PosicaoGrossa& a = grossas[static_cast<std::size_t>(canto[0])];
        const PosicaoGrossa& b = grossas[static_cast<std::size_t>(canto[1])];
        const PosicaoGrossa& c = grossas[static_cast<std::size_t>(canto[2])];
        if (a.x == kMarca || b.x == kMarca || c.x == kMarca) {
            recortado(i);
            continue;
        }
        const int c0 = primeiroPixelGrosso(std::min({a.x, b.x, c.x}));
        const int c1 = ultimoPixelGrosso(std::max({a.x, b.x, c.x}), kLargura);
        const int l0 = primeiroPixelGrosso(std::min({a.y, b.y, c.y}));
        const int l1 = ultimoPixelGrosso(std::max({a.y, b.y, c.y}), kAltura);
        if (c0 <= c1 && l0 <= l1) {
            registrar(i, c0, c1, l0, l1);
        }
    }
    quantSobreviventes[static_cast<std::size_t>(lote)] = quantos;
}

void Renderizador::distribuirTriangulos(int lote) {
    std::int32_t* proximo = &contagem[static_cast<std::size_t>(lote) * kQuantFaixas];
    const Sobrevivente* lista = &sobreviventes[static_cast<std::size_t>(lote) * kPorLote];
    const int quantos = quantSobreviventes[static_cast<std::size_t>(lote)];
    for (int k = 0; k < quantos; ++k) {
        const Sobrevivente& s = lista[k];
        const std::int32_t* canto = &indices[static_cast<std::size_t>(s.triangulo) * 3];
        for (int f = s.faixa0; f <= s.faixa1; ++f) {
            listas[static_cast<std::size_t>(proximo[f]++)] =
                Entrada{s.triangulo, canto[0], canto[1], canto[2], s.pixel};
        }
    }
}

void Renderizador::desenharFaixa(int faixa) {
    const int linha0 = faixa * kLinhasPorFaixa;
    const int linha1 = std::min(kAltura, linha0 + kLinhasPorFaixa);
    quadro->limpar(linha0, linha1);
    using Modo = Estilo::Modo;
    switch (estilo.modo) {
        case Modo::plano:
            estilo.arestas ? desenharTriangulos<Modo::plano, true>(faixa, linha0, linha1)
                           : desenharTriangulos<Modo::plano, false>(faixa, linha0, linha1);
            break;
        case Modo::gouraud:
            estilo.arestas ? desenharTriangulos<Modo::gouraud, true>(faixa, linha0, linha1)
                           : desenharTriangulos<Modo::gouraud, false>(faixa, linha0, linha1);
            break;
        case Modo::phong:
            estilo.arestas ? desenharTriangulos<Modo::phong, true>(faixa, linha0, linha1)
                           : desenharTriangulos<Modo::phong, false>(faixa, linha0, linha1);
            break;
    }
}

std::uint16_t Renderizador::corPlana(const Entrada& entrada) const {
    const Vetor cor = CorPlana::cor(
        iluminacao, pontos[static_cast<std::size_t>(entrada.a)],
        pontos[static_cast<std::size_t>(entrada.b)], pontos[static_cast<std::size_t>(entrada.c)],
        malha.getNormaisTriangulo()[entrada.triangulo], camera.foco, luzAtual);
    return empacotar(cor.x, cor.y, cor.z);
}

template <Estilo::Modo kModo, bool kArestas>
void Renderizador::desenharTriangulos(int faixa, int linha0, int linha1) {
    using Modo = Estilo::Modo;
    const Triangulo* triangulos = malha.getTriangulos();
    const std::int64_t fim = inicioFaixa[static_cast<std::size_t>(faixa) + 1];
    // The corners of the triangle kAdiante entries ahead are fetched while this one is drawn.
    constexpr std::int64_t kAdiante = 8;
    for (std::int64_t k = inicioFaixa[static_cast<std::size_t>(faixa)]; k < fim; ++k) {
        if (k + kAdiante < fim) {
            const Entrada& proxima = listas[static_cast<std::size_t>(k + kAdiante)];
            for (const std::int32_t canto : {proxima.a, proxima.b, proxima.c}) {
                __builtin_prefetch(&vertices[static_cast<std::size_t>(canto)]);
            }
        }
        const Entrada& entrada = listas[static_cast<std::size_t>(k)];
        const Triangulo& t = triangulos[entrada.triangulo];
        const VerticeTela& a = vertices[static_cast<std::size_t>(entrada.a)];
        const VerticeTela& b = vertices[static_cast<std::size_t>(entrada.b)];
        const VerticeTela& c = vertices[static_cast<std::size_t>(entrada.c)];
        const bool inteiro = entrada.pixel >= 0 || !precisaRecorte(a, b, c);
        // The mesh triangle's edges, whichever part of it is drawn.
        Arestas arestas;
        if constexpr (kArestas) {
            const Ponto* mundo = malha.getPontos();
            arestas = inteiro ? Arestas::doTriangulo(a.x, a.y, b.x, b.y, c.x, c.y)
                              : Arestas::doTrianguloNoEspaco(camera.coordenadas(mundo[t.indiceP1]),
                                                             camera.coordenadas(mundo[t.indiceP2]),
                                                             camera.coordenadas(mundo[t.indiceP3]),
                                                             projecao);
        }
        const auto comArestas = [&](const auto& pintor, const auto& desenho) {
            if constexpr (kArestas) {
                desenho(PintorComArestas<std::decay_t<decltype(pintor)>>{pintor, arestas});
            } else {
                desenho(pintor);
            }
        };
        std::uint16_t cor = 0;
        if constexpr (kModo == Modo::plano) {
            cor = corPlana(entrada);
        }
        // A corner of the Phong triangle: the world position and normal of a point.
        const auto cantoPhong = [this](std::int32_t ponto) {
            return SombreamentoPhong::Canto{pontos[static_cast<std::size_t>(ponto)],
                                            normais[static_cast<std::size_t>(ponto)]};
        };
        if (inteiro) {
            const auto desenho = [&](const auto& pintor) {
                using Pintor = std::decay_t<decltype(pintor)>;
                if (entrada.pixel < 0) {
                    rasterizar(a, b, c, linha0, linha1, *quadro, pintor);
                    return;
                }
                // Its one pixel, already known to be covered.
                Cobertura cobertura;
                cobertura.montar(exatas[static_cast<std::size_t>(entrada.a)],
                                 exatas[static_cast<std::size_t>(entrada.b)],
                                 exatas[static_cast<std::size_t>(entrada.c)]);
                const int y = entrada.pixel / kLargura;
                Sombreador<Pintor>(a, b, c, cobertura.area, pintor)
                    .pixel(entrada.pixel - y * kLargura, y, quadro->linhaCor(y),
                           quadro->linhaProfundidade(y));
            };
            if constexpr (kModo == Modo::gouraud) {
                comArestas(PintorGouraud(a, b, c), desenho);
            } else if constexpr (kModo == Modo::plano) {
                comArestas(PintorPlano{cor}, desenho);
            } else {
                const SombreamentoPhong::Canto ca = cantoPhong(entrada.a);
                const SombreamentoPhong::Canto cb = cantoPhong(entrada.b);
                const SombreamentoPhong::Canto cc = cantoPhong(entrada.c);
                const SombreamentoPhong phong(iluminacao, camera.foco, luzAtual, ca, cb, cc);
                comArestas(PintorPhong{phong}, desenho);
            }
            continue;
        }
        const Poligono p = poligonoRecortado(camera, projecao, malha.getPontos(), t, a, b, c);
        // For Phong, the same clipping twice more, carrying the corners' positions and then
        // their normals where the colours go: the same cuts, so the same polygon.
        Poligono posicoes;
        Poligono direcoes;
        if constexpr (kModo == Modo::phong) {
            const auto comValores = [](const VerticeTela& v, const auto& valor) {
                return VerticeTela{v.x, v.y, v.iz, valor.x, valor.y, valor.z};
            };
            const SombreamentoPhong::Canto ca = cantoPhong(entrada.a);
            const SombreamentoPhong::Canto cb = cantoPhong(entrada.b);
            const SombreamentoPhong::Canto cc = cantoPhong(entrada.c);
            posicoes = poligonoRecortado(camera, projecao, malha.getPontos(), t,
                                         comValores(a, ca.posicao), comValores(b, cb.posicao),
                                         comValores(c, cc.posicao));
            direcoes = poligonoRecortado(camera, projecao, malha.getPontos(), t,
                                         comValores(a, ca.normal), comValores(b, cb.normal),
                                         comValores(c, cc.normal));
        }
        for (int k2 = 1; k2 + 1 < p.quant; ++k2) {
            const std::size_t cantos[] = {0, static_cast<std::size_t>(k2),
                                          static_cast<std::size_t>(k2) + 1};
            const VerticeTela ta = paraTela(p.cantos[cantos[0]]);
            const VerticeTela tb = paraTela(p.cantos[cantos[1]]);
            const VerticeTela tc = paraTela(p.cantos[cantos[2]]);
            const auto desenho = [&](const auto& pintor) {
                rasterizar(ta, tb, tc, linha0, linha1, *quadro, pintor);
            };
            if constexpr (kModo == Modo::gouraud) {
                comArestas(PintorGouraud(ta, tb, tc), desenho);
            } else if constexpr (kModo == Modo::plano) {
                comArestas(PintorPlano{cor}, desenho);
            } else {
                SombreamentoPhong::Canto fan[3];
                for (int m = 0; m < 3; ++m) {
                    const VerticeRecorte& pos = posicoes.cantos[cantos[m]];
                    const VerticeRecorte& dir = direcoes.cantos[cantos[m]];
                    fan[m] = SombreamentoPhong::Canto{Ponto(pos.r, pos.g, pos.b),
                                                      Vetor(dir.r, dir.g, dir.b)};
                }
                const SombreamentoPhong phong(iluminacao, camera.foco, luzAtual, fan[0], fan[1],
                                              fan[2]);
                comArestas(PintorPhong{phong}, desenho);
            }
        }
    }
}
