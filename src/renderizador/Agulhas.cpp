#include "Agulhas.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>

#include "Par.h"
#include "Segmento.h"

namespace gouraud::detail {

namespace {

// A needle is this fraction of the bounding box's diagonal long.
constexpr double kFracaoDiagonal = 0.03;
constexpr int kVermelho = 64;
constexpr int kVerde = 96;
constexpr int kAzul = 255;
constexpr int kPorLote = 4096;

bool finito(double x, double y, double z) {
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

// Where a needle's pixels go: the frame's colours and depths, row after row, its size, and the
// colour. A copy is passed to every pixel, whose pointers then stay in registers across the
// stores.
struct Destino {
    std::uint16_t* cores;
    Canais* canais;
    const double* profundidades;
    int largura;
    std::uint16_t cor;

    explicit Destino(Quadro& quadro)
        : cores(quadro.linhaCor(0)),
          canais(quadro.linhaCanais(0)),
          profundidades(quadro.linhaProfundidade(0)),
          largura(quadro.getLargura()),
          cor(Agulhas::cor()) {}

    // Writes the colour at (i, j) when iz is at least the stored depth, and its channels where
    // the frame keeps them. Other threads may write the same colour into the same pixel at the
    // same time, so the stores are atomic.
    void operator()(int i, int j, double iz) const {
        const std::size_t indice =
            static_cast<std::size_t>(j) * static_cast<std::size_t>(largura) +
            static_cast<std::size_t>(i);
        if (iz >= profundidades[indice]) {
            std::atomic_ref<std::uint16_t>(cores[indice]).store(cor, std::memory_order_relaxed);
            if (canais != nullptr) {
                std::atomic_ref<Canais>(canais[indice])
                    .store(Quadro::opaco(kVermelho, kVerde, kAzul), std::memory_order_relaxed);
            }
        }
    }
};

// The whole frame as the window a needle is drawn in.
Segmento::Janela janelaDe(const Quadro& quadro) {
    return Segmento::Janela{quadro.getLargura(), 0, quadro.getAltura()};
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
    const Segmento::Janela janela = janelaDe(quadro);
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
            Segmento::tracar(x.lane(0), y.lane(0), iz.lane(0), x.lane(1), y.lane(1), iz.lane(1),
                             janela, destino);
        }
    }
}

void Agulhas::desenharAgulha(const Vetor& a, const Vetor& b, const Projecao& projecao,
                             Quadro& quadro) {
    Vetor inicio;
    Vetor fim;
    if (!Segmento::recortar(a, b, projecao.zPerto, inicio, fim)) {
        return;
    }
    desenharSegmento(projecao.xTela(inicio.x, inicio.z), projecao.yTela(inicio.y, inicio.z),
                     1.0 / inicio.z, projecao.xTela(fim.x, fim.z), projecao.yTela(fim.y, fim.z),
                     1.0 / fim.z, quadro);
}

void Agulhas::desenharSegmento(double x0, double y0, double iz0, double x1, double y1,
                               double iz1, Quadro& quadro) {
    Segmento::tracar(x0, y0, iz0, x1, y1, iz1, janelaDe(quadro), Destino(quadro));
}

}  // namespace gouraud::detail
