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
#include <streambuf>
#include <thread>
#include <vector>

namespace {

// Below this size the file is read in one part: threads would cost more than they save.
constexpr std::size_t kMenorParaDividir = std::size_t{1} << 20;
constexpr unsigned kMaisPartes = 8;
constexpr std::size_t kCoordenadas = 3;
constexpr int kVerticesPorTriangulo = 3;
// How many triangles ahead the merge is asked to fetch its table.
constexpr std::size_t kTriangulosAntecipados = 8;

// The numbers on a line of each statement the plain kind allows.
constexpr int kNumerosV = 3;
constexpr int kNumerosVComCor = 6;
constexpr int kNumerosVn = 3;
constexpr int kMenosNumerosVt = 2;
constexpr int kMaisNumerosVt = 3;
constexpr int kMaisReferenciasF = 3;
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

// What the scan of a part of the file found.
struct Varredura {
    bool simples = true;
    bool temFace = false;
    bool temOutra = false;
    bool outraAposFace = false;
    // x, y and z of every vertex, converted as the import library converts them.
    std::vector<float> coordenadas;
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
        linha = proxima;
        if (c == fimLinha) {
            continue;
        }
        // A statement of one letter, or of two, followed by white space.
        const std::ptrdiff_t resto = fimLinha - c;
        const bool palavra1 = resto > 1 && ehEspaco(c[1]);
        const bool palavra2 = resto > 2 && ehEspaco(c[2]);
        if (c[0] == 'v' && palavra1) {
            const int n = contarPalavras(c + 1, fimLinha, kNumero);
            v.simples = (n == kNumerosV || n == kNumerosVComCor) &&
                        converterVertice(c + 1, fimLinha, v.coordenadas);
        } else if (c[0] == 'v' && resto > 2 && c[1] == 'n' && palavra2) {
            v.simples = contarPalavras(c + 2, fimLinha, kNumero) == kNumerosVn;
        } else if (c[0] == 'v' && resto > 2 && c[1] == 't' && palavra2) {
            const int n = contarPalavras(c + 2, fimLinha, kNumero);
            v.simples = n >= kMenosNumerosVt && n <= kMaisNumerosVt;
        } else if (c[0] == 'f' && palavra1) {
            const int n = contarPalavras(c + 1, fimLinha, kReferencia);
            v.simples = n >= 1 && n <= kMaisReferenciasF;
            v.temFace = true;
        } else {
            // A comment, or a statement the fast reading ignores, named by a letter. A carriage
            // return inside it would be a line break for one reader and not for the other.
            const bool letra = (c[0] >= 'a' && c[0] <= 'z') || (c[0] >= 'A' && c[0] <= 'Z');
            v.simples = (c[0] == '#' || letra) && std::memchr(c, '\r', resto) == nullptr;
            if (c[0] != '#') {
                v.temOutra = true;
                v.outraAposFace = v.outraAposFace || v.temFace;
            }
        }
    }
    return v;
}

// A streambuf over bytes in memory, so that the library reads the part where it lies.
class Memoria : public std::streambuf {
public:
    Memoria(const char* inicio, const char* fim) {
        char* i = const_cast<char*>(inicio);
        setg(i, i, i + (fim - inicio));
    }
};

// One part of the file: its scan, its vertices and its triangles' vertex numbers.
struct Parte {
    const char* inicio = nullptr;
    const char* fim = nullptr;
    Varredura varredura;
    // Vertices the library met; their coordinates are the scan's.
    std::size_t quantVertices = 0;
    // Zero-based vertex numbers, three per triangle; those in `relativos` count from the
    // part's first vertex, the rest from the file's.
    std::vector<std::int64_t> indices;
    std::vector<std::size_t> relativos;
    bool poligono = false;
    bool indiceNulo = false;
    bool falhou = false;
};

void aoLerVertice(void* dados, tinyobj::real_t, tinyobj::real_t, tinyobj::real_t, tinyobj::real_t) {
    ++static_cast<Parte*>(dados)->quantVertices;
}

void aoLerFace(void* dados, tinyobj::index_t* indices, int quant) {
    auto& parte = *static_cast<Parte*>(dados);
    if (quant > kVerticesPorTriangulo) {
        parte.poligono = true;
        return;
    }
    if (quant < kVerticesPorTriangulo) {
        return;  // a point or a line
    }
    const auto lidos = static_cast<std::int64_t>(parte.quantVertices);
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
        Memoria memoria(parte.inicio, parte.fim);
        std::istream entrada(&memoria);
        tinyobj::callback_t chamadas;
        chamadas.vertex_cb = aoLerVertice;
        chamadas.index_cb = aoLerFace;
        std::string avisos;
        std::string erros;
        parte.falhou =
            !tinyobj::LoadObjWithCallback(entrada, chamadas, &parte, nullptr, &avisos, &erros);
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
        // The library and the scan must have met the same vertex lines.
        if (v.coordenadas.size() != parte.quantVertices * kCoordenadas) {
            return Leitura::outroLeitor;
        }
        quantVertices += parte.quantVertices;
        quantIndices += parte.indices.size();
    }

    std::vector<float> vertices;
    vertices.reserve(quantVertices * kCoordenadas);
    std::vector<std::int64_t> indices;
    indices.reserve(quantIndices);
    for (const Parte& parte : partes) {
        const auto antes = static_cast<std::int64_t>(vertices.size() / kCoordenadas);
        const std::size_t primeiro = indices.size();
        vertices.insert(vertices.end(), parte.varredura.coordenadas.begin(),
                        parte.varredura.coordenadas.end());
        indices.insert(indices.end(), parte.indices.begin(), parte.indices.end());
        for (const std::size_t relativo : parte.relativos) {
            indices[primeiro + relativo] += antes;
        }
    }
    partes.clear();

    const auto limite = static_cast<std::int64_t>(quantVertices);
    if (std::any_of(indices.begin(), indices.end(),
                    [limite](std::int64_t v) { return v < 0 || v >= limite; })) {
        return Leitura::outroLeitor;
    }
    fusao.reservar(quantVertices, indices.size() / kVerticesPorTriangulo);
    fusao.novaFonte(quantVertices);
    const std::size_t antecipados = kTriangulosAntecipados * kVerticesPorTriangulo;
    for (std::size_t t = 0; t < indices.size(); t += kVerticesPorTriangulo) {
        // Asks the merge ahead of time for the vertices of a later triangle that have no point.
        for (std::size_t k = t + antecipados;
             k < t + antecipados + kVerticesPorTriangulo && k < indices.size(); ++k) {
            const auto vertice = static_cast<std::size_t>(indices[k]);
            if (fusao.pontoDoVertice(vertice) < 0) {
                const float* p = &vertices[vertice * kCoordenadas];
                fusao.antecipar(p[0], p[1], p[2]);
            }
        }
        int pontos[kVerticesPorTriangulo];
        for (int k = 0; k < kVerticesPorTriangulo; ++k) {
            const auto vertice = static_cast<std::size_t>(indices[t + static_cast<std::size_t>(k)]);
            int ponto = fusao.pontoDoVertice(vertice);
            if (ponto < 0) {
                const float* p = &vertices[vertice * kCoordenadas];
                ponto = fusao.darPonto(vertice, p[0], p[1], p[2]);
                if (ponto < 0) {
                    erro = fusao.getProblema();
                    return Leitura::recusada;
                }
            }
            pontos[k] = ponto;
        }
        fusao.triangulo(pontos[0], pontos[1], pontos[2]);
    }
    return Leitura::lida;
}
