#ifndef GOURAUD_INJETOR_FALHAS_H
#define GOURAUD_INJETOR_FALHAS_H

#include <string>

#include "ModeloImportado.h"

namespace gouraud::detail {

// The faults a test build of the child program (gouraud-importador-falhas, compiled with
// GOURAUD_INJETOR_FALHAS; never installed) makes on purpose, once it is confined, to show what
// the parent and the confinement do with a hostile reading. The fault is named by the variable
// GOURAUD_FALHA or, when that is not set, by "gouraud-falha:NAME" among the first 256 bytes of
// the model (so that a file can turn hostile while a window shows it):
//   segv       a segmentation fault
//   laco       an endless loop
//   memoria    an allocation of 10 GiB
//   socket     opening a socket
//   exec       executing a program
//   escrita    writing a file in /tmp
//   ptrace     asking to be traced
//   truncada   an answer cut in half
//   indice     an answer with a vertex number past the end of its mesh
class InjetorFalhas {
public:
    // Reads which fault to make, for the model `caminho` ("" for bytes in memory at `dados`,
    // `tamanho` of them).
    InjetorFalhas(const std::string& caminho, const char* dados, std::size_t tamanho);

    // Makes the faults that stand for a hostile reading; returns when there is none such.
    void antesDeLer() const;
    // Spoils `modelo` for the fault `indice`.
    void estragar(ModeloImportado& modelo) const;
    // How many bytes of an answer of `tamanho` bytes get written.
    std::size_t bytesEscritos(std::size_t tamanho) const;

private:
    std::string falha;
};

}  // namespace gouraud::detail

#endif
