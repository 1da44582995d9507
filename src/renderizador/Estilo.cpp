#include "Estilo.h"

#include <algorithm>
#include <array>
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

}  // namespace gouraud::detail
