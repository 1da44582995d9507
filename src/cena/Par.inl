// Inline definitions for Par.h: the pair's operations must compile to single instructions.
#include <cmath>

namespace gouraud::detail {

#if defined(__SSE2__)
inline Par::Par(double a) : v(_mm_set1_pd(a)) {}
inline Par::Par(double a, double b) : v(_mm_set_pd(b, a)) {}
inline Par::Par(__m128d registro) : v(registro) {}
inline double Par::lane(int i) const {
    return i == 0 ? _mm_cvtsd_f64(v) : _mm_cvtsd_f64(_mm_unpackhi_pd(v, v));
}
inline bool MascaraPar::lane(int i) const { return ((_mm_movemask_pd(v) >> i) & 1) != 0; }
inline Par operator+(Par a, Par b) { return Par(_mm_add_pd(a.v, b.v)); }
inline Par operator-(Par a, Par b) { return Par(_mm_sub_pd(a.v, b.v)); }
inline Par operator*(Par a, Par b) { return Par(_mm_mul_pd(a.v, b.v)); }
inline Par operator/(Par a, Par b) { return Par(_mm_div_pd(a.v, b.v)); }
inline Par operator-(Par a) { return Par(_mm_xor_pd(a.v, _mm_set1_pd(-0.0))); }
inline MascaraPar operator>(Par a, Par b) { return MascaraPar{_mm_cmpgt_pd(a.v, b.v)}; }
inline MascaraPar operator>=(Par a, Par b) { return MascaraPar{_mm_cmpge_pd(a.v, b.v)}; }
inline MascaraPar operator<(Par a, Par b) { return MascaraPar{_mm_cmplt_pd(a.v, b.v)}; }
inline MascaraPar operator&(MascaraPar a, MascaraPar b) { return MascaraPar{_mm_and_pd(a.v, b.v)}; }
inline Par raiz(Par a) { return Par(_mm_sqrt_pd(a.v)); }
inline Par absoluto(Par a) { return Par(_mm_andnot_pd(_mm_set1_pd(-0.0), a.v)); }
inline Par selecionar(MascaraPar m, Par seVerdade, Par seFalso) {
    return Par(_mm_or_pd(_mm_and_pd(m.v, seVerdade.v), _mm_andnot_pd(m.v, seFalso.v)));
}
inline bool algum(MascaraPar m) { return _mm_movemask_pd(m.v) != 0; }
inline MascaraPar mascara(bool a, bool b) {
    return MascaraPar{_mm_castsi128_pd(_mm_set_epi64x(b ? -1 : 0, a ? -1 : 0))};
}
#else
inline Par::Par(double a) : v{a, a} {}
inline Par::Par(double a, double b) : v{a, b} {}
inline double Par::lane(int i) const { return v[i]; }
inline bool MascaraPar::lane(int i) const { return v[i]; }
inline Par operator+(Par a, Par b) { return Par(a.v[0] + b.v[0], a.v[1] + b.v[1]); }
inline Par operator-(Par a, Par b) { return Par(a.v[0] - b.v[0], a.v[1] - b.v[1]); }
inline Par operator*(Par a, Par b) { return Par(a.v[0] * b.v[0], a.v[1] * b.v[1]); }
inline Par operator/(Par a, Par b) { return Par(a.v[0] / b.v[0], a.v[1] / b.v[1]); }
inline Par operator-(Par a) { return Par(-a.v[0], -a.v[1]); }
inline MascaraPar operator>(Par a, Par b) { return MascaraPar{{a.v[0] > b.v[0], a.v[1] > b.v[1]}}; }
inline MascaraPar operator>=(Par a, Par b) {
    return MascaraPar{{a.v[0] >= b.v[0], a.v[1] >= b.v[1]}};
}
inline MascaraPar operator<(Par a, Par b) { return MascaraPar{{a.v[0] < b.v[0], a.v[1] < b.v[1]}}; }
inline MascaraPar operator&(MascaraPar a, MascaraPar b) {
    return MascaraPar{{a.v[0] && b.v[0], a.v[1] && b.v[1]}};
}
inline Par raiz(Par a) { return Par(std::sqrt(a.v[0]), std::sqrt(a.v[1])); }
inline Par absoluto(Par a) { return Par(std::fabs(a.v[0]), std::fabs(a.v[1])); }
inline Par selecionar(MascaraPar m, Par seVerdade, Par seFalso) {
    return Par(m.v[0] ? seVerdade.v[0] : seFalso.v[0], m.v[1] ? seVerdade.v[1] : seFalso.v[1]);
}
inline bool algum(MascaraPar m) { return m.v[0] || m.v[1]; }
inline MascaraPar mascara(bool a, bool b) { return MascaraPar{{a, b}}; }
#endif

inline double raiz(double a) { return std::sqrt(a); }
inline double selecionar(bool mascara, double seVerdade, double seFalso) {
    return mascara ? seVerdade : seFalso;
}
inline bool algum(bool mascara) { return mascara; }

}  // namespace gouraud::detail
