#include "LeitorStl.h"

#include <admesh/stl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace gouraud::detail {

namespace {

constexpr std::size_t kCabecalho = 80;
constexpr std::size_t kInicioTriangulos = 84;
constexpr std::uint64_t kBytesPorTriangulo = 50;
// ADMesh refuses files of fewer than 4 triangles; small files cost nothing to the library.
constexpr std::uint32_t kMenosTriangulosAdmesh = 64;
// ADMesh takes a file for binary when one of these bytes after the header is above 127.
constexpr std::size_t kBytesTesteAdmesh = 128;
constexpr unsigned char kMaiorAscii = 127;
// A facet whose attribute's top bit is set carries a colour, and a header with this word names
// one: such files are the import library's to read.
constexpr unsigned char kBitCor = 0x80;
constexpr std::string_view kPalavraCor = "COLOR=";
constexpr int kVerticesPorTriangulo = 3;
// How many triangles ahead the merge is asked to fetch its table.
constexpr std::uint32_t kFacetasAntecipadas = 8;
constexpr std::uint32_t kCantosAntecipados = kFacetasAntecipadas * kVerticesPorTriangulo;
static_assert(LeitorStl::kBytesIniciais == kCabecalho + kBytesTesteAdmesh);

bool pareceTexto(const char* inicio, std::size_t lidos) {
    const std::string_view texto(inicio, lidos);
    const std::size_t primeiro = texto.find_first_not_of(" \t\r\n\f\v");
    return primeiro != std::string_view::npos && texto.substr(primeiro, 5) == "solid";
}

std::uint32_t contagem(const char* inicio) {
    unsigned char bytes[sizeof(std::uint32_t)];
    std::memcpy(bytes, inicio + kCabecalho, sizeof(bytes));
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// ADMesh's file, closed and freed however the reading ends.
class ArquivoAdmesh {
public:
    ArquivoAdmesh() { std::memset(&stl, 0, sizeof(stl)); }
    ~ArquivoAdmesh() {
        // stl_close frees nothing after an error unless the error is cleared first.
        stl_clear_error(&stl);
        stl_close(&stl);
    }
    ArquivoAdmesh(const ArquivoAdmesh&) = delete;
    ArquivoAdmesh& operator=(const ArquivoAdmesh&) = delete;

    stl_file stl;
};

}  // namespace

std::string LeitorStl::verificar(const char* inicio, std::size_t lidos, std::uint64_t tamanho) {
    if (pareceTexto(inicio, lidos) || tamanho < kInicioTriangulos) {
        return "";
    }
    const std::uint32_t quant = contagem(inicio);
    const std::uint64_t esperado = kInicioTriangulos + kBytesPorTriangulo * quant;
    if (esperado == tamanho) {
        return "";
    }
    return "the header counts " + std::to_string(quant) + " triangles, " +
           std::to_string(esperado) + " bytes, but the file has " + std::to_string(tamanho);
}

Leitura LeitorStl::ler(const std::string& caminho, const char* inicio, std::size_t lidos,
                       std::uint64_t tamanho, FusaoPontos& fusao, std::string& erro) {
    if (lidos < kCabecalho + kBytesTesteAdmesh || pareceTexto(inicio, lidos)) {
        return Leitura::outroLeitor;
    }
    const std::uint32_t quant = contagem(inicio);
    if (quant < kMenosTriangulosAdmesh ||
        kInicioTriangulos + kBytesPorTriangulo * quant != tamanho) {
        return Leitura::outroLeitor;
    }
    bool binario = false;
    for (std::size_t i = 0; i < kBytesTesteAdmesh; ++i) {
        binario = binario || static_cast<unsigned char>(inicio[kCabecalho + i]) > kMaiorAscii;
    }
    if (!binario) {
        return Leitura::outroLeitor;
    }

    ArquivoAdmesh arquivo;
    std::string nome = caminho;
    stl_open(&arquivo.stl, nome.data());
    if (stl_get_error(&arquivo.stl) != 0 || arquivo.stl.stats.type != binary ||
        static_cast<std::int64_t>(arquivo.stl.stats.number_of_facets) != std::int64_t{quant}) {
        return Leitura::outroLeitor;
    }
    if (std::string_view(inicio, kCabecalho).find(kPalavraCor) != std::string_view::npos) {
        return Leitura::outroLeitor;
    }
    for (std::uint32_t t = 0; t < quant; ++t) {
        if ((static_cast<unsigned char>(arquivo.stl.facet_start[t].extra[1]) & kBitCor) != 0) {
            return Leitura::outroLeitor;
        }
    }
    // A closed surface has about half as many points as triangles.
    fusao.reservar(quant / 2, quant);
    const stl_facet* facetas = arquivo.stl.facet_start;
    // The hashes of the corners of the next kFacetasAntecipadas triangles, asked for ahead so
    // that the merge's table is fetched in time, by corner number modulo the ring's size.
    std::array<std::uint64_t, kCantosAntecipados> anel{};
    const auto antecipar = [&](std::uint32_t t) {
        for (int k = 0; k < kVerticesPorTriangulo; ++k) {
            const stl_vertex& v = facetas[t].vertex[k];
            const std::uint64_t hash = FusaoPontos::espalhamento(v.x, v.y, v.z);
            anel[(t * kVerticesPorTriangulo + static_cast<std::uint32_t>(k)) % kCantosAntecipados] =
                hash;
            fusao.antecipar(hash);
        }
    };
    for (std::uint32_t t = 0; t < std::min(quant, kFacetasAntecipadas); ++t) {
        antecipar(t);
    }
    for (std::uint32_t t = 0; t < quant; ++t) {
        int pontos[kVerticesPorTriangulo];
        for (int k = 0; k < kVerticesPorTriangulo; ++k) {
            const stl_vertex& v = facetas[t].vertex[k];
            pontos[k] =
                fusao.ponto(v.x, v.y, v.z,
                            anel[(t * kVerticesPorTriangulo + static_cast<std::uint32_t>(k)) %
                                 kCantosAntecipados]);
            if (pontos[k] < 0) {
                erro = fusao.getProblema();
                return Leitura::recusada;
            }
        }
        fusao.triangulo(pontos[0], pontos[1], pontos[2]);
        if (t + kFacetasAntecipadas < quant) {
            antecipar(t + kFacetasAntecipadas);
        }
    }
    return Leitura::lida;
}

}  // namespace gouraud::detail
