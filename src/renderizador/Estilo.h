#ifndef GOURAUD_ESTILO_H
#define GOURAUD_ESTILO_H

#include <optional>
#include <string>
#include <string_view>

#include "Quadro.h"
#include "gouraud/Opcoes.h"

namespace gouraud::detail {

// How a renderer draws a mesh: the shading mode, whether the mesh's edges and the scene's
// normals (as needles) are drawn over the picture, whether the file's own colours and textures
// are used (otherwise every triangle, point and line has the lighting settings' object colour),
// the size and shape of the loose points; and the picture it makes of them: 16 or 24 bits of
// colour, K x K samples a pixel, eye-dome lighting, and the background (Acabamento).
struct Estilo {
    // plano: one colour per triangle, lit at its centroid with its own normal; gouraud: colours
    // lit at the points and interpolated; phong: lit at every pixel with interpolated normals.
    using Modo = gouraud::Modo;

    // The side of a point's square in pixels: from kMenorPonto to kMaiorPonto, kPontoPadrao
    // unless set.
    static constexpr int kMenorPonto = 1;
    static constexpr int kMaiorPonto = 16;
    static constexpr int kPontoPadrao = 3;
    using FormaPonto = gouraud::FormaPonto;
    // K, the samples a pixel along each axis; the eye-dome lighting's radius and strength.
    static constexpr int kMaisAmostras = 4;
    static constexpr int kMaiorRaioEdl = 8;
    static constexpr double kMaiorForcaEdl = 100.0;

    Modo modo = Modo::gouraud;
    bool arestas = false;
    bool normais = false;
    bool cores = true;
    int tamanhoPonto = kPontoPadrao;
    FormaPonto formaPonto = FormaPonto::quadrado;
    // 24: the 8-bit channels as the lighting floors them; 16: packed as the 16-bit screen.
    bool bits24 = false;
    int amostras = 1;
    bool edl = false;
    int raioEdl = 1;
    double forcaEdl = 2.0;
    // The background's channels (alpha ignored), or none.
    Canais fundo = 0;
    bool transparente = false;

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
    // What the picture asks for beyond today's, e.g. "24 bits, aa 2, edl"; "" for none.
    std::string descricaoImagem() const;
    // The K after `amostras` in the cycle 1 -> 2 -> 3 -> 4 -> 1, passing over those whose
    // picture of largura x altura would be too large to draw (problemaAmostras).
    static int amostrasSeguintes(int amostras, int largura, int altura);
    // Why K samples a pixel cannot draw a picture of largura x altura ("" when they can): its
    // K.largura x K.altura samples are at most Quadro::kMaiorLado on a side.
    static std::string problemaAmostras(int amostras, int largura, int altura);
};

}  // namespace gouraud::detail

#endif
