#include "Escala.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
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

// The count of "element face N" in the header of a PLY file, or -1 when it is not one or gives
// none.
std::int64_t facesDoPly(const std::string& arquivo) {
    std::ifstream entrada(arquivo, std::ios::binary);
    std::string linha;
    if (!std::getline(entrada, linha) || linha.rfind("ply", 0) != 0) return -1;
    // A header is a few hundred bytes; a file that never ends it is not read further.
    constexpr int kLinhasCabecalho = 200;
    for (int n = 0; n < kLinhasCabecalho && std::getline(entrada, linha); ++n) {
        if (linha.rfind("end_header", 0) == 0) break;
        std::istringstream campos(linha);
        std::string palavra, elemento;
        std::int64_t quantos = -1;
        if (campos >> palavra >> elemento >> quantos && palavra == "element" &&
            elemento == "face" && quantos >= 0) {
            return quantos;
        }
    }
    return -1;
}

}  // namespace

Escala Escala::medir(const Configuracao& c, const std::string& arquivo) {
    Escala e;
    e.arquivo = arquivo;
    e.triangulos = facesDoPly(arquivo);
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
        "| mesh file | triangles | open and draw a PNG, median (fastest) | peak memory | "
        "bytes per triangle at the peak | --medir frame | frame / the first file's | "
        "clusters in the last frame |\n|---|---:|---:|---:|---:|---|---:|---|\n";
    std::fputs(texto.c_str(), stdout);
    return texto;
}

double Escala::medianaQuadro() const {
    double ms = std::numeric_limits<double>::quiet_NaN();
    if (std::sscanf(quadro.c_str(), "median %lf", &ms) != 1) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return ms;
}

std::string Escala::imprimir(const Escala* primeira) const {
    std::string linha = "| " + std::filesystem::path(arquivo).filename().string() + " | ";
    // Room for the numbers however large a double gets.
    char numeros[1024];
    if (triangulos >= 0) {
        std::snprintf(numeros, sizeof numeros, "%lld | ", static_cast<long long>(triangulos));
        linha += numeros;
    } else {
        linha += "? | ";
    }
    if (!abrirEGravar) {
        linha += "not measured: " + observacao + " | | | | | |\n";
    } else {
        std::snprintf(numeros, sizeof numeros, "%.0f ms (%.0f) | %.0f MiB | ",
                      abrirEGravar->mediana, abrirEGravar->menor, memoriaMb);
        linha += numeros;
        if (triangulos > 0) {
            std::snprintf(numeros, sizeof numeros, "%.0f | ",
                          memoriaMb * kKibPorMib * kKibPorMib / static_cast<double>(triangulos));
            linha += numeros;
        } else {
            linha += "? | ";
        }
        linha += quadro + " | ";
        const double razao = primeira != nullptr && primeira != this
                                 ? medianaQuadro() / primeira->medianaQuadro()
                                 : std::numeric_limits<double>::quiet_NaN();
        if (std::isfinite(razao)) {
            std::snprintf(numeros, sizeof numeros, "%.2f× | ", razao);
            linha += numeros;
        } else {
            linha += "– | ";
        }
        linha += aglomerados + " |\n";
    }
    std::fputs(linha.c_str(), stdout);
    return linha;
}

std::string Escala::metas(const Escala& primeira, const Escala& maior) {
    const auto cumpre = [](bool sim) { return sim ? "met" : "NO"; };
    std::string linha = "Goals for " + std::filesystem::path(maior.arquivo).filename().string() +
                        " against " + std::filesystem::path(primeira.arquivo).filename().string();
    if (!maior.abrirEGravar) {
        linha += ": not measured\n";
    } else {
        const double razao = maior.medianaQuadro() / primeira.medianaQuadro();
        char numeros[1024];
        std::snprintf(numeros, sizeof numeros,
                      ": a frame at most %.1f times the first's, %.2f× (%s); opened and drawn "
                      "into a PNG within %.1f s, %.2f s (%s); peak memory at most 1.6 GB, "
                      "%.2f GB (%s)\n",
                      kMetaRazaoQuadro, razao, cumpre(razao <= kMetaRazaoQuadro),
                      kMetaAbrirMs / 1000.0, maior.abrirEGravar->mediana / 1000.0,
                      cumpre(maior.abrirEGravar->mediana <= kMetaAbrirMs),
                      maior.memoriaMb * kKibPorMib * kKibPorMib / 1e9,
                      cumpre(maior.memoriaMb <= kMetaMemoriaMb));
        linha += numeros;
    }
    std::fputs(linha.c_str(), stdout);
    return linha;
}

}  // namespace gouraud::detail
