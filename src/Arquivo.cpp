#include "Arquivo.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

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
