#include "RenderizadorReferencia.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// A corner: camera coordinates (x, y, z) or screen ones (x, y, 1/cn), and a colour.
struct Canto {
    double x, y, z, r, g, b;
};

// Edge function of a -> b at p: (b - a) x (p - a).
double aresta(const Canto& a, const Canto& b, double px, double py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

bool topoEsquerda(const Canto& a, const Canto& b) {
    const double dy = b.y - a.y;
    return dy < 0 || (dy == 0 && b.x - a.x > 0);
}

int canal(double valor) { return valor > 0 ? static_cast<int>(std::min(valor, 255.0)) : 0; }

void triangulo(const Canto& a, const Canto& b, const Canto& c, Quadro& quadro) {
    const double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (area == 0 || !std::isfinite(area)) return;
    // Corners in the order that makes the area positive, for the inside test only.
    const Canto& p1 = area > 0 ? b : c;
    const Canto& p2 = area > 0 ? c : b;
    // The pixels whose centres lie in the bounding box, clamped to the screen before converting.
    const auto pixel = [](double v, double menor, double maior) {
        return static_cast<int>(std::clamp(v, menor, maior));
    };
    const double largura = quadro.getLargura(), altura = quadro.getAltura();
    const int i0 = pixel(std::ceil(std::min({a.x, b.x, c.x}) - 0.5), 0, largura);
    const int i1 = pixel(std::floor(std::max({a.x, b.x, c.x}) - 0.5), -1, largura - 1);
    const int j0 = pixel(std::ceil(std::min({a.y, b.y, c.y}) - 0.5), 0, altura);
    const int j1 = pixel(std::floor(std::max({a.y, b.y, c.y}) - 0.5), -1, altura - 1);
    for (int j = j0; j <= j1; ++j) {
        for (int i = i0; i <= i1; ++i) {
            const double px = i + 0.5, py = j + 0.5;
            bool dentro = true;
            for (const auto& [s, e] : {std::pair{&p1, &p2}, {&p2, &a}, {&a, &p1}}) {
                const double w = aresta(*s, *e, px, py);
                dentro = dentro && (w > 0 || (w == 0 && topoEsquerda(*s, *e)));
            }
            if (!dentro) continue;
            const double ex = px - a.x, ey = py - a.y;
            const double b1 = (ex * (c.y - a.y) - ey * (c.x - a.x)) * (1.0 / area);
            const double b2 = ((b.x - a.x) * ey - (b.y - a.y) * ex) * (1.0 / area);
            const double iz = a.z + b1 * (b.z - a.z) + b2 * (c.z - a.z);
            if (!(iz > quadro.getProfundidade(i, j))) continue;
            const double q1 = b1 * b.z, q2 = b2 * c.z, s = 1.0 / iz;
            quadro.linhaProfundidade(j)[i] = iz;
            quadro.linhaCor(j)[i] =
                Quadro::empacotar(canal(a.r + (q1 * (b.r - a.r) + q2 * (c.r - a.r)) * s),
                                  canal(a.g + (q1 * (b.g - a.g) + q2 * (c.g - a.g)) * s),
                                  canal(a.b + (q1 * (b.b - a.b) + q2 * (c.b - a.b)) * s));
        }
    }
}

}  // namespace

void desenharReferencia(const Malha& malha, const Iluminacao& iluminacao, const Camera& camera,
                        const Projecao& projecao, Quadro& quadro) {
    quadro.limpar();
    const Ponto luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
    std::vector<Canto> vertices;
    for (int i = 0; i < malha.getQuantPontos(); ++i) {
        const Ponto& p = malha.getPontos()[i];
        const Vetor c = camera.coordenadas(p);
        const Vetor cor = iluminacao.corDoVertice(p, malha.getNormal(i), camera.foco, luz);
        vertices.push_back({c.x, c.y, c.z, cor.x, cor.y, cor.z});
    }
    const double z = projecao.zPerto;
    for (int t = 0; t < malha.getQuantTriangulos(); ++t) {
        const Triangulo& tri = malha.getTriangulos()[t];
        const Canto cantos[] = {vertices[tri.indiceP1], vertices[tri.indiceP2],
                                vertices[tri.indiceP3]};
        // Near plane: keep cn >= zPerto; a cut corner goes from the inside end to the outside one.
        std::vector<Canto> poligono;
        for (int k = 0; k < 3; ++k) {
            const Canto& p = cantos[k];
            const Canto& q = cantos[(k + 1) % 3];
            if (p.z >= z) poligono.push_back(p);
            if ((p.z >= z) != (q.z >= z)) {
                const Canto& d = p.z >= z ? p : q;
                const Canto& f = p.z >= z ? q : p;
                const double s = (z - d.z) / (f.z - d.z);
                poligono.push_back({d.x + s * (f.x - d.x), d.y + s * (f.y - d.y), z,
                                    d.r + s * (f.r - d.r), d.g + s * (f.g - d.g),
                                    d.b + s * (f.b - d.b)});
            }
        }
        for (Canto& p : poligono) {
            p = {projecao.xTela(p.x, p.z), projecao.yTela(p.y, p.z), 1.0 / p.z, p.r, p.g, p.b};
        }
        for (std::size_t k = 1; k + 1 < poligono.size(); ++k) {
            triangulo(poligono[0], poligono[k], poligono[k + 1], quadro);
        }
    }
}
