#include "Gouraud.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>
#include <system_error>
#include <utility>

#include "LeitorNumeros.h"
#include "NormalTriangulo.h"

using gouraud::detail::LeitorNumeros;
using gouraud::detail::normalDoTriangulo;

namespace {

constexpr char kArquivoCena[] = "triangulo.txt";
// Written once the scene stream has been opened and read.
constexpr char kMarcador[] = "ouhaisudhsaiudhsaiduhasdiuhias";
// Reals per point and indices per triangle.
constexpr std::int64_t kNumerosPorEntrada = 3;
// Reals of the camera section that must be read for a valid scene: N, V and the focus.
constexpr int kReaisCamera = 9;
// Numbers the two counts take at the start of the file.
constexpr std::int64_t kNumerosContagens = 2;
// The first read of a stream; enough for the counts of any ordinary file.
constexpr std::size_t kBlocoInicial = std::size_t{64} * 1024;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The characters of a stream in one buffer that grows only when the stream could not tell its
// size in advance.
class Texto {
public:
    const char* inicio() const { return dados.get(); }
    const char* fim() const { return dados.get() + tamanho; }

    // Reads up to `maximo` more characters from `buf`; returns how many arrived.
    std::size_t ler(std::streambuf& buf, std::size_t maximo) {
        reservar(tamanho + maximo);
        std::size_t lidos = 0;
        while (lidos < maximo) {
            std::streamsize n = 0;
            try {
                n = buf.sgetn(dados.get() + tamanho + lidos,
                              static_cast<std::streamsize>(maximo - lidos));
            } catch (...) {
                // A read error ends the input, as it would stop a formatted extraction; the
                // file buffer reports it by throwing.
                n = 0;
            }
            if (n <= 0) {
                break;
            }
            lidos += static_cast<std::size_t>(n);
        }
        tamanho += lidos;
        return lidos;
    }

    // Reads every remaining character, with one allocation when `previsto` is the true count.
    void lerAteOFim(std::streambuf& buf, std::size_t previsto) {
        // One spare byte lets the read that finds the end happen without growing the buffer.
        std::size_t pedido = previsto + 1;
        while (ler(buf, pedido) == pedido) {
            pedido = std::max(tamanho, kBlocoInicial);
        }
    }

private:
    void reservar(std::size_t minimo) {
        if (minimo <= capacidade) {
            return;
        }
        auto novos = std::make_unique_for_overwrite<char[]>(minimo);
        std::copy(inicio(), fim(), novos.get());
        dados = std::move(novos);
        capacidade = minimo;
    }

    std::unique_ptr<char[]> dados;
    std::size_t tamanho = 0;
    std::size_t capacidade = 0;
};

// Characters the stream buffer still holds after its current position, or 0 when it cannot
// tell (pipes, terminals).
std::size_t restanteNoStream(std::streambuf& buf) {
    const std::streamoff atual = buf.pubseekoff(0, std::ios::cur, std::ios::in);
    if (atual < 0) {
        return 0;
    }
    const std::streamoff final = buf.pubseekoff(0, std::ios::end, std::ios::in);
    buf.pubseekpos(atual, std::ios::in);
    return final > atual ? static_cast<std::size_t>(final - atual) : 0;
}

// True when the text after the first block could still change the counts, or a scene could
// follow them: the counts were read and are non-negative, or their reading ran into the end
// of the block. Lets a device or junk file stop after one block.
bool contagensPedemOResto(const Texto& bloco) {
    LeitorNumeros leitor(bloco.inicio(), bloco.fim());
    int pontos = 0;
    int triangulos = 0;
    if (leitor.lerInteiro(pontos) && leitor.lerInteiro(triangulos)) {
        return pontos >= 0 && triangulos >= 0;
    }
    return leitor.restante() == 0;
}

// Reads the stream's characters; stops after the first block when that block already shows
// that no scene can follow. The size the stream reports is trusted only once a full block was
// read from it (a folder opened as a file reports an absurd size and then fails every read).
Texto lerTexto(std::streambuf& buf) {
    Texto texto;
    if (texto.ler(buf, kBlocoInicial) == kBlocoInicial && contagensPedemOResto(texto)) {
        texto.lerAteOFim(buf, restanteNoStream(buf));
    }
    return texto;
}

// True when `caracteres` characters can hold the numbers of the given counts. Two numbers can
// touch only when the second starts with a sign or a point and then holds a digit, so n numbers
// take at least 2n - 1 characters.
bool cabemNoTexto(int pontos, int triangulos, std::size_t caracteres) {
    const std::int64_t numeros = kNumerosPorEntrada * pontos + kNumerosPorEntrada * triangulos;
    return numeros == 0 || static_cast<std::uint64_t>(2 * numeros - 1) <= caracteres;
}

// True when `indice` names one of `quantidade` points.
inline bool indiceDentro(int indice, int quantidade) { return indice >= 0 && indice < quantidade; }

// "1 point", "0 points", "3 points".
std::string quantidadeDe(std::int64_t quantidade, const char* nome) {
    return std::to_string(quantidade) + " " + nome + (quantidade == 1 ? "" : "s");
}

bool lerNumero(LeitorNumeros& leitor, int& valor) { return leitor.lerInteiro(valor); }
bool lerNumero(LeitorNumeros& leitor, double& valor) { return leitor.lerReal(valor); }
const char* nomeDoTipo(int) { return "an integer"; }
const char* nomeDoTipo(double) { return "a real number"; }

// Reads a text again number by number, in the order and with the rules of Gouraud::carregar,
// and names the first problem it meets. The loader runs it only for a scene it found invalid,
// so a good load never pays for it.
class Revisao {
public:
    Revisao(const char* inicio, const char* fim) : inicio(inicio), fim(fim), leitor(inicio, fim) {}

    // One line naming the first problem of the text, or "" when it holds a valid scene.
    std::string primeiroProblema() {
        int pontos = 0;
        int triangulos = 0;
        if (!lerContagem(pontos, "points") || !lerContagem(triangulos, "triangles")) {
            return problema;
        }
        if (!cabemNoTexto(pontos, triangulos, leitor.restante())) {
            const std::int64_t numeros =
                kNumerosPorEntrada * pontos + kNumerosPorEntrada * triangulos;
            const auto bytes = static_cast<std::int64_t>(leitor.restante());
            return "the counts ask for " + std::to_string(numeros) + " numbers, but only " +
                   quantidadeDe(bytes, "byte") + (bytes == 1 ? " follows" : " follow");
        }
        necessarios = kNumerosContagens + kNumerosPorEntrada * pontos +
                      kNumerosPorEntrada * triangulos + kReaisCamera;

        for (int i = 0; i < pontos; ++i) {
            for (const char eixo : kEixos) {
                double valor = 0.0;
                if (!ler(valor,
                         [&] { return std::string(1, eixo) + " of point " + std::to_string(i); })) {
                    return problema;
                }
            }
        }
        for (int i = 0; i < triangulos; ++i) {
            for (int k = 0; k < kNumerosPorEntrada; ++k) {
                const char* inicioIndice = leitor.inicioProximoNumero();
                int indice = 0;
                if (!ler(indice, [&] {
                        return "index " + std::to_string(k) + " of triangle " + std::to_string(i);
                    })) {
                    return problema;
                }
                if (!indiceDentro(indice, pontos)) {
                    return local(inicioIndice) + "triangle " + std::to_string(i) + " names point " +
                           std::to_string(indice) + ", but the scene has " +
                           quantidadeDe(pontos, "point");
                }
            }
        }
        for (const char* dono : {"the axis N", "the axis V", "the focus"}) {
            for (const char eixo : kEixos) {
                double valor = 0.0;
                if (!ler(valor, [&] { return std::string(1, eixo) + " of " + dono; })) {
                    return problema;
                }
            }
        }
        return "";
    }

private:
    static constexpr char kEixos[] = {'x', 'y', 'z'};

    // "line L, column C: " for the character at `onde`, both from 1, the column in bytes.
    // Counts the lines from the start of the text.
    std::string local(const char* onde) const {
        const auto linha = std::count(inicio, onde, '\n') + 1;
        const char* inicioLinha = onde;
        while (inicioLinha != inicio && inicioLinha[-1] != '\n') {
            --inicioLinha;
        }
        const auto coluna = onde - inicioLinha + 1;
        return "line " + std::to_string(linha) + ", column " + std::to_string(coluna) + ": ";
    }

    // Reads one count; false, with the problem recorded, when it fails or is negative.
    bool lerContagem(int& valor, const char* nome) {
        const char* token = leitor.inicioProximoNumero();
        if (!leitor.lerInteiro(valor)) {
            problema = token == fim
                           ? std::string("the file ends before the count of ") + nome
                           : local(token) + "expected an integer (the count of " + nome + ")";
            return false;
        }
        if (valor < 0) {
            problema = local(token) + "the count of " + nome + " is negative";
            return false;
        }
        return true;
    }

    // Reads one number after the counts; when the read fails, records the problem, calling
    // `nome()` for the words that name the number.
    template <typename T, typename Nome>
    bool ler(T& valor, Nome nome) {
        const char* token = leitor.inicioProximoNumero();
        if (lerNumero(leitor, valor)) {
            ++lidos;
            return true;
        }
        problema = token == fim
                       ? "the file ends after " + std::to_string(lidos) + " of the " +
                             std::to_string(necessarios) + " numbers it needs"
                       : local(token) + "expected " + nomeDoTipo(valor) + " (" + nome() + ")";
        return false;
    }

    const char* inicio;
    const char* fim;
    LeitorNumeros leitor;
    std::int64_t lidos = kNumerosContagens;
    std::int64_t necessarios = 0;
    std::string problema;
};

}  // namespace

Gouraud::Gouraud() {
    // A folder of that name opens as a file stream, but every read of it fails: it is no file.
    std::error_code erro;
    std::ifstream entrada;
    if (!std::filesystem::is_directory(kArquivoCena, erro)) {
        entrada.open(kArquivoCena, std::ios::in);
    }
    if (!entrada.is_open()) {
        diagnostico = std::string(kArquivoCena) + " could not be opened";
        return;
    }
    carregar(entrada, &std::cout);
}

Gouraud::Gouraud(std::istream& entrada) { carregar(entrada, &std::cout); }

Gouraud::Gouraud(std::istream& entrada, std::ostream* marcador) { carregar(entrada, marcador); }

Gouraud::~Gouraud() = default;

void Gouraud::carregar(std::istream& entrada, std::ostream* marcador) {
    if (!entrada.good()) {
        diagnostico = "the stream could not be read";
        return;
    }
    const Texto texto = lerTexto(*entrada.rdbuf());
    if (marcador != nullptr) {
        *marcador << kMarcador << std::endl;
    }

    LeitorNumeros leitor(texto.inicio(), texto.fim());
    int pontos = 0;
    int triangulos = 0;
    if (!leitor.lerInteiro(pontos) || !leitor.lerInteiro(triangulos) || pontos < 0 ||
        triangulos < 0 || !cabemNoTexto(pontos, triangulos, leitor.restante())) {
        diagnostico = Revisao(texto.inicio(), texto.fim()).primeiroProblema();
        return;
    }

    // The scene is built in locals and moved into the fields only when it is sound, so a
    // rejected file never leaves a half-built object.
    std::vector<Ponto> novosPontos(static_cast<std::size_t>(pontos));
    for (int i = 0; i < pontos; ++i) {
        Ponto& p = novosPontos[i];
        leitor.lerReal(p.x);
        leitor.lerReal(p.y);
        leitor.lerReal(p.z);
    }
    std::vector<Triangulo> novosTriangulos(static_cast<std::size_t>(triangulos));
    bool indicesValidos = true;
    for (int i = 0; i < triangulos; ++i) {
        Triangulo& t = novosTriangulos[i];
        leitor.lerInteiro(t.indiceP1);
        leitor.lerInteiro(t.indiceP2);
        leitor.lerInteiro(t.indiceP3);
        indicesValidos = indicesValidos && indiceDentro(t.indiceP1, pontos) &&
                         indiceDentro(t.indiceP2, pontos) && indiceDentro(t.indiceP3, pontos);
    }
    if (!indicesValidos) {
        diagnostico = Revisao(texto.inicio(), texto.fim()).primeiroProblema();
        return;
    }
    double camera[kReaisCamera];
    for (double& valor : camera) {
        leitor.lerReal(valor);
    }
    const bool cameraLida = !leitor.falhou();
    // The projection window, optional: a failed read here leaves the scene valid.
    leitor.lerReal(distanciaProjecao);
    leitor.lerReal(meiaLargura);
    leitor.lerReal(meiaAltura);
    projecaoCompleta = !leitor.falhou();

    montarCamera(Vetor(camera[0], camera[1], camera[2]), Vetor(camera[3], camera[4], camera[5]),
                 Ponto(camera[6], camera[7], camera[8]));

    guardarListas(std::move(novosPontos), std::move(novosTriangulos));
    quantPontos = pontos;
    quantTriangulos = triangulos;
    valida = cameraLida;
    if (!valida) {
        diagnostico = Revisao(texto.inicio(), texto.fim()).primeiroProblema();
    }
}

Gouraud::Gouraud(std::vector<Ponto> pontos, std::vector<Triangulo> triangulos, const Vetor& n,
                 const Vetor& v, const Ponto& focoDado, double distancia, double largura,
                 double altura) {
    constexpr std::size_t kMaiorContagem = std::numeric_limits<int>::max();
    if (pontos.size() > kMaiorContagem || triangulos.size() > kMaiorContagem) {
        diagnostico =
            "the scene has more than " + std::to_string(kMaiorContagem) + " points or triangles";
        return;
    }
    const int quantidade = static_cast<int>(pontos.size());
    for (std::size_t i = 0; i < triangulos.size(); ++i) {
        const Triangulo& t = triangulos[i];
        for (const int indice : {t.indiceP1, t.indiceP2, t.indiceP3}) {
            if (!indiceDentro(indice, quantidade)) {
                diagnostico = "triangle " + std::to_string(i) + " names point " +
                              std::to_string(indice) + ", but the scene has " +
                              quantidadeDe(quantidade, "point");
                return;
            }
        }
    }
    const auto quantTriangulosDados = static_cast<int>(triangulos.size());
    guardarListas(std::move(pontos), std::move(triangulos));
    quantPontos = quantidade;
    quantTriangulos = quantTriangulosDados;
    montarCamera(n, v, focoDado);
    distanciaProjecao = distancia;
    meiaLargura = largura;
    meiaAltura = altura;
    projecaoCompleta = true;
    valida = true;
}

void Gouraud::guardarListas(std::vector<Ponto> pontos, std::vector<Triangulo> triangulos) {
    // An empty list holds memory too, so that a scene's getters never give null.
    pontos.reserve(std::max<std::size_t>(pontos.size(), 1));
    triangulos.reserve(std::max<std::size_t>(triangulos.size(), 1));
    listaPonto = std::move(pontos);
    listaTriangulo = std::move(triangulos);
    listasGuardadas = true;
}

Ponto* Gouraud::novosPontosProntos() const {
    if (!listasGuardadas) {
        return nullptr;
    }
    std::call_once(novoPontoFeito, [this] {
        listaNovoPonto = std::make_unique_for_overwrite<Ponto[]>(listaPonto.size());
        std::copy(listaPonto.begin(), listaPonto.end(), listaNovoPonto.get());
    });
    return listaNovoPonto.get();
}

Vetor* Gouraud::normaisTrianguloProntas() const {
    if (!listasGuardadas) {
        return nullptr;
    }
    std::call_once(normalTrianguloFeita, [this] {
        listaNormalTriangulo = std::make_unique<Vetor[]>(listaTriangulo.size());
    });
    return listaNormalTriangulo.get();
}

Vetor* Gouraud::pontosCameraProntos() const {
    if (!listasGuardadas) {
        return nullptr;
    }
    std::call_once(pontoCameraFeito,
                   [this] { listaPontoCamera = std::make_unique<Vetor[]>(listaPonto.size()); });
    return listaPontoCamera.get();
}

void Gouraud::montarCamera(const Vetor& n, const Vetor& v, const Ponto& focoDado) {
    vetorNLido = std::make_unique<Vetor>(n);
    vetorVLido = std::make_unique<Vetor>(v);
    foco = std::make_unique<Ponto>(focoDado);
    // V loses its component along N, both become unit vectors, and U = N x V.
    const std::unique_ptr<Vetor> vOrtogonal(
        operadores.ortogonalizacao(vetorVLido.get(), vetorNLido.get()));
    vetorV.reset(operadores.normalizacao(vOrtogonal.get()));
    vetorN.reset(operadores.normalizacao(vetorNLido.get()));
    vetorU.reset(operadores.produtoVetorial(vetorN.get(), vetorV.get()));
}

void Gouraud::mudancaCoordenadasCamera() {
    Vetor* camera = pontosCameraProntos();
    if (camera == nullptr) {
        return;
    }
    const Ponto f = *foco;
    const Vetor u = *vetorU;
    const Vetor v = *vetorV;
    const Vetor n = *vetorN;
    for (int i = 0; i < quantPontos; ++i) {
        const Ponto& p = listaPonto[i];
        const double dx = p.x - f.x;
        const double dy = p.y - f.y;
        const double dz = p.z - f.z;
        camera[i] = Vetor(u.x * dx + u.y * dy + u.z * dz, v.x * dx + v.y * dy + v.z * dz,
                          n.x * dx + n.y * dy + n.z * dz);
    }
}

Vetor* Gouraud::encontrarNormal(int p1, int p2, int p3) {
    if (!indiceDentro(p1, quantPontos) || !indiceDentro(p2, quantPontos) ||
        !indiceDentro(p3, quantPontos)) {
        return new Vetor(kNaN, kNaN, kNaN);
    }
    return new Vetor(normalDoTriangulo(listaPonto[p1], listaPonto[p2], listaPonto[p3]));
}

void Gouraud::calcularNormalTriangulo() {
    Vetor* normais = normaisTrianguloProntas();
    for (int i = 0; i < quantTriangulos; ++i) {
        const Triangulo& t = listaTriangulo[i];
        normais[i] = normalDoTriangulo(listaPonto[t.indiceP1], listaPonto[t.indiceP2],
                                                    listaPonto[t.indiceP3]);
    }
}

void Gouraud::calcularNovoPonto() {
    Ponto* novos = novosPontosProntos();
    const Vetor* normais = normaisTrianguloProntas();
    for (int i = 0; i < quantTriangulos; ++i) {
        const Triangulo& t = listaTriangulo[i];
        const Vetor& n = normais[i];
        for (const int indice : {t.indiceP1, t.indiceP2, t.indiceP3}) {
            const Ponto& p = listaPonto[indice];
            novos[indice] = Ponto(p.x + n.x, p.y + n.y, p.z + n.z);
        }
    }
}

int Gouraud::getQuantPontos() const { return quantPontos; }
int Gouraud::getQuantTriangulos() const { return quantTriangulos; }
const Ponto* Gouraud::getListaPonto() const {
    return listasGuardadas ? listaPonto.data() : nullptr;
}
const Triangulo* Gouraud::getListaTriangulo() const {
    return listasGuardadas ? listaTriangulo.data() : nullptr;
}
const Vetor* Gouraud::getListaNormalTriangulo() const { return normaisTrianguloProntas(); }
const Ponto* Gouraud::getListaNovoPonto() const { return novosPontosProntos(); }
const Vetor* Gouraud::getListaPontoCamera() const { return pontosCameraProntos(); }
const Vetor* Gouraud::getVetorN() const { return vetorN.get(); }
const Vetor* Gouraud::getVetorV() const { return vetorV.get(); }
const Vetor* Gouraud::getVetorU() const { return vetorU.get(); }
const Vetor* Gouraud::getVetorNLido() const { return vetorNLido.get(); }
const Vetor* Gouraud::getVetorVLido() const { return vetorVLido.get(); }
const Ponto* Gouraud::getFoco() const { return foco.get(); }
bool Gouraud::cenaValida() const { return valida; }
const std::string& Gouraud::getDiagnostico() const { return diagnostico; }
double Gouraud::getDistanciaProjecao() const { return distanciaProjecao; }
double Gouraud::getMeiaLargura() const { return meiaLargura; }
double Gouraud::getMeiaAltura() const { return meiaAltura; }
bool Gouraud::projecaoLida() const { return projecaoCompleta; }
