#include "ExtracaoAssimp.h"

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "TextoUtf16.h"

namespace gouraud::detail {

namespace {

// The steps the library runs once the scene is checked.
constexpr unsigned kPassos = aiProcess_Triangulate | aiProcess_PreTransformVertices;
// Beyond these the nodes place more than any file this viewer can draw: a node graph that uses
// a large mesh many times is refused before the library copies it for every use.
constexpr std::uint64_t kMaisNos = std::uint64_t{1} << 22;
constexpr std::uint64_t kMaisVerticesColocados = std::uint64_t{1} << 27;
// The corners of the faces the gathering reads: points, lines and triangles.
constexpr unsigned kMaisCantos = 3;

static_assert(sizeof(aiVector3D) == 3 * sizeof(float), "positions are copied as floats");
static_assert(sizeof(aiTexel) == 4, "texels are copied as 4 bytes");

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

// What material m of the scene says: its name, its base colour (or else diffuse colour), whether
// it declares a texture of those kinds, and, when `comTextura`, the first of them the library
// gives, with the image of the file that texture's name refers to.
ModeloImportado::Material descrever(const aiScene& cena, const aiMaterial& m, bool comTextura) {
    ModeloImportado::Material material;
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
    if (!comTextura) {
        return material;
    }
    for (const aiTextureType tipo : {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE}) {
        aiString caminho;
        aiTextureMapMode modos[3] = {aiTextureMapMode_Wrap, aiTextureMapMode_Wrap,
                                     aiTextureMapMode_Wrap};
        if (m.GetTextureCount(tipo) == 0 || m.GetTexture(tipo, 0, &caminho, nullptr, nullptr,
                                                         nullptr, nullptr, modos) != AI_SUCCESS) {
            continue;
        }
        material.temTextura = true;
        material.textura = caminho.C_Str();
        material.modoU = static_cast<std::uint32_t>(modos[0]);
        material.modoV = static_cast<std::uint32_t>(modos[1]);
        material.embutida = cena.GetEmbeddedTextureAndIndex(material.textura.c_str()).second;
        break;
    }
    return material;
}

// The scene's materials, a missing one as absent; their textures when `comTexturas`.
void descreverMateriais(const aiScene& cena, bool comTexturas, ModeloImportado& modelo) {
    for (unsigned i = 0; cena.mMaterials != nullptr && i < cena.mNumMaterials; ++i) {
        if (cena.mMaterials[i] != nullptr) {
            modelo.materiais.push_back(descrever(cena, *cena.mMaterials[i], comTexturas));
        } else {
            ModeloImportado::Material ausente;
            ausente.presente = false;
            modelo.materiais.push_back(std::move(ausente));
        }
    }
}

// The images the scene holds, as it stores them.
void copiarTexturas(const aiScene& cena, ModeloImportado& modelo) {
    for (unsigned i = 0; i < cena.mNumTextures; ++i) {
        const aiTexture& t = *cena.mTextures[i];
        ModeloImportado::TexturaEmbutida textura;
        textura.largura = t.mWidth;
        textura.altura = t.mHeight;
        textura.temDados = t.pcData != nullptr;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(t.pcData);
        if (textura.temDados && t.mHeight == 0) {
            textura.bytes.assign(bytes, bytes + t.mWidth);
        } else if (textura.temDados && t.mWidth <= ModeloImportado::kMaiorLadoTexels &&
                   t.mHeight <= ModeloImportado::kMaiorLadoTexels) {
            textura.bytes.assign(bytes, bytes + std::size_t{4} * t.mWidth * t.mHeight);
        }
        modelo.texturas.push_back(std::move(textura));
    }
}

// The positions, and the normals and first colours when `comNormais` and the mesh has them, of
// mesh m of the scene; its texture coordinates too when `comUv`.
ModeloImportado::Malha copiarVertices(const aiMesh& malha, bool comNormais, bool comUv) {
    ModeloImportado::Malha copia;
    const std::size_t n = malha.mNumVertices;
    copia.material = malha.mMaterialIndex;
    const auto* posicoes = reinterpret_cast<const float*>(malha.mVertices);
    copia.posicoes.assign(posicoes, posicoes + 3 * n);
    copia.temNormais = comNormais && malha.mNormals != nullptr;
    if (copia.temNormais) {
        const auto* normais = reinterpret_cast<const float*>(malha.mNormals);
        copia.normais.assign(normais, normais + 3 * n);
    }
    copia.temCores = malha.mColors[0] != nullptr;
    if (copia.temCores) {
        copia.cores.resize(3 * n);
        for (std::size_t v = 0; v < n; ++v) {
            const aiColor4D& c = malha.mColors[0][v];
            copia.cores[3 * v] = c.r;
            copia.cores[3 * v + 1] = c.g;
            copia.cores[3 * v + 2] = c.b;
        }
    }
    copia.temUv = comUv && malha.mTextureCoords[0] != nullptr;
    if (copia.temUv) {
        copia.uv.resize(2 * n);
        for (std::size_t v = 0; v < n; ++v) {
            copia.uv[2 * v] = malha.mTextureCoords[0][v].x;
            copia.uv[2 * v + 1] = malha.mTextureCoords[0][v].y;
        }
    }
    return copia;
}

// Whether the mesh has a face of one corner: a point, which takes its vertex's normal.
bool temPontos(const aiMesh& malha) {
    for (unsigned f = 0; f < malha.mNumFaces; ++f) {
        if (malha.mFaces[f].mNumIndices == 1) {
            return true;
        }
    }
    return false;
}

// Mesh m of the processed scene: its vertices and its faces of one to three corners, in order.
ModeloImportado::Malha copiarMalha(const aiMesh& malha) {
    ModeloImportado::Malha copia = copiarVertices(malha, temPontos(malha), true);
    copia.cantos.reserve(malha.mNumFaces);
    copia.indices.reserve(std::size_t{kMaisCantos} * malha.mNumFaces);
    for (unsigned f = 0; f < malha.mNumFaces; ++f) {
        const aiFace& face = malha.mFaces[f];
        if (face.mNumIndices > kMaisCantos) {
            continue;
        }
        copia.cantos.push_back(static_cast<std::uint8_t>(face.mNumIndices));
        copia.indices.insert(copia.indices.end(), face.mIndices, face.mIndices + face.mNumIndices);
    }
    return copia;
}

// Checks the scene just read, runs the library's steps and copies what is left into `modelo`.
std::string extrair(Assimp::Importer& importador, const aiScene* lida, ModeloImportado& modelo) {
    modelo = ModeloImportado{};
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
        // with its mesh's material, whose texture a point does not take.
        modelo.nuvem = true;
        descreverMateriais(*lida, false, modelo);
        for (unsigned m = 0; m < lida->mNumMeshes; ++m) {
            modelo.malhas.push_back(copiarVertices(*lida->mMeshes[m], true, false));
        }
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
    descreverMateriais(*cena, true, modelo);
    copiarTexturas(*cena, modelo);
    modelo.malhas.reserve(cena->mNumMeshes);
    for (unsigned m = 0; m < cena->mNumMeshes; ++m) {
        modelo.malhas.push_back(copiarMalha(*cena->mMeshes[m]));
    }
    return "";
}

}  // namespace

std::string ExtracaoAssimp::lerArquivo(const std::string& caminho, ModeloImportado& modelo) {
    Assimp::Importer importador;
    // A UTF-16 text is given to the library as UTF-8, whose reading of it loses the text.
    std::string utf8;
    if (TextoUtf16::converterArquivo(caminho, utf8)) {
        const std::string extensao = std::filesystem::path(caminho).extension().string();
        return extrair(importador,
                       importador.ReadFileFromMemory(utf8.data(), utf8.size(), 0,
                                                     extensao.empty() ? "" : extensao.c_str() + 1),
                       modelo);
    }
    return extrair(importador, importador.ReadFile(caminho, 0), modelo);
}

std::string ExtracaoAssimp::lerMemoria(const char* dados, std::size_t tamanho,
                                       const std::string& extensao, ModeloImportado& modelo) {
    Assimp::Importer importador;
    std::string utf8;
    if (TextoUtf16::converter(reinterpret_cast<const unsigned char*>(dados), tamanho, utf8)) {
        dados = utf8.data();
        tamanho = utf8.size();
    }
    return extrair(importador, importador.ReadFileFromMemory(dados, tamanho, 0, extensao.c_str()),
                   modelo);
}

std::vector<std::string> ExtracaoAssimp::extensoes() {
    // The library lists them as "*.3ds;*.obj;...".
    std::string lista;
    Assimp::Importer().GetExtensionList(lista);
    std::vector<std::string> nomes;
    std::size_t inicio = 0;
    while (inicio < lista.size()) {
        std::size_t fim = lista.find(';', inicio);
        if (fim == std::string::npos) {
            fim = lista.size();
        }
        std::string nome = lista.substr(inicio, fim - inicio);
        if (nome.rfind("*.", 0) == 0) {
            nome.erase(0, 2);
        }
        std::transform(nome.begin(), nome.end(), nome.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (!nome.empty()) {
            nomes.push_back(std::move(nome));
        }
        inicio = fim + 1;
    }
    std::sort(nomes.begin(), nomes.end());
    nomes.erase(std::unique(nomes.begin(), nomes.end()), nomes.end());
    return nomes;
}

}  // namespace gouraud::detail
