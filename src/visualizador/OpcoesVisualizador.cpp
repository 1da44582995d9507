#include "OpcoesVisualizador.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gouraud::detail {

namespace {

constexpr char kUso[] =
    "usage: visualizador [ARQUIVO] [--cima EIXO] [--vista VISTA] [--iluminacao ARQUIVO]\n"
    "                    [--tamanho LARGURAxALTURA] [--modo plano|gouraud|phong]\n"
    "                    [--arestas] [--normais] [--sem-cor] [--ponto N]\n"
    "                    [--imagem SAIDA.png] [--medir [N]] [--salvar-cena SAIDA.txt]\n"
    "                    [--limite-memoria MiB] [--limite-tempo S] [--sem-isolamento]\n"
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
    "  --sem-cor                leave out the file's own colours, materials and textures:\n"
    "                           every triangle, point and line in the lighting settings'\n"
    "                           colour\n"
    "  --ponto N                draw the model's points as squares of N x N pixels, N from\n"
    "                           1 to 16 (default 3)\n"
    "  --imagem SAIDA.png       draw one frame into an RGB PNG file, with no window\n"
    "  --medir [N]              draw N frames (default 20) after one warm-up frame, with no\n"
    "                           window, and print the median, fastest and slowest frame time\n"
    "  --salvar-cena SAIDA.txt  write what was loaded, with its starting camera, as a scene\n"
    "                           file; without --imagem or --medir, end without a window\n"
    "  --limite-memoria MiB     the memory the import library may use to read a mesh file,\n"
    "                           from 64 to 1048576 MiB (default 2048); it reads in a child\n"
    "                           process, confined, and a file that needs more is refused\n"
    "  --limite-tempo S         the seconds it may take, from 1 to 86400 (default 30)\n"
    "  --sem-isolamento         let the import library read in this process, unconfined and\n"
    "                           with no limit (for debugging; said on standard error)\n"
    "  --help                   show this text\n"
    "\n"
    "In the window: a left drag or the arrows turn the model, a right or middle drag moves it,\n"
    "the wheel, Page Up/Down or +/- move nearer or further, 1, 3, 7 and 9 show the front,\n"
    "right, top and iso views as --vista frames them, R restores the starting view, M\n"
    "changes the mode, E shows the edges, N the needles, C turns the file's colours off or\n"
    "on, [ and ] make the points smaller or larger, L reads the files again (they are also\n"
    "read again when they change), F12 saves visualizador-NNN.png, H shows the mode, the\n"
    "counts and the frame time, F1 or ? lists the keys, ESC quits.\n";

constexpr std::string_view kFimDasOpcoes = "--";

// A value the viewer refuses: thrown by an option's check, with the reason, to end the reading.
class ErroUso : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool soDigitos(std::string_view texto) {
    return !texto.empty() &&
           std::all_of(texto.begin(), texto.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The whole number `texto` writes in digits alone (no sign), when it lies in [menor, maior].
std::optional<int> lerInteiro(std::string_view texto, int menor, int maior) {
    if (!soDigitos(texto)) {
        return std::nullopt;
    }
    int numero = 0;
    const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), numero);
    if (erro != std::errc() || fim != texto.data() + texto.size() || numero < menor ||
        numero > maior) {
        return std::nullopt;
    }
    return numero;
}

// Whether `texto` is written as a decimal number: a sign, digits with a point or a point and
// digits, and an exponent, each optional but the digits ("20", "-3", "1.5", ".5", "1e3").
bool pareceNumero(std::string_view texto) {
    std::size_t i = 0;
    const auto digitos = [&] {
        const std::size_t inicio = i;
        while (i < texto.size() && texto[i] >= '0' && texto[i] <= '9') ++i;
        return i - inicio;
    };
    if (i < texto.size() && (texto[i] == '+' || texto[i] == '-')) ++i;
    std::size_t mantissa = digitos();
    if (i < texto.size() && texto[i] == '.') {
        ++i;
        mantissa += digitos();
    }
    if (mantissa == 0) {
        return false;
    }
    if (i < texto.size() && (texto[i] == 'e' || texto[i] == 'E')) {
        ++i;
        if (i < texto.size() && (texto[i] == '+' || texto[i] == '-')) ++i;
        if (digitos() == 0) return false;
    }
    return i == texto.size();
}

// Reads one command line into an OpcoesVisualizador with CLI11. CLI11 finds the options and
// their values; the checks of the values are the viewer's own, and the file to draw is among the
// words CLI11 leaves over (its "extras"): after the parse, the first of them is the file, and an
// unknown option or a second file is refused.
class Leitor {
public:
    Leitor() {
        // The usage text is the viewer's own, so --help is an ordinary switch.
        app.set_help_flag();
        app.allow_extras();
        declarar();
    }
    Leitor(const Leitor&) = delete;
    Leitor& operator=(const Leitor&) = delete;

    OpcoesVisualizador::Leitura ler(int argc, const char* const* argv);

private:
    // Every option of the viewer and the check of its value, in the usage's order.
    void declarar();
    // An option followed by one value (taken whatever it looks like, so "--cima -y" works);
    // `falta` is the reason given when the command line ends before the value. `aplicar` checks
    // the value and stores it, throwing ErroUso with the reason when it refuses it.
    void comValor(const std::string& nome, std::string falta,
                  std::function<void(const std::string&)> aplicar);
    // A switch without a value; `nomes` as CLI11 writes them ("--help,-h").
    void chave(const std::string& nomes, std::function<void()> ligar);
    // The reason for one of CLI11's own errors, in the viewer's words.
    std::string motivoDe(const CLI::ParseError& erro, int argc, const char* const* argv) const;
    // Takes the file to draw from the words CLI11 left over; "" or the reason they are refused.
    std::string lerArquivos();

    CLI::App app{"visualizador"};
    OpcoesVisualizador opcoes;
    std::map<std::string, std::string, std::less<>> faltas;
    // Words that --medir took from the command line but that are not a count: files to draw.
    std::vector<std::string> arquivosDoMedir;
};

void Leitor::comValor(const std::string& nome, std::string falta,
                      std::function<void(const std::string&)> aplicar) {
    faltas.emplace(nome, std::move(falta));
    // Checked as soon as it is read, so that the first bad value on the line is the one named.
    app.add_option_function<std::string>(nome, std::move(aplicar))->trigger_on_parse();
}

void Leitor::chave(const std::string& nomes, std::function<void()> ligar) {
    app.add_flag_callback(nomes, std::move(ligar))->disable_flag_override()->trigger_on_parse();
}

void Leitor::declarar() {
    OpcoesVisualizador& o = opcoes;
    comValor("--cima", "--cima needs an axis", [&o](const std::string& valor) {
        const std::optional<VistaPadrao::Cima> cima = VistaPadrao::lerCima(valor);
        if (!cima) {
            throw ErroUso("unknown up axis " + valor + " (--cima takes +y, -y, +z, -z, +x or -x)");
        }
        o.cima = *cima;
    });
    comValor("--vista", "--vista needs a view", [&o](const std::string& valor) {
        const std::optional<VistaPadrao::Lado> vista = VistaPadrao::lerLado(valor);
        if (!vista) {
            throw ErroUso("unknown view " + valor + " (--vista takes frente, direita, topo or iso)");
        }
        o.vista = *vista;
    });
    comValor("--iluminacao", "--iluminacao needs a file name",
             [&o](const std::string& valor) { o.iluminacao = valor; });
    comValor("--tamanho", "--tamanho needs a size such as 640x480", [&o](const std::string& valor) {
        const std::string_view tamanho = valor;
        const std::size_t x = tamanho.find('x');
        std::optional<int> largura;
        std::optional<int> altura;
        if (x != std::string_view::npos) {
            largura = lerInteiro(tamanho.substr(0, x), OpcoesVisualizador::kMenorLado,
                                 OpcoesVisualizador::kMaiorLado);
            altura = lerInteiro(tamanho.substr(x + 1), OpcoesVisualizador::kMenorLado,
                                OpcoesVisualizador::kMaiorLado);
        }
        if (!largura || !altura) {
            throw ErroUso("--tamanho takes WIDTHxHEIGHT, each from 16 to 4096, not " + valor);
        }
        o.largura = *largura;
        o.altura = *altura;
    });
    comValor("--modo", "--modo needs plano, gouraud or phong", [&o](const std::string& valor) {
        const std::optional<Estilo::Modo> modo = Estilo::lerModo(valor);
        if (!modo) {
            throw ErroUso("unknown mode " + valor);
        }
        o.estilo.modo = *modo;
    });
    chave("--arestas", [&o] { o.estilo.arestas = true; });
    chave("--normais", [&o] { o.estilo.normais = true; });
    chave("--sem-cor", [&o] { o.estilo.cores = false; });
    comValor("--ponto", "--ponto needs a size from 1 to 16 pixels", [&o](const std::string& valor) {
        const std::optional<int> tamanho =
            lerInteiro(valor, Estilo::kMenorPonto, Estilo::kMaiorPonto);
        if (!tamanho) {
            throw ErroUso("--ponto takes a size from 1 to 16 pixels, not " + valor);
        }
        o.estilo.tamanhoPonto = *tamanho;
    });
    comValor("--imagem", "--imagem needs a file name",
             [&o](const std::string& valor) { o.imagem = valor; });
    // --medir [N]: CLI11 hands it the next word unless that word is an option. A word written as
    // a number is the count, and must be a whole number of frames in range; any other word is
    // not meant for --medir, so it is the file to draw, as if it came before --medir.
    const std::string padrao = std::to_string(OpcoesVisualizador::kQuadrosMedidosPadrao);
    app.add_option_function<std::string>(
           "--medir",
           [this, &o](const std::string& palavra) {
               if (!pareceNumero(palavra)) {
                   o.quadrosMedidos = OpcoesVisualizador::kQuadrosMedidosPadrao;
                   arquivosDoMedir.push_back(palavra);
                   return;
               }
               o.quadrosMedidos = lerInteiro(palavra, 1, OpcoesVisualizador::kMaisQuadrosMedidos);
               if (!o.quadrosMedidos) {
                   throw ErroUso("--medir takes a number of frames from 1 to 100000");
               }
           })
        ->expected(0, 1)
        ->default_str(padrao)
        ->trigger_on_parse();
    comValor("--salvar-cena", "--salvar-cena needs a file name",
             [&o](const std::string& valor) { o.salvarCena = valor; });
    comValor("--limite-memoria", "--limite-memoria needs a size in MiB",
             [&o](const std::string& valor) {
                 const std::optional<int> mib =
                     lerInteiro(valor, static_cast<int>(Isolamento::kMenorLimiteMemoria),
                                static_cast<int>(Isolamento::kMaiorLimiteMemoria));
                 if (!mib) {
                     throw ErroUso("--limite-memoria takes a size from 64 to 1048576 MiB, not " +
                                   valor);
                 }
                 o.isolamento.limiteMemoria = static_cast<std::uint64_t>(*mib);
             });
    comValor("--limite-tempo", "--limite-tempo needs a number of seconds",
             [&o](const std::string& valor) {
                 const std::optional<int> segundos =
                     lerInteiro(valor, 1, Isolamento::kMaiorLimiteTempo);
                 if (!segundos) {
                     throw ErroUso("--limite-tempo takes a number of seconds from 1 to 86400, not " +
                                   valor);
                 }
                 o.isolamento.limiteTempo = *segundos;
             });
    chave("--sem-isolamento", [&o] { o.isolamento.ativo = false; });
    chave("--help,-h", [&o] { o.ajuda = true; });
}

std::string Leitor::motivoDe(const CLI::ParseError& erro, int argc,
                             const char* const* argv) const {
    // CLI11 runs out of words for an option's value only at the end of the command line.
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&erro) != nullptr && argc > 1) {
        const std::string_view ultima = argv[argc - 1];
        const auto falta = faltas.find(ultima.substr(0, ultima.find('=')));
        if (falta != faltas.end()) {
            return falta->second;
        }
    }
    // The other words CLI11 refuses are switches given a value, "--arestas=sim": not an option
    // of the viewer.
    for (int i = 1; i < argc && argv[i] != kFimDasOpcoes; ++i) {
        const std::string_view palavra = argv[i];
        const std::size_t igual = palavra.find('=');
        if (palavra.starts_with("--") && igual != std::string_view::npos &&
            faltas.find(palavra.substr(0, igual)) == faltas.end() &&
            palavra.substr(0, igual) != "--medir") {
            return "unknown option " + std::string(palavra);
        }
    }
    return erro.what();
}

std::string Leitor::lerArquivos() {
    std::vector<std::string> arquivos = arquivosDoMedir;
    bool fimDasOpcoes = false;
    for (const std::string& palavra : app.remaining()) {
        // CLI11 leaves the first "--" among the extras, where it came; every word after it is a
        // file, even one that looks like an option.
        if (!fimDasOpcoes && palavra == kFimDasOpcoes) {
            fimDasOpcoes = true;
        } else if (!fimDasOpcoes && palavra.size() > 1 && palavra[0] == '-') {
            // CLI11 takes a word such as "-3" for a value, not an option; before "--" it is
            // neither for the viewer.
            return "unknown option " + palavra;
        } else {
            arquivos.push_back(palavra);
            // A second file is refused before anything after it is looked at.
            if (arquivos.size() > 1) break;
        }
    }
    if (arquivos.size() > 1) {
        return "only one scene file can be given";
    }
    if (!arquivos.empty()) {
        opcoes.cena = arquivos.front();
    }
    return "";
}

OpcoesVisualizador::Leitura Leitor::ler(int argc, const char* const* argv) {
    OpcoesVisualizador::Leitura leitura;
    try {
        app.parse(argc, argv);
        leitura.motivo = lerArquivos();
    } catch (const ErroUso& erro) {
        leitura.motivo = erro.what();
    } catch (const CLI::ParseError& erro) {
        leitura.motivo = motivoDe(erro, argc, argv);
    }
    if (leitura.motivo.empty()) {
        leitura.opcoes = opcoes;
    }
    return leitura;
}

}  // namespace

const char* OpcoesVisualizador::uso() { return kUso; }

OpcoesVisualizador::Leitura OpcoesVisualizador::ler(int argc, const char* const* argv) {
    Leitor leitor;
    return leitor.ler(argc, argv);
}

}  // namespace gouraud::detail
