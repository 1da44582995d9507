#include "Caso.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <utility>

#include "CaixaEnvolvente.h"
#include "LeitorMalha.h"
#include "VistaPadrao.h"

namespace gouraud::detail {

namespace {

// Swallows what is written to it.
class BufferNulo : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

std::string comMilhares(long long n) {
    const std::string digitos = std::to_string(n);
    std::string s;
    for (std::size_t i = 0; i < digitos.size(); ++i) {
        if (i > 0 && digitos[i - 1] != '-' && (digitos.size() - i) % 3 == 0) s.push_back(',');
        s.push_back(digitos[i]);
    }
    return s;
}

std::optional<Cena> Cena::carregar(const std::string& caminho) {
    if (LeitorMalha::ehMalha(caminho)) {
        // The mesh and its default view, as the viewer reads and frames it.
        LeitorMalha leitor(caminho);
        if (!leitor.valida()) {
            std::fprintf(stderr, "visualizador_bench: %s: %s\n", caminho.c_str(),
                         leitor.getErro().c_str());
            return std::nullopt;
        }
        const CaixaEnvolvente caixa(leitor.getPontos().data(),
                                    static_cast<int>(leitor.getPontos().size()),
                                    leitor.getPrimitivas());
        const VistaPadrao vista =
            VistaPadrao::calcular(VistaPadrao::Cima::maisY, VistaPadrao::Lado::frente,
                                  caixa.getCentro(), caixa.getDiagonal());
        Cena cena;
        cena.gouraud = std::make_unique<Gouraud>(std::move(leitor.getPontos()),
                                                 std::move(leitor.getTriangulos()), vista.n,
                                                 vista.v, vista.foco, 0.0, 0.0, 0.0);
        cena.malha = std::make_unique<Malha>(*cena.gouraud, std::move(leitor.getAparencia()),
                                             std::move(leitor.getPrimitivas()));
        cena.camera = Camera(*cena.gouraud);
        cena.curto = std::filesystem::path(caminho).stem().string();
        const Primitivas& primitivas = cena.malha->getPrimitivas();
        cena.rotulo = std::filesystem::path(caminho).filename().string() + " (" +
                      comMilhares(cena.malha->getQuantTriangulos()) + " triangles, " +
                      comMilhares(primitivas.getQuantPontos()) + " points, " +
                      comMilhares(primitivas.getQuantLinhas()) + " lines)";
        return cena;
    }
    std::ifstream arquivo(caminho, std::ios::binary);
    if (!arquivo) {
        std::fprintf(stderr, "visualizador_bench: cannot open %s\n", caminho.c_str());
        return std::nullopt;
    }
    Cena cena;
    {
        BufferNulo nulo;
        std::streambuf* anterior = std::cout.rdbuf(&nulo);
        cena.gouraud = std::make_unique<Gouraud>(arquivo);
        std::cout.rdbuf(anterior);
    }
    if (!cena.gouraud->cenaValida()) {
        std::fprintf(stderr, "visualizador_bench: %s: %s\n", caminho.c_str(),
                     cena.gouraud->getDiagnostico().c_str());
        return std::nullopt;
    }
    const std::string problema = Camera::problemaDaCena(*cena.gouraud);
    if (!problema.empty()) {
        std::fprintf(stderr, "visualizador_bench: %s: %s\n", caminho.c_str(), problema.c_str());
        return std::nullopt;
    }
    cena.malha = std::make_unique<Malha>(*cena.gouraud);
    cena.camera = Camera(*cena.gouraud);
    cena.curto = std::filesystem::path(caminho).stem().string();
    cena.rotulo = std::filesystem::path(caminho).filename().string() + " (" +
                  comMilhares(cena.malha->getQuantTriangulos()) + " triangles)";
    return cena;
}

}  // namespace gouraud::detail
