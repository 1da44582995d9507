#include "PontosTela.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "CorPrimitiva.h"

namespace {

// The pixels along one axis of the frame (0 .. limite - 1) whose centre k + 0.5 lies in
// [centro - meio, centro + meio), each bound compared as written; false when there are none.
bool intervalo(double centro, double meio, int limite, int& primeiro, int& ultimo) {
    const double inicio = centro - meio;
    const double fim = centro + meio;
    // Beyond two pixels off either side a bound decides the same for every pixel as the frame's
    // edge does: clamped there, it converts to an int safely.
    const double margem = 2.0;
    const double inicioLimitado = std::clamp(inicio, -margem, limite + margem);
    const double fimLimitado = std::clamp(fim, -margem, limite + margem);
    primeiro = std::max(0, static_cast<int>(std::floor(inicioLimitado)) - 1);
    while (primeiro < limite && !(inicio <= primeiro + 0.5)) {
        ++primeiro;
    }
    ultimo = std::min(limite - 1, static_cast<int>(std::floor(fimLimitado)) + 1);
    while (ultimo >= 0 && !(ultimo + 0.5 < fim)) {
        --ultimo;
    }
    return primeiro <= ultimo;
}

}  // namespace

PontosTela::PontosTela(const Primitivas& primitivas, const Iluminacao& iluminacao)
    : primitivas(primitivas),
      quadrados(static_cast<std::size_t>(primitivas.getQuantPontos())) {
    setIluminacao(iluminacao);
}

void PontosTela::setIluminacao(const Iluminacao& nova) {
    iluminacao = nova;
    const std::vector<Primitivas::Terno>& cores = primitivas.getCores();
    coresDeFrente.resize(static_cast<std::size_t>(primitivas.getQuantPontos()));
    for (std::size_t i = 0; i < coresDeFrente.size(); ++i) {
        const Primitivas::Terno* cor = cores.empty() ? nullptr : &cores[i];
        coresDeFrente[i] = CorPrimitiva::deFrente(CorPrimitiva::od(cor, iluminacao), iluminacao);
    }
}

bool PontosTela::quadrar(int i, const Camera& camera, const Projecao& projecao, int largura,
                         int altura, double meio, const Ponto& luz, Quadrado& quadrado) const {
    const auto k = static_cast<std::size_t>(i);
    const Ponto& p = primitivas.getPontos()[k];
    const Vetor c = camera.coordenadas(p);
    if (!(c.z >= projecao.zPerto)) {
        return false;
    }
    const double xs = projecao.xTela(c.x, c.z);
    const double ys = projecao.yTela(c.y, c.z);
    if (!std::isfinite(xs) || !std::isfinite(ys)) {
        return false;
    }
    int coluna0 = 0;
    int coluna1 = 0;
    int linha0 = 0;
    int linha1 = 0;
    if (!intervalo(xs, meio, largura, coluna0, coluna1) ||
        !intervalo(ys, meio, altura, linha0, linha1)) {
        return false;
    }
    quadrado.iz = 1.0 / c.z;
    quadrado.coluna = static_cast<std::uint16_t>(coluna0);
    quadrado.linha = static_cast<std::uint16_t>(linha0);
    quadrado.colunas = static_cast<std::uint8_t>(coluna1 - coluna0 + 1);
    quadrado.linhas = static_cast<std::uint8_t>(linha1 - linha0 + 1);
    const std::vector<Primitivas::Terno>& normais = primitivas.getNormais();
    if (normais.empty() || (normais[k].x == 0.0f && normais[k].y == 0.0f && normais[k].z == 0.0f)) {
        quadrado.cor = coresDeFrente[k];
    } else {
        const std::vector<Primitivas::Terno>& cores = primitivas.getCores();
        quadrado.cor = CorPrimitiva::iluminada(
            p, normais[k], CorPrimitiva::od(cores.empty() ? nullptr : &cores[k], iluminacao),
            iluminacao, camera.foco, luz);
    }
    return true;
}

void PontosTela::preparar(const Camera& camera, const Projecao& projecao, int largura, int altura,
                          int linhasPorFaixa, int tamanho, Trabalhadores& trabalhadores) {
    const double meio = tamanho / 2.0;
    const Ponto luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
    const int quantFaixas = (altura + linhasPorFaixa - 1) / linhasPorFaixa;
    const auto faixas = [&](int i) {
        Quadrado& quadrado = quadrados[static_cast<std::size_t>(i)];
        if (!quadrar(i, camera, projecao, largura, altura, meio, luz, quadrado)) {
            quadrado.colunas = 0;
            return std::pair{1, 0};
        }
        return std::pair{quadrado.linha / linhasPorFaixa,
                         (quadrado.linha + quadrado.linhas - 1) / linhasPorFaixa};
    };
    listas.montar(primitivas.getQuantPontos(), quantFaixas, trabalhadores, faixas);
}

void PontosTela::desenharFaixa(int faixa, FaixaVisivel& visivel, Quadro& quadro) const {
    const int linha0 = visivel.getLinha0();
    const int linha1 = visivel.getLinha1();
    for (const std::int32_t i : listas.getFaixa(faixa)) {
        const Quadrado& q = quadrados[static_cast<std::size_t>(i)];
        const int primeira = std::max<int>(q.linha, linha0);
        const int ultima = std::min(q.linha + q.linhas, linha1);
        for (int j = primeira; j < ultima; ++j) {
            double* profundidades = quadro.linhaProfundidade(j) + q.coluna;
            std::uint16_t* cores = quadro.linhaCor(j) + q.coluna;
            std::int32_t* vencedores = visivel.linhaVencedores(j) + q.coluna;
            for (int k = 0; k < q.colunas; ++k) {
                if (q.iz > profundidades[k]) {
                    profundidades[k] = q.iz;
                    cores[k] = q.cor;
                    vencedores[k] = FaixaVisivel::kNenhum;
                }
            }
        }
    }
}
