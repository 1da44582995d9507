#include "LinhasTela.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "CorPrimitiva.h"
#include "Segmento.h"

namespace gouraud::detail {

namespace {

// Rows beyond the segment's ends that rounding may still give one of its pixels.
constexpr double kMargem = 1.0;

// Where a segment's pixels go: one band of the frame, one colour, packed and as the frame's
// channels when it keeps them (as Quadro::Linha::pintar writes them). A copy is passed to every
// pixel, whose pointers then stay in registers across the stores.
struct Pintor {
    std::uint16_t* cores;
    Canais* canais;
    const double* profundidades;
    int largura;
    std::uint16_t cor;
    Canais canal;

    // Writes the colour at (i, j) when iz is at least the stored depth.
    void operator()(int i, int j, double iz) const {
        const std::size_t indice = static_cast<std::size_t>(j) * static_cast<std::size_t>(largura) +
                                   static_cast<std::size_t>(i);
        if (iz >= profundidades[indice]) {
            cores[indice] = cor;
            if (canais != nullptr) {
                canais[indice] = canal;
            }
        }
    }
};

// Where a pixel would be written: notes that one is.
struct Detector {
    const double* profundidades;
    int largura;
    bool* escreveu;

    void operator()(int i, int j, double iz) const {
        const std::size_t indice = static_cast<std::size_t>(j) * static_cast<std::size_t>(largura) +
                                   static_cast<std::size_t>(i);
        if (iz >= profundidades[indice]) {
            *escreveu = true;
        }
    }
};

// Where a pixel is written: the segment takes it in the buffers.
struct Registrador {
    const double* profundidades;
    int largura;
    BuffersQuadro* buffers;

    void operator()(int i, int j, double iz) const {
        const std::size_t indice = static_cast<std::size_t>(j) * static_cast<std::size_t>(largura) +
                                   static_cast<std::size_t>(i);
        if (!(iz >= profundidades[indice])) {
            return;
        }
        if (!buffers->profundidade.empty()) {
            buffers->profundidade[indice] = static_cast<float>(1.0 / iz);
        }
        if (!buffers->normais.empty()) {
            buffers->normais[3 * indice] = 0.0F;
            buffers->normais[3 * indice + 1] = 0.0F;
            buffers->normais[3 * indice + 2] = 0.0F;
        }
        if (!buffers->triangulo.empty()) {
            buffers->triangulo[indice] = BuffersQuadro::kNenhum;
        }
        if (!buffers->parte.empty()) {
            buffers->parte[indice] = BuffersQuadro::kNenhum;
        }
    }
};

}  // namespace

LinhasTela::LinhasTela(const Primitivas& primitivas, const Iluminacao& iluminacao,
                       bool coresDoArquivo)
    : primitivas(primitivas), segmentos(static_cast<std::size_t>(primitivas.getQuantLinhas())) {
    setIluminacao(iluminacao, coresDoArquivo);
}

void LinhasTela::setIluminacao(const Iluminacao& nova, bool coresDoArquivo) {
    const std::vector<Primitivas::Terno>& coresArquivo = primitivas.getCoresLinhas();
    cores.resize(static_cast<std::size_t>(primitivas.getQuantLinhas()));
    for (std::size_t k = 0; k < cores.size(); ++k) {
        const Primitivas::Terno* cor = coresArquivo.empty() ? nullptr : &coresArquivo[k];
        const Vetor od = CorPrimitiva::od(cor, primitivas.getMaterialLinha(static_cast<int>(k)),
                                          nova, coresDoArquivo);
        cores[k] = CorPrimitiva::deFrente(od, nova);
    }
}

void LinhasTela::preparar(const Camera& camera, const Projecao& projecao, int largura, int altura,
                          int linhasPorFaixa, Trabalhadores& trabalhadores) {
    quantFaixas = (altura + linhasPorFaixa - 1) / linhasPorFaixa;
    const double alturaReal = altura;
    const double larguraReal = largura;
    const auto faixas = [&](int k) {
        constexpr std::pair kNenhuma{1, 0};
        const std::vector<Primitivas::Terno>& extremos = primitivas.getExtremos();
        const auto indice = static_cast<std::size_t>(k);
        Vetor inicio;
        Vetor fim;
        if (!Segmento::recortar(camera.coordenadas(Primitivas::ponto(extremos[2 * indice])),
                                camera.coordenadas(Primitivas::ponto(extremos[2 * indice + 1])),
                                projecao.zPerto, inicio, fim)) {
            return kNenhuma;
        }
        SegmentoTela& s = segmentos[indice];
        s = SegmentoTela{
            projecao.xTela(inicio.x, inicio.z), projecao.yTela(inicio.y, inicio.z), 1.0 / inicio.z,
            projecao.xTela(fim.x, fim.z),       projecao.yTela(fim.y, fim.z),       1.0 / fim.z};
        // Its rows lie between its ends' up to rounding; a segment wholly off the frame has none.
        const double menorY = std::min(s.y0, s.y1) - kMargem;
        const double maiorY = std::max(s.y0, s.y1) + kMargem;
        const double menorX = std::min(s.x0, s.x1) - kMargem;
        const double maiorX = std::max(s.x0, s.x1) + kMargem;
        if (!(maiorY >= 0.0 && menorY < alturaReal && maiorX >= 0.0 && menorX < larguraReal) ||
            !std::isfinite(s.iz0) || !std::isfinite(s.iz1)) {
            return kNenhuma;
        }
        const int linhaInicial = static_cast<int>(std::max(menorY, 0.0));
        const int linhaFinal = static_cast<int>(std::min(maiorY, alturaReal - 1.0));
        return std::pair{linhaInicial / linhasPorFaixa, linhaFinal / linhasPorFaixa};
    };
    listas.montar(primitivas.getQuantLinhas(), quantFaixas, trabalhadores, faixas);
}

void LinhasTela::desenharFaixa(int faixa, int linha0, int linha1, Quadro& quadro) const {
    const Segmento::Janela janela{quadro.getLargura(), linha0, linha1};
    for (const std::int32_t k : listas.getFaixa(faixa)) {
        const SegmentoTela& s = segmentos[static_cast<std::size_t>(k)];
        const Canais canal = cores[static_cast<std::size_t>(k)];
        const Pintor pintor{quadro.linhaCor(0),          quadro.linhaCanais(0),
                            quadro.linhaProfundidade(0), quadro.getLargura(),
                            Quadro::empacotar(canal),    canal};
        Segmento::tracar(s.x0, s.y0, s.iz0, s.x1, s.y1, s.iz1, janela, pintor);
    }
}

void LinhasTela::registrarFaixa(int faixa, int linha0, int linha1, const Quadro& quadro,
                                BuffersQuadro& buffers) const {
    const Segmento::Janela janela{quadro.getLargura(), linha0, linha1};
    const Registrador registrador{quadro.linhaProfundidade(0), quadro.getLargura(), &buffers};
    for (const std::int32_t k : listas.getFaixa(faixa)) {
        const SegmentoTela& s = segmentos[static_cast<std::size_t>(k)];
        Segmento::tracar(s.x0, s.y0, s.iz0, s.x1, s.y1, s.iz1, janela, registrador);
    }
}

bool LinhasTela::escreveramPixel(const Quadro& quadro, int linhasPorFaixa) const {
    bool escreveu = false;
    const Detector detector{quadro.linhaProfundidade(0), quadro.getLargura(), &escreveu};
    for (int linha0 = 0, faixa = 0; linha0 < quadro.getAltura() && faixa < quantFaixas && !escreveu;
         linha0 += linhasPorFaixa, ++faixa) {
        const Segmento::Janela janela{quadro.getLargura(), linha0,
                                      std::min(quadro.getAltura(), linha0 + linhasPorFaixa)};
        for (const std::int32_t k : listas.getFaixa(faixa)) {
            const SegmentoTela& s = segmentos[static_cast<std::size_t>(k)];
            Segmento::tracar(s.x0, s.y0, s.iz0, s.x1, s.y1, s.iz1, janela, detector);
        }
    }
    return escreveu;
}

}  // namespace gouraud::detail
