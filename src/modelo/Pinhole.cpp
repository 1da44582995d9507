#include "Pinhole.h"

#include <cmath>
#include <numbers>
#include <sstream>

namespace gouraud::detail {

namespace {

constexpr double kMeiaVolta = 180.0;

bool finito(const std::array<double, 3>& a) {
    return std::isfinite(a[0]) && std::isfinite(a[1]) && std::isfinite(a[2]);
}

Vetor vetor(const std::array<double, 3>& a) { return Vetor(a[0], a[1], a[2]); }

}  // namespace

std::string Pinhole::problema(const gouraud::Olhar& olhar) {
    if (!finito(olhar.olho) || !finito(olhar.alvo) || !finito(olhar.cima) ||
        !std::isfinite(olhar.campo)) {
        return "the eye, target, up direction and field of view of --olhar must be finite";
    }
    if (olhar.olho == olhar.alvo) {
        return "the eye and the target of --olhar are the same point";
    }
    if (!(olhar.campo > 0.0 && olhar.campo < kMeiaVolta)) {
        std::ostringstream texto;
        texto << "the field of view of --olhar is " << olhar.campo
              << " degrees; it is over 0 and under 180";
        return texto.str();
    }
    const std::string eixos = camera(olhar).problema();
    if (eixos.empty()) {
        return "";
    }
    if (eixos.find("axis N") != std::string::npos) {
        return "the eye and the target of --olhar are too close together or too far apart to "
               "give a line of sight";
    }
    return "the up direction of --olhar is zero or parallel to the line of sight";
}

Camera Pinhole::camera(const gouraud::Olhar& olhar) {
    const Vetor n(olhar.alvo[0] - olhar.olho[0], olhar.alvo[1] - olhar.olho[1],
                  olhar.alvo[2] - olhar.olho[2]);
    return Camera::deEixos(n, vetor(olhar.cima),
                           Ponto(olhar.olho[0], olhar.olho[1], olhar.olho[2]));
}

Projecao Pinhole::projecao(const gouraud::Olhar& olhar, const Malha& malha, int largura,
                           int altura) {
    Projecao projecao;
    projecao.largura = largura;
    projecao.altura = altura;
    // The near plane as the views' projections have it.
    projecao.zPerto = Projecao::kFracaoPerto * malha.getDiagonal();
    projecao.d = 1.0;
    projecao.ox = 0.0;
    projecao.oy = 0.0;
    projecao.hy = std::tan(olhar.campo / 2.0 * std::numbers::pi / kMeiaVolta);
    projecao.hx = projecao.hy * static_cast<double>(largura) / static_cast<double>(altura);
    return projecao;
}

void Pinhole::matrizes(const Camera& camera, const Projecao& projecao, std::array<double, 9>& k,
                       std::array<double, 16>& mundoParaCamera) {
    const double w = projecao.largura;
    const double h = projecao.altura;
    k = {projecao.d * w / (2.0 * projecao.hx),
         0.0,
         w / 2.0 * (1.0 - projecao.ox / projecao.hx),
         0.0,
         projecao.d * h / (2.0 * projecao.hy),
         h / 2.0 * (1.0 + projecao.oy / projecao.hy),
         0.0,
         0.0,
         1.0};
    const Vetor linhas[3] = {camera.u, Vetor(-camera.v.x, -camera.v.y, -camera.v.z), camera.n};
    const Ponto& f = camera.foco;
    for (int r = 0; r < 3; ++r) {
        const Vetor& e = linhas[r];
        mundoParaCamera[4 * r] = e.x;
        mundoParaCamera[4 * r + 1] = e.y;
        mundoParaCamera[4 * r + 2] = e.z;
        mundoParaCamera[4 * r + 3] = -(e.x * f.x + e.y * f.y + e.z * f.z);
    }
    mundoParaCamera[12] = 0.0;
    mundoParaCamera[13] = 0.0;
    mundoParaCamera[14] = 0.0;
    mundoParaCamera[15] = 1.0;
}

}  // namespace gouraud::detail
