#ifndef GOURAUD_VISTA_PADRAO_H
#define GOURAUD_VISTA_PADRAO_H

#include <optional>
#include <string_view>

#include "Ponto.h"
#include "Vetor.h"
#include "gouraud/Opcoes.h"

namespace gouraud::detail {

// The camera a model gets when its file has none, or when a view is asked for: it stands 1.5
// diagonals from the centre of the model's bounding box and looks at it from the front, the
// right, the top or along the diagonal between them, upright for the model's up axis A. The
// front direction Fr is +z when A is along y or x, and -y when A is along z; the right direction
// is R = A x Fr.
class VistaPadrao {
public:
    // The model's up axis, as the library's options name it.
    using Cima = gouraud::Cima;
    // Where the camera stands: along Fr, R, A, or unit(Fr + R + A), as the library's options
    // name the views.
    using Lado = gouraud::Vista;

    // Distance from the centre to the focus, in diagonals of the bounding box; in units when the
    // diagonal is 0 (kUnidade stands in for it).
    static constexpr double kDiagonais = 1.5;
    static constexpr double kUnidade = 1.0;

    // The camera axis N (the direction it looks along, the opposite of where it stands), the
    // axis V as given to the scene (A; -Fr from the top), and the focus, world coordinates. V is
    // not yet orthogonal to N: the scene's camera construction does that.
    Vetor n;
    Vetor v;
    Ponto foco;

    // The view `lado` of a model whose bounding box has centre `centro` and diagonal `diagonal`,
    // upright for `cima`: focus = centro + (1.5 * diagonal) * direction, per axis (1.5 * 1 when
    // the diagonal is 0).
    static VistaPadrao calcular(Cima cima, Lado lado, const Ponto& centro, double diagonal);

    // The up axis named "+x", "-x", "+y", "-y", "+z" or "-z"; nullopt for anything else.
    static std::optional<Cima> lerCima(std::string_view nome);
    // The view named "frente", "direita", "topo" or "iso"; nullopt for anything else.
    static std::optional<Lado> lerLado(std::string_view nome);
};

}  // namespace gouraud::detail

#endif
