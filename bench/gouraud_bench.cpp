// Measures the scene loader and the three stages of Gouraud against the straightforward reference
// ones (tests/cena/CenaReferencia) and against a floor that only reads the file, allocates the lists
// and converts every number with std::from_chars. Every benchmark runs several repetitions; a
// summary of the medians, the ratios between them and the peak memory of one fast load is printed
// at the end.
//
// Options of its own, removed before Google Benchmark reads the rest:
//   --pontos N       points of the generated scene (default 1,000,000)
//   --triangulos M   triangles of the generated scene (default 2,000,000)
//   --repeticoes R   repetitions of every benchmark (default 5)
//   --markdown FILE  also write the summary as Markdown into FILE (scripts/bench.sh --markdown)

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "CenaReferencia.h"
#include "GeradorCena.h"
#include "Gouraud.h"
#include "Ponto.h"
#include "Triangulo.h"
#include "Vetor.h"

using namespace gouraud::detail;

namespace {

// The generated scene is the same on every run.
constexpr std::uint64_t kSemente = 20240611;
constexpr int kPontosPadrao = 1'000'000;
constexpr int kTriangulosPadrao = 2'000'000;
constexpr int kRepeticoesPadrao = 5;

// Reals of the camera section: N, V, the focus and three spare ones.
constexpr int kReaisCamera = 12;

constexpr double kBytesPorMB = 1e6;
constexpr double kBytesPorMiB = 1024.0 * 1024.0;
constexpr double kBytesPorKiB = 1024.0;
constexpr double kNsPorSegundo = 1e9;
constexpr double kMsPorSegundo = 1e3;

// Goals the summary checks.
constexpr double kMetaRapidaSobrePiso = 1.3;  // fast load time / floor time, at most
constexpr double kMetaGanhoCarga = 3.5;       // reference load time / fast, at least
constexpr double kMetaGanhoEtapas = 3.0;      // reference stages time / fast, at least

// Names of the benchmarks; the summary looks their medians up by these.
constexpr char kCargaPiso[] = "carga/piso";
constexpr char kCargaRapida[] = "carga/rapida";
constexpr char kCargaReferencia[] = "carga/referencia";

struct Configuracao {
    int pontos = kPontosPadrao;
    int triangulos = kTriangulosPadrao;
    int repeticoes = kRepeticoesPadrao;
    std::filesystem::path arquivo;
    std::size_t bytes = 0;
    // Where the summary is also written as Markdown ("" for nowhere).
    std::string markdown;
};

Configuracao configuracao;

// ---------------------------------------------------------------------------------------------
// Standard output silenced while Gouraud writes its marker line.

class BufferNulo : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

BufferNulo bufferNulo;

// Sends std::cout to a buffer that drops everything for its lifetime, then restores it.
class SaidaSilenciada {
public:
    SaidaSilenciada() : anterior(std::cout.rdbuf(&bufferNulo)) {}
    ~SaidaSilenciada() { std::cout.rdbuf(anterior); }
    SaidaSilenciada(const SaidaSilenciada&) = delete;
    SaidaSilenciada& operator=(const SaidaSilenciada&) = delete;

private:
    std::streambuf* anterior;
};

std::unique_ptr<Gouraud> carregarRapida() {
    const SaidaSilenciada silencio;
    std::ifstream entrada(configuracao.arquivo);
    return std::make_unique<Gouraud>(entrada);
}

// ---------------------------------------------------------------------------------------------
// The floor: what any loader of this format has to do at least.

// The lists a loaded scene holds, with the same element types and counts as Gouraud's.
struct ListasPiso {
    std::unique_ptr<Ponto[]> pontos;
    std::unique_ptr<Triangulo[]> triangulos;
    std::unique_ptr<Vetor[]> normais;
    std::unique_ptr<Ponto[]> novosPontos;
    std::unique_ptr<Vetor[]> camera;
    double reaisCamera[kReaisCamera] = {};
};

// Skips classic-locale white space: ' ' and the control range '\t' .. '\r'.
const char* pularEspacos(const char* p, const char* fim) {
    while (p != fim && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
    return p;
}

// Skips white space and converts one number; nullptr when none could be converted.
template <typename T>
const char* converter(const char* p, const char* fim, T& valor) {
    p = pularEspacos(p, fim);
    const auto [final, erro] = std::from_chars(p, fim, valor);
    return erro == std::errc{} ? final : nullptr;
}

// Converts the numbers in order; nullptr once one fails (or when p already is).
template <typename... T>
const char* converterTodos(const char* p, const char* fim, T&... valores) {
    ((p = p ? converter(p, fim, valores) : nullptr), ...);
    return p;
}

// Reads the whole file into one buffer of its size, allocates the lists and converts every
// number; nothing is validated beyond the conversions succeeding. Returns false on a failure.
bool carregarPiso(ListasPiso& listas) {
    std::ifstream entrada(configuracao.arquivo);
    auto texto = std::make_unique_for_overwrite<char[]>(configuracao.bytes);
    const auto pedido = static_cast<std::streamsize>(configuracao.bytes);
    if (entrada.rdbuf()->sgetn(texto.get(), pedido) != pedido) {
        return false;
    }
    const char* p = texto.get();
    const char* const fim = p + configuracao.bytes;
    int pontos = 0;
    int triangulos = 0;
    if (!(p = converterTodos(p, fim, pontos, triangulos)) || pontos < 0 || triangulos < 0) {
        return false;
    }
    listas.pontos = std::make_unique<Ponto[]>(pontos);
    listas.triangulos = std::make_unique<Triangulo[]>(triangulos);
    listas.normais = std::make_unique<Vetor[]>(triangulos);
    listas.novosPontos = std::make_unique<Ponto[]>(pontos);
    listas.camera = std::make_unique<Vetor[]>(pontos);
    for (int i = 0; i < pontos && p; ++i) {
        Ponto& ponto = listas.pontos[i];
        p = converterTodos(p, fim, ponto.x, ponto.y, ponto.z);
    }
    for (int i = 0; i < triangulos && p; ++i) {
        Triangulo& t = listas.triangulos[i];
        p = converterTodos(p, fim, t.indiceP1, t.indiceP2, t.indiceP3);
    }
    for (int i = 0; i < kReaisCamera && p; ++i) {
        p = converter(p, fim, listas.reaisCamera[i]);
    }
    return p != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Loader benchmarks. Each iteration opens the file and loads it; freeing the result is left out
// of the timing.

void definirVazao(benchmark::State& state) {
    state.counters["bytes_por_s"] = benchmark::Counter(
        static_cast<double>(configuracao.bytes), benchmark::Counter::kIsIterationInvariantRate);
}

void medirCargaPiso(benchmark::State& state) {
    for (auto _ : state) {
        auto listas = std::make_unique<ListasPiso>();
        const bool lida = carregarPiso(*listas);
        benchmark::DoNotOptimize(listas.get());
        benchmark::ClobberMemory();
        state.PauseTiming();
        listas.reset();
        state.ResumeTiming();
        if (!lida) {
            state.SkipWithError("the floor could not convert the file");
            return;
        }
    }
    definirVazao(state);
}

void medirCargaRapida(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<Gouraud> cena = carregarRapida();
        state.PauseTiming();
        const bool valida = cena->cenaValida();
        cena.reset();
        state.ResumeTiming();
        if (!valida) {
            state.SkipWithError("Gouraud rejected the generated scene");
            return;
        }
    }
    definirVazao(state);
}

void medirCargaReferencia(benchmark::State& state) {
    for (auto _ : state) {
        std::optional<CenaReferencia> cena;
        {
            std::ifstream entrada(configuracao.arquivo);
            cena.emplace(carregarReferencia(entrada));
        }
        state.PauseTiming();
        const bool valida = cena->valida;
        cena.reset();
        state.ResumeTiming();
        if (!valida) {
            state.SkipWithError("the reference rejected the generated scene");
            return;
        }
    }
    definirVazao(state);
}

// ---------------------------------------------------------------------------------------------
// Stage benchmarks, on one fast and one reference scene loaded outside the timing.

struct Cenas {
    std::unique_ptr<Gouraud> rapida;
    CenaReferencia referencia;
    // First difference between the two after all three stages, "" when they agree bit for bit.
    std::string diferenca;
};

std::optional<Cenas> cenas;

// Loads both scenes on first use, runs the three stages once on each and compares the results,
// so the benchmarks below time the same work on both sides.
Cenas& cenasCarregadas() {
    if (!cenas) {
        Cenas novas;
        novas.rapida = carregarRapida();
        std::ifstream entrada(configuracao.arquivo);
        novas.referencia = carregarReferencia(entrada);
        novas.rapida->mudancaCoordenadasCamera();
        novas.rapida->calcularNormalTriangulo();
        novas.rapida->calcularNovoPonto();
        executarEstagiosReferencia(novas.referencia);
        novas.diferenca = primeiraDiferenca(*novas.rapida, novas.referencia);
        cenas = std::move(novas);
    }
    return *cenas;
}

struct Etapa {
    const char* nome;
    const char* rotulo;  // as the Markdown summary names it
    void (Gouraud::*rapida)();
    void (*referencia)(CenaReferencia&);
    bool porTriangulo;  // the stage walks the triangles rather than the points
};

constexpr Etapa kEtapas[] = {
    {"camera", "camera coordinates", &Gouraud::mudancaCoordenadasCamera,
     &mudancaCoordenadasCameraReferencia, false},
    {"normais", "triangle normals", &Gouraud::calcularNormalTriangulo,
     &calcularNormalTrianguloReferencia, true},
    {"novos_pontos", "displaced points", &Gouraud::calcularNovoPonto, &calcularNovoPontoReferencia,
     true},
};

std::string nomeEtapa(const Etapa& etapa, const char* lado) {
    return std::string("etapa/") + etapa.nome + "/" + lado;
}

int elementosDaEtapa(const Etapa& etapa) {
    return etapa.porTriangulo ? configuracao.triangulos : configuracao.pontos;
}

// Time per point or triangle: elements per iteration as an inverted rate, shown as seconds.
void definirTempoPorElemento(benchmark::State& state, const Etapa& etapa) {
    state.counters[etapa.porTriangulo ? "por_triangulo" : "por_ponto"] =
        benchmark::Counter(elementosDaEtapa(etapa), benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

void medirEtapaRapida(benchmark::State& state, const Etapa& etapa) {
    Gouraud& cena = *cenasCarregadas().rapida;
    for (auto _ : state) {
        (cena.*etapa.rapida)();
        benchmark::ClobberMemory();
    }
    definirTempoPorElemento(state, etapa);
}

void medirEtapaReferencia(benchmark::State& state, const Etapa& etapa) {
    CenaReferencia& cena = cenasCarregadas().referencia;
    for (auto _ : state) {
        etapa.referencia(cena);
        benchmark::ClobberMemory();
    }
    definirTempoPorElemento(state, etapa);
}

// ---------------------------------------------------------------------------------------------
// Peak memory of one fast load, measured in a child process so the benchmarks' own allocations
// do not count.

struct Memoria {
    bool medida = false;      // the child reported
    bool picoZerado = false;  // the peak was reset to the resident set before the load
    bool valida = false;      // the scene loaded
    double antesKiB = 0;      // resident set (and peak) just before the load
    double picoKiB = 0;       // peak resident set after the load
    double depoisKiB = 0;     // resident set with the scene loaded
};

// A "Campo:   123 kB" line of /proc/self/status, in KiB; -1 when absent.
double lerStatusKiB(std::string_view campo) {
    std::ifstream status("/proc/self/status");
    std::string linha;
    while (std::getline(status, linha)) {
        if (linha.compare(0, campo.size(), campo) == 0 && linha.size() > campo.size() &&
            linha[campo.size()] == ':') {
            return std::strtod(linha.c_str() + campo.size() + 1, nullptr);
        }
    }
    return -1;
}

// Writing "5" to /proc/self/clear_refs resets the peak resident set to the current one, so the
// child's peak no longer carries what the parent used before the fork.
bool zerarPico() {
    const int fd = open("/proc/self/clear_refs", O_WRONLY);
    if (fd < 0) return false;
    const bool escrito = write(fd, "5", 1) == 1;
    close(fd);
    return escrito;
}

Memoria medirMemoria() {
    Memoria memoria;
    int canal[2];
    if (pipe(canal) != 0) return memoria;
    std::cout.flush();
    const pid_t filho = fork();
    if (filho == 0) {
        close(canal[0]);
        Memoria medida;
        medida.picoZerado = zerarPico();
        medida.antesKiB = lerStatusKiB("VmHWM");
        {
            const std::unique_ptr<Gouraud> cena = carregarRapida();
            medida.valida = cena->cenaValida();
            medida.picoKiB = lerStatusKiB("VmHWM");
            medida.depoisKiB = lerStatusKiB("VmRSS");
        }
        medida.medida = true;
        const bool enviado = write(canal[1], &medida, sizeof medida) == sizeof medida;
        close(canal[1]);
        // _exit: no exit handlers or destructors, which belong to the parent (the temp file).
        _exit(enviado ? EXIT_SUCCESS : EXIT_FAILURE);
    }
    close(canal[1]);
    if (filho > 0) {
        Memoria recebida;
        if (read(canal[0], &recebida, sizeof recebida) == sizeof recebida) memoria = recebida;
        waitpid(filho, nullptr, 0);
    }
    close(canal[0]);
    return memoria;
}

// ---------------------------------------------------------------------------------------------
// Reporter that prints as the console one does and keeps each benchmark's median real time.

class ColetorMedianas : public benchmark::ConsoleReporter {
public:
    using benchmark::ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override {
        benchmark::ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const double segundos =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const std::string& nome = run.run_name.function_name;
            // A single repetition has no median: its one run stands in for it.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medianas[nome] = segundos;
            } else if (run.run_type == Run::RT_Iteration && run.repetitions <= 1) {
                medianas.emplace(nome, segundos);
            }
        }
    }

    // Median real time in seconds, if the benchmark ran.
    std::optional<double> mediana(const std::string& nome) const {
        const auto it = medianas.find(nome);
        return it == medianas.end() ? std::nullopt : std::optional<double>(it->second);
    }

private:
    std::map<std::string, double> medianas;
};

// ---------------------------------------------------------------------------------------------
// Summary.

std::string meta(bool cumprida) { return cumprida ? "goal met" : "GOAL NOT MET"; }

void imprimirResumo(const ColetorMedianas& coletor, const Memoria& memoria) {
    const Configuracao& c = configuracao;
    const double arquivoMiB = static_cast<double>(c.bytes) / kBytesPorMiB;
    const double listasBytes =
        static_cast<double>(c.pontos) * (2 * sizeof(Ponto) + sizeof(Vetor)) +
        static_cast<double>(c.triangulos) * (sizeof(Triangulo) + sizeof(Vetor));
    const double listasMiB = listasBytes / kBytesPorMiB;

    std::printf(
        "\nSummary: median real time of %d repetition%s; scene of %d points, %d triangles, "
        "file %.1f MiB (%zu bytes)\n",
        c.repeticoes, c.repeticoes == 1 ? "" : "s", c.pontos, c.triangulos, arquivoMiB, c.bytes);
    std::printf("%-28s %12s %16s\n", "benchmark", "median ms", "throughput");

    const auto linhaCarga = [&](const char* nome) {
        const auto t = coletor.mediana(nome);
        if (!t) return;
        std::printf("%-28s %12.2f %11.1f MB/s\n", nome, *t * kMsPorSegundo,
                    static_cast<double>(c.bytes) / kBytesPorMB / *t);
    };
    linhaCarga(kCargaPiso);
    linhaCarga(kCargaRapida);
    linhaCarga(kCargaReferencia);
    for (const Etapa& etapa : kEtapas) {
        for (const char* lado : {"rapida", "referencia"}) {
            const std::string nome = nomeEtapa(etapa, lado);
            const auto t = coletor.mediana(nome);
            if (!t) continue;
            std::printf("%-28s %12.3f %8.2f ns/%s\n", nome.c_str(), *t * kMsPorSegundo,
                        *t * kNsPorSegundo / elementosDaEtapa(etapa),
                        etapa.porTriangulo ? "triangle" : "point");
        }
    }

    std::printf("\nRatios of medians\n");
    const auto piso = coletor.mediana(kCargaPiso);
    const auto rapida = coletor.mediana(kCargaRapida);
    const auto referencia = coletor.mediana(kCargaReferencia);
    if (piso && rapida) {
        const double razao = *rapida / *piso;
        std::printf("  %-40s %7.2fx  (at most %.1fx: %s)\n", "fast load / floor load", razao,
                    kMetaRapidaSobrePiso, meta(razao <= kMetaRapidaSobrePiso).c_str());
    }
    if (rapida && referencia) {
        const double ganho = *referencia / *rapida;
        std::printf("  %-40s %7.2fx  (at least %.1fx: %s)\n", "load speed-up, reference / fast",
                    ganho, kMetaGanhoCarga, meta(ganho >= kMetaGanhoCarga).c_str());
    }
    double somaRapida = 0;
    double somaReferencia = 0;
    int etapasMedidas = 0;
    for (const Etapa& etapa : kEtapas) {
        const auto tRapida = coletor.mediana(nomeEtapa(etapa, "rapida"));
        const auto tReferencia = coletor.mediana(nomeEtapa(etapa, "referencia"));
        if (!tRapida || !tReferencia) continue;
        somaRapida += *tRapida;
        somaReferencia += *tReferencia;
        ++etapasMedidas;
        const std::string rotulo = std::string("stage speed-up, ") + etapa.nome;
        std::printf("  %-40s %7.2fx\n", rotulo.c_str(), *tReferencia / *tRapida);
    }
    if (etapasMedidas == static_cast<int>(std::size(kEtapas))) {
        const double ganho = somaReferencia / somaRapida;
        std::printf("  %-40s %7.2fx  (%.3f ms vs %.3f ms; at least %.1fx: %s)\n",
                    "stage speed-up, three stages together", ganho, somaReferencia * kMsPorSegundo,
                    somaRapida * kMsPorSegundo, kMetaGanhoEtapas,
                    meta(ganho >= kMetaGanhoEtapas).c_str());
    }
    if (cenas) {
        std::printf("  fast and reference scenes after the three stages: %s\n",
                    cenas->diferenca.empty() ? "identical bit for bit"
                                             : ("DIFFER: " + cenas->diferenca).c_str());
    }

    std::printf("\nMemory of one fast load (separate process, /proc/self/status)\n");
    if (!memoria.medida || !memoria.valida) {
        std::printf("  not measured (%s)\n",
                    memoria.medida ? "the scene did not load" : "the child did not report");
        return;
    }
    std::printf("  %-40s %9.1f MiB%s\n", "peak resident set above the start",
                (memoria.picoKiB - memoria.antesKiB) / kBytesPorKiB,
                memoria.picoZerado ? "" : "  (peak could not be reset: may be understated)");
    std::printf("  %-40s %9.1f MiB\n", "resident set kept by the loaded scene",
                (memoria.depoisKiB - memoria.antesKiB) / kBytesPorKiB);
    std::printf("  %-40s %9.1f MiB\n", "size of the scene's five lists", listasMiB);
    std::printf("  %-40s %9.1f MiB\n", "file size", arquivoMiB);
    std::printf("  %-40s %9.2f\n", "peak / (lists + file)",
                (memoria.picoKiB - memoria.antesKiB) / kBytesPorKiB / (listasMiB + arquivoMiB));
}

// The same summary as a Markdown table and a paragraph, for scripts/bench.sh --markdown.
std::string resumoMarkdown(const ColetorMedianas& coletor, const Memoria& memoria) {
    const Configuracao& c = configuracao;
    const double arquivoMiB = static_cast<double>(c.bytes) / kBytesPorMiB;
    const double listasMiB =
        (static_cast<double>(c.pontos) * (2 * sizeof(Ponto) + sizeof(Vetor)) +
         static_cast<double>(c.triangulos) * (sizeof(Triangulo) + sizeof(Vetor))) /
        kBytesPorMiB;
    std::string md;
    const auto acrescentar = [&md](const char* formato, auto... valores) {
        char linha[512];
        std::snprintf(linha, sizeof linha, formato, valores...);
        md += linha;
    };
    // Seconds as milliseconds with three significant digits or more: "0.239", "19.8", "148.5".
    const auto ms = [](double segundos) {
        const double v = segundos * kMsPorSegundo;
        char texto[64];
        std::snprintf(texto, sizeof texto, v < 1 ? "%.3f" : v < 10 ? "%.2f" : "%.1f", v);
        return std::string(texto);
    };
    acrescentar(
        "A generated scene of %d points and %d triangles, coordinates written with 17 "
        "significant digits, %.1f MiB; medians of %d repetition%s.\n\n",
        c.pontos, c.triangulos, arquivoMiB, c.repeticoes, c.repeticoes == 1 ? "" : "s");
    md += "| measured | median | throughput |\n|---|---:|---:|\n";
    const std::pair<const char*, const char*> cargas[] = {
        {kCargaPiso, "floor: read the file, allocate the lists, `from_chars` loop"},
        {kCargaRapida, "load, this loader"},
        {kCargaReferencia, "load, reference (`stream >>` per number)"}};
    for (const auto& [nome, rotulo] : cargas) {
        if (const auto t = coletor.mediana(nome)) {
            acrescentar("| %s | %s ms | %.1f MB/s |\n", rotulo, ms(*t).c_str(),
                        static_cast<double>(c.bytes) / kBytesPorMB / *t);
        }
    }
    double somaRapida = 0;
    double somaReferencia = 0;
    int etapasMedidas = 0;
    for (const Etapa& etapa : kEtapas) {
        const auto tRapida = coletor.mediana(nomeEtapa(etapa, "rapida"));
        const auto tReferencia = coletor.mediana(nomeEtapa(etapa, "referencia"));
        if (!tRapida || !tReferencia) continue;
        somaRapida += *tRapida;
        somaReferencia += *tReferencia;
        ++etapasMedidas;
        const double elementos = elementosDaEtapa(etapa);
        acrescentar("| %s, this / reference | %s / %s ms | %.2f / %.2f ns per %s |\n", etapa.rotulo,
                    ms(*tRapida).c_str(), ms(*tReferencia).c_str(),
                    *tRapida * kNsPorSegundo / elementos, *tReferencia * kNsPorSegundo / elementos,
                    etapa.porTriangulo ? "triangle" : "point");
    }
    md += "\n";
    const auto piso = coletor.mediana(kCargaPiso);
    const auto rapida = coletor.mediana(kCargaRapida);
    const auto referencia = coletor.mediana(kCargaReferencia);
    if (piso && rapida && referencia) {
        const double sobrePiso = *rapida / *piso;
        const double ganho = *referencia / *rapida;
        acrescentar(
            "Ratios: load %.2f× the floor (at most %.1f×: %s) and %.2f× faster than the "
            "reference (at least %.1f×: %s)",
            sobrePiso, kMetaRapidaSobrePiso,
            sobrePiso <= kMetaRapidaSobrePiso ? "met" : "**not met**", ganho, kMetaGanhoCarga,
            ganho >= kMetaGanhoCarga ? "met" : "**not met**");
    }
    if (etapasMedidas == static_cast<int>(std::size(kEtapas))) {
        const double ganho = somaReferencia / somaRapida;
        acrescentar(
            "; the three stages together %.2f× faster than the reference ones (%s ms "
            "against %s ms; at least %.1f×: %s)",
            ganho, ms(somaRapida).c_str(), ms(somaReferencia).c_str(), kMetaGanhoEtapas,
            ganho >= kMetaGanhoEtapas ? "met" : "**not met**");
    }
    md += ".";
    if (memoria.medida && memoria.valida) {
        const double picoMiB = (memoria.picoKiB - memoria.antesKiB) / kBytesPorKiB;
        acrescentar(
            " Peak memory of one load was %.1f MiB above the start, for %.1f MiB of lists "
            "and %.1f MiB of file (ratio %.2f).",
            picoMiB, listasMiB, arquivoMiB, picoMiB / (listasMiB + arquivoMiB));
    }
    if (cenas) {
        md += cenas->diferenca.empty()
                  ? " Scenes after the three stages were identical bit for bit between the two."
                  : " Scenes after the three stages DIFFER: " + cenas->diferenca + ".";
    }
    md += "\n";
    return md;
}

// ---------------------------------------------------------------------------------------------
// Command line and set-up.

// Removes the options of this program from argv (so Google Benchmark never sees them) and stores
// them; returns false with a message on a bad value.
bool lerOpcoes(int& argc, char** argv) {
    struct Opcao {
        std::string_view nome;
        int* destino;
    };
    const Opcao opcoes[] = {{"--pontos", &configuracao.pontos},
                            {"--triangulos", &configuracao.triangulos},
                            {"--repeticoes", &configuracao.repeticoes}};
    int saida = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argumento = argv[i];
        constexpr std::string_view kMarkdown = "--markdown";
        if (argumento == kMarkdown) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a file\n", argv[i]);
                return false;
            }
            configuracao.markdown = argv[++i];
            continue;
        }
        if (argumento.substr(0, kMarkdown.size() + 1) == "--markdown=") {
            configuracao.markdown = argumento.substr(kMarkdown.size() + 1);
            continue;
        }
        const Opcao* achada = nullptr;
        std::string_view valor;
        for (const Opcao& opcao : opcoes) {
            if (argumento == opcao.nome) {
                if (i + 1 >= argc) {
                    std::fprintf(stderr, "%s needs a value\n", argv[i]);
                    return false;
                }
                achada = &opcao;
                valor = argv[++i];
            } else if (argumento.size() > opcao.nome.size() &&
                       argumento.substr(0, opcao.nome.size()) == opcao.nome &&
                       argumento[opcao.nome.size()] == '=') {
                achada = &opcao;
                valor = argumento.substr(opcao.nome.size() + 1);
            }
            if (achada) break;
        }
        if (!achada) {
            argv[saida++] = argv[i];
            continue;
        }
        int numero = 0;
        const auto [final, erro] =
            std::from_chars(valor.data(), valor.data() + valor.size(), numero);
        if (erro != std::errc{} || final != valor.data() + valor.size() || numero < 1) {
            std::fprintf(stderr, "%.*s needs a positive integer, got '%.*s'\n",
                         static_cast<int>(achada->nome.size()), achada->nome.data(),
                         static_cast<int>(valor.size()), valor.data());
            return false;
        }
        *achada->destino = numero;
    }
    argc = saida;
    argv[argc] = nullptr;
    return true;
}

// The generated scene on disk for the program's lifetime.
class ArquivoTemporario {
public:
    explicit ArquivoTemporario(std::filesystem::path caminho) : caminho(std::move(caminho)) {}
    ~ArquivoTemporario() {
        std::error_code erro;
        std::filesystem::remove(caminho, erro);
    }
    ArquivoTemporario(const ArquivoTemporario&) = delete;
    ArquivoTemporario& operator=(const ArquivoTemporario&) = delete;

private:
    std::filesystem::path caminho;
};

void registrar(const std::string& nome, std::function<void(benchmark::State&)> funcao) {
    benchmark::RegisterBenchmark(nome.c_str(), std::move(funcao))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(configuracao.repeticoes)
        ->ReportAggregatesOnly(true);
}

}  // namespace

int main(int argc, char** argv) {
    if (!lerOpcoes(argc, argv)) return EXIT_FAILURE;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return EXIT_FAILURE;

    std::error_code erro;
    configuracao.arquivo = std::filesystem::temp_directory_path(erro) /
                           ("gouraud_bench_" + std::to_string(getpid()) + ".txt");
    const ArquivoTemporario guarda(configuracao.arquivo);
    {
        const std::string texto = gerarCena(kSemente, configuracao.pontos, configuracao.triangulos);
        std::ofstream saida(configuracao.arquivo, std::ios::binary);
        saida.write(texto.data(), static_cast<std::streamsize>(texto.size()));
        if (!saida.flush()) {
            std::fprintf(stderr, "could not write %s\n", configuracao.arquivo.c_str());
            return EXIT_FAILURE;
        }
        configuracao.bytes = texto.size();
    }

    // Measured before any benchmark so that only the file and the program are resident.
    const Memoria memoria = medirMemoria();

    registrar(kCargaPiso, medirCargaPiso);
    registrar(kCargaRapida, medirCargaRapida);
    registrar(kCargaReferencia, medirCargaReferencia);
    for (const Etapa& etapa : kEtapas) {
        registrar(nomeEtapa(etapa, "rapida"),
                  [&etapa](benchmark::State& state) { medirEtapaRapida(state, etapa); });
        registrar(nomeEtapa(etapa, "referencia"),
                  [&etapa](benchmark::State& state) { medirEtapaReferencia(state, etapa); });
    }

    const auto opcoesSaida = isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                   : benchmark::ConsoleReporter::OO_Tabular;
    ColetorMedianas coletor(opcoesSaida);
    benchmark::RunSpecifiedBenchmarks(&coletor);
    std::fflush(stdout);
    std::cout.flush();
    imprimirResumo(coletor, memoria);
    benchmark::Shutdown();
    if (!configuracao.markdown.empty()) {
        std::ofstream md(configuracao.markdown, std::ios::binary);
        md << resumoMarkdown(coletor, memoria);
        if (!md.flush()) {
            std::fprintf(stderr, "could not write %s\n", configuracao.markdown.c_str());
            return EXIT_FAILURE;
        }
    }
    return EXIT_SUCCESS;
}
