#ifndef GOURAUD_CONFINAMENTO_H
#define GOURAUD_CONFINAMENTO_H

#include <cstdint>
#include <string>
#include <vector>

namespace gouraud::detail {

// What the child program (gouraud-importador) does to itself before it touches the file it
// reads, in this order:
//  1. no core file and no debugger's attachment by other programs (PR_SET_DUMPABLE 0);
//  2. limits: the address space (the memory limit), processor time (the time limit; a second
//     later the kernel kills it outright), the size of a file it writes (the memory limit: the
//     answer), no core file, 64 open files, no locked memory;
//  3. no new privileges (PR_SET_NO_NEW_PRIVS): nothing it starts could gain any, and it is what
//     lets an unprivileged process take the two steps below;
//  4. where the kernel has Landlock: files may be opened only to read them, and only under the
//     folders given (the model's folder); no TCP, no signals nor abstract sockets outside
//     itself where the kernel's version has those rules;
//  5. a seccomp filter (libseccomp) that lets through only the calls of reading files and
//     writing the answer (the list and the reason for each entry are in Confinamento.cpp and
//     docs/isolamento.md); any other call raises SIGSYS, whose handler writes the call's number
//     over the start of the answer and ends the process.
class Confinamento {
public:
    // The descriptor the answer is written to, the only one besides standard output and error
    // (both /dev/null) that may be written.
    static constexpr int kDescritorResposta = 3;
    // The status the child ends with once the filter has stopped a call.
    static constexpr int kSaidaFiltro = 99;

    // Applies the five steps, with an address space (and answer) of `memoria` bytes and
    // `segundos` of processor time, opening limited to reading under `pastas`. "" or the reason
    // it could not (then nothing must be read).
    [[nodiscard]] static std::string aplicar(std::uint64_t memoria, int segundos,
                                             const std::vector<std::string>& pastas);
};

}  // namespace gouraud::detail

#endif
