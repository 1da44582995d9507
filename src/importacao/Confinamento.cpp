#include "Confinamento.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <linux/landlock.h>
#include <seccomp.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "Resposta.h"

namespace gouraud::detail {

namespace {

constexpr rlim_t kArquivosAbertos = 64;

// Landlock's rights and rule sets by the version of its interface, written out so that the
// child takes the rules of the running kernel whatever the headers it was built with know.
constexpr std::uint64_t kAcessosVersao1 = (std::uint64_t{1} << 13) - 1;  // EXECUTE..MAKE_SYM
constexpr std::uint64_t kReferir = std::uint64_t{1} << 13;               // version 2
constexpr std::uint64_t kTruncar = std::uint64_t{1} << 14;               // version 3
constexpr std::uint64_t kIoctlDispositivo = std::uint64_t{1} << 15;      // version 5
constexpr std::uint64_t kTcp = 3;                                         // version 4
constexpr std::uint64_t kEscopos = 3;                                     // version 6
constexpr std::uint64_t kLer = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;

struct ConjuntoRegras {
    std::uint64_t sistemaArquivos;
    std::uint64_t rede;
    std::uint64_t escopos;
};

std::string erroSistema(const std::string& passo) { return passo + ": " + std::strerror(errno); }

// Sets a limit, never above the hard limit the child was given.
std::string limitar(int recurso, rlim_t valor, rlim_t maximo, const char* nome) {
    rlimit atual{};
    if (getrlimit(recurso, &atual) != 0) {
        return erroSistema(std::string("getrlimit ") + nome);
    }
    if (atual.rlim_max != RLIM_INFINITY) {
        valor = std::min(valor, atual.rlim_max);
        maximo = std::min(maximo, atual.rlim_max);
    }
    const rlimit novo{valor, maximo};
    return setrlimit(recurso, &novo) == 0 ? "" : erroSistema(std::string("setrlimit ") + nome);
}

std::string limites(std::uint64_t memoria, int segundos) {
    const auto tempo = static_cast<rlim_t>(segundos);
    std::string problema = limitar(RLIMIT_CORE, 0, 0, "core");
    if (problema.empty()) problema = limitar(RLIMIT_AS, memoria, memoria, "as");
    if (problema.empty()) problema = limitar(RLIMIT_FSIZE, memoria, memoria, "fsize");
    if (problema.empty()) problema = limitar(RLIMIT_CPU, tempo, tempo + 1, "cpu");
    if (problema.empty()) {
        problema = limitar(RLIMIT_NOFILE, kArquivosAbertos, kArquivosAbertos, "nofile");
    }
    if (problema.empty()) problema = limitar(RLIMIT_MEMLOCK, 0, 0, "memlock");
    return problema;
}

// Landlock, where the kernel has it: read-only opening under `pastas`, nothing else.
std::string landlock(const std::vector<std::string>& pastas) {
    const long versao =
        syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (versao < 1) {
        // A kernel without Landlock, or with it turned off: the filter alone stands.
        return "";
    }
    ConjuntoRegras regras{kAcessosVersao1, 0, 0};
    std::size_t tamanho = sizeof(regras.sistemaArquivos);
    if (versao >= 2) regras.sistemaArquivos |= kReferir;
    if (versao >= 3) regras.sistemaArquivos |= kTruncar;
    if (versao >= 5) regras.sistemaArquivos |= kIoctlDispositivo;
    if (versao >= 4) {
        regras.rede = kTcp;
        tamanho = offsetof(ConjuntoRegras, escopos);
    }
    if (versao >= 6) {
        regras.escopos = kEscopos;
        tamanho = sizeof(regras);
    }
    const int conjunto = static_cast<int>(syscall(SYS_landlock_create_ruleset, &regras, tamanho, 0));
    if (conjunto < 0) {
        return erroSistema("landlock_create_ruleset");
    }
    for (const std::string& pasta : pastas) {
        const int fd = open(pasta.c_str(), O_PATH | O_CLOEXEC | O_DIRECTORY);
        if (fd < 0) {
            // A folder that is not there holds nothing to open.
            continue;
        }
        landlock_path_beneath_attr regra{};
        regra.allowed_access = kLer;
        regra.parent_fd = fd;
        const long feito =
            syscall(SYS_landlock_add_rule, conjunto, LANDLOCK_RULE_PATH_BENEATH, &regra, 0);
        close(fd);
        if (feito != 0) {
            close(conjunto);
            return erroSistema("landlock_add_rule");
        }
    }
    const long feito = syscall(SYS_landlock_restrict_self, conjunto, 0);
    close(conjunto);
    return feito == 0 ? "" : erroSistema("landlock_restrict_self");
}

// The handler of the signal the filter raises on a call it refuses: the call's number goes over
// the start of the answer, and the process ends. Only async-signal-safe calls, all let through.
extern "C" void aoRecusar(int, siginfo_t* info, void*) {
    unsigned char bytes[Resposta::kCabecalho + 8];
    Resposta::filtro(info->si_syscall, info->si_arch, bytes);
    [[maybe_unused]] const ssize_t escritos =
        pwrite(Confinamento::kDescritorResposta, bytes, sizeof(bytes), 0);
    _exit(Confinamento::kSaidaFiltro);
}

// The filter. Every call not listed raises SIGSYS; calls of another architecture's numbering
// (such as the 32-bit entry) kill the process (libseccomp's default for them).
std::string filtro() {
    scmp_filter_ctx ctx = seccomp_init(SCMP_ACT_TRAP);
    if (ctx == nullptr) {
        return "seccomp_init failed";
    }
    int e = 0;
    const auto permitir = [&ctx, &e](int chamada, auto... condicoes) {
        if (e == 0) {
            e = seccomp_rule_add(ctx, SCMP_ACT_ALLOW, chamada,
                                 static_cast<unsigned>(sizeof...(condicoes)), condicoes...);
        }
    };
    const auto pid = static_cast<scmp_datum_t>(getpid());
    const auto semExecucao = SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0);

    // Reading the file and the files it names: opened to read only (no creation, no
    // truncation), read, sought, looked at, closed.
    permitir(SCMP_SYS(openat), SCMP_A2(SCMP_CMP_MASKED_EQ, O_ACCMODE | O_CREAT | O_TRUNC,
                                       O_RDONLY));
    permitir(SCMP_SYS(read));
    permitir(SCMP_SYS(readv));
    permitir(SCMP_SYS(pread64));
    permitir(SCMP_SYS(lseek));
    permitir(SCMP_SYS(fstat));
    permitir(SCMP_SYS(newfstatat));
    permitir(SCMP_SYS(statx));
    permitir(SCMP_SYS(close));
    // Memory: the allocator's heap and mappings (never executable), and mapping the input.
    permitir(SCMP_SYS(brk));
    permitir(SCMP_SYS(mmap), semExecucao);
    permitir(SCMP_SYS(mprotect), semExecucao);
    permitir(SCMP_SYS(munmap));
    permitir(SCMP_SYS(mremap));
    permitir(SCMP_SYS(madvise));
    // Writing: the answer, and standard output and error, which are /dev/null (a library that
    // prints a warning must not be taken for an attack); the C library asks whether they are
    // terminals the first time.
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO, Confinamento::kDescritorResposta}) {
        permitir(SCMP_SYS(write), SCMP_A0(SCMP_CMP_EQ, static_cast<scmp_datum_t>(fd)));
        permitir(SCMP_SYS(writev), SCMP_A0(SCMP_CMP_EQ, static_cast<scmp_datum_t>(fd)));
    }
    permitir(SCMP_SYS(pwrite64),
             SCMP_A0(SCMP_CMP_EQ, static_cast<scmp_datum_t>(Confinamento::kDescritorResposta)));
    permitir(SCMP_SYS(ioctl), SCMP_A1(SCMP_CMP_EQ, TCGETS));
    // Waking and waiting on a futex: the C and C++ libraries' once-only initialisations (the
    // first exception thrown, a function's static) end with a wake even in one thread. Only the
    // plain operations, not the requeueing and priority-inheritance ones.
    for (const scmp_datum_t operacao : {FUTEX_WAIT, FUTEX_WAKE, FUTEX_WAIT_BITSET,
                                        FUTEX_WAKE_BITSET}) {
        permitir(SCMP_SYS(futex),
                 SCMP_A1(SCMP_CMP_MASKED_EQ,
                         ~static_cast<scmp_datum_t>(FUTEX_PRIVATE_FLAG | FUTEX_CLOCK_REALTIME),
                         operacao));
    }
    // Ending: normally, or by abort() (a failed assertion, an exception nothing caught), which
    // blocks signals and sends SIGABRT to this very process.
    permitir(SCMP_SYS(exit_group));
    permitir(SCMP_SYS(exit));
    permitir(SCMP_SYS(rt_sigreturn));
    permitir(SCMP_SYS(rt_sigprocmask));
    permitir(SCMP_SYS(getpid));
    permitir(SCMP_SYS(gettid));
    permitir(SCMP_SYS(tgkill), SCMP_A0(SCMP_CMP_EQ, pid),
             SCMP_A2(SCMP_CMP_EQ, static_cast<scmp_datum_t>(SIGABRT)));
    if (e != 0) {
        seccomp_release(ctx);
        return std::string("seccomp_rule_add: ") + std::strerror(-e);
    }
    e = seccomp_load(ctx);
    seccomp_release(ctx);
    return e == 0 ? "" : std::string("seccomp_load: ") + std::strerror(-e);
}

}  // namespace

std::string Confinamento::aplicar(std::uint64_t memoria, int segundos,
                                  const std::vector<std::string>& pastas) {
    if (prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0) {
        return erroSistema("PR_SET_DUMPABLE");
    }
    std::string problema = limites(memoria, segundos);
    if (!problema.empty()) {
        return problema;
    }
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        return erroSistema("PR_SET_NO_NEW_PRIVS");
    }
    problema = landlock(pastas);
    if (!problema.empty()) {
        return problema;
    }
    struct sigaction acao {};
    acao.sa_sigaction = aoRecusar;
    acao.sa_flags = SA_SIGINFO;
    sigemptyset(&acao.sa_mask);
    if (sigaction(SIGSYS, &acao, nullptr) != 0) {
        return erroSistema("sigaction SIGSYS");
    }
    return filtro();
}

}  // namespace gouraud::detail
