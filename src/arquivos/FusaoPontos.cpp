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
#include <limits>
#include <new>

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
// How many triangles ahead the table is fetched.
constexpr std::size_t kAntecipados = 8;
constexpr std::size_t kCantosAntecipados = kAntecipados * kCantosPorTriangulo;

// The bits of a coordinate, with -0 and 0 the same.
std::uint32_t chave(float valor) { return std::bit_cast<std::uint32_t>(valor + 0.0f); }

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

FusaoPontos::FusaoPontos() { refazerTabela(kMenorTabela); }

void FusaoPontos::reservar(std::size_t pontosPrevistos, std::size_t triangulosPrevistos) {
    pontos.reserve(std::min(pontosPrevistos, kMaisPontos));
    triangulos.reserve(triangulosPrevistos);
    std::size_t tamanho = tamanhoTabela;
    while (tamanho < kFolga * pontosPrevistos && tamanho < kMaiorTabelaReservada) {
        tamanho *= 2;
    }
    if (tamanho != tamanhoTabela) {
        refazerTabela(tamanho);
    }
}

void FusaoPontos::novaFonte(std::size_t quantVertices) { mapa.assign(quantVertices, kSemPonto); }

int FusaoPontos::pontoDoVertice(std::size_t vertice) const { return mapa[vertice]; }

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

int FusaoPontos::ponto(float x, float y, float z) { return ponto(x, y, z, espalhamento(x, y, z)); }

int FusaoPontos::ponto(float x, float y, float z, std::uint64_t hash) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
        if (problema.empty()) {
            problema = "point " + std::to_string(pontos.size()) + " (a corner of triangle " +
                       std::to_string(triangulos.size()) + ") is not finite: " + texto(x, y, z);
        }
        return kSemPonto;
    }
    const std::uint32_t cx = chave(x);
    const std::uint32_t cy = chave(y);
    const std::uint32_t cz = chave(z);
    std::size_t posicao = hash & mascara;
    for (;;) {
        const Vaga& vaga = tabela[posicao];
        if (vaga.numero == kVaga) {
            break;
        }
        if (vaga.x == cx && vaga.y == cy && vaga.z == cz) {
            return static_cast<int>(vaga.numero - 1);
        }
        posicao = (posicao + 1) & mascara;
    }
    if (pontos.size() >= kMaisPontos) {
        if (problema.empty()) {
            problema = "the mesh has more than " + std::to_string(kMaisPontos) + " points";
        }
        return kSemPonto;
    }
    const std::size_t novo = pontos.size();
    pontos.emplace_back(x, y, z);
    tabela[posicao] = Vaga{cx, cy, cz, static_cast<std::uint32_t>(novo + 1)};
    if (kFolga * pontos.size() > tamanhoTabela) {
        refazerTabela(tamanhoTabela * 2);
    }
    return static_cast<int>(novo);
}

void FusaoPontos::antecipar(std::uint64_t hash) const {
    __builtin_prefetch(&tabela[hash & mascara]);
}

void FusaoPontos::refazerTabela(std::size_t tamanho) {
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
    std::unique_ptr<Vaga[], Libera> antiga(memoria);
    antiga.swap(tabela);
    const std::size_t tamanhoAntigo = tamanhoTabela;
    tamanhoTabela = tamanho;
    mascara = tamanho - 1;
    // Every point again, from the old table: its slot holds all a new one needs.
    for (std::size_t i = 0; i < tamanhoAntigo; ++i) {
        const Vaga& vaga = antiga[i];
        if (vaga.numero == kVaga) {
            continue;
        }
        const std::uint64_t hash =
            espalhamento(std::bit_cast<float>(vaga.x), std::bit_cast<float>(vaga.y),
                         std::bit_cast<float>(vaga.z));
        std::size_t posicao = hash & mascara;
        while (tabela[posicao].numero != kVaga) {
            posicao = (posicao + 1) & mascara;
        }
        tabela[posicao] = vaga;
    }
}

void FusaoPontos::triangulo(int a, int b, int c) { triangulos.emplace_back(a, b, c); }

bool FusaoPontos::triangulosIndexados(const unsigned char* indices, std::size_t passoTriangulo,
                                      std::size_t quantTriangulos, const unsigned char* x,
                                      const unsigned char* y, const unsigned char* z,
                                      std::size_t passo) {
    const auto vertice = [indices, passoTriangulo](std::size_t canto) {
        std::uint32_t valor = 0;
        std::memcpy(&valor,
                    indices + canto / kCantosPorTriangulo * passoTriangulo +
                        canto % kCantosPorTriangulo * sizeof(valor),
                    sizeof(valor));
        return static_cast<std::size_t>(valor);
    };
    const auto real = [passo](const unsigned char* base, std::size_t v) {
        float valor = 0.0f;
        std::memcpy(&valor, base + v * passo, sizeof(valor));
        return valor;
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

const std::string& FusaoPontos::getProblema() const { return problema; }
std::vector<Ponto>& FusaoPontos::getPontos() { return pontos; }
std::vector<Triangulo>& FusaoPontos::getTriangulos() { return triangulos; }

}  // namespace gouraud::detail
