// Texture images in every format they are read in, hostile ones, and texture names as other
// machines write them (the end-to-end test reads such a name and a TGA through a model).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "CaminhoTextura.h"
#include "ImagemHdr.h"
#include "LeitorTextura.h"

using namespace gouraud::detail;

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

const fs::path kTexturas = fs::path(GOURAUD_MALHAS_DIR) / ".." / "texturas";

struct Pasta {
    fs::path caminho =
        fs::temp_directory_path() / ("gouraud-texturas-" + std::to_string(std::random_device{}()));
    Pasta() { fs::create_directories(caminho); }
    ~Pasta() { fs::remove_all(caminho); }
};

Bytes ler(const fs::path& caminho) {
    std::ifstream entrada(caminho, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(entrada), {});
}

void escrever(const fs::path& caminho, const std::string& texto) {
    fs::create_directories(caminho.parent_path());
    std::ofstream(caminho, std::ios::binary) << texto;
}

Bytes texto(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The texels of the image in `dados` row by row, or its reason in `motivo`.
std::vector<std::uint8_t> texels(const Bytes& dados, std::string& motivo, int* largura = nullptr) {
    std::optional<Textura> textura;
    motivo = LeitorTextura::decodificar(dados.data(), dados.size(), textura);
    std::vector<std::uint8_t> todos;
    if (!textura) return todos;
    if (largura != nullptr) *largura = textura->getLargura();
    for (int j = 0; j < textura->getAltura(); ++j)
        for (int i = 0; i < textura->getLargura(); ++i)
            todos.insert(todos.end(), textura->texel(i, j), textura->texel(i, j) + 3);
    return todos;
}

std::string motivoDe(const Bytes& dados) {
    std::string motivo;
    texels(dados, motivo);
    return motivo;
}

std::string hdr(int largura, int altura, const std::string& dados) {
    return "#?RADIANCE\n# made by hand\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(altura) +
           " +X " + std::to_string(largura) + "\n" + dados;
}

TEST(TexturasTest, CopiasDeUmPngEmOutrosFormatosDaoOsMesmosTexels) {
    // textura.png is 7 x 5 texels of random colours; ImageMagick made the copies from it (the
    // TGAs with -orient TopLeft: it writes the rows from the top whatever its header says).
    std::string motivo;
    int largura = 0;
    const std::vector<std::uint8_t> png = texels(ler(kTexturas / "textura.png"), motivo, &largura);
    ASSERT_EQ(motivo, "");
    ASSERT_EQ(largura, 7);
    ASSERT_EQ(png.size(), 7u * 5u * 3u);
    for (const char* nome : {"textura.tga", "textura-rle.tga", "textura.bmp", "textura.ppm",
                             "textura.psd", "textura.gif", "textura16.png"}) {
        EXPECT_EQ(texels(ler(kTexturas / nome), motivo), png) << nome << ": " << motivo;
    }
    // The BMP stored from the top row down: its rows reversed and its height negative.
    Bytes bmp = ler(kTexturas / "textura.bmp");
    const std::size_t inicio = bmp[10] | bmp[11] << 8;
    const std::size_t linha = 24;  // 7 texels of 3 bytes, padded to 4
    Bytes invertida(bmp.begin(), bmp.begin() + static_cast<std::ptrdiff_t>(inicio));
    for (int j = 4; j >= 0; --j)
        invertida.insert(invertida.end(),
                         bmp.begin() + static_cast<std::ptrdiff_t>(inicio + j * linha),
                         bmp.begin() + static_cast<std::ptrdiff_t>(inicio + (j + 1) * linha));
    const std::int32_t negativa = -5;
    std::memcpy(&invertida[22], &negativa, 4);
    EXPECT_EQ(texels(invertida, motivo), png) << motivo;
    // A 16-bit greymap keeps its high bytes, each repeated (a case stb_image's own conversion
    // to three channels gets wrong).
    const std::string pgm =
        std::string("P5\n3 1\n65535\n") + std::string("\x12\x34\xAB\xCD\xFF\x00", 6);
    EXPECT_EQ(texels(texto(pgm), motivo),
              (std::vector<std::uint8_t>{0x12, 0x12, 0x12, 0xAB, 0xAB, 0xAB, 0xFF, 0xFF, 0xFF}))
        << motivo;
}

TEST(TexturasTest, HdrLimitadoA0e1ViraByteLinearArredondado) {
    // (128, 64, 1) x 2^-7 = 1, 0.5, 1/128; (200, 0, 255) x 2^-6 = 3.125, 0, 3.98; e = 0 is black.
    std::string motivo;
    const std::string plano = std::string("\x80\x40\x01\x81", 4) +
                              std::string("\xC8\x00\xFF\x82", 4) +
                              std::string("\xFF\xFF\xFF\x00", 4);
    EXPECT_EQ(texels(texto(hdr(3, 1, plano)), motivo),
              (std::vector<std::uint8_t>{255, 128, 2, 255, 0, 255, 0, 0, 0}))
        << motivo;
    EXPECT_EQ(ImagemHdr::byte(1, 128), 1);      // 255/256 + 0.5 rounds up
    EXPECT_EQ(ImagemHdr::byte(255, 127), 127);  // 0.498 x 255 = 127.0
    // Eight texels as run-length scanlines (a run of 8 per channel, and a dump of 8) and flat:
    // the same texels.
    std::string rle = "\x02\x02";
    rle += std::string("\x00\x08", 2) + "\x88\x80" + "\x88\x40" + "\x08" + std::string(8, '\x01') +
           "\x88\x81";
    std::string flat;
    for (int i = 0; i < 8; ++i) flat += std::string("\x80\x40\x01\x81", 4);
    const std::vector<std::uint8_t> dePlano = texels(texto(hdr(8, 1, flat)), motivo);
    ASSERT_EQ(motivo, "");
    EXPECT_EQ(dePlano[0], 255);
    EXPECT_EQ(texels(texto(hdr(8, 1, rle)), motivo), dePlano) << motivo;
    // Cut short in a scanline (where stb_image's decoder would loop for ever), a zero-length
    // dump, a size line of another layout.
    EXPECT_NE(motivoDe(texto(hdr(8, 1, rle.substr(0, rle.size() - 3)))).find("cut short"),
              std::string::npos);
    EXPECT_NE(motivoDe(texto(hdr(8, 1, std::string("\x02\x02\x00\x08\x00", 5)))).find("corrupt"),
              std::string::npos);
    EXPECT_NE(motivoDe(texto("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n+Y 1 +X 1\n1234"))
                  .find("-Y height +X width"),
              std::string::npos);
}

TEST(TexturasTest, CabecalhosHostisSaoRecusadosAntesDeDecodificar) {
    const auto tga = [](int largura, int altura, unsigned char tipo, std::size_t corpo) {
        Bytes b(18 + corpo, 0);
        b[2] = tipo;
        b[12] = static_cast<unsigned char>(largura);
        b[13] = static_cast<unsigned char>(largura >> 8);
        b[14] = static_cast<unsigned char>(altura);
        b[15] = static_cast<unsigned char>(altura >> 8);
        b[16] = 24;
        return b;
    };
    std::vector<std::pair<Bytes, std::string>> casos = {
        {tga(20000, 2, 2, 100), "20000 x 2 texels, more than 16384 on a side"},
        {tga(16384, 16384, 2, 100), "more than 256 MiB decoded"},
        // Within the limits, but far less data than the texels need, plain or run-length.
        {tga(9000, 9000, 2, 1000), "cut short"},
        {tga(9000, 9000, 10, 1000), "cut short"},
        {texto("P6\n3 2\n255\n12345"), "cut short"},
        {texto("P6\n99999999999 1\n255\n"), "number over 2147483647"},
        {texto("P6\n1 1\n70000\n123456"), "largest value is over 65535"},
        {texto("P3\n1 1\n255\n1 2 3\n"), "P3 PNM image"},
        {texto(hdr(20000, 10, "")), "20000 x 10 texels, more than 16384"},
        {texto("plain text, no image at all\n"), "neither a PNG nor a JPEG image, nor a TGA"},
    };
    // A PNG with an unknown critical chunk named by a line feed and a control byte: stb_image
    // quotes the name as it is, the reason stays one printable line.
    Bytes png = ler(kTexturas / "textura.png");
    const Bytes trecho = {0, 0, 0, 0, '\n', 1, 'a', 'b', 0, 0, 0, 0};
    png.insert(png.begin() + 33, trecho.begin(), trecho.end());
    casos.push_back({png, "it cannot be decoded: ??ab PNG chunk not known"});
    for (const auto& [dados, esperado] : casos) {
        const std::string motivo = motivoDe(dados);
        EXPECT_NE(motivo.find(esperado), std::string::npos) << motivo << " / " << esperado;
    }
}

TEST(TexturasTest, BytesAoAcasoNaoDerrubamODecodificador) {
    // Every shipped image with bytes changed, cut at random lengths, or random bytes behind a
    // TGA header: each gives a texture within the limits or a reason, never a fault.
    std::mt19937 gerador(26);
    std::vector<Bytes> bases;
    for (const auto& entrada : fs::directory_iterator(kTexturas))
        bases.push_back(ler(entrada.path()));
    bases.push_back(
        texto(hdr(8, 2, std::string("\x02\x02\x00\x08\x88\x80\x88\x40\x88\x01\x88\x81", 12))));
    int decodificadas = 0;
    for (int k = 0; k < 3000; ++k) {
        Bytes b = bases[static_cast<std::size_t>(k) % bases.size()];
        std::uniform_int_distribution<std::size_t> posicao(0, b.size() - 1);
        for (int m = 0; m < 1 + k % 4; ++m)
            b[posicao(gerador)] = static_cast<unsigned char>(gerador());
        if (k % 3 == 0) b.resize(posicao(gerador));
        if (k % 7 == 0) {
            b.assign(18 + gerador() % 64, 0);
            for (auto& c : b) c = static_cast<unsigned char>(gerador());
            b[1] = 0;
            b[2] = 10;
            b[16] = 32;
        }
        std::optional<Textura> textura;
        const std::string motivo = LeitorTextura::decodificar(b.data(), b.size(), textura);
        ASSERT_EQ(textura.has_value(), motivo.empty()) << k;
        if (textura) {
            ++decodificadas;
            EXPECT_LE(std::size_t{3} * textura->getLargura() * textura->getAltura(),
                      Textura::kMaisBytes);
        }
    }
    EXPECT_GT(decodificadas, 0);
}

TEST(TexturasTest, NomesComoOutrasMaquinasOsEscrevem) {
    Pasta raiz;
    const fs::path modelo = raiz.caminho / "modelo";
    for (const char* nome : {"modelo/test.png", "modelo/Textures/Wood.JPG", "modelo/perto.png",
                             "irma/textures/stone.png", "fora/perto.png", "fora/longe.png"})
        escrever(raiz.caminho / nome, "x");
    fs::create_directories(modelo / "pasta.png");
    CaminhoTextura caminhos(modelo);
    struct Caso {
        std::string nome;
        std::string arquivo;  // relative to the model's folder; "" for none
        std::string aviso;    // what the line says it is read from; "" for no line
        std::string problema;
    };
    const std::string longe = (raiz.caminho / "fora" / "longe.png").string();
    const std::vector<Caso> casos = {
        {"test.png", "test.png", "", ""},
        {"TEST.PNG", "test.png", "test.png", ""},
        {".\\test.png", "./test.png", "test.png", ""},
        {"textures\\wood.jpg", "Textures/Wood.JPG", "Textures/Wood.JPG", ""},
        // An absolute name's folders are another machine's: its last part is looked for beside
        // the model alone.
        {"C:\\models\\spider\\textures\\WOOD.jpg", "", "",
         "an absolute name is not followed, and no WOOD.jpg is found beside"},
        {"C:\\models\\spider\\TEST.png", "test.png", "test.png", ""},
        {"Q:/maps/test.png", "test.png", "test.png", ""},
        // An absolute name of a file that exists is not followed: the one beside the model is
        // read, or none.
        {(raiz.caminho / "fora" / "perto.png").string(), "perto.png", "perto.png", ""},
        {longe, "", "", "an absolute name is not followed, and no longe.png is found beside"},
        {"../irma/textures/stone.png", "../irma/textures/stone.png", "", ""},
        {"..\\IRMA\\Textures\\STONE.png", "../irma/textures/stone.png",
         "../irma/textures/stone.png", ""},
        // A folder that is not there is not undone by a ".." after it.
        {"nada/../../irma/textures/stone.png", "", "", "No such file"},
        {"pasta.png", "", "", "Is a directory"},
        {"falta.png", "", "", "No such file or directory"},
        {"..", "", "", "names no file"},
        {std::string("test.png\0.jpg", 13), "", "", "NUL"},
        {std::string(5000, 'a'), "", "", "longer than 4096 bytes"},
    };
    for (const Caso& caso : casos) {
        const CaminhoTextura::Achado achado = caminhos.procurar(caso.nome);
        SCOPED_TRACE(caso.nome.substr(0, 60));
        if (caso.arquivo.empty() || !caso.problema.empty()) {
            EXPECT_EQ(achado.arquivo, "");
            EXPECT_NE(achado.problema.find(caso.problema), std::string::npos) << achado.problema;
            continue;
        }
        EXPECT_EQ(achado.problema, "");
        EXPECT_EQ(fs::path(achado.arquivo), modelo / caso.arquivo);
        EXPECT_EQ(achado.aviso,
                  caso.aviso.empty() ? "" : "texture " + caso.nome + " is read from " + caso.aviso);
    }
}

TEST(TexturasTest, BuscaSemCaixaEscolheOPrimeiroEParaNoLimiteDeEntradas) {
    Pasta pasta;
    for (const char* nome : {"b.png", "Test.png", "test.png", "TEST.png/x", "z.png"})
        escrever(pasta.caminho / nome, "x");
    CaminhoTextura caminhos(pasta.caminho);
    // A folder TEST.png is passed over; of the two files, the first in byte order.
    EXPECT_EQ(fs::path(caminhos.procurar("test.PNG").arquivo), pasta.caminho / "Test.png");
    // Four entries for a folder of five: it is not listed, so only a name as written is found.
    CaminhoTextura poucas(pasta.caminho, 4);
    EXPECT_EQ(fs::path(poucas.procurar("z.png").arquivo), pasta.caminho / "z.png");
    const CaminhoTextura::Achado achado = poucas.procurar("Z.PNG");
    EXPECT_EQ(achado.arquivo, "");
    EXPECT_NE(achado.problema.find("No such file or directory (the search stopped after 4 folder"),
              std::string::npos)
        << achado.problema;
}

}  // namespace
