#ifndef GOURAUD_ELEMENTARES_H
#define GOURAUD_ELEMENTARES_H

namespace gouraud::detail {

// The base-2 logarithm and the exponential that the eye-dome lighting uses, worked out with the
// four operations of double alone, in a fixed order (no fused multiply-add, no library call), so
// they give the same bits on every machine; the system's own functions choose among variants by
// processor and may differ in the last bit. Each is within a few units in the last place of the
// exact value.
class Elementares {
public:
    // log2 x for a positive, finite x: x = m 2^e with m in [sqrt(2)/2, sqrt(2)), f = (m - 1) /
    // (m + 1), ln m = 2 f (1 + f^2/3 + f^4/5 + ... + f^22/23) by Horner's rule, and e + ln m /
    // ln 2.
    static double log2(double x);
    // e^y for y <= 709 (0 below -745; infinity above 709): y = k ln 2 + r with k = floor(y / ln 2 +
    // 0.5) and r = (y - k ln2hi) - k ln2lo, e^r by its Taylor series to r^13/13! by Horner's rule,
    // times 2^k.
    static double exp(double y);
};

}  // namespace gouraud::detail

#endif
