#include "Relatorio.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "GravadorPng.h"

namespace gouraud::detail {

namespace {

// `s` with everything but letters, digits and '-' made '-', for a file name.
std::string nomeArquivo(std::string s) {
    for (char& c : s) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '-';
    }
    return s;
}

}  // namespace

void Relatorio::anotar(const Caso& caso, const std::string& linha, Medida medida) {
    if (std::find(linhas.begin(), linhas.end(), linha) == linhas.end()) linhas.push_back(linha);
    Medida& total = porCaso[caso.rotulo][linha];
    if (medida.tempos && total.tempos) {
        std::vector<double> ms = total.tempos->ms;
        ms.insert(ms.end(), medida.tempos->ms.begin(), medida.tempos->ms.end());
        total.tempos = Tempos::resumir(std::move(ms));
    } else if (medida.tempos) {
        total.tempos = std::move(medida.tempos);
    }
    total.notas = std::move(medida.notas);
}

void Relatorio::imprimir(const std::string& nome, const Medida& m) const {
    std::printf("  %-*s %s\n", kColunaNome, nome.c_str(),
                m.tempos ? m.tempos->descrever().c_str()
                         : ("not measured: " + (m.notas.empty() ? "" : m.notas[0])).c_str());
    std::fflush(stdout);
}

void Relatorio::imprimirTudo() const {
    for (const Caso* caso : casos) {
        std::printf("\n%s, all %d rounds\n", caso->rotulo.c_str(), configuracao.rodadas);
        const auto medidas = porCaso.find(caso->rotulo);
        if (medidas == porCaso.end()) continue;
        for (const std::string& linha : linhas) {
            const auto it = medidas->second.find(linha);
            if (it == medidas->second.end()) continue;
            const Medida& m = it->second;
            std::printf("  %-*s %s\n", kColunaNome, linha.c_str(),
                        m.tempos ? m.tempos->descrever().c_str() : "not measured");
            for (const std::string& nota : m.notas)
                std::printf("  %-*s   %s\n", kColunaNome, "", nota.c_str());
        }
    }
    std::fflush(stdout);
}

void Relatorio::gravar(const Caso& caso, const std::string& quem, const Quadro& quadro) const {
    if (configuracao.imagens.empty() || !ultimaRodada) return;
    const std::filesystem::path arquivo = std::filesystem::path(configuracao.imagens) /
                                          (nomeArquivo(caso.curto + "-" + quem) + ".png");
    const std::string erro = GravadorPng::gravar(quadro, arquivo.string());
    if (!erro.empty()) {
        std::fprintf(stderr, "visualizador_bench: cannot write %s: %s\n", arquivo.c_str(),
                     erro.c_str());
    } else {
        std::printf("  %-*s   (picture: %s)\n", kColunaNome, "", arquivo.c_str());
    }
}

std::optional<Tempos> Relatorio::temposDe(const Caso& caso, const std::string& linha) const {
    const auto medidas = porCaso.find(caso.rotulo);
    if (medidas == porCaso.end()) return std::nullopt;
    const auto it = medidas->second.find(linha);
    return it == medidas->second.end() ? std::nullopt : it->second.tempos;
}

}  // namespace gouraud::detail
