#include "Resumo.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <utility>

namespace gouraud::detail {

namespace {

// Appends printf's text for `formato` to `saida`.
[[gnu::format(printf, 2, 3)]] void acrescentar(std::string& saida, const char* formato, ...) {
    std::va_list argumentos;
    va_start(argumentos, formato);
    std::va_list copia;
    va_copy(copia, argumentos);
    const int tamanho = std::vsnprintf(nullptr, 0, formato, argumentos);
    va_end(argumentos);
    if (tamanho > 0) {
        const std::size_t antes = saida.size();
        saida.resize(antes + static_cast<std::size_t>(tamanho) + 1);
        std::vsnprintf(saida.data() + antes, static_cast<std::size_t>(tamanho) + 1, formato, copia);
        saida.resize(antes + static_cast<std::size_t>(tamanho));
    }
    va_end(copia);
}

// A median as a table cell: "3.14 ms", "31.4 ms" or "not measured".
std::string celula(const std::optional<Tempos>& t) {
    if (!t) return "not measured";
    char s[64];
    std::snprintf(s, sizeof s, t->mediana < 10 ? "%.2f ms" : "%.1f ms", t->mediana);
    return s;
}

// "2.50×": the median of `t` over this renderer's; "–" when either is missing.
std::string razao(const std::optional<Tempos>& t, const std::optional<Tempos>& nosso) {
    if (!t || !nosso || nosso->mediana <= 0) return "–";
    char s[64];
    std::snprintf(s, sizeof s, "%.2f×", t->mediana / nosso->mediana);
    return s;
}

// "<= 10 ms, >= 10x llvmpipe" and whether this run met it: "yes", "NO" or "?" (not measured).
std::pair<std::string, std::string> meta(const Caso& caso, const std::optional<Tempos>& nosso,
                                         const std::optional<Tempos>& llvmpipe,
                                         const std::optional<Tempos>& allegro) {
    char limite[32];
    std::snprintf(limite, sizeof limite, "≤ %g ms", caso.metaMs);
    std::string texto = limite;
    if (caso.frenteAllegro) {
        texto += ", ahead of llvmpipe and Allegro";
    } else if (caso.metaRazao > 0) {
        texto += ", ≥ " + std::to_string(static_cast<int>(caso.metaRazao)) + "× llvmpipe";
    }
    if (!nosso) return {texto, "?"};
    if (caso.metaRazao <= 0) return {texto, nosso->mediana <= caso.metaMs ? "yes" : "NO"};
    if (!llvmpipe || (caso.frenteAllegro && !allegro)) return {texto, "?"};
    bool cumprida =
        nosso->mediana <= caso.metaMs && llvmpipe->mediana >= caso.metaRazao * nosso->mediana;
    if (caso.frenteAllegro) cumprida = cumprida && allegro->mediana > nosso->mediana;
    return {texto, cumprida ? "yes" : "NO"};
}

}  // namespace

std::string Resumo::texto(const Relatorio& r, const Linhas& l, const PrimeiraImagem& p,
                          const std::vector<std::string>& notas, const std::string& cargaInicial,
                          const Maquina::UsoCpu& usoInicial) {
    std::string s;
    acrescentar(
        s,
        "medians of %d frames (%d rounds of one warm-up and %d timed "
        "frames), 640 x 480 unless the case says otherwise; ratio = that renderer's median / this "
        "renderer's on every core "
        "(above 1: slower)\n\n",
        r.configuracao.rodadas * r.configuracao.quadros, r.configuracao.rodadas,
        r.configuracao.quadros);
    acrescentar(s,
                "Machine: %s; load average (1, 5, 15 min) %s at the start, %s at the end; "
                "during the run %s\n\n",
                Maquina::descrever().c_str(), cargaInicial.c_str(), Maquina::cargaMedia().c_str(),
                Maquina::outrosProcessos(usoInicial, Maquina::lerUsoCpu()).c_str());
    acrescentar(s,
                "| mesh, view | %s | this, 1 thread | reference | Allegro | llvmpipe, 1 thread | "
                "llvmpipe, 2 threads | ratio llvmpipe 2 | ratio Allegro | goal | met |\n"
                "|---|---:|---:|---:|---:|---:|---:|---:|---:|---|---|\n",
                l.nossa.c_str());
    for (const Caso* caso : r.casos) {
        const std::optional<Tempos> nosso = r.temposDe(*caso, l.nossa);
        const std::optional<Tempos> llvmpipe = r.temposDe(*caso, l.llvmpipe2);
        const std::optional<Tempos> allegro = r.temposDe(*caso, l.allegro);
        const auto [textoMeta, cumprida] = meta(*caso, nosso, llvmpipe, allegro);
        acrescentar(s, "| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n",
                    caso->rotulo.c_str(), celula(nosso).c_str(),
                    celula(r.temposDe(*caso, l.nossa1)).c_str(),
                    celula(r.temposDe(*caso, l.referencia)).c_str(), celula(allegro).c_str(),
                    celula(r.temposDe(*caso, l.llvmpipe1)).c_str(), celula(llvmpipe).c_str(),
                    razao(llvmpipe, nosso).c_str(), razao(allegro, nosso).c_str(),
                    textoMeta.c_str(), cumprida.c_str());
    }
    acrescentar(s,
                "\nTime to first picture, `visualizador %s --imagem out.png` from start to exit "
                "(load, normals, framing, one frame, PNG): ",
                std::filesystem::path(r.configuracao.malhaGrande).filename().c_str());
    if (p.tempos) {
        acrescentar(s,
                    "median %.1f ms of %d run%s (fastest %.1f, slowest %.1f; the file is in the "
                    "page cache)\n",
                    p.tempos->mediana, r.configuracao.repeticoes,
                    r.configuracao.repeticoes == 1 ? "" : "s", p.tempos->menor, p.tempos->maior);
        acrescentar(s, "Peak memory of a run (its largest resident set): %.0f MiB\n", p.memoriaMb);
    } else {
        acrescentar(s, "not measured: %s\n", p.observacao.c_str());
    }
    for (const std::string& nota : notas) acrescentar(s, "\n%s", nota.c_str());
    acrescentar(s, "\n");
    return s;
}

std::string Resumo::imprimir(const Relatorio& r, const Linhas& l, const PrimeiraImagem& p,
                             const std::vector<std::string>& notas, const std::string& cargaInicial,
                             const Maquina::UsoCpu& usoInicial) {
    std::string s = texto(r, l, p, notas, cargaInicial, usoInicial);
    std::printf("\nSummary (markdown): %s", s.c_str());
    return s;
}

}  // namespace gouraud::detail
