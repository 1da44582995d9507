#ifndef GOURAUD_ILUMINACAO_H
#define GOURAUD_ILUMINACAO_H

#include "Par.h"
#include "Ponto.h"
#include "Vetor.h"

namespace gouraud::detail {

// The Phong illumination model evaluated at a vertex, with its settings. Colours are triples
// (r, g, b) held in a Vetor as (x, y, z). A default-constructed object holds the defaults:
// a headlight at the focus, Ka 0.2 with Ia (255, 255, 255), Kd 0.8 with Od (0.9, 0.75, 0.55),
// Ks 0.35 with exponent 16, and light colour Il (255, 255, 255).
class Iluminacao {
public:
    // True while the light sits at the camera focus (no `luz` setting); then `luz` is unused.
    bool luzNoFoco = true;
    // Light position Pl in world coordinates, when luzNoFoco is false.
    Ponto luz;
    // Ambient coefficient Ka (>= 0) and ambient intensity Ia (each channel in [0, 255]).
    double ka;
    Vetor ia;
    // Diffuse coefficient Kd and object colour Od, each in [0, 1].
    double kd;
    Vetor od;
    // Specular coefficient Ks (>= 0) and exponent eta (>= 0).
    double ks;
    double eta;
    // Light intensity Il, each channel in [0, 255].
    Vetor il;

    // The default settings.
    Iluminacao();

    // Colour of a world-space vertex p seen from the focus `foco` and lit from `posicaoLuz`:
    // I = Ka.Ia + Kd.Od.Il.(N.L) + Ks.Il.(R.Vv)^eta per channel, with L = unit(Pl - p),
    // Vv = unit(F - p), R = 2(N.L)N - L; the diffuse term only when N.L > 0, the specular only
    // when N.L > 0 and R.Vv > 0. `normal` is a unit vector, reversed when N.(F - p) < 0, or
    // nullptr for a point without a normal (ambient only). Each channel clamped to [0, 255].
    Vetor corDoVertice(const Ponto& p, const Vetor* normal, const Ponto& foco,
                       const Ponto& posicaoLuz) const;
    // The same with the object colour `od` (each channel in [0, 1]) in place of the settings'
    // Od: the diffuse term is ((Kd.Od).Il).(N.L) per channel.
    Vetor corDoVertice(const Ponto& p, const Vetor* normal, const Ponto& foco,
                       const Ponto& posicaoLuz, const Vetor& od) const;
    // The formula's two parts at p, as corDoVertice has them, unclamped, for an object colour
    // known only later: e = Ka.Ia + Ks.Il.(R.Vv)^eta and d = Kd.Il.(N.L) per channel, each term
    // only where corDoVertice counts it (d zero, e Ka.Ia without a normal). The colour for
    // Od is then e + Od.d.
    void partesDoVertice(const Ponto& p, const Vetor* normal, const Ponto& foco,
                         const Ponto& posicaoLuz, Vetor& e, Vetor& d) const;
    // The parts of four vertices at once in AVX2 lanes, each lane exactly as partesDoVertice:
    // positions (px, py, pz) and unit normals (nx, ny, nz), four of each, the normal counting
    // only where temNormal[k] holds; channel c of E goes to e[c] and of D to d[c], four values
    // each. Only where quatroDisponivel().
    void partesDeQuatro(const double* px, const double* py, const double* pz, const double* nx,
                        const double* ny, const double* nz, const bool* temNormal,
                        const Ponto& foco, const Ponto& posicaoLuz, double* const* e,
                        double* const* d) const;
    // Colour at a world-space point p whose normal lies along `normal`, of any length: the
    // normal made unit length (each component times 1/sqrt((x.x + y.y) + z.z)), then as
    // corDoVertice; Ka.Ia alone when it is zero or its unit vector is not finite.
    Vetor corNoPonto(const Ponto& p, const Vetor& normal, const Ponto& foco,
                     const Ponto& posicaoLuz) const;
    // The same with the object colour `od` in place of the settings' Od.
    Vetor corNoPonto(const Ponto& p, const Vetor& normal, const Ponto& foco,
                     const Ponto& posicaoLuz, const Vetor& od) const;
    // The unit normal corNoPonto lights the point p with: `normal` made unit length as there,
    // then reversed when it faces away from the focus (N.(F - P) < 0), as the lighting turns
    // it; false, `unitaria` untouched, when it lights with none (a zero normal, or one whose
    // unit vector is not finite).
    static bool normalIluminada(const Ponto& p, const Vetor& normal, const Ponto& foco,
                                Vetor& unitaria);
    // The colours of two vertices at once, each lane exactly as corDoVertice: positions
    // (px, py, pz) and unit normals (nx, ny, nz), the normal counting only where temNormal
    // holds. The channels go to r, g and b.
    void corDePar(Par px, Par py, Par pz, Par nx, Par ny, Par nz, MascaraPar temNormal,
                  const Ponto& foco, const Ponto& posicaoLuz, Par& r, Par& g, Par& b) const;
    // The same with each vertex's object colour (odR, odG, odB) in place of the settings' Od,
    // each lane exactly as corDoVertice with that colour.
    void corDePar(Par px, Par py, Par pz, Par nx, Par ny, Par nz, MascaraPar temNormal, Par odR,
                  Par odG, Par odB, const Ponto& foco, const Ponto& posicaoLuz, Par& r, Par& g,
                  Par& b) const;
    // Whether this processor can run corDeQuatro (it has AVX2).
    static bool quatroDisponivel();
    // The colours of four vertices at once in AVX2 lanes, each lane exactly as corDoVertice:
    // positions (px, py, pz) and unit normals (nx, ny, nz), four of each, the normal counting
    // only where temNormal[k] holds; the channels go to r, g and b, four of each. Only where
    // quatroDisponivel().
    void corDeQuatro(const double* px, const double* py, const double* pz, const double* nx,
                     const double* ny, const double* nz, const bool* temNormal, const Ponto& foco,
                     const Ponto& posicaoLuz, double* r, double* g, double* b) const;
    // The same with each vertex's object colour, four channels each at odR, odG and odB, in
    // place of the settings' Od. Only where quatroDisponivel().
    void corDeQuatro(const double* px, const double* py, const double* pz, const double* nx,
                     const double* ny, const double* nz, const bool* temNormal, const double* odR,
                     const double* odG, const double* odB, const Ponto& foco,
                     const Ponto& posicaoLuz, double* r, double* g, double* b) const;
};

}  // namespace gouraud::detail

#endif
