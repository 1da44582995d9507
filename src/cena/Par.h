#ifndef GOURAUD_PAR_H
#define GOURAUD_PAR_H

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gouraud::detail {

// Two doubles worked on together, lane by lane, with exactly the arithmetic of two separate
// doubles: each operation is the same correctly rounded IEEE operation on each lane. On x86-64
// the pair is one SSE2 register, so that two points share each division and square root.
// Comparisons give a MascaraPar, all bits set in the lanes where they hold.
struct MascaraPar;

struct Par {
#if defined(__SSE2__)
    __m128d v;
#else
    double v[2];
#endif

    Par() = default;
    // Both lanes `a`.
    explicit Par(double a);
    // Lane 0 `a`, lane 1 `b`.
    Par(double a, double b);
#if defined(__SSE2__)
    // The register's two lanes.
    explicit Par(__m128d registro);
#endif
    // The value of lane i (0 or 1).
    double lane(int i) const;
};

struct MascaraPar {
#if defined(__SSE2__)
    __m128d v;
#else
    bool v[2];
#endif
    // Whether the condition holds in lane i (0 or 1).
    bool lane(int i) const;
};

Par operator+(Par a, Par b);
Par operator-(Par a, Par b);
Par operator*(Par a, Par b);
Par operator/(Par a, Par b);
// Flips the sign bit of each lane, as unary minus does on a double.
Par operator-(Par a);
MascaraPar operator>(Par a, Par b);
MascaraPar operator>=(Par a, Par b);
MascaraPar operator<(Par a, Par b);
MascaraPar operator&(MascaraPar a, MascaraPar b);
// Square root of each lane.
Par raiz(Par a);
// |a| in each lane.
Par absoluto(Par a);
// Per lane: seVerdade where the mask holds, seFalso elsewhere.
Par selecionar(MascaraPar mascara, Par seVerdade, Par seFalso);
// Whether the mask holds in either lane.
bool algum(MascaraPar mascara);
// The mask that holds in lane 0 when a does and in lane 1 when b does.
MascaraPar mascara(bool a, bool b);

// The same vocabulary for a single double, so that one template serves both.
double raiz(double a);
double selecionar(bool mascara, double seVerdade, double seFalso);
bool algum(bool mascara);

}  // namespace gouraud::detail

#include "Par.inl"

#endif
