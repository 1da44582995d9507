#ifndef GOURAUD_ARQUIVO_VIGIADO_H
#define GOURAUD_ARQUIVO_VIGIADO_H

#include <cstdint>
#include <string>

namespace gouraud::detail {

// A file watched for changes without reading it: one look is a stat of its size, modification
// time and identity (device and inode, so a file replaced by another shows too), and whether it
// is there at all.
class ArquivoVigiado {
public:
    // Takes the first look at `nome`.
    explicit ArquivoVigiado(std::string nome);

    // Looks again; true when something differs from the last look (the file changed, appeared
    // or went away).
    bool mudou();

    // The name as given.
    const std::string& getNome() const;

private:
    struct Estado {
        bool existe = false;
        std::uint64_t dispositivo = 0;
        std::uint64_t inode = 0;
        std::int64_t tamanho = 0;
        std::int64_t segundos = 0;
        std::int64_t nanossegundos = 0;
        bool operator==(const Estado&) const = default;
    };
    // The file as it is now.
    Estado olhar() const;

    std::string nome;
    Estado ultimo;
};

}  // namespace gouraud::detail

#endif
