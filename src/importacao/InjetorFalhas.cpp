#include "InjetorFalhas.h"

#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace gouraud::detail {

namespace {

constexpr std::size_t kBytesProcurados = 256;
constexpr std::string_view kMarca = "gouraud-falha:";
constexpr std::uint64_t kAlocacaoEnorme = std::uint64_t{10} << 30;

// The fault the marker among `inicio`'s bytes names, or "".
std::string daMarca(std::string_view inicio) {
    const std::size_t onde = inicio.find(kMarca);
    if (onde == std::string_view::npos) {
        return "";
    }
    std::string nome;
    for (std::size_t i = onde + kMarca.size();
         i < inicio.size() && inicio[i] >= 'a' && inicio[i] <= 'z'; ++i) {
        nome += inicio[i];
    }
    return nome;
}

}  // namespace

InjetorFalhas::InjetorFalhas(const std::string& caminho, const char* dados, std::size_t tamanho) {
    if (const char* variavel = std::getenv("GOURAUD_FALHA"); variavel != nullptr) {
        falha = variavel;
        return;
    }
    if (dados != nullptr) {
        falha = daMarca(std::string_view(dados, std::min(tamanho, kBytesProcurados)));
        return;
    }
    std::ifstream arquivo(caminho, std::ios::binary);
    char inicio[kBytesProcurados];
    arquivo.read(inicio, sizeof(inicio));
    falha = daMarca(std::string_view(inicio, static_cast<std::size_t>(arquivo.gcount())));
}

void InjetorFalhas::antesDeLer() const {
    if (falha == "segv") {
        // An address no process maps, read through a value the compiler cannot see through.
        volatile std::uintptr_t endereco = 8;
        *reinterpret_cast<volatile int*>(endereco) = 1;
    } else if (falha == "laco") {
        volatile bool continuar = true;
        while (continuar) {
        }
    } else if (falha == "memoria") {
        auto* volatile bloco = new char[kAlocacaoEnorme];
        bloco[kAlocacaoEnorme - 1] = 1;
        delete[] bloco;
    } else if (falha == "socket") {
        [[maybe_unused]] const int fd = socket(AF_INET, SOCK_STREAM, 0);
    } else if (falha == "exec") {
        char programa[] = "/bin/true";
        char* const argv[] = {programa, nullptr};
        execv(programa, argv);
    } else if (falha == "escrita") {
        const int fd = open("/tmp/gouraud-falha-escrita", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            [[maybe_unused]] const ssize_t n = write(fd, "x", 1);
            close(fd);
        }
    } else if (falha == "ptrace") {
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    }
}

void InjetorFalhas::estragar(ModeloImportado& modelo) const {
    if (falha != "indice") {
        return;
    }
    for (ModeloImportado::Malha& malha : modelo.malhas) {
        if (!malha.indices.empty()) {
            malha.indices.back() = static_cast<std::uint32_t>(malha.quantVertices());
            return;
        }
    }
}

std::size_t InjetorFalhas::bytesEscritos(std::size_t tamanho) const {
    return falha == "truncada" ? tamanho / 2 : tamanho;
}

}  // namespace gouraud::detail
