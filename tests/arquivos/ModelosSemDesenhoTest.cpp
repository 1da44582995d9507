// Models that draw nothing: UTF-16 text files, which the import library reads as empty unless
// they are made UTF-8 first (the end-to-end test draws an ASE file in UTF-16), and whether a
// frame shows any pixel of the model.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "CenaCarregada.h"
#include "Renderizador.h"
#include "TextoUtf16.h"

using namespace gouraud::detail;

namespace {

namespace fs = std::filesystem;

struct Pasta {
    fs::path caminho =
        fs::temp_directory_path() / ("gouraud-vazios-" + std::to_string(std::random_device{}()));
    Pasta() { fs::create_directories(caminho); }
    ~Pasta() { fs::remove_all(caminho); }
};

// The UTF-16 of code points, little- or big-endian, after the byte order mark.
std::string utf16(const std::vector<char32_t>& texto, bool pequeno) {
    std::string bytes = pequeno ? "\xFF\xFE" : "\xFE\xFF";
    const auto unidade = [&](unsigned u) {
        const char alto = static_cast<char>(u >> 8);
        const char baixo = static_cast<char>(u & 0xFF);
        bytes += pequeno ? std::string{baixo, alto} : std::string{alto, baixo};
    };
    for (const char32_t c : texto) {
        if (c < 0x10000) {
            unidade(c);
        } else {
            unidade(0xD800 + ((c - 0x10000) >> 10));
            unidade(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

std::vector<char32_t> pontosDe(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

bool converter(const std::string& bytes, std::string& utf8) {
    return TextoUtf16::converter(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                 utf8);
}

TEST(ModelosSemDesenhoTest, Utf16ComMarcaViraUtf8SoQuandoEhTexto) {
    const std::vector<char32_t> texto = {'a',           '\t', U'\u00e9', U'\u65e5',
                                         U'\U0001F600', '\r', '\n'};
    const std::string esperado = "a\t\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\r\n";
    for (const bool pequeno : {true, false}) {
        std::string utf8;
        EXPECT_TRUE(converter(utf16(texto, pequeno), utf8));
        EXPECT_EQ(utf8, esperado);
        // Not text: a lone surrogate of either kind, a NUL, another control, an odd length.
        for (const std::vector<char32_t>& ruim :
             std::vector<std::vector<char32_t>>{{'a', 0xD800, 'b'}, {0xDC00}, {'a', 0}, {1}}) {
            EXPECT_FALSE(converter(utf16(ruim, pequeno), utf8));
            EXPECT_EQ(utf8, "");
        }
        EXPECT_FALSE(converter(utf16(pontosDe("ab"), pequeno) + "c", utf8));
    }
    std::string utf8;
    EXPECT_FALSE(converter("plain text", utf8));
}

TEST(ModelosSemDesenhoTest, DesenhouAlgoContaTriangulosPontosELinhasMesmoPretas) {
    Pasta pasta;
    Iluminacao escura;
    escura.ka = 0;
    struct Caso {
        const char* obj;
        bool desenha;
    };
    const std::vector<Caso> casos = {
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", true},
        // A triangle of no area, alone, then with a point, then with a black line.
        {"v 0 0 0\nv 1 0 0\nv 2 0 0\nf 1 2 3\n", false},
        {"v 0 0 0\nv 1 0 0\nv 2 0 0\nv 0 1 0\nf 1 2 3\np 4\n", true},
        {"v 0 0 0 0 0 0\nv 1 0 0 0 0 0\nv 2 0 0 0 0 0\nv 0 1 0 0 0 0\nf 1 2 3\nl 1 4\n", true},
    };
    for (std::size_t k = 0; k < casos.size(); ++k) {
        const fs::path arquivo = pasta.caminho / ("m" + std::to_string(k) + ".obj");
        std::ofstream(arquivo) << casos[k].obj;
        CenaCarregada carregada(arquivo.string(), 64, 48);
        ASSERT_TRUE(carregada.valida()) << carregada.getErro();
        Quadro quadro(64, 48);
        Renderizador renderizador(carregada.getMalha(), escura, 2);
        renderizador.desenhar(carregada.getCamera(), carregada.getProjecao(), quadro);
        EXPECT_EQ(renderizador.desenhouAlgo(quadro), casos[k].desenha) << casos[k].obj;
        if (k == 3) {
            // The line is black: the colours alone could not tell it was drawn.
            for (int y = 0; y < quadro.getAltura(); ++y)
                for (int x = 0; x < quadro.getLargura(); ++x) ASSERT_EQ(quadro.getCor(x, y), 0);
        }
    }
}

}  // namespace
