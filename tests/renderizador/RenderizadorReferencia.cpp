#include "RenderizadorReferencia.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "CorObjeto.h"
#include "Elementares.h"

namespace gouraud::detail {

namespace {

// An edge is drawn over the pixels whose centre lies this near its line, in pixels.
constexpr double kDistanciaAresta = 0.75;
// A needle is this fraction of the bounding box's diagonal long.
constexpr double kFracaoAgulha = 0.03;
constexpr int kAgulhaR = 64, kAgulhaG = 96, kAgulhaB = 255;

// A corner: camera coordinates (x, y, z) or screen ones (x, y, 1/cn), a colour, and its world
// position (px, py, pz) and unit point normal (nx, ny, nz; zero for a point without one); with
// the file's colours, its object colour before the texture (cr, cg, cb), its texture coordinates
// (u, v) and the lighting's two parts E and D (textured triangles).
struct Canto {
    double x, y, z, r, g, b;
    double px, py, pz, nx, ny, nz;
    double cr, cg, cb, u, v;
    double er, eg, eb, dr, dg, db;
};

// The texel index that whole index i reaches on an axis of n texels.
int texel(double i, int n, Aparencia::Repeticao repeticao) {
    if (repeticao == Aparencia::Repeticao::limitar)
        return static_cast<int>(std::clamp(i, 0.0, n - 1.0));
    if (repeticao == Aparencia::Repeticao::espelhar) {
        const double r = i - 2.0 * n * std::floor(i / (2.0 * n));
        return static_cast<int>(r < n ? r : 2.0 * n - 1.0 - r);
    }
    return static_cast<int>(i - n * std::floor(i / n));
}

// The bilinear sample at (u, v) of the texture of material m, each channel b/255.
Vetor amostra(const Aparencia& aparencia, const Aparencia::Material& m, double u, double v) {
    const Textura& t = aparencia.getTextura(m.textura);
    const int w = t.getLargura(), h = t.getAltura();
    const double x = u * w - 0.5, y = (1.0 - v) * h - 0.5;
    const double x0 = std::floor(x), y0 = std::floor(y), fx = x - x0, fy = y - y0;
    const int i[2] = {texel(x0, w, m.repeticaoU), texel(x0 + 1, w, m.repeticaoU)};
    const int j[2] = {texel(y0, h, m.repeticaoV), texel(y0 + 1, h, m.repeticaoV)};
    const double pesos[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    double canal[3];
    for (int k = 0; k < 3; ++k) {
        const auto b = [&](int x, int y) { return t.texel(i[x], j[y])[k] / 255.0; };
        canal[k] = ((pesos[0] * b(0, 0) + pesos[1] * b(1, 0)) + pesos[2] * b(0, 1)) +
                   pesos[3] * b(1, 1);
    }
    return Vetor(canal[0], canal[1], canal[2]);
}

// The line through the projected ends of an edge of the mesh.
struct Linha {
    double x0, y0, x1, y1;
};

// What a triangle's pixels need beside its corners: with the file's colours, the look and the
// triangle's material when it is textured; `naAresta` is the frame's, one flag per pixel:
// whether the triangle that won it has an edge near its centre.
struct Pintura {
    const Estilo& estilo;
    const Iluminacao& iluminacao;
    Ponto foco;
    Ponto luz;
    Vetor corPlana;
    std::vector<Linha> linhas;
    std::vector<bool>& naAresta;
    const Aparencia* aparencia = nullptr;
    const Aparencia::Material* textura = nullptr;
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

bool finito(const Vetor& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// v made unit length into `unitario`; false when v is zero or the result is not finite.
bool unitarizar(const Vetor& v, Vetor& unitario) {
    if (!finito(v) || (v.x == 0 && v.y == 0 && v.z == 0)) return false;
    const double inverso = 1.0 / std::sqrt((v.x * v.x + v.y * v.y) + v.z * v.z);
    unitario = Vetor(inverso * v.x, inverso * v.y, inverso * v.z);
    return finito(unitario);
}

// The distance from (px, py) to the line through the edge's ends is at most 0.75 pixel.
bool pertoDaLinha(const Linha& l, double px, double py) {
    const double dx = l.x1 - l.x0, dy = l.y1 - l.y0;
    return std::fabs(dx * (py - l.y0) - dy * (px - l.x0)) / std::sqrt(dx * dx + dy * dy) <=
           kDistanciaAresta;
}

// The corner where the near plane cuts the segment from d (in front) to f (behind).
Canto cortar(const Canto& d, const Canto& f, double z) {
    const double s = (z - d.z) / (f.z - d.z);
    const auto m = [s](double a, double b) { return a + s * (b - a); };
    return {m(d.x, f.x),   m(d.y, f.y),   z,           m(d.r, f.r),   m(d.g, f.g),
            m(d.b, f.b),   m(d.px, f.px), m(d.py, f.py), m(d.pz, f.pz), m(d.nx, f.nx),
            m(d.ny, f.ny), m(d.nz, f.nz), m(d.cr, f.cr), m(d.cg, f.cg), m(d.cb, f.cb),
            m(d.u, f.u),   m(d.v, f.v),   m(d.er, f.er), m(d.eg, f.eg), m(d.eb, f.eb),
            m(d.dr, f.dr), m(d.dg, f.dg), m(d.db, f.db)};
}

void triangulo(const Canto& a, const Canto& b, const Canto& c, const Pintura& pintura,
               Quadro& quadro) {
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
            // Perspective-correct: the weights over each corner's cn, renormalised.
            const auto interpolar = [&](double va, double vb, double vc) {
                return va + (q1 * (vb - va) + q2 * (vc - va)) * s;
            };
            Vetor cor;
            switch (pintura.estilo.modo) {
                case Estilo::Modo::plano:
                    cor = pintura.corPlana;
                    break;
                case Estilo::Modo::gouraud:
                    cor = Vetor(interpolar(a.r, b.r, c.r), interpolar(a.g, b.g, c.g),
                                interpolar(a.b, b.b, c.b));
                    if (pintura.textura != nullptr) {
                        // E + Od.D, Od the interpolated colour times the sample.
                        const Vetor t = amostra(*pintura.aparencia, *pintura.textura,
                                                interpolar(a.u, b.u, c.u),
                                                interpolar(a.v, b.v, c.v));
                        const Vetor od(interpolar(a.cr, b.cr, c.cr) * t.x,
                                       interpolar(a.cg, b.cg, c.cg) * t.y,
                                       interpolar(a.cb, b.cb, c.cb) * t.z);
                        const auto canal = [&](double Canto::*e, double Canto::*d, double o) {
                            return interpolar(a.*e, b.*e, c.*e) + o * interpolar(a.*d, b.*d, c.*d);
                        };
                        cor = Vetor(canal(&Canto::er, &Canto::dr, od.x),
                                    canal(&Canto::eg, &Canto::dg, od.y),
                                    canal(&Canto::eb, &Canto::db, od.z));
                    }
                    break;
                case Estilo::Modo::phong: {
                    const Ponto p(interpolar(a.px, b.px, c.px), interpolar(a.py, b.py, c.py),
                                  interpolar(a.pz, b.pz, c.pz));
                    const Vetor n(interpolar(a.nx, b.nx, c.nx), interpolar(a.ny, b.ny, c.ny),
                                  interpolar(a.nz, b.nz, c.nz));
                    Vetor unitaria;
                    const bool temNormal = unitarizar(n, unitaria);
                    Vetor od = pintura.iluminacao.od;
                    if (pintura.aparencia != nullptr) {
                        od = Vetor(interpolar(a.cr, b.cr, c.cr), interpolar(a.cg, b.cg, c.cg),
                                   interpolar(a.cb, b.cb, c.cb));
                    }
                    if (pintura.textura != nullptr) {
                        const Vetor t = amostra(*pintura.aparencia, *pintura.textura,
                                                interpolar(a.u, b.u, c.u),
                                                interpolar(a.v, b.v, c.v));
                        od = Vetor(od.x * t.x, od.y * t.y, od.z * t.z);
                    }
                    cor = pintura.iluminacao.corDoVertice(p, temNormal ? &unitaria : nullptr,
                                                          pintura.foco, pintura.luz, od);
                    break;
                }
            }
            bool naAresta = false;
            for (const Linha& linha : pintura.linhas) naAresta = naAresta || pertoDaLinha(linha, px, py);
            quadro.linhaProfundidade(j)[i] = iz;
            quadro.linha(j).pintar(i, canal(cor.x), canal(cor.y), canal(cor.z));
            pintura.naAresta[static_cast<std::size_t>(j * quadro.getLargura() + i)] = naAresta;
        }
    }
}

// Draws the segment from a to b (camera coordinates) in `cor` over the frame without writing
// depth, as a needle or a line is drawn.
void agulha(Vetor a, Vetor b, const Projecao& projecao, Quadro& quadro,
            Canais cor = Quadro::opaco(kAgulhaR, kAgulhaG, kAgulhaB)) {
    const double z = projecao.zPerto;
    const bool frenteA = a.z >= z, frenteB = b.z >= z;
    if (!frenteA && !frenteB) return;
    const auto cortarAgulha = [z](const Vetor& d, const Vetor& f) {
        const double s = (z - d.z) / (f.z - d.z);
        return Vetor(d.x + s * (f.x - d.x), d.y + s * (f.y - d.y), z);
    };
    if (!frenteA) a = cortarAgulha(b, a);
    if (!frenteB) b = cortarAgulha(a, b);
    const double x0 = projecao.xTela(a.x, a.z), y0 = projecao.yTela(a.y, a.z), iz0 = 1.0 / a.z;
    const double x1 = projecao.xTela(b.x, b.z), y1 = projecao.yTela(b.y, b.z), iz1 = 1.0 / b.z;
    for (const double v : {x0, y0, iz0, x1, y1, iz1})
        if (!std::isfinite(v)) return;
    const auto pintar = [&](double x, double y, double iz) {
        if (!(x >= 0 && x < quadro.getLargura() && y >= 0 && y < quadro.getAltura())) return;
        const int i = static_cast<int>(std::floor(x)), j = static_cast<int>(std::floor(y));
        if (iz >= quadro.getProfundidade(i, j)) quadro.linha(j).pintar(i, cor);
    };
    const double adx = std::fabs(x1 - x0), ady = std::fabs(y1 - y0);
    if (adx >= ady && adx > 0) {
        const double menor = std::min(x0, x1), maior = std::max(x0, x1);
        const double largura = quadro.getLargura();
        const int i0 = static_cast<int>(std::clamp(std::floor(menor), 0.0, largura));
        const int i1 = static_cast<int>(std::clamp(std::floor(maior), -1.0, largura - 1));
        for (int i = i0; i <= i1; ++i) {
            const double centro = i + 0.5;
            if (!(centro >= menor && centro <= maior)) continue;
            pintar(centro, y0 + (i + 0.5 - x0) * (y1 - y0) / (x1 - x0),
                   iz0 + (i + 0.5 - x0) * (iz1 - iz0) / (x1 - x0));
        }
    } else if (ady > adx) {
        const double menor = std::min(y0, y1), maior = std::max(y0, y1);
        const double altura = quadro.getAltura();
        const int j0 = static_cast<int>(std::clamp(std::floor(menor), 0.0, altura));
        const int j1 = static_cast<int>(std::clamp(std::floor(maior), -1.0, altura - 1));
        for (int j = j0; j <= j1; ++j) {
            const double centro = j + 0.5;
            if (!(centro >= menor && centro <= maior)) continue;
            pintar(x0 + (j + 0.5 - y0) * (x1 - x0) / (y1 - y0), centro,
                   iz0 + (j + 0.5 - y0) * (iz1 - iz0) / (y1 - y0));
        }
    }
}

// The object colour of a point or a line's first vertex, as a corner's: with the file's colours
// on, its colour times its material's (those that count), else Od; with them off, Od.
Vetor corDoObjeto(const std::vector<Primitivas::Terno>& cores, std::size_t k,
                  const Aparencia::Material* material, const Iluminacao& iluminacao, bool ligadas) {
    if (!ligadas) return iluminacao.od;
    float c[3] = {};
    if (!cores.empty()) c[0] = cores[k].x, c[1] = cores[k].y, c[2] = cores[k].z;
    return CorObjeto::cor(cores.empty() ? nullptr : c, material, false, iluminacao.od);
}

// Ka.Ia + Kd.Od.Il per channel: a point or a line lit head-on.
Canais deFrente(const Vetor& od, const Iluminacao& l) {
    return Quadro::opaco(canal(l.ka * l.ia.x + l.kd * od.x * l.il.x),
                         canal(l.ka * l.ia.y + l.kd * od.y * l.il.y),
                         canal(l.ka * l.ia.z + l.kd * od.z * l.il.z));
}

// The loose points in file order, each pixel of the frame tested against the square's bounds as
// written (or, for a disc of 2 pixels or more, against its circle), taken where the point's 1/cn
// is strictly greater than the stored one; `tamanho` pixels a side.
void pontos(const Malha& malha, const Iluminacao& iluminacao, const Camera& camera,
            const Projecao& projecao, const Ponto& luz, const Estilo& estilo, int tamanho,
            Quadro& quadro, std::vector<bool>& naAresta) {
    const Primitivas& primitivas = malha.getPrimitivas();
    const double meio = tamanho / 2.0;
    const bool disco = estilo.formaPonto == Estilo::FormaPonto::disco && tamanho > 1;
    const double largura = quadro.getLargura(), altura = quadro.getAltura();
    for (int k = 0; k < primitivas.getQuantPontos(); ++k) {
        const Ponto p = primitivas.getPonto(k);
        const Vetor c = camera.coordenadas(p);
        if (!(c.z >= projecao.zPerto)) continue;
        const double xs = projecao.xTela(c.x, c.z), ys = projecao.yTela(c.y, c.z);
        if (!std::isfinite(xs) || !std::isfinite(ys)) continue;
        const double iz = 1.0 / c.z;
        const Vetor od = corDoObjeto(primitivas.getCores(), k, primitivas.getMaterialPonto(k),
                                     iluminacao, estilo.cores);
        Canais cor = deFrente(od, iluminacao);
        if (!primitivas.getNormais().empty()) {
            const Primitivas::Terno& n = primitivas.getNormais()[k];
            Vetor unitaria;
            if (unitarizar(Vetor(n.x, n.y, n.z), unitaria)) {
                const Vetor lit = iluminacao.corDoVertice(p, &unitaria, camera.foco, luz, od);
                cor = Quadro::opaco(canal(lit.x), canal(lit.y), canal(lit.z));
            }
        }
        // The pixels near the square, then the rule itself.
        const int i0 = static_cast<int>(std::clamp(std::floor(xs - meio) - 1, 0.0, largura));
        const int i1 = static_cast<int>(std::clamp(std::ceil(xs + meio) + 1, -1.0, largura - 1));
        const int j0 = static_cast<int>(std::clamp(std::floor(ys - meio) - 1, 0.0, altura));
        const int j1 = static_cast<int>(std::clamp(std::ceil(ys + meio) + 1, -1.0, altura - 1));
        for (int j = j0; j <= j1; ++j) {
            for (int i = i0; i <= i1; ++i) {
                const double dx = (i + 0.5) - xs, dy = (j + 0.5) - ys;
                const bool dentro = disco ? dx * dx + dy * dy <= meio * meio
                                          : xs - meio <= i + 0.5 && i + 0.5 < xs + meio &&
                                                ys - meio <= j + 0.5 && j + 0.5 < ys + meio;
                if (!dentro || !(iz > quadro.getProfundidade(i, j))) continue;
                quadro.linhaProfundidade(j)[i] = iz;
                quadro.linha(j).pintar(i, cor);
                naAresta[static_cast<std::size_t>(j * quadro.getLargura() + i)] = false;
            }
        }
    }
}

}  // namespace

void desenharReferencia(const Malha& malha, const Iluminacao& iluminacao, const Camera& camera,
                        const Projecao& projecao, Quadro& quadro, const Estilo& estilo,
                        int tamanhoPonto) {
    // The frame keeps the channels for a 24-bit or transparent picture, the background the
    // style's colour or none.
    quadro.usarCanais(estilo.bits24 || estilo.transparente);
    quadro.setFundo(estilo.transparente ? 0 : estilo.fundo);
    quadro.limpar();
    const Ponto luz = iluminacao.luzNoFoco ? camera.foco : iluminacao.luz;
    std::vector<bool> naAresta(
        static_cast<std::size_t>(quadro.getLargura()) * static_cast<std::size_t>(quadro.getAltura()),
        false);
    std::vector<Canto> vertices;
    for (int i = 0; i < malha.getQuantPontos(); ++i) {
        const Ponto& p = malha.getPontos()[i];
        const Vetor c = camera.coordenadas(p);
        const Vetor* normal = malha.getNormal(i);
        const Vetor n = normal != nullptr ? *normal : Vetor(0, 0, 0);
        const Vetor cor = iluminacao.corDoVertice(p, normal, camera.foco, luz);
        vertices.push_back({c.x, c.y, c.z, cor.x, cor.y, cor.z, p.x, p.y, p.z, n.x, n.y, n.z,
                            0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    const double z = projecao.zPerto;
    const Aparencia* aparencia = estilo.cores ? malha.getAparencia() : nullptr;
    for (int t = 0; t < malha.getQuantTriangulos(); ++t) {
        const Triangulo& tri = malha.getTriangulos()[t];
        const int indices[] = {tri.indiceP1, tri.indiceP2, tri.indiceP3};
        Canto cantos[] = {vertices[indices[0]], vertices[indices[1]], vertices[indices[2]]};
        Pintura pintura{estilo, iluminacao, camera.foco, luz, Vetor(), {}, naAresta};
        const bool texturizado = aparencia != nullptr && aparencia->texturizado(t);
        if (aparencia != nullptr) {
            // Each corner with its own colour: lit with it, or split into E and D.
            pintura.aparencia = aparencia;
            for (int k = 0; k < 3; ++k) {
                const Aparencia::Variante& variante =
                    aparencia->getVariante(aparencia->getCanto(t, k));
                const Vetor od = CorObjeto::cor(*aparencia, variante, texturizado, iluminacao.od);
                const Ponto& p = malha.getPontos()[indices[k]];
                const Vetor* normal = malha.getNormal(indices[k]);
                const Vetor cor = iluminacao.corDoVertice(p, normal, camera.foco, luz, od);
                Vetor e, d;
                iluminacao.partesDoVertice(p, normal, camera.foco, luz, e, d);
                Canto& c = cantos[k];
                c.r = cor.x, c.g = cor.y, c.b = cor.z;
                c.cr = od.x, c.cg = od.y, c.cb = od.z;
                c.u = variante.uv[0], c.v = variante.uv[1];
                c.er = e.x, c.eg = e.y, c.eb = e.z, c.dr = d.x, c.dg = d.y, c.db = d.z;
            }
            if (texturizado) {
                pintura.textura = aparencia->getMaterial(
                    aparencia->getVariante(aparencia->getCanto(t, 0)).material);
            }
        }
        if (estilo.modo == Estilo::Modo::plano) {
            // Lit at the centroid with the triangle's own normal.
            const Ponto& p1 = malha.getPontos()[indices[0]];
            const Ponto& p2 = malha.getPontos()[indices[1]];
            const Ponto& p3 = malha.getPontos()[indices[2]];
            const Ponto centroide(((p1.x + p2.x) + p3.x) / 3, ((p1.y + p2.y) + p3.y) / 3,
                                  ((p1.z + p2.z) + p3.z) / 3);
            Vetor unitaria;
            const bool temNormal = unitarizar(malha.getNormaisTriangulo()[t], unitaria);
            Vetor od = iluminacao.od;
            if (aparencia != nullptr) {
                const Canto& a = cantos[0];
                const Canto& b = cantos[1];
                const Canto& c = cantos[2];
                od = Vetor(((a.cr + b.cr) + c.cr) / 3, ((a.cg + b.cg) + c.cg) / 3,
                           ((a.cb + b.cb) + c.cb) / 3);
                if (texturizado) {
                    const Vetor s = amostra(*aparencia, *pintura.textura, ((a.u + b.u) + c.u) / 3,
                                            ((a.v + b.v) + c.v) / 3);
                    od = Vetor(od.x * s.x, od.y * s.y, od.z * s.z);
                }
            }
            pintura.corPlana = iluminacao.corDoVertice(centroide, temNormal ? &unitaria : nullptr,
                                                       camera.foco, luz, od);
        }
        // Near plane: keep cn >= zPerto; a cut corner goes from the inside end to the outside one.
        std::vector<Canto> poligono;
        for (int k = 0; k < 3; ++k) {
            const Canto& p = cantos[k];
            const Canto& q = cantos[(k + 1) % 3];
            if (p.z >= z) poligono.push_back(p);
            if ((p.z >= z) != (q.z >= z)) {
                poligono.push_back(p.z >= z ? cortar(p, q, z) : cortar(q, p, z));
            }
            // The edge p -> q of the mesh, or the part of it in front of the near plane.
            if (estilo.arestas && (p.z >= z || q.z >= z)) {
                const Canto inicio = p.z >= z ? p : cortar(q, p, z);
                const Canto fim = q.z >= z ? q : cortar(p, q, z);
                pintura.linhas.push_back({projecao.xTela(inicio.x, inicio.z),
                                          projecao.yTela(inicio.y, inicio.z),
                                          projecao.xTela(fim.x, fim.z), projecao.yTela(fim.y, fim.z)});
            }
        }
        for (Canto& p : poligono) {
            p.x = projecao.xTela(p.x, p.z);
            p.y = projecao.yTela(p.y, p.z);
            p.z = 1.0 / p.z;
        }
        for (std::size_t k = 1; k + 1 < poligono.size(); ++k) {
            triangulo(poligono[0], poligono[k], poligono[k + 1], pintura, quadro);
        }
    }
    pontos(malha, iluminacao, camera, projecao, luz, estilo,
           tamanhoPonto > 0 ? tamanhoPonto : estilo.tamanhoPonto, quadro, naAresta);
    // The lines in file order, coloured by their first vertex lit head-on.
    const Primitivas& primitivas = malha.getPrimitivas();
    for (int k = 0; k < primitivas.getQuantLinhas(); ++k) {
        const std::size_t a = 2 * static_cast<std::size_t>(k);
        agulha(camera.coordenadas(Primitivas::ponto(primitivas.getExtremos()[a])),
               camera.coordenadas(Primitivas::ponto(primitivas.getExtremos()[a + 1])), projecao,
               quadro,
               deFrente(corDoObjeto(primitivas.getCoresLinhas(), static_cast<std::size_t>(k),
                                    primitivas.getMaterialLinha(k), iluminacao, estilo.cores),
                        iluminacao));
    }
    // The edges over the triangles' pixels they won, and over the lines.
    for (int j = 0; j < quadro.getAltura(); ++j)
        for (int i = 0; i < quadro.getLargura(); ++i)
            if (naAresta[static_cast<std::size_t>(j * quadro.getLargura() + i)])
                quadro.linha(j).pintar(i, 0, 0, 0);
    if (!estilo.normais) return;
    // A needle for every point a triangle names, from the point outwards, against the scene's
    // normal, which points away from a viewer who sees the triangle counter-clockwise.
    std::vector<bool> nomeado(static_cast<std::size_t>(malha.getQuantPontos()), false);
    for (int t = 0; t < malha.getQuantTriangulos(); ++t) {
        const Triangulo& tri = malha.getTriangulos()[t];
        for (const int i : {tri.indiceP1, tri.indiceP2, tri.indiceP3}) nomeado[i] = true;
    }
    const double alcance = kFracaoAgulha * malha.getDiagonal();
    for (int i = 0; i < malha.getQuantPontos(); ++i) {
        if (!nomeado[i]) continue;
        const Ponto& p = malha.getPontos()[i];
        const Ponto& q = malha.getNovosPontos()[i];
        const Vetor d(q.x - p.x, q.y - p.y, q.z - p.z);
        if (!finito(d) || (d.x == 0 && d.y == 0 && d.z == 0)) continue;
        const double comprimento = std::sqrt((d.x * d.x + d.y * d.y) + d.z * d.z);
        const Ponto fim(p.x - alcance * d.x / comprimento, p.y - alcance * d.y / comprimento,
                        p.z - alcance * d.z / comprimento);
        agulha(camera.coordenadas(p), camera.coordenadas(fim), projecao, quadro);
    }
}

}  // namespace gouraud::detail

namespace gouraud::detail {

std::vector<Canais> imagemReferencia(const Malha& malha, const Iluminacao& iluminacao,
                                     const Camera& camera, const Projecao& projecao,
                                     const Estilo& estilo) {
    // The K.W x K.H frame by the contract, through the projection's screen K times larger.
    const int k = estilo.amostras, w = projecao.largura, h = projecao.altura;
    Projecao grande = projecao;
    grande.largura = k * w;
    grande.altura = k * h;
    Quadro amostras(k * w, k * h);
    desenharReferencia(malha, iluminacao, camera, grande, amostras, estilo,
                       k * estilo.tamanhoPonto);
    // Each sample's 8-bit channels, and whether it is drawn.
    const auto canais = [&](int x, int y) {
        return estilo.bits24 ? amostras.getCanais(x, y) : Quadro::expandir(amostras.getCor(x, y));
    };
    const auto desenhada = [&](int x, int y) {
        return !estilo.transparente || Quadro::alfaDe(amostras.getCanais(x, y)) != 0;
    };
    // Eye-dome lighting at radius K.r, sample by sample.
    std::vector<Canais> escuras(static_cast<std::size_t>(k * w) * static_cast<std::size_t>(k * h));
    const int r = k * estilo.raioEdl;
    const int vizinhos[8][2] = {{-r, 0},  {r, 0},  {0, -r}, {0, r},
                                {-r, -r}, {-r, r}, {r, -r}, {r, r}};
    for (int y = 0; y < k * h; ++y) {
        for (int x = 0; x < k * w; ++x) {
            Canais c = canais(x, y);
            const double wp = amostras.getProfundidade(x, y);
            if (estilo.edl && wp > 0) {
                double o = 0;
                for (const auto& v : vizinhos) {
                    const int nx = x + v[0], ny = y + v[1];
                    if (nx < 0 || ny < 0 || nx >= k * w || ny >= k * h) continue;
                    const double wn = amostras.getProfundidade(nx, ny);
                    if (wn > 0) o += std::max(0.0, Elementares::log2(wn) - Elementares::log2(wp));
                }
                const double f = Elementares::exp(-estilo.forcaEdl * o);
                c = Quadro::opaco(static_cast<int>(std::floor(Quadro::vermelhoDe(c) * f)),
                                  static_cast<int>(std::floor(Quadro::verdeDe(c) * f)),
                                  static_cast<int>(std::floor(Quadro::azulDe(c) * f)));
            }
            escuras[static_cast<std::size_t>(y) * static_cast<std::size_t>(k * w) +
                    static_cast<std::size_t>(x)] = c;
        }
    }
    // The mean of each pixel's samples, over the drawn ones without a background.
    std::vector<Canais> imagem(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int soma[3] = {0, 0, 0}, n = 0;
            for (int sy = k * y; sy < k * y + k; ++sy) {
                for (int sx = k * x; sx < k * x + k; ++sx) {
                    if (!desenhada(sx, sy)) continue;
                    const Canais c =
                        escuras[static_cast<std::size_t>(sy) * static_cast<std::size_t>(k * w) +
                                static_cast<std::size_t>(sx)];
                    soma[0] += Quadro::vermelhoDe(c);
                    soma[1] += Quadro::verdeDe(c);
                    soma[2] += Quadro::azulDe(c);
                    ++n;
                }
            }
            const int d = estilo.transparente ? n : k * k;
            const int alfa = estilo.transparente ? (255 * n + k * k / 2) / (k * k) : 255;
            Canais pixel = 0;
            if (d > 0)
                pixel = Quadro::opaco((soma[0] + d / 2) / d, (soma[1] + d / 2) / d,
                                      (soma[2] + d / 2) / d) &
                        Quadro::kSemAlfa;
            imagem[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                   static_cast<std::size_t>(x)] = pixel | (static_cast<Canais>(alfa) << 24);
        }
    }
    return imagem;
}

std::vector<Canais> imagemDoQuadro(const Quadro& quadro) {
    std::vector<Canais> imagem;
    for (int y = 0; y < quadro.getAltura(); ++y) {
        for (int x = 0; x < quadro.getLargura(); ++x) {
            const Canais c =
                quadro.temCanais() ? quadro.getCanais(x, y) : Quadro::expandir(quadro.getCor(x, y));
            imagem.push_back(quadro.getTransparente() ? c : (c | Quadro::kOpaco));
        }
    }
    return imagem;
}

}  // namespace gouraud::detail
