#include "LeitorMalha.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

#include "Arquivo.h"
#include "FusaoPontos.h"
#include "LeitorAssimp.h"
#include "LeitorObj.h"
#include "LeitorPly.h"
#include "LeitorStl.h"

namespace gouraud::detail {

namespace {

// Bytes read from the start of a file of any format, to recognise a PLY header.
constexpr std::size_t kBytesIniciais = 256;

std::string minusculas(std::string texto) {
    std::transform(texto.begin(), texto.end(), texto.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return texto;
}

// The extension of a file name, without its point, in lower case; "" when it has none.
std::string extensaoDe(const std::string& nome) {
    const std::string extensao = std::filesystem::path(nome).extension().string();
    return minusculas(extensao.empty() ? extensao : extensao.substr(1));
}

}  // namespace

bool LeitorMalha::ehMalha(const std::string& nome) {
    const std::string extensao = extensaoDe(nome);
    return !extensao.empty() && extensao != "txt";
}

LeitorMalha::LeitorMalha(const std::string& caminho, Leitores leitores,
                         const Isolamento& isolamento, int quantThreads)
    : threads(quantThreads) {
    ler(caminho, nullptr, 0, extensaoDe(caminho), leitores, isolamento);
}

LeitorMalha::LeitorMalha(const char* dados, std::size_t tamanho, const std::string& extensao,
                         Leitores leitores, const Isolamento& isolamento) {
    ler("", dados, tamanho, minusculas(extensao), leitores, isolamento);
}

void LeitorMalha::ler(const std::string& caminho, const char* dados, std::size_t tamanho,
                      const std::string& extensao, Leitores leitores,
                      const Isolamento& isolamento) {
    lerMalha(caminho, dados, tamanho, extensao, leitores, isolamento);
    // The libraries' reasons may run over several lines; the reason is one line.
    std::replace_if(
        erro.begin(), erro.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    while (!erro.empty() && erro.back() == ' ') {
        erro.pop_back();
    }
    if (!valida()) {
        pontos.clear();
        triangulos.clear();
        partes.clear();
        primitivas = Primitivas();
        aparencia.reset();
        avisos.clear();
    }
}

void LeitorMalha::lerMalha(const std::string& caminho, const char* dados, std::size_t tamanho,
                           const std::string& extensao, Leitores leitores,
                           const Isolamento& isolamento) {
    const bool daMemoria = dados != nullptr;
    // The whole file, when a check or a reader needs it in memory.
    std::unique_ptr<char[]> conteudo;
    try {
        if (!daMemoria) {
            std::ifstream arquivo;
            erro = Arquivo::abrir(caminho, arquivo);
            if (!erro.empty()) {
                aberto = false;
                return;
            }
            arquivo.seekg(0, std::ios::end);
            const std::streamoff fim = arquivo.tellg();
            arquivo.seekg(0, std::ios::beg);
            if (fim < 0 || !arquivo) {
                erro = "its length cannot be found";
                return;
            }
            tamanho = static_cast<std::size_t>(fim);
            const bool todo = extensao == "ply" || extensao == "obj";
            const std::size_t ler = todo ? tamanho : std::min(tamanho, kBytesIniciais);
            // One more byte holds a NUL after the contents, where the OBJ reading needs one.
            conteudo = std::make_unique_for_overwrite<char[]>(ler + 1);
            if (!arquivo.read(conteudo.get(), static_cast<std::streamsize>(ler))) {
                erro = "it cannot be read";
                return;
            }
            conteudo[ler] = '\0';
            dados = conteudo.get();
            // A file of another format that holds a PLY header is read whole for the checks.
            if (!todo && LeitorPly::pareceCabecalho(dados, ler) && ler < tamanho) {
                conteudo = std::make_unique_for_overwrite<char[]>(tamanho);
                arquivo.seekg(0, std::ios::beg);
                if (!arquivo.read(conteudo.get(), static_cast<std::streamsize>(tamanho))) {
                    erro = "it cannot be read";
                    return;
                }
                dados = conteudo.get();
            }
        } else if (tamanho == 0) {
            erro = "the file is empty";
            return;
        } else if (extensao == "obj") {
            conteudo = std::make_unique_for_overwrite<char[]>(tamanho + 1);
            std::memcpy(conteudo.get(), dados, tamanho);
            conteudo[tamanho] = '\0';
            dados = conteudo.get();
        }
        // An empty file is left to the import library, which says why it cannot read it.
        const bool rapidos = leitores == Leitores::todos && tamanho > 0;
        const std::size_t lidos = daMemoria || extensao == "ply" || extensao == "obj"
                                      ? tamanho
                                      : std::min(tamanho, kBytesIniciais);

        FusaoPontos fusao;
        if (threads > 0) {
            fusao.usarThreads(threads);
        }
        Leitura leitura = Leitura::outroLeitor;
        const bool ply = LeitorPly::pareceCabecalho(dados, std::min(lidos, kBytesIniciais));
        if (ply) {
            // The whole file is in memory whenever it starts as a PLY file does.
            const LeitorPly::Cabecalho cabecalho = LeitorPly::lerCabecalho(dados, tamanho);
            if (!cabecalho.problema.empty()) {
                erro = cabecalho.problema;
                return;
            }
            if (rapidos && extensao == "ply" && cabecalho.simples) {
                std::optional<Leitura> direta;
                if (tamanho >= LeitorPly::kRegistrosDiretos) {
                    direta = LeitorPly::lerRegistros(dados, cabecalho, fusao, aparencia, erro);
                }
                biblioteca = direta ? "direta" : "draco";
                leitura = direta ? *direta
                                 : LeitorPly::ler(dados, tamanho, cabecalho, fusao, aparencia, erro);
            } else if (rapidos && extensao == "ply" && cabecalho.nuvem) {
                biblioteca = "draco";
                leitura = LeitorPly::lerNuvem(dados, tamanho, cabecalho, primitivas, erro);
            }
        } else if (extensao == "stl") {
            erro = LeitorStl::verificar(dados, std::min(lidos, LeitorStl::kBytesIniciais), tamanho);
            if (!erro.empty()) {
                return;
            }
            if (rapidos && !daMemoria) {
                biblioteca = "admesh";
                leitura = LeitorStl::ler(caminho, dados, std::min(lidos, LeitorStl::kBytesIniciais),
                                         tamanho, fusao, erro);
            }
        } else if (extensao == "obj" && rapidos) {
            biblioteca = "tinyobjloader";
            leitura = LeitorObj::ler(dados, tamanho, fusao, erro);
        }
        if (leitura == Leitura::recusada) {
            return;
        }
        if (leitura == Leitura::outroLeitor) {
            // What a fast reader started is dropped: the import library reads the file afresh.
            fusao = FusaoPontos();
            aparencia.reset();
            primitivas = Primitivas();
            biblioteca = "assimp";
            LeitorAssimp::Leitura leitura;
            Importador::Desfecho desfecho;
            if (daMemoria || (ply && extensao == "ply")) {
                desfecho = LeitorAssimp::lerMemoria(dados, tamanho, extensao, caminho, isolamento,
                                                    fusao, leitura, primitivas);
            } else {
                conteudo.reset();
                desfecho =
                    LeitorAssimp::lerArquivo(caminho, isolamento, fusao, leitura, primitivas);
            }
            erro = std::move(desfecho.erro);
            erroNomeiaArquivo = desfecho.doProcesso;
            if (!erro.empty()) {
                return;
            }
            aparencia = std::move(leitura.aparencia);
            avisos = std::move(leitura.avisos);
            partes = std::move(leitura.partes);
        }
        if (fusao.getTriangulos().empty() && primitivas.vazia()) {
            erro = "it holds nothing to draw";
            return;
        }
        pontos = std::move(fusao.getPontos());
        triangulos = std::move(fusao.getTriangulos());
    } catch (const std::bad_alloc&) {
        erro = "there is not enough memory to read it";
    } catch (const std::length_error&) {
        erro = "there is not enough memory to read it";
    } catch (const std::invalid_argument& e) {
        erro = e.what();
    }
}

bool LeitorMalha::valida() const { return erro.empty(); }
bool LeitorMalha::abriu() const { return aberto; }
const std::string& LeitorMalha::getErro() const { return erro; }
bool LeitorMalha::getErroNomeiaArquivo() const { return erroNomeiaArquivo; }
const std::string& LeitorMalha::getBiblioteca() const { return biblioteca; }
std::vector<Ponto>& LeitorMalha::getPontos() { return pontos; }
std::vector<Triangulo>& LeitorMalha::getTriangulos() { return triangulos; }
std::vector<std::uint32_t>& LeitorMalha::getPartes() { return partes; }
Primitivas& LeitorMalha::getPrimitivas() { return primitivas; }
std::unique_ptr<Aparencia>& LeitorMalha::getAparencia() { return aparencia; }
const std::vector<std::string>& LeitorMalha::getAvisos() const { return avisos; }

}  // namespace gouraud::detail
