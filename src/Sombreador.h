#ifndef GOURAUD_SOMBREADOR_H
#define GOURAUD_SOMBREADOR_H

#include <cstdint>

#include "Cobertura.h"
#include "VerticeTela.h"

// Depth and colour, the step after coverage: what a covered pixel of a triangle shows.
//   In:  the triangle's three screen corners and twice its exact area (Cobertura::getArea), and
//        the pixels coverage found.
//   Out: at each, 1/cn interpolated linearly on the screen, iz = iz0 + b1(iz1 - iz0) +
//        b2(iz2 - iz0) with b1, b2 the screen-space weights of the second and third corners;
//        where iz is strictly greater than the stored depth, that depth becomes iz and the colour
//        c0 + (q1(c1 - c0) + q2(c2 - c0))/iz, q1 = b1 iz1, q2 = b2 iz2 (perspective-correct),
//        each channel floored to 0..255 and packed into 16 bits.
class Sombreador {
public:
    // For the triangle (a, b, c), which must outlive this object; `area` is the exact twice
    // signed area, whose sign the plain double one must share.
    Sombreador(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c, Int128 area);

    // Pixel (i, j), whose row's colours and depths are `cores` and `profundidades`.
    void pixel(int i, int j, std::uint16_t* cores, double* profundidades) const;
    // Every pixel of the run `pixels` of row j.
    void intervalo(int j, Intervalo pixels, std::uint16_t* cores, double* profundidades) const;

    // The 16-bit colour of three channels, each floored to 0..255 (a NaN gives 0).
    static std::uint16_t empacotar(double r, double g, double b);

private:
    // What pixel and intervalo do at one pixel.
    void pixelEm(int i, int j, std::uint16_t* cores, double* profundidades) const;

    const VerticeTela& a;
    const VerticeTela& b;
    const VerticeTela& c;
    double dx1, dy1, dx2, dy2, inversoArea;
    double diz1, diz2, dr1, dr2, dg1, dg2, db1, db2;
};

#endif
