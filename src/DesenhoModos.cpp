#include "DesenhoModos.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <type_traits>

#include "Arestas.h"
#include "Cobertura.h"
#include "CorPlana.h"
#include "Recorte.h"
#include "Sombreador.h"
#include "SombreamentoPhong.h"

namespace {

constexpr std::uint16_t kPreto = 0;
// Rows whose runs coverage finds in one call.
constexpr int kLinhasPorVez = Classificacao::kLinhasPorFaixa;
// 2^-96: twice an exact area, in 2^-96 square pixel, in square pixels.
constexpr double kInversoEscalaArea = 1.0 / 281474976710656.0 / 281474976710656.0;

// True when a corner of the triangle is behind the near plane or too far off screen.
bool precisaRecorte(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c) {
    return std::isnan(a.x) || std::isnan(b.x) || std::isnan(c.x);
}

// How a pixel that a triangle wins gets its colour, from the weights q1 and q2 of its second
// and third corners (screen-space weight times that corner's 1/cn) and s = 1/(1/cn) there.
// Gouraud: the corners' colours, interpolated perspective-correctly.
struct PintorGouraud {
    const VerticeTela& a;
    double dr1, dr2, dg1, dg2, db1, db2;

    PintorGouraud(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c)
        : a(a),
          dr1(b.r - a.r),
          dr2(c.r - a.r),
          dg1(b.g - a.g),
          dg2(c.g - a.g),
          db1(b.b - a.b),
          db2(c.b - a.b) {}

    std::uint16_t cor(double q1, double q2, double s, int, int) const {
        return Sombreador::empacotar(a.r + (q1 * dr1 + q2 * dr2) * s,
                                     a.g + (q1 * dg1 + q2 * dg2) * s,
                                     a.b + (q1 * db1 + q2 * db2) * s);
    }
};

// Flat: the triangle's one colour, already packed.
struct PintorPlano {
    std::uint16_t corPlana;

    std::uint16_t cor(double, double, double, int, int) const { return corPlana; }
};

// Phong: the lighting at the pixel's interpolated position and normal.
struct PintorPhong {
    const SombreamentoPhong& phong;

    std::uint16_t cor(double q1, double q2, double s, int, int) const {
        const Vetor cor = phong.cor(q1, q2, s);
        return Sombreador::empacotar(cor.x, cor.y, cor.z);
    }
};

// Any of them with the triangle's edges over it: black near an edge's line.
template <typename Pintor>
struct PintorComArestas {
    Pintor pintor;
    const Arestas& arestas;

    std::uint16_t cor(double q1, double q2, double s, int i, int j) const {
        return arestas.perto(i + 0.5, j + 0.5) ? kPreto : pintor.cor(q1, q2, s, i, j);
    }
};

// The depth test of a triangle at pixel centres, as Sombreador does it (screen-space weights of
// b and c relative to a, 1/cn interpolated linearly on the screen, written where it is strictly
// greater than the stored one), with the colour of a won pixel from `pintor`.
template <typename Pintor>
class SombreadorModo {
public:
    // `area` is the exact twice-signed area, whose sign the plain double one must share.
    SombreadorModo(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c, Int128 area,
                   const Pintor& pintor)
        : a(a),
          b(b),
          c(c),
          pintor(pintor),
          dx1(b.x - a.x),
          dy1(b.y - a.y),
          dx2(c.x - a.x),
          dy2(c.y - a.y),
          diz1(b.iz - a.iz),
          diz2(c.iz - a.iz) {
        double areaDupla = dx1 * dy2 - dy1 * dx2;
        if (!(area > 0 ? areaDupla > 0 : areaDupla < 0)) {
            areaDupla = static_cast<double>(area) * kInversoEscalaArea;
        }
        inversoArea = 1.0 / areaDupla;
    }

    void pixel(int i, int j, std::uint16_t* cores, double* profundidades) const {
        const double ex = (i + 0.5) - a.x;
        const double ey = (j + 0.5) - a.y;
        const double b1 = (ex * dy2 - ey * dx2) * inversoArea;
        const double b2 = (dx1 * ey - dy1 * ex) * inversoArea;
        const double iz = a.iz + b1 * diz1 + b2 * diz2;
        if (iz > profundidades[i]) {
            profundidades[i] = iz;
            const double q1 = b1 * b.iz;
            const double q2 = b2 * c.iz;
            const double s = 1.0 / iz;
            cores[i] = pintor.cor(q1, q2, s, i, j);
        }
    }

private:
    const VerticeTela& a;
    const VerticeTela& b;
    const VerticeTela& c;
    const Pintor& pintor;
    double dx1, dy1, dx2, dy2, inversoArea;
    double diz1, diz2;
};

// Draws the triangle (a, b, c) into rows [linha0, linha1) of `quadro`, coloured by `pintor`:
// the pixels whose centre it covers, where its 1/cn is greater than the stored one.
template <typename Pintor>
void desenharTriangulo(const VerticeTela& a, const VerticeTela& b, const VerticeTela& c,
                       int linha0, int linha1, Quadro& quadro, const Pintor& pintor) {
    Cobertura cobertura;
    if (!cobertura.montar(a, b, c, std::max(0, linha0), std::min(quadro.getAltura(), linha1),
                          quadro.getLargura())) {
        return;
    }
    std::array<Intervalo, kLinhasPorVez> intervalos;
    std::optional<SombreadorModo<Pintor>> sombreador;
    for (int j0 = cobertura.primeiraLinha(); j0 <= cobertura.ultimaLinha(); j0 += kLinhasPorVez) {
        const int j1 = std::min(cobertura.ultimaLinha(), j0 + kLinhasPorVez - 1);
        if (!cobertura.linhas(j0, j1, intervalos.data())) {
            continue;
        }
        if (!sombreador) {
            sombreador.emplace(a, b, c, cobertura.getArea(), pintor);
        }
        for (int j = j0; j <= j1; ++j) {
            const Intervalo& pixels = intervalos[static_cast<std::size_t>(j - j0)];
            std::uint16_t* cores = quadro.linhaCor(j);
            double* profundidades = quadro.linhaProfundidade(j);
            for (int i = pixels.inicio; i <= pixels.fim; ++i) {
                sombreador->pixel(i, j, cores, profundidades);
            }
        }
    }
}

}  // namespace

struct DesenhoModos::Vista {
    const Camera& camera;
    const Projecao& projecao;
    const Iluminacao& iluminacao;
    // Where the light is: at the focus for the headlight.
    Ponto luz;
};

DesenhoModos::DesenhoModos(const Malha& malha, const EstagioVertices& vertices,
                           const Classificacao& classificacao)
    : malha(malha), vertices(vertices), classificacao(classificacao) {}

void DesenhoModos::desenharFaixa(int faixa, const Camera& camera, const Projecao& projecao,
                                 const Estilo& estilo, const Iluminacao& iluminacao,
                                 Quadro& quadro) const {
    const int linha0 = faixa * Classificacao::kLinhasPorFaixa;
    quadro.limpar(linha0, std::min(quadro.getAltura(), linha0 + Classificacao::kLinhasPorFaixa));
    const Vista vista{camera, projecao, iluminacao,
                      iluminacao.luzNoFoco ? camera.foco : iluminacao.luz};
    using Modo = Estilo::Modo;
    switch (estilo.modo) {
        case Modo::plano:
            estilo.arestas ? desenharTriangulos<Modo::plano, true>(faixa, vista, quadro)
                           : desenharTriangulos<Modo::plano, false>(faixa, vista, quadro);
            break;
        case Modo::gouraud:
            estilo.arestas ? desenharTriangulos<Modo::gouraud, true>(faixa, vista, quadro)
                           : desenharTriangulos<Modo::gouraud, false>(faixa, vista, quadro);
            break;
        case Modo::phong:
            estilo.arestas ? desenharTriangulos<Modo::phong, true>(faixa, vista, quadro)
                           : desenharTriangulos<Modo::phong, false>(faixa, vista, quadro);
            break;
    }
}

template <Estilo::Modo kModo, bool kArestas>
void DesenhoModos::desenharTriangulos(int faixa, const Vista& vista, Quadro& quadro) const {
    using Modo = Estilo::Modo;
    const int linha0 = faixa * Classificacao::kLinhasPorFaixa;
    const int linha1 = std::min(quadro.getAltura(), linha0 + Classificacao::kLinhasPorFaixa);
    const int largura = quadro.getLargura();
    const Triangulo* triangulos = malha.getTriangulos();
    const Ponto* mundo = malha.getPontos();
    const Ponto* pontos = vertices.getPontos();
    const Vetor* normais = vertices.getNormais();
    const VerticeTela* v = vertices.getVertices();
    const PosicaoExata* exatas = vertices.getExatas();
    const Classificacao::Entrada* entradas = classificacao.getEntradas();
    const std::int64_t fim = classificacao.inicio(faixa + 1);
    // A corner of the Phong triangle: the world position and normal of a point.
    const auto cantoPhong = [&](std::int32_t ponto) {
        return SombreamentoPhong::Canto{pontos[ponto], normais[ponto]};
    };
    for (std::int64_t k = classificacao.inicio(faixa); k < fim; ++k) {
        const Classificacao::Entrada& entrada = entradas[k];
        const Triangulo& t = triangulos[entrada.triangulo];
        const VerticeTela& a = v[entrada.a];
        const VerticeTela& b = v[entrada.b];
        const VerticeTela& c = v[entrada.c];
        const bool inteiro = entrada.pixel >= 0 || !precisaRecorte(a, b, c);
        // The mesh triangle's edges, whichever part of it is drawn.
        Arestas arestas;
        if constexpr (kArestas) {
            arestas = inteiro ? Arestas::doTriangulo(a.x, a.y, b.x, b.y, c.x, c.y)
                              : Arestas::doTrianguloNoEspaco(
                                    vista.camera.coordenadas(mundo[t.indiceP1]),
                                    vista.camera.coordenadas(mundo[t.indiceP2]),
                                    vista.camera.coordenadas(mundo[t.indiceP3]), vista.projecao);
        }
        const auto comArestas = [&](const auto& pintor, const auto& desenho) {
            if constexpr (kArestas) {
                desenho(PintorComArestas<std::decay_t<decltype(pintor)>>{pintor, arestas});
            } else {
                desenho(pintor);
            }
        };
        std::uint16_t cor = 0;
        if constexpr (kModo == Modo::plano) {
            const Vetor plana = CorPlana::cor(
                vista.iluminacao, pontos[entrada.a], pontos[entrada.b], pontos[entrada.c],
                malha.getNormaisTriangulo()[entrada.triangulo], vista.camera.foco, vista.luz);
            cor = Sombreador::empacotar(plana.x, plana.y, plana.z);
        }
        if (inteiro) {
            const auto desenho = [&](const auto& pintor) {
                using Pintor = std::decay_t<decltype(pintor)>;
                if (entrada.pixel < 0) {
                    desenharTriangulo(a, b, c, linha0, linha1, quadro, pintor);
                    return;
                }
                // Its one pixel, already known to be covered.
                const int y = entrada.pixel / largura;
                SombreadorModo<Pintor>(
                    a, b, c, Cobertura::area(exatas[entrada.a], exatas[entrada.b], exatas[entrada.c]),
                    pintor)
                    .pixel(entrada.pixel - y * largura, y, quadro.linhaCor(y),
                           quadro.linhaProfundidade(y));
            };
            if constexpr (kModo == Modo::gouraud) {
                comArestas(PintorGouraud(a, b, c), desenho);
            } else if constexpr (kModo == Modo::plano) {
                comArestas(PintorPlano{cor}, desenho);
            } else {
                const SombreamentoPhong::Canto ca = cantoPhong(entrada.a);
                const SombreamentoPhong::Canto cb = cantoPhong(entrada.b);
                const SombreamentoPhong::Canto cc = cantoPhong(entrada.c);
                const SombreamentoPhong phong(vista.iluminacao, vista.camera.foco, vista.luz, ca, cb,
                                              cc);
                comArestas(PintorPhong{phong}, desenho);
            }
            continue;
        }
        const auto recortar = [&](const VerticeTela& va, const VerticeTela& vb,
                                  const VerticeTela& vc) {
            return Recorte::recortar(vista.camera, vista.projecao, largura, quadro.getAltura(),
                                     mundo[t.indiceP1], mundo[t.indiceP2], mundo[t.indiceP3], va,
                                     vb, vc);
        };
        const Recorte::Poligono p = recortar(a, b, c);
        // For Phong, the same clipping twice more, carrying the corners' positions and then
        // their normals where the colours go: the same cuts, so the same polygon.
        Recorte::Poligono posicoes;
        Recorte::Poligono direcoes;
        if constexpr (kModo == Modo::phong) {
            const auto comValores = [](const VerticeTela& canto, const auto& valor) {
                return VerticeTela{canto.x, canto.y, canto.iz, valor.x, valor.y, valor.z};
            };
            const SombreamentoPhong::Canto ca = cantoPhong(entrada.a);
            const SombreamentoPhong::Canto cb = cantoPhong(entrada.b);
            const SombreamentoPhong::Canto cc = cantoPhong(entrada.c);
            posicoes = recortar(comValores(a, ca.posicao), comValores(b, cb.posicao),
                                comValores(c, cc.posicao));
            direcoes = recortar(comValores(a, ca.normal), comValores(b, cb.normal),
                                comValores(c, cc.normal));
        }
        for (int k2 = 1; k2 + 1 < p.quant; ++k2) {
            const std::size_t cantos[] = {0, static_cast<std::size_t>(k2),
                                          static_cast<std::size_t>(k2) + 1};
            const VerticeTela ta = Recorte::paraTela(p.cantos[cantos[0]]);
            const VerticeTela tb = Recorte::paraTela(p.cantos[cantos[1]]);
            const VerticeTela tc = Recorte::paraTela(p.cantos[cantos[2]]);
            const auto desenho = [&](const auto& pintor) {
                desenharTriangulo(ta, tb, tc, linha0, linha1, quadro, pintor);
            };
            if constexpr (kModo == Modo::gouraud) {
                comArestas(PintorGouraud(ta, tb, tc), desenho);
            } else if constexpr (kModo == Modo::plano) {
                comArestas(PintorPlano{cor}, desenho);
            } else {
                std::array<SombreamentoPhong::Canto, 3> leque;
                for (std::size_t m = 0; m < leque.size(); ++m) {
                    const Recorte::Canto& pos = posicoes.cantos[cantos[m]];
                    const Recorte::Canto& dir = direcoes.cantos[cantos[m]];
                    leque[m] = SombreamentoPhong::Canto{Ponto(pos.r, pos.g, pos.b),
                                                        Vetor(dir.r, dir.g, dir.b)};
                }
                const SombreamentoPhong phong(vista.iluminacao, vista.camera.foco, vista.luz,
                                              leque[0], leque[1], leque[2]);
                comArestas(PintorPhong{phong}, desenho);
            }
        }
    }
}
