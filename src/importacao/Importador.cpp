#include "Importador.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <seccomp.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "ExtracaoAssimp.h"
#include "Resposta.h"

extern char** environ;

namespace gouraud::detail {

namespace {

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

// Where the answer and the bytes to read reach the child; it closes every other descriptor
// above standard error.
constexpr int kDescritorResposta = 3;
constexpr int kDescritorEntrada = 4;
// Descriptors handed to the child are first moved at least this high, so that placing one at 3
// or 4 never overwrites the other.
constexpr int kDescritorAlto = 10;
// How often the clock is looked at where the kernel cannot tell when a process ends.
constexpr std::chrono::milliseconds kEsperaSemPidfd{1};

std::string erroSistema() { return std::strerror(errno); }

// A file descriptor, closed when it goes.
class Descritor {
public:
    Descritor() = default;
    explicit Descritor(int fd) : fd(fd) {}
    Descritor(const Descritor&) = delete;
    Descritor& operator=(const Descritor&) = delete;
    ~Descritor() {
        if (fd >= 0) {
            close(fd);
        }
    }
    int get() const { return fd; }

private:
    int fd = -1;
};

// A read-only mapping of a whole file, unmapped when it goes.
class Mapa {
public:
    Mapa(int fd, std::size_t tamanho) : tamanho(tamanho) {
        if (tamanho > 0) {
            void* p = mmap(nullptr, tamanho, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            dados = p == MAP_FAILED ? nullptr : static_cast<const unsigned char*>(p);
        }
    }
    Mapa(const Mapa&) = delete;
    Mapa& operator=(const Mapa&) = delete;
    ~Mapa() {
        if (dados != nullptr) {
            munmap(const_cast<unsigned char*>(dados), tamanho);
        }
    }
    bool ok() const { return tamanho == 0 || dados != nullptr; }
    const unsigned char* get() const { return dados; }

private:
    const unsigned char* dados = nullptr;
    std::size_t tamanho;
};

// A memory file, its descriptor moved above kDescritorAlto; -1 on failure.
int arquivoMemoria(const char* nome) {
    const int fd = static_cast<int>(memfd_create(nome, MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (fd < 0) {
        return -1;
    }
    const int alto = fcntl(fd, F_DUPFD_CLOEXEC, kDescritorAlto);
    close(fd);
    return alto;
}

// The child's environment: the host's, with jemalloc (which the child allocates with) told to
// back its memory with transparent huge pages when the file is large. The import library's
// allocations for a large mesh otherwise cost a page fault per 4 KiB, a third of the child's
// time on a glb of a million triangles; for a small file the huge pages' zeroing costs more than
// it saves.
constexpr std::string_view kAjustes = "MALLOC_CONF=";
constexpr std::string_view kPaginasGrandes = "thp:always";
constexpr std::uint64_t kArquivoGrande = std::uint64_t{4} << 20;

std::vector<std::string> ambienteDoFilho(std::uint64_t tamanho) {
    std::vector<std::string> ambiente;
    bool ajustado = tamanho < kArquivoGrande;
    for (char** v = environ; v != nullptr && *v != nullptr; ++v) {
        std::string variavel = *v;
        if (!ajustado && variavel.starts_with(kAjustes)) {
            variavel += (variavel.size() > kAjustes.size() ? "," : "") + std::string(kPaginasGrandes);
            ajustado = true;
        }
        ambiente.push_back(std::move(variavel));
    }
    if (!ajustado) {
        ambiente.push_back(std::string(kAjustes) + std::string(kPaginasGrandes));
    }
    return ambiente;
}

// The child process: its process group is killed and it is reaped when this goes, however the
// reading ended, unless it was reaped already.
class Filho {
public:
    Filho() = default;
    Filho(const Filho&) = delete;
    Filho& operator=(const Filho&) = delete;
    ~Filho() {
        if (pid > 0 && !colhido) {
            encerrar();
        }
        if (pidfd >= 0) {
            close(pidfd);
        }
    }

    // Starts `programa` with `argumentos`, its answer at `resposta` and its input (or -1) at
    // `entrada`, to read `tamanho` bytes; "" or the system's reason.
    std::string iniciar(const std::string& programa, const std::vector<std::string>& argumentos,
                        int resposta, int entrada, std::uint64_t tamanho) {
        std::vector<char*> argv;
        for (const std::string& a : argumentos) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        const std::vector<std::string> ambiente = ambienteDoFilho(tamanho);
        std::vector<char*> envp;
        for (const std::string& v : ambiente) {
            envp.push_back(const_cast<char*>(v.c_str()));
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t acoes;
        posix_spawnattr_t atributos;
        if (posix_spawn_file_actions_init(&acoes) != 0) {
            return "cannot prepare a process";
        }
        if (posix_spawnattr_init(&atributos) != 0) {
            posix_spawn_file_actions_destroy(&acoes);
            return "cannot prepare a process";
        }
        // Standard input and output go nowhere; only the answer and the input are handed on,
        // every other descriptor of the host (windows, sockets, files) is closed.
        sigset_t vazio;
        sigset_t todos;
        sigemptyset(&vazio);
        sigfillset(&todos);
        int e = posix_spawn_file_actions_addopen(&acoes, 0, "/dev/null", O_RDONLY, 0);
        e = e != 0 ? e : posix_spawn_file_actions_addopen(&acoes, 1, "/dev/null", O_WRONLY, 0);
        e = e != 0 ? e : posix_spawn_file_actions_addopen(&acoes, 2, "/dev/null", O_WRONLY, 0);
        e = e != 0 ? e : posix_spawn_file_actions_adddup2(&acoes, resposta, kDescritorResposta);
        if (entrada >= 0) {
            e = e != 0 ? e : posix_spawn_file_actions_adddup2(&acoes, entrada, kDescritorEntrada);
        }
        e = e != 0 ? e
                   : posix_spawn_file_actions_addclosefrom_np(
                         &acoes, entrada >= 0 ? kDescritorEntrada + 1 : kDescritorResposta + 1);
        // A process group of its own, to be killed whole; signals as a new program has them,
        // whatever the host blocks or ignores.
        e = e != 0 ? e : posix_spawnattr_setpgroup(&atributos, 0);
        e = e != 0 ? e : posix_spawnattr_setsigmask(&atributos, &vazio);
        e = e != 0 ? e : posix_spawnattr_setsigdefault(&atributos, &todos);
        e = e != 0 ? e
                   : posix_spawnattr_setflags(&atributos, POSIX_SPAWN_SETPGROUP |
                                                              POSIX_SPAWN_SETSIGMASK |
                                                              POSIX_SPAWN_SETSIGDEF);
        if (e == 0) {
            e = posix_spawn(&pid, programa.c_str(), &acoes, &atributos, argv.data(), envp.data());
        }
        posix_spawn_file_actions_destroy(&acoes);
        posix_spawnattr_destroy(&atributos);
        if (e != 0) {
            pid = -1;
            return std::strerror(e);
        }
        pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        return "";
    }

    // Waits until the child ends or `prazo` passes; true, with its status, when it ended. The
    // child is not reaped yet: its process id stays its own until colher.
    bool esperar(Relogio::time_point prazo, siginfo_t& info) {
        for (;;) {
            info = siginfo_t{};
            const int visto = waitid(P_PID, static_cast<id_t>(pid), &info,
                                     WEXITED | WNOHANG | WNOWAIT);
            if (visto == 0 && info.si_pid == pid) {
                return true;
            }
            if (visto != 0 && errno != EINTR) {
                // Reaped by the host (SIGCHLD ignored, or a handler that reaps every child: ECHILD):
                // it ended, how cannot be told; its answer alone then says what it did.
                info = siginfo_t{};
                info.si_code = CLD_EXITED;
                colhido = true;
                return true;
            }
            const auto agora = Relogio::now();
            if (agora >= prazo) {
                return false;
            }
            const auto resta = std::chrono::ceil<std::chrono::milliseconds>(prazo - agora);
            if (pidfd >= 0) {
                pollfd p{pidfd, POLLIN, 0};
                poll(&p, 1, static_cast<int>(std::min<std::int64_t>(resta.count(), 1 << 30)));
            } else {
                const auto passo = std::min<Relogio::duration>(resta, kEsperaSemPidfd);
                timespec t{0, static_cast<long>(
                                  std::chrono::duration_cast<std::chrono::nanoseconds>(passo)
                                      .count())};
                nanosleep(&t, nullptr);
            }
        }
    }

    // Kills whatever is left of its group, then reaps it.
    void encerrar() {
        kill(-pid, SIGKILL);
        kill(pid, SIGKILL);
        colher();
    }

    // Kills anything left in its group while its process id is still held, then reaps it.
    void colher() {
        if (colhido) {
            return;
        }
        kill(-pid, SIGKILL);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        colhido = true;
    }

private:
    pid_t pid = -1;
    int pidfd = -1;
    bool colhido = false;
};

// How a signal that ended the child is named.
std::string nomeSinal(int sinal) {
    switch (sinal) {
        case SIGSEGV:
            return "segmentation fault";
        case SIGBUS:
            return "bus error";
        case SIGFPE:
            return "arithmetic error";
        case SIGILL:
            return "illegal instruction";
        case SIGABRT:
            return "aborted";
        case SIGTRAP:
            return "trace trap";
        default: {
            const char* nome = strsignal(sinal);
            std::string texto = nome != nullptr ? nome : "unknown signal";
            if (!texto.empty() && texto[0] >= 'A' && texto[0] <= 'Z') {
                texto[0] = static_cast<char>(texto[0] - 'A' + 'a');
            }
            return texto;
        }
    }
}

// The name of system call `numero` of the architecture `arquitetura`.
std::string nomeChamada(std::int32_t numero, std::uint32_t arquitetura) {
    char* nome = seccomp_syscall_resolve_num_arch(arquitetura, numero);
    std::string texto = nome != nullptr ? nome : "number " + std::to_string(numero);
    std::free(nome);
    return texto;
}

// Replaces the bytes of a text that a terminal would act on.
std::string semControles(std::string texto) {
    for (char& c : texto) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) {
            c = u == '\n' || u == '\r' || u == '\t' ? ' ' : '?';
        }
    }
    return texto;
}

// What the messages say of a reading of `nome` by the child.
struct Mensagens {
    std::string nome;
    const Isolamento& isolamento;

    Importador::Desfecho falha(const std::string& oque, const std::string& detalhe = "") const {
        return Importador::Desfecho{
            "the import library " + oque + " reading " + nome +
                (detalhe.empty() ? "" : " (" + detalhe + ")"),
            true};
    }
    Importador::Desfecho memoria() const {
        return falha("used more than " + Importador::textoMemoria(isolamento.limiteMemoria));
    }
    Importador::Desfecho tempo() const {
        return falha("took more than " + std::to_string(isolamento.limiteTempo) + " s");
    }
    Importador::Desfecho filtro(const std::string& detalhe) const {
        return falha("was stopped by the sandbox", detalhe);
    }
    Importador::Desfecho malformada(const std::string& detalhe) const {
        return falha("sent a malformed answer", detalhe);
    }
};

// The answer the child left in the memory file `fd`, for a child that ended with `info`.
Importador::Desfecho lerResposta(int fd, const siginfo_t& info, const Mensagens& mensagens,
                                 ModeloImportado& modelo) {
    const bool saiu = info.si_code == CLD_EXITED;
    const int sinal = saiu ? 0 : info.si_status;
    if (sinal == SIGXCPU) {
        return mensagens.tempo();
    }
    if (sinal == SIGXFSZ) {
        return mensagens.memoria();
    }
    if (sinal != 0 && sinal != SIGSYS) {
        return mensagens.falha(sinal == SIGKILL ? "was killed" : "crashed",
                               "signal " + std::to_string(sinal) + ", " + nomeSinal(sinal));
    }
    struct stat estado {};
    if (fstat(fd, &estado) != 0) {
        return mensagens.malformada("its size cannot be found: " + erroSistema());
    }
    const std::uint64_t tamanho = static_cast<std::uint64_t>(estado.st_size);
    const std::uint64_t maior = mensagens.isolamento.limiteMemoria << 20;
    if (estado.st_size < 0 || tamanho > maior) {
        return mensagens.memoria();
    }
    // Nothing can change the answer while it is read, not even a process that still held it.
    if (fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0) {
        return mensagens.malformada("it cannot be sealed: " + erroSistema());
    }
    const Mapa mapa(fd, static_cast<std::size_t>(tamanho));
    if (!mapa.ok()) {
        return mensagens.malformada("it cannot be mapped: " + erroSistema());
    }
    Resposta::Lida lida;
    const std::string problema = Resposta::ler(mapa.get(), static_cast<std::size_t>(tamanho), lida);
    if (sinal == SIGSYS) {
        // Killed by the filter itself, as a process that blocked the signal the filter sends is.
        return mensagens.filtro(problema.empty() && lida.tipo == Resposta::Tipo::filtro
                                    ? "forbidden system call " +
                                          nomeChamada(lida.chamada, lida.arquitetura)
                                    : "a forbidden system call");
    }
    if (!problema.empty()) {
        if (info.si_status != 0) {
            return mensagens.falha("ended with status " + std::to_string(info.si_status),
                                   "with no answer: " + problema);
        }
        return mensagens.malformada(problema);
    }
    switch (lida.tipo) {
        case Resposta::Tipo::filtro:
            return mensagens.filtro("forbidden system call " +
                                    nomeChamada(lida.chamada, lida.arquitetura));
        case Resposta::Tipo::memoria:
            return mensagens.memoria();
        case Resposta::Tipo::recusa:
        case Resposta::Tipo::modelo:
            if (info.si_status != 0) {
                return mensagens.falha("ended with status " + std::to_string(info.si_status));
            }
            break;
    }
    if (lida.tipo == Resposta::Tipo::recusa) {
        return Importador::Desfecho{semControles(lida.recusa), false};
    }
    modelo = std::move(lida.modelo);
    return Importador::Desfecho{};
}

// Reads `tamanho` bytes with the child: `argumentos` after the program's name, the bytes (or -1
// for a file the child opens) at `entrada`.
Importador::Desfecho comFilho(std::vector<std::string> argumentos, int entrada,
                              std::uint64_t tamanho, const Mensagens& mensagens,
                              ModeloImportado& modelo) {
    const Isolamento& isolamento = mensagens.isolamento;
    std::string motivo;
    const std::string programa = Importador::localizar(isolamento, motivo);
    if (programa.empty()) {
        return Importador::Desfecho{"cannot read " + mensagens.nome + ": " + motivo, true};
    }
    const Descritor resposta(arquivoMemoria("gouraud-resposta"));
    if (resposta.get() < 0) {
        return Importador::Desfecho{
            "cannot read " + mensagens.nome + ": no memory file for the answer: " + erroSistema(),
            true};
    }
    argumentos.insert(argumentos.begin(), programa);
    argumentos.push_back(std::to_string(isolamento.limiteMemoria));
    argumentos.push_back(std::to_string(isolamento.limiteTempo));
    argumentos.push_back(std::to_string(getpid()));
    const auto prazo = Relogio::now() + std::chrono::seconds(isolamento.limiteTempo);
    Filho filho;
    const std::string erro = filho.iniciar(programa, argumentos, resposta.get(), entrada, tamanho);
    if (!erro.empty()) {
        return Importador::Desfecho{"cannot start the import library's program " + programa +
                                        " to read " + mensagens.nome + ": " + erro,
                                    true};
    }
    siginfo_t info{};
    if (!filho.esperar(prazo, info)) {
        filho.encerrar();
        return mensagens.tempo();
    }
    filho.colher();
    return lerResposta(resposta.get(), info, mensagens, modelo);
}

// A reading in this process: the library's reason or "".
Importador::Desfecho semFilho(const std::string& motivo) {
    return Importador::Desfecho{motivo, false};
}

// Whether `caminho` is a program that can be started.
bool executavel(const fs::path& caminho) {
    struct stat estado {};
    return stat(caminho.c_str(), &estado) == 0 && S_ISREG(estado.st_mode) &&
           access(caminho.c_str(), X_OK) == 0;
}

// The binary that holds this code: the program, or the shared object that links the library.
fs::path imagemPropria() {
    Dl_info info{};
    link_map* mapa = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&Importador::localizar), &info,
                reinterpret_cast<void**>(&mapa), RTLD_DL_LINKMAP) != 0 &&
        mapa != nullptr && mapa->l_name != nullptr && mapa->l_name[0] != '\0') {
        std::error_code erro;
        const fs::path caminho = fs::canonical(mapa->l_name, erro);
        if (!erro) {
            return caminho;
        }
    }
    // The program itself, whose link map has no name.
    std::error_code erro;
    const fs::path programa = fs::read_symlink("/proc/self/exe", erro);
    return erro ? fs::path() : programa;
}

}  // namespace

std::string Importador::textoMemoria(std::uint64_t mib) {
    return mib % 1024 == 0 ? std::to_string(mib / 1024) + " GiB" : std::to_string(mib) + " MiB";
}

std::string Importador::localizar(const Isolamento& isolamento, std::string& motivo) {
    std::vector<fs::path> candidatos;
    if (!isolamento.programa.empty()) {
        candidatos.emplace_back(isolamento.programa);
    } else if (const char* variavel = std::getenv(kVariavel);
               variavel != nullptr && variavel[0] != '\0') {
        candidatos.emplace_back(variavel);
    } else {
        const fs::path imagem = imagemPropria();
        if (!imagem.empty()) {
            candidatos.push_back(imagem.parent_path() / kPrograma);
            candidatos.push_back(imagem.parent_path().parent_path() / "libexec" / "gouraud" /
                                 kPrograma);
        }
        if (!isolamento.instalado.empty()) {
            candidatos.emplace_back(isolamento.instalado);
        }
        candidatos.push_back(fs::path(GOURAUD_LIBEXEC) / kPrograma);
    }
    std::string procurados;
    for (const fs::path& candidato : candidatos) {
        if (executavel(candidato)) {
            return candidato.string();
        }
        // Appended in two steps: GCC 12 sees an impossible length in the temporary string of
        // `(empty ? "" : ", ") + name` once the module's link inlines this.
        if (!procurados.empty()) {
            procurados += ", ";
        }
        procurados += candidato.lexically_normal().string();
    }
    motivo = std::string("the import library's program is missing (looked for ") + procurados +
             ")";
    return "";
}

Importador::Desfecho Importador::lerArquivo(const std::string& caminho,
                                            const Isolamento& isolamento,
                                            ModeloImportado& modelo) {
    if (!isolamento.ativo) {
        return semFilho(ExtracaoAssimp::lerArquivo(caminho, modelo));
    }
    struct stat estado {};
    const std::uint64_t tamanho =
        stat(caminho.c_str(), &estado) == 0 ? static_cast<std::uint64_t>(estado.st_size) : 0;
    return comFilho({"arquivo", caminho}, -1, tamanho, Mensagens{caminho, isolamento}, modelo);
}

Importador::Desfecho Importador::lerMemoria(const char* dados, std::size_t tamanho,
                                            const std::string& extensao, const std::string& nome,
                                            const Isolamento& isolamento,
                                            ModeloImportado& modelo) {
    if (!isolamento.ativo) {
        return semFilho(ExtracaoAssimp::lerMemoria(dados, tamanho, extensao, modelo));
    }
    const Mensagens mensagens{nome, isolamento};
    // The bytes go in a memory file sealed before the child sees it.
    const Descritor entrada(arquivoMemoria("gouraud-entrada"));
    if (entrada.get() < 0) {
        return Importador::Desfecho{
            "cannot read " + nome + ": no memory file for its bytes: " + erroSistema(), true};
    }
    for (std::size_t escritos = 0; escritos < tamanho;) {
        const ssize_t n = write(entrada.get(), dados + escritos, tamanho - escritos);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Importador::Desfecho{
                "cannot read " + nome + ": its bytes cannot be handed on: " + erroSistema(),
                true};
        }
        escritos += static_cast<std::size_t>(n);
    }
    if (fcntl(entrada.get(), F_ADD_SEALS,
              F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0) {
        return Importador::Desfecho{
            "cannot read " + nome + ": its bytes cannot be sealed: " + erroSistema(), true};
    }
    return comFilho({"memoria", extensao}, entrada.get(), tamanho, mensagens, modelo);
}

}  // namespace gouraud::detail
