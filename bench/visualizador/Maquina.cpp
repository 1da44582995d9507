#include "Maquina.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <thread>

namespace gouraud::detail {

namespace {

// The value of the first line of `arquivo` that starts with `campo`, after its colon; "?" when
// there is none.
std::string campoDe(const char* arquivo, std::string_view campo) {
    std::ifstream entrada(arquivo);
    std::string linha;
    while (std::getline(entrada, linha)) {
        if (linha.compare(0, campo.size(), campo) == 0) {
            const std::size_t doisPontos = linha.find(':');
            if (doisPontos == std::string::npos) continue;
            const std::size_t inicio = linha.find_first_not_of(" \t", doisPontos + 1);
            return inicio == std::string::npos ? "" : linha.substr(inicio);
        }
    }
    return "?";
}

// The processors /proc/cpuinfo lists.
int processadores() {
    std::ifstream entrada("/proc/cpuinfo");
    std::string linha;
    int n = 0;
    while (std::getline(entrada, linha)) n += linha.rfind("processor", 0) == 0;
    return n;
}

}  // namespace

std::string Maquina::descrever() {
    const double gib =
        std::strtod(campoDe("/proc/meminfo", "MemTotal").c_str(), nullptr) / (1024.0 * 1024.0);
    char texto[512];
    std::snprintf(texto, sizeof texto, "%s, %d cores (%u hardware threads), %.1f GiB, g++ %s",
                  campoDe("/proc/cpuinfo", "model name").c_str(), processadores(),
                  std::thread::hardware_concurrency(), gib, __VERSION__);
    return texto;
}

std::string Maquina::cargaMedia() {
    std::ifstream entrada("/proc/loadavg");
    std::string um, cinco, quinze;
    if (!(entrada >> um >> cinco >> quinze)) return "?";
    return um + " " + cinco + " " + quinze;
}

Maquina::UsoCpu Maquina::lerUsoCpu() {
    UsoCpu uso;
    uso.quando = std::chrono::steady_clock::now();
    std::ifstream stat("/proc/stat");
    std::string cpu;
    double user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
    if (stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal &&
        cpu == "cpu") {
        const double tique = static_cast<double>(sysconf(_SC_CLK_TCK));
        uso.ocupado = (user + nice + system + irq + softirq) / tique;
        uso.roubado = steal / tique;
    }
    const auto segundos = [](const rusage& r) {
        return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
               static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
    };
    rusage eu{};
    rusage filhos{};
    getrusage(RUSAGE_SELF, &eu);
    getrusage(RUSAGE_CHILDREN, &filhos);
    uso.nosso = segundos(eu) + segundos(filhos);
    return uso;
}

std::string Maquina::outrosProcessos(const UsoCpu& antes, const UsoCpu& depois) {
    const std::chrono::duration<double> parede = depois.quando - antes.quando;
    const int nucleos = std::max(1, processadores());
    const double outros =
        std::max(0.0, (depois.ocupado - antes.ocupado) - (depois.nosso - antes.nosso));
    char texto[256];
    std::snprintf(texto, sizeof texto,
                  "other processes kept the cores busy %.1f s of %d x %.1f s (%.1f %%), steal "
                  "%.1f s",
                  outros, nucleos, parede.count(), 100.0 * outros / (nucleos * parede.count()),
                  depois.roubado - antes.roubado);
    return texto;
}

}  // namespace gouraud::detail
