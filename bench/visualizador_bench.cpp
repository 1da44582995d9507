// Times whole frames of this renderer against other renderers drawing the same 640 x 480 picture
// of the same mesh from the same view with the default headlight: this renderer on every core
// and on one thread, the straightforward reference (tests/renderizador/RenderizadorReferencia),
// Allegro 4's own Gouraud triangles with its z-buffer, and Mesa's llvmpipe through OSMesa with
// LP_NUM_THREADS=1 and 2 (tests/renderizador/Concorrente*). The large mesh is seen from the six
// views of tests/renderizador/Vistas.h (the file's camera, turned, from above, three-quarter, and
// twice and four times as near), the small one from views 1 and 6. A frame is, for every one of
// them, the camera coordinates and the lighting of the points, the projection, clearing colour
// and depth, and rasterising every triangle. Each measurement draws one warm-up frame and then
// times N frames one by one. The measurements run in K rounds, every renderer on every case in
// each, so that other work on the machine falls on all of them alike; the results are the
// median, fastest and slowest of all K x N frames of a renderer. It also times the viewer's
// first picture of the large mesh, from starting `visualizador MESH --imagem OUT.png` to its
// exit. A summary table in markdown comes last, one row per case, with the goal of each; with
// --markdown FILE it is also written into FILE (scripts/bench.sh --markdown).
//
// The parts, in bench/visualizador/: the cases (Caso), the frame times (Tempos), the renderers
// timed (Renderizadores, ProcessoOsmesa for Mesa's process of its own), the results per round and
// over all (Relatorio), the time to the first picture (PrimeiraImagem), the summary (Resumo) with
// the machine it ran on (Maquina), and with --escala the viewer on larger mesh files (Escala).
// `visualizador_bench --help` lists the options.

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "Caso.h"
#include "Configuracao.h"
#include "Cronometro.h"
#include "Escala.h"
#include "Maquina.h"
#include "PrimeiraImagem.h"
#include "Quadro.h"
#include "Relatorio.h"
#include "Renderizadores.h"
#include "Resumo.h"
#include "Vistas.h"

using namespace gouraud::detail;

namespace {

constexpr int kThreadsLlvmpipe[] = {1, 2};
// The views of the small mesh, the goals' two ends: the whole mesh, and most of it off screen.
constexpr int kVistasPequena[] = {1, 6};
constexpr int kSaidaUso = 2;

// "1,3,6" as {1, 3, 6}; nullopt unless every item is a view number, each at most once.
std::optional<std::vector<int>> lerVistas(std::string_view texto) {
    std::vector<int> vistas;
    while (true) {
        const std::size_t virgula = texto.find(',');
        const std::string_view item = texto.substr(0, virgula);
        int numero = 0;
        const auto [fim, erro] = std::from_chars(item.data(), item.data() + item.size(), numero);
        if (erro != std::errc{} || fim != item.data() + item.size() || numero < 1 ||
            numero > kQuantVistas ||
            std::find(vistas.begin(), vistas.end(), numero) != vistas.end()) {
            return std::nullopt;
        }
        vistas.push_back(numero);
        if (virgula == std::string_view::npos) return vistas;
        texto.remove_prefix(virgula + 1);
    }
}

// The benchmark's options, declared for CLI11 over `c`, which holds their defaults.
void declararOpcoes(CLI::App& app, Configuracao& c) {
    const auto contagem = CLI::Range(1, Configuracao::kLimiteContagem);
    app.add_option("--malha", c.malhaGrande,
                   "the large mesh (scripts/bench.sh makes it: the bunny subdivided four times)")
        ->capture_default_str();
    app.add_option("--malha-pequena", c.malhaPequena, "the small mesh")->capture_default_str();
    app.add_option("--quadros", c.quadros, "timed frames per measurement, after one warm-up frame")
        ->check(contagem)
        ->capture_default_str();
    app.add_option("--rodadas", c.rodadas, "rounds of all the measurements, results over all")
        ->check(contagem)
        ->capture_default_str();
    app.add_option("--repeticoes", c.repeticoes, "runs of the viewer timed to its first picture")
        ->check(contagem)
        ->capture_default_str();
    app.add_option("--visualizador", c.visualizador, "the viewer program to time")
        ->capture_default_str();
    app.add_option("--imagens", c.imagens,
                   "write the last frame of every renderer as PNG files into this folder");
    app.add_option_function<std::string>(
        "--vistas",
        [&c](const std::string& texto) {
            const std::optional<std::vector<int>> vistas = lerVistas(texto);
            if (!vistas) {
                throw CLI::ValidationError(
                    "--vistas", "needs view numbers from 1 to 6 separated by commas, got '" +
                                    texto + "'");
            }
            c.vistas = *vistas;
        },
        "views of the large mesh, from 1 to 6, each at most once, e.g. 1,3,6 (default all)");
    app.add_option("--nuvem", c.nuvem,
                   "a point cloud to measure instead of the meshes (scripts/bench.sh nuvem makes "
                   "one): its frames with 3-pixel points on every core, 1 and 3 threads and "
                   "llvmpipe's GL points, and the viewer's time and memory to its first picture");
    app.add_option("--escala", c.escala,
                   "mesh files to open and draw with the viewer, one row each of the scale table "
                   "(time to a PNG, peak memory, --medir's frame); e.g. the bunny subdivided five "
                   "and six times as binary PLY files");
    app.add_flag("--somente-escala", c.somenteEscala,
                 "measure only the scale table of the --escala files (scripts/bench.sh escala)");
    app.add_flag("--sem-pares", c.semPares,
                 "time this renderer alone, without the reference, Allegro, llvmpipe and the "
                 "first picture (to compare two builds)");
    app.add_option("--markdown", c.markdown,
                   "also write the summary and the scale table as Markdown into this file "
                   "(scripts/bench.sh --markdown)");
}

// The scale table: each of configuracao.escala opened, drawn and timed by the viewer, its frame
// against the first file's, and the goals of the last against the first; printed, and given
// back as Markdown.
std::string tabelaEscala(const Configuracao& configuracao) {
    char titulo[160];
    std::snprintf(titulo, sizeof titulo,
                  "Scale: each file on its default view at 640 x 480, %d runs to a PNG, "
                  "--medir %d\n\n",
                  configuracao.repeticoes, configuracao.quadros);
    std::printf("\n%s", titulo);
    std::string markdown = titulo + Escala::cabecalho();
    std::vector<Escala> medidas;
    for (const std::string& arquivo : configuracao.escala) {
        std::fflush(stdout);
        medidas.push_back(Escala::medir(configuracao, arquivo));
        markdown += medidas.back().imprimir(&medidas.front());
    }
    if (medidas.size() > 1) {
        markdown += "\n" + Escala::metas(medidas.front(), medidas.back());
    }
    return markdown;
}

}  // namespace

int main(int argc, char** argv) {
    Configuracao configuracao;
    CLI::App app("Times whole frames of this renderer against its peers, and the viewer's first "
                 "picture.",
                 "visualizador_bench");
    declararOpcoes(app, configuracao);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& erro) {
        return app.exit(erro) == 0 ? EXIT_SUCCESS : kSaidaUso;
    }
    if (configuracao.somenteEscala) {
        if (configuracao.escala.empty()) {
            std::fprintf(stderr, "visualizador_bench: --somente-escala needs --escala FILE...\n");
            return kSaidaUso;
        }
        const std::string carga = Maquina::cargaMedia();
        std::printf("Machine: %s; load average (1, 5, 15 min) %s\n", Maquina::descrever().c_str(),
                    carga.c_str());
        std::string markdown = "Machine: " + Maquina::descrever() +
                               "; load average (1, 5, 15 min) " + carga + " at the start, " +
                               Maquina::cargaMedia() + " at the end\n\n";
        markdown += tabelaEscala(configuracao);
        if (!configuracao.markdown.empty()) {
            std::ofstream arquivo(configuracao.markdown, std::ios::binary);
            arquivo << markdown;
            if (!arquivo.flush()) return EXIT_FAILURE;
        }
        return EXIT_SUCCESS;
    }
    if (!configuracao.imagens.empty()) {
        std::error_code erro;
        std::filesystem::create_directories(configuracao.imagens, erro);
    }
    // A cloud is measured alone, in the large mesh's place.
    const bool soNuvem = !configuracao.nuvem.empty();
    if (soNuvem) {
        configuracao.malhaGrande = configuracao.nuvem;
        if (!std::filesystem::exists(configuracao.nuvem)) {
            std::fprintf(stderr,
                         "visualizador_bench: %s does not exist; scripts/bench.sh nuvem makes a "
                         "cloud of 5 million points\n",
                         configuracao.nuvem.c_str());
            return EXIT_FAILURE;
        }
    }
    if (!std::filesystem::exists(configuracao.malhaGrande)) {
        std::fprintf(stderr,
                     "visualizador_bench: %s does not exist; make it with\n"
                     "  python3 ../shared/tools/subdividir.py exemplos/bunny.txt 4 > %s\n"
                     "or run scripts/bench.sh renderizador, which does\n",
                     configuracao.malhaGrande.c_str(), configuracao.malhaGrande.c_str());
        return EXIT_FAILURE;
    }

    const int nucleos = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
    const std::string linhaNossa = "this renderer, " + std::to_string(nucleos) + " threads";
    const std::string linhaNossa1 = "this renderer, 1 thread";
    const std::string linhaNossa3 = "this renderer, 3 threads";
    const std::string linhaReferencia = "reference (tests/renderizador/RenderizadorReferencia), 1 thread";
    const std::string linhaAllegro = "Allegro 4 triangle3d_f GRGB + z-buffer, 1 thread";
    const auto linhaOsmesa = [](int n) {
        return "Mesa llvmpipe via OSMesa, LP_NUM_THREADS=" + std::to_string(n);
    };

    std::vector<std::string> notas;
    const std::string erroAllegro = iniciarConcorrentes(notas);

    std::printf(
        "visualizador_bench: %d rounds; in each, every renderer draws one warm-up frame and %d "
        "timed frames of each case\n",
        configuracao.rodadas, configuracao.quadros);
    const std::string cargaInicial = Maquina::cargaMedia();
    const Maquina::UsoCpu usoInicial = Maquina::lerUsoCpu();
    std::printf("Machine: %s; load average (1, 5, 15 min) %s\n", Maquina::descrever().c_str(),
                cargaInicial.c_str());

    Relatorio relatorio{configuracao, Quadro(), {}, {}, {}};
    std::vector<Cena> cenas;
    std::vector<std::string> arquivos = {configuracao.malhaGrande};
    if (!soNuvem) arquivos.push_back(configuracao.malhaPequena);
    for (const std::string& caminho : arquivos) {
        const Cronometro carga;
        std::optional<Cena> cena = Cena::carregar(caminho);
        if (!cena) return EXIT_FAILURE;
        const double msCarga = carga.milissegundos();
        // The same file given twice still makes cases of its own.
        for (const Cena& outra : cenas) {
            if (outra.curto == cena->curto) cena->curto += "-again";
        }
        std::printf("%s: %s points, loaded in %.0f ms\n", cena->rotulo.c_str(),
                    comMilhares(cena->malha->getQuantPontos() +
                                cena->malha->getPrimitivas().getQuantPontos())
                        .c_str(),
                    msCarga);
        cenas.push_back(std::move(*cena));
    }

    // The goals: on the large mesh at most 10 ms and at least 10 times llvmpipe's time (5 times
    // in the near views 5 and 6, where llvmpipe gets faster too); on the small one at most 1 ms
    // framed and 2 ms near, ahead of llvmpipe and Allegro; at 1920 x 1080 at most 20 ms.
    std::vector<Caso> casos;
    const auto acrescentar = [&](const Cena& cena, int vista, double metaMs, double metaRazao,
                                 bool frenteAllegro, int largura = Quadro::kLargura,
                                 int altura = Quadro::kAltura) {
        const Vista v = vistaNumero(vista, *cena.malha, cena.camera, largura, altura);
        Caso caso;
        caso.cena = &cena;
        caso.vista = vista;
        caso.largura = largura;
        caso.altura = altura;
        caso.camera = v.camera;
        caso.projecao = v.projecao;
        caso.rotulo = cena.curto + ", view " + std::to_string(vista);
        caso.curto = cena.curto + "-vista" + std::to_string(vista);
        if (largura != Quadro::kLargura || altura != Quadro::kAltura) {
            const std::string tamanho = std::to_string(largura) + "x" + std::to_string(altura);
            caso.rotulo += ", " + tamanho;
            caso.curto += "-" + tamanho;
        }
        caso.metaMs = metaMs;
        caso.metaRazao = metaRazao;
        caso.frenteAllegro = frenteAllegro;
        casos.push_back(caso);
    };
    constexpr double kMetaGrandeMs = 10.0;
    constexpr double kRazaoLonge = 10.0;
    constexpr double kRazaoPerto = 5.0;
    constexpr int kPrimeiraVistaPerto = 5;
    constexpr double kMetaPequenaMs[] = {1.0, 2.0};
    // A cloud from its default view with the framing: at most 30 ms.
    constexpr double kMetaNuvemMs = 30.0;
    if (soNuvem) {
        acrescentar(cenas[0], 1, kMetaNuvemMs, 0.0, false);
        casos.back().nuvem = true;
    }
    for (const int vista : soNuvem ? std::vector<int>{} : configuracao.vistas) {
        acrescentar(cenas[0], vista, kMetaGrandeMs,
                    vista < kPrimeiraVistaPerto ? kRazaoLonge : kRazaoPerto, false);
    }
    // A full-HD frame of the large mesh's first view: at most 20 ms.
    constexpr double kMetaGrandeHdMs = 20.0;
    constexpr int kLarguraHd = 1920;
    constexpr int kAlturaHd = 1080;
    if (!soNuvem) {
        for (std::size_t k = 0; k < std::size(kVistasPequena); ++k) {
            acrescentar(cenas[1], kVistasPequena[k], kMetaPequenaMs[k], 1.0, true);
        }
        acrescentar(cenas[0], 1, kMetaGrandeHdMs, 0.0, false, kLarguraHd, kAlturaHd);
    }
    for (const Caso& caso : casos) relatorio.casos.push_back(&caso);

    for (int rodada = 1; rodada <= configuracao.rodadas; ++rodada) {
        relatorio.ultimaRodada = rodada == configuracao.rodadas;
        for (const Caso& caso : casos) {
            std::printf("\nRound %d of %d, %s\n", rodada, configuracao.rodadas,
                        caso.rotulo.c_str());
            medirNosso(relatorio, caso, 0, linhaNossa);
            medirNosso(relatorio, caso, 1, linhaNossa1);
            if (caso.nuvem) medirNosso(relatorio, caso, 3, linhaNossa3);
            if (configuracao.semPares) continue;
            medirReferencia(relatorio, caso, linhaReferencia);
            medirAllegro(relatorio, caso, linhaAllegro, erroAllegro);
            for (const int threads : kThreadsLlvmpipe) {
                medirOsmesa(relatorio, caso, threads, linhaOsmesa(threads));
            }
        }
    }
    relatorio.imprimirTudo();

    std::printf(
        "\nTime to first picture: %d run%s of %s %s --imagem OUT.png\n", configuracao.repeticoes,
        configuracao.repeticoes == 1 ? "" : "s",
        configuracao.visualizador.empty() ? "visualizador" : configuracao.visualizador.c_str(),
        configuracao.malhaGrande.c_str());
    std::fflush(stdout);
    PrimeiraImagem primeira;
    if (configuracao.semPares) {
        primeira.observacao = "--sem-pares";
    } else {
        primeira = PrimeiraImagem::medir(configuracao);
    }
    if (primeira.tempos) {
        std::printf("  %-*s %s\n", Relatorio::kColunaNome, "start to exit",
                    primeira.tempos->descrever().c_str());
    } else {
        std::printf("  %-*s not measured: %s\n", Relatorio::kColunaNome, "start to exit",
                    primeira.observacao.c_str());
    }
    const Resumo::Linhas linhas{linhaNossa,   linhaNossa1,    linhaReferencia,
                                linhaAllegro, linhaOsmesa(1), linhaOsmesa(2)};
    std::string markdown =
        Resumo::imprimir(relatorio, linhas, primeira, notas, cargaInicial, usoInicial);
    if (!markdown.empty()) markdown[0] = 'M';  // "medians of ..." opens the file's text
    if (!configuracao.escala.empty()) markdown += std::string("\n") + tabelaEscala(configuracao);
    if (!configuracao.markdown.empty()) {
        std::ofstream arquivo(configuracao.markdown, std::ios::binary);
        arquivo << markdown;
        if (!arquivo.flush()) {
            std::fprintf(stderr, "visualizador_bench: cannot write %s\n",
                         configuracao.markdown.c_str());
            return EXIT_FAILURE;
        }
    }
    return EXIT_SUCCESS;
}
