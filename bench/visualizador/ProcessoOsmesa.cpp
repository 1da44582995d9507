#include "ProcessoOsmesa.h"

#if GOURAUD_COM_OSMESA

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

#include "Configuracao.h"
#include "ConcorrenteOsmesa.h"
#include "Iluminacao.h"
#include "Tempos.h"

namespace gouraud::detail {
namespace {

// The longest text a child may send: its error or Mesa's name.
constexpr std::uint64_t kMaiorTexto = 1U << 20;

bool escreverTudo(int fd, const void* dados, std::size_t tamanho) {
    const auto* p = static_cast<const char*>(dados);
    while (tamanho > 0) {
        const ssize_t n = ::write(fd, p, tamanho);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        tamanho -= static_cast<std::size_t>(n);
    }
    return true;
}

bool lerTudo(int fd, void* dados, std::size_t tamanho) {
    auto* p = static_cast<char*>(dados);
    while (tamanho > 0) {
        const ssize_t n = ::read(fd, p, tamanho);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        tamanho -= static_cast<std::size_t>(n);
    }
    return true;
}

bool escreverTexto(int fd, const std::string& s) {
    const std::uint64_t n = s.size();
    return escreverTudo(fd, &n, sizeof n) && escreverTudo(fd, s.data(), s.size());
}

bool lerTexto(int fd, std::string& s) {
    std::uint64_t n = 0;
    if (!lerTudo(fd, &n, sizeof n) || n > kMaiorTexto) return false;
    s.resize(n);
    return lerTudo(fd, s.data(), n);
}

// Threads of this process now, from /proc/self/status; -1 when unknown.
int threadsDoProcesso() {
    std::ifstream status("/proc/self/status");
    std::string linha;
    while (std::getline(status, linha)) {
        if (linha.rfind("Threads:", 0) == 0) return std::atoi(linha.c_str() + 8);
    }
    return -1;
}

// Runs in the child: makes the context with LP_NUM_THREADS set, times the frames and writes
// erro, renderizador, depth bits, threads, the times and the last frame's colours.
[[noreturn]] void filho(int fd, const Caso& caso, int quadros, int threadsLlvmpipe) {
    setenv("LP_NUM_THREADS", std::to_string(threadsLlvmpipe).c_str(), 1);
    Iluminacao iluminacao;
    ConcorrenteOsmesa osmesa(*caso.cena->malha, iluminacao, caso.largura, caso.altura);
    std::string erro = osmesa.getErro();
    const int threads = threadsDoProcesso();
    std::vector<double> ms;
    Quadro quadro(caso.largura, caso.altura);
    if (erro.empty()) {
        ms = Tempos::medirQuadros(quadros, [&] { osmesa.desenhar(caso.camera, caso.projecao); }).ms;
        osmesa.copiar(quadro);
    }
    const std::int32_t numeros[] = {osmesa.getBitsProfundidade(), threads,
                                    static_cast<std::int32_t>(ms.size())};
    bool ok = escreverTexto(fd, erro) &&
              escreverTexto(fd, erro.empty() ? osmesa.getRenderizador() : "") &&
              escreverTudo(fd, numeros, sizeof numeros) &&
              escreverTudo(fd, ms.data(), ms.size() * sizeof(double));
    const std::size_t bytesPorLinha = static_cast<std::size_t>(quadro.getLargura()) * 2;
    for (int y = 0; ok && y < quadro.getAltura(); ++y) {
        ok = escreverTudo(fd, quadro.linhaCor(y), bytesPorLinha);
    }
    close(fd);
    // _exit: the parent owns everything else this process inherited.
    _exit(ok ? EXIT_SUCCESS : EXIT_FAILURE);
}

}  // namespace

ResultadoOsmesa ResultadoOsmesa::executar(const Caso& caso, int quadros, int threadsLlvmpipe) {
    ResultadoOsmesa r;
    r.quadro = Quadro(caso.largura, caso.altura);
    int canal[2];
    if (pipe(canal) != 0) {
        r.erro = std::string("pipe: ") + std::strerror(errno);
        return r;
    }
    std::fflush(stdout);
    std::cout.flush();
    const pid_t pid = fork();
    if (pid == 0) {
        close(canal[0]);
        filho(canal[1], caso, quadros, threadsLlvmpipe);
    }
    close(canal[1]);
    if (pid < 0) {
        r.erro = std::string("fork: ") + std::strerror(errno);
        close(canal[0]);
        return r;
    }
    std::int32_t numeros[3] = {};
    bool ok = lerTexto(canal[0], r.erro) && lerTexto(canal[0], r.renderizador) &&
              lerTudo(canal[0], numeros, sizeof numeros) && numeros[2] >= 0 &&
              numeros[2] <= Configuracao::kLimiteContagem;
    if (ok) {
        r.bitsProfundidade = numeros[0];
        r.threads = numeros[1];
        r.ms.resize(static_cast<std::size_t>(numeros[2]));
        ok = lerTudo(canal[0], r.ms.data(), r.ms.size() * sizeof(double));
    }
    const std::size_t bytesPorLinha = static_cast<std::size_t>(r.quadro.getLargura()) * 2;
    for (int y = 0; ok && y < r.quadro.getAltura(); ++y) {
        ok = lerTudo(canal[0], r.quadro.linhaCor(y), bytesPorLinha);
    }
    close(canal[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!ok && r.erro.empty()) {
        r.erro =
            "the measuring process ended without reporting (status " + std::to_string(status) + ")";
    }
    return r;
}

}  // namespace gouraud::detail

#else

namespace gouraud::detail {

ResultadoOsmesa ResultadoOsmesa::executar(const Caso&, int, int) {
    ResultadoOsmesa r;
    r.erro = "not built: pkg-config found no osmesa when configuring";
    return r;
}

}  // namespace gouraud::detail

#endif
