#include "GravadorNpy.h"

#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>

#include "Arquivo.h"

namespace gouraud::detail {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the values are written as the machine holds them: little-endian");

// The data after the header starts at a multiple of this many bytes.
constexpr std::size_t kAlinhamento = 64;
// The magic, the version 1.0 and the header's length before the header.
constexpr std::size_t kPrefixo = 10;

// Writes `tamanho` bytes at `dados` to the descriptor, however many calls it takes.
std::string escreverTudo(int descritor, const void* dados, std::size_t tamanho) {
    const auto* bytes = static_cast<const char*>(dados);
    while (tamanho > 0) {
        const ssize_t escritos = ::write(descritor, bytes, tamanho);
        if (escritos < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::strerror(errno);
        }
        bytes += escritos;
        tamanho -= static_cast<std::size_t>(escritos);
    }
    return "";
}

template <typename T>
std::string gravarValores(const std::string& caminho, const std::string& tipo,
                          const std::vector<T>& valores, const std::vector<std::size_t>& forma) {
    std::size_t quantos = 1;
    for (const std::size_t lado : forma) {
        quantos *= lado;
    }
    if (quantos != valores.size()) {
        return "the array holds " + std::to_string(valores.size()) + " values, not " +
               std::to_string(quantos);
    }
    const std::string cabecalho = GravadorNpy::cabecalho(tipo, forma);
    return Arquivo::gravar(caminho, [&](int descritor) {
        std::string erro = escreverTudo(descritor, cabecalho.data(), cabecalho.size());
        if (erro.empty()) {
            erro = escreverTudo(descritor, valores.data(), valores.size() * sizeof(T));
        }
        return erro;
    });
}

}  // namespace

std::string GravadorNpy::cabecalho(const std::string& tipo, const std::vector<std::size_t>& forma) {
    std::string dicionario = "{'descr': '" + tipo + "', 'fortran_order': False, 'shape': (";
    for (std::size_t k = 0; k < forma.size(); ++k) {
        dicionario += std::to_string(forma[k]);
        dicionario += forma.size() == 1 || k + 1 < forma.size() ? "," : "";
        dicionario += k + 1 < forma.size() ? " " : "";
    }
    dicionario += "), }";
    // Spaces, then the line break, up to the alignment.
    const std::size_t semEspacos = kPrefixo + dicionario.size() + 1;
    dicionario.append((kAlinhamento - semEspacos % kAlinhamento) % kAlinhamento, ' ');
    dicionario += '\n';
    std::string saida = "\x93NUMPY";
    saida += '\x01';
    saida += '\x00';
    const std::size_t tamanho = dicionario.size();
    saida += static_cast<char>(tamanho & 0xFFU);
    saida += static_cast<char>((tamanho >> 8) & 0xFFU);
    return saida + dicionario;
}

std::string GravadorNpy::gravar(const std::string& caminho, const std::vector<float>& valores,
                                const std::vector<std::size_t>& forma) {
    return gravarValores(caminho, "<f4", valores, forma);
}

std::string GravadorNpy::gravar(const std::string& caminho,
                                const std::vector<std::uint32_t>& valores,
                                const std::vector<std::size_t>& forma) {
    return gravarValores(caminho, "<u4", valores, forma);
}

}  // namespace gouraud::detail
