#ifndef GOURAUD_LEITOR_ILUMINACAO_H
#define GOURAUD_LEITOR_ILUMINACAO_H

#include <istream>
#include <string>

#include "Iluminacao.h"

namespace gouraud::detail {

// Reads a lighting file: one setting per line, '#' starting a comment, blank lines ignored.
//   luz x y z            light position Pl (world coordinates, finite reals)
//   ambiente Ka r g b    Ka >= 0 and Ia, each channel in [0, 255]
//   difusa Kd r g b      Kd and Od, each in [0, 1]
//   especular Ks eta     Ks >= 0 and eta >= 0
//   cor_luz r g b        Il, each channel in [0, 255]
// Settings left out keep their defaults. The first problem (unknown word, missing, extra or
// malformed number, repeated setting, value out of range) makes the file invalid.
class LeitorIluminacao {
public:
    // Reads the whole stream; a stream that is not good at the start is invalid.
    explicit LeitorIluminacao(std::istream& entrada);

    // True when every line was understood.
    bool valido() const;
    // Empty when valid; otherwise one line naming the first problem, with its line and column,
    // e.g. "line 3, column 14: the red of cor_luz must be between 0 and 255".
    const std::string& getDiagnostico() const;
    // The defaults overridden by the file's settings; the defaults alone when invalid.
    const Iluminacao& getIluminacao() const;

    // Reads the lighting file `nome` into `iluminacao` (left as it was on failure); "" on
    // success, otherwise one line such as "cannot open the lighting file x.txt: No such file or
    // directory" or "x.txt: line 3, column 10: Ka of ambiente must not be negative".
    [[nodiscard]] static std::string lerArquivo(const std::string& nome, Iluminacao& iluminacao);

private:
    Iluminacao iluminacao;
    std::string diagnostico;
};

}  // namespace gouraud::detail

#endif
