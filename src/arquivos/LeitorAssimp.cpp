#include "LeitorAssimp.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <map>
#include <new>
#include <optional>
#include <vector>

#include "CaminhoTextura.h"
#include "CorObjeto.h"
#include "LeitorTextura.h"
#include "MontagemAparencia.h"

namespace gouraud::detail {

namespace {

using Malha = ModeloImportado::Malha;

constexpr unsigned kVerticesPorTriangulo = 3;
// Loose points and segments are counted in ints.
constexpr int kMaisPrimitivas = std::numeric_limits<int>::max();

static_assert(ModeloImportado::kMaiorLadoTexels == Textura::kMaiorLado,
              "the answer carries the texels of every image the gathering takes");

std::string texto(std::uint64_t valor) { return std::to_string(valor); }

// The first colour of vertex v of the mesh into `cor`, or null when the mesh has none.
const Primitivas::Terno* corDoVertice(const Malha& malha, std::uint32_t v, Primitivas::Terno& cor) {
    if (!malha.temCores) {
        return nullptr;
    }
    const float* c = &malha.cores[3 * std::size_t{v}];
    cor = Primitivas::Terno{c[0], c[1], c[2]};
    return &cor;
}

// The position of vertex v of the mesh.
Primitivas::Terno posicao(const Malha& malha, std::uint32_t v) {
    const float* p = &malha.posicoes[3 * std::size_t{v}];
    return Primitivas::Terno{p[0], p[1], p[2]};
}

bool finito(const Primitivas::Terno& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Adds vertex v of the mesh as a loose point, with its normal, its first colour and the material
// `material` (-1 for none); the reason when its position is not finite.
std::string acrescentarPonto(const Malha& malha, std::uint32_t v, std::int32_t material,
                             Primitivas& primitivas) {
    const Primitivas::Terno p = posicao(malha, v);
    if (!finito(p)) {
        return "point " + texto(static_cast<std::uint64_t>(primitivas.getQuantPontos())) +
               " of the file's points is not finite: " + FusaoPontos::texto(p.x, p.y, p.z);
    }
    if (primitivas.getQuantPontos() == kMaisPrimitivas) {
        return "the file has more than " + texto(kMaisPrimitivas) + " points";
    }
    Primitivas::Terno normal{};
    if (malha.temNormais) {
        const float* n = &malha.normais[3 * std::size_t{v}];
        normal = Primitivas::Terno{n[0], n[1], n[2]};
    }
    Primitivas::Terno cor{};
    primitivas.acrescentarPonto(p, malha.temNormais ? &normal : nullptr,
                                corDoVertice(malha, v, cor), material);
    return "";
}

// Adds the segment between vertices a and b of the mesh, with a's first colour and the material
// `material` (-1 for none); the reason when an end is not finite.
std::string acrescentarLinha(const Malha& malha, std::uint32_t a, std::uint32_t b,
                             std::int32_t material, Primitivas& primitivas) {
    for (const std::uint32_t v : {a, b}) {
        const Primitivas::Terno p = posicao(malha, v);
        if (!finito(p)) {
            return "line " + texto(static_cast<std::uint64_t>(primitivas.getQuantLinhas())) +
                   " of the file's lines has an end that is not finite: " +
                   FusaoPontos::texto(p.x, p.y, p.z);
        }
    }
    if (primitivas.getQuantLinhas() == kMaisPrimitivas) {
        return "the file has more than " + texto(kMaisPrimitivas) + " lines";
    }
    Primitivas::Terno cor{};
    primitivas.acrescentarLinha(posicao(malha, a), posicao(malha, b), corDoVertice(malha, a, cor),
                                material);
    return "";
}

// Where the textures a file names are found: beside the file, or nowhere for one read from
// memory.
struct Origem {
    std::optional<std::filesystem::path> pasta;
};

// The textures of the file `caminho` are beside it; "" names no file.
Origem origemDe(const std::string& caminho) {
    if (caminho.empty()) {
        return Origem{};
    }
    return Origem{std::filesystem::path(caminho).parent_path()};
}

// The library's aiTextureMapMode values.
constexpr std::uint32_t kModoLimitar = 1;
constexpr std::uint32_t kModoEspelhar = 2;
constexpr std::uint32_t kModoDecalque = 3;

Aparencia::Repeticao repeticao(std::uint32_t modo) {
    switch (modo) {
        case kModoLimitar:
        case kModoDecalque:
            return Aparencia::Repeticao::limitar;
        case kModoEspelhar:
            return Aparencia::Repeticao::espelhar;
        default:
            return Aparencia::Repeticao::repetir;
    }
}

// The textures of a file's materials, each read once however many materials name it.
class Texturas {
public:
    Texturas(const ModeloImportado& modelo, const Origem& origem, std::vector<std::string>& avisos)
        : modelo(modelo), avisos(avisos) {
        if (origem.pasta) {
            caminhos.emplace(*origem.pasta);
        }
    }

    // The number of the texture named `nome`, the image `embutida` of the file (-1 for none),
    // or -1 (with a warning, once) when it cannot be read.
    std::int32_t obter(const std::string& nome, std::int32_t embutida) {
        const auto achada = numeros.find(nome);
        if (achada != numeros.end()) {
            return achada->second;
        }
        std::optional<Textura> textura;
        const std::string motivo = ler(nome, embutida, textura);
        std::int32_t numero = -1;
        if (motivo.empty()) {
            numero = static_cast<std::int32_t>(lidas.size());
            lidas.push_back(std::move(*textura));
        } else {
            avisos.push_back("texture " + nome + " is not drawn: " + motivo);
        }
        numeros.emplace(nome, numero);
        return numero;
    }

    std::vector<Textura>& getLidas() { return lidas; }

private:
    std::string ler(const std::string& nome, std::int32_t embutida,
                    std::optional<Textura>& textura) {
        if (embutida >= 0) {
            return lerEmbutida(modelo.texturas[static_cast<std::size_t>(embutida)], textura);
        }
        if (!nome.empty() && nome[0] == '*') {
            return "the file holds no such texture";
        }
        if (!caminhos) {
            return "files beside a mesh read from memory are not found";
        }
        const CaminhoTextura::Achado achado = caminhos->procurar(nome);
        if (!achado.aviso.empty()) {
            avisos.push_back(achado.aviso);
        }
        return achado.problema.empty() ? LeitorTextura::lerArquivo(achado.arquivo, textura)
                                       : achado.problema;
    }

    // An image the file holds: compressed (altura 0, largura bytes) or as texels.
    static std::string lerEmbutida(const ModeloImportado::TexturaEmbutida& t,
                                   std::optional<Textura>& textura) {
        if (!t.temDados) {
            return "the file holds it without its data";
        }
        if (t.altura == 0) {
            return LeitorTextura::decodificar(t.bytes.data(), t.bytes.size(), textura);
        }
        if (t.largura > static_cast<unsigned>(Textura::kMaiorLado) ||
            t.altura > static_cast<unsigned>(Textura::kMaiorLado)) {
            return "it is " + texto(t.largura) + " x " + texto(t.altura) + " texels, more than " +
                   texto(Textura::kMaiorLado) + " on a side";
        }
        // Texels as the file stores them: blue, green, red, alpha.
        const std::size_t quant = std::size_t{t.largura} * t.altura;
        std::vector<std::uint8_t> texels(3 * quant);
        for (std::size_t i = 0; i < quant; ++i) {
            texels[3 * i] = t.bytes[4 * i + 2];
            texels[3 * i + 1] = t.bytes[4 * i + 1];
            texels[3 * i + 2] = t.bytes[4 * i];
        }
        textura.emplace(static_cast<int>(t.largura), static_cast<int>(t.altura), std::move(texels));
        return "";
    }

    const ModeloImportado& modelo;
    // Where the files the model names are found, for a model read from a file.
    std::optional<CaminhoTextura> caminhos;
    std::vector<std::string>& avisos;
    std::map<std::string, std::int32_t> numeros;
    std::vector<Textura> lidas;
};

// What material m says, but its texture, which is only named (declaraTextura).
Aparencia::Material descrever(const ModeloImportado::Material& m) {
    Aparencia::Material material;
    if (!m.presente) {
        return material;
    }
    material.nome = m.nome;
    material.temCor = m.temCor;
    material.cor = m.cor;
    material.declaraTextura = m.declaraTextura;
    return material;
}

// Material m of the file as the look keeps it, its texture read through `texturas`.
Aparencia::Material material(const ModeloImportado::Material& m, Texturas& texturas) {
    Aparencia::Material material = descrever(m);
    if (m.presente && m.temTextura) {
        material.textura = texturas.obter(m.textura, m.embutida);
        material.repeticaoU = repeticao(m.modoU);
        material.repeticaoV = repeticao(m.modoV);
    }
    return material;
}

// Whether the file says anything of the look of its triangles: a mesh with colours, or a
// material that is no stand-in of the library's (judged before its textures are read).
bool temAparencia(const ModeloImportado& modelo) {
    for (const Malha& malha : modelo.malhas) {
        if (malha.temCores) {
            return true;
        }
    }
    for (const ModeloImportado::Material& m : modelo.materiais) {
        if (m.presente && !CorObjeto::substituto(descrever(m))) {
            return true;
        }
    }
    return false;
}

// The number of material m of the file among `materiais`, or -1 for none.
std::int32_t numeroMaterial(std::uint32_t m, const std::vector<Aparencia::Material>& materiais) {
    return m < materiais.size() ? static_cast<std::int32_t>(m) : -1;
}

// A cloud of vertices: every vertex is a point, where the file puts it, with its mesh's material
// as the file describes it (a cloud's points take no texture).
std::string reunirNuvem(const ModeloImportado& modelo, Primitivas& primitivas) {
    std::vector<Aparencia::Material> materiais;
    for (const ModeloImportado::Material& m : modelo.materiais) {
        materiais.push_back(descrever(m));
    }
    for (const Malha& malha : modelo.malhas) {
        const std::int32_t material = numeroMaterial(malha.material, materiais);
        const auto quant = static_cast<std::uint32_t>(malha.quantVertices());
        for (std::uint32_t v = 0; v < quant; ++v) {
            std::string problema = acrescentarPonto(malha, v, material, primitivas);
            if (!problema.empty()) {
                return problema;
            }
        }
    }
    primitivas.setMateriais(std::move(materiais));
    return "";
}

// Gathers the triangles, with the look of the file when it has one, and the points and lines.
std::string reunirFaces(const ModeloImportado& modelo, const Origem& origem, FusaoPontos& fusao,
                        LeitorAssimp::Leitura& leitura, Primitivas& primitivas) {
    std::size_t vertices = 0;
    std::size_t faces = 0;
    for (const Malha& malha : modelo.malhas) {
        vertices += malha.quantVertices();
        faces += malha.cantos.size();
    }
    fusao.reservar(vertices, faces);
    // The look, only for a file that has one: the others are read as they always were.
    std::optional<MontagemAparencia> montagem;
    std::optional<Texturas> texturas;
    std::vector<Aparencia::Material> materiais;
    if (temAparencia(modelo)) {
        montagem.emplace();
        montagem->reservar(vertices, faces);
        texturas.emplace(modelo, origem, leitura.avisos);
        for (const ModeloImportado::Material& m : modelo.materiais) {
            materiais.push_back(material(m, *texturas));
        }
    }
    std::vector<std::uint32_t>& partes = leitura.partes;
    for (std::size_t m = 0; m < modelo.malhas.size(); ++m) {
        const Malha& malha = modelo.malhas[m];
        fusao.novaFonte(malha.quantVertices());
        const std::int32_t materialMalha = numeroMaterial(malha.material, materiais);
        if (montagem) {
            montagem->novaFonte(malha.quantVertices(), materialMalha);
        }
        std::size_t canto = 0;
        for (const std::uint8_t cantos : malha.cantos) {
            const std::uint32_t* face = &malha.indices[canto];
            canto += cantos;
            std::string problema;
            if (cantos == 1) {
                problema = acrescentarPonto(malha, face[0], materialMalha, primitivas);
            } else if (cantos == 2) {
                problema = acrescentarLinha(malha, face[0], face[1], materialMalha, primitivas);
            }
            if (!problema.empty()) {
                return problema;
            }
            if (cantos != kVerticesPorTriangulo) {
                continue;
            }
            int pontos[kVerticesPorTriangulo];
            std::int32_t variantes[kVerticesPorTriangulo];
            for (unsigned k = 0; k < kVerticesPorTriangulo; ++k) {
                const std::uint32_t vertice = face[k];
                int ponto = fusao.pontoDoVertice(vertice);
                if (ponto < 0) {
                    const float* p = &malha.posicoes[3 * std::size_t{vertice}];
                    ponto = fusao.darPonto(vertice, p[0], p[1], p[2]);
                    if (ponto < 0) {
                        return fusao.getProblema();
                    }
                }
                pontos[k] = ponto;
                if (montagem) {
                    const float* cor = malha.temCores ? &malha.cores[3 * std::size_t{vertice}]
                                                      : nullptr;
                    const float* uv = malha.temUv ? &malha.uv[2 * std::size_t{vertice}] : nullptr;
                    variantes[k] = montagem->variante(vertice, ponto, cor, uv);
                }
            }
            // Parts are kept from the first triangle of a mesh after the first on.
            if (m > 0 && partes.empty()) {
                partes.assign(fusao.getTriangulos().size(), 0);
            }
            if (!partes.empty()) {
                partes.push_back(static_cast<std::uint32_t>(m));
            }
            fusao.triangulo(pontos[0], pontos[1], pontos[2]);
            if (montagem) {
                montagem->triangulo(variantes[0], variantes[1], variantes[2]);
            }
        }
    }
    if (montagem) {
        if (!primitivas.vazia()) {
            primitivas.setMateriais(materiais);
        }
        leitura.aparencia = montagem->concluir(static_cast<int>(fusao.getPontos().size()),
                                               std::move(materiais),
                                               std::move(texturas->getLidas()));
    }
    return "";
}

// Gathers what the library read, when it read the file.
Importador::Desfecho depois(Importador::Desfecho desfecho, const ModeloImportado& modelo,
                            const std::string& caminho, FusaoPontos& fusao,
                            LeitorAssimp::Leitura& leitura, Primitivas& primitivas) {
    if (desfecho.erro.empty()) {
        desfecho.erro = LeitorAssimp::reunir(modelo, caminho, fusao, leitura, primitivas);
    }
    return desfecho;
}

}  // namespace

std::string LeitorAssimp::reunir(const ModeloImportado& modelo, const std::string& caminho,
                                 FusaoPontos& fusao, Leitura& leitura, Primitivas& primitivas) {
    if (modelo.nuvem) {
        return reunirNuvem(modelo, primitivas);
    }
    return reunirFaces(modelo, origemDe(caminho), fusao, leitura, primitivas);
}

Importador::Desfecho LeitorAssimp::lerArquivo(const std::string& caminho,
                                              const Isolamento& isolamento, FusaoPontos& fusao,
                                              Leitura& leitura, Primitivas& primitivas) {
    ModeloImportado modelo;
    return depois(Importador::lerArquivo(caminho, isolamento, modelo), modelo, caminho, fusao,
                  leitura, primitivas);
}

Importador::Desfecho LeitorAssimp::lerMemoria(const char* dados, std::size_t tamanho,
                                              const std::string& extensao,
                                              const std::string& caminho,
                                              const Isolamento& isolamento, FusaoPontos& fusao,
                                              Leitura& leitura, Primitivas& primitivas) {
    ModeloImportado modelo;
    const std::string nome = caminho.empty() ? "a ." + extensao + " file in memory" : caminho;
    return depois(Importador::lerMemoria(dados, tamanho, extensao, nome, isolamento, modelo),
                  modelo, caminho, fusao, leitura, primitivas);
}

}  // namespace gouraud::detail
