#ifndef GOURAUD_ARQUIVO_H
#define GOURAUD_ARQUIVO_H

#include <fstream>
#include <functional>
#include <string>

namespace gouraud::detail {

// Opening the files the programs read, and writing the files they make, with the system's reason
// when one cannot be read or written.
class Arquivo {
public:
    // What writes a file's contents into an open descriptor: "" once all is written, otherwise
    // the reason it failed. It must not close the descriptor.
    using Escritor = std::function<std::string(int descritor)>;

    // Opens `nome` for reading, in binary, into `arquivo`; the reason it cannot be ("Is a
    // directory", "No such file or directory", ...), or "" when it is open.
    [[nodiscard]] static std::string abrir(const std::string& nome, std::ifstream& arquivo);
    // Writes `caminho` through `escrever`. A regular file (or a new one) is written to a
    // temporary file beside it that replaces it only once complete, so a failed write leaves no
    // partial file and the old one untouched; anything else that exists there (a device, a pipe)
    // is written in place, and a folder is refused. Returns "" on success, otherwise the reason
    // ("No such file or directory", or what `escrever` said).
    [[nodiscard]] static std::string gravar(const std::string& caminho, const Escritor& escrever);
};

}  // namespace gouraud::detail

#endif
