#include "Agulhas.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>

#include "Par.h"

namespace {

// A needle is this fraction of the bounding box's diagonal long.
constexpr double kFracaoDiagonal = 0.03;
constexpr int kVermelho = 64;
constexpr int kVerde = 96;
constexpr int kAzul = 255;
constexpr int kPorLote = 4096;
// Below this magnitude (2^40) a coordinate interpolated between a needle's ends stays within
// a pixel of the range between them, so a needle whose ends are both that far off one side of
// the screen can be passed over whole.
constexpr double kExtensaoConfiavel = 1099511627776.0;
constexpr double kMargem = 1.0;

bool finito(double x, double y, double z) {
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

// Where a needle's pixels go: the frame's colours and depths, row after row, its size, and the
// colour.
struct Destino {
    std::uint16_t* cores;
    const double* profundidades;
    int largura;
    int altura;
    std::uint16_t cor;

    explicit Destino(Quadro& quadro)
        : cores(quadro.linhaCor(0)),
          profundidades(quadro.linhaProfundidade(0)),
          largura(quadro.getLargura()),
          altura(quadro.getAltura()),
          cor(Agulhas::cor()) {}

    // Writes the colour at (i, j) when iz is at least the stored depth. Other threads may write
    // the same colour into the same pixel at the same time, so the store is atomic.
    void pintar(int i, int j, double iz) const {
        const std::size_t indice =
            static_cast<std::size_t>(j) * static_cast<std::size_t>(largura) +
            static_cast<std::size_t>(i);
        if (iz >= profundidades[indice]) {
            std::atomic_ref<std::uint16_t>(cores[indice]).store(cor, std::memory_order_relaxed);
        }
    }
};

// One pixel per step along the needle's longer axis a (x for columns, y for rows), from its
// end (a0, b0) with 1/cn z0 to (a1, b1) with z1: each k on the screen whose centre k + 0.5 lies
// between a0 and a1 gets b = b0 + (k + 0.5 - a0).(b1 - b0)/(a1 - a0) and the same for z, the two
// in the lanes of one division. kVerificar checks each b against the screen; without it the
// caller knows every b is on it. The destination is a copy, whose pointers then stay in
// registers across the stores.
template <bool kColunas, bool kVerificar>
void percorrer(double a0, double b0, double z0, double a1, double b1, double z1,
               const Destino destino) {
    const int limiteA = kColunas ? destino.largura : destino.altura;
    const double limiteB = kColunas ? destino.altura : destino.largura;
    const double menor = std::min(a0, a1);
    const double maior = std::max(a0, a1);
    const double inicio = std::max(menor, 0.0);
    const double fim = std::min(maior, static_cast<double>(limiteA));
    if (!(inicio <= fim)) {
        return;
    }
    // Both are whole or not negative, and below the limit: conversion gives the floor.
    int primeiro = static_cast<int>(inicio);
    if (primeiro + 0.5 < menor) {
        ++primeiro;
    }
    int ultimo = std::min(static_cast<int>(fim), limiteA - 1);
    if (ultimo + 0.5 > maior) {
        --ultimo;
    }
    const Par base(b0, z0);
    const Par passo(b1 - b0, z1 - z0);
    const Par divisor(a1 - a0);
    double centro = primeiro + 0.5;
    for (int k = primeiro; k <= ultimo; ++k, centro += 1.0) {
        const Par valor = base + Par(centro - a0) * passo / divisor;
        const double b = valor.lane(0);
        if (kVerificar && !(b >= 0.0 && b < limiteB)) {
            continue;
        }
        const int m = static_cast<int>(b);
        destino.pintar(kColunas ? k : m, kColunas ? m : k, valor.lane(1));
    }
}

// Draws the needle along its longer axis a, the other being b; the b of every step lies
// between b0 and b1 up to rounding, so when both are a pixel inside the screen no step checks.
template <bool kColunas>
void tracar(double a0, double b0, double z0, double a1, double b1, double z1,
            const Destino& destino) {
    const double limiteB = kColunas ? destino.altura : destino.largura;
    const double menorB = std::min(b0, b1);
    const double maiorB = std::max(b0, b1);
    if (menorB >= kMargem && maiorB < limiteB - kMargem) {
        percorrer<kColunas, false>(a0, b0, z0, a1, b1, z1, destino);
    } else if (maiorB >= -kMargem && menorB < limiteB + kMargem) {
        percorrer<kColunas, true>(a0, b0, z0, a1, b1, z1, destino);
    } else if (std::fabs(menorB) >= kExtensaoConfiavel || std::fabs(maiorB) >= kExtensaoConfiavel) {
        // So far off that rounding may reach further than a pixel: every step checks.
        percorrer<kColunas, true>(a0, b0, z0, a1, b1, z1, destino);
    }
}

// Draws the needle from (x0, y0) with 1/cn iz0 to (x1, y1) with iz1, all finite.
void segmento(double x0, double y0, double iz0, double x1, double y1, double iz1,
              const Destino& destino) {
    const double adx = std::fabs(x1 - x0);
    const double ady = std::fabs(y1 - y0);
    if (adx >= ady && adx > 0.0) {
        tracar<true>(x0, y0, iz0, x1, y1, iz1, destino);
    } else if (ady > adx) {
        tracar<false>(y0, x0, iz0, y1, x1, iz1, destino);
    }
}

// Camera coordinates (x, y, z) of the point where the near plane cn = z cuts the segment from
// `dentro` (in front) to `fora`.
Vetor cortar(const Vetor& dentro, const Vetor& fora, double z) {
    const double s = (z - dentro.z) / (fora.z - dentro.z);
    return Vetor(dentro.x + s * (fora.x - dentro.x), dentro.y + s * (fora.y - dentro.y), z);
}

}  // namespace

std::uint16_t Agulhas::cor() { return Quadro::empacotar(kVermelho, kVerde, kAzul); }

Agulhas::Agulhas(const Malha& malha) {
    // In the order the triangles first name the points: neighbouring needles then lie near each
    // other on the screen, and drawing them reads and writes few lines of the frame at a time.
    std::vector<std::uint8_t> visto(static_cast<std::size_t>(malha.getQuantPontos()), 0);
    const double alcance = kFracaoDiagonal * malha.getDiagonal();
    for (int t = 0; t < malha.getQuantTriangulos(); ++t) {
        const Triangulo& triangulo = malha.getTriangulos()[t];
        for (const int indice : {triangulo.indiceP1, triangulo.indiceP2, triangulo.indiceP3}) {
            std::uint8_t& ja = visto[static_cast<std::size_t>(indice)];
            if (ja != 0) {
                continue;
            }
            ja = 1;
            const Ponto& p = malha.getPontos()[indice];
            const Ponto& q = malha.getNovosPontos()[indice];
            const double dx = q.x - p.x;
            const double dy = q.y - p.y;
            const double dz = q.z - p.z;
            if (!finito(dx, dy, dz) || (dx == 0.0 && dy == 0.0 && dz == 0.0)) {
                continue;
            }
            const double comprimento = std::sqrt((dx * dx + dy * dy) + dz * dz);
            const Ponto fim(p.x - alcance * dx / comprimento, p.y - alcance * dy / comprimento,
                            p.z - alcance * dz / comprimento);
            // A direction too short to measure has none.
            if (finito(fim.x, fim.y, fim.z)) {
                agulhas.push_back(Agulha{p, fim});
            }
        }
    }
}

int Agulhas::getQuantidade() const { return static_cast<int>(agulhas.size()); }

void Agulhas::desenhar(const Camera& camera, const Projecao& projecao, Quadro& quadro,
                       Trabalhadores& trabalhadores) const {
    const int lotes = (getQuantidade() + kPorLote - 1) / kPorLote;
    auto lote = [&](int k) { desenharLote(k, camera, projecao, quadro); };
    trabalhadores.paraCada(lotes, lote);
}

void Agulhas::desenharLote(int lote, const Camera& cameraAtual, const Projecao& projecaoAtual,
                           Quadro& quadro) const {
    // Copies of the view, which the stores into the frame cannot touch: their numbers stay in
    // registers across the loop.
    const Camera camera = cameraAtual;
    const Projecao projecao = projecaoAtual;
    const Destino destino(quadro);
    const int inicio = lote * kPorLote;
    const int fim = std::min(getQuantidade(), inicio + kPorLote);
    const Par zPerto(projecao.zPerto);
    const Par zero(0.0);
    for (int k = inicio; k < fim; ++k) {
        const Agulha& a = agulhas[static_cast<std::size_t>(k)];
        // Both ends at once, each lane the arithmetic of one point.
        Par cu;
        Par cv;
        Par cn;
        camera.coordenadas(Par(a.inicio.x, a.fim.x), Par(a.inicio.y, a.fim.y),
                           Par(a.inicio.z, a.fim.z), cu, cv, cn);
        const MascaraPar frente = cn >= zPerto;
        if (!(frente.lane(0) && frente.lane(1))) {
            desenharAgulha(Vetor(cu.lane(0), cv.lane(0), cn.lane(0)),
                           Vetor(cu.lane(1), cv.lane(1), cn.lane(1)), projecao, quadro);
            continue;
        }
        const Par x = projecao.xTela(cu, cn);
        const Par y = projecao.yTela(cv, cn);
        const Par iz = Par(1.0) / cn;
        // x - x is 0 for a finite x and NaN otherwise.
        const Par finitos = ((x - x) + (y - y)) + (iz - iz);
        const MascaraPar zeros = finitos >= zero;
        if (zeros.lane(0) && zeros.lane(1)) {
            segmento(x.lane(0), y.lane(0), iz.lane(0), x.lane(1), y.lane(1), iz.lane(1), destino);
        }
    }
}

void Agulhas::desenharAgulha(const Vetor& a, const Vetor& b, const Projecao& projecao,
                             Quadro& quadro) {
    const double z = projecao.zPerto;
    const bool frenteA = a.z >= z;
    const bool frenteB = b.z >= z;
    if (!frenteA && !frenteB) {
        return;
    }
    const Vetor inicio = frenteA ? a : cortar(b, a, z);
    const Vetor fim = frenteB ? b : cortar(a, b, z);
    desenharSegmento(projecao.xTela(inicio.x, inicio.z), projecao.yTela(inicio.y, inicio.z),
                     1.0 / inicio.z, projecao.xTela(fim.x, fim.z), projecao.yTela(fim.y, fim.z),
                     1.0 / fim.z, quadro);
}

void Agulhas::desenharSegmento(double x0, double y0, double iz0, double x1, double y1,
                               double iz1, Quadro& quadro) {
    if (finito(x0, y0, iz0) && finito(x1, y1, iz1)) {
        segmento(x0, y0, iz0, x1, y1, iz1, Destino(quadro));
    }
}
