#include "Escala.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "Cronometro.h"

extern char** environ;

namespace gouraud::detail {

namespace {

constexpr double kKibPorMib = 1024.0;
constexpr char kTempo[] = "/usr/bin/time";

// Runs `argumentos` (the program first) with standard output into `saida` and waits for it: its
// status, or the spawn's error.
int executar(const std::vector<std::string>& argumentos, const std::string& saida, int& status) {
    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    posix_spawn_file_actions_addopen(&acoes, STDOUT_FILENO, saida.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (const std::string& a : argumentos) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t filho = 0;
    const int erro = posix_spawn(&filho, argv[0], &acoes, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&acoes);
    if (erro == 0) waitpid(filho, &status, 0);
    return erro;
}

}  // namespace

Escala Escala::medir(const Configuracao& c, const std::string& arquivo) {
    Escala e;
    e.arquivo = arquivo;
    if (c.visualizador.empty()) {
        e.observacao = "the viewer was not built; give --visualizador PATH";
        return e;
    }
    if (access(kTempo, X_OK) != 0) {
        e.observacao = std::string(kTempo) + " is missing (Debian's time)";
        return e;
    }
    std::error_code erroPasta;
    const std::filesystem::path pasta = std::filesystem::temp_directory_path(erroPasta) /
                                        ("visualizador_bench_escala_" + std::to_string(getpid()));
    std::filesystem::create_directories(pasta, erroPasta);
    const std::string png = (pasta / "escala.png").string();
    const std::string saida = (pasta / "saida.txt").string();
    const auto falhou = [&](int erro, int status) {
        e.observacao =
            c.visualizador + (erro != 0 ? std::string(": ") + std::strerror(erro)
                                        : " failed (status " + std::to_string(status) + ")");
        std::filesystem::remove_all(pasta, erroPasta);
        return e;
    };
    // The peak memory through /usr/bin/time, whose own small process starts the viewer: a
    // process spawned from this one would count this one's memory until its exec.
    const std::string memoria = (pasta / "memoria.txt").string();
    std::vector<double> ms;
    for (int i = 0; i < c.repeticoes; ++i) {
        int status = 0;
        const Cronometro cronometro;
        const int erro =
            executar({kTempo, "-f", "%M", "-o", memoria, c.visualizador, arquivo, "--imagem", png},
                     "/dev/null", status);
        const double duracao = cronometro.milissegundos();
        if (erro != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return falhou(erro, status);
        ms.push_back(duracao);
        double kib = 0.0;
        std::ifstream(memoria) >> kib;
        e.memoriaMb = std::max(e.memoriaMb, kib / kKibPorMib);
    }
    e.abrirEGravar = Tempos::resumir(std::move(ms));
    int status = 0;
    const int erro =
        executar({c.visualizador, arquivo, "--medir", std::to_string(c.quadros)}, saida, status);
    if (erro != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return falhou(erro, status);
    std::ifstream leitura(saida);
    for (std::string linha; std::getline(leitura, linha);) {
        if (linha.rfind("median ", 0) == 0) e.quadro = linha;
        if (linha.rfind("clusters ", 0) == 0) e.aglomerados = linha;
    }
    std::filesystem::remove_all(pasta, erroPasta);
    return e;
}

std::string Escala::cabecalho() {
    const std::string texto =
        "| mesh file | open and draw a PNG, median (fastest) | peak memory | --medir frame | "
        "clusters in the last frame |\n|---|---:|---:|---|---|\n";
    std::fputs(texto.c_str(), stdout);
    return texto;
}

std::string Escala::imprimir() const {
    std::string linha = "| " + std::filesystem::path(arquivo).filename().string() + " | ";
    if (!abrirEGravar) {
        linha += "not measured: " + observacao + " | | | |\n";
    } else {
        // Room for the three numbers however large a double gets.
        char numeros[1024];
        std::snprintf(numeros, sizeof numeros, "%.0f ms (%.0f) | %.0f MiB | ",
                      abrirEGravar->mediana, abrirEGravar->menor, memoriaMb);
        linha += numeros + quadro + " | " + aglomerados + " |\n";
    }
    std::fputs(linha.c_str(), stdout);
    return linha;
}

}  // namespace gouraud::detail
