#include "Arquivo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace gouraud::detail {

namespace {

constexpr mode_t kPermissoesNovas = 0666;
// How much of the target's name goes into the temporary name: "." + this + ".XXXXXX" must stay
// within the 255 bytes a file name may have, or a long but valid name could not be written.
constexpr std::size_t kMaiorParteDoNome = 128;

// Writes through `escrever` into the open descriptor and closes it; "" or the reason it failed.
std::string escreverEFechar(int descritor, const Arquivo::Escritor& escrever) {
    std::string erro = escrever(descritor);
    const int erroFechar = ::close(descritor) != 0 ? errno : 0;
    if (erro.empty() && erroFechar != 0) {
        erro = std::strerror(erroFechar);
    }
    return erro;
}

}  // namespace

std::string Arquivo::abrir(const std::string& nome, std::ifstream& arquivo) {
    // A folder opens as a stream on some systems and reads as empty: it is refused first.
    std::error_code erro;
    if (std::filesystem::is_directory(nome, erro)) {
        return std::strerror(EISDIR);
    }
    errno = 0;
    arquivo.open(nome, std::ios::in | std::ios::binary);
    if (!arquivo.is_open()) {
        return errno != 0 ? std::strerror(errno) : "it cannot be opened";
    }
    return "";
}

std::string Arquivo::gravar(const std::string& caminho, const Escritor& escrever) {
    struct stat info {};
    if (::stat(caminho.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) {
            return std::strerror(EISDIR);
        }
        const int descritor = ::open(caminho.c_str(), O_WRONLY | O_CLOEXEC);
        if (descritor < 0) {
            return std::strerror(errno);
        }
        return escreverEFechar(descritor, escrever);
    }

    const std::filesystem::path alvo(caminho);
    const std::filesystem::path pasta = alvo.has_parent_path() ? alvo.parent_path() : ".";
    // A hidden name beside the target, so that the rename never crosses file systems.
    std::string oculto(".");
    oculto += alvo.filename().string().substr(0, kMaiorParteDoNome);
    oculto += ".XXXXXX";
    std::string temporario = (pasta / oculto).string();
    const int descritor = ::mkostemp(temporario.data(), O_CLOEXEC);
    if (descritor < 0) {
        return std::strerror(errno);
    }
    // A new file gets the usual permissions (0666 less the umask) rather than mkstemp's 0600.
    const mode_t mascara = ::umask(0);
    ::umask(mascara);
    ::fchmod(descritor, kPermissoesNovas & ~mascara);
    std::string erro = escreverEFechar(descritor, escrever);
    if (erro.empty() && ::rename(temporario.c_str(), caminho.c_str()) != 0) {
        erro = std::strerror(errno);
    }
    if (!erro.empty()) {
        ::unlink(temporario.c_str());
    }
    return erro;
}

}  // namespace gouraud::detail
