// Times reading each mesh file given on the command line into triangles over distinct points,
// with the faster library its format allows and with the import library alone: the measurement
// behind the choice of reader. Prints, per file and reader, the median and fastest wall-clock
// time and the median processor time of N reads (N = --repeticoes, 5 by default); with
// --markdown FILE, also a Markdown table of the same figures, one row per file, into FILE.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "Cronometro.h"
#include "LeitorMalha.h"

using namespace gouraud::detail;

namespace {

constexpr int kRepeticoesPadrao = 5;

double processador() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    constexpr double kMsPorSegundo = 1e3;
    constexpr double kMsPorNanossegundo = 1e-6;
    return static_cast<double>(t.tv_sec) * kMsPorSegundo +
           static_cast<double>(t.tv_nsec) * kMsPorNanossegundo;
}

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 == 1 ? v[m] : (v[m - 1] + v[m]) / 2.0;
}

}  // namespace

int main(int argc, char** argv) {
    int repeticoes = kRepeticoesPadrao;
    std::string markdown;
    std::vector<std::string> arquivos;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--repeticoes" && i + 1 < argc) {
            repeticoes = std::max(1, std::atoi(argv[++i]));
        } else if (std::string_view(argv[i]) == "--markdown" && i + 1 < argc) {
            markdown = argv[++i];
        } else {
            arquivos.emplace_back(argv[i]);
        }
    }
    std::string tabela =
        "| file | faster library | import library alone |\n|---|---:|---:|\n";
    for (const std::string& arquivo : arquivos) {
        tabela += "| " + std::filesystem::path(arquivo).filename().string();
        for (const auto leitores :
             {LeitorMalha::Leitores::todos, LeitorMalha::Leitores::soImportador}) {
            std::vector<double> paredes;
            std::vector<double> processos;
            std::string biblioteca;
            std::size_t triangulos = 0;
            for (int r = 0; r < repeticoes; ++r) {
                const Cronometro cronometro;
                const double inicioProcessador = processador();
                LeitorMalha leitor(arquivo, leitores);
                processos.push_back(processador() - inicioProcessador);
                paredes.push_back(cronometro.milissegundos());
                biblioteca = leitor.valida() ? leitor.getBiblioteca() : leitor.getErro();
                triangulos = leitor.getTriangulos().size();
            }
            std::printf(
                "%-40s %-14s %8zu triangles: median %7.1f ms, fastest %7.1f ms, processor %7.1f "
                "ms\n",
                arquivo.c_str(), biblioteca.c_str(), triangulos, mediana(paredes),
                *std::min_element(paredes.begin(), paredes.end()), mediana(processos));
            char celula[256];
            std::snprintf(celula, sizeof celula, "%.0f ms (fastest %.0f), processor %.0f ms",
                          mediana(paredes), *std::min_element(paredes.begin(), paredes.end()),
                          mediana(processos));
            tabela += " | ";
            if (leitores == LeitorMalha::Leitores::todos) tabela += biblioteca + ": ";
            tabela += celula;
        }
        tabela += " |\n";
    }
    if (!markdown.empty()) {
        std::ofstream saida(markdown, std::ios::binary);
        saida << tabela;
        if (!saida.flush()) {
            std::fprintf(stderr, "leitura_bench: cannot write %s\n", markdown.c_str());
            return 1;
        }
    }
    return 0;
}
