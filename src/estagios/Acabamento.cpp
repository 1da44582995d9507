#include "Acabamento.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace gouraud::detail {

namespace {

// Output rows a task finishes at a time.
constexpr int kLinhasPorTarefa = 8;
constexpr int kAlfaCheio = 255;
constexpr double kMenosInfinito = -std::numeric_limits<double>::infinity();

// What the mean of a pixel's samples adds up.
struct Soma {
    int r = 0;
    int g = 0;
    int b = 0;
    int desenhadas = 0;
};

}  // namespace

bool Acabamento::necessario(const Pedido& pedido) {
    return pedido.amostras > 1 || pedido.edl || (pedido.transparente && !pedido.canais);
}

void Acabamento::prepararLogs(const Quadro& amostras, int raio, Trabalhadores& trabalhadores) {
    const int largura = amostras.getLargura();
    const int altura = amostras.getAltura();
    margem = raio;
    larguraLogs = largura + 2 * raio;
    const std::size_t tamanho =
        static_cast<std::size_t>(larguraLogs) * static_cast<std::size_t>(altura + 2 * raio);
    if (logs.size() != tamanho) {
        logs.assign(tamanho, kMenosInfinito);
    }
    const int tarefas = (altura + kLinhasPorTarefa - 1) / kLinhasPorTarefa;
    auto tarefa = [&](int k) {
        const int y1 = std::min(altura, (k + 1) * kLinhasPorTarefa);
        for (int y = k * kLinhasPorTarefa; y < y1; ++y) {
            const double* profundidades = amostras.linhaProfundidade(y);
            double* destino = logs.data() +
                              static_cast<std::size_t>(y + raio) * static_cast<std::size_t>(larguraLogs) +
                              static_cast<std::size_t>(raio);
            for (int x = 0; x < largura; ++x) {
                destino[x] = profundidades[x] > 0.0 ? std::log2(profundidades[x]) : kMenosInfinito;
            }
        }
    };
    trabalhadores.paraCada(tarefas, tarefa);
    // The border stays -infinity from the first frame of this size on: only the rows and
    // columns inside it are ever written.
}

void Acabamento::linhas(const Quadro& amostras, const Pedido& pedido, int linha0, int linha1,
                        Quadro& saida) const {
    const int k = pedido.amostras;
    const int quantas = k * k;
    const int largura = saida.getLargura();
    const std::ptrdiff_t passoLogs = larguraLogs;
    const std::ptrdiff_t r = pedido.raio;
    // The neighbours' offsets in the order they are added.
    const std::ptrdiff_t vizinhos[8] = {-r,
                                        r,
                                        -r * passoLogs,
                                        r * passoLogs,
                                        -r - r * passoLogs,
                                        -r + r * passoLogs,
                                        r - r * passoLogs,
                                        r + r * passoLogs};
    const double menosForca = -pedido.forca;
    for (int y = linha0; y < linha1; ++y) {
        const Quadro::Linha destino = saida.linha(y);
        double* profundidadesSaida = saida.linhaProfundidade(y);
        for (int x = 0; x < largura; ++x) {
            Soma soma;
            double maisPerto = 0.0;
            for (int sy = k * y; sy < k * y + k; ++sy) {
                const std::uint16_t* cores = amostras.linhaCor(sy);
                const Canais* canais = amostras.linhaCanais(sy);
                const double* profundidades = amostras.linhaProfundidade(sy);
                const double* logsLinha =
                    pedido.edl ? logs.data() + static_cast<std::ptrdiff_t>(sy + margem) * passoLogs +
                                     margem
                               : nullptr;
                for (int sx = k * x; sx < k * x + k; ++sx) {
                    if (pedido.transparente && Quadro::alfaDe(canais[sx]) == 0) {
                        continue;
                    }
                    const Canais c = pedido.canais ? canais[sx] : Quadro::expandir(cores[sx]);
                    int cr = Quadro::vermelhoDe(c);
                    int cg = Quadro::verdeDe(c);
                    int cb = Quadro::azulDe(c);
                    const double w = profundidades[sx];
                    maisPerto = std::max(maisPerto, w);
                    if (logsLinha != nullptr && w > 0.0) {
                        const double* p = logsLinha + sx;
                        const double lp = *p;
                        double o = 0.0;
                        for (const std::ptrdiff_t v : vizinhos) {
                            o += std::max(0.0, p[v] - lp);
                        }
                        if (o > 0.0) {
                            const double fator = std::exp(menosForca * o);
                            cr = static_cast<int>(cr * fator);
                            cg = static_cast<int>(cg * fator);
                            cb = static_cast<int>(cb * fator);
                        }
                    }
                    soma.r += cr;
                    soma.g += cg;
                    soma.b += cb;
                    ++soma.desenhadas;
                }
            }
            // The divisor: every sample with a background, the ones drawn without.
            const int divisor = pedido.transparente ? soma.desenhadas : quantas;
            int alfa = kAlfaCheio;
            if (pedido.transparente) {
                alfa = (kAlfaCheio * soma.desenhadas + quantas / 2) / quantas;
            }
            Canais pixel = 0;
            if (divisor > 0) {
                const int metade = divisor / 2;
                pixel = Quadro::opaco((soma.r + metade) / divisor, (soma.g + metade) / divisor,
                                      (soma.b + metade) / divisor);
            }
            pixel = (pixel & Quadro::kSemAlfa) | (static_cast<Canais>(alfa) << 24);
            destino.cor[x] = Quadro::empacotar(pixel);
            destino.canais[x] = pixel;
            if (k > 1) {
                profundidadesSaida[x] = maisPerto;
            }
        }
    }
}

void Acabamento::acabar(const Quadro& amostras, const Pedido& pedido, Quadro& saida,
                        Trabalhadores& trabalhadores) {
    saida.usarCanais(true);
    saida.setTransparente(pedido.transparente);
    if (pedido.edl) {
        prepararLogs(amostras, pedido.raio, trabalhadores);
    }
    const int altura = saida.getAltura();
    const int tarefas = (altura + kLinhasPorTarefa - 1) / kLinhasPorTarefa;
    auto tarefa = [&](int t) {
        linhas(amostras, pedido, t * kLinhasPorTarefa,
               std::min(altura, (t + 1) * kLinhasPorTarefa), saida);
    };
    trabalhadores.paraCada(tarefas, tarefa);
}

void Acabamento::acabar(Quadro& quadro, const Pedido& pedido, Trabalhadores& trabalhadores) {
    acabar(quadro, pedido, quadro, trabalhadores);
}

}  // namespace gouraud::detail
