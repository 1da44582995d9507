#ifndef GOURAUD_COR_PRIMITIVA_H
#define GOURAUD_COR_PRIMITIVA_H

#include <cstdint>

#include "Aparencia.h"
#include "Iluminacao.h"
#include "Ponto.h"
#include "Primitivas.h"
#include "Quadro.h"
#include "Vetor.h"

namespace gouraud::detail {

// The colour of a loose point or a line segment: where its object colour Od comes from, and how
// it is lit. Colours are triples (r, g, b) held in a Vetor; a lit colour is given as the frame's
// 8-bit channels (Canais, drawn), which Quadro::empacotar packs into its 16-bit one.
class CorPrimitiva {
public:
    // The object colour Od of a point, or of a segment's first vertex, whose colour in the file
    // is `cor` and whose material is `material` (null for none): with the file's colours on,
    // CorObjeto's rule, as for a triangle's corner without a texture (the product of the
    // colour and the material's colour that count, else the lighting settings' Od); with them
    // off, the lighting settings' Od.
    static Vetor od(const Primitivas::Terno* cor, const Aparencia::Material* material,
                    const Iluminacao& iluminacao, bool coresDoArquivo);
    // Ka.Ia + Kd.Od.Il per channel (lit head-on, no specular), each channel clamped to 0..255
    // and floored.
    static Canais deFrente(const Vetor& od, const Iluminacao& iluminacao);
    // The lighting formula with the object colour `od` at the world point p, whose normal in the
    // file is `normal` (of any length), seen from `foco` and lit from `luz`: the normal made unit
    // length (each component times 1/sqrt((x.x + y.y) + z.z)) and turned towards the focus, as
    // Iluminacao::corDoVertice with that Od; deFrente when the normal is zero or its unit vector
    // is not finite. Clamped and floored.
    static Canais iluminada(const Ponto& p, const Primitivas::Terno& normal, const Vetor& od,
                            const Iluminacao& iluminacao, const Ponto& foco, const Ponto& luz);
};

}  // namespace gouraud::detail

#endif
