#include "EstagioVertices.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "Par.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// floor(v) for |v| < 2^31: conversion truncates towards zero, one comparison corrects it.
std::int32_t piso(double v) {
    const auto t = static_cast<std::int32_t>(v);
    return t - (v < t ? 1 : 0);
}

}  // namespace

EstagioVertices::EstagioVertices(const Malha& malha) {
    // Points are renumbered in the order the triangles first name them: consecutive triangles
    // then read nearby records, and points no triangle names are left out of the vertex stage.
    const int triangulos = malha.getQuantTriangulos();
    std::vector<std::int32_t> novoIndice(static_cast<std::size_t>(malha.getQuantPontos()), -1);
    std::vector<int> ordem;
    indices.resize(static_cast<std::size_t>(triangulos) * 3);
    for (int i = 0; i < triangulos; ++i) {
        const Triangulo& t = malha.getTriangulos()[i];
        const int cantos[] = {t.indiceP1, t.indiceP2, t.indiceP3};
        for (int k = 0; k < 3; ++k) {
            std::int32_t& novo = novoIndice[static_cast<std::size_t>(cantos[k])];
            if (novo < 0) {
                novo = static_cast<std::int32_t>(ordem.size());
                ordem.push_back(cantos[k]);
            }
            indices[static_cast<std::size_t>(i) * 3 + static_cast<std::size_t>(k)] = novo;
        }
    }
    // The vertex stage then reads each point and its normal front to back.
    pontos.reserve(ordem.size());
    normais.reserve(ordem.size());
    comNormal.reserve(ordem.size());
    for (const int i : ordem) {
        const Vetor* normal = malha.getNormal(i);
        pontos.push_back(malha.getPontos()[i]);
        normais.push_back(normal != nullptr ? *normal : Vetor(0.0, 0.0, 0.0));
        comNormal.push_back(normal != nullptr ? 1 : 0);
    }
    vertices.resize(ordem.size());
    grossas.resize(ordem.size());
    exatas.resize(ordem.size());
}

int EstagioVertices::getQuantPontos() const { return static_cast<int>(pontos.size()); }

int EstagioVertices::getQuantLotes() const {
    return (static_cast<int>(pontos.size()) + kPorLote - 1) / kPorLote;
}

const std::int32_t* EstagioVertices::getIndices() const { return indices.data(); }
const Ponto* EstagioVertices::getPontos() const { return pontos.data(); }
const Vetor* EstagioVertices::getNormais() const { return normais.data(); }
const std::uint8_t* EstagioVertices::getComNormal() const { return comNormal.data(); }
const VerticeTela* EstagioVertices::getVertices() const { return vertices.data(); }
const EstagioVertices::PosicaoGrossa* EstagioVertices::getGrossas() const { return grossas.data(); }
const PosicaoExata* EstagioVertices::getExatas() const { return exatas.data(); }

void EstagioVertices::processar(int lote, const Camera& camera, const Projecao& projecao,
                                double limiteSeguro) {
    const int inicio = lote * kPorLote;
    const int fim = std::min(static_cast<int>(pontos.size()), inicio + kPorLote);
    const Par zPerto(projecao.zPerto);
    const Par limite(limiteSeguro);
    const Par zero(0.0);
    const Par um(1.0);
    const Par nan(kNaN);
    // Two points at a time, sharing each division; an odd last point is worked out in both
    // lanes and stored once.
    for (int k = inicio; k < fim; k += 2) {
        const auto k0 = static_cast<std::size_t>(k);
        const auto k1 = static_cast<std::size_t>(std::min(k + 1, fim - 1));
        const Ponto& p0 = pontos[k0];
        const Ponto& p1 = pontos[k1];
        const Par px(p0.x, p1.x);
        const Par py(p0.y, p1.y);
        const Par pz(p0.z, p1.z);
        Par cu;
        Par cv;
        Par cn;
        camera.coordenadas(px, py, pz, cu, cv, cn);
        const MascaraPar frente = cn >= zPerto;
        const Par iz = selecionar(frente, um / cn, zero);
        const Par x = projecao.xTela(cu, cn);
        const Par y = projecao.yTela(cv, cn);
        const MascaraPar seguro = frente & (absoluto(x) < limite) & (absoluto(y) < limite);
        const Par xSeguro = selecionar(seguro, x, nan);
        const Par ySeguro = selecionar(seguro, y, nan);

        for (int lane = 0; lane < 2 && k + lane < fim; ++lane) {
            const auto posicao = static_cast<std::size_t>(k + lane);
            VerticeTela& v = vertices[posicao];
            v = VerticeTela{xSeguro.lane(lane), ySeguro.lane(lane), iz.lane(lane)};
            PosicaoGrossa& grossa = grossas[posicao];
            if (seguro.lane(lane)) {
                grossa = PosicaoGrossa{piso(v.x * kEscalaGrossa), piso(v.y * kEscalaGrossa)};
                exatas[posicao] =
                    PosicaoExata{Cobertura::paraInteiro(v.x), Cobertura::paraInteiro(v.y)};
            } else {
                grossa = PosicaoGrossa{kMarca, frente.lane(lane) ? 0 : kMarca};
            }
        }
    }
}
