#include "SombreamentoGouraud.h"

#include <algorithm>
#include <cstddef>

#include "Par.h"

namespace {

constexpr int kLanesQuatro = 4;

}  // namespace

SombreamentoGouraud::SombreamentoGouraud(const EstagioVertices& vertices,
                                         const Iluminacao& iluminacao)
    : vertices(vertices),
      iluminacao(iluminacao),
      cores(static_cast<std::size_t>(vertices.getQuantPontos()) * kQuantAtributos, 0.0) {
    usarAvx2(true);
}

int SombreamentoGouraud::getQuantAtributos() const { return kQuantAtributos; }

void SombreamentoGouraud::iniciar(const Camera& cameraAtual) { camera = cameraAtual; }

const double* SombreamentoGouraud::getAtributos(int ponto) const {
    return &cores[static_cast<std::size_t>(ponto) * kQuantAtributos];
}

void SombreamentoGouraud::prepararPontos(int inicio, int fim, const std::uint8_t* marcas) {
    const Ponto luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
    const Ponto* pontos = vertices.getPontos();
    const Vetor* normais = vertices.getNormais();
    const std::uint8_t* comNormal = vertices.getComNormal();
    // Two marked points at a time, sharing each division and square root; a last one alone is
    // worked out in both lanes and stored once.
    const auto iluminar = [&](int k0, int k1) {
        const Ponto& p0 = pontos[k0];
        const Ponto& p1 = pontos[k1];
        const Vetor& m0 = normais[k0];
        const Vetor& m1 = normais[k1];
        Par r;
        Par g;
        Par b;
        iluminacao.corDePar(Par(p0.x, p1.x), Par(p0.y, p1.y), Par(p0.z, p1.z), Par(m0.x, m1.x),
                            Par(m0.y, m1.y), Par(m0.z, m1.z),
                            mascara(comNormal[k0] != 0, comNormal[k1] != 0), camera.foco, luz, r, g,
                            b);
        for (const auto& [lane, k] : {std::pair{0, k0}, {1, k1}}) {
            double* cor = &cores[static_cast<std::size_t>(k) * kQuantAtributos];
            cor[0] = r.lane(lane);
            cor[1] = g.lane(lane);
            cor[2] = b.lane(lane);
        }
    };
    if (quatro) {
        // Four marked points at a time in AVX2 lanes; the last few fill the lanes left with
        // the last of them, stored once.
        int grupo[kLanesQuatro];
        int quantos = 0;
        const auto iluminarQuatro = [&] {
            double px[kLanesQuatro], py[kLanesQuatro], pz[kLanesQuatro];
            double nx[kLanesQuatro], ny[kLanesQuatro], nz[kLanesQuatro];
            bool tem[kLanesQuatro];
            for (int t = 0; t < kLanesQuatro; ++t) {
                const int k = grupo[std::min(t, quantos - 1)];
                px[t] = pontos[k].x;
                py[t] = pontos[k].y;
                pz[t] = pontos[k].z;
                nx[t] = normais[k].x;
                ny[t] = normais[k].y;
                nz[t] = normais[k].z;
                tem[t] = comNormal[k] != 0;
            }
            double r[kLanesQuatro], g[kLanesQuatro], b[kLanesQuatro];
            iluminacao.corDeQuatro(px, py, pz, nx, ny, nz, tem, camera.foco, luz, r, g, b);
            for (int t = 0; t < quantos; ++t) {
                double* cor = &cores[static_cast<std::size_t>(grupo[t]) * kQuantAtributos];
                cor[0] = r[t];
                cor[1] = g[t];
                cor[2] = b[t];
            }
            quantos = 0;
        };
        for (int k = inicio; k < fim; ++k) {
            if (marcas[k] != 0) {
                grupo[quantos++] = k;
                if (quantos == kLanesQuatro) {
                    iluminarQuatro();
                }
            }
        }
        if (quantos > 0) {
            iluminarQuatro();
        }
        return;
    }
    int pendente = -1;
    for (int k = inicio; k < fim; ++k) {
        if (marcas[k] == 0) {
            continue;
        }
        if (pendente < 0) {
            pendente = k;
        } else {
            iluminar(pendente, k);
            pendente = -1;
        }
    }
    if (pendente >= 0) {
        iluminar(pendente, pendente);
    }
}

void SombreamentoGouraud::usarAvx2(bool permitir) {
    quatro = permitir && Iluminacao::quatroDisponivel();
}

void SombreamentoGouraud::sombrear(const FaixaVisivel& faixa, Quadro& quadro) const {
    sombrearFaixa(faixa, vertices.getVertices(), cores.data(), quadro);
}

void SombreamentoGouraud::sombrearFaixa(const FaixaVisivel& faixa, const VerticeTela* vertices,
                                        const double* cores, Quadro& quadro) {
    // c0 + (q1 (c1 - c0) + q2 (c2 - c0)) s per channel, s = 1/iz.
    const auto cor = [](const double* c0, const double* c1, const double* c2, double q1, double q2,
                        double s) {
        return empacotar(c0[0] + (q1 * (c1[0] - c0[0]) + q2 * (c2[0] - c0[0])) * s,
                         c0[1] + (q1 * (c1[1] - c0[1]) + q2 * (c2[1] - c0[1])) * s,
                         c0[2] + (q1 * (c1[2] - c0[2]) + q2 * (c2[2] - c0[2])) * s);
    };
    for (int j = faixa.getLinha0(); j < faixa.getLinha1(); ++j) {
        const std::int32_t* vencedores = faixa.linhaVencedores(j);
        const double* pesos1 = faixa.linhaPesos1(j);
        const double* pesos2 = faixa.linhaPesos2(j);
        const double* profundidades = quadro.linhaProfundidade(j);
        std::uint16_t* linha = quadro.linhaCor(j);
        for (int i = 0; i < faixa.getLargura(); ++i) {
            const std::int32_t vencedor = vencedores[i];
            if (vencedor == FaixaVisivel::kNenhum) {
                continue;
            }
            const double s = 1.0 / profundidades[i];
            if (FaixaVisivel::ehPeca(vencedor)) {
                const auto& c = faixa.getPeca(vencedor).cantos;
                linha[i] = cor(c[0].atributos.data(), c[1].atributos.data(), c[2].atributos.data(),
                               pesos1[i] * c[1].z, pesos2[i] * c[2].z, s);
                continue;
            }
            const Classificacao::Entrada& e = faixa.getEntrada(vencedor);
            linha[i] = cor(&cores[static_cast<std::ptrdiff_t>(e.a) * kQuantAtributos],
                           &cores[static_cast<std::ptrdiff_t>(e.b) * kQuantAtributos],
                           &cores[static_cast<std::ptrdiff_t>(e.c) * kQuantAtributos],
                           pesos1[i] * vertices[e.b].iz, pesos2[i] * vertices[e.c].iz, s);
        }
    }
}
