#include "LeitorAssimp.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
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
#include "TextoUtf16.h"

namespace gouraud::detail {

namespace {

// The steps the library runs once the scene is checked.
constexpr unsigned kPassos = aiProcess_Triangulate | aiProcess_PreTransformVertices;
// Beyond these the nodes place more than any file this viewer can draw: a node graph that uses
// a large mesh many times is refused before the library copies it for every use.
constexpr std::uint64_t kMaisNos = std::uint64_t{1} << 22;
constexpr std::uint64_t kMaisVerticesColocados = std::uint64_t{1} << 27;
constexpr unsigned kVerticesPorTriangulo = 3;
// Loose points and segments are counted in ints.
constexpr int kMaisPrimitivas = std::numeric_limits<int>::max();

std::string texto(std::uint64_t valor) { return std::to_string(valor); }

// Why the scene the library returned cannot be processed, or "".
std::string conferir(const aiScene& cena) {
    if (cena.mNumMeshes > 0 && cena.mMeshes == nullptr) {
        return "the library returned meshes without their list";
    }
    for (unsigned m = 0; m < cena.mNumMeshes; ++m) {
        const aiMesh* malha = cena.mMeshes[m];
        if (malha == nullptr || (malha->mNumVertices > 0 && malha->mVertices == nullptr) ||
            (malha->mNumFaces > 0 && malha->mFaces == nullptr)) {
            return "mesh " + texto(m) + " of the file is incomplete";
        }
        for (unsigned f = 0; f < malha->mNumFaces; ++f) {
            const aiFace& face = malha->mFaces[f];
            if (face.mNumIndices == 0 || face.mIndices == nullptr) {
                return "face " + texto(f) + " of mesh " + texto(m) + " has no corners";
            }
            for (unsigned k = 0; k < face.mNumIndices; ++k) {
                if (face.mIndices[k] >= malha->mNumVertices) {
                    return "face " + texto(f) + " of mesh " + texto(m) + " names vertex " +
                           texto(face.mIndices[k]) + ", but the mesh has " +
                           texto(malha->mNumVertices) + " vertices";
                }
            }
        }
    }
    for (unsigned i = 0; i < cena.mNumTextures; ++i) {
        if (cena.mTextures == nullptr || cena.mTextures[i] == nullptr) {
            return "an image the file holds is incomplete";
        }
    }
    if (cena.mRootNode == nullptr) {
        return "";
    }
    std::vector<const aiNode*> pendentes{cena.mRootNode};
    std::uint64_t visitados = 0;
    std::uint64_t colocados = 0;
    while (!pendentes.empty()) {
        const aiNode* no = pendentes.back();
        pendentes.pop_back();
        if (++visitados > kMaisNos) {
            return "the file has more than " + texto(kMaisNos) + " nodes";
        }
        if ((no->mNumMeshes > 0 && no->mMeshes == nullptr) ||
            (no->mNumChildren > 0 && no->mChildren == nullptr)) {
            return "a node of the file is incomplete";
        }
        for (unsigned k = 0; k < no->mNumMeshes; ++k) {
            if (no->mMeshes[k] >= cena.mNumMeshes) {
                return "a node names mesh " + texto(no->mMeshes[k]) + ", but the file has " +
                       texto(cena.mNumMeshes) + " meshes";
            }
            colocados += cena.mMeshes[no->mMeshes[k]]->mNumVertices;
            if (colocados > kMaisVerticesColocados) {
                return "the nodes of the file place more than " + texto(kMaisVerticesColocados) +
                       " vertices";
            }
        }
        for (unsigned k = 0; k < no->mNumChildren; ++k) {
            if (no->mChildren[k] == nullptr) {
                return "a node of the file is incomplete";
            }
            pendentes.push_back(no->mChildren[k]);
        }
    }
    return "";
}

// True when some mesh has a face.
bool temFaces(const aiScene& cena) {
    for (unsigned m = 0; m < cena.mNumMeshes; ++m) {
        if (cena.mMeshes[m]->mNumFaces > 0) {
            return true;
        }
    }
    return false;
}

// The first colour of vertex v of the mesh into `cor`, or null when the mesh has none.
const Primitivas::Terno* corDoVertice(const aiMesh& malha, unsigned v, Primitivas::Terno& cor) {
    if (malha.mColors[0] == nullptr) {
        return nullptr;
    }
    const aiColor4D& c = malha.mColors[0][v];
    cor = Primitivas::Terno{c.r, c.g, c.b};
    return &cor;
}

// Adds vertex v of the mesh as a loose point, with its normal, its first colour and the material
// `material` (-1 for none); the reason when its position is not finite.
std::string acrescentarPonto(const aiMesh& malha, unsigned v, std::int32_t material,
                             Primitivas& primitivas) {
    const aiVector3D& p = malha.mVertices[v];
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
        return "point " + texto(static_cast<std::uint64_t>(primitivas.getQuantPontos())) +
               " of the file's points is not finite: " + FusaoPontos::texto(p.x, p.y, p.z);
    }
    if (primitivas.getQuantPontos() == kMaisPrimitivas) {
        return "the file has more than " + texto(kMaisPrimitivas) + " points";
    }
    Primitivas::Terno normal{};
    const bool comNormal = malha.mNormals != nullptr;
    if (comNormal) {
        normal = Primitivas::Terno{malha.mNormals[v].x, malha.mNormals[v].y, malha.mNormals[v].z};
    }
    Primitivas::Terno cor{};
    primitivas.acrescentarPonto(Primitivas::Terno{p.x, p.y, p.z}, comNormal ? &normal : nullptr,
                                corDoVertice(malha, v, cor), material);
    return "";
}

// Adds the segment between vertices a and b of the mesh, with a's first colour and the material
// `material` (-1 for none); the reason when an end is not finite.
std::string acrescentarLinha(const aiMesh& malha, unsigned a, unsigned b, std::int32_t material,
                             Primitivas& primitivas) {
    for (const unsigned v : {a, b}) {
        const aiVector3D& p = malha.mVertices[v];
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            return "line " + texto(static_cast<std::uint64_t>(primitivas.getQuantLinhas())) +
                   " of the file's lines has an end that is not finite: " +
                   FusaoPontos::texto(p.x, p.y, p.z);
        }
    }
    if (primitivas.getQuantLinhas() == kMaisPrimitivas) {
        return "the file has more than " + texto(kMaisPrimitivas) + " lines";
    }
    const aiVector3D& p = malha.mVertices[a];
    const aiVector3D& q = malha.mVertices[b];
    Primitivas::Terno cor{};
    primitivas.acrescentarLinha(Primitivas::Terno{p.x, p.y, p.z}, Primitivas::Terno{q.x, q.y, q.z},
                                corDoVertice(malha, a, cor), material);
    return "";
}

// Drops the scene's cameras and lights, as the library's own steps drop what they replace.
void esquecerCamerasELuzes(const aiScene& lida) {
    // The importer owns the scene and lets its steps change it; this is one more such change.
    auto& cena = const_cast<aiScene&>(lida);
    for (unsigned i = 0; cena.mCameras != nullptr && i < cena.mNumCameras; ++i) {
        delete cena.mCameras[i];
    }
    delete[] cena.mCameras;
    cena.mCameras = nullptr;
    cena.mNumCameras = 0;
    for (unsigned i = 0; cena.mLights != nullptr && i < cena.mNumLights; ++i) {
        delete cena.mLights[i];
    }
    delete[] cena.mLights;
    cena.mLights = nullptr;
    cena.mNumLights = 0;
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

Aparencia::Repeticao repeticao(aiTextureMapMode modo) {
    switch (modo) {
        case aiTextureMapMode_Clamp:
        case aiTextureMapMode_Decal:
            return Aparencia::Repeticao::limitar;
        case aiTextureMapMode_Mirror:
            return Aparencia::Repeticao::espelhar;
        default:
            return Aparencia::Repeticao::repetir;
    }
}

// The textures of a file's materials, each read once however many materials name it.
class Texturas {
public:
    Texturas(const aiScene& cena, const Origem& origem, std::vector<std::string>& avisos)
        : cena(cena), avisos(avisos) {
        if (origem.pasta) {
            caminhos.emplace(*origem.pasta);
        }
    }

    // The number of the texture named `nome`, or -1 (with a warning, once) when it cannot be
    // read.
    std::int32_t obter(const std::string& nome) {
        const auto achada = numeros.find(nome);
        if (achada != numeros.end()) {
            return achada->second;
        }
        std::optional<Textura> textura;
        const std::string motivo = ler(nome, textura);
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
    std::string ler(const std::string& nome, std::optional<Textura>& textura) {
        if (const aiTexture* embutida = cena.GetEmbeddedTexture(nome.c_str())) {
            return lerEmbutida(*embutida, textura);
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

    // An image the file holds: compressed (mHeight 0, mWidth bytes) or as texels.
    static std::string lerEmbutida(const aiTexture& t, std::optional<Textura>& textura) {
        if (t.pcData == nullptr) {
            return "the file holds it without its data";
        }
        if (t.mHeight == 0) {
            return LeitorTextura::decodificar(reinterpret_cast<const unsigned char*>(t.pcData),
                                              t.mWidth, textura);
        }
        if (t.mWidth > static_cast<unsigned>(Textura::kMaiorLado) ||
            t.mHeight > static_cast<unsigned>(Textura::kMaiorLado)) {
            return "it is " + texto(t.mWidth) + " x " + texto(t.mHeight) + " texels, more than " +
                   texto(Textura::kMaiorLado) + " on a side";
        }
        const std::size_t quant = std::size_t{t.mWidth} * t.mHeight;
        std::vector<std::uint8_t> texels(3 * quant);
        for (std::size_t i = 0; i < quant; ++i) {
            texels[3 * i] = t.pcData[i].r;
            texels[3 * i + 1] = t.pcData[i].g;
            texels[3 * i + 2] = t.pcData[i].b;
        }
        textura.emplace(static_cast<int>(t.mWidth), static_cast<int>(t.mHeight), std::move(texels));
        return "";
    }

    const aiScene& cena;
    std::optional<CaminhoTextura> caminhos;
    std::vector<std::string>& avisos;
    std::map<std::string, std::int32_t> numeros;
    std::vector<Textura> lidas;
};

// What material m says, but its texture, which is only named (declaraTextura).
Aparencia::Material descrever(const aiMaterial& m) {
    Aparencia::Material material;
    aiString nome;
    if (m.Get(AI_MATKEY_NAME, nome) == AI_SUCCESS) {
        material.nome = nome.C_Str();
    }
    aiColor4D cor;
    if (m.Get(AI_MATKEY_BASE_COLOR, cor) == AI_SUCCESS ||
        m.Get(AI_MATKEY_COLOR_DIFFUSE, cor) == AI_SUCCESS) {
        material.temCor = true;
        material.cor = {cor.r, cor.g, cor.b};
    }
    material.declaraTextura = m.GetTextureCount(aiTextureType_BASE_COLOR) > 0 ||
                              m.GetTextureCount(aiTextureType_DIFFUSE) > 0;
    return material;
}

// Material m of the scene as the look keeps it, its texture read through `texturas`.
Aparencia::Material material(const aiMaterial& m, Texturas& texturas) {
    Aparencia::Material material = descrever(m);
    for (const aiTextureType tipo : {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE}) {
        aiString caminho;
        aiTextureMapMode modos[3] = {aiTextureMapMode_Wrap, aiTextureMapMode_Wrap,
                                     aiTextureMapMode_Wrap};
        if (m.GetTextureCount(tipo) == 0 || m.GetTexture(tipo, 0, &caminho, nullptr, nullptr,
                                                         nullptr, nullptr, modos) != AI_SUCCESS) {
            continue;
        }
        material.textura = texturas.obter(caminho.C_Str());
        material.repeticaoU = repeticao(modos[0]);
        material.repeticaoV = repeticao(modos[1]);
        break;
    }
    return material;
}

// Whether the scene says anything of the look of its triangles: a mesh with colours, or a
// material that is no stand-in of the library's (judged before its textures are read).
bool temAparencia(const aiScene& cena) {
    for (unsigned m = 0; m < cena.mNumMeshes; ++m) {
        if (cena.mMeshes[m]->mColors[0] != nullptr) {
            return true;
        }
    }
    for (unsigned i = 0; cena.mMaterials != nullptr && i < cena.mNumMaterials; ++i) {
        if (cena.mMaterials[i] != nullptr &&
            !CorObjeto::substituto(descrever(*cena.mMaterials[i]))) {
            return true;
        }
    }
    return false;
}

// The number of material m of the scene among `materiais`, or -1 for none.
std::int32_t numeroMaterial(unsigned m, const std::vector<Aparencia::Material>& materiais) {
    return m < materiais.size() ? static_cast<std::int32_t>(m) : -1;
}

// Checks the scene just read, runs the library's steps and gathers the triangles, with the
// look of the file when it has one, and the points and lines.
std::string extrair(Assimp::Importer& importador, const aiScene* lida, FusaoPontos& fusao,
                    const Origem& origem, std::unique_ptr<Aparencia>& aparencia,
                    std::vector<std::string>& avisos, Primitivas& primitivas) {
    if (lida == nullptr) {
        return importador.GetErrorString();
    }
    std::string problema = conferir(*lida);
    if (!problema.empty()) {
        return problema;
    }
    if (!temFaces(*lida)) {
        // A cloud of vertices: the library's steps would only say that nothing is left, as no
        // node places a mesh without faces. Every vertex is a point, where the file puts it,
        // with its mesh's material as the file describes it (a cloud's points take no texture).
        std::vector<Aparencia::Material> materiais;
        for (unsigned i = 0; lida->mMaterials != nullptr && i < lida->mNumMaterials; ++i) {
            materiais.push_back(lida->mMaterials[i] != nullptr ? descrever(*lida->mMaterials[i])
                                                               : Aparencia::Material{});
        }
        for (unsigned m = 0; m < lida->mNumMeshes; ++m) {
            const aiMesh& malha = *lida->mMeshes[m];
            for (unsigned v = 0; v < malha.mNumVertices; ++v) {
                problema = acrescentarPonto(
                    malha, v, numeroMaterial(malha.mMaterialIndex, materiais), primitivas);
                if (!problema.empty()) {
                    return problema;
                }
            }
        }
        primitivas.setMateriais(std::move(materiais));
        return "";
    }
    // The steps place cameras and lights too, and stop the program on one whose node is
    // missing; the picture has no use for them.
    esquecerCamerasELuzes(*importador.GetScene());
    const aiScene* cena = importador.ApplyPostProcessing(kPassos);
    if (cena == nullptr) {
        return importador.GetErrorString();
    }
    problema = conferir(*cena);
    if (!problema.empty()) {
        return problema;
    }
    std::size_t vertices = 0;
    std::size_t faces = 0;
    for (unsigned m = 0; m < cena->mNumMeshes; ++m) {
        vertices += cena->mMeshes[m]->mNumVertices;
        faces += cena->mMeshes[m]->mNumFaces;
    }
    fusao.reservar(vertices, faces);
    // The look, only for a file that has one: the others are read as they always were.
    std::optional<MontagemAparencia> montagem;
    std::optional<Texturas> texturas;
    std::vector<Aparencia::Material> materiais;
    if (temAparencia(*cena)) {
        montagem.emplace();
        montagem->reservar(vertices, faces);
        texturas.emplace(*cena, origem, avisos);
        for (unsigned i = 0; cena->mMaterials != nullptr && i < cena->mNumMaterials; ++i) {
            materiais.push_back(cena->mMaterials[i] != nullptr
                                    ? material(*cena->mMaterials[i], *texturas)
                                    : Aparencia::Material{});
        }
    }
    for (unsigned m = 0; m < cena->mNumMeshes; ++m) {
        const aiMesh& malha = *cena->mMeshes[m];
        fusao.novaFonte(malha.mNumVertices);
        if (montagem) {
            montagem->novaFonte(malha.mNumVertices,
                                malha.mMaterialIndex < materiais.size()
                                    ? static_cast<std::int32_t>(malha.mMaterialIndex)
                                    : -1);
        }
        const std::int32_t materialMalha = numeroMaterial(malha.mMaterialIndex, materiais);
        for (unsigned f = 0; f < malha.mNumFaces; ++f) {
            const aiFace& face = malha.mFaces[f];
            if (face.mNumIndices == 1) {
                problema = acrescentarPonto(malha, face.mIndices[0], materialMalha, primitivas);
            } else if (face.mNumIndices == 2) {
                problema = acrescentarLinha(malha, face.mIndices[0], face.mIndices[1],
                                            materialMalha, primitivas);
            }
            if (!problema.empty()) {
                return problema;
            }
            if (face.mNumIndices != kVerticesPorTriangulo) {
                continue;
            }
            int pontos[kVerticesPorTriangulo];
            std::int32_t variantes[kVerticesPorTriangulo];
            for (unsigned k = 0; k < kVerticesPorTriangulo; ++k) {
                const unsigned vertice = face.mIndices[k];
                int ponto = fusao.pontoDoVertice(vertice);
                if (ponto < 0) {
                    const aiVector3D& p = malha.mVertices[vertice];
                    ponto = fusao.darPonto(vertice, p.x, p.y, p.z);
                    if (ponto < 0) {
                        return fusao.getProblema();
                    }
                }
                pontos[k] = ponto;
                if (montagem) {
                    const aiColor4D* cor =
                        malha.mColors[0] != nullptr ? &malha.mColors[0][vertice] : nullptr;
                    const aiVector3D* uv = malha.mTextureCoords[0] != nullptr
                                               ? &malha.mTextureCoords[0][vertice]
                                               : nullptr;
                    const float rgb[3] = {cor != nullptr ? cor->r : 0.0f,
                                          cor != nullptr ? cor->g : 0.0f,
                                          cor != nullptr ? cor->b : 0.0f};
                    const float coordenadas[2] = {uv != nullptr ? uv->x : 0.0f,
                                                  uv != nullptr ? uv->y : 0.0f};
                    variantes[k] =
                        montagem->variante(vertice, ponto, cor != nullptr ? rgb : nullptr,
                                           uv != nullptr ? coordenadas : nullptr);
                }
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
        aparencia = montagem->concluir(static_cast<int>(fusao.getPontos().size()),
                                       std::move(materiais), std::move(texturas->getLidas()));
    }
    return "";
}

}  // namespace

std::string LeitorAssimp::lerArquivo(const std::string& caminho, FusaoPontos& fusao,
                                     std::unique_ptr<Aparencia>& aparencia,
                                     std::vector<std::string>& avisos, Primitivas& primitivas) {
    Assimp::Importer importador;
    // A UTF-16 text is given to the library as UTF-8, whose reading of it loses the text.
    std::string utf8;
    if (TextoUtf16::converterArquivo(caminho, utf8)) {
        const std::string extensao = std::filesystem::path(caminho).extension().string();
        return extrair(importador,
                       importador.ReadFileFromMemory(utf8.data(), utf8.size(), 0,
                                                     extensao.empty() ? "" : extensao.c_str() + 1),
                       fusao, origemDe(caminho), aparencia, avisos, primitivas);
    }
    return extrair(importador, importador.ReadFile(caminho, 0), fusao, origemDe(caminho), aparencia,
                   avisos, primitivas);
}

std::string LeitorAssimp::lerMemoria(const char* dados, std::size_t tamanho,
                                     const std::string& extensao, const std::string& caminho,
                                     FusaoPontos& fusao, std::unique_ptr<Aparencia>& aparencia,
                                     std::vector<std::string>& avisos, Primitivas& primitivas) {
    Assimp::Importer importador;
    std::string utf8;
    if (TextoUtf16::converter(reinterpret_cast<const unsigned char*>(dados), tamanho, utf8)) {
        dados = utf8.data();
        tamanho = utf8.size();
    }
    return extrair(importador, importador.ReadFileFromMemory(dados, tamanho, 0, extensao.c_str()),
                   fusao, origemDe(caminho), aparencia, avisos, primitivas);
}

}  // namespace gouraud::detail
