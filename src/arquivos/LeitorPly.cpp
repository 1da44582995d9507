#include "LeitorPly.h"

#include <draco/core/decoder_buffer.h>
#include <draco/core/draco_types.h>
#include <draco/io/ply_reader.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "MontagemAparencia.h"

namespace gouraud::detail {

namespace {

constexpr std::string_view kEspacos = " \t\r\f\v";
constexpr std::string_view kMagica = "ply";
constexpr std::size_t kVerticesPorFace = 3;

// Bytes of a PLY property type, or 0 for a name that is not one.
std::uint64_t bytesDoTipo(std::string_view tipo) {
    static constexpr std::array<std::pair<std::string_view, std::uint64_t>, 16> kTipos{{
        {"char", 1},
        {"int8", 1},
        {"uchar", 1},
        {"uint8", 1},
        {"short", 2},
        {"int16", 2},
        {"ushort", 2},
        {"uint16", 2},
        {"int", 4},
        {"int32", 4},
        {"uint", 4},
        {"uint32", 4},
        {"float", 4},
        {"float32", 4},
        {"double", 8},
        {"float64", 8},
    }};
    for (const auto& [nome, bytes] : kTipos) {
        if (nome == tipo) {
            return bytes;
        }
    }
    return 0;
}

bool ehFloat32(std::string_view tipo) { return tipo == "float" || tipo == "float32"; }
bool ehInteiro32(std::string_view tipo) {
    return tipo == "int" || tipo == "int32" || tipo == "uint" || tipo == "uint32";
}

// The words of a header line.
std::vector<std::string_view> palavras(std::string_view linha) {
    std::vector<std::string_view> resultado;
    std::size_t inicio = linha.find_first_not_of(kEspacos);
    while (inicio != std::string_view::npos) {
        const std::size_t fim = std::min(linha.find_first_of(kEspacos, inicio), linha.size());
        resultado.push_back(linha.substr(inicio, fim - inicio));
        inicio = linha.find_first_not_of(kEspacos, fim);
    }
    return resultado;
}

// An element of the header: its name, its count and what one entry needs at least.
struct Elemento {
    std::string_view nome;
    std::uint64_t quant = 0;
    std::uint64_t bytesPorEntrada = 0;    // binary: scalars and list counts
    std::uint64_t valoresPorEntrada = 0;  // text: one value per property at least
    std::vector<std::array<std::string_view, 3>> propriedades;  // name, type, list item type
};

// a * b + c, or false when it does not fit in 64 bits.
bool multiplicarSomar(std::uint64_t a, std::uint64_t b, std::uint64_t& total) {
    std::uint64_t produto = 0;
    return !__builtin_mul_overflow(a, b, &produto) &&
           !__builtin_add_overflow(total, produto, &total);
}

// The names of vertex properties the import library reads as a colour; the fast reading takes
// only the first three, as uchar.
constexpr std::array<std::string_view, 12> kNomesDeCor = {
    "red",         "green",         "blue",         "alpha",        "r", "g", "b", "a",
    "diffuse_red", "diffuse_green", "diffuse_blue", "diffuse_alpha"};
constexpr std::size_t kCanaisLidos = 3;

bool ehByte(std::string_view tipo) { return tipo == "uchar" || tipo == "uint8"; }

bool simples(std::string_view formato, const std::vector<Elemento>& elementos, bool& cores) {
    cores = false;
    if (formato != "binary_little_endian" || elementos.size() != 2 ||
        elementos[0].nome != "vertex" || elementos[1].nome != "face" ||
        elementos[1].propriedades.size() != 1) {
        return false;
    }
    int coordenadas = 0;
    std::size_t canais = 0;
    for (const auto& [nome, tipo, item] : elementos[0].propriedades) {
        if (nome == "x" || nome == "y" || nome == "z") {
            if (!ehFloat32(tipo)) {
                return false;
            }
            ++coordenadas;
        }
        const auto cor = std::find(kNomesDeCor.begin(), kNomesDeCor.end(), nome);
        if (cor == kNomesDeCor.end()) {
            continue;
        }
        if (static_cast<std::size_t>(cor - kNomesDeCor.begin()) >= kCanaisLidos || !ehByte(tipo)) {
            return false;
        }
        ++canais;
    }
    if (canais != 0 && canais != kCanaisLidos) {
        return false;
    }
    cores = canais == kCanaisLidos;
    const auto& [nome, tipo, item] = elementos[1].propriedades[0];
    return coordenadas == 3 && (nome == "vertex_indices" || nome == "vertex_index") &&
           !item.empty() && ehInteiro32(item) && tipo != "float" && tipo != "float32" &&
           tipo != "double" && tipo != "float64";
}

// What a point cloud's vertex element holds beside its positions, when it is of the kind the fast
// reading takes.
struct Nuvem {
    bool cores = false;
    bool normais = false;
};

// Whether the elements are a point cloud the fast reading takes (see Cabecalho::nuvem).
std::optional<Nuvem> nuvem(std::string_view formato, const std::vector<Elemento>& elementos) {
    if (formato != "binary_little_endian" || elementos.size() != 1 ||
        elementos[0].nome != "vertex" || elementos[0].quant == 0) {
        return std::nullopt;
    }
    // Per name: x, y, z, nx, ny, nz, red, green, blue found with the right type.
    constexpr std::array<std::string_view, 9> kNomes{"x",  "y",   "z",     "nx",  "ny",
                                                     "nz", "red", "green", "blue"};
    constexpr std::size_t kPrimeiraNormal = 3;
    constexpr std::size_t kPrimeiraCor = 6;
    std::array<int, kNomes.size()> achados{};
    for (const auto& [nome, tipo, item] : elementos[0].propriedades) {
        if (!item.empty()) {
            return std::nullopt;
        }
        if (nome == "alpha" && (tipo == "uchar" || tipo == "uint8")) {
            continue;
        }
        std::size_t k = 0;
        while (k < kNomes.size() && kNomes[k] != nome) {
            ++k;
        }
        const bool byte = tipo == "uchar" || tipo == "uint8";
        if (k == kNomes.size() || (k < kPrimeiraCor ? !ehFloat32(tipo) : !byte)) {
            return std::nullopt;
        }
        ++achados[k];
    }
    const auto todos = [&achados](std::size_t inicio, int vezes) {
        return achados[inicio] == vezes && achados[inicio + 1] == vezes &&
               achados[inicio + 2] == vezes;
    };
    if (!todos(0, 1) || !(todos(kPrimeiraNormal, 0) || todos(kPrimeiraNormal, 1)) ||
        !(todos(kPrimeiraCor, 0) || todos(kPrimeiraCor, 1))) {
        return std::nullopt;
    }
    return Nuvem{todos(kPrimeiraCor, 1), todos(kPrimeiraNormal, 1)};
}

// The 32-bit index at `endereco`, signed or not.
std::int64_t indice(const unsigned char* endereco, bool comSinal) {
    if (!comSinal) {
        std::uint32_t valor = 0;
        std::memcpy(&valor, endereco, sizeof(valor));
        return valor;
    }
    std::int32_t valor = 0;
    std::memcpy(&valor, endereco, sizeof(valor));
    return valor;
}

// A simples file's data, wherever it lies: vertex v's coordinate k is the float at
// posicao[k] + v passoVertice and its colour channel k the byte at cor[k] + v passoCor; face
// f's three 32-bit indices are at indices + f passoFace.
struct Dados {
    std::size_t quantVertices = 0;
    std::size_t quantFaces = 0;
    std::array<const unsigned char*, 3> posicao{};
    std::array<const unsigned char*, 3> cor{};  // null without colours
    std::size_t passoVertice = 0;
    std::size_t passoCor = 0;
    const unsigned char* indices = nullptr;
    std::size_t passoFace = 0;
    bool comSinal = false;
};

// Reads `dados` into `fusao`, in file order, with each corner's variant and its vertex's colour
// b / 255 in single precision per channel into `aparencia` when it has colours; recusada, with
// the reason in `erro`, when a face names a vertex the file does not have or a point is not
// finite.
Leitura lerDados(const Dados& dados, FusaoPontos& fusao, std::unique_ptr<Aparencia>& aparencia,
                 std::string& erro) {
    const auto indiceDe = [&dados](std::size_t f, std::size_t k) {
        return indice(dados.indices + f * dados.passoFace + k * sizeof(std::uint32_t),
                      dados.comSinal);
    };
    for (std::size_t f = 0; f < dados.quantFaces; ++f) {
        for (std::size_t k = 0; k < kVerticesPorFace; ++k) {
            const std::int64_t v = indiceDe(f, k);
            if (v < 0 || static_cast<std::uint64_t>(v) >= dados.quantVertices) {
                erro = "face " + std::to_string(f) + " names vertex " + std::to_string(v) +
                       ", but the file has " + std::to_string(dados.quantVertices) + " vertices";
                return Leitura::recusada;
            }
        }
    }
    fusao.reservar(dados.quantVertices, dados.quantFaces);
    fusao.novaFonte(dados.quantVertices);
    if (!fusao.triangulosIndexados(dados.indices, dados.passoFace, dados.quantFaces,
                                   dados.posicao[0], dados.posicao[1], dados.posicao[2],
                                   dados.passoVertice)) {
        erro = fusao.getProblema();
        return Leitura::recusada;
    }
    if (dados.cor[0] == nullptr) {
        return Leitura::lida;
    }
    const auto canal = [&dados](std::size_t k, std::size_t v) {
        return dados.cor[k][v * dados.passoCor];
    };
    constexpr float kByte = 255.0f;
    MontagemAparencia montagem;
    montagem.reservar(dados.quantVertices, dados.quantFaces);
    montagem.novaFonte(dados.quantVertices, -1);
    // Each vertex's variant once, in the order of the vertices: every vertex has one colour.
    for (std::size_t v = 0; v < dados.quantVertices; ++v) {
        const int ponto = fusao.pontoDoVertice(v);
        if (ponto < 0) {
            continue;  // no face names it
        }
        const float cor[kCanaisLidos] = {static_cast<float>(canal(0, v)) / kByte,
                                         static_cast<float>(canal(1, v)) / kByte,
                                         static_cast<float>(canal(2, v)) / kByte};
        montagem.variante(v, ponto, cor, nullptr);
    }
    for (std::size_t f = 0; f < dados.quantFaces; ++f) {
        std::int32_t cantos[kVerticesPorFace];
        for (std::size_t k = 0; k < kVerticesPorFace; ++k) {
            cantos[k] = montagem.varianteDoVertice(static_cast<std::size_t>(indiceDe(f, k)));
        }
        montagem.triangulo(cantos[0], cantos[1], cantos[2]);
    }
    aparencia = montagem.concluir(static_cast<int>(fusao.getPontos().size()), {}, {});
    return Leitura::lida;
}

// Where the records of a simples file lie, when they have a fixed size (Cabecalho::Registros);
// the data starts at byte `inicio` of a file of `tamanho` bytes.
LeitorPly::Cabecalho::Registros registros(const std::vector<Elemento>& elementos, bool cores,
                                          std::uint64_t inicio, std::uint64_t tamanho) {
    constexpr std::array<std::string_view, 3> kPosicao{"x", "y", "z"};
    LeitorPly::Cabecalho::Registros r;
    std::array<int, 3> posicoes{};
    std::array<int, 3> canais{};
    std::uint64_t deslocamento = 0;
    for (const auto& [nome, tipo, item] : elementos[0].propriedades) {
        if (!item.empty()) {
            return {};
        }
        for (std::size_t k = 0; k < 3; ++k) {
            if (nome == kPosicao[k]) {
                ++posicoes[k];
                r.posicao[k] = deslocamento;
            }
            if (nome == kNomesDeCor[k]) {
                ++canais[k];
                r.cor[k] = deslocamento;
            }
        }
        deslocamento += bytesDoTipo(tipo);
    }
    const int vezesCor = cores ? 1 : 0;
    for (std::size_t k = 0; k < 3; ++k) {
        if (posicoes[k] != 1 || canais[k] != vezesCor) {
            return {};
        }
    }
    r.bytesVertice = deslocamento;
    const auto& [nome, tipo, item] = elementos[1].propriedades[0];
    r.bytesContagem = bytesDoTipo(tipo);
    r.indicesComSinal = item == "int" || item == "int32";
    r.inicio = inicio;
    std::uint64_t fim = inicio;
    r.fixos = multiplicarSomar(elementos[0].quant, r.bytesVertice, fim) &&
              multiplicarSomar(elementos[1].quant,
                               r.bytesContagem + kVerticesPorFace * sizeof(std::uint32_t), fim) &&
              fim == tamanho;
    return r;
}

}  // namespace

bool LeitorPly::pareceCabecalho(const char* dados, std::size_t tamanho) {
    const std::string_view texto(dados, tamanho);
    const std::size_t inicio = texto.find_first_not_of(" \t\r\n\f\v");
    if (inicio == std::string_view::npos || texto.size() - inicio < kMagica.size()) {
        return false;
    }
    // The import library takes a file for PLY on its first three letters alone, in any case.
    for (std::size_t i = 0; i < kMagica.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(texto[inicio + i])) != kMagica[i]) {
            return false;
        }
    }
    return true;
}

LeitorPly::Cabecalho LeitorPly::lerCabecalho(const char* dados, std::size_t tamanho) {
    Cabecalho cabecalho;
    const std::string_view texto(dados, tamanho);
    std::string_view formato;
    std::vector<Elemento> elementos;
    std::size_t inicioLinha = 0;
    std::size_t inicioDados = std::string_view::npos;
    int numeroLinha = 0;
    bool texturaNomeada = false;
    while (inicioLinha < texto.size()) {
        const std::size_t quebra = texto.find('\n', inicioLinha);
        const std::size_t fimLinha = quebra == std::string_view::npos ? texto.size() : quebra;
        const std::size_t proxima = quebra == std::string_view::npos ? texto.size() : quebra + 1;
        const std::vector<std::string_view> p =
            palavras(texto.substr(inicioLinha, fimLinha - inicioLinha));
        inicioLinha = proxima;
        ++numeroLinha;
        const std::string onde = "line " + std::to_string(numeroLinha) + " of the header: ";
        if (p.empty()) {
            continue;
        }
        // A texture named in a comment is read by the import library only.
        if (p[0] == "comment" && p.size() >= 2 && p[1] == "TextureFile") {
            texturaNomeada = true;
        }
        // Without a line break after it the import library never finds the end of the header.
        if (p[0] == "end_header" && quebra != std::string_view::npos) {
            inicioDados = proxima;
            break;
        }
        if (p[0] == "format" && p.size() >= 2) {
            formato = p[1];
        } else if (p[0] == "element") {
            Elemento elemento;
            if (p.size() != 3) {
                cabecalho.problema = onde + "an element needs a name and a count";
                return cabecalho;
            }
            elemento.nome = p[1];
            const auto [fim, erro] =
                std::from_chars(p[2].data(), p[2].data() + p[2].size(), elemento.quant);
            if (erro != std::errc() || fim != p[2].data() + p[2].size()) {
                cabecalho.problema =
                    onde + "the count of element " + std::string(p[1]) + " is not a number";
                return cabecalho;
            }
            if (elemento.quant > tamanho) {
                cabecalho.problema = onde + "element " + std::string(p[1]) + " promises " +
                                     std::string(p[2]) + " entries, more than the " +
                                     std::to_string(tamanho) + " bytes of the file";
                return cabecalho;
            }
            elementos.push_back(std::move(elemento));
        } else if (p[0] == "property") {
            const bool lista = p.size() >= 2 && p[1] == "list";
            if (elementos.empty() || p.size() != (lista ? 5U : 3U)) {
                cabecalho.problema = onde + "a property needs an element, a type and a name";
                return cabecalho;
            }
            const std::string_view tipo = p[lista ? 2 : 1];
            const std::uint64_t bytes = bytesDoTipo(tipo);
            if (bytes == 0 || (lista && bytesDoTipo(p[3]) == 0)) {
                cabecalho.problema =
                    onde + "unknown property type " + std::string(bytes == 0 ? tipo : p[3]);
                return cabecalho;
            }
            Elemento& elemento = elementos.back();
            elemento.bytesPorEntrada += bytes;
            elemento.valoresPorEntrada += 1;
            elemento.propriedades.push_back({p.back(), tipo, lista ? p[3] : std::string_view()});
        }
    }
    if (inicioDados == std::string_view::npos) {
        cabecalho.problema = "the header does not end: there is no end_header line";
        return cabecalho;
    }

    const bool binario = formato != "ascii";
    std::uint64_t minimo = 0;
    bool cabe = true;
    std::string promessa;
    for (const Elemento& elemento : elementos) {
        cabe = cabe && multiplicarSomar(
                           elemento.quant,
                           binario ? elemento.bytesPorEntrada : elemento.valoresPorEntrada, minimo);
        if (!promessa.empty()) {
            promessa += ", ";
        }
        promessa += std::to_string(elemento.quant);
        promessa += ' ';
        promessa.append(elemento.nome);
    }
    // Text values need at least one character and a separator each.
    if (!binario && cabe && minimo > 0) {
        cabe = !__builtin_mul_overflow(minimo, std::uint64_t{2}, &minimo);
        minimo -= 1;
    }
    const std::uint64_t restante = tamanho - inicioDados;
    if (!cabe || minimo > restante) {
        cabecalho.problema = "the header promises " + promessa + " entries, at least " +
                             (cabe ? std::to_string(minimo) : std::string("2^64")) +
                             " bytes, but only " + std::to_string(restante) + " follow it";
        return cabecalho;
    }
    cabecalho.simples = simples(formato, elementos, cabecalho.cores) && !texturaNomeada;
    if (cabecalho.simples) {
        cabecalho.registros = registros(elementos, cabecalho.cores, inicioDados, tamanho);
    }
    if (const std::optional<Nuvem> tipoNuvem = nuvem(formato, elementos);
        tipoNuvem && !texturaNomeada) {
        cabecalho.nuvem = true;
        cabecalho.nuvemComCores = tipoNuvem->cores;
        cabecalho.nuvemComNormais = tipoNuvem->normais;
        cabecalho.quantVertices = elementos[0].quant;
    }
    if (cabecalho.simples) {
        cabecalho.quantVertices = elementos[0].quant;
        cabecalho.quantFaces = elementos[1].quant;
    }
    return cabecalho;
}

Leitura LeitorPly::ler(const char* dados, std::size_t tamanho, const Cabecalho& cabecalho,
                       FusaoPontos& fusao, std::unique_ptr<Aparencia>& aparencia,
                       std::string& erro) {
    draco::DecoderBuffer buffer;
    buffer.Init(dados, tamanho);
    draco::PlyReader leitor;
    if (!leitor.Read(&buffer).ok()) {
        return Leitura::outroLeitor;
    }
    const draco::PlyElement* vertices = leitor.GetElementByName("vertex");
    const draco::PlyElement* faces = leitor.GetElementByName("face");
    if (vertices == nullptr || faces == nullptr ||
        static_cast<std::uint64_t>(vertices->num_entries()) != cabecalho.quantVertices ||
        static_cast<std::uint64_t>(faces->num_entries()) != cabecalho.quantFaces) {
        return Leitura::outroLeitor;
    }
    const draco::PlyProperty* x = vertices->GetPropertyByName("x");
    const draco::PlyProperty* y = vertices->GetPropertyByName("y");
    const draco::PlyProperty* z = vertices->GetPropertyByName("z");
    const draco::PlyProperty* lista = faces->GetPropertyByName("vertex_indices");
    if (lista == nullptr) {
        lista = faces->GetPropertyByName("vertex_index");
    }
    if (x == nullptr || y == nullptr || z == nullptr || lista == nullptr || !lista->is_list() ||
        x->data_type() != draco::DT_FLOAT32 || y->data_type() != draco::DT_FLOAT32 ||
        z->data_type() != draco::DT_FLOAT32 ||
        (lista->data_type() != draco::DT_INT32 && lista->data_type() != draco::DT_UINT32)) {
        return Leitura::outroLeitor;
    }
    // Every face a triangle, their indices one after another: the data is then three indices a
    // face, front to back.
    const int quantFaces = faces->num_entries();
    for (int f = 0; f < quantFaces; ++f) {
        if (lista->GetListEntryNumValues(f) != static_cast<std::int64_t>(kVerticesPorFace) ||
            lista->GetListEntryOffset(f) != static_cast<std::int64_t>(kVerticesPorFace) * f) {
            return Leitura::outroLeitor;
        }
    }
    const int quantVertices = vertices->num_entries();
    if (quantFaces == 0) {
        return Leitura::lida;
    }
    Dados dadosDraco;
    dadosDraco.quantVertices = static_cast<std::size_t>(quantVertices);
    dadosDraco.quantFaces = static_cast<std::size_t>(quantFaces);
    dadosDraco.indices = static_cast<const unsigned char*>(lista->GetDataEntryAddress(0));
    dadosDraco.passoFace = kVerticesPorFace * sizeof(std::uint32_t);
    dadosDraco.comSinal = lista->data_type() == draco::DT_INT32;
    dadosDraco.passoVertice = sizeof(float);
    dadosDraco.passoCor = 1;
    // Without vertices every face names one the file does not have: nothing is read from them.
    if (quantVertices > 0) {
        dadosDraco.posicao = {static_cast<const unsigned char*>(x->GetDataEntryAddress(0)),
                              static_cast<const unsigned char*>(y->GetDataEntryAddress(0)),
                              static_cast<const unsigned char*>(z->GetDataEntryAddress(0))};
    }
    // Draco gives each colour channel as bytes in an array of its own; when it does not, the
    // import library reads the file, once its faces and points are known to be sound.
    bool semCores = false;
    if (cabecalho.cores && quantVertices > 0) {
        const draco::PlyProperty* canais[kCanaisLidos] = {vertices->GetPropertyByName("red"),
                                                          vertices->GetPropertyByName("green"),
                                                          vertices->GetPropertyByName("blue")};
        for (std::size_t k = 0; k < kCanaisLidos; ++k) {
            if (canais[k] == nullptr || canais[k]->data_type() != draco::DT_UINT8 ||
                canais[k]->is_list()) {
                semCores = true;
            }
        }
        if (!semCores) {
            for (std::size_t k = 0; k < kCanaisLidos; ++k) {
                dadosDraco.cor[k] =
                    static_cast<const unsigned char*>(canais[k]->GetDataEntryAddress(0));
            }
        }
    }
    const Leitura leitura = lerDados(dadosDraco, fusao, aparencia, erro);
    return leitura == Leitura::lida && semCores ? Leitura::outroLeitor : leitura;
}

std::optional<Leitura> LeitorPly::lerRegistros(const char* dados, const Cabecalho& cabecalho,
                                               FusaoPontos& fusao,
                                               std::unique_ptr<Aparencia>& aparencia,
                                               std::string& erro) {
    const Cabecalho::Registros& r = cabecalho.registros;
    constexpr auto kMaisEntradas = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
    if (!cabecalho.simples || !r.fixos || cabecalho.quantVertices > kMaisEntradas ||
        cabecalho.quantFaces > kMaisEntradas) {
        return std::nullopt;
    }
    const auto* inicio = reinterpret_cast<const unsigned char*>(dados) + r.inicio;
    Dados registro;
    registro.quantVertices = static_cast<std::size_t>(cabecalho.quantVertices);
    registro.quantFaces = static_cast<std::size_t>(cabecalho.quantFaces);
    registro.passoVertice = static_cast<std::size_t>(r.bytesVertice);
    registro.passoCor = registro.passoVertice;
    const unsigned char* faces = inicio + registro.quantVertices * registro.passoVertice;
    const auto bytesContagem = static_cast<std::size_t>(r.bytesContagem);
    registro.passoFace = bytesContagem + kVerticesPorFace * sizeof(std::uint32_t);
    registro.indices = faces + bytesContagem;
    // Every face a triangle; a count of any type is 3 in its low byte and 0 in the others.
    for (std::size_t f = 0; f < registro.quantFaces; ++f) {
        const unsigned char* contagem = faces + f * registro.passoFace;
        if (contagem[0] != kVerticesPorFace ||
            std::any_of(contagem + 1, contagem + bytesContagem,
                        [](unsigned char b) { return b != 0; })) {
            return std::nullopt;
        }
    }
    if (registro.quantFaces == 0) {
        return Leitura::lida;
    }
    registro.comSinal = r.indicesComSinal;
    for (std::size_t k = 0; k < 3; ++k) {
        registro.posicao[k] = inicio + r.posicao[k];
        if (cabecalho.cores) {
            registro.cor[k] = inicio + r.cor[k];
        }
    }
    return lerDados(registro, fusao, aparencia, erro);
}

Leitura LeitorPly::lerNuvem(const char* dados, std::size_t tamanho, const Cabecalho& cabecalho,
                            Primitivas& primitivas, std::string& erro) {
    if (cabecalho.quantVertices > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
        return Leitura::outroLeitor;
    }
    draco::DecoderBuffer buffer;
    buffer.Init(dados, tamanho);
    draco::PlyReader leitor;
    if (!leitor.Read(&buffer).ok()) {
        return Leitura::outroLeitor;
    }
    const draco::PlyElement* vertices = leitor.GetElementByName("vertex");
    if (vertices == nullptr ||
        static_cast<std::uint64_t>(vertices->num_entries()) != cabecalho.quantVertices) {
        return Leitura::outroLeitor;
    }
    // Each property's values one after another: the address of entry 0 and the step.
    const auto coluna = [vertices](const char* nome, draco::DataType tipo) {
        const draco::PlyProperty* propriedade = vertices->GetPropertyByName(nome);
        return propriedade != nullptr && !propriedade->is_list() && propriedade->data_type() == tipo
                   ? static_cast<const unsigned char*>(propriedade->GetDataEntryAddress(0))
                   : nullptr;
    };
    const auto real = [](const unsigned char* base, std::size_t i) {
        float valor = 0.0f;
        std::memcpy(&valor, base + i * sizeof(float), sizeof(float));
        return valor;
    };
    constexpr float kMaiorByte = 255.0f;
    const std::array<const unsigned char*, 3> posicao{coluna("x", draco::DT_FLOAT32),
                                                      coluna("y", draco::DT_FLOAT32),
                                                      coluna("z", draco::DT_FLOAT32)};
    std::array<const unsigned char*, 3> normal{};
    std::array<const unsigned char*, 3> cor{};
    if (cabecalho.nuvemComNormais) {
        normal = {coluna("nx", draco::DT_FLOAT32), coluna("ny", draco::DT_FLOAT32),
                  coluna("nz", draco::DT_FLOAT32)};
    }
    if (cabecalho.nuvemComCores) {
        cor = {coluna("red", draco::DT_UINT8), coluna("green", draco::DT_UINT8),
               coluna("blue", draco::DT_UINT8)};
    }
    const auto falta = [](const std::array<const unsigned char*, 3>& colunas) {
        return colunas[0] == nullptr || colunas[1] == nullptr || colunas[2] == nullptr;
    };
    if (falta(posicao) || (cabecalho.nuvemComNormais && falta(normal)) ||
        (cabecalho.nuvemComCores && falta(cor))) {
        return Leitura::outroLeitor;
    }
    const auto quant = static_cast<std::size_t>(cabecalho.quantVertices);
    primitivas.reservarPontos(quant, cabecalho.nuvemComNormais, cabecalho.nuvemComCores);
    for (std::size_t i = 0; i < quant; ++i) {
        const float x = real(posicao[0], i);
        const float y = real(posicao[1], i);
        const float z = real(posicao[2], i);
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
            erro = "point " + std::to_string(i) +
                   " of the file's points is not finite: " + FusaoPontos::texto(x, y, z);
            return Leitura::recusada;
        }
        Primitivas::Terno n{};
        Primitivas::Terno c{};
        if (cabecalho.nuvemComNormais) {
            n = {real(normal[0], i), real(normal[1], i), real(normal[2], i)};
        }
        if (cabecalho.nuvemComCores) {
            c = {static_cast<float>(cor[0][i]) / kMaiorByte,
                 static_cast<float>(cor[1][i]) / kMaiorByte,
                 static_cast<float>(cor[2][i]) / kMaiorByte};
        }
        primitivas.acrescentarPonto(Primitivas::Terno{x, y, z},
                                    cabecalho.nuvemComNormais ? &n : nullptr,
                                    cabecalho.nuvemComCores ? &c : nullptr);
    }
    return Leitura::lida;
}

}  // namespace gouraud::detail
