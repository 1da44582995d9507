// Times whole frames of this renderer against other renderers drawing the same 640 x 480 picture
// of the same mesh from the same view with the default headlight: this renderer on every core
// and on one thread, the straightforward reference (tests/renderizador/RenderizadorReferencia), Allegro 4's
// own Gouraud triangles with its z-buffer, and Mesa's llvmpipe through OSMesa with
// LP_NUM_THREADS=1 and 2. The large mesh is seen from the six views of tests/renderizador/Vistas.h (the file's
// camera, turned, from above, three-quarter, and twice and four times as near), the small one
// from views 1 and 6. A frame is, for every one of them, the camera coordinates and the lighting
// of the points, the projection, clearing colour and depth, and rasterising every triangle. Each
// measurement draws one warm-up frame and then times N frames one by one. The measurements run
// in K rounds, every renderer on every case in each, so that other work on the machine falls on
// all of them alike; the results are the median, fastest and slowest of all K x N frames of a
// renderer. It also times the viewer's first picture of the large mesh, from starting
// `visualizador MESH --imagem OUT.png` to its exit. A summary table in markdown comes last, one
// row per case, with the goal of each.
//
// Options:
//   --malha FILE           the large mesh (default: coelho-940k.txt in the build folder, the
//                          bunny subdivided four times; scripts/bench.sh makes it)
//   --malha-pequena FILE   the small mesh (default: exemplos/bunny.txt)
//   --quadros N            timed frames per measurement, after the warm-up (default 20)
//   --rodadas K            rounds of all the measurements (default 3)
//   --repeticoes R         runs of the viewer for the time to its first picture (default 5)
//   --visualizador PATH    the viewer program (default: the one built beside this program)
//   --imagens DIR          also write the last frame of every renderer as a PNG file into DIR
//   --vistas LIST          the views of the large mesh to time, e.g. 1,3,6 (default 1,2,3,4,5,6)

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
#include <thread>
#include <vector>

#include "Camera.h"
#include "Gouraud.h"
#include "GravadorPng.h"
#include "Iluminacao.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "RenderizadorReferencia.h"
#include "Vistas.h"

#if GOURAUD_BENCH_COM_ALLEGRO
#include "ConcorrenteAllegro.h"
#endif
#if GOURAUD_BENCH_COM_OSMESA
#include "ConcorrenteOsmesa.h"
#endif

extern char** environ;

namespace {

constexpr int kQuadrosPadrao = 20;
constexpr int kRodadasPadrao = 3;
constexpr int kRepeticoesPadrao = 5;
constexpr int kLimiteContagem = 100000;
constexpr int kThreadsLlvmpipe[] = {1, 2};

// ---------------------------------------------------------------------------------------------
// Options.

struct Configuracao {
    std::string malhaGrande = GOURAUD_BENCH_MALHA_GRANDE;
    std::string malhaPequena = GOURAUD_BENCH_MALHA_PEQUENA;
    int quadros = kQuadrosPadrao;
    int rodadas = kRodadasPadrao;
    int repeticoes = kRepeticoesPadrao;
    std::string visualizador = GOURAUD_BENCH_VISUALIZADOR;
    std::string imagens;
    std::vector<int> vistas = {1, 2, 3, 4, 5, 6};
};

// The views of the small mesh, the goals' two ends: the whole mesh, and most of it off screen.
constexpr int kVistasPequena[] = {1, 6};

constexpr char kUso[] =
    "usage: visualizador_bench [--malha FILE] [--malha-pequena FILE] [--quadros N]\n"
    "                          [--rodadas K] [--repeticoes R] [--visualizador PATH]\n"
    "                          [--imagens DIR] [--vistas LIST]\n"
    "\n"
    "  --malha FILE           the large mesh (default: " GOURAUD_BENCH_MALHA_GRANDE
    ")\n"
    "  --malha-pequena FILE   the small mesh (default: " GOURAUD_BENCH_MALHA_PEQUENA
    ")\n"
    "  --quadros N            timed frames per measurement, after one warm-up frame (default 20)\n"
    "  --rodadas K            rounds of all the measurements, results over all (default 3)\n"
    "  --repeticoes R         runs of the viewer timed to its first picture (default 5)\n"
    "  --visualizador PATH    the viewer program to time\n"
    "  --imagens DIR          write the last frame of every renderer as PNG files into DIR\n"
    "  --vistas LIST          views of the large mesh, from 1 to 6, e.g. 1,3,6 (default all)\n";

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

std::optional<Configuracao> lerOpcoes(int argc, char** argv) {
    Configuracao c;
    const auto falhar = [](const std::string& motivo) -> std::optional<Configuracao> {
        std::fprintf(stderr, "visualizador_bench: %s\n%s", motivo.c_str(), kUso);
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view nome = argv[i];
        if (nome == "--help" || nome == "-h") {
            std::fputs(kUso, stdout);
            std::exit(EXIT_SUCCESS);
        }
        std::string* texto = nullptr;
        int* numero = nullptr;
        if (nome == "--malha") texto = &c.malhaGrande;
        if (nome == "--malha-pequena") texto = &c.malhaPequena;
        if (nome == "--visualizador") texto = &c.visualizador;
        if (nome == "--imagens") texto = &c.imagens;
        if (nome == "--quadros") numero = &c.quadros;
        if (nome == "--rodadas") numero = &c.rodadas;
        if (nome == "--repeticoes") numero = &c.repeticoes;
        const bool vistas = nome == "--vistas";
        if (texto == nullptr && numero == nullptr && !vistas)
            return falhar("unknown option " + std::string(nome));
        if (i + 1 >= argc) return falhar(std::string(nome) + " needs a value");
        const std::string_view valor = argv[++i];
        if (vistas) {
            const std::optional<std::vector<int>> lidas = lerVistas(valor);
            if (!lidas) {
                return falhar("--vistas needs view numbers from 1 to 6 separated by commas, got '" +
                              std::string(valor) + "'");
            }
            c.vistas = *lidas;
            continue;
        }
        if (texto != nullptr) {
            *texto = valor;
            continue;
        }
        int lido = 0;
        const auto [fim, erro] = std::from_chars(valor.data(), valor.data() + valor.size(), lido);
        if (erro != std::errc{} || fim != valor.data() + valor.size() || lido < 1 ||
            lido > kLimiteContagem) {
            return falhar(std::string(nome) + " needs an integer from 1 to 100000, got '" +
                          std::string(valor) + "'");
        }
        *numero = lido;
    }
    return c;
}

// ---------------------------------------------------------------------------------------------
// Frame times.

struct Tempos {
    std::vector<double> ms;  // sorted
    double mediana = 0;
    double menor = 0;
    double maior = 0;
};

Tempos resumir(std::vector<double> ms) {
    Tempos t;
    std::sort(ms.begin(), ms.end());
    const std::size_t meio = ms.size() / 2;
    t.mediana = ms.size() % 2 == 1 ? ms[meio] : (ms[meio - 1] + ms[meio]) / 2.0;
    t.menor = ms.front();
    t.maior = ms.back();
    t.ms = std::move(ms);
    return t;
}

// One warm-up frame, then `quadros` frames timed one by one.
Tempos medirQuadros(int quadros, const std::function<void()>& desenhar) {
    desenhar();
    std::vector<double> ms;
    ms.reserve(static_cast<std::size_t>(quadros));
    for (int i = 0; i < quadros; ++i) {
        const auto inicio = std::chrono::steady_clock::now();
        desenhar();
        const std::chrono::duration<double, std::milli> duracao =
            std::chrono::steady_clock::now() - inicio;
        ms.push_back(duracao.count());
    }
    return resumir(std::move(ms));
}

std::string descrever(const Tempos& t) {
    char linha[128];
    std::snprintf(linha, sizeof linha, "median %9.3f ms, fastest %9.3f ms, slowest %9.3f ms",
                  t.mediana, t.menor, t.maior);
    return linha;
}

// ---------------------------------------------------------------------------------------------
// Meshes.

class BufferNulo : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// A loaded scene: its mesh and the file's camera.
struct Cena {
    std::string rotulo;  // file name and triangle count
    std::string curto;   // file name without its extension, for picture names
    std::unique_ptr<Gouraud> gouraud;
    std::unique_ptr<Malha> malha;
    Camera camera;
};

// One case every renderer draws: a scene from one of its views, and the goal for this renderer.
struct Caso {
    const Cena* cena = nullptr;
    int vista = 1;
    int largura = Quadro::kLargura;
    int altura = Quadro::kAltura;
    Camera camera;
    Projecao projecao;
    std::string rotulo;  // "coelho-940k, view 3"
    std::string curto;   // for picture names
    // This renderer's median on every core must be at most metaMs, and llvmpipe's on two
    // threads at least metaRazao times it (when above 0); with frenteAllegro, Allegro's too must
    // be slower.
    double metaMs = 0;
    double metaRazao = 0;
    bool frenteAllegro = false;
};

// 940544 as "940,544".
std::string comMilhares(long long n) {
    const std::string digitos = std::to_string(n);
    std::string s;
    for (std::size_t i = 0; i < digitos.size(); ++i) {
        if (i > 0 && digitos[i - 1] != '-' && (digitos.size() - i) % 3 == 0) s.push_back(',');
        s.push_back(digitos[i]);
    }
    return s;
}

// Loads the scene file (the loader's marker line silenced); nullopt after saying why.
std::optional<Cena> carregarCena(const std::string& caminho) {
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

// ---------------------------------------------------------------------------------------------
// Pictures: how a peer's frame compares with this renderer's.

bool desenhado(std::uint16_t cor) { return cor != 0; }

// Pixels drawn (not black) in each frame and in both, and over those drawn in both the mean
// absolute difference of the 8-bit channels and the share of pixels of the same colour.
std::string comparar(const Quadro& nosso, const Quadro& outro) {
    long long soNosso = 0;
    long long soOutro = 0;
    long long ambos = 0;
    long long iguais = 0;
    double diferenca = 0;
    for (int y = 0; y < nosso.getAltura() && y < outro.getAltura(); ++y) {
        for (int x = 0; x < nosso.getLargura() && x < outro.getLargura(); ++x) {
            const std::uint16_t a = nosso.getCor(x, y);
            const std::uint16_t b = outro.getCor(x, y);
            if (desenhado(a) && desenhado(b)) {
                ++ambos;
                iguais += a == b ? 1 : 0;
                diferenca += std::abs(Quadro::vermelho(a) - Quadro::vermelho(b)) +
                             std::abs(Quadro::verde(a) - Quadro::verde(b)) +
                             std::abs(Quadro::azul(a) - Quadro::azul(b));
            } else if (desenhado(a)) {
                ++soNosso;
            } else if (desenhado(b)) {
                ++soOutro;
            }
        }
    }
    char linha[256];
    std::snprintf(linha, sizeof linha,
                  "pixels drawn by both %lld, only by this renderer %lld, only by the other %lld; "
                  "where both drew: same colour %.1f %%, mean channel difference %.2f of 255",
                  ambos, soNosso, soOutro,
                  ambos ? 100.0 * static_cast<double>(iguais) / ambos : 0.0,
                  ambos ? diferenca / (3.0 * static_cast<double>(ambos)) : 0.0);
    return linha;
}

std::string nomeArquivo(std::string s) {
    for (char& c : s) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '-';
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// Results.

struct Medida {
    std::optional<Tempos> tempos;
    // Why it was not measured, or what to know about the frames it drew, one line each.
    std::vector<std::string> notas;
};

constexpr int kColunaNome = 52;

struct Relatorio {
    const Configuracao& configuracao;
    Quadro nosso;  // this renderer's frame, to compare the others with
    std::map<std::string, std::map<std::string, Medida>> porCaso;  // case label -> row -> measure
    std::vector<std::string> linhas;                               // renderer order
    std::vector<const Caso*> casos;                                // case order

    bool ultimaRodada = false;  // pictures are written in the last round only

    // Adds a round's frames to the renderer's earlier ones; the notes are the latest round's.
    void anotar(const Caso& caso, const std::string& linha, Medida medida) {
        if (std::find(linhas.begin(), linhas.end(), linha) == linhas.end()) linhas.push_back(linha);
        Medida& total = porCaso[caso.rotulo][linha];
        if (medida.tempos && total.tempos) {
            std::vector<double> ms = total.tempos->ms;
            ms.insert(ms.end(), medida.tempos->ms.begin(), medida.tempos->ms.end());
            total.tempos = resumir(std::move(ms));
        } else if (medida.tempos) {
            total.tempos = std::move(medida.tempos);
        }
        total.notas = std::move(medida.notas);
    }

    // One round's result, one line.
    void imprimir(const std::string& nome, const Medida& m) {
        std::printf("  %-*s %s\n", kColunaNome, nome.c_str(),
                    m.tempos ? descrever(*m.tempos).c_str()
                             : ("not measured: " + (m.notas.empty() ? "" : m.notas[0])).c_str());
        std::fflush(stdout);
    }

    // Every round's frames together, with the notes.
    void imprimirTudo() {
        for (const Caso* caso : casos) {
            std::printf("\n%s, all %d rounds\n", caso->rotulo.c_str(), configuracao.rodadas);
            for (const std::string& linha : linhas) {
                const auto it = porCaso[caso->rotulo].find(linha);
                if (it == porCaso[caso->rotulo].end()) continue;
                const Medida& m = it->second;
                std::printf("  %-*s %s\n", kColunaNome, linha.c_str(),
                            m.tempos ? descrever(*m.tempos).c_str() : "not measured");
                for (const std::string& nota : m.notas)
                    std::printf("  %-*s   %s\n", kColunaNome, "", nota.c_str());
            }
        }
        std::fflush(stdout);
    }

    void gravar(const Caso& caso, const std::string& quem, const Quadro& quadro) {
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
};

// ---------------------------------------------------------------------------------------------
// The renderers.

void medirNosso(Relatorio& r, const Caso& caso, int threads, const std::string& linha) {
    Iluminacao iluminacao;
    Renderizador renderizador(*caso.cena->malha, iluminacao, threads);
    Quadro quadro(caso.largura, caso.altura);
    Medida m;
    m.tempos = medirQuadros(r.configuracao.quadros,
                            [&] { renderizador.desenhar(caso.camera, caso.projecao, quadro); });
    if (threads == 0) {
        r.nosso = quadro;
        const auto nucleos = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
        if (renderizador.getQuantThreads() != nucleos) {
            m.notas.push_back("drew on " + std::to_string(renderizador.getQuantThreads()) +
                              " threads, not one per core");
        }
    } else {
        int diferentes = 0;
        for (int y = 0; y < quadro.getAltura(); ++y) {
            for (int x = 0; x < quadro.getLargura(); ++x) {
                diferentes += quadro.getCor(x, y) != r.nosso.getCor(x, y) ||
                              quadro.getProfundidade(x, y) != r.nosso.getProfundidade(x, y);
            }
        }
        m.notas.push_back(diferentes == 0
                              ? "same picture, bit for bit, as on every core"
                              : std::to_string(diferentes) +
                                    " pixels DIFFER from the picture drawn on every core");
    }
    r.imprimir(linha, m);
    if (threads == 0) r.gravar(caso, "este", quadro);
    r.anotar(caso, linha, std::move(m));
}

void medirReferencia(Relatorio& r, const Caso& caso, const std::string& linha) {
    Iluminacao iluminacao;
    Quadro quadro(caso.largura, caso.altura);
    Medida m;
    m.tempos = medirQuadros(r.configuracao.quadros, [&] {
        desenharReferencia(*caso.cena->malha, iluminacao, caso.camera, caso.projecao, quadro);
    });
    int diferentes = 0;
    for (int y = 0; y < quadro.getAltura(); ++y) {
        for (int x = 0; x < quadro.getLargura(); ++x) {
            diferentes += quadro.getCor(x, y) != r.nosso.getCor(x, y) ||
                          quadro.getProfundidade(x, y) != r.nosso.getProfundidade(x, y);
        }
    }
    m.notas.push_back(diferentes == 0 ? "same picture, bit for bit, as this renderer's"
                                      : std::to_string(diferentes) +
                                            " pixels DIFFER from this renderer's picture");
    r.imprimir(linha, m);
    r.gravar(caso, "referencia", quadro);
    r.anotar(caso, linha, std::move(m));
}

#if GOURAUD_BENCH_COM_ALLEGRO
void medirAllegro(Relatorio& r, const Caso& caso, const std::string& linha,
                  const std::string& erroInicio) {
    Medida m;
    if (!erroInicio.empty()) {
        m.notas.push_back(erroInicio);
    } else {
        Iluminacao iluminacao;
        ConcorrenteAllegro allegro(*caso.cena->malha, iluminacao, caso.largura, caso.altura);
        if (!allegro.getErro().empty()) {
            m.notas.push_back(allegro.getErro());
        } else {
            m.tempos = medirQuadros(r.configuracao.quadros,
                                    [&] { allegro.desenhar(caso.camera, caso.projecao); });
            Quadro quadro(caso.largura, caso.altura);
            allegro.copiar(quadro);
            m.notas.push_back(comMilhares(allegro.getTriangulosPulados()) +
                              " triangles left out (a point in front of the near plane)");
            m.notas.push_back(comparar(r.nosso, quadro));
            r.imprimir(linha, m);
            r.gravar(caso, "allegro", quadro);
            r.anotar(caso, linha, std::move(m));
            return;
        }
    }
    r.imprimir(linha, m);
    r.anotar(caso, linha, std::move(m));
}
#endif

#if GOURAUD_BENCH_COM_OSMESA
// ---------------------------------------------------------------------------------------------
// Mesa reads LP_NUM_THREADS once per process, so each thread count is measured in a child
// process of its own that sends its results back through a pipe.

bool escreverTudo(int fd, const void* dados, std::size_t tamanho) {
    const auto* p = static_cast<const char*>(dados);
    while (tamanho > 0) {
        const ssize_t n = ::write(fd, p, tamanho);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        tamanho -= static_cast<std::size_t>(n);
    }
    return true;
}

bool lerTudo(int fd, void* dados, std::size_t tamanho) {
    auto* p = static_cast<char*>(dados);
    while (tamanho > 0) {
        const ssize_t n = ::read(fd, p, tamanho);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        tamanho -= static_cast<std::size_t>(n);
    }
    return true;
}

bool escreverTexto(int fd, const std::string& s) {
    const std::uint64_t n = s.size();
    return escreverTudo(fd, &n, sizeof n) && escreverTudo(fd, s.data(), s.size());
}

bool lerTexto(int fd, std::string& s) {
    std::uint64_t n = 0;
    if (!lerTudo(fd, &n, sizeof n) || n > (1U << 20)) return false;
    s.resize(n);
    return lerTudo(fd, s.data(), n);
}

// Threads of this process now, from /proc/self/status; -1 when unknown.
int threadsDoProcesso() {
    std::ifstream status("/proc/self/status");
    std::string linha;
    while (std::getline(status, linha)) {
        if (linha.rfind("Threads:", 0) == 0) return std::atoi(linha.c_str() + 8);
    }
    return -1;
}

struct ResultadoOsmesa {
    std::string erro;
    std::string renderizador;
    int bitsProfundidade = 0;
    int threads = 0;
    std::vector<double> ms;
    Quadro quadro;
};

// Runs in the child: makes the context with LP_NUM_THREADS set, times the frames and writes
// erro, renderizador, depth bits, threads, the times and the last frame's colours.
void filhoOsmesa(int fd, const Caso& caso, int quadros, int threadsLlvmpipe) {
    setenv("LP_NUM_THREADS", std::to_string(threadsLlvmpipe).c_str(), 1);
    Iluminacao iluminacao;
    ConcorrenteOsmesa osmesa(*caso.cena->malha, iluminacao, caso.largura, caso.altura);
    std::string erro = osmesa.getErro();
    const int threads = threadsDoProcesso();
    std::vector<double> ms;
    Quadro quadro(caso.largura, caso.altura);
    if (erro.empty()) {
        ms = medirQuadros(quadros, [&] { osmesa.desenhar(caso.camera, caso.projecao); }).ms;
        osmesa.copiar(quadro);
    }
    const std::int32_t numeros[] = {osmesa.getBitsProfundidade(), threads,
                                    static_cast<std::int32_t>(ms.size())};
    bool ok = escreverTexto(fd, erro) &&
              escreverTexto(fd, erro.empty() ? osmesa.getRenderizador() : "") &&
              escreverTudo(fd, numeros, sizeof numeros) &&
              escreverTudo(fd, ms.data(), ms.size() * sizeof(double));
    const std::size_t bytesPorLinha = static_cast<std::size_t>(quadro.getLargura()) * 2;
    for (int y = 0; ok && y < quadro.getAltura(); ++y) {
        ok = escreverTudo(fd, quadro.linhaCor(y), bytesPorLinha);
    }
    close(fd);
    // _exit: the parent owns everything else this process inherited.
    _exit(ok ? EXIT_SUCCESS : EXIT_FAILURE);
}

ResultadoOsmesa executarOsmesa(const Caso& caso, int quadros, int threadsLlvmpipe) {
    ResultadoOsmesa r;
    r.quadro = Quadro(caso.largura, caso.altura);
    int canal[2];
    if (pipe(canal) != 0) {
        r.erro = std::string("pipe: ") + std::strerror(errno);
        return r;
    }
    std::fflush(stdout);
    std::cout.flush();
    const pid_t filho = fork();
    if (filho == 0) {
        close(canal[0]);
        filhoOsmesa(canal[1], caso, quadros, threadsLlvmpipe);
    }
    close(canal[1]);
    if (filho < 0) {
        r.erro = std::string("fork: ") + std::strerror(errno);
        close(canal[0]);
        return r;
    }
    std::int32_t numeros[3] = {};
    bool ok = lerTexto(canal[0], r.erro) && lerTexto(canal[0], r.renderizador) &&
              lerTudo(canal[0], numeros, sizeof numeros) && numeros[2] >= 0 &&
              numeros[2] <= kLimiteContagem;
    if (ok) {
        r.bitsProfundidade = numeros[0];
        r.threads = numeros[1];
        r.ms.resize(static_cast<std::size_t>(numeros[2]));
        ok = lerTudo(canal[0], r.ms.data(), r.ms.size() * sizeof(double));
    }
    const std::size_t bytesPorLinha = static_cast<std::size_t>(r.quadro.getLargura()) * 2;
    for (int y = 0; ok && y < r.quadro.getAltura(); ++y) {
        ok = lerTudo(canal[0], r.quadro.linhaCor(y), bytesPorLinha);
    }
    close(canal[0]);
    int status = 0;
    waitpid(filho, &status, 0);
    if (!ok && r.erro.empty()) {
        r.erro =
            "the measuring process ended without reporting (status " + std::to_string(status) + ")";
    }
    return r;
}

void medirOsmesa(Relatorio& r, const Caso& caso, int threadsLlvmpipe, const std::string& linha) {
    ResultadoOsmesa resultado = executarOsmesa(caso, r.configuracao.quadros, threadsLlvmpipe);
    Medida m;
    if (!resultado.erro.empty() || resultado.ms.empty()) {
        m.notas.push_back(resultado.erro.empty() ? "no frame was timed" : resultado.erro);
        r.imprimir(linha, m);
        r.anotar(caso, linha, std::move(m));
        return;
    }
    m.tempos = resumir(std::move(resultado.ms));
    m.notas.push_back(resultado.renderizador + ", " + std::to_string(resultado.bitsProfundidade) +
                      "-bit depth, " + std::to_string(resultado.threads) +
                      " threads in the process after making the context");
    m.notas.push_back(comparar(r.nosso, resultado.quadro));
    r.imprimir(linha, m);
    r.gravar(caso, "osmesa-" + std::to_string(threadsLlvmpipe), resultado.quadro);
    r.anotar(caso, linha, std::move(m));
}
#endif

// ---------------------------------------------------------------------------------------------
// Time to the viewer's first picture.

struct PrimeiraImagem {
    std::optional<Tempos> tempos;
    std::string observacao;
};

PrimeiraImagem medirPrimeiraImagem(const Configuracao& c) {
    PrimeiraImagem p;
    if (c.visualizador.empty()) {
        p.observacao = "the viewer was not built (GOURAUD_PROGRAM off); give --visualizador PATH";
        return p;
    }
    std::error_code erroPasta;
    const std::filesystem::path pasta = std::filesystem::temp_directory_path(erroPasta) /
                                        ("visualizador_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(pasta, erroPasta);
    const std::string saida = (pasta / "primeira.png").string();
    std::vector<double> ms;
    for (int i = 0; i < c.repeticoes; ++i) {
        posix_spawn_file_actions_t acoes;
        posix_spawn_file_actions_init(&acoes);
        // The loader's marker line is not part of the picture.
        posix_spawn_file_actions_addopen(&acoes, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argumentos = {
            const_cast<char*>(c.visualizador.c_str()), const_cast<char*>(c.malhaGrande.c_str()),
            const_cast<char*>("--imagem"), const_cast<char*>(saida.c_str()), nullptr};
        pid_t filho = 0;
        const auto inicio = std::chrono::steady_clock::now();
        const int erro = posix_spawn(&filho, c.visualizador.c_str(), &acoes, nullptr,
                                     argumentos.data(), environ);
        int status = 0;
        if (erro == 0) waitpid(filho, &status, 0);
        const std::chrono::duration<double, std::milli> duracao =
            std::chrono::steady_clock::now() - inicio;
        posix_spawn_file_actions_destroy(&acoes);
        if (erro != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            p.observacao =
                c.visualizador + (erro != 0 ? std::string(": ") + std::strerror(erro)
                                            : " failed (status " + std::to_string(status) + ")");
            std::filesystem::remove_all(pasta, erroPasta);
            return p;
        }
        ms.push_back(duracao.count());
    }
    std::filesystem::remove_all(pasta, erroPasta);
    p.tempos = resumir(std::move(ms));
    return p;
}

// ---------------------------------------------------------------------------------------------
// The machine.

std::string campoDe(const char* arquivo, std::string_view campo) {
    std::ifstream entrada(arquivo);
    std::string linha;
    while (std::getline(entrada, linha)) {
        if (linha.compare(0, campo.size(), campo) == 0) {
            const std::size_t doisPontos = linha.find(':');
            if (doisPontos == std::string::npos) continue;
            const std::size_t inicio = linha.find_first_not_of(" \t", doisPontos + 1);
            return inicio == std::string::npos ? "" : linha.substr(inicio);
        }
    }
    return "?";
}

int processadores() {
    std::ifstream entrada("/proc/cpuinfo");
    std::string linha;
    int n = 0;
    while (std::getline(entrada, linha)) n += linha.rfind("processor", 0) == 0;
    return n;
}

std::string maquina() {
    const double gib =
        std::strtod(campoDe("/proc/meminfo", "MemTotal").c_str(), nullptr) / (1024.0 * 1024.0);
    char texto[512];
    std::snprintf(texto, sizeof texto, "%s, %d cores (%u hardware threads), %.1f GiB, g++ %s",
                  campoDe("/proc/cpuinfo", "model name").c_str(), processadores(),
                  std::thread::hardware_concurrency(), gib, __VERSION__);
    return texto;
}

// The 1, 5 and 15 minute load averages: other work on the machine shows here.
std::string cargaMedia() {
    std::ifstream entrada("/proc/loadavg");
    std::string um, cinco, quinze;
    if (!(entrada >> um >> cinco >> quinze)) return "?";
    return um + " " + cinco + " " + quinze;
}

// CPU time of the whole machine, to tell how much other work ran beside the benchmark.
struct UsoCpu {
    double ocupado = 0;  // seconds any core ran anything (user, nice, system, interrupts)
    double roubado = 0;  // seconds the hypervisor kept the cores from this machine (steal)
    double nosso = 0;    // seconds this process and its waited-for children ran
    std::chrono::steady_clock::time_point quando;
};

UsoCpu lerUsoCpu() {
    UsoCpu uso;
    uso.quando = std::chrono::steady_clock::now();
    std::ifstream stat("/proc/stat");
    std::string cpu;
    double user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
    if (stat >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal &&
        cpu == "cpu") {
        const double tique = static_cast<double>(sysconf(_SC_CLK_TCK));
        uso.ocupado = (user + nice + system + irq + softirq) / tique;
        uso.roubado = steal / tique;
    }
    const auto segundos = [](const rusage& r) {
        return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
               static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
    };
    rusage eu{};
    rusage filhos{};
    getrusage(RUSAGE_SELF, &eu);
    getrusage(RUSAGE_CHILDREN, &filhos);
    uso.nosso = segundos(eu) + segundos(filhos);
    return uso;
}

// "other processes kept the cores busy 0.4 s of 2 x 31.2 s (0.6 %), steal 0.0 s".
std::string outrosProcessos(const UsoCpu& antes, const UsoCpu& depois) {
    const std::chrono::duration<double> parede = depois.quando - antes.quando;
    const int nucleos = std::max(1, processadores());
    const double outros =
        std::max(0.0, (depois.ocupado - antes.ocupado) - (depois.nosso - antes.nosso));
    char texto[256];
    std::snprintf(texto, sizeof texto,
                  "other processes kept the cores busy %.1f s of %d x %.1f s (%.1f %%), steal "
                  "%.1f s",
                  outros, nucleos, parede.count(), 100.0 * outros / (nucleos * parede.count()),
                  depois.roubado - antes.roubado);
    return texto;
}

// ---------------------------------------------------------------------------------------------
// Summary.

std::string celula(const std::optional<Tempos>& t) {
    if (!t) return "not measured";
    char s[64];
    std::snprintf(s, sizeof s, t->mediana < 10 ? "%.2f ms" : "%.1f ms", t->mediana);
    return s;
}

std::string razao(const std::optional<Tempos>& t, const std::optional<Tempos>& nosso) {
    if (!t || !nosso || nosso->mediana <= 0) return "–";
    char s[64];
    std::snprintf(s, sizeof s, "%.2f×", t->mediana / nosso->mediana);
    return s;
}

// The names of the renderers' rows, for the summary's columns.
struct Linhas {
    std::string nossa;
    std::string nossa1;
    std::string referencia;
    std::string allegro;
    std::string llvmpipe1;
    std::string llvmpipe2;
};

std::optional<Tempos> temposDe(const Relatorio& r, const Caso& caso, const std::string& linha) {
    const auto medidas = r.porCaso.find(caso.rotulo);
    if (medidas == r.porCaso.end()) return std::nullopt;
    const auto it = medidas->second.find(linha);
    return it == medidas->second.end() ? std::nullopt : it->second.tempos;
}

// "<= 16 ms, >= 8x llvmpipe" and whether this run met it: "yes", "NO" or "?" (not measured).
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

void imprimirResumo(const Relatorio& r, const Linhas& l, const PrimeiraImagem& p,
                    const std::vector<std::string>& notas, const std::string& cargaInicial,
                    const UsoCpu& usoInicial) {
    std::printf(
        "\nSummary (markdown): medians of %d frames (%d rounds of one warm-up and %d timed "
        "frames), 640 x 480 unless the case says otherwise; ratio = that renderer's median / this "
        "renderer's on every core "
        "(above 1: slower)\n\n",
        r.configuracao.rodadas * r.configuracao.quadros, r.configuracao.rodadas,
        r.configuracao.quadros);
    std::printf(
        "Machine: %s; load average (1, 5, 15 min) %s at the start, %s at the end; "
        "during the run %s\n\n",
        maquina().c_str(), cargaInicial.c_str(), cargaMedia().c_str(),
        outrosProcessos(usoInicial, lerUsoCpu()).c_str());
    std::printf(
        "| mesh, view | %s | this, 1 thread | reference | Allegro | llvmpipe, 1 thread | "
        "llvmpipe, 2 threads | ratio llvmpipe 2 | ratio Allegro | goal | met |\n"
        "|---|---:|---:|---:|---:|---:|---:|---:|---:|---|---|\n",
        l.nossa.c_str());
    for (const Caso* caso : r.casos) {
        const std::optional<Tempos> nosso = temposDe(r, *caso, l.nossa);
        const std::optional<Tempos> llvmpipe = temposDe(r, *caso, l.llvmpipe2);
        const std::optional<Tempos> allegro = temposDe(r, *caso, l.allegro);
        const auto [textoMeta, cumprida] = meta(*caso, nosso, llvmpipe, allegro);
        std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n",
                    caso->rotulo.c_str(), celula(nosso).c_str(),
                    celula(temposDe(r, *caso, l.nossa1)).c_str(),
                    celula(temposDe(r, *caso, l.referencia)).c_str(), celula(allegro).c_str(),
                    celula(temposDe(r, *caso, l.llvmpipe1)).c_str(), celula(llvmpipe).c_str(),
                    razao(llvmpipe, nosso).c_str(), razao(allegro, nosso).c_str(),
                    textoMeta.c_str(), cumprida.c_str());
    }
    std::printf(
        "\nTime to first picture, `visualizador %s --imagem out.png` from start to exit "
        "(load, normals, framing, one frame, PNG): ",
        std::filesystem::path(r.configuracao.malhaGrande).filename().c_str());
    if (p.tempos) {
        std::printf(
            "median %.1f ms of %d run%s (fastest %.1f, slowest %.1f; the file is in the "
            "page cache)\n",
            p.tempos->mediana, r.configuracao.repeticoes, r.configuracao.repeticoes == 1 ? "" : "s",
            p.tempos->menor, p.tempos->maior);
    } else {
        std::printf("not measured: %s\n", p.observacao.c_str());
    }
    for (const std::string& nota : notas) std::printf("\n%s", nota.c_str());
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Configuracao> opcoes = lerOpcoes(argc, argv);
    if (!opcoes) return 2;
    const Configuracao& configuracao = *opcoes;
    if (!configuracao.imagens.empty()) {
        std::error_code erro;
        std::filesystem::create_directories(configuracao.imagens, erro);
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
    const std::string linhaReferencia = "reference (tests/renderizador/RenderizadorReferencia), 1 thread";
    const std::string linhaAllegro = "Allegro 4 triangle3d_f GRGB + z-buffer, 1 thread";
    const auto linhaOsmesa = [](int n) {
        return "Mesa llvmpipe via OSMesa, LP_NUM_THREADS=" + std::to_string(n);
    };

    std::vector<std::string> notas;
    std::string erroAllegro = "not built: pkg-config found no allegro when configuring";
#if GOURAUD_BENCH_COM_ALLEGRO
    erroAllegro = ConcorrenteAllegro::iniciar();
    if (erroAllegro.empty()) {
        notas.push_back("Allegro: " + ConcorrenteAllegro::versao() +
                        "; per frame it lights and projects the points on one thread, then "
                        "draws the triangles whose three points are on or beyond the near plane "
                        "(colours interpolated linearly on the screen).");
    }
#endif
#if !GOURAUD_BENCH_COM_OSMESA
    notas.push_back(
        "Mesa: not built, pkg-config found no osmesa when configuring (install "
        "libosmesa6-dev and configure again; scripts/bench.sh does).");
#endif

    std::printf(
        "visualizador_bench: %d rounds; in each, every renderer draws one warm-up frame and %d "
        "timed frames of each case\n",
        configuracao.rodadas, configuracao.quadros);
    const std::string cargaInicial = cargaMedia();
    const UsoCpu usoInicial = lerUsoCpu();
    std::printf("Machine: %s; load average (1, 5, 15 min) %s\n", maquina().c_str(),
                cargaInicial.c_str());

    Relatorio relatorio{configuracao, Quadro(), {}, {}, {}};
    std::vector<Cena> cenas;
    for (const std::string& caminho : {configuracao.malhaGrande, configuracao.malhaPequena}) {
        const auto inicioCarga = std::chrono::steady_clock::now();
        std::optional<Cena> cena = carregarCena(caminho);
        if (!cena) return EXIT_FAILURE;
        const std::chrono::duration<double, std::milli> carga =
            std::chrono::steady_clock::now() - inicioCarga;
        // The same file given twice still makes cases of its own.
        for (const Cena& outra : cenas) {
            if (outra.curto == cena->curto) cena->curto += "-again";
        }
        std::printf("%s: %s points, loaded with normals in %.0f ms\n", cena->rotulo.c_str(),
                    comMilhares(cena->malha->getQuantPontos()).c_str(), carga.count());
        cenas.push_back(std::move(*cena));
    }

    // The goals: on the large mesh at most 16 ms and at least 8 times llvmpipe's time (5 times
    // in the near views 5 and 6, where llvmpipe gets faster too); on the small one at most 1 ms
    // framed and 2 ms near, ahead of llvmpipe and Allegro; at 1920 x 1080 at most 40 ms.
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
    constexpr double kMetaGrandeMs = 16.0;
    constexpr double kRazaoLonge = 8.0;
    constexpr double kRazaoPerto = 5.0;
    constexpr int kPrimeiraVistaPerto = 5;
    constexpr double kMetaPequenaMs[] = {1.0, 2.0};
    for (const int vista : configuracao.vistas) {
        acrescentar(cenas[0], vista, kMetaGrandeMs,
                    vista < kPrimeiraVistaPerto ? kRazaoLonge : kRazaoPerto, false);
    }
    for (std::size_t k = 0; k < std::size(kVistasPequena); ++k) {
        acrescentar(cenas[1], kVistasPequena[k], kMetaPequenaMs[k], 1.0, true);
    }
    // A full-HD frame of the large mesh's first view: at most 40 ms.
    constexpr double kMetaGrandeHdMs = 40.0;
    constexpr int kLarguraHd = 1920;
    constexpr int kAlturaHd = 1080;
    acrescentar(cenas[0], 1, kMetaGrandeHdMs, 0.0, false, kLarguraHd, kAlturaHd);
    for (const Caso& caso : casos) relatorio.casos.push_back(&caso);

    for (int rodada = 1; rodada <= configuracao.rodadas; ++rodada) {
        relatorio.ultimaRodada = rodada == configuracao.rodadas;
        for (const Caso& caso : casos) {
            std::printf("\nRound %d of %d, %s\n", rodada, configuracao.rodadas,
                        caso.rotulo.c_str());
            medirNosso(relatorio, caso, 0, linhaNossa);
            medirNosso(relatorio, caso, 1, linhaNossa1);
            medirReferencia(relatorio, caso, linhaReferencia);
#if GOURAUD_BENCH_COM_ALLEGRO
            medirAllegro(relatorio, caso, linhaAllegro, erroAllegro);
#else
            Medida semAllegro;
            semAllegro.notas.push_back(erroAllegro);
            relatorio.imprimir(linhaAllegro, semAllegro);
            relatorio.anotar(caso, linhaAllegro, std::move(semAllegro));
#endif
            for (const int threads : kThreadsLlvmpipe) {
#if GOURAUD_BENCH_COM_OSMESA
                medirOsmesa(relatorio, caso, threads, linhaOsmesa(threads));
#else
                Medida semOsmesa;
                semOsmesa.notas.push_back("not built: pkg-config found no osmesa when configuring");
                relatorio.imprimir(linhaOsmesa(threads), semOsmesa);
                relatorio.anotar(caso, linhaOsmesa(threads), std::move(semOsmesa));
#endif
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
    const PrimeiraImagem primeira = medirPrimeiraImagem(configuracao);
    if (primeira.tempos) {
        std::printf("  %-*s %s\n", kColunaNome, "start to exit",
                    descrever(*primeira.tempos).c_str());
    } else {
        std::printf("  %-*s not measured: %s\n", kColunaNome, "start to exit",
                    primeira.observacao.c_str());
    }
    const Linhas linhas{linhaNossa,   linhaNossa1,    linhaReferencia,
                        linhaAllegro, linhaOsmesa(1), linhaOsmesa(2)};
    imprimirResumo(relatorio, linhas, primeira, notas, cargaInicial, usoInicial);
    return EXIT_SUCCESS;
}
