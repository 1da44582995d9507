#include "Vistas.h"

#include <cmath>

namespace gouraud::detail {

namespace {

// How much nearer views 5 and 6 look than the automatic framing: their windows' half sizes are
// the framing's divided by this.
constexpr double kAproximacaoVista5 = 2.0;
constexpr double kAproximacaoVista6 = 4.0;

double interno(const Vetor& a, const Vetor& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vetor vetorial(const Vetor& a, const Vetor& b) {
    return Vetor(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

Vetor unitario(const Vetor& a) {
    const double inverso = 1.0 / std::sqrt(interno(a, a));
    return Vetor(inverso * a.x, inverso * a.y, inverso * a.z);
}

// The unit part of v orthogonal to the unit vector n.
Vetor ortogonal(const Vetor& v, const Vetor& n) {
    const double k = interno(v, n);
    return unitario(Vetor(v.x - k * n.x, v.y - k * n.y, v.z - k * n.z));
}

Vetor diferenca(const Ponto& a, const Ponto& b) { return Vetor(a.x - b.x, a.y - b.y, a.z - b.z); }

Ponto somar(const Ponto& p, double escala, const Vetor& v) {
    return Ponto(p.x + escala * v.x, p.y + escala * v.y, p.z + escala * v.z);
}

// The camera at `foco` looking along the unit `n` with the unit screen-up `v` orthogonal to it.
Camera camera(const Ponto& foco, const Vetor& n, const Vetor& v) {
    Camera c;
    c.foco = foco;
    c.n = n;
    c.v = v;
    c.u = vetorial(n, v);
    return c;
}

}  // namespace

Vista vistaNumero(int numero, const Malha& malha, const Camera& arquivo, int largura, int altura) {
    const Ponto& centro = malha.getCentro();
    const Vetor paraOFoco = diferenca(arquivo.foco, centro);
    const double raio = std::sqrt(interno(paraOFoco, paraOFoco));
    const Vetor& u = arquivo.u;
    const Vetor& v = arquivo.v;
    const Vetor& n = arquivo.n;
    Camera c = arquivo;
    switch (numero) {
        case 2: {
            const auto girar = [&v](const Vetor& x) {
                const Vetor vx = vetorial(v, x);
                const double k = interno(v, x);
                return Vetor(vx.x + k * v.x, vx.y + k * v.y, vx.z + k * v.z);
            };
            c = camera(somar(centro, 1.0, girar(paraOFoco)), girar(n), v);
            break;
        }
        case 3:
            c = camera(somar(centro, raio, v), Vetor(-v.x, -v.y, -v.z), n);
            break;
        case 4: {
            const Vetor e = unitario(Vetor(-n.x + u.x + v.x, -n.y + u.y + v.y, -n.z + u.z + v.z));
            const Vetor n4(-e.x, -e.y, -e.z);
            c = camera(somar(centro, raio, e), n4, ortogonal(v, n4));
            break;
        }
        case 5:
        case 6: {
            const Vetor n5 = unitario(diferenca(centro, arquivo.foco));
            c = camera(arquivo.foco, n5, ortogonal(v, n5));
            Projecao janela = Projecao::enquadrar(malha, c, largura, altura);
            const double fator = numero == 5 ? kAproximacaoVista5 : kAproximacaoVista6;
            janela.d = 1.0;
            janela.ox = 0.0;
            janela.oy = 0.0;
            janela.hx /= fator;
            janela.hy /= fator;
            return Vista{c, janela};
        }
        default:
            break;
    }
    return Vista{c, Projecao::enquadrar(malha, c, largura, altura)};
}

}  // namespace gouraud::detail
