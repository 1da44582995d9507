#include "Sombreador.h"

#include "Quadro.h"

namespace {

constexpr double kCanalMaximoReal = 255.0;
// 2^-96: twice an exact area, in 2^-96 square pixel, in square pixels.
constexpr double kInversoEscalaArea = 1.0 / 281474976710656.0 / 281474976710656.0;

// The channel floored to 0..255; a NaN gives 0. Written as two selections, without branches.
int canal(double valor) {
    const double positivo = 0.0 < valor ? valor : 0.0;
    const double limitado = kCanalMaximoReal < positivo ? kCanalMaximoReal : positivo;
    return static_cast<int>(limitado);
}

}  // namespace

std::uint16_t Sombreador::empacotar(double r, double g, double b) {
    return Quadro::empacotar(canal(r), canal(g), canal(b));
}

Sombreador::Sombreador(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c,
                       Int128 area)
    : a(a),
      b(b),
      c(c),
      dx1(b.x - a.x),
      dy1(b.y - a.y),
      dx2(c.x - a.x),
      dy2(c.y - a.y),
      diz1(b.iz - a.iz),
      diz2(c.iz - a.iz),
      dr1(b.r - a.r),
      dr2(c.r - a.r),
      dg1(b.g - a.g),
      dg2(c.g - a.g),
      db1(b.b - a.b),
      db2(c.b - a.b) {
    // Twice the signed area in plain double; in the rare sliver where cancellation leaves it 0
    // or of the wrong sign, the exact area (rounded once) takes its place.
    double areaDupla = dx1 * dy2 - dy1 * dx2;
    if (!(area > 0 ? areaDupla > 0 : areaDupla < 0)) {
        areaDupla = static_cast<double>(area) * kInversoEscalaArea;
    }
    inversoArea = 1.0 / areaDupla;
}

void Sombreador::pixel(int i, int j, std::uint16_t* cores, double* profundidades) const {
    pixelEm(i, j, cores, profundidades);
}

void Sombreador::intervalo(int j, Intervalo pixels, std::uint16_t* cores,
                           double* profundidades) const {
    for (int i = pixels.inicio; i <= pixels.fim; ++i) {
        pixelEm(i, j, cores, profundidades);
    }
}

inline void Sombreador::pixelEm(int i, int j, std::uint16_t* cores, double* profundidades) const {
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
        cores[i] = empacotar(a.r + (q1 * dr1 + q2 * dr2) * s, a.g + (q1 * dg1 + q2 * dg2) * s,
                             a.b + (q1 * db1 + q2 * db2) * s);
    }
}
