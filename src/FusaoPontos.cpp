#include "FusaoPontos.h"

#include <sys/mman.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <new>

namespace {

constexpr std::int32_t kSemPonto = -1;
constexpr std::uint64_t kVaga = 0;
constexpr std::size_t kMenorTabela = 64;
// The table is kept at most half full.
constexpr std::size_t kFolga = 2;
// A reservation makes the table no larger than this; it grows past it as points arrive.
constexpr std::size_t kMaiorTabelaReservada = std::size_t{1} << 24;
constexpr std::size_t kMaisPontos = static_cast<std::size_t>(std::numeric_limits<int>::max());
constexpr int kMeiaPalavra = 32;
constexpr std::uint64_t kMetadeBaixa = 0xFFFFFFFFULL;
// Odd multipliers that spread the coordinates' bits, and a 64-bit finaliser.
constexpr std::uint64_t kMisturaX = 0x9E3779B97F4A7C15ULL;
constexpr std::uint64_t kMisturaY = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kMisturaZ = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kFinal1 = 0xFF51AFD7ED558CCDULL;
constexpr std::uint64_t kFinal2 = 0xC4CEB9FE1A85EC53ULL;
constexpr int kDeslocamentoFinal = 33;
constexpr std::size_t kPaginaGrande = std::size_t{2} << 20;

// The bits of a coordinate, with -0 and 0 the same.
std::uint64_t chave(float valor) { return std::bit_cast<std::uint32_t>(valor + 0.0f); }

std::uint64_t espalhar(float x, float y, float z) {
    std::uint64_t h = chave(x) * kMisturaX ^ chave(y) * kMisturaY ^ chave(z) * kMisturaZ;
    h ^= h >> kDeslocamentoFinal;
    h *= kFinal1;
    h ^= h >> kDeslocamentoFinal;
    h *= kFinal2;
    h ^= h >> kDeslocamentoFinal;
    return h;
}

std::uint64_t marca(std::uint64_t hash) { return hash >> kMeiaPalavra << kMeiaPalavra; }

// "1.5 -2 nan": the shortest text of each coordinate.
std::string texto(float x, float y, float z) {
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

}  // namespace

void FusaoPontos::Libera::operator()(std::uint64_t* p) const { std::free(p); }

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

int FusaoPontos::ponto(float x, float y, float z) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
        if (problema.empty()) {
            problema = "point " + std::to_string(pontos.size()) + " (a corner of triangle " +
                       std::to_string(triangulos.size()) + ") is not finite: " + texto(x, y, z);
        }
        return kSemPonto;
    }
    const double px = x;
    const double py = y;
    const double pz = z;
    const std::uint64_t hash = espalhar(x, y, z);
    const std::uint64_t esperada = marca(hash);
    std::size_t posicao = hash & mascara;
    for (std::uint64_t vaga = tabela[posicao]; vaga != kVaga; vaga = tabela[posicao]) {
        if (marca(vaga) == esperada) {
            const std::size_t indice = (vaga & kMetadeBaixa) - 1;
            const Ponto& p = pontos[indice];
            if (p.x == px && p.y == py && p.z == pz) {
                return static_cast<int>(indice);
            }
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
    pontos.emplace_back(px, py, pz);
    tabela[posicao] = esperada | (novo + 1);
    if (kFolga * pontos.size() > tamanhoTabela) {
        refazerTabela(tamanhoTabela * 2);
    }
    return static_cast<int>(novo);
}

void FusaoPontos::antecipar(float x, float y, float z) const {
    __builtin_prefetch(&tabela[espalhar(x, y, z) & mascara]);
}

void FusaoPontos::refazerTabela(std::size_t tamanho) {
    // Probes land anywhere in the table: large pages spare the address translations a miss each.
    const std::size_t bytes = tamanho * sizeof(std::uint64_t);
    const std::size_t alinhamento =
        bytes >= kPaginaGrande ? kPaginaGrande : alignof(std::max_align_t);
    auto* memoria = static_cast<std::uint64_t*>(std::aligned_alloc(alinhamento, bytes));
    if (memoria == nullptr) {
        throw std::bad_alloc();
    }
    tabela.reset(memoria);
    if (bytes >= kPaginaGrande) {
        ::madvise(memoria, bytes, MADV_HUGEPAGE);
    }
    std::fill(memoria, memoria + tamanho, kVaga);
    tamanhoTabela = tamanho;
    mascara = tamanho - 1;
    for (std::size_t i = 0; i < pontos.size(); ++i) {
        const Ponto& p = pontos[i];
        const std::uint64_t hash =
            espalhar(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
        std::size_t posicao = hash & mascara;
        while (tabela[posicao] != kVaga) {
            posicao = (posicao + 1) & mascara;
        }
        tabela[posicao] = marca(hash) | (i + 1);
    }
}

void FusaoPontos::triangulo(int a, int b, int c) { triangulos.emplace_back(a, b, c); }

const std::string& FusaoPontos::getProblema() const { return problema; }
std::vector<Ponto>& FusaoPontos::getPontos() { return pontos; }
std::vector<Triangulo>& FusaoPontos::getTriangulos() { return triangulos; }
