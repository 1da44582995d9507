// Feeds arbitrary bytes to the scene loader, runs every stage, and compares everything with the
// straightforward stream-extraction reference, bit for bit. Any difference aborts. Whatever
// loads is then drawn, with the headlight and with a light placed from the input's bytes, in
// the default mode and in a mode with edges and needles chosen by the input's bytes, so that the
// sanitizers watch the renderer on every scene the loader accepts. Bytes that start as a mesh
// file does ("ply", "solid", "v ", "f " or "#") are also read as a mesh of that format (PLY, STL
// or OBJ), through the checks, the fast readers and the import library, and what they give is
// held to the reader's promises: triangles over distinct, finite points, a look (colours,
// materials, textures) for those triangles, and loose points and lines at finite places; a mesh
// with a look is drawn in every mode with it, and a model with points or lines is drawn too.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Aparencia.h"
#include "CaixaEnvolvente.h"
#include "Camera.h"
#include "CenaReferencia.h"
#include "Estilo.h"
#include "Gouraud.h"
#include "Iluminacao.h"
#include "LeitorMalha.h"
#include "Malha.h"
#include "Primitivas.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "VistaPadrao.h"

using namespace gouraud::detail;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The loader writes a marker line per scene; keep the fuzzer's output readable.
    std::cout.setstate(std::ios::badbit);
    return 0;
}

namespace {

// The mesh format the bytes look like, or "" for none: the import library is costly to start,
// so only bytes shaped like a mesh file reach it.
std::string formatoDeMalha(const std::string& texto) {
    if (texto.starts_with("ply")) {
        return "ply";
    }
    if (texto.starts_with("solid") || texto.starts_with("STL")) {
        return "stl";
    }
    if (texto.starts_with("v ") || texto.starts_with("f ") || texto.starts_with("#")) {
        return "obj";
    }
    return "";
}

// Draws a mesh read with a look of its own from the front view, in every mode.
void desenharComCores(LeitorMalha& leitor) {
    const CaixaEnvolvente caixa(leitor.getPontos().data(),
                                static_cast<int>(leitor.getPontos().size()));
    const VistaPadrao vista =
        VistaPadrao::calcular(VistaPadrao::Cima::maisY, VistaPadrao::Lado::frente,
                              caixa.getCentro(), caixa.getDiagonal());
    Gouraud cena(std::move(leitor.getPontos()), std::move(leitor.getTriangulos()), vista.n, vista.v,
                 vista.foco, 0.0, 0.0, 0.0);
    if (!cena.cenaValida() || !Camera::problemaDaCena(cena).empty()) {
        return;
    }
    constexpr int kLado = 32;
    const Malha malha(cena, std::move(leitor.getAparencia()));
    const Camera camera(cena);
    const Projecao projecao = Projecao::daCena(cena, malha, camera, kLado, kLado);
    Quadro quadro(kLado, kLado);
    Renderizador renderizador(malha, Iluminacao(), 1);
    for (const Estilo::Modo modo :
         {Estilo::Modo::plano, Estilo::Modo::gouraud, Estilo::Modo::phong}) {
        Estilo estilo;
        estilo.modo = modo;
        renderizador.setEstilo(estilo);
        renderizador.desenhar(camera, projecao, quadro);
    }
}

// Reads the bytes as a mesh and aborts when the reader breaks what it promises. The import
// library reads in this process, as --sem-isolamento has it, so that the fuzzer sees its code and
// the gathering after it (a child process per input would hide both); the child's answers have
// a target of their own (fuzz_resposta.cpp).
void lerComoMalha(const std::string& texto, const std::string& formato) {
    Isolamento emProcesso;
    emProcesso.ativo = false;
    LeitorMalha leitor(texto.data(), texto.size(), formato, LeitorMalha::Leitores::todos,
                       emProcesso);
    const std::string& erro = leitor.getErro();
    // A refusal says why in one line.
    if (!leitor.valida() && !erro.empty() && erro.find('\n') == std::string::npos) {
        return;
    }
    std::vector<Ponto>& pontos = leitor.getPontos();
    std::vector<Triangulo>& triangulos = leitor.getTriangulos();
    Primitivas& primitivas = leitor.getPrimitivas();
    bool bom = leitor.valida() && (!triangulos.empty() || !primitivas.vazia());
    for (const Ponto& p : pontos) {
        bom = bom && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
    }
    for (int i = 0; i < primitivas.getQuantPontos(); ++i) {
        const Ponto p = primitivas.getPonto(i);
        bom = bom && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
    }
    for (const Primitivas::Terno& p : primitivas.getExtremos()) {
        bom = bom && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
    }
    const auto quant = static_cast<int>(pontos.size());
    for (const Triangulo& t : triangulos) {
        for (const int i : {t.indiceP1, t.indiceP2, t.indiceP3}) {
            bom = bom && i >= 0 && i < quant;
        }
    }
    const Aparencia* aparencia = leitor.getAparencia().get();
    bom = bom && (aparencia == nullptr ||
                  aparencia->getQuantTriangulos() == static_cast<int>(triangulos.size()));
    if (!bom) {
        std::fprintf(stderr, "the mesh reader broke its promises: '%s'\n", erro.c_str());
        std::abort();
    }
    if (primitivas.vazia()) {
        if (aparencia != nullptr) {
            desenharComCores(leitor);
        }
        return;
    }
    // A model with points or lines is drawn from its default view, with its look, with points
    // of a size from the bytes, so that the sanitizers watch their passes too.
    const CaixaEnvolvente caixa(pontos.data(), quant, primitivas);
    const VistaPadrao vista = VistaPadrao::calcular(
        VistaPadrao::Cima::maisY, VistaPadrao::Lado::iso, caixa.getCentro(), caixa.getDiagonal());
    Gouraud cena(std::move(pontos), std::move(triangulos), vista.n, vista.v, vista.foco, 0, 0, 0);
    if (!cena.cenaValida() || !Camera::problemaDaCena(cena).empty()) {
        return;
    }
    const Malha malha(cena, std::move(leitor.getAparencia()), std::move(primitivas));
    const Camera camera(cena);
    const Projecao projecao = Projecao::enquadrar(malha, camera);
    Renderizador renderizador(malha, Iluminacao(), 1);
    Estilo estilo;
    estilo.tamanhoPonto =
        Estilo::kMenorPonto + static_cast<int>(texto.size() % Estilo::kMaiorPonto);
    estilo.arestas = true;
    renderizador.setEstilo(estilo);
    static Quadro quadro;
    renderizador.desenhar(camera, projecao, quadro);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string texto(reinterpret_cast<const char*>(dados), tamanho);
    const std::string formato = formatoDeMalha(texto);
    if (!formato.empty()) {
        lerComoMalha(texto, formato);
    }

    std::istringstream entrada(texto);
    Gouraud cena(entrada);
    cena.mudancaCoordenadasCamera();
    cena.calcularNormalTriangulo();
    cena.calcularNovoPonto();
    // Indices taken from the input itself, in and out of range.
    const int limite = cena.getQuantPontos() + 1;
    for (std::size_t i = 0; i + 2 < tamanho && i < 3 * 8; i += 3) {
        const std::unique_ptr<Vetor> normal(
            cena.encontrarNormal(dados[i] % limite - 1, dados[i + 1] % limite, dados[i + 2]));
    }

    // A problem is named exactly when the scene is not valid, in one line.
    const std::string& diagnostico = cena.getDiagnostico();
    if (cena.cenaValida() != diagnostico.empty() || diagnostico.find('\n') != std::string::npos) {
        std::fprintf(stderr, "diagnostic '%s' for a scene %s\n", diagnostico.c_str(),
                     cena.cenaValida() ? "valid" : "not valid");
        std::abort();
    }

    std::istringstream entradaReferencia(texto);
    CenaReferencia referencia = carregarReferencia(entradaReferencia);
    executarEstagiosReferencia(referencia);
    const std::string diferenca = primeiraDiferenca(cena, referencia);
    if (!diferenca.empty()) {
        std::fprintf(stderr, "scene differs from the reference: %s\n", diferenca.c_str());
        std::abort();
    }

    // A scene without triangles draws nothing; the frame is not cleared for it.
    if (cena.getQuantTriangulos() > 0) {
        static Quadro quadro;
        Malha malha(cena);
        const Camera camera(cena);
        const Projecao projecao = Projecao::daCena(cena, malha, camera);
        Iluminacao lateral;
        lateral.luzNoFoco = false;
        lateral.luz = Ponto(tamanho > 0 ? dados[0] - 128.0 : 1.0, 7.0, -3.0);
        // The mode and the switches from the input's bytes too.
        Estilo estilo;
        constexpr int kModos = 3;
        estilo.modo = static_cast<Estilo::Modo>(tamanho > 1 ? dados[1] % kModos : 0);
        estilo.arestas = tamanho > 2 && (dados[2] & 1U) != 0;
        estilo.normais = tamanho > 2 && (dados[2] & 2U) != 0;
        for (const Iluminacao& iluminacao : {Iluminacao(), lateral}) {
            Renderizador renderizador(malha, iluminacao, 1);
            renderizador.desenhar(camera, projecao, quadro);
            renderizador.setEstilo(estilo);
            renderizador.desenhar(camera, projecao, quadro);
        }
    }
    return 0;
}
