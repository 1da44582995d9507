#include "Camera.h"

#include <cmath>
#include <memory>
#include <numbers>

#include "Operadores.h"

namespace gouraud::detail {

namespace {

// How far from 1 the length of an axis may be for the camera still to count as orthonormal.
constexpr double kToleranciaUnitaria = 1e-9;
constexpr double kGrausPorMeiaVolta = 180.0;

double produtoInterno(const Vetor& a, const Vetor& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vetor produtoVetorial(const Vetor& a, const Vetor& b) {
    return Vetor(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

Vetor unitario(const Vetor& a) {
    const double inverso = 1.0 / std::sqrt(produtoInterno(a, a));
    return Vetor(inverso * a.x, inverso * a.y, inverso * a.z);
}

bool finito(const Vetor& a) {
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

bool unitarioFinito(const Vetor* a) {
    return a != nullptr && finito(*a) &&
           std::fabs(std::sqrt(produtoInterno(*a, *a)) - 1.0) <= kToleranciaUnitaria;
}

// Rodrigues' rotation of a by the angle whose cosine and sine are given about the unit axis k.
Vetor rodar(const Vetor& a, const Vetor& k, double cosseno, double seno) {
    const Vetor kxa = produtoVetorial(k, a);
    const double ka = produtoInterno(k, a) * (1.0 - cosseno);
    return Vetor(a.x * cosseno + kxa.x * seno + k.x * ka, a.y * cosseno + kxa.y * seno + k.y * ka,
                 a.z * cosseno + kxa.z * seno + k.z * ka);
}

// Why a camera of this focus and these axes (any of them possibly missing) cannot give a
// picture, or "".
std::string problemaDe(const Ponto* f, const Vetor* n, const Vetor* v, const Vetor* u) {
    if (f == nullptr || !std::isfinite(f->x) || !std::isfinite(f->y) || !std::isfinite(f->z)) {
        return "the camera focus is not finite";
    }
    if (!unitarioFinito(n)) {
        return "the camera axis N is zero (or too small or too large to make unit)";
    }
    if (!unitarioFinito(v) || !unitarioFinito(u)) {
        return "the camera axis V is zero or parallel to N";
    }
    return "";
}

}  // namespace

Camera::Camera() : foco(0, 0, 0), u(-1, 0, 0), v(0, 1, 0), n(0, 0, 1) {}

Camera::Camera(const Gouraud& cena)
    : foco(*cena.getFoco()), u(*cena.getVetorU()), v(*cena.getVetorV()), n(*cena.getVetorN()) {}

Camera Camera::deEixos(const Vetor& n, const Vetor& v, const Ponto& foco) {
    // The very steps of Gouraud's camera construction, so that both give the same bits.
    Operadores operadores;
    Vetor nDado = n;
    Vetor vDado = v;
    const std::unique_ptr<Vetor> vOrtogonal(operadores.ortogonalizacao(&vDado, &nDado));
    const std::unique_ptr<Vetor> vUnitario(operadores.normalizacao(vOrtogonal.get()));
    const std::unique_ptr<Vetor> nUnitario(operadores.normalizacao(&nDado));
    const std::unique_ptr<Vetor> u(operadores.produtoVetorial(nUnitario.get(), vUnitario.get()));
    Camera camera;
    camera.foco = foco;
    camera.u = *u;
    camera.v = *vUnitario;
    camera.n = *nUnitario;
    return camera;
}

std::string Camera::problemaDaCena(const Gouraud& cena) {
    return problemaDe(cena.getFoco(), cena.getVetorN(), cena.getVetorV(), cena.getVetorU());
}

std::string Camera::problema() const { return problemaDe(&foco, &n, &v, &u); }

// (U.d, V.d, N.d), d = p - F, for one point (R = double) or two (R = Par).
template <typename R>
void coordenadasDe(const Camera& camera, R px, R py, R pz, R& cu, R& cv, R& cn) {
    const R dx = px - R(camera.foco.x);
    const R dy = py - R(camera.foco.y);
    const R dz = pz - R(camera.foco.z);
    cu = R(camera.u.x) * dx + R(camera.u.y) * dy + R(camera.u.z) * dz;
    cv = R(camera.v.x) * dx + R(camera.v.y) * dy + R(camera.v.z) * dz;
    cn = R(camera.n.x) * dx + R(camera.n.y) * dy + R(camera.n.z) * dz;
}

Vetor Camera::coordenadas(const Ponto& p) const {
    Vetor c;
    coordenadasDe(*this, p.x, p.y, p.z, c.x, c.y, c.z);
    return c;
}

void Camera::coordenadas(Par px, Par py, Par pz, Par& cu, Par& cv, Par& cn) const {
    coordenadasDe(*this, px, py, pz, cu, cv, cn);
}

void Camera::girar(Vetor eixo, double graus, const Ponto& centro) {
    const double angulo = graus * std::numbers::pi / kGrausPorMeiaVolta;
    const double cosseno = std::cos(angulo);
    const double seno = std::sin(angulo);
    const Vetor relativo =
        rodar(Vetor(foco.x - centro.x, foco.y - centro.y, foco.z - centro.z), eixo, cosseno, seno);
    foco = Ponto(centro.x + relativo.x, centro.y + relativo.y, centro.z + relativo.z);
    // Gram-Schmidt keeps the basis orthonormal however many turns accumulate rounding.
    n = unitario(rodar(n, eixo, cosseno, seno));
    const Vetor vRodado = rodar(v, eixo, cosseno, seno);
    const double k = produtoInterno(vRodado, n);
    v = unitario(Vetor(vRodado.x - k * n.x, vRodado.y - k * n.y, vRodado.z - k * n.z));
    u = produtoVetorial(n, v);
}

void Camera::aproximar(double fator, const Ponto& centro) {
    foco = Ponto(centro.x + (foco.x - centro.x) * fator, centro.y + (foco.y - centro.y) * fator,
                 centro.z + (foco.z - centro.z) * fator);
}

}  // namespace gouraud::detail
