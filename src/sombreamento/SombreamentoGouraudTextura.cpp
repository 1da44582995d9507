#include "SombreamentoGouraudTextura.h"

#include <algorithm>
#include <cstddef>

#include "PixelsDaFaixa.h"

namespace gouraud::detail {

namespace {

constexpr int kCanais = 3;
constexpr int kE = 0;
constexpr int kD = 3;
constexpr int kC = 6;
constexpr int kU = 9;
constexpr int kV = 10;
constexpr int kLanes = 4;

}  // namespace

SombreamentoGouraudTextura::SombreamentoGouraudTextura(const EstagioVertices& vertices,
                                                       const Iluminacao& iluminacao,
                                                       const CoresDaMalha& cores)
    : vertices(vertices),
      iluminacao(iluminacao),
      cores(cores),
      atributos(static_cast<std::size_t>(vertices.getQuantPontos()) * kQuantAtributos, 0.0) {
    // A point's colour and coordinates are the same every frame: set here, once.
    const double* corObjeto = cores.getCores();
    const double* coordenadas = cores.getCoordenadas();
    for (std::size_t k = 0; k < static_cast<std::size_t>(vertices.getQuantPontos()); ++k) {
        double* a = &atributos[k * kQuantAtributos];
        for (int canal = 0; canal < kCanais; ++canal) {
            a[kC + canal] = corObjeto[kCanais * k + static_cast<std::size_t>(canal)];
        }
        a[kU] = coordenadas[2 * k];
        a[kV] = coordenadas[2 * k + 1];
    }
    usarAvx2(true);
}

int SombreamentoGouraudTextura::getQuantAtributos() const { return kQuantAtributos; }

void SombreamentoGouraudTextura::iniciar(const Camera& cameraAtual) {
    camera = cameraAtual;
    luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
}

const double* SombreamentoGouraudTextura::getAtributos(int ponto) const {
    return &atributos[static_cast<std::size_t>(ponto) * kQuantAtributos];
}

void SombreamentoGouraudTextura::guardar(int ponto, const double* e, const double* d) {
    double* a = &atributos[static_cast<std::size_t>(ponto) * kQuantAtributos];
    for (int canal = 0; canal < kCanais; ++canal) {
        a[kE + canal] = e[canal];
        a[kD + canal] = d[canal];
    }
}

void SombreamentoGouraudTextura::prepararPontos(int inicio, int fim, const std::uint8_t* marcas) {
    const Ponto* pontos = vertices.getPontos();
    const Vetor* normais = vertices.getNormais();
    const std::uint8_t* comNormal = vertices.getComNormal();
    const std::uint8_t* texturizados = vertices.getTexturizados();
    const double* corObjeto = cores.getCores();
    if (!quatro) {
        for (int k = inicio; k < fim; ++k) {
            if (marcas[k] == 0) {
                continue;
            }
            const Vetor* normal = comNormal[k] != 0 ? &normais[k] : nullptr;
            const double* c = &corObjeto[static_cast<std::size_t>(k) * kCanais];
            if (texturizados[k] == 0) {
                const Vetor cor = iluminacao.corDoVertice(pontos[k], normal, camera.foco, luz,
                                                          Vetor(c[0], c[1], c[2]));
                double* a = &atributos[static_cast<std::size_t>(k) * kQuantAtributos];
                a[kE] = cor.x;
                a[kE + 1] = cor.y;
                a[kE + 2] = cor.z;
                continue;
            }
            Vetor e;
            Vetor d;
            iluminacao.partesDoVertice(pontos[k], normal, camera.foco, luz, e, d);
            const double pe[kCanais] = {e.x, e.y, e.z};
            const double pd[kCanais] = {d.x, d.y, d.z};
            guardar(k, pe, pd);
        }
        return;
    }
    // Four marked points at a time in AVX2 lanes, the textured and the others in groups of
    // their own; the last few fill the lanes left with the last of them, stored once.
    struct Grupo {
        int pontos[kLanes];
        int quantos = 0;
        double px[kLanes], py[kLanes], pz[kLanes], nx[kLanes], ny[kLanes], nz[kLanes];
        bool tem[kLanes];
    };
    Grupo texturizado;
    Grupo liso;
    const auto carregar = [&](Grupo& g) {
        for (int t = 0; t < kLanes; ++t) {
            const int k = g.pontos[std::min(t, g.quantos - 1)];
            g.px[t] = pontos[k].x;
            g.py[t] = pontos[k].y;
            g.pz[t] = pontos[k].z;
            g.nx[t] = normais[k].x;
            g.ny[t] = normais[k].y;
            g.nz[t] = normais[k].z;
            g.tem[t] = comNormal[k] != 0;
        }
    };
    const auto iluminarTexturizado = [&] {
        Grupo& g = texturizado;
        carregar(g);
        double e[kCanais][kLanes];
        double d[kCanais][kLanes];
        double* const pe[kCanais] = {e[0], e[1], e[2]};
        double* const pd[kCanais] = {d[0], d[1], d[2]};
        iluminacao.partesDeQuatro(g.px, g.py, g.pz, g.nx, g.ny, g.nz, g.tem, camera.foco, luz, pe,
                                  pd);
        for (int t = 0; t < g.quantos; ++t) {
            const double et[kCanais] = {e[0][t], e[1][t], e[2][t]};
            const double dt[kCanais] = {d[0][t], d[1][t], d[2][t]};
            guardar(g.pontos[t], et, dt);
        }
        g.quantos = 0;
    };
    const auto iluminarLiso = [&] {
        Grupo& g = liso;
        carregar(g);
        double od[kCanais][kLanes];
        for (int t = 0; t < kLanes; ++t) {
            const double* c =
                &corObjeto[static_cast<std::size_t>(g.pontos[std::min(t, g.quantos - 1)]) *
                           kCanais];
            for (int canal = 0; canal < kCanais; ++canal) {
                od[canal][t] = c[canal];
            }
        }
        double r[kLanes], gr[kLanes], b[kLanes];
        iluminacao.corDeQuatro(g.px, g.py, g.pz, g.nx, g.ny, g.nz, g.tem, od[0], od[1], od[2],
                               camera.foco, luz, r, gr, b);
        for (int t = 0; t < g.quantos; ++t) {
            double* a = &atributos[static_cast<std::size_t>(g.pontos[t]) * kQuantAtributos];
            a[kE] = r[t];
            a[kE + 1] = gr[t];
            a[kE + 2] = b[t];
        }
        g.quantos = 0;
    };
    for (int k = inicio; k < fim; ++k) {
        if (marcas[k] == 0) {
            continue;
        }
        if (texturizados[k] != 0) {
            texturizado.pontos[texturizado.quantos++] = k;
            if (texturizado.quantos == kLanes) {
                iluminarTexturizado();
            }
        } else {
            liso.pontos[liso.quantos++] = k;
            if (liso.quantos == kLanes) {
                iluminarLiso();
            }
        }
    }
    if (texturizado.quantos > 0) {
        iluminarTexturizado();
    }
    if (liso.quantos > 0) {
        iluminarLiso();
    }
}

void SombreamentoGouraudTextura::sombrear(const FaixaVisivel& faixa, Quadro& quadro) const {
    // Neighbouring pixels are often won by the same triangle: its texture is kept.
    int anterior = -1;
    CoresDaMalha::TexturaDoTriangulo textura;
    sombrearPixels(faixa, quadro, vertices.getVertices(), atributos.data(), kQuantAtributos,
                   [&](int t, int ponto, const double* a, const double* b, const double* c,
                       double q1, double q2, double s) {
                       const auto valor = [&](int k) {
                           return interpolarAtributo(a, b, c, k, q1, q2, s);
                       };
                       if (t != anterior) {
                           anterior = t;
                           textura = ponto >= 0 ? cores.texturaDoPonto(ponto) : cores.texturaDe(t);
                       }
                       if (textura.textura == nullptr) {
                           return canais(valor(kE), valor(kE + 1), valor(kE + 2));
                       }
                       const Vetor amostra = textura.amostra(valor(kU), valor(kV));
                       const double od[kCanais] = {valor(kC) * amostra.x, valor(kC + 1) * amostra.y,
                                                   valor(kC + 2) * amostra.z};
                       double soma[kCanais];
                       for (int k = 0; k < kCanais; ++k) {
                           soma[k] = valor(kE + k) + od[k] * valor(kD + k);
                       }
                       return canais(soma[0], soma[1], soma[2]);
                   });
}

void SombreamentoGouraudTextura::usarAvx2(bool permitir) {
    quatro = permitir && Iluminacao::quatroDisponivel();
}

}  // namespace gouraud::detail
