#ifndef GOURAUD_TESTS_GERADOR_CENA_H
#define GOURAUD_TESTS_GERADOR_CENA_H

#include <cstdint>
#include <string>

// Text of a reproducible random scene: `pontos` points with coordinates written with 17
// significant digits, `triangulos` triangles with indices in range, and a camera. The same seed
// always gives the same text. Requires pontos >= 1 when triangulos >= 1.
std::string gerarCena(std::uint64_t semente, int pontos, int triangulos);

#endif
