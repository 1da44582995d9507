#include "FusaoPontos.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

namespace gouraud::detail {

namespace {

constexpr std::int32_t kSemPonto = -1;
constexpr std::uint32_t kVaga = 0;
constexpr std::size_t kMenorTabela = 64;
// The table is kept at most half full.
constexpr std::size_t kFolga = 2;
// A reservation makes the table no larger than this; it grows past it as points arrive.
constexpr std::size_t kMaiorTabelaReservada = std::size_t{1} << 24;
constexpr std::size_t kMaisPontos = static_cast<std::size_t>(std::numeric_limits<int>::max());
// Odd multipliers that spread the coordinates' bits, and a 64-bit finaliser.
constexpr std::uint64_t kMisturaX = 0x9E3779B97F4A7C15ULL;
constexpr std::uint64_t kMisturaY = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kMisturaZ = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kFinal1 = 0xFF51AFD7ED558CCDULL;
constexpr std::uint64_t kFinal2 = 0xC4CEB9FE1A85EC53ULL;
constexpr int kDeslocamentoFinal = 33;
constexpr std::size_t kPaginaGrande = std::size_t{2} << 20;
constexpr std::size_t kCantosPorTriangulo = 3;
// How many triangles ahead the table is fetched, and how many further ahead the vertices' records
// and their entries of the vertex map, which that fetch reads to find where to fetch.
constexpr std::size_t kAntecipados = 8;
constexpr std::size_t kCantosAntecipados = kAntecipados * kCantosPorTriangulo;
constexpr std::size_t kRegistrosAntecipados = 2 * kAntecipados;

// The merge on two threads: the hash bit that says which thread takes a position; the marks it
// leaves in the map of n vertices: kNaoFinito for a position not finite, -2 - w for a vertex
// whose position vertex w has first, and -2 - n - p for such a first vertex w that no face
// has named yet while point p is already at its position; and the most vertices those marks
// can tell apart.
constexpr int kBitParte = 63;
constexpr std::int32_t kNaoFinito = std::numeric_limits<std::int32_t>::min();
constexpr std::size_t kMaisVerticesParalelo =
    static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) / 2 - 1;

// The bits of a coordinate, with -0 and 0 the same.
std::uint32_t chave(float valor) { return std::bit_cast<std::uint32_t>(valor + 0.0f); }

std::int32_t marcaDoPrimeiro(std::size_t primeiro) {
    return -2 - static_cast<std::int32_t>(primeiro);
}
std::size_t primeiroDaMarca(std::int32_t marca) { return static_cast<std::size_t>(-2 - marca); }
std::int32_t marcaDoPonto(std::int32_t ponto, std::size_t vertices) {
    return -2 - static_cast<std::int32_t>(vertices) - ponto;
}
// The point of a mark of that kind, or -1 for a mark of another.
std::int32_t pontoDaMarca(std::int32_t marca, std::size_t vertices) {
    const std::int64_t ponto = -2 - static_cast<std::int64_t>(vertices) - std::int64_t{marca};
    return marca != kNaoFinito && ponto >= 0 ? static_cast<std::int32_t>(ponto) : -1;
}

// The vertex number of corner `canto` of indexed triangles (see triangulosIndexados).
std::size_t verticeDoCanto(const unsigned char* indices, std::size_t passoTriangulo,
                           std::size_t canto) {
    std::uint32_t valor = 0;
    std::memcpy(&valor,
                indices + canto / kCantosPorTriangulo * passoTriangulo +
                    canto % kCantosPorTriangulo * sizeof(valor),
                sizeof(valor));
    return static_cast<std::size_t>(valor);
}

// The float at base + v passo.
float coordenada(const unsigned char* base, std::size_t v, std::size_t passo) {
    float valor = 0.0f;
    std::memcpy(&valor, base + v * passo, sizeof(valor));
    return valor;
}

}  // namespace

std::string FusaoPontos::texto(float x, float y, float z) {
    std::string resultado;
    for (const float valor : {x, y, z}) {
        char numero[32];
        char* fim = std::to_chars(numero, numero + sizeof(numero), valor).ptr;
        if (!resultado.empty()) {
            resultado += ' ';
        }
        resultado.append(numero, static_cast<std::size_t>(fim - numero));
    }
    return resultado;
}

void FusaoPontos::Libera::operator()(Vaga* p) const { std::free(p); }

FusaoPontos::Tabela::Tabela(std::size_t tamanho) : mascara(tamanho - 1) {
    // Probes land anywhere in the table: large pages spare the address translations a miss each.
    const std::size_t bytes = tamanho * sizeof(Vaga);
    const std::size_t alinhamento =
        bytes >= kPaginaGrande ? kPaginaGrande : alignof(std::max_align_t);
    auto* memoria = static_cast<Vaga*>(std::aligned_alloc(alinhamento, bytes));
    if (memoria == nullptr) {
        throw std::bad_alloc();
    }
    if (bytes >= kPaginaGrande) {
        ::madvise(memoria, bytes, MADV_HUGEPAGE);
    }
    std::fill(memoria, memoria + tamanho, Vaga{0, 0, 0, kVaga});
    vagas.reset(memoria);
}

std::size_t FusaoPontos::Tabela::tamanho() const { return vagas != nullptr ? mascara + 1 : 0; }

FusaoPontos::Vaga& FusaoPontos::Tabela::vaga(std::uint32_t cx, std::uint32_t cy, std::uint32_t cz,
                                             std::uint64_t hash) {
    std::size_t posicao = hash & mascara;
    for (;;) {
        Vaga& atual = vagas[posicao];
        if (atual.numero == kVaga || (atual.x == cx && atual.y == cy && atual.z == cz)) {
            return atual;
        }
        posicao = (posicao + 1) & mascara;
    }
}

void FusaoPontos::Tabela::ocupar() {
    ++ocupadas;
    if (kFolga * ocupadas > tamanho()) {
        refazer(tamanho() * 2);
    }
}

void FusaoPontos::Tabela::refazer(std::size_t novoTamanho) {
    Tabela nova(novoTamanho);
    // Every position again, from the old table: its slot holds all a new one needs.
    for (std::size_t i = 0; i < tamanho(); ++i) {
        const Vaga& vaga = vagas[i];
        if (vaga.numero == kVaga) {
            continue;
        }
        const std::uint64_t hash =
            espalhamento(std::bit_cast<float>(vaga.x), std::bit_cast<float>(vaga.y),
                         std::bit_cast<float>(vaga.z));
        std::size_t posicao = hash & nova.mascara;
        while (nova.vagas[posicao].numero != kVaga) {
            posicao = (posicao + 1) & nova.mascara;
        }
        nova.vagas[posicao] = vaga;
    }
    nova.ocupadas = ocupadas;
    *this = std::move(nova);
}

FusaoPontos::FusaoPontos()
    : tamanhoPedido(kMenorTabela), threads(std::thread::hardware_concurrency() >= 2 ? 2 : 1) {}

void FusaoPontos::reservar(std::size_t pontosPrevistos, std::size_t triangulosPrevistos) {
    pontos.reserve(std::min(pontosPrevistos, kMaisPontos));
    triangulos.reserve(triangulosPrevistos);
    while (tamanhoPedido < kFolga * pontosPrevistos && tamanhoPedido < kMaiorTabelaReservada) {
        tamanhoPedido *= 2;
    }
    if (tabela.vagas != nullptr && tamanhoPedido > tabela.tamanho()) {
        tabela.refazer(tamanhoPedido);
    }
}

void FusaoPontos::garantirTabela() {
    if (tabela.vagas != nullptr) {
        return;
    }
    std::size_t tamanho = tamanhoPedido;
    while (tamanho < kFolga * (pontos.size() + 1)) {
        tamanho *= 2;
    }
    tabela = Tabela(tamanho);
    // The points so far are distinct: each goes into the empty slot its probe finds.
    for (std::size_t i = 0; i < pontos.size(); ++i) {
        const auto x = static_cast<float>(pontos[i].x);
        const auto y = static_cast<float>(pontos[i].y);
        const auto z = static_cast<float>(pontos[i].z);
        const std::uint32_t cx = chave(x);
        const std::uint32_t cy = chave(y);
        const std::uint32_t cz = chave(z);
        tabela.vaga(cx, cy, cz, espalhamento(x, y, z)) =
            Vaga{cx, cy, cz, static_cast<std::uint32_t>(i + 1)};
        ++tabela.ocupadas;
    }
}

void FusaoPontos::novaFonte(std::size_t quantVertices) { mapa.assign(quantVertices, kSemPonto); }

int FusaoPontos::pontoDoVertice(std::size_t vertice) const {
    return mapa[vertice] >= 0 ? mapa[vertice] : kSemPonto;
}

void FusaoPontos::usarThreads(int quantas) { threads = std::max(1, quantas); }

int FusaoPontos::darPonto(std::size_t vertice, float x, float y, float z) {
    const int indice = ponto(x, y, z);
    mapa[vertice] = indice;
    return indice;
}

std::uint64_t FusaoPontos::espalhamento(float x, float y, float z) {
    std::uint64_t h = std::uint64_t{chave(x)} * kMisturaX ^ std::uint64_t{chave(y)} * kMisturaY ^
                      std::uint64_t{chave(z)} * kMisturaZ;
    h ^= h >> kDeslocamentoFinal;
    h *= kFinal1;
    h ^= h >> kDeslocamentoFinal;
    h *= kFinal2;
    h ^= h >> kDeslocamentoFinal;
    return h;
}

void FusaoPontos::naoFinito(float x, float y, float z) {
    if (problema.empty()) {
        problema = "point " + std::to_string(pontos.size()) + " (a corner of triangle " +
                   std::to_string(triangulos.size()) + ") is not finite: " + texto(x, y, z);
    }
}

void FusaoPontos::demais() {
    if (problema.empty()) {
        problema = "the mesh has more than " + std::to_string(kMaisPontos) + " points";
    }
}

int FusaoPontos::ponto(float x, float y, float z) { return ponto(x, y, z, espalhamento(x, y, z)); }

int FusaoPontos::ponto(float x, float y, float z, std::uint64_t hash) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
        naoFinito(x, y, z);
        return kSemPonto;
    }
    garantirTabela();
    const std::uint32_t cx = chave(x);
    const std::uint32_t cy = chave(y);
    const std::uint32_t cz = chave(z);
    Vaga& vaga = tabela.vaga(cx, cy, cz, hash);
    if (vaga.numero != kVaga) {
        return static_cast<int>(vaga.numero - 1);
    }
    if (pontos.size() >= kMaisPontos) {
        demais();
        return kSemPonto;
    }
    const std::size_t novo = pontos.size();
    pontos.emplace_back(x, y, z);
    vaga = Vaga{cx, cy, cz, static_cast<std::uint32_t>(novo + 1)};
    tabela.ocupar();
    return static_cast<int>(novo);
}

void FusaoPontos::antecipar(std::uint64_t hash) const {
    if (tabela.vagas != nullptr) {
        __builtin_prefetch(&tabela.vagas[hash & tabela.mascara]);
    }
}

void FusaoPontos::triangulo(int a, int b, int c) { triangulos.emplace_back(a, b, c); }

bool FusaoPontos::triangulosIndexados(const unsigned char* indices, std::size_t passoTriangulo,
                                      std::size_t quantTriangulos, const unsigned char* x,
                                      const unsigned char* y, const unsigned char* z,
                                      std::size_t passo) {
    if (threads >= 2 && pontos.empty() && quantTriangulos >= kParaleloDesde &&
        mapa.size() <= kMaisVerticesParalelo) {
        return triangulosEmParalelo(indices, passoTriangulo, quantTriangulos, x, y, z, passo);
    }
    garantirTabela();
    const auto vertice = [indices, passoTriangulo](std::size_t canto) {
        return verticeDoCanto(indices, passoTriangulo, canto);
    };
    const auto real = [passo](const unsigned char* base, std::size_t v) {
        return coordenada(base, v, passo);
    };
    // The hashes of the corners of the next kAntecipados triangles that had no point when they
    // were asked for ahead, by corner number modulo the ring's size.
    std::array<std::uint64_t, kCantosAntecipados> anel{};
    for (std::size_t t = 0; t < quantTriangulos; ++t) {
        int cantos[kCantosPorTriangulo];
        for (std::size_t k = 0; k < kCantosPorTriangulo; ++k) {
            const std::size_t canto = t * kCantosPorTriangulo + k;
            const std::size_t v = vertice(canto);
            int numero = mapa[v];
            if (numero < 0) {
                const float px = real(x, v);
                const float py = real(y, v);
                const float pz = real(z, v);
                // A corner of the first triangles was never asked for ahead; a later one was,
                // since it had no point then either.
                const std::uint64_t hash =
                    t < kAntecipados ? espalhamento(px, py, pz) : anel[canto % kCantosAntecipados];
                numero = ponto(px, py, pz, hash);
                if (numero < 0) {
                    return false;
                }
                mapa[v] = numero;
            }
            cantos[k] = numero;
        }
        triangulos.emplace_back(cantos[0], cantos[1], cantos[2]);
        // The hashes asked for below read each corner's entry of the map and its coordinates,
        // anywhere in memory: they are fetched first, so that the hashing does not wait for them.
        if (t + kRegistrosAntecipados < quantTriangulos) {
            for (std::size_t k = 0; k < kCantosPorTriangulo; ++k) {
                const std::size_t v =
                    vertice((t + kRegistrosAntecipados) * kCantosPorTriangulo + k);
                __builtin_prefetch(&mapa[v]);
                __builtin_prefetch(x + v * passo);
            }
        }
        if (t + kAntecipados < quantTriangulos) {
            for (std::size_t k = 0; k < kCantosPorTriangulo; ++k) {
                const std::size_t canto = (t + kAntecipados) * kCantosPorTriangulo + k;
                const std::size_t v = vertice(canto);
                if (mapa[v] < 0) {
                    const std::uint64_t hash = espalhamento(real(x, v), real(y, v), real(z, v));
                    anel[canto % kCantosAntecipados] = hash;
                    antecipar(hash);
                }
            }
        }
    }
    return true;
}

bool FusaoPontos::triangulosEmParalelo(const unsigned char* indices, std::size_t passoTriangulo,
                                       std::size_t quantTriangulos, const unsigned char* x,
                                       const unsigned char* y, const unsigned char* z,
                                       std::size_t passo) {
    const std::size_t quantVertices = mapa.size();
    std::size_t tamanho = kMenorTabela;
    while (tamanho < kFolga * (quantVertices / 2 + 1) && tamanho < kMaiorTabelaReservada / 2) {
        tamanho *= 2;
    }
    // Step 1, on two threads: each takes the vertices whose position's hash has its top bit and
    // finds, in a table of its own, the first vertex at each position. A vertex left at -1 in
    // the map is the first at its own; another one is marked with that first vertex, and one
    // whose position is not finite with kNaoFinito. The threads write apart in the map, and
    // rarely: a mesh seldom repeats a position in its vertex list.
    const auto primeiros = [&](std::uint64_t parte) {
        Tabela propria(tamanho);
        std::array<std::uint64_t, kAntecipados> anel{};
        const auto hashDe = [&](std::size_t v) {
            return espalhamento(coordenada(x, v, passo), coordenada(y, v, passo),
                                coordenada(z, v, passo));
        };
        for (std::size_t v = 0; v < std::min(kAntecipados, quantVertices); ++v) {
            anel[v] = hashDe(v);
        }
        for (std::size_t v = 0; v < quantVertices; ++v) {
            const std::uint64_t hash = anel[v % kAntecipados];
            if (v + kAntecipados < quantVertices) {
                const std::uint64_t adiante = hashDe(v + kAntecipados);
                anel[v % kAntecipados] = adiante;
                if (adiante >> kBitParte == parte) {
                    __builtin_prefetch(&propria.vagas[adiante & propria.mascara]);
                }
            }
            if (hash >> kBitParte != parte) {
                continue;
            }
            const float px = coordenada(x, v, passo);
            const float py = coordenada(y, v, passo);
            const float pz = coordenada(z, v, passo);
            if (!std::isfinite(px) || !std::isfinite(py) || !std::isfinite(pz)) {
                mapa[v] = kNaoFinito;
                continue;
            }
            const std::uint32_t cx = chave(px);
            const std::uint32_t cy = chave(py);
            const std::uint32_t cz = chave(pz);
            Vaga& vaga = propria.vaga(cx, cy, cz, hash);
            if (vaga.numero != kVaga) {
                mapa[v] = marcaDoPrimeiro(vaga.numero - 1);
                continue;
            }
            vaga = Vaga{cx, cy, cz, static_cast<std::uint32_t>(v + 1)};
            propria.ocupar();
        }
    };
    std::exception_ptr falha;
    {
        std::thread outra;
        try {
            outra = std::thread([&] {
                try {
                    primeiros(1);
                } catch (...) {
                    falha = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            primeiros(1);  // no thread to be had: the same work, in turn
        }
        std::exception_ptr propria;
        try {
            primeiros(0);
        } catch (...) {
            propria = std::current_exception();
        }
        if (outra.joinable()) {
            outra.join();
        }
        if (propria != nullptr) {
            std::rethrow_exception(propria);
        }
    }
    if (falha != nullptr) {
        std::rethrow_exception(falha);
    }
    // Step 2, in order: each corner's vertex gets its point, the one its first vertex got or a
    // new one, exactly as the table of every point would give it.
    for (std::size_t t = 0; t < quantTriangulos; ++t) {
        if (t + kRegistrosAntecipados < quantTriangulos) {
            for (std::size_t k = 0; k < kCantosPorTriangulo; ++k) {
                const std::size_t v = verticeDoCanto(
                    indices, passoTriangulo, (t + kRegistrosAntecipados) * kCantosPorTriangulo + k);
                __builtin_prefetch(&mapa[v]);
                __builtin_prefetch(x + v * passo);
            }
        }
        int cantos[kCantosPorTriangulo];
        for (std::size_t k = 0; k < kCantosPorTriangulo; ++k) {
            const std::size_t v =
                verticeDoCanto(indices, passoTriangulo, t * kCantosPorTriangulo + k);
            int numero = mapa[v];
            if (numero < 0) {
                numero = numerarVertice(v, numero, coordenada(x, v, passo), coordenada(y, v, passo),
                                        coordenada(z, v, passo));
                if (numero < 0) {
                    return false;
                }
            }
            cantos[k] = numero;
        }
        triangulos.emplace_back(cantos[0], cantos[1], cantos[2]);
    }
    return true;
}

int FusaoPontos::numerarVertice(std::size_t v, std::int32_t marca, float x, float y, float z) {
    if (marca == kNaoFinito) {
        naoFinito(x, y, z);
        return kSemPonto;
    }
    // A first vertex whose point a face naming another vertex at its position made.
    const std::int32_t dado = pontoDaMarca(marca, mapa.size());
    if (dado >= 0) {
        mapa[v] = dado;
        return dado;
    }
    const std::size_t primeiro = marca == kSemPonto ? v : primeiroDaMarca(marca);
    if (primeiro != v) {
        const std::int32_t doPrimeiro = mapa[primeiro];
        const std::int32_t ponto =
            doPrimeiro >= 0 ? doPrimeiro : pontoDaMarca(doPrimeiro, mapa.size());
        if (ponto >= 0) {
            mapa[v] = ponto;
            return ponto;
        }
    }
    if (pontos.size() >= kMaisPontos) {
        demais();
        return kSemPonto;
    }
    const auto novo = static_cast<std::int32_t>(pontos.size());
    pontos.emplace_back(x, y, z);
    mapa[v] = novo;
    // The first vertex keeps the point for the others at its position, but no face named it:
    // it has no point of its own until one does.
    if (primeiro != v) {
        mapa[primeiro] = marcaDoPonto(novo, mapa.size());
    }
    return novo;
}

const std::string& FusaoPontos::getProblema() const { return problema; }
std::vector<Ponto>& FusaoPontos::getPontos() { return pontos; }
std::vector<Triangulo>& FusaoPontos::getTriangulos() { return triangulos; }

}  // namespace gouraud::detail
