#ifndef GOURAUD_IMPORTADOR_H
#define GOURAUD_IMPORTADOR_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "ModeloImportado.h"

namespace gouraud::detail {

// How a file is read with the import library: in a confined child process (the default), with
// its limits, or in this process, unconfined, for debugging.
struct Isolamento {
    static constexpr std::uint64_t kLimiteMemoriaPadrao = 2048;  // MiB
    static constexpr int kLimiteTempoPadrao = 30;                 // s
    static constexpr std::uint64_t kMenorLimiteMemoria = 64;
    static constexpr std::uint64_t kMaiorLimiteMemoria = std::uint64_t{1} << 20;
    static constexpr int kMaiorLimiteTempo = 86400;

    // False: the import library reads the file in this process, with no limit.
    bool ativo = true;
    // The child's address space, in MiB (kMenorLimiteMemoria to kMaiorLimiteMemoria); the
    // answer it writes is held to the same size.
    std::uint64_t limiteMemoria = kLimiteMemoriaPadrao;
    // The child's processor time and the time it may take by the clock, in seconds (1 to
    // kMaiorLimiteTempo).
    int limiteTempo = kLimiteTempoPadrao;
    // The child program; "" finds it (Importador::localizar).
    std::string programa;
    // Where an installation says it put the program (the installed headers' own word, which
    // programs linked with the installed library pass on); "" for none.
    std::string instalado;
};

// Reads mesh files with the import library as an Isolamento says. Confined, the file is read by
// the child program gouraud-importador, a program of this project started afresh for each file
// (posix_spawn, never a fork of a host that may run threads): before it reads anything it takes
// no new privileges, sets its limits (address space, processor time, no core file, a few open
// files, the answer's size), may open files only to read them and, where the kernel has
// Landlock, only under the model's folder, and loads a system call filter that stops it on any
// call a reader does not need. Its answer (Resposta) comes back in a sealed memory file and is
// checked before it is used; a child that crashes, overruns a limit, is stopped by the filter or
// answers badly gives one line naming the file. The child runs in a process group of its own,
// which is killed and reaped however the reading ends, so no process is left behind.
class Importador {
public:
    // The program's name.
    static constexpr const char* kPrograma = "gouraud-importador";
    // The variable that, when set, names the program (for tests and unusual installs).
    static constexpr const char* kVariavel = "GOURAUD_IMPORTADOR";

    // How a reading ended.
    struct Desfecho {
        // "" when the model was read; otherwise one line.
        std::string erro;
        // Whether `erro` is about the child (it crashed, overran a limit, answered badly, could
        // not start) and names the file; otherwise it is the library's own reason, without it.
        bool doProcesso = false;
    };

    // Reads the file `caminho` into `modelo`.
    [[nodiscard]] static Desfecho lerArquivo(const std::string& caminho,
                                             const Isolamento& isolamento,
                                             ModeloImportado& modelo);
    // Reads the `tamanho` bytes at `dados` (tamanho > 0) as a file of the extension `extensao`;
    // `nome` names them in the messages.
    [[nodiscard]] static Desfecho lerMemoria(const char* dados, std::size_t tamanho,
                                             const std::string& extensao,
                                             const std::string& nome,
                                             const Isolamento& isolamento,
                                             ModeloImportado& modelo);

    // The child program to start: isolamento.programa when given, else the program named by
    // $GOURAUD_IMPORTADOR, else the first that exists of gouraud-importador beside the binary
    // that holds this code (the program, or the shared object that links the library), in
    // ../libexec/gouraud from there, at isolamento.instalado, and in the libexec/gouraud folder
    // of the prefix the build was configured with. "" with the reason in `motivo` when there is
    // none.
    static std::string localizar(const Isolamento& isolamento, std::string& motivo);

    // "2 GiB", "300 MiB": a limit in MiB as the messages write it.
    static std::string textoMemoria(std::uint64_t mib);
};

}  // namespace gouraud::detail

#endif
