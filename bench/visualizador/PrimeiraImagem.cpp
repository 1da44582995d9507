#include "PrimeiraImagem.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "Cronometro.h"

extern char** environ;

namespace gouraud::detail {


PrimeiraImagem PrimeiraImagem::medir(const Configuracao& c, const std::string& arquivo) {
    PrimeiraImagem p;
    const std::string& lido = arquivo.empty() ? c.malhaGrande : arquivo;
    if (c.visualizador.empty()) {
        p.observacao = "the viewer was not built (GOURAUD_PROGRAM off); give --visualizador PATH";
        return p;
    }
    std::error_code erroPasta;
    const std::filesystem::path pasta = std::filesystem::temp_directory_path(erroPasta) /
                                        ("visualizador_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(pasta, erroPasta);
    const std::string saida = (pasta / "primeira.png").string();
    std::vector<double> ms;
    for (int i = 0; i < c.repeticoes; ++i) {
        posix_spawn_file_actions_t acoes;
        posix_spawn_file_actions_init(&acoes);
        // The loader's marker line is not part of the picture.
        posix_spawn_file_actions_addopen(&acoes, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argumentos = {
            const_cast<char*>(c.visualizador.c_str()), const_cast<char*>(lido.c_str()),
            const_cast<char*>("--imagem"), const_cast<char*>(saida.c_str()), nullptr};
        pid_t filho = 0;
        const Cronometro cronometro;
        const int erro = posix_spawn(&filho, c.visualizador.c_str(), &acoes, nullptr,
                                     argumentos.data(), environ);
        int status = 0;
        rusage uso{};
        if (erro == 0) wait4(filho, &status, 0, &uso);
        const double duracao = cronometro.milissegundos();
        posix_spawn_file_actions_destroy(&acoes);
        if (erro != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            p.observacao =
                c.visualizador + (erro != 0 ? std::string(": ") + std::strerror(erro)
                                            : " failed (status " + std::to_string(status) + ")");
            std::filesystem::remove_all(pasta, erroPasta);
            return p;
        }
        ms.push_back(duracao);
        constexpr double kKibPorMib = 1024.0;
        p.memoriaMb = std::max(p.memoriaMb, static_cast<double>(uso.ru_maxrss) / kKibPorMib);
    }
    std::filesystem::remove_all(pasta, erroPasta);
    p.tempos = Tempos::resumir(std::move(ms));
    return p;
}

}  // namespace gouraud::detail
