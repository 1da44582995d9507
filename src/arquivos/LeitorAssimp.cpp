#include "LeitorAssimp.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

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

// The first colour of vertex v of the mesh, or null when the mesh has none.
const Primitivas::Terno* corDoVertice(const aiMesh& malha, unsigned v, Primitivas::Terno& cor) {
    if (malha.mColors[0] == nullptr) {
        return nullptr;
    }
    const aiColor4D& c = malha.mColors[0][v];
    cor = Primitivas::Terno{c.r, c.g, c.b};
    return &cor;
}

// Adds vertex v of the mesh as a loose point, with its normal and its first colour; the reason
// when its position is not finite.
std::string acrescentarPonto(const aiMesh& malha, unsigned v, Primitivas& primitivas) {
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
                                corDoVertice(malha, v, cor));
    return "";
}

// Adds the segment between vertices a and b of the mesh, with a's first colour; the reason when
// an end is not finite.
std::string acrescentarLinha(const aiMesh& malha, unsigned a, unsigned b, Primitivas& primitivas) {
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
                                corDoVertice(malha, a, cor));
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

// Checks the scene just read, runs the library's steps and gathers the triangles, the points and
// the lines.
std::string extrair(Assimp::Importer& importador, const aiScene* lida, FusaoPontos& fusao,
                    Primitivas& primitivas) {
    if (lida == nullptr) {
        return importador.GetErrorString();
    }
    std::string problema = conferir(*lida);
    if (!problema.empty()) {
        return problema;
    }
    if (!temFaces(*lida)) {
        // A cloud of vertices: the library's steps would only say that nothing is left, as no
        // node places a mesh without faces. Every vertex is a point, where the file puts it.
        for (unsigned m = 0; m < lida->mNumMeshes; ++m) {
            const aiMesh& malha = *lida->mMeshes[m];
            for (unsigned v = 0; v < malha.mNumVertices; ++v) {
                problema = acrescentarPonto(malha, v, primitivas);
                if (!problema.empty()) {
                    return problema;
                }
            }
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
    std::size_t vertices = 0;
    std::size_t faces = 0;
    for (unsigned m = 0; m < cena->mNumMeshes; ++m) {
        vertices += cena->mMeshes[m]->mNumVertices;
        faces += cena->mMeshes[m]->mNumFaces;
    }
    fusao.reservar(vertices, faces);
    for (unsigned m = 0; m < cena->mNumMeshes; ++m) {
        const aiMesh& malha = *cena->mMeshes[m];
        fusao.novaFonte(malha.mNumVertices);
        for (unsigned f = 0; f < malha.mNumFaces; ++f) {
            const aiFace& face = malha.mFaces[f];
            if (face.mNumIndices == 1) {
                problema = acrescentarPonto(malha, face.mIndices[0], primitivas);
            } else if (face.mNumIndices == 2) {
                problema = acrescentarLinha(malha, face.mIndices[0], face.mIndices[1], primitivas);
            }
            if (!problema.empty()) {
                return problema;
            }
            if (face.mNumIndices != kVerticesPorTriangulo) {
                continue;
            }
            int pontos[kVerticesPorTriangulo];
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
            }
            fusao.triangulo(pontos[0], pontos[1], pontos[2]);
        }
    }
    return "";
}

}  // namespace

std::string LeitorAssimp::lerArquivo(const std::string& caminho, FusaoPontos& fusao,
                                     Primitivas& primitivas) {
    Assimp::Importer importador;
    return extrair(importador, importador.ReadFile(caminho, 0), fusao, primitivas);
}

std::string LeitorAssimp::lerMemoria(const char* dados, std::size_t tamanho,
                                     const std::string& extensao, FusaoPontos& fusao,
                                     Primitivas& primitivas) {
    Assimp::Importer importador;
    return extrair(importador, importador.ReadFileFromMemory(dados, tamanho, 0, extensao.c_str()),
                   fusao, primitivas);
}
