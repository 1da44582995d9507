// The viewer: draws a shaded picture of a scene file or a mesh file, in a window where the
// camera can walk around the model, or headless into a PNG file, or times its frames; and
// writes what it loaded as a scene file.
#include <allegro.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "CenaCarregada.h"
#include "Cronometro.h"
#include "Documentacao.h"
#include "GravadorCena.h"
#include "GravadorNpy.h"
#include "GravadorPng.h"
#include "Janela.h"
#include "Mensagem.h"
#include "OpcoesVisualizador.h"
#include "Quadro.h"
#include "Visualizacao.h"

// jemalloc, the allocator the viewer is linked with, reads its settings from this name at its
// first allocation: it backs its memory with transparent huge pages where the system allows them
// on request, so a large mesh costs a fault per 2 MiB rather than per 4 KiB. Without jemalloc
// (a sanitizer build) nothing reads it.
extern "C" {
const char* malloc_conf = "thp:always";
}

namespace gouraud::detail {
namespace {

constexpr int kSaidaFalha = 1;
constexpr int kSaidaUso = 2;

// Writes "visualizador: MESSAGE" on standard error and gives the failure status.
int falha(const std::string& mensagem) {
    avisar(mensagem);
    return kSaidaFalha;
}

// Draws `quantos` frames of the starting view after a warm-up one and prints their median,
// fastest and slowest times in milliseconds, after a line of what the last frame did with the
// clusters when it culled hidden ones; false when standard output refused a line. With
// `buffers` (null for none) every frame draws them too.
bool medir(Visualizacao& visualizacao, Quadro& quadro, int quantos, BuffersQuadro* buffers) {
    visualizacao.desenhar(quadro, false, buffers);
    std::vector<double> tempos;
    tempos.reserve(static_cast<std::size_t>(quantos));
    for (int i = 0; i < quantos; ++i) {
        const Cronometro cronometro;
        visualizacao.desenhar(quadro, false, buffers);
        tempos.push_back(cronometro.milissegundos());
    }
    std::sort(tempos.begin(), tempos.end());
    const std::size_t meio = tempos.size() / 2;
    const double mediana =
        tempos.size() % 2 == 1 ? tempos[meio] : (tempos[meio - 1] + tempos[meio]) / 2.0;
    bool escrito = true;
    if (const Visibilidade::Contagem* c = visualizacao.getRenderizador().getContagem()) {
        escrito = std::printf("clusters %d: %d drawn (%d first), %d culled by frustum, %d culled "
                              "by occlusion\n",
                              c->aglomerados, c->desenhados, c->primeiraFase, c->foraDoQuadro,
                              c->ocultos) > 0;
    }
    escrito = std::printf("median %.3f ms, fastest %.3f ms, slowest %.3f ms\n", mediana,
                          tempos.front(), tempos.back()) > 0 &&
              escrito;
    return std::fflush(stdout) == 0 && escrito;
}

// The buffers drawn, each beside the picture `imagem` (X.png) as X.<buffer>.npy; "" or the
// first reason one cannot be written.
std::string gravarBuffers(const BuffersQuadro& buffers, const std::string& imagem) {
    const gouraud::Buffers& pedidos = buffers.getPedido();
    const auto altura = static_cast<std::size_t>(buffers.getAltura());
    const auto largura = static_cast<std::size_t>(buffers.getLargura());
    const auto caminho = [&](const char* nome) {
        return std::filesystem::path(imagem).replace_extension(std::string(nome) + ".npy").string();
    };
    const auto gravar = [&](bool pedido, const char* nome, const auto& valores,
                            std::vector<std::size_t> forma) -> std::string {
        if (!pedido) {
            return "";
        }
        const std::string destino = caminho(nome);
        const std::string erro = GravadorNpy::gravar(destino, valores, forma);
        return erro.empty() ? erro : "cannot write " + destino + ": " + erro;
    };
    std::string erro = gravar(pedidos.profundidade, "profundidade", buffers.profundidade,
                              {altura, largura});
    if (erro.empty()) {
        erro = gravar(pedidos.normais, "normais", buffers.normais, {altura, largura, 3});
    }
    if (erro.empty()) {
        erro = gravar(pedidos.triangulo, "triangulo", buffers.triangulo, {altura, largura});
    }
    if (erro.empty()) {
        erro = gravar(pedidos.parte, "parte", buffers.parte, {altura, largura});
    }
    return erro;
}

int executar(const OpcoesVisualizador& opcoes) {
    if (!opcoes.isolamento.ativo) {
        avisar("--sem-isolamento: the import library reads mesh files in this process, "
               "unconfined and with no limit");
    }
    // Reads the lighting file, then the scene, and keeps watching both for the window.
    // The scene loader's marker line goes on standard output, as the seed program's does.
    CenaCarregada::Opcoes leitura{opcoes.cima, opcoes.vista, opcoes.isolamento};
    leitura.marcador = &std::cout;
    leitura.olhar = opcoes.olhar;
    leitura.threads = opcoes.threads;
    Visualizacao visualizacao(opcoes.cena, opcoes.iluminacao, leitura, opcoes.largura,
                              opcoes.altura, opcoes.threads);
    if (!visualizacao.valida()) {
        return falha(visualizacao.getErro());
    }
    visualizacao.setEstilo(opcoes.estilo);
    for (const std::string& aviso : visualizacao.getCarregada().getAvisos()) {
        avisar(opcoes.cena + ": " + aviso);
    }
    if (opcoes.salvarCena) {
        // The scene format holds triangles: a model without any is not written at all, and the
        // points and lines of one with triangles are left out, as the user is told.
        const Malha& malha = visualizacao.getCarregada().getMalha();
        const Primitivas& primitivas = malha.getPrimitivas();
        const std::string nomeCena = std::filesystem::path(opcoes.cena).filename().string();
        if (malha.getQuantTriangulos() == 0) {
            return falha("cannot write " + *opcoes.salvarCena +
                         ": the scene format holds triangles only, and " + nomeCena + " has none");
        }
        const std::string erroCena =
            GravadorCena::gravar(visualizacao.getCarregada().getCena(), *opcoes.salvarCena);
        if (!erroCena.empty()) {
            return falha("cannot write " + *opcoes.salvarCena + ": " + erroCena);
        }
        if (visualizacao.getCarregada().temCores()) {
            avisar(*opcoes.salvarCena +
                   " holds the geometry only: a scene file cannot hold the colours, materials "
                   "and textures of " +
                   opcoes.cena);
        }
        if (!primitivas.vazia()) {
            avisar(*opcoes.salvarCena +
                   " holds the triangles only; the scene format cannot hold the points and "
                   "lines of " +
                   nomeCena + " (" +
                   Visualizacao::contagem(0, primitivas.getQuantLinhas(),
                                          primitivas.getQuantPontos()) +
                   "), which were not written");
        }
        if (!opcoes.quadrosMedidos && !opcoes.imagem) {
            return 0;
        }
    }
    if (opcoes.quadrosMedidos || opcoes.imagem) {
        Quadro quadro(opcoes.largura, opcoes.altura);
        BuffersQuadro buffers;
        const gouraud::Buffers& pedidos = opcoes.buffers;
        const bool comBuffers =
            pedidos.profundidade || pedidos.normais || pedidos.triangulo || pedidos.parte;
        if (comBuffers) {
            buffers.preparar(pedidos, opcoes.largura, opcoes.altura);
        }
        if (opcoes.quadrosMedidos) {
            if (!medir(visualizacao, quadro, *opcoes.quadrosMedidos,
                       comBuffers ? &buffers : nullptr)) {
                return falha(std::string("cannot write the times: ") + std::strerror(errno));
            }
        } else {
            visualizacao.desenhar(quadro, false, comBuffers ? &buffers : nullptr);
        }
        if (opcoes.imagem) {
            const std::string erroImagem = GravadorPng::gravar(quadro, *opcoes.imagem);
            if (!erroImagem.empty()) {
                return falha("cannot write " + *opcoes.imagem + ": " + erroImagem);
            }
            const std::string erroBuffers = gravarBuffers(buffers, *opcoes.imagem);
            if (!erroBuffers.empty()) {
                return falha(erroBuffers);
            }
        }
        return 0;
    }

    Janela janela(visualizacao);
    const std::string nome = std::filesystem::path(opcoes.cena).filename().string();
    return janela.executar("visualizador - " + nome + " (" + std::to_string(opcoes.largura) + "x" +
                           std::to_string(opcoes.altura) + ")");
}

}  // namespace
}  // namespace gouraud::detail

int main(int argc, char** argv) {
    using namespace gouraud::detail;
    const OpcoesVisualizador::Leitura leitura = OpcoesVisualizador::ler(argc, argv);
    if (!leitura.opcoes) {
        std::cerr << "visualizador: " << leitura.motivo << "\n" << Documentacao::uso() << std::flush;
        return kSaidaUso;
    }
    if (leitura.opcoes->ajuda) {
        std::cout << Documentacao::uso() << std::flush;
        return std::cout ? 0 : falha("cannot write the usage to standard output");
    }
    return executar(*leitura.opcoes);
}
END_OF_MAIN()
