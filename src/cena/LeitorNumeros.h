#pragma once

#include <cstddef>

namespace gouraud::detail {

// Extracts ints and doubles from a character range exactly as formatted stream extraction
// (`std::istream >> int`, `std::istream >> double`, classic "C" locale, default flags) would,
// without building a stream. The only deliberate difference: a failed read stores 0.
class LeitorNumeros {
public:
    // Reads numbers from the characters [inicio, fim); the range is only read, never past fim.
    LeitorNumeros(const char* inicio, const char* fim);

    // Extracts one int as `stream >> int` would. On failure stores 0, returns false, and every
    // later read also fails storing 0 (the stream has stopped).
    bool lerInteiro(int& valor);

    // Extracts one double as `stream >> double` would (bit-identical, -0.0 included), same failure
    // rule; overflow fails, underflow yields the rounded (possibly zero) value.
    bool lerReal(double& valor);

    // True once an extraction has failed.
    bool falhou() const;

    // Number of characters not consumed yet (fim - current position); after a failed read it
    // counts from the point where the stream's failed extraction stopped.
    std::size_t restante() const;

    // Where the next read would take its first character: the current position past any white
    // space, or fim when only white space remains. Reads nothing.
    const char* inicioProximoNumero() const;

private:
    const char* atual;
    const char* fim;
    bool parado;
};

}  // namespace gouraud::detail
