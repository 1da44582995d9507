#ifndef GOURAUD_PRIMITIVAS_H
#define GOURAUD_PRIMITIVAS_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Aparencia.h"
#include "Ponto.h"

namespace gouraud::detail {

// The points and the line segments of a model, beside its triangles, in file order: each point
// with its normal, its colour and its material when the file gives them, each segment with its
// two ends and the colour and material of its first vertex when the file gives them. What colour
// a point or a segment ends up with is CorObjeto's rule, as for a triangle's corner. Positions are
// world coordinates; positions, normals and colours are kept as the file gives them, in single
// precision (a position widens exactly to the double the renderer computes with), and the lists of
// normals and colours are empty until a point or a segment brings one. Points are never merged: two
// at one position are two points.
class Primitivas {
public:
    // Three single-precision numbers: a position or a normal (x, y, z), or a colour (r, g, b),
    // each channel 0..1 as the file gives it.
    struct Terno {
        float x;
        float y;
        float z;
    };

    // The normal of a point that has none (a zero normal counts as none).
    static Terno semNormal();
    // The colour of a point or a segment that has none (NaN channels: a channel that is not
    // finite means no colour).
    static Terno semCor();
    // Whether `cor` is a colour: all three channels finite.
    static bool temCor(const Terno& cor);
    // A position widened exactly to double.
    static Ponto ponto(const Terno& posicao);

    // Makes room for `pontos` points, with room for their normals and colours when asked.
    void reservarPontos(std::size_t pontos, bool comNormais, bool comCores);
    // Adds a point at `posicao`, with the normal and the colour given (null for none) and the
    // material numbered `material` among setMateriais' (-1 for none).
    void acrescentarPonto(const Terno& posicao, const Terno* normal, const Terno* cor,
                          std::int32_t material = -1);
    // Adds the segment from `inicio` to `fim`, with the colour and the material of its first
    // vertex (null and -1 for none).
    void acrescentarLinha(const Terno& inicio, const Terno& fim, const Terno* cor,
                          std::int32_t material = -1);
    // The materials the points and segments name.
    void setMateriais(std::vector<Aparencia::Material> materiais);

    // True when it holds neither points nor segments.
    bool vazia() const;
    int getQuantPontos() const;
    int getQuantLinhas() const;

    // Point i's position (0 <= i < getQuantPontos()), as the file gives it and widened.
    Terno getPosicao(int i) const;
    Ponto getPonto(int i) const;
    // The points' x, y and z, getQuantPontos() of each: one list per axis, so that several
    // points' coordinates are read at once.
    const float* getX() const;
    const float* getY() const;
    const float* getZ() const;
    // The points' normals: empty when no point has one, otherwise one per point (semNormal()
    // for a point without one).
    const std::vector<Terno>& getNormais() const;
    // The points' colours: empty when no point has one, otherwise one per point (semCor() for a
    // point without one).
    const std::vector<Terno>& getCores() const;
    // The segments' ends, two per segment: 2k is the start of segment k and 2k + 1 its end.
    const std::vector<Terno>& getExtremos() const;
    // The segments' colours (of their first vertices): empty when none has one, otherwise one
    // per segment (semCor() for one without).
    const std::vector<Terno>& getCoresLinhas() const;
    // The material of point i and of segment k (both in range), or null for none.
    const Aparencia::Material* getMaterialPonto(int i) const;
    const Aparencia::Material* getMaterialLinha(int k) const;

private:
    std::vector<float> x;
    std::vector<float> y;
    std::vector<float> z;
    std::vector<Terno> normais;
    std::vector<Terno> cores;
    std::vector<Terno> extremos;
    std::vector<Terno> coresLinhas;
    // The materials, and the one of each point and segment (empty when none has one).
    std::vector<Aparencia::Material> materiais;
    std::vector<std::int32_t> materiaisPontos;
    std::vector<std::int32_t> materiaisLinhas;
};

}  // namespace gouraud::detail

#endif
