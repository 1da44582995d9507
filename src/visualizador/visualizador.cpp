// The viewer: draws a shaded picture of a scene file or a mesh file, in a window where the
// camera can walk around the model, or headless into a PNG file, or times its frames; and
// writes what it loaded as a scene file.
#include <allegro.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CenaCarregada.h"
#include "Estilo.h"
#include "GravadorCena.h"
#include "GravadorPng.h"
#include "Janela.h"
#include "Quadro.h"
#include "VistaPadrao.h"
#include "Visualizacao.h"

// jemalloc, the allocator the viewer is linked with, reads its settings from this name at its
// first allocation: it backs its memory with transparent huge pages where the system allows them
// on request, so a large mesh costs a fault per 2 MiB rather than per 4 KiB. Without jemalloc
// (a sanitizer build) nothing reads it.
extern "C" {
const char* malloc_conf = "thp:always";
}

namespace {

constexpr int kSaidaFalha = 1;
constexpr int kSaidaUso = 2;
constexpr char kCenaPadrao[] = "triangulo.txt";
constexpr int kQuadrosMedidosPadrao = 20;
constexpr int kMaisQuadrosMedidos = 100000;
// The sides a window and a picture may have, in pixels.
constexpr int kMenorLado = 16;
constexpr int kMaiorLado = 4096;
constexpr int kLarguraPadrao = 640;
constexpr int kAlturaPadrao = 480;

constexpr char kUso[] =
    "usage: visualizador [ARQUIVO] [--cima EIXO] [--vista VISTA] [--iluminacao ARQUIVO]\n"
    "                    [--tamanho LARGURAxALTURA] [--modo plano|gouraud|phong]\n"
    "                    [--arestas] [--normais] [--imagem SAIDA.png] [--medir [N]]\n"
    "                    [--salvar-cena SAIDA.txt]\n"
    "\n"
    "Draws a shaded picture of ARQUIVO (default: triangulo.txt in the current folder):\n"
    "a scene file (.txt, or no extension) or a mesh file (OBJ, PLY, STL, OFF, glTF, 3DS,\n"
    "Collada and the other formats of the Open Asset Import Library), which is framed by a\n"
    "default camera.\n"
    "\n"
    "  --cima EIXO              the model's up axis: +y (default), -y, +z, -z, +x or -x\n"
    "  --vista VISTA            start from the view frente (default for a mesh), direita,\n"
    "                           topo or iso, 1.5 diagonals from the model; replaces a scene\n"
    "                           file's camera and projection window\n"
    "  --iluminacao ARQUIVO     lighting settings (light position, ambient, diffuse, specular\n"
    "                           and light colour) instead of the defaults\n"
    "  --tamanho LARGURAxALTURA size of the window and the picture, each from 16 to 4096\n"
    "                           (default 640x480)\n"
    "  --modo MODO              plano: one colour per triangle, lit at its centroid; gouraud\n"
    "                           (the default): lit at the points, colours interpolated;\n"
    "                           phong: lit at every pixel, normals interpolated\n"
    "  --arestas                draw the mesh's visible edges in black\n"
    "  --normais                draw the scene's normals as short blue needles\n"
    "  --imagem SAIDA.png       draw one frame into an RGB PNG file, with no window\n"
    "  --medir [N]              draw N frames (default 20) after one warm-up frame, with no\n"
    "                           window, and print the median, fastest and slowest frame time\n"
    "  --salvar-cena SAIDA.txt  write what was loaded, with its starting camera, as a scene\n"
    "                           file; without --imagem or --medir, end without a window\n"
    "  --help                   show this text\n"
    "\n"
    "In the window: a left drag or the arrows turn the model, a right or middle drag moves it,\n"
    "the wheel, Page Up/Down or +/- move nearer or further, 1, 3, 7 and 9 show the front,\n"
    "right, top and iso views as --vista frames them, R restores the starting view, M\n"
    "changes the mode, E shows the edges, N the needles, L reads the files again (they are\n"
    "also read again when they change), F12 saves visualizador-NNN.png, H shows the mode and\n"
    "the frame time, F1 or ? lists the keys, ESC quits.\n";

struct Opcoes {
    std::string cena = kCenaPadrao;
    std::optional<std::string> iluminacao;
    std::optional<std::string> imagem;
    std::optional<int> quadrosMedidos;
    std::optional<std::string> salvarCena;
    VistaPadrao::Cima cima = VistaPadrao::Cima::maisY;
    std::optional<VistaPadrao::Lado> vista;
    int largura = kLarguraPadrao;
    int altura = kAlturaPadrao;
    Estilo estilo;
    bool ajuda = false;
};

// A side of --tamanho: only digits, from kMenorLado to kMaiorLado.
std::optional<int> lerLado(std::string_view texto) {
    const bool soDigitos = !texto.empty() && std::all_of(texto.begin(), texto.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
    if (!soDigitos) {
        return std::nullopt;
    }
    int lado = 0;
    const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), lado);
    if (erro != std::errc() || fim != texto.data() + texto.size() || lado < kMenorLado ||
        lado > kMaiorLado) {
        return std::nullopt;
    }
    return lado;
}

// Reads the command line; nullopt, after saying why and showing the usage on standard error,
// when it is not understood.
std::optional<Opcoes> lerOpcoes(int argc, char** argv) {
    Opcoes opcoes;
    bool cenaDada = false;
    bool fimDasOpcoes = false;
    const auto falhar = [](const std::string& motivo) -> std::optional<Opcoes> {
        std::cerr << "visualizador: " << motivo << "\n" << kUso;
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view argumento = argv[i];
        const bool temProximo = i + 1 < argc;
        if (!fimDasOpcoes && argumento == "--") {
            fimDasOpcoes = true;
        } else if (!fimDasOpcoes && (argumento == "--help" || argumento == "-h")) {
            opcoes.ajuda = true;
        } else if (!fimDasOpcoes && argumento == "--iluminacao") {
            if (!temProximo) return falhar("--iluminacao needs a file name");
            opcoes.iluminacao = argv[++i];
        } else if (!fimDasOpcoes && argumento == "--modo") {
            if (!temProximo) return falhar("--modo needs plano, gouraud or phong");
            const std::optional<Estilo::Modo> modo = Estilo::lerModo(argv[++i]);
            if (!modo) return falhar("unknown mode " + std::string(argv[i]));
            opcoes.estilo.modo = *modo;
        } else if (!fimDasOpcoes && argumento == "--arestas") {
            opcoes.estilo.arestas = true;
        } else if (!fimDasOpcoes && argumento == "--normais") {
            opcoes.estilo.normais = true;
        } else if (!fimDasOpcoes && argumento == "--imagem") {
            if (!temProximo) return falhar("--imagem needs a file name");
            opcoes.imagem = argv[++i];
        } else if (!fimDasOpcoes && argumento == "--salvar-cena") {
            if (!temProximo) return falhar("--salvar-cena needs a file name");
            opcoes.salvarCena = argv[++i];
        } else if (!fimDasOpcoes && argumento == "--cima") {
            if (!temProximo) return falhar("--cima needs an axis");
            const std::optional<VistaPadrao::Cima> cima = VistaPadrao::lerCima(argv[++i]);
            if (!cima) {
                return falhar(std::string("unknown up axis ") + argv[i] +
                              " (--cima takes +y, -y, +z, -z, +x or -x)");
            }
            opcoes.cima = *cima;
        } else if (!fimDasOpcoes && argumento == "--vista") {
            if (!temProximo) return falhar("--vista needs a view");
            const std::optional<VistaPadrao::Lado> vista = VistaPadrao::lerLado(argv[++i]);
            if (!vista) {
                return falhar(std::string("unknown view ") + argv[i] +
                              " (--vista takes frente, direita, topo or iso)");
            }
            opcoes.vista = *vista;
        } else if (!fimDasOpcoes && argumento == "--tamanho") {
            if (!temProximo) return falhar("--tamanho needs a size such as 640x480");
            const std::string_view tamanho = argv[++i];
            const std::size_t x = tamanho.find('x');
            const std::optional<int> largura =
                x == std::string_view::npos ? std::nullopt : lerLado(tamanho.substr(0, x));
            const std::optional<int> altura =
                x == std::string_view::npos ? std::nullopt : lerLado(tamanho.substr(x + 1));
            if (!largura || !altura) {
                return falhar("--tamanho takes WIDTHxHEIGHT, each from 16 to 4096, not " +
                              std::string(tamanho));
            }
            opcoes.largura = *largura;
            opcoes.altura = *altura;
        } else if (!fimDasOpcoes && argumento == "--medir") {
            opcoes.quadrosMedidos = kQuadrosMedidosPadrao;
            if (temProximo) {
                const std::string_view numero = argv[i + 1];
                const bool soDigitos =
                    !numero.empty() && std::all_of(numero.begin(), numero.end(),
                                                   [](char c) { return c >= '0' && c <= '9'; });
                if (soDigitos) {
                    int quadros = 0;
                    const auto [fim, erro] =
                        std::from_chars(numero.data(), numero.data() + numero.size(), quadros);
                    if (erro != std::errc() || quadros < 1 || quadros > kMaisQuadrosMedidos) {
                        return falhar("--medir takes a number of frames from 1 to 100000");
                    }
                    opcoes.quadrosMedidos = quadros;
                    ++i;
                }
            }
        } else if (!fimDasOpcoes && argumento.size() > 1 && argumento[0] == '-') {
            return falhar("unknown option " + std::string(argumento));
        } else if (cenaDada) {
            return falhar("only one scene file can be given");
        } else {
            opcoes.cena = argumento;
            cenaDada = true;
        }
    }
    return opcoes;
}

// Writes "visualizador: MESSAGE" on standard error and gives the failure status.
int falha(const std::string& mensagem) {
    std::cerr << "visualizador: " << mensagem << std::endl;
    return kSaidaFalha;
}

// Draws `quantos` frames of the starting view after a warm-up one and prints their median,
// fastest and slowest times in milliseconds, after a line of what the last frame did with the
// clusters when it culled hidden ones; false when standard output refused a line.
bool medir(Visualizacao& visualizacao, Quadro& quadro, int quantos) {
    visualizacao.desenhar(quadro);
    std::vector<double> tempos;
    tempos.reserve(static_cast<std::size_t>(quantos));
    for (int i = 0; i < quantos; ++i) {
        const auto inicio = std::chrono::steady_clock::now();
        visualizacao.desenhar(quadro);
        const std::chrono::duration<double, std::milli> duracao =
            std::chrono::steady_clock::now() - inicio;
        tempos.push_back(duracao.count());
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

int executar(const Opcoes& opcoes) {
    // Reads the lighting file, then the scene, and keeps watching both for the window.
    Visualizacao visualizacao(opcoes.cena, opcoes.iluminacao,
                              CenaCarregada::Opcoes{opcoes.cima, opcoes.vista}, opcoes.largura,
                              opcoes.altura);
    if (!visualizacao.valida()) {
        return falha(visualizacao.getErro());
    }
    visualizacao.setEstilo(opcoes.estilo);
    if (opcoes.salvarCena) {
        const std::string erroCena =
            GravadorCena::gravar(visualizacao.getCarregada().getCena(), *opcoes.salvarCena);
        if (!erroCena.empty()) {
            return falha("cannot write " + *opcoes.salvarCena + ": " + erroCena);
        }
        if (!opcoes.quadrosMedidos && !opcoes.imagem) {
            return 0;
        }
    }
    if (opcoes.quadrosMedidos || opcoes.imagem) {
        Quadro quadro(opcoes.largura, opcoes.altura);
        if (opcoes.quadrosMedidos) {
            if (!medir(visualizacao, quadro, *opcoes.quadrosMedidos)) {
                return falha(std::string("cannot write the times: ") + std::strerror(errno));
            }
        } else {
            visualizacao.desenhar(quadro);
        }
        if (opcoes.imagem) {
            const std::string erroImagem = GravadorPng::gravar(quadro, *opcoes.imagem);
            if (!erroImagem.empty()) {
                return falha("cannot write " + *opcoes.imagem + ": " + erroImagem);
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

int main(int argc, char** argv) {
    const std::optional<Opcoes> opcoes = lerOpcoes(argc, argv);
    if (!opcoes) {
        return kSaidaUso;
    }
    if (opcoes->ajuda) {
        std::cout << kUso << std::flush;
        return std::cout ? 0 : falha("cannot write the usage to standard output");
    }
    return executar(*opcoes);
}
END_OF_MAIN()
