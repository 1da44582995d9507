// gouraud-importador: reads one mesh file with the Open Asset Import Library, confined, and
// writes what it found as an answer (Resposta) to descriptor 3, a memory file of the process
// that started it (Importador). Not meant to be run by hand:
//   gouraud-importador arquivo CAMINHO MEMORIA_MIB SEGUNDOS PAI
//   gouraud-importador memoria EXTENSAO MEMORIA_MIB SEGUNDOS PAI    (the bytes at descriptor 4)
// PAI is the process id of the one that started it: it ends at once if that one is gone, and
// when that one goes. Built with GOURAUD_INJETOR_FALHAS it is the test build that makes faults
// on purpose (InjetorFalhas).
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "Confinamento.h"
#include "ExtracaoAssimp.h"
#include "ModeloImportado.h"
#include "Resposta.h"

#ifdef GOURAUD_INJETOR_FALHAS
#include "InjetorFalhas.h"
#endif

namespace {

using namespace gouraud::detail;
namespace fs = std::filesystem;

constexpr int kSaidaUso = 2;
constexpr int kSaidaOrfao = 3;
constexpr int kSaidaEscrita = 4;
constexpr int kDescritorEntrada = 4;

// A whole number written in digits alone, in [menor, maior].
bool numero(std::string_view texto, std::uint64_t menor, std::uint64_t maior,
            std::uint64_t& valor) {
    if (texto.empty() || texto.size() > 20) {
        return false;
    }
    const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), valor);
    return erro == std::errc() && fim == texto.data() + texto.size() && valor >= menor &&
           valor <= maior;
}

// Writes the answer's bytes to descriptor 3, all of them or none.
bool escrever(const void* bytes, std::size_t tamanho) {
    const auto* p = static_cast<const char*>(bytes);
    while (tamanho > 0) {
        const ssize_t n = write(Confinamento::kDescritorResposta, p, tamanho);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        tamanho -= static_cast<std::size_t>(n);
    }
    return true;
}

// Once memory runs out the reading is over: the answer says so, written over whatever was
// being written, and the process ends.
void semMemoria() {
    unsigned char bytes[Resposta::kCabecalho];
    Resposta::memoria(bytes);
    [[maybe_unused]] const ssize_t escritos =
        pwrite(Confinamento::kDescritorResposta, bytes, sizeof(bytes), 0);
    _exit(0);
}

// The folders the reading may open files under: the model's, as named and as it really is.
std::vector<std::string> pastasDo(const std::string& caminho) {
    std::vector<std::string> pastas;
    const fs::path dado(caminho);
    pastas.push_back(dado.has_parent_path() ? dado.parent_path().string() : ".");
    std::error_code erro;
    const fs::path real = fs::canonical(dado, erro);
    if (!erro && real.parent_path().string() != pastas.front()) {
        pastas.push_back(real.parent_path().string());
    }
    return pastas;
}

int executar(int argc, char** argv) {
    std::uint64_t memoria = 0;
    std::uint64_t segundos = 0;
    std::uint64_t pai = 0;
    if (argc != 6 || (std::string_view(argv[1]) != "arquivo" &&
                      std::string_view(argv[1]) != "memoria") ||
        !numero(argv[3], 1, std::uint64_t{1} << 24, memoria) ||
        !numero(argv[4], 1, 1 << 24, segundos) || !numero(argv[5], 1, 1u << 31, pai)) {
        return kSaidaUso;
    }
    // Ends with its parent, and at once if the parent is gone already.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0) != 0 ||
        static_cast<std::uint64_t>(getppid()) != pai) {
        return kSaidaOrfao;
    }
    const bool daMemoria = std::string_view(argv[1]) == "memoria";
    const std::string alvo = argv[2];
    // Nothing but standard input, output and error, the answer and the input stays open.
    close_range(daMemoria ? kDescritorEntrada + 1 : Confinamento::kDescritorResposta + 1, ~0U, 0);
    std::set_new_handler(semMemoria);

    const std::string problema = Confinamento::aplicar(
        memoria << 20, static_cast<int>(segundos),
        daMemoria ? std::vector<std::string>{} : pastasDo(alvo));
    if (!problema.empty()) {
        return Resposta::escreverRecusa("the sandbox cannot be set up: " + problema, escrever)
                   ? 0
                   : kSaidaEscrita;
    }

    // The bytes to read, from the sealed memory file the parent wrote them in.
    const char* dados = nullptr;
    std::size_t tamanho = 0;
    if (daMemoria) {
        struct stat estado {};
        if (fstat(kDescritorEntrada, &estado) != 0 || estado.st_size <= 0) {
            return Resposta::escreverRecusa("the bytes to read are missing", escrever)
                       ? 0
                       : kSaidaEscrita;
        }
        tamanho = static_cast<std::size_t>(estado.st_size);
        void* p = mmap(nullptr, tamanho, PROT_READ, MAP_PRIVATE, kDescritorEntrada, 0);
        if (p == MAP_FAILED) {
            semMemoria();
        }
        dados = static_cast<const char*>(p);
    }
#ifdef GOURAUD_INJETOR_FALHAS
    const InjetorFalhas injetor(alvo, dados, tamanho);
    injetor.antesDeLer();
#endif

    ModeloImportado modelo;
    std::string motivo;
    try {
        motivo = daMemoria ? ExtracaoAssimp::lerMemoria(dados, tamanho, alvo, modelo)
                           : ExtracaoAssimp::lerArquivo(alvo, modelo);
    } catch (const std::bad_alloc&) {
        semMemoria();
    } catch (const std::exception& e) {
        motivo = e.what();
    }
    if (!motivo.empty()) {
        return Resposta::escreverRecusa(motivo, escrever) ? 0 : kSaidaEscrita;
    }
#ifdef GOURAUD_INJETOR_FALHAS
    injetor.estragar(modelo);
    std::size_t total = 0;
    [[maybe_unused]] const bool contado =
        Resposta::escreverModelo(modelo, [&total](const void*, std::size_t n) {
            total += n;
            return true;
        });
    std::size_t resta = injetor.bytesEscritos(total);
    const Resposta::Destino destino = [&resta](const void* bytes, std::size_t n) {
        const std::size_t parte = std::min(n, resta);
        resta -= parte;
        return escrever(bytes, parte);
    };
#else
    const Resposta::Destino destino = escrever;
#endif
    return Resposta::escreverModelo(modelo, destino) ? 0 : kSaidaEscrita;
}

}  // namespace

int main(int argc, char** argv) {
    // No destructor nor exit handler runs after the answer: the process ends at once.
    _exit(executar(argc, argv));
}
