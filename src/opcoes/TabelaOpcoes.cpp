#include "TabelaOpcoes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Estilo.h"
#include "Importador.h"
#include "Pinhole.h"
#include "Quadro.h"
#include "VistaPadrao.h"

namespace gouraud::detail {

namespace {

using Leitura = Opcao::Leitura;

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

// Whether an enumerator of the library's options is one of the `quantos` values it declares.
template <typename E>
bool declarado(E valor, int quantos) {
    const int numero = static_cast<int>(valor);
    return numero >= 0 && numero < quantos;
}

// The library's enumerations, as many values as they declare.
constexpr int kQuantCimas = 6;
constexpr int kQuantVistas = 4;
constexpr int kQuantModos = 3;
constexpr int kQuantFormas = 2;

// --cima EIXO
std::string lerCima(const std::string& valor, Leitura& l) {
    const std::optional<VistaPadrao::Cima> cima = VistaPadrao::lerCima(valor);
    if (!cima) {
        return "unknown up axis " + valor + " (--cima takes +y, -y, +z, -z, +x or -x)";
    }
    l.opcoes.cima = *cima;
    return "";
}

std::string cimaDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    if (!declarado(de.cima, kQuantCimas)) {
        return "the options hold an up axis that does not exist";
    }
    para.cima = de.cima;
    return "";
}

// --vista VISTA
std::string lerVista(const std::string& valor, Leitura& l) {
    const std::optional<VistaPadrao::Lado> vista = VistaPadrao::lerLado(valor);
    if (!vista) {
        return "unknown view " + valor + " (--vista takes frente, direita, topo or iso)";
    }
    l.opcoes.vista = *vista;
    return "";
}

std::string vistaDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    if (de.vista && !declarado(*de.vista, kQuantVistas)) {
        return "the options hold a view that does not exist";
    }
    para.vista = de.vista;
    return "";
}

// --iluminacao ARQUIVO
std::string lerIluminacao(const std::string& valor, Leitura& l) {
    l.opcoes.iluminacao = valor;
    return "";
}

// --tamanho LARGURAxALTURA: the programs' sides from 16 pixels, the library's from 1.
std::string lerTamanho(const std::string& valor, Leitura& l) {
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
        return "--tamanho takes WIDTHxHEIGHT, each from 16 to 4096, not " + valor;
    }
    l.opcoes.largura = *largura;
    l.opcoes.altura = *altura;
    return "";
}

std::string tamanhoDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    if (de.largura < Quadro::kMenorLado || de.largura > Quadro::kMaiorLado ||
        de.altura < Quadro::kMenorLado || de.altura > Quadro::kMaiorLado) {
        return "the size " + std::to_string(de.largura) + "x" + std::to_string(de.altura) +
               " is out of range: each side goes from " + std::to_string(Quadro::kMenorLado) +
               " to " + std::to_string(Quadro::kMaiorLado);
    }
    para.largura = de.largura;
    para.altura = de.altura;
    return "";
}

// --modo MODO
std::string lerModo(const std::string& valor, Leitura& l) {
    const std::optional<Estilo::Modo> modo = Estilo::lerModo(valor);
    if (!modo) {
        return "unknown mode " + valor;
    }
    l.opcoes.estilo.modo = *modo;
    return "";
}

std::string modoDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    if (!declarado(de.modo, kQuantModos)) {
        return "the options hold a mode that does not exist";
    }
    para.estilo.modo = de.modo;
    return "";
}

// --arestas, --normais, --sem-cor
std::string lerArestas(const std::string&, Leitura& l) {
    l.opcoes.estilo.arestas = true;
    return "";
}

std::string arestasDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    para.estilo.arestas = de.arestas;
    return "";
}

std::string lerNormais(const std::string&, Leitura& l) {
    l.opcoes.estilo.normais = true;
    return "";
}

std::string normaisDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    para.estilo.normais = de.normais;
    return "";
}

std::string lerSemCor(const std::string&, Leitura& l) {
    l.opcoes.estilo.cores = false;
    return "";
}

std::string coresDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    para.estilo.cores = de.cores;
    return "";
}

// --ponto N
std::string lerPonto(const std::string& valor, Leitura& l) {
    const std::optional<int> tamanho = lerInteiro(valor, Estilo::kMenorPonto, Estilo::kMaiorPonto);
    if (!tamanho) {
        return "--ponto takes a size from 1 to 16 pixels, not " + valor;
    }
    l.opcoes.estilo.tamanhoPonto = *tamanho;
    return "";
}

std::string pontoDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    if (de.ponto < Estilo::kMenorPonto || de.ponto > Estilo::kMaiorPonto) {
        return "the point size " + std::to_string(de.ponto) + " is out of range: it goes from " +
               std::to_string(Estilo::kMenorPonto) + " to " + std::to_string(Estilo::kMaiorPonto) +
               " pixels";
    }
    para.estilo.tamanhoPonto = de.ponto;
    return "";
}

// --ponto-forma quadrado|disco
std::string lerFormaPonto(const std::string& valor, Leitura& l) {
    if (valor == "quadrado") {
        l.opcoes.estilo.formaPonto = Estilo::FormaPonto::quadrado;
    } else if (valor == "disco") {
        l.opcoes.estilo.formaPonto = Estilo::FormaPonto::disco;
    } else {
        return "--ponto-forma takes quadrado or disco, not " + valor;
    }
    return "";
}

std::string formaPontoDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    if (!declarado(de.formaPonto, kQuantFormas)) {
        return "the options hold a point shape that does not exist";
    }
    para.estilo.formaPonto = de.formaPonto;
    return "";
}

// --bits 16|24
std::string lerBits(const std::string& valor, Leitura& l) {
    if (valor != "16" && valor != "24") {
        return "--bits takes 16 or 24, not " + valor;
    }
    l.opcoes.estilo.bits24 = valor == "24";
    return "";
}

std::string bitsDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    if (de.bits != 16 && de.bits != 24) {
        return "the colour depth of " + std::to_string(de.bits) +
               " bits is out of range: it is 16 or 24";
    }
    para.estilo.bits24 = de.bits == 24;
    return "";
}

// --aa K
std::string lerAa(const std::string& valor, Leitura& l) {
    const std::optional<int> k = lerInteiro(valor, 1, Estilo::kMaisAmostras);
    if (!k) {
        return "--aa takes 1, 2, 3 or 4 samples a side, not " + valor;
    }
    l.opcoes.estilo.amostras = *k;
    return "";
}

std::string aaDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    if (de.aa < 1 || de.aa > Estilo::kMaisAmostras) {
        return "aa " + std::to_string(de.aa) + " is out of range: it goes from 1 to " +
               std::to_string(Estilo::kMaisAmostras);
    }
    para.estilo.amostras = de.aa;
    return "";
}

// The real number `texto` writes as a decimal (pareceNumero), when finite.
std::optional<double> lerReal(std::string_view texto) {
    if (!pareceNumero(texto) || texto.front() == '+') {
        return std::nullopt;
    }
    double numero = 0.0;
    const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), numero);
    if (erro != std::errc() || fim != texto.data() + texto.size() || !std::isfinite(numero)) {
        return std::nullopt;
    }
    return numero;
}

// `texto` cut at its commas.
std::vector<std::string_view> partes(std::string_view texto) {
    std::vector<std::string_view> lista;
    std::size_t inicio = 0;
    for (std::size_t virgula = texto.find(','); virgula != std::string_view::npos;
         virgula = texto.find(',', inicio)) {
        lista.push_back(texto.substr(inicio, virgula - inicio));
        inicio = virgula + 1;
    }
    lista.push_back(texto.substr(inicio));
    return lista;
}

// The eye-dome lighting's radius and strength, each checked as the library checks them.
std::string problemaEdl(int raio, double forca) {
    if (raio < 1 || raio > Estilo::kMaiorRaioEdl) {
        return "the eye-dome radius " + std::to_string(raio) +
               " is out of range: it goes from 1 to " + std::to_string(Estilo::kMaiorRaioEdl) +
               " pixels";
    }
    if (!(forca >= 0.0 && forca <= Estilo::kMaiorForcaEdl)) {
        return "the eye-dome strength is out of range: it goes from 0 to 100";
    }
    return "";
}

// --olhar OX,OY,OZ,AX,AY,AZ[,CAMPO] or OX,OY,OZ,AX,AY,AZ,CX,CY,CZ[,CAMPO]: the eye, the target,
// the up direction (+y unless given) and the vertical field of view (45 degrees unless given).
std::string lerOlhar(const std::string& valor, Leitura& l) {
    const std::string motivo =
        "--olhar takes the eye and the target, OX,OY,OZ,AX,AY,AZ, then optionally the up "
        "direction CX,CY,CZ and the field of view in degrees, not " +
        valor;
    const std::vector<std::string_view> textos = partes(valor);
    const std::size_t quantos = textos.size();
    if (quantos != 6 && quantos != 7 && quantos != 9 && quantos != 10) {
        return motivo;
    }
    std::vector<double> numeros;
    for (const std::string_view texto : textos) {
        const std::optional<double> numero = lerReal(texto);
        if (!numero) {
            return motivo;
        }
        numeros.push_back(*numero);
    }
    gouraud::Olhar olhar;
    olhar.olho = {numeros[0], numeros[1], numeros[2]};
    olhar.alvo = {numeros[3], numeros[4], numeros[5]};
    if (quantos >= 9) {
        olhar.cima = {numeros[6], numeros[7], numeros[8]};
    }
    if (quantos == 7 || quantos == 10) {
        olhar.campo = numeros.back();
    }
    std::string problema = Pinhole::problema(olhar);
    if (!problema.empty()) {
        return problema;
    }
    l.opcoes.olhar = olhar;
    return "";
}

std::string olharDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    if (de.olhar) {
        std::string problema = Pinhole::problema(*de.olhar);
        if (!problema.empty()) {
            return problema;
        }
    }
    para.olhar = de.olhar;
    return "";
}

// --buffers LISTA: profundidade, normais, triangulo and parte, separated by commas, or todos.
std::string lerBuffers(const std::string& valor, Leitura& l) {
    gouraud::Buffers buffers;
    for (const std::string_view nome : partes(valor)) {
        if (nome == "todos") {
            buffers = gouraud::Buffers{true, true, true, true};
        } else if (nome == "profundidade") {
            buffers.profundidade = true;
        } else if (nome == "normais") {
            buffers.normais = true;
        } else if (nome == "triangulo") {
            buffers.triangulo = true;
        } else if (nome == "parte") {
            buffers.parte = true;
        } else {
            return "unknown buffer " + std::string(nome) +
                   " (--buffers takes profundidade, normais, triangulo and parte, separated by "
                   "commas, or todos)";
        }
    }
    l.opcoes.buffers = buffers;
    return "";
}

std::string buffersDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    para.buffers = de.buffers;
    return "";
}

// --edl [R,S]: CLI11 hands it the next word unless that word is an option. A word written as a
// whole number, or as a number, a comma and a number, is its value; any other word is the file
// to draw, as for --medir.
std::string lerEdl(const std::string& palavra, Leitura& l) {
    l.opcoes.estilo.edl = true;
    const std::vector<std::string_view> numeros = partes(palavra);
    if (!pareceNumero(numeros.front())) {
        l.arquivos.push_back(palavra);
        return "";
    }
    const std::string motivo =
        "--edl takes R,S: a radius R from 1 to 8 pixels and a strength S "
        "from 0 to 100, not " +
        palavra;
    if (numeros.size() > 2) {
        return motivo;
    }
    const std::optional<int> raio = lerInteiro(numeros[0], 1, Estilo::kMaiorRaioEdl);
    const std::optional<double> forca =
        numeros.size() == 2 ? lerReal(numeros[1]) : std::optional<double>(l.opcoes.estilo.forcaEdl);
    if (!raio || !forca || !problemaEdl(*raio, *forca).empty()) {
        return motivo;
    }
    l.opcoes.estilo.raioEdl = *raio;
    l.opcoes.estilo.forcaEdl = *forca;
    return "";
}

std::string edlDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    std::string motivo = problemaEdl(de.raioEdl, de.forcaEdl);
    if (!motivo.empty()) {
        return motivo;
    }
    para.estilo.edl = de.edl;
    para.estilo.raioEdl = de.raioEdl;
    para.estilo.forcaEdl = de.forcaEdl;
    return "";
}

// A channel of 0..1 as the nearest of 0..255: floor(v . 255 + 0.5).
int canalDe(double v) { return static_cast<int>(v * 255.0 + 0.5); }

// The two hexadecimal digits at texto[i], or -1.
int hexadecimal(std::string_view texto, std::size_t i) {
    int valor = 0;
    for (std::size_t k = i; k < i + 2; ++k) {
        const char c = texto[k];
        const int digito = c >= '0' && c <= '9'   ? c - '0'
                           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                  : -1;
        if (digito < 0) {
            return -1;
        }
        valor = valor * 16 + digito;
    }
    return valor;
}

// --fundo COR: #rrggbb, r,g,b (each 0 to 1) or transparente.
std::string lerFundo(const std::string& valor, Leitura& l) {
    Estilo& estilo = l.opcoes.estilo;
    if (valor == "transparente") {
        estilo.transparente = true;
        estilo.fundo = 0;
        return "";
    }
    const std::string motivo =
        "--fundo takes #rrggbb, r,g,b with each from 0 to 1, or transparente, not " + valor;
    int canais[3] = {};
    if (valor.size() == 7 && valor[0] == '#') {
        for (int k = 0; k < 3; ++k) {
            canais[k] = hexadecimal(valor, 1 + 2 * static_cast<std::size_t>(k));
            if (canais[k] < 0) {
                return motivo;
            }
        }
    } else {
        const std::vector<std::string_view> numeros = partes(valor);
        if (numeros.size() != 3) {
            return motivo;
        }
        for (int k = 0; k < 3; ++k) {
            const std::optional<double> v = lerReal(numeros[static_cast<std::size_t>(k)]);
            if (!v || !(*v >= 0.0 && *v <= 1.0)) {
                return motivo;
            }
            canais[k] = canalDe(*v);
        }
    }
    estilo.transparente = false;
    estilo.fundo = Quadro::opaco(canais[0], canais[1], canais[2]) & Quadro::kSemAlfa;
    return "";
}

std::string fundoDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    for (const double v : de.fundo) {
        if (!(v >= 0.0 && v <= 1.0)) {
            return "the background's channels go from 0 to 1";
        }
    }
    para.estilo.transparente = de.transparente;
    para.estilo.fundo = de.transparente ? 0
                                        : Quadro::opaco(canalDe(de.fundo[0]), canalDe(de.fundo[1]),
                                                        canalDe(de.fundo[2])) &
                                              Quadro::kSemAlfa;
    return "";
}

// --imagem SAIDA.png
std::string lerImagem(const std::string& valor, Leitura& l) {
    l.opcoes.imagem = valor;
    return "";
}

// --medir [N]: CLI11 hands it the next word unless that word is an option. A word written as a
// number is the count, and must be a whole number of frames in range; any other word is not
// meant for --medir, so it is the file to draw, as if it came before --medir.
std::string lerMedir(const std::string& palavra, Leitura& l) {
    if (!pareceNumero(palavra)) {
        l.opcoes.quadrosMedidos = OpcoesVisualizador::kQuadrosMedidosPadrao;
        l.arquivos.push_back(palavra);
        return "";
    }
    l.opcoes.quadrosMedidos = lerInteiro(palavra, 1, OpcoesVisualizador::kMaisQuadrosMedidos);
    if (!l.opcoes.quadrosMedidos) {
        return "--medir takes a number of frames from 1 to 100000";
    }
    return "";
}

// --salvar-cena SAIDA.txt
std::string lerSalvarCena(const std::string& valor, Leitura& l) {
    l.opcoes.salvarCena = valor;
    return "";
}

// --limite-memoria MiB, --limite-tempo S, --sem-isolamento: the confined child that reads files
// with the import library.
std::string lerLimiteMemoria(const std::string& valor, Leitura& l) {
    const std::optional<int> mib =
        lerInteiro(valor, static_cast<int>(Isolamento::kMenorLimiteMemoria),
                   static_cast<int>(Isolamento::kMaiorLimiteMemoria));
    if (!mib) {
        return "--limite-memoria takes a size from 64 to 1048576 MiB, not " + valor;
    }
    l.opcoes.isolamento.limiteMemoria = static_cast<std::uint64_t>(*mib);
    return "";
}

std::string limiteMemoriaDaAbertura(const gouraud::Abertura& de, OpcoesVisualizador& para) {
    if (de.limiteMemoria < static_cast<int>(Isolamento::kMenorLimiteMemoria) ||
        de.limiteMemoria > static_cast<int>(Isolamento::kMaiorLimiteMemoria)) {
        return "the memory limit " + std::to_string(de.limiteMemoria) +
               " MiB is out of range: it goes from " +
               std::to_string(Isolamento::kMenorLimiteMemoria) + " to " +
               std::to_string(Isolamento::kMaiorLimiteMemoria) + " MiB";
    }
    para.isolamento.limiteMemoria = static_cast<std::uint64_t>(de.limiteMemoria);
    return "";
}

std::string lerLimiteTempo(const std::string& valor, Leitura& l) {
    const std::optional<int> segundos = lerInteiro(valor, 1, Isolamento::kMaiorLimiteTempo);
    if (!segundos) {
        return "--limite-tempo takes a number of seconds from 1 to 86400, not " + valor;
    }
    l.opcoes.isolamento.limiteTempo = *segundos;
    return "";
}

std::string limiteTempoDaAbertura(const gouraud::Abertura& de, OpcoesVisualizador& para) {
    if (de.limiteTempo < 1 || de.limiteTempo > Isolamento::kMaiorLimiteTempo) {
        return "the time limit " + std::to_string(de.limiteTempo) +
               " s is out of range: it goes from 1 to " +
               std::to_string(Isolamento::kMaiorLimiteTempo) + " s";
    }
    para.isolamento.limiteTempo = de.limiteTempo;
    return "";
}

// --threads N: how many threads draw.
std::string lerThreads(const std::string& valor, Leitura& l) {
    const std::optional<int> n = lerInteiro(valor, 0, OpcoesVisualizador::kMaisThreads);
    if (!n) {
        return "--threads takes a count from 0 (one per core) to 256, not " + valor;
    }
    l.opcoes.threads = *n;
    return "";
}

std::string threadsDaAbertura(const gouraud::Abertura& de, OpcoesVisualizador& para) {
    if (de.threads < 0 || de.threads > OpcoesVisualizador::kMaisThreads) {
        return "the thread count " + std::to_string(de.threads) +
               " is out of range: it goes from 0 (one per core) to 256";
    }
    para.threads = de.threads;
    return "";
}

std::string lerSemIsolamento(const std::string&, Leitura& l) {
    l.opcoes.isolamento.ativo = false;
    return "";
}

std::string isolamentoDaAbertura(const gouraud::Abertura& de, OpcoesVisualizador& para) {
    para.isolamento.ativo = de.isolamento;
    return "";
}

// --help
std::string lerAjuda(const std::string&, Leitura& l) {
    l.opcoes.ajuda = true;
    return "";
}

using V = Opcao::Valor;

// The defaults the table states are the settings' own, checked here.
static_assert(OpcoesVisualizador::kLarguraPadrao == 640 &&
              OpcoesVisualizador::kAlturaPadrao == 480);
static_assert(Estilo::kPontoPadrao == 3 && OpcoesVisualizador::kQuadrosMedidosPadrao == 20);
static_assert(gouraud::Opcoes{}.ponto == Estilo::kPontoPadrao, "the API's default point size");

constexpr std::array kTabela = {
    Opcao{.nome = "--cima",
          .valor = V::obrigatorio,
          .argumento = "EIXO",
          .padrao = "+y",
          .ajuda = "the model's up axis for the views: +y, -y, +z, -z, +x or -x",
          .campo = "cima",
          .falta = "--cima needs an axis",
          .descricao =
              "The model's up axis for the default views: +y, -y, +z, -z, +x or -x. A scene "
              "file drawn from its own camera ignores it.",
          .ler = lerCima,
          .daBiblioteca = cimaDaBiblioteca},
    Opcao{.nome = "--vista",
          .valor = V::obrigatorio,
          .argumento = "VISTA",
          .padrao = "frente, for a mesh file",
          .ajuda = "start from the view frente, direita, topo or iso, 1.5 diagonals from the "
                   "model's centre; for a scene file it replaces the file's camera and projection "
                   "window",
          .campo = "vista",
          .falta = "--vista needs a view",
          .descricao =
              "Start from the view frente, direita, topo or iso: a camera "
              "1.5 bounding-box diagonals from the model's centre, in front of "
              "it, to its right, above it or along the diagonal between the three, framed "
              "automatically. For a scene file it replaces the file's camera and drops its "
              "projection window; without --vista a scene file keeps its own camera and "
              "window.",
          .ler = lerVista,
          .daBiblioteca = vistaDaBiblioteca},
    Opcao{.nome = "--olhar",
          .valor = V::obrigatorio,
          .argumento = "OX,OY,OZ,AX,AY,AZ[,CX,CY,CZ][,CAMPO]",
          .ajuda = "a pinhole camera instead of a view: the eye at (OX, OY, OZ) looking at "
                   "(AX, AY, AZ), the way up (CX, CY, CZ) (+y unless given) and the vertical "
                   "field of view in degrees (45 unless given); nothing is framed",
          .campo = "olhar",
          .falta = "--olhar needs the eye and the target",
          .descricao =
              "Draw from a pinhole camera instead of a view: the eye at (OX, OY, OZ), in the "
              "model's coordinates, looking at the point (AX, AY, AZ), with the way up "
              "(CX, CY, CZ) (only its part across the line of sight counts; +y unless given) "
              "and a vertical field of view of CAMPO degrees, over 0 and under 180 (45 unless "
              "given): 6, 7, 9 or 10 numbers separated by commas. Nothing is framed: the line "
              "of sight goes through the picture's centre, the field of view spans its height "
              "and pixels are square. Not with --vista.",
          .ler = lerOlhar,
          .daBiblioteca = olharDaBiblioteca},
    Opcao{.nome = "--iluminacao",
          .valor = V::obrigatorio,
          .argumento = "ARQUIVO",
          .ajuda = "lighting settings (light position, ambient, diffuse, specular and light "
                   "colour) read over the defaults",
          .falta = "--iluminacao needs a file name",
          .descricao = "Read lighting settings (light position, ambient, diffuse and specular "
                       "coefficients, object and light colour) from ARQUIVO over the defaults. The "
                       "window reads the file again when it changes.",
          .ler = lerIluminacao},
    Opcao{.nome = "--tamanho",
          .valor = V::obrigatorio,
          .argumento = "LARGURAxALTURA",
          .padrao = "640x480",
          .ajuda = "size of the window and the picture, each side from 16 to 4096 pixels",
          .campo = "largura, altura",
          .falta = "--tamanho needs a size such as 640x480",
          .descricao =
              "The size of the window and of the picture, each side a whole number of pixels "
              "from 16 to 4096. A size out of that range or malformed (640, axb, 640X480) is "
              "a usage error.",
          .ler = lerTamanho,
          .daBiblioteca = tamanhoDaBiblioteca},
    Opcao{.nome = "--modo",
          .valor = V::obrigatorio,
          .argumento = "plano|gouraud|phong",
          .padrao = "gouraud",
          .ajuda = "the shading: plano, one colour per triangle, lit at its centroid; gouraud, "
                   "lit at the points, colours interpolated; phong, lit at every pixel, normals "
                   "interpolated",
          .campo = "modo",
          .falta = "--modo needs plano, gouraud or phong",
          .descricao =
              "The shading: plano, one colour per triangle, lit at its centroid with its own "
              "normal; gouraud, the lighting worked out at the points and the colours "
              "interpolated; phong, the lighting worked out at every pixel with interpolated "
              "normals.",
          .ler = lerModo,
          .daBiblioteca = modoDaBiblioteca},
    Opcao{.nome = "--arestas",
          .ajuda = "draw the mesh's visible edges in black",
          .campo = "arestas",
          .descricao = "Draw the mesh's visible edges in black over the shading, in every mode.",
          .ler = lerArestas,
          .daBiblioteca = arestasDaBiblioteca},
    Opcao{.nome = "--normais",
          .ajuda = "draw the scene's normals as short blue needles",
          .campo = "normais",
          .descricao =
              "Draw the points' normals as short blue needles over everything, in every mode.",
          .ler = lerNormais,
          .daBiblioteca = normaisDaBiblioteca},
    Opcao{.nome = "--sem-cor",
          .ajuda = "leave out the file's own colours, materials and textures: every triangle, "
                   "point and line in the lighting settings' colour",
          .campo = "cores",
          .descricao =
              "Leave out the file's own colours, materials and textures: every triangle, "
              "point and line gets the lighting settings' object colour, and the picture is "
              "exactly the one of the same mesh without them.",
          .ler = lerSemCor,
          .daBiblioteca = coresDaBiblioteca},
    Opcao{.nome = "--ponto",
          .valor = V::obrigatorio,
          .argumento = "N",
          .padrao = "3",
          .ajuda = "draw the model's points as squares of N x N pixels, N from 1 to 16",
          .campo = "ponto",
          .falta = "--ponto needs a size from 1 to 16 pixels",
          .descricao = "Draw the model's loose points as squares of N x N pixels, N a whole number "
                       "from 1 to 16; anything else is a usage error.",
          .ler = lerPonto,
          .daBiblioteca = pontoDaBiblioteca},
    Opcao{.nome = "--ponto-forma",
          .valor = V::obrigatorio,
          .argumento = "quadrado|disco",
          .padrao = "quadrado",
          .ajuda = "draw the model's points as squares, or as discs: the pixels whose centres lie "
                   "within N/2 of the point (a point of 1 pixel is one pixel either way)",
          .campo = "formaPonto",
          .falta = "--ponto-forma needs quadrado or disco",
          .descricao = "Draw the model's loose points as squares of N x N pixels (quadrado), or as "
                       "discs (disco): the pixels whose centres lie within N/2 of the point's "
                       "projected position, with the squares' rules for depth and colour; a point "
                       "of one pixel is one pixel either way.",
          .ler = lerFormaPonto,
          .daBiblioteca = formaPontoDaBiblioteca},
    Opcao{
        .nome = "--bits",
        .valor = V::obrigatorio,
        .argumento = "16|24",
        .padrao = "16",
        .ajuda = "the colour depth: 16 packs every colour into 5, 6 and 5 bits as the screen "
                 "the project grew from does; 24 keeps each channel as the lighting floors it, "
                 "0 to 255",
        .campo = "bits",
        .falta = "--bits needs 16 or 24",
        .descricao =
            "The colour depth of the picture and the window: 16 packs every colour into 5, 6 and 5 "
            "bits as the screen the project grew from does, the picture of earlier versions byte "
            "for byte; 24 keeps each channel as the lighting floors it, 0 to 255, so a 24-bit "
            "picture packed to 16 bits is exactly the 16-bit one. A window opens with 24 or 32 "
            "bits where the display has them, else packed, with one line on standard error.",
        .ler = lerBits,
        .daBiblioteca = bitsDaBiblioteca},
    Opcao{.nome = "--aa",
          .valor = V::obrigatorio,
          .argumento = "K",
          .padrao = "1",
          .ajuda = "anti-aliasing: draw K x K samples a pixel, K from 1 to 4 (the picture at K "
                   "times the size, points K times larger, then each pixel the mean of its "
                   "samples); K times the size is at most 4096 on a side",
          .campo = "aa",
          .falta = "--aa needs 1, 2, 3 or 4",
          .descricao =
              "Anti-aliasing: the picture is the same model, view and options drawn at K times the "
              "width and height (points of --ponto N become K N pixels, the eye-dome radius K R; "
              "lines, edges and needles stay one pixel of the large picture), then each pixel's "
              "8-bit channels are the mean of its K x K samples', rounded half up. K is 1 to 4, "
              "and K times each side at most 4096. The window draws one sample a pixel while the "
              "model moves and the full picture once it has been still for 150 ms.",
          .ler = lerAa,
          .daBiblioteca = aaDaBiblioteca},
    Opcao{.nome = "--edl",
          .valor = V::opcional,
          .argumento = "R,S",
          .padrao = "1,2",
          .ajuda = "eye-dome lighting: darken each drawn pixel by how far its neighbours R pixels "
                   "away stand in front of it, with the strength S; R from 1 to 8, S from 0 to "
                   "100",
          .campo = "edl, raioEdl, forcaEdl",
          .descricao = "Eye-dome lighting, for point clouds above all: after the picture is drawn, "
                       "each drawn pixel is darkened by how far its 8 neighbours R pixels away "
                       "stand in front of it, each channel c becoming floor(c exp(-S o)) with o "
                       "the sum of the neighbours' log2 depth steps towards the eye. R is a whole "
                       "number from 1 to 8, S from 0 to 100; --edl alone is 1,2.",
          .ler = lerEdl,
          .daBiblioteca = edlDaBiblioteca},
    Opcao{
        .nome = "--fundo",
        .valor = V::obrigatorio,
        .argumento = "COR",
        .padrao = "#000000",
        .ajuda = "the background: #rrggbb, or r,g,b with each from 0 to 1, or transparente "
                 "(the PNG then has an alpha channel, 0 where nothing is drawn)",
        .campo = "fundo, transparente",
        .falta = "--fundo needs #rrggbb, r,g,b or transparente",
        .descricao =
            "The background: #rrggbb, or r,g,b with each from 0 to 1, or transparente, which gives "
            "the PNG an alpha channel, 0 where nothing is drawn and 255 where something is (with "
            "--aa, the mean coverage of the samples, and the colour of a partly covered pixel the "
            "mean of its covered samples). The window shows a transparent background black.",
        .ler = lerFundo,
        .daBiblioteca = fundoDaBiblioteca},
    Opcao{.nome = "--imagem",
          .valor = V::obrigatorio,
          .argumento = "SAIDA.png",
          .ajuda = "draw one frame into an RGB PNG file (RGBA with --fundo transparente), with no "
                   "window",
          .falta = "--imagem needs a file name",
          .descricao =
              "Draw one frame into an 8-bit RGB PNG file (RGBA with --fundo transparente) and "
              "end, with no display needed. The "
              "file is written beside its final name and renamed into place, so a failed "
              "write leaves no partial file and an existing one untouched.",
          .ler = lerImagem},
    Opcao{.nome = "--buffers",
          .valor = V::obrigatorio,
          .argumento = "LISTA",
          .ajuda = "with --imagem X.png, also write the buffers named (profundidade, normais, "
                   "triangulo, parte, or todos) beside it as X.<buffer>.npy",
          .campo = "buffers",
          .falta = "--buffers needs a list of buffers",
          .descricao =
              "Draw the buffers named, separated by commas, beside the colours, each from the "
              "pixel's winner, the same one whose colour the picture shows: profundidade, the "
              "camera-space depth of the winner at the pixel's centre (float32, +inf where "
              "nothing is drawn); normais, the unit normal the phong mode lights the pixel "
              "with, in the model's coordinates (float32 x 3, zeros where there is none); "
              "triangulo, the winner's triangle as numbered in the file, and parte, the mesh "
              "of the file it belongs to (uint32, 4294967295 where none); or todos. With "
              "--imagem X.png each is written beside it as X.<buffer>.npy, a NumPy array of "
              "altura x largura (x 3 for normais), through a temporary file renamed into "
              "place; with --medir every frame timed draws them. Without --imagem or --medir "
              "it is refused.",
          .ler = lerBuffers,
          .daBiblioteca = buffersDaBiblioteca},
    Opcao{.nome = "--medir",
          .valor = V::opcional,
          .argumento = "N",
          .padrao = "20",
          .ajuda = "draw N frames after one warm-up frame, with no window, and print the "
                   "median, fastest and slowest frame time",
          .descricao =
              "Draw N frames (a whole number from 1 to 100000) headless after one warm-up "
              "frame and print the median, fastest and slowest frame times; on a mesh of at "
              "least 32 clusters a line before them says what the last frame did with the "
              "clusters. A word after --medir written as another number (0, 1.5, -3) is a "
              "usage error, and any other word is not a count but the next argument, so "
              "visualizador --medir bunny.ply times the bunny.",
          .ler = lerMedir},
    Opcao{.nome = "--salvar-cena",
          .valor = V::obrigatorio,
          .argumento = "SAIDA.txt",
          .ajuda = "write what was loaded, with its starting camera, as a scene file; without "
                   "--imagem or --medir, end without a window",
          .falta = "--salvar-cena needs a file name",
          .descricao =
              "Write what was loaded, with its starting camera, as a scene file, beside its "
              "final name and renamed into place; without --imagem or --medir the viewer then "
              "ends without opening a window. The scene format holds triangles only: a model "
              "with none is refused, and for one with points or lines as well standard error "
              "says what was left out.",
          .ler = lerSalvarCena},
    Opcao{.nome = "--limite-memoria",
          .valor = V::obrigatorio,
          .argumento = "MiB",
          .padrao = "2048",
          .ajuda = "the memory the import library may use to read a mesh file, from 64 to 1048576 "
                   "MiB",
          .campo = "limiteMemoria",
          .falta = "--limite-memoria needs a size in MiB",
          .descricao = "The address space the confined child process that reads a mesh file with "
                       "the import library may use, in MiB, from 64 to 1048576; a file that needs "
                       "more is refused with one line (the import library used more than 2 GiB "
                       "reading x.fbx). PLY, STL and OBJ files read by the faster readers, scene "
                       "files and textures are read in the viewer itself, not in the child.",
          .ler = lerLimiteMemoria,
          .daAbertura = limiteMemoriaDaAbertura},
    Opcao{.nome = "--limite-tempo",
          .valor = V::obrigatorio,
          .argumento = "S",
          .padrao = "30",
          .ajuda = "the seconds the import library may take to read a mesh file, from 1 to 86400",
          .campo = "limiteTempo",
          .falta = "--limite-tempo needs a number of seconds",
          .descricao = "The seconds of processor time, and by the clock, that the confined child "
                       "may take to read a mesh file, from 1 to 86400; a file that takes longer is "
                       "refused with one line and the child is ended.",
          .ler = lerLimiteTempo,
          .daAbertura = limiteTempoDaAbertura},
    Opcao{.nome = "--sem-isolamento",
          .ajuda = "read mesh files with the import library in this process, unconfined and "
                   "with no limit (for debugging)",
          .campo = "isolamento",
          .descricao = "Read mesh files with the import library in the viewer's own process, "
                       "unconfined and with no limit, for debugging; standard error says so. The "
                       "pictures are the same as through the child.",
          .ler = lerSemIsolamento,
          .daAbertura = isolamentoDaAbertura},
    Opcao{.nome = "--threads",
          .valor = V::obrigatorio,
          .argumento = "N",
          .padrao = "0",
          .ajuda = "the threads that draw, from 1 to 256; 0 for one per core",
          .campo = "threads",
          .falta = "--threads needs a count",
          .descricao = "How many threads draw each frame (and merge a large mesh file's "
                       "points, on two at most), the program's own included, from 1 to "
                       "256; 0, the default, is one per core. The pictures are the same bytes "
                       "whatever the count. One thread each suits several models drawn at once "
                       "(processes of a dataset, threads of a program), which then keep the "
                       "cores busy without contending for them.",
          .ler = lerThreads,
          .daAbertura = threadsDaAbertura},
    Opcao{.nome = "--help",
          .curto = "-h",
          .ajuda = "show the usage and end",
          .descricao =
              "Print the usage on standard output and end with status 0. An unknown option, a "
              "missing or refused value prints one line saying why and the usage on standard "
              "error and ends with status 2. A value may also be joined to its option, as "
              "--tamanho=800x600; after -- every word is the file, even one that begins with "
              "-.",
          .ler = lerAjuda},
};

}  // namespace

const Opcao* Opcao::procurar(std::string_view nome) {
    for (const Opcao& opcao : kTabela) {
        if (opcao.nome == nome || (!opcao.curto.empty() && opcao.curto == nome)) {
            return &opcao;
        }
    }
    return nullptr;
}

std::span<const Opcao> tabelaOpcoes() { return kTabela; }

std::string opcoesDaAbertura(const gouraud::Abertura& de, OpcoesVisualizador& para) {
    for (const Opcao& opcao : kTabela) {
        if (opcao.daAbertura != nullptr) {
            std::string motivo = opcao.daAbertura(de, para);
            if (!motivo.empty()) {
                return motivo;
            }
        }
    }
    return "";
}

std::string opcoesDaBiblioteca(const gouraud::Opcoes& de, OpcoesVisualizador& para) {
    for (const Opcao& opcao : kTabela) {
        if (opcao.daBiblioteca != nullptr) {
            std::string motivo = opcao.daBiblioteca(de, para);
            if (!motivo.empty()) {
                return motivo;
            }
        }
    }
    return problemaConjunto(para);
}

std::string problemaConjunto(const OpcoesVisualizador& opcoes) {
    return Estilo::problemaAmostras(opcoes.estilo.amostras, opcoes.largura, opcoes.altura);
}

}  // namespace gouraud::detail
