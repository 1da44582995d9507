#include "ArquivoVigiado.h"

#include <sys/stat.h>

#include <utility>

namespace gouraud::detail {

ArquivoVigiado::ArquivoVigiado(std::string nome) : nome(std::move(nome)), ultimo(olhar()) {}

ArquivoVigiado::Estado ArquivoVigiado::olhar() const {
    struct stat info {};
    Estado estado;
    if (::stat(nome.c_str(), &info) != 0) {
        return estado;
    }
    estado.existe = true;
    estado.dispositivo = static_cast<std::uint64_t>(info.st_dev);
    estado.inode = static_cast<std::uint64_t>(info.st_ino);
    estado.tamanho = static_cast<std::int64_t>(info.st_size);
    estado.segundos = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    estado.nanossegundos = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    return estado;
}

bool ArquivoVigiado::mudou() {
    const Estado agora = olhar();
    const bool diferente = !(agora == ultimo);
    ultimo = agora;
    return diferente;
}

const std::string& ArquivoVigiado::getNome() const { return nome; }

}  // namespace gouraud::detail
