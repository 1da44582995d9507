#include "Estilo.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace gouraud::detail {

namespace {

constexpr std::array<std::pair<Estilo::Modo, const char*>, 3> kNomes = {{
    {Estilo::Modo::plano, "plano"},
    {Estilo::Modo::gouraud, "gouraud"},
    {Estilo::Modo::phong, "phong"},
}};

}  // namespace

std::optional<Estilo::Modo> Estilo::lerModo(std::string_view nome) {
    for (const auto& [modo, texto] : kNomes) {
        if (nome == texto) {
            return modo;
        }
    }
    return std::nullopt;
}

const char* Estilo::nomeDoModo(Modo modo) {
    for (const auto& [candidato, texto] : kNomes) {
        if (candidato == modo) {
            return texto;
        }
    }
    return "?";
}

Estilo::Modo Estilo::modoSeguinte(Modo modo) {
    switch (modo) {
        case Modo::plano:
            return Modo::gouraud;
        case Modo::gouraud:
            return Modo::phong;
        case Modo::phong:
            break;
    }
    return Modo::plano;
}

int Estilo::pontoSeguinte(int tamanho, int passo) {
    return std::clamp(tamanho + passo, kMenorPonto, kMaiorPonto);
}

std::string Estilo::descricao() const {
    std::string texto = nomeDoModo(modo);
    if (arestas) {
        texto += ", edges";
    }
    if (normais) {
        texto += ", normals";
    }
    if (!cores) {
        texto += ", colours off";
    }
    return texto;
}

std::string Estilo::descricaoImagem() const {
    std::string texto;
    const auto acrescentar = [&texto](const std::string& parte) {
        texto += (texto.empty() ? "" : ", ") + parte;
    };
    if (bits24) {
        acrescentar("24 bits");
    }
    if (amostras > 1) {
        acrescentar("aa " + std::to_string(amostras));
    }
    if (edl) {
        acrescentar("edl");
    }
    return texto;
}

int Estilo::amostrasSeguintes(int amostras, int largura, int altura) {
    for (int passo = 1; passo < kMaisAmostras; ++passo) {
        const int k = (amostras - 1 + passo) % kMaisAmostras + 1;
        if (problemaAmostras(k, largura, altura).empty()) {
            return k;
        }
    }
    return 1;
}

std::string Estilo::problemaAmostras(int amostras, int largura, int altura) {
    const long grandeLargura = static_cast<long>(amostras) * largura;
    const long grandeAltura = static_cast<long>(amostras) * altura;
    if (grandeLargura <= Quadro::kMaiorLado && grandeAltura <= Quadro::kMaiorLado) {
        return "";
    }
    return "aa " + std::to_string(amostras) + " at " + std::to_string(largura) + "x" +
           std::to_string(altura) + " would draw " + std::to_string(grandeLargura) + "x" +
           std::to_string(grandeAltura) + " samples, more than " +
           std::to_string(Quadro::kMaiorLado) + " on a side";
}

}  // namespace gouraud::detail
