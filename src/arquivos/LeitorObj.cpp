#include "LeitorObj.h"

#include <assimp/fast_atof.h>
#include <tiny_obj_loader.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <istream>
#include <limits>
#include <streambuf>
#include <string_view>
#include <thread>
#include <vector>

namespace gouraud::detail {

namespace {

// Below this size the file is read in one part: threads would cost more than they save.
constexpr std::size_t kMenorParaDividir = std::size_t{1} << 20;
constexpr unsigned kMaisPartes = 8;
constexpr std::size_t kCoordenadas = 3;
constexpr int kVerticesPorTriangulo = 3;

// The numbers on a line of each statement the plain kind allows.
constexpr int kNumerosV = 3;
constexpr int kNumerosVn = 3;
constexpr int kMenosNumerosVt = 2;
constexpr int kMaisNumerosVt = 3;
constexpr int kReferenciasF = 3;
// Longer words are cut by the import library's OBJ reader; the fast reading leaves them to it.
constexpr std::ptrdiff_t kMaiorPalavra = 64;

// What a byte may be on the lines the plain kind allows.
enum Classe : unsigned char { kOutro = 0, kEspaco = 1, kNumero = 2, kReferencia = 4 };

constexpr std::array<unsigned char, 256> kClasses = [] {
    std::array<unsigned char, 256> classes{};
    classes[' '] = classes['\t'] = kEspaco;
    for (char c = '0'; c <= '9'; ++c) {
        classes[static_cast<unsigned char>(c)] = kNumero | kReferencia;
    }
    for (const char c : {'+', '.', 'e', 'E'}) {
        classes[static_cast<unsigned char>(c)] = kNumero;
    }
    classes['-'] = kNumero | kReferencia;
    classes['/'] = kReferencia;
    return classes;
}();

unsigned char classe(char c) { return kClasses[static_cast<unsigned char>(c)]; }
bool ehEspaco(char c) { return classe(c) == kEspaco; }

// The statements that give faces a material.
constexpr std::string_view kUsaMaterial = "usemtl";
constexpr std::string_view kBibliotecaMateriais = "mtllib";

// Whether the line from c to fim starts with the statement `palavra`, followed by white space
// or its end.
bool comecaCom(const char* c, const char* fim, std::string_view palavra) {
    const auto resto = static_cast<std::size_t>(fim - c);
    return resto >= palavra.size() && std::string_view(c, palavra.size()) == palavra &&
           (resto == palavra.size() || ehEspaco(c[palavra.size()]));
}

// A run of lines of faces (blank lines and comments among them), and the number of vertex
// lines of its part before it.
struct Trecho {
    const char* inicio;
    const char* fim;
    std::size_t verticesAntes;
};

// What the scan of a part of the file found.
struct Varredura {
    bool simples = true;
    bool temFace = false;
    bool temOutra = false;
    bool outraAposFace = false;
    // x, y and z of every vertex, converted as the import library converts them.
    std::vector<float> coordenadas;
    // Where the faces are, for the library to read them and nothing else; and how many lines of
    // faces there are.
    std::vector<Trecho> trechos;
    std::size_t quantFaces = 0;
};

// What the import library's number conversion throws on a word that is no number.
struct NumeroInvalido {
    template <typename... Partes>
    explicit NumeroInvalido(Partes&&...) {}
};

// Converts the first three words of a vertex line (after its "v") with the very routine the
// import library's OBJ reader applies to each word, so that the fast reading gives the
// library's single precision values; false when a word is too long for that reader's word
// buffer or is not a number.
bool converterVertice(const char* c, const char* fim, std::vector<float>& coordenadas) {
    for (std::size_t k = 0; k < kCoordenadas; ++k) {
        while (c != fim && ehEspaco(*c)) {
            ++c;
        }
        const char* inicio = c;
        while (c != fim && !ehEspaco(*c)) {
            ++c;
        }
        if (c - inicio > kMaiorPalavra) {
            return false;
        }
        // The word on its own, as the library's reader copies it: the routine's messages quote
        // the text up to its end, which must not be the rest of the file.
        char palavra[kMaiorPalavra + 1];
        std::memcpy(palavra, inicio, static_cast<std::size_t>(c - inicio));
        palavra[c - inicio] = '\0';
        float valor = 0.0f;
        try {
            Assimp::fast_atoreal_move<float, NumeroInvalido>(palavra, valor);
        } catch (const NumeroInvalido&) {
            return false;
        }
        coordenadas.push_back(valor);
    }
    return true;
}

// Counts the words of [inicio, fim), each made only of bytes of the class `permitida`; -1 when
// a byte is of neither that class nor white space.
int contarPalavras(const char* inicio, const char* fim, unsigned char permitida) {
    int quant = 0;
    bool dentro = false;
    for (const char* c = inicio; c != fim; ++c) {
        const unsigned char k = classe(*c);
        if (k == kEspaco) {
            dentro = false;
        } else if ((k & permitida) != 0) {
            quant += dentro ? 0 : 1;
            dentro = true;
        } else {
            return -1;
        }
    }
    return quant;
}

// Checks that every line of [inicio, fim) belongs to the plain kind.
Varredura varrer(const char* inicio, const char* fim) {
    Varredura v;
    const char* linha = inicio;
    while (linha < fim && v.simples) {
        const char* quebra = static_cast<const char*>(std::memchr(linha, '\n', fim - linha));
        const char* fimLinha = quebra != nullptr ? quebra : fim;
        const char* proxima = quebra != nullptr ? quebra + 1 : fim;
        if (fimLinha != linha && fimLinha[-1] == '\r') {
            --fimLinha;
        }
        const char* c = linha;
        while (c != fimLinha && ehEspaco(*c)) {
            ++c;
        }
        const char* inicioLinha = linha;
        linha = proxima;
        if (c == fimLinha || c[0] == '#') {
            // Blank lines and comments go with the run of faces they stand in, if any.
            if (!v.trechos.empty() && v.trechos.back().fim == inicioLinha) {
                v.trechos.back().fim = proxima;
            }
            continue;
        }
        // A statement of one letter, or of two, followed by white space.
        const std::ptrdiff_t resto = fimLinha - c;
        const bool palavra1 = resto > 1 && ehEspaco(c[1]);
        const bool palavra2 = resto > 2 && ehEspaco(c[2]);
        if (c[0] == 'v' && palavra1) {
            // A vertex with a colour, as materials below, makes a coloured file: the import
            // library's to read.
            const int n = contarPalavras(c + 1, fimLinha, kNumero);
            v.simples = n == kNumerosV && converterVertice(c + 1, fimLinha, v.coordenadas);
        } else if (c[0] == 'v' && resto > 2 && c[1] == 'n' && palavra2) {
            v.simples = contarPalavras(c + 2, fimLinha, kNumero) == kNumerosVn;
        } else if (c[0] == 'v' && resto > 2 && c[1] == 't' && palavra2) {
            const int n = contarPalavras(c + 2, fimLinha, kNumero);
            v.simples = n >= kMenosNumerosVt && n <= kMaisNumerosVt;
        } else if (c[0] == 'f' && palavra1) {
            // A face of one or two corners is a point or a line: the import library's to read.
            const int n = contarPalavras(c + 1, fimLinha, kReferencia);
            v.simples = n == kReferenciasF;
            v.temFace = true;
            ++v.quantFaces;
            if (!v.trechos.empty() && v.trechos.back().fim == inicioLinha) {
                v.trechos.back().fim = proxima;
            } else {
                v.trechos.push_back(
                    Trecho{inicioLinha, proxima, v.coordenadas.size() / kCoordenadas});
            }
        } else if ((c[0] == 'l' || c[0] == 'p') && palavra1) {
            // Lines and points are the import library's to read.
            v.simples = false;
        } else {
            // A statement the fast reading ignores, named by a letter. A carriage return inside
            // it would be a line break for one reader and not for the other.
            const bool letra = (c[0] >= 'a' && c[0] <= 'z') || (c[0] >= 'A' && c[0] <= 'Z');
            v.simples = letra && std::memchr(c, '\r', resto) == nullptr &&
                        !comecaCom(c, fimLinha, kUsaMaterial) &&
                        !comecaCom(c, fimLinha, kBibliotecaMateriais);
            v.temOutra = true;
            v.outraAposFace = v.outraAposFace || v.temFace;
        }
    }
    return v;
}

// A stream of the runs of faces of a part, one after another where they lie in memory, so that
// the library reads the faces and nothing else. It moves to the next run only when the library
// asks for a byte past the end of one, so while the library reports a face the run it is in is
// the current one.
class Trechos : public std::streambuf {
public:
    explicit Trechos(const std::vector<Trecho>& trechos) : trechos(trechos) {
        if (!trechos.empty()) {
            mostrar(0);
        }
    }
    // The run the library is reading.
    const Trecho& getAtual() const { return trechos[atual]; }

protected:
    int_type underflow() override {
        while (gptr() == egptr()) {
            if (atual + 1 >= trechos.size()) {
                return traits_type::eof();
            }
            mostrar(atual + 1);
        }
        return traits_type::to_int_type(*gptr());
    }

private:
    void mostrar(std::size_t trecho) {
        atual = trecho;
        char* i = const_cast<char*>(trechos[trecho].inicio);
        setg(i, i, i + (trechos[trecho].fim - trechos[trecho].inicio));
    }

    const std::vector<Trecho>& trechos;
    std::size_t atual = 0;
};

// One part of the file: its scan and its triangles' vertex numbers.
struct Parte {
    const char* inicio = nullptr;
    const char* fim = nullptr;
    Varredura varredura;
    // The runs of faces as the library reads them.
    const Trechos* trechos = nullptr;
    // Faces the library met.
    std::size_t quantFaces = 0;
    // Zero-based vertex numbers, three per triangle; those in `relativos` count from the
    // part's first vertex, the rest from the file's.
    std::vector<std::int64_t> indices;
    std::vector<std::size_t> relativos;
    bool poligono = false;
    bool indiceNulo = false;
    bool falhou = false;
};

void aoLerFace(void* dados, tinyobj::index_t* indices, int quant) {
    auto& parte = *static_cast<Parte*>(dados);
    ++parte.quantFaces;
    if (quant != kVerticesPorTriangulo) {
        parte.poligono = true;
        return;
    }
    // The vertices before this face in its part: those before its run, as lines of faces hold
    // none.
    const auto lidos = static_cast<std::int64_t>(parte.trechos->getAtual().verticesAntes);
    for (int k = 0; k < quant; ++k) {
        const std::int64_t bruto = indices[k].vertex_index;
        if (bruto > 0) {
            parte.indices.push_back(bruto - 1);
        } else if (bruto < 0) {
            // Relative to the vertices read so far: -1 is the last of them.
            parte.relativos.push_back(parte.indices.size());
            parte.indices.push_back(lidos + bruto);
        } else {
            parte.indiceNulo = true;
            parte.indices.push_back(0);
        }
    }
}

void lerParte(Parte& parte) {
    try {
        parte.varredura = varrer(parte.inicio, parte.fim);
        if (!parte.varredura.simples) {
            return;
        }
        if (parte.varredura.trechos.empty()) {
            return;
        }
        // The vertices are the scan's: the library reads the faces alone.
        Trechos trechos(parte.varredura.trechos);
        parte.trechos = &trechos;
        std::istream entrada(&trechos);
        tinyobj::callback_t chamadas;
        chamadas.index_cb = aoLerFace;
        std::string avisos;
        std::string erros;
        parte.falhou =
            !tinyobj::LoadObjWithCallback(entrada, chamadas, &parte, nullptr, &avisos, &erros);
        parte.trechos = nullptr;
    } catch (const std::exception&) {
        parte.falhou = true;
    }
}

// The file cut into parts at line breaks, one per core when it is large.
std::vector<Parte> dividir(const char* dados, std::size_t tamanho) {
    const unsigned nucleos = std::max(1U, std::thread::hardware_concurrency());
    const std::size_t quant =
        tamanho < kMenorParaDividir ? 1 : std::min<std::size_t>(nucleos, kMaisPartes);
    std::vector<Parte> partes;
    const char* fim = dados + tamanho;
    const char* inicio = dados;
    for (std::size_t i = 1; i <= quant && inicio < fim; ++i) {
        const char* corte = i == quant ? fim : dados + tamanho / quant * i;
        corte = std::max(corte, inicio);
        const char* quebra = static_cast<const char*>(std::memchr(corte, '\n', fim - corte));
        corte = quebra != nullptr ? quebra + 1 : fim;
        Parte parte;
        parte.inicio = inicio;
        parte.fim = corte;
        partes.push_back(std::move(parte));
        inicio = corte;
    }
    return partes;
}

}  // namespace

Leitura LeitorObj::ler(const char* dados, std::size_t tamanho, FusaoPontos& fusao,
                       std::string& erro) {
    if (std::memchr(dados, '\0', tamanho) != nullptr) {
        return Leitura::outroLeitor;
    }
    std::vector<Parte> partes = dividir(dados, tamanho);
    {
        std::vector<std::jthread> ajudantes;
        for (std::size_t i = 1; i < partes.size(); ++i) {
            ajudantes.emplace_back(lerParte, std::ref(partes[i]));
        }
        if (!partes.empty()) {
            lerParte(partes[0]);
        }
    }

    // Other statements only before the first face of the whole file.
    bool faceAntes = false;
    std::size_t quantVertices = 0;
    std::size_t quantIndices = 0;
    for (const Parte& parte : partes) {
        const Varredura& v = parte.varredura;
        if (!v.simples || v.outraAposFace || (v.temOutra && faceAntes) || parte.falhou ||
            parte.poligono || parte.indiceNulo) {
            return Leitura::outroLeitor;
        }
        faceAntes = faceAntes || v.temFace;
        // The library and the scan must have met the same faces.
        if (parte.quantFaces != v.quantFaces) {
            return Leitura::outroLeitor;
        }
        quantVertices += v.coordenadas.size() / kCoordenadas;
        quantIndices += parte.indices.size();
    }
    if (quantVertices > std::numeric_limits<std::uint32_t>::max()) {
        return Leitura::outroLeitor;
    }

    // The vertices of all parts, and the corners as numbers among them.
    std::vector<float> vertices;
    vertices.reserve(quantVertices * kCoordenadas);
    std::vector<std::uint32_t> indices;
    indices.reserve(quantIndices);
    const auto limite = static_cast<std::int64_t>(quantVertices);
    for (const Parte& parte : partes) {
        const auto antes = static_cast<std::int64_t>(vertices.size() / kCoordenadas);
        vertices.insert(vertices.end(), parte.varredura.coordenadas.begin(),
                        parte.varredura.coordenadas.end());
        std::size_t proximoRelativo = 0;
        for (std::size_t i = 0; i < parte.indices.size(); ++i) {
            std::int64_t v = parte.indices[i];
            if (proximoRelativo < parte.relativos.size() && parte.relativos[proximoRelativo] == i) {
                v += antes;
                ++proximoRelativo;
            }
            // An index that names no vertex is the import library's to refuse.
            if (v < 0 || v >= limite) {
                return Leitura::outroLeitor;
            }
            indices.push_back(static_cast<std::uint32_t>(v));
        }
    }
    partes.clear();

    const std::size_t quantTriangulos = indices.size() / kVerticesPorTriangulo;
    // A file of vertices without faces is a point cloud, the import library's to read; one with
    // no vertices either holds nothing (and has no array to point into).
    if (quantTriangulos == 0) {
        return quantVertices > 0 ? Leitura::outroLeitor : Leitura::lida;
    }
    fusao.reservar(quantVertices, quantTriangulos);
    fusao.novaFonte(quantVertices);
    const auto* coordenadas = reinterpret_cast<const unsigned char*>(vertices.data());
    if (!fusao.triangulosIndexados(reinterpret_cast<const unsigned char*>(indices.data()),
                                   kVerticesPorTriangulo * sizeof(indices[0]), quantTriangulos,
                                   coordenadas, coordenadas + sizeof(float),
                                   coordenadas + 2 * sizeof(float), kCoordenadas * sizeof(float))) {
        erro = fusao.getProblema();
        return Leitura::recusada;
    }
    return Leitura::lida;
}

}  // namespace gouraud::detail
