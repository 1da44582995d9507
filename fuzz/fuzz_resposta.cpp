// Feeds arbitrary bytes to the parent's reading of an answer of the child process that reads
// files with the import library (Resposta::ler), as a hostile child could write them. Whatever
// is taken for a model is then gathered as a file's model is (LeitorAssimp::reunir: the merge
// of the triangles, their look with the images the answer holds, decoded, and the loose points
// and lines), and what comes out is held to the reader's promises: triangles over the points
// there are, one part per triangle naming a mesh of the answer, a look for exactly those
// triangles, finite points and lines. Nothing may read past the bytes given, nor allocate more
// than they can justify.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FusaoPontos.h"
#include "LeitorAssimp.h"
#include "Primitivas.h"
#include "Resposta.h"

using namespace gouraud::detail;

namespace {

void exigir(bool condicao, const char* promessa) {
    if (!condicao) {
        std::fprintf(stderr, "fuzz_resposta: broken promise: %s\n", promessa);
        std::abort();
    }
}

bool finito(const Primitivas::Terno& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    Resposta::Lida lida;
    if (!Resposta::ler(dados, tamanho, lida).empty() || lida.tipo != Resposta::Tipo::modelo) {
        return 0;
    }
    const ModeloImportado& modelo = lida.modelo;
    for (const ModeloImportado::Malha& malha : modelo.malhas) {
        for (const std::uint32_t v : malha.indices) {
            exigir(v < malha.quantVertices(), "every corner names a vertex of its mesh");
        }
    }
    FusaoPontos fusao;
    LeitorAssimp::Leitura leitura;
    Primitivas primitivas;
    if (!LeitorAssimp::reunir(modelo, "", fusao, leitura, primitivas).empty()) {
        return 0;
    }
    const auto quantPontos = static_cast<int>(fusao.getPontos().size());
    for (const Triangulo& t : fusao.getTriangulos()) {
        exigir(t.indiceP1 >= 0 && t.indiceP1 < quantPontos && t.indiceP2 >= 0 &&
                   t.indiceP2 < quantPontos && t.indiceP3 >= 0 && t.indiceP3 < quantPontos,
               "every triangle is over points there are");
    }
    exigir(leitura.partes.empty() || leitura.partes.size() == fusao.getTriangulos().size(),
           "one part per triangle, or none");
    for (const std::uint32_t parte : leitura.partes) {
        exigir(parte < modelo.malhas.size(), "every part names a mesh");
    }
    if (leitura.aparencia) {
        exigir(leitura.aparencia->getQuantTriangulos() ==
                   static_cast<int>(fusao.getTriangulos().size()),
               "the look is of exactly the triangles");
    }
    for (int i = 0; i < primitivas.getQuantPontos(); ++i) {
        exigir(finito(primitivas.getPosicao(i)), "every point is finite");
    }
    for (const Primitivas::Terno& p : primitivas.getExtremos()) {
        exigir(finito(p), "every end of a line is finite");
    }
    return 0;
}
