#ifndef GOURAUD_ESTILO_H
#define GOURAUD_ESTILO_H

#include <optional>
#include <string>
#include <string_view>

#include "gouraud/Opcoes.h"

namespace gouraud::detail {

// How a renderer draws a mesh: the shading mode, whether the mesh's edges and the scene's
// normals (as needles) are drawn over the picture, whether the file's own colours and textures
// are used (otherwise every triangle, point and line has the lighting settings' object colour),
// and the size of the loose points.
struct Estilo {
    // plano: one colour per triangle, lit at its centroid with its own normal; gouraud: colours
    // lit at the points and interpolated; phong: lit at every pixel with interpolated normals.
    using Modo = gouraud::Modo;

    // The side of a point's square in pixels: from kMenorPonto to kMaiorPonto, kPontoPadrao
    // unless set.
    static constexpr int kMenorPonto = 1;
    static constexpr int kMaiorPonto = 16;
    static constexpr int kPontoPadrao = 3;

    Modo modo = Modo::gouraud;
    bool arestas = false;
    bool normais = false;
    bool cores = true;
    int tamanhoPonto = kPontoPadrao;

    // The mode named `nome` as the options write it ("plano", "gouraud" or "phong"), or nullopt.
    static std::optional<Modo> lerModo(std::string_view nome);
    // The name of a mode as the options write it.
    static const char* nomeDoModo(Modo modo);
    // The mode after `modo` in the cycle plano -> gouraud -> phong -> plano.
    static Modo modoSeguinte(Modo modo);
    // The point size `tamanho` made one pixel larger (passo 1) or smaller (passo -1), kept
    // within [kMenorPonto, kMaiorPonto].
    static int pontoSeguinte(int tamanho, int passo);
    // The mode's name and the switches that are on, e.g. "phong, edges, normals", followed by
    // "colours off" when the file's colours are not used.
    std::string descricao() const;
};

}  // namespace gouraud::detail

#endif
