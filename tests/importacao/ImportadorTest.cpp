// Reading through the confined child process: the very model of reading in this process, for the
// samples and for files made here (parts, textures beside the file and in it, clouds, points and
// lines, bytes in memory); every fault of the test build of the child as its one-line refusal
// with no process left; the limits; a file that hangs the import library without using the
// processor; a missing program; and the same through the library's Modelo::abrir.
#include <gtest/gtest.h>
#include <linux/landlock.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "Importador.h"
#include "LeitorAssimp.h"
#include "LeitorMalha.h"
#include "gouraud/Modelo.h"

using namespace gouraud::detail;

namespace {

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

const fs::path kExemplos = GOURAUD_EXEMPLOS_DIR;
const fs::path kMalhas = GOURAUD_MALHAS_DIR;

// The tests run from the build's tests/ folder, where no child program lies beside them: they
// use the one the build made, unless the variable names another.
const bool kImportadorDefinido =
    setenv(Importador::kVariavel, GOURAUD_IMPORTADOR_TESTE, 0) == 0;

struct Pasta {
    fs::path caminho =
        fs::temp_directory_path() / ("gouraud-isolamento-" + std::to_string(std::random_device{}()));
    Pasta() { fs::create_directories(caminho); }
    ~Pasta() { fs::remove_all(caminho); }
    fs::path operator/(const std::string& nome) const { return caminho / nome; }
};

void escrever(const fs::path& caminho, const std::string& texto) {
    std::ofstream(caminho, std::ios::binary) << texto;
}

std::string lerArquivo(const fs::path& caminho) {
    std::ifstream entrada(caminho, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(entrada), {});
}

std::string base64(const std::string& bytes) {
    static constexpr char kAlfabeto[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto byte = [&bytes](std::size_t i) -> std::uint32_t {
        return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0;
    };
    std::string texto;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t bloco = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        texto += kAlfabeto[(bloco >> 18) & 63];
        texto += kAlfabeto[(bloco >> 12) & 63];
        texto += i + 1 < bytes.size() ? kAlfabeto[(bloco >> 6) & 63] : '=';
        texto += i + 2 < bytes.size() ? kAlfabeto[bloco & 63] : '=';
    }
    return texto;
}

Isolamento emProcesso() {
    Isolamento isolamento;
    isolamento.ativo = false;
    return isolamento;
}

Isolamento comFalhas(int segundos = Isolamento::kLimiteTempoPadrao) {
    Isolamento isolamento;
    isolamento.programa = GOURAUD_IMPORTADOR_FALHAS;
    isolamento.limiteTempo = segundos;
    return isolamento;
}

std::uint32_t bits(float valor) { return std::bit_cast<std::uint32_t>(valor); }

bool mesmoTerno(const Primitivas::Terno& a, const Primitivas::Terno& b) {
    return bits(a.x) == bits(b.x) && bits(a.y) == bits(b.y) && bits(a.z) == bits(b.z);
}

void mesmosTernos(const std::vector<Primitivas::Terno>& a, const std::vector<Primitivas::Terno>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_TRUE(mesmoTerno(a[i], b[i])) << i;
    }
}

void mesmoMaterial(const Aparencia::Material* a, const Aparencia::Material* b) {
    ASSERT_EQ(a == nullptr, b == nullptr);
    if (a == nullptr) return;
    EXPECT_EQ(a->nome, b->nome);
    EXPECT_EQ(a->temCor, b->temCor);
    EXPECT_EQ(a->cor, b->cor);
    EXPECT_EQ(a->declaraTextura, b->declaraTextura);
    EXPECT_EQ(a->textura, b->textura);
    EXPECT_EQ(a->repeticaoU, b->repeticaoU);
    EXPECT_EQ(a->repeticaoV, b->repeticaoV);
}

// Everything the two readings give is the same, bit for bit.
void mesmaLeitura(LeitorMalha& a, LeitorMalha& b) {
    ASSERT_EQ(a.getErro(), b.getErro());
    ASSERT_EQ(a.valida(), b.valida());
    EXPECT_EQ(a.getAvisos(), b.getAvisos());
    EXPECT_EQ(a.getPartes(), b.getPartes());
    ASSERT_EQ(a.getPontos().size(), b.getPontos().size());
    for (std::size_t i = 0; i < a.getPontos().size(); ++i) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(a.getPontos()[i].x),
                  std::bit_cast<std::uint64_t>(b.getPontos()[i].x));
        ASSERT_EQ(std::bit_cast<std::uint64_t>(a.getPontos()[i].y),
                  std::bit_cast<std::uint64_t>(b.getPontos()[i].y));
        ASSERT_EQ(std::bit_cast<std::uint64_t>(a.getPontos()[i].z),
                  std::bit_cast<std::uint64_t>(b.getPontos()[i].z));
    }
    ASSERT_EQ(a.getTriangulos().size(), b.getTriangulos().size());
    for (std::size_t i = 0; i < a.getTriangulos().size(); ++i) {
        const Triangulo& x = a.getTriangulos()[i];
        const Triangulo& y = b.getTriangulos()[i];
        ASSERT_TRUE(x.indiceP1 == y.indiceP1 && x.indiceP2 == y.indiceP2 &&
                    x.indiceP3 == y.indiceP3);
    }
    const Primitivas& p = a.getPrimitivas();
    const Primitivas& q = b.getPrimitivas();
    ASSERT_EQ(p.getQuantPontos(), q.getQuantPontos());
    ASSERT_EQ(p.getQuantLinhas(), q.getQuantLinhas());
    for (int i = 0; i < p.getQuantPontos(); ++i) {
        ASSERT_TRUE(mesmoTerno(p.getPosicao(i), q.getPosicao(i)));
        mesmoMaterial(p.getMaterialPonto(i), q.getMaterialPonto(i));
    }
    for (int k = 0; k < p.getQuantLinhas(); ++k) {
        mesmoMaterial(p.getMaterialLinha(k), q.getMaterialLinha(k));
    }
    mesmosTernos(p.getNormais(), q.getNormais());
    mesmosTernos(p.getCores(), q.getCores());
    mesmosTernos(p.getExtremos(), q.getExtremos());
    mesmosTernos(p.getCoresLinhas(), q.getCoresLinhas());
    const Aparencia* x = a.getAparencia().get();
    const Aparencia* y = b.getAparencia().get();
    ASSERT_EQ(x == nullptr, y == nullptr);
    if (x == nullptr) return;
    ASSERT_EQ(x->getQuantTriangulos(), y->getQuantTriangulos());
    ASSERT_EQ(x->getQuantVariantes(), y->getQuantVariantes());
    for (int t = 0; t < x->getQuantTriangulos(); ++t) {
        ASSERT_EQ(x->texturizado(t), y->texturizado(t));
        for (int k = 0; k < 3; ++k) {
            ASSERT_EQ(x->getCanto(t, k), y->getCanto(t, k));
        }
    }
    for (std::int32_t v = 0; v < x->getQuantVariantes(); ++v) {
        const Aparencia::Variante& s = x->getVariante(v);
        const Aparencia::Variante& r = y->getVariante(v);
        ASSERT_EQ(s.ponto, r.ponto);
        ASSERT_EQ(s.material, r.material);
        ASSERT_EQ(s.temCor, r.temCor);
        ASSERT_EQ(s.temUv, r.temUv);
        ASSERT_EQ(s.cor, r.cor);
        ASSERT_EQ(s.uv, r.uv);
        mesmoMaterial(x->getMaterial(s.material), y->getMaterial(r.material));
        const Aparencia::Material* m = x->getMaterial(s.material);
        if (m != nullptr && m->textura >= 0) {
            const Textura& tx = x->getTextura(m->textura);
            const Textura& ty = y->getTextura(m->textura);
            ASSERT_EQ(tx.getLargura(), ty.getLargura());
            ASSERT_EQ(tx.getAltura(), ty.getAltura());
            for (int j = 0; j < tx.getAltura(); ++j) {
                for (int i = 0; i < tx.getLargura(); ++i) {
                    ASSERT_EQ(0, std::memcmp(tx.texel(i, j), ty.texel(i, j), 3));
                }
            }
        }
    }
}

// Whether a process other than this one names `marca` on its command line: the child of a
// reading whose file is under a folder of that name.
bool algumProcessoCom(const std::string& marca) {
    for (const auto& entrada : fs::directory_iterator("/proc")) {
        const std::string nome = entrada.path().filename().string();
        if (nome.find_first_not_of("0123456789") != std::string::npos ||
            nome == std::to_string(getpid())) {
            continue;
        }
        std::string linha = lerArquivo(entrada.path() / "cmdline");
        if (linha.find(marca) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// No child of this process is left, not even one waiting to be reaped.
bool semFilhos() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

// A variable set for the length of a test.
struct Variavel {
    Variavel(const char* nome, const std::string& valor) : nome(nome) {
        setenv(nome, valor.c_str(), 1);
    }
    ~Variavel() { unsetenv(nome); }
    const char* nome;
};

}  // namespace

TEST(ImportadorTest, OFilhoDaOModeloDaLeituraNoProcesso) {
    ASSERT_TRUE(kImportadorDefinido);
    Pasta pasta;
    // Two materials: two meshes, two parts.
    escrever(pasta / "duas.mtl", "newmtl vermelho\nKd 1 0 0\nnewmtl azul\nKd 0 0 1\n");
    escrever(pasta / "duas.obj",
             "mtllib duas.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv 2 0 0\n"
             "usemtl vermelho\nf 1 2 3\nusemtl azul\nf 2 4 3\nf 2 5 4\nl 1 5\np 4\n");
    // The box's texture held in the file itself.
    std::string caixa = lerArquivo(kExemplos / "caixa.gltf");
    const std::size_t uri = caixa.find("\"caixa.png\"");
    ASSERT_NE(uri, std::string::npos);
    caixa.replace(uri, 11,
                  "\"data:image/png;base64," + base64(lerArquivo(kExemplos / "caixa.png")) + "\"");
    escrever(pasta / "caixa-dentro.gltf", caixa);
    // A texture that is not there, a cloud, coloured points and lines.
    escrever(pasta / "sem-textura.obj", "mtllib t.mtl\nusemtl t\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                        "vt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n");
    escrever(pasta / "t.mtl", "newmtl t\nKd 1 1 1\nmap_Kd falta.png\n");
    escrever(pasta / "nuvem.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                                  "property float y\nproperty float z\nproperty uchar red\n"
                                  "property uchar green\nproperty uchar blue\nend_header\n"
                                  "0 0 0 255 0 0\n1 0 0 0 255 0\n0 1 0 0 0 255\n");
    escrever(pasta / "quadrado.off", "OFF\n4 1 0\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n4 0 1 2 3\n");
    std::vector<fs::path> arquivos = {pasta / "duas.obj", pasta / "caixa-dentro.gltf",
                                      pasta / "sem-textura.obj", pasta / "nuvem.ply",
                                      pasta / "quadrado.off", pasta / "falta.gltf",
                                      kExemplos / "bunny.ply", kExemplos / "bunny-cores.ply"};
    for (const fs::path& dir : {kExemplos, kMalhas}) {
        for (const auto& entrada : fs::directory_iterator(dir)) {
            if (entrada.path().extension() == ".gltf") arquivos.push_back(entrada.path());
        }
    }
    for (const fs::path& arquivo : arquivos) {
        SCOPED_TRACE(arquivo.string());
        LeitorMalha filho(arquivo.string(), LeitorMalha::Leitores::soImportador);
        LeitorMalha proprio(arquivo.string(), LeitorMalha::Leitores::soImportador, emProcesso());
        mesmaLeitura(filho, proprio);
        EXPECT_TRUE(filho.valida() || arquivo.filename() == "falta.gltf") << filho.getErro();
    }
    // Bytes in memory go to the child in a sealed memory file.
    const std::string ply = lerArquivo(pasta / "nuvem.ply");
    LeitorMalha filho(ply.data(), ply.size(), "ply", LeitorMalha::Leitores::soImportador);
    LeitorMalha proprio(ply.data(), ply.size(), "ply", LeitorMalha::Leitores::soImportador,
                        emProcesso());
    mesmaLeitura(filho, proprio);
    EXPECT_EQ(filho.getPrimitivas().getQuantPontos(), 3);

    LeitorMalha duas((pasta / "duas.obj").string(), LeitorMalha::Leitores::soImportador);
    EXPECT_EQ(duas.getPartes(), (std::vector<std::uint32_t>{0, 1, 1}));
    LeitorMalha rapido((kExemplos / "bunny.obj").string());
    EXPECT_EQ(rapido.getBiblioteca(), "tinyobjloader");
    EXPECT_TRUE(rapido.getPartes().empty());
    EXPECT_TRUE(semFilhos());
}

// The gathering of a model made by hand: texels as the file holds them (blue, green, red,
// alpha), and the parts of the triangles of each mesh.
TEST(ImportadorTest, ReunirTexelsEPartes) {
    ModeloImportado modelo;
    ModeloImportado::Malha malha;
    malha.posicoes = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    malha.temUv = true;
    malha.uv = {0, 0, 1, 0, 0, 1};
    malha.cantos = {3};
    malha.indices = {0, 1, 2};
    modelo.malhas = {malha, malha, malha};
    modelo.malhas[1].material = 5;
    ModeloImportado::Material material;
    material.nome = "texels";
    material.temTextura = true;
    material.textura = "*0";
    material.embutida = 0;
    modelo.materiais = {material};
    modelo.texturas = {ModeloImportado::TexturaEmbutida{2, 1, true, {1, 2, 3, 4, 5, 6, 7, 8}}};
    FusaoPontos fusao;
    LeitorAssimp::Leitura leitura;
    Primitivas primitivas;
    ASSERT_EQ(LeitorAssimp::reunir(modelo, "", fusao, leitura, primitivas), "");
    EXPECT_EQ(fusao.getTriangulos().size(), 3u);
    EXPECT_EQ(fusao.getPontos().size(), 3u);
    EXPECT_EQ(leitura.partes, (std::vector<std::uint32_t>{0, 1, 2}));
    ASSERT_NE(leitura.aparencia, nullptr);
    EXPECT_TRUE(leitura.aparencia->texturizado(0));
    EXPECT_FALSE(leitura.aparencia->texturizado(1)) << "material 5 is none";
    const Textura& textura = leitura.aparencia->getTextura(0);
    ASSERT_EQ(textura.getLargura(), 2);
    EXPECT_EQ(std::vector<int>(textura.texel(0, 0), textura.texel(0, 0) + 3),
              (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(std::vector<int>(textura.texel(1, 0), textura.texel(1, 0) + 3),
              (std::vector<int>{7, 6, 5}));
}

TEST(ImportadorTest, CadaFalhaEhUmaLinhaENadaFicaRodando) {
    Pasta pasta;
    const fs::path cubo = pasta / "cubo.gltf";
    fs::copy_file(kExemplos / "cubo.gltf", cubo);
    const std::string nome = cubo.string();
    struct Caso {
        const char* falha;
        std::string mensagem;
    };
    const Caso casos[] = {
        {"segv", "the import library crashed reading " + nome + " (signal 11, segmentation fault)"},
        {"laco", "the import library took more than 1 s reading " + nome},
        {"memoria", "the import library used more than 2 GiB reading " + nome},
        {"socket", "the import library was stopped by the sandbox reading " + nome +
                       " (forbidden system call socket)"},
        {"exec", "the import library was stopped by the sandbox reading " + nome +
                     " (forbidden system call execve)"},
        {"escrita", "the import library was stopped by the sandbox reading " + nome +
                        " (forbidden system call openat)"},
        {"ptrace", "the import library was stopped by the sandbox reading " + nome +
                       " (forbidden system call ptrace)"},
        {"truncada", "the import library sent a malformed answer reading " + nome +
                         " (it ends after 170 of 340 bytes)"},
        {"indice", "the import library sent a malformed answer reading " + nome +
                       " (face 11 of mesh 0 names vertex 8 of 8)"},
    };
    fs::remove("/tmp/gouraud-falha-escrita");
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.falha);
        const Variavel falha("GOURAUD_FALHA", caso.falha);
        const auto inicio = Relogio::now();
        LeitorMalha leitor(nome, LeitorMalha::Leitores::todos, comFalhas(1));
        const auto duracao = Relogio::now() - inicio;
        EXPECT_FALSE(leitor.valida());
        EXPECT_TRUE(leitor.getErroNomeiaArquivo());
        EXPECT_EQ(leitor.getErro(), caso.mensagem);
        EXPECT_LT(duracao, std::chrono::seconds(5));
        EXPECT_TRUE(semFilhos());
        EXPECT_FALSE(algumProcessoCom(pasta.caminho.string()));
    }
    EXPECT_FALSE(fs::exists("/tmp/gouraud-falha-escrita"));
    // With no fault the test build reads as the other does.
    LeitorMalha leitor(nome, LeitorMalha::Leitores::todos, comFalhas());
    EXPECT_TRUE(leitor.valida()) << leitor.getErro();
}

TEST(ImportadorTest, LimitesEUmArquivoQuePrendeOLeitorSemGastarProcessador) {
    Pasta pasta;
    // An OFF file that promises twenty million vertices: the library reserves room for them.
    const std::string off = (pasta / "promete.off").string();
    escrever(off, "OFF\n20000000 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    LeitorMalha padrao(off);
    EXPECT_EQ(padrao.getErro(), "face 0 of mesh 0 has no corners");
    Isolamento pouca;
    pouca.limiteMemoria = 128;
    LeitorMalha limitado(off, LeitorMalha::Leitores::todos, pouca);
    EXPECT_EQ(limitado.getErro(), "the import library used more than 128 MiB reading " + off);

    // A glTF file whose buffer is a named pipe no one writes to: the library waits for ever, on
    // no processor time, until the clock runs out.
    std::string gltf = lerArquivo(kExemplos / "cubo.gltf");
    const std::size_t inicio = gltf.find("\"data:");
    ASSERT_NE(inicio, std::string::npos);
    gltf.replace(inicio, gltf.find('"', inicio + 1) - inicio + 1, "\"cano.bin\"");
    const std::string preso = (pasta / "preso.gltf").string();
    escrever(preso, gltf);
    ASSERT_EQ(mkfifo((pasta / "cano.bin").c_str(), 0600), 0);
    Isolamento rapido;
    rapido.limiteTempo = 1;
    const auto antes = Relogio::now();
    LeitorMalha leitor(preso, LeitorMalha::Leitores::todos, rapido);
    EXPECT_EQ(leitor.getErro(), "the import library took more than 1 s reading " + preso);
    EXPECT_LT(Relogio::now() - antes, std::chrono::seconds(3));
    EXPECT_TRUE(semFilhos());
    EXPECT_FALSE(algumProcessoCom(pasta.caminho.string()));
}

// Where the kernel has Landlock, the child opens files under the model's folder alone: a glTF
// file whose buffer is beside its folder, not in it, is read in process but not by the child.
TEST(ImportadorTest, SoAbreArquivosDebaixoDaPastaDoModelo) {
    if (syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION) < 1) {
        GTEST_SKIP() << "the kernel has no Landlock";
    }
    Pasta pasta;
    std::string gltf = lerArquivo(kExemplos / "cubo.gltf");
    const std::size_t inicio = gltf.find("\"data:application/octet-stream;base64,");
    ASSERT_NE(inicio, std::string::npos);
    const std::size_t dados = gltf.find(',', inicio) + 1;
    const std::size_t fim = gltf.find('"', dados);
    // The buffer's bytes, decoded, in a file of its own.
    std::string bytes;
    std::uint32_t bloco = 0;
    int bits = 0;
    for (std::size_t i = dados; i < fim; ++i) {
        const char c = gltf[i];
        const std::string alfabeto =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        const std::size_t valor = alfabeto.find(c);
        if (valor == std::string::npos) continue;
        bloco = bloco << 6 | static_cast<std::uint32_t>(valor);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((bloco >> bits) & 0xff);
        }
    }
    escrever(pasta / "cubo.bin", bytes);
    fs::create_directories(pasta / "modelo");
    gltf.replace(inicio, fim - inicio + 1, "\"../cubo.bin\"");
    const std::string modelo = (pasta / "modelo" / "fora.gltf").string();
    escrever(modelo, gltf);
    LeitorMalha proprio(modelo, LeitorMalha::Leitores::todos, emProcesso());
    EXPECT_TRUE(proprio.valida()) << proprio.getErro();
    LeitorMalha filho(modelo);
    EXPECT_FALSE(filho.valida());
    EXPECT_EQ(filho.getErro(), "GLTF: could not open referenced file \"../cubo.bin\"");
}

// A host that ignores SIGCHLD has its children reaped by the kernel: the answer alone tells.
TEST(ImportadorTest, HospedeQueIgnoraOFimDosFilhos) {
    struct sigaction antes {};
    struct sigaction ignorar {};
    ignorar.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGCHLD, &ignorar, &antes), 0);
    LeitorMalha bom((kExemplos / "cubo.gltf").string());
    const Variavel falha("GOURAUD_FALHA", "segv");
    LeitorMalha quebrado((kExemplos / "cubo.gltf").string(), LeitorMalha::Leitores::todos,
                         comFalhas());
    sigaction(SIGCHLD, &antes, nullptr);
    EXPECT_TRUE(bom.valida()) << bom.getErro();
    EXPECT_EQ(quebrado.getErro(), "the import library sent a malformed answer reading " +
                                      (kExemplos / "cubo.gltf").string() + " (it is empty)");
}

TEST(ImportadorTest, ProgramaQueNaoHa) {
    Isolamento isolamento;
    isolamento.programa = "/nao/ha/gouraud-importador";
    const std::string cubo = (kExemplos / "cubo.gltf").string();
    LeitorMalha leitor(cubo, LeitorMalha::Leitores::todos, isolamento);
    EXPECT_EQ(leitor.getErro(), "cannot read " + cubo +
                                    ": the import library's program is missing (looked for "
                                    "/nao/ha/gouraud-importador)");
    std::string motivo;
    EXPECT_EQ(Importador::localizar(Isolamento{}, motivo), GOURAUD_IMPORTADOR_TESTE);
}

TEST(ImportadorTest, PelaBiblioteca) {
    const std::string cubo = (kExemplos / "cubo.gltf").string();
    gouraud::Abertura falhas;
    falhas.importador = GOURAUD_IMPORTADOR_FALHAS;
    {
        const Variavel falha("GOURAUD_FALHA", "segv");
        const auto modelo = gouraud::Modelo::abrir(cubo, "", falhas);
        EXPECT_EQ(modelo.getErro(), "the import library crashed reading " + cubo +
                                        " (signal 11, segmentation fault)");
    }
    {
        const Variavel falha("GOURAUD_FALHA", "socket");
        EXPECT_EQ(gouraud::Modelo::abrir(cubo, "", falhas).getErro(),
                  "the import library was stopped by the sandbox reading " + cubo +
                      " (forbidden system call socket)");
    }
    EXPECT_TRUE(semFilhos());
    gouraud::Abertura errada;
    errada.limiteMemoria = 10;
    EXPECT_EQ(gouraud::Modelo::abrir(cubo, "", errada).getErro(),
              "the memory limit 10 MiB is out of range: it goes from 64 to 1048576 MiB");
    errada = gouraud::Abertura{};
    errada.limiteTempo = 0;
    EXPECT_EQ(gouraud::Modelo::abrir(cubo, "", errada).getErro(),
              "the time limit 0 s is out of range: it goes from 1 to 86400 s");
    gouraud::Abertura semIsolamento;
    semIsolamento.isolamento = false;
    auto a = gouraud::Modelo::abrir(cubo);
    auto b = gouraud::Modelo::abrir(cubo, "", semIsolamento);
    ASSERT_TRUE(a && b) << a.getErro() << b.getErro();
    auto imagemA = a->desenhar();
    auto imagemB = b->desenhar();
    ASSERT_TRUE(imagemA && imagemB);
    EXPECT_EQ(imagemA->rgb, imagemB->rgb);
}
