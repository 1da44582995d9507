#ifndef GOURAUD_TESTS_GERADOR_CENA_H
#define GOURAUD_TESTS_GERADOR_CENA_H

#include <cstdint>
#include <memory>
#include <string>

#include "Gouraud.h"

namespace gouraud::detail {

// Text of a reproducible random scene: `pontos` points with coordinates written with 17
// significant digits, `triangulos` triangles with indices in range, and a camera. The same seed
// always gives the same text. Requires pontos >= 1 when triangulos >= 1.
std::string gerarCena(std::uint64_t semente, int pontos, int triangulos);

// The scene that `texto` holds, loaded as the program loads a file, without the loader's marker
// line on standard output.
std::unique_ptr<Gouraud> carregarCena(const std::string& texto);

}  // namespace gouraud::detail

#endif
