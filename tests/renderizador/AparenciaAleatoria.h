#ifndef GOURAUD_TESTES_APARENCIA_ALEATORIA_H
#define GOURAUD_TESTES_APARENCIA_ALEATORIA_H

#include <cstdint>
#include <memory>

#include "Aparencia.h"
#include "Gouraud.h"

namespace gouraud::detail {

// A look for every triangle of `cena`, the same for the same seed: per corner a colour (some
// corners none, some not finite), texture coordinates from -2 to 3 (some not finite), and one
// of five materials: none, a coloured one with a repeating texture, an uncoloured one with a
// clamped and mirrored one, the library's stand-in with a texture, and a plain coloured one.
// Corners at one point get different colours, so points split.
std::shared_ptr<const Aparencia> olharAleatorio(const Gouraud& cena, std::uint64_t semente);

}  // namespace gouraud::detail

#endif
