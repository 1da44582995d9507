#include "CorPrimitiva.h"

#include <cmath>

#include "CorObjeto.h"
#include "Sombreamento.h"

namespace gouraud::detail {

Vetor CorPrimitiva::od(const Primitivas::Terno* cor, const Aparencia::Material* material,
                       const Iluminacao& iluminacao, bool coresDoArquivo) {
    if (!coresDoArquivo) {
        return iluminacao.od;
    }
    const float canais[] = {cor != nullptr ? cor->x : 0.0f, cor != nullptr ? cor->y : 0.0f,
                            cor != nullptr ? cor->z : 0.0f};
    return CorObjeto::cor(cor != nullptr ? canais : nullptr, material, false, iluminacao.od);
}

namespace {

Canais opaco(const Sombreamento::Canais& c) { return Quadro::opaco(c.r, c.g, c.b); }

}  // namespace

Canais CorPrimitiva::deFrente(const Vetor& od, const Iluminacao& luz) {
    return opaco(Sombreamento::canais(luz.ka * luz.ia.x + luz.kd * od.x * luz.il.x,
                                      luz.ka * luz.ia.y + luz.kd * od.y * luz.il.y,
                                      luz.ka * luz.ia.z + luz.kd * od.z * luz.il.z));
}

Canais CorPrimitiva::iluminada(const Ponto& p, const Primitivas::Terno& normal, const Vetor& od,
                               const Iluminacao& iluminacao, const Ponto& foco, const Ponto& luz) {
    const double x = normal.x;
    const double y = normal.y;
    const double z = normal.z;
    const double inverso = 1.0 / std::sqrt((x * x + y * y) + z * z);
    const Vetor unitaria(inverso * x, inverso * y, inverso * z);
    const bool usavel = (x != 0.0 || y != 0.0 || z != 0.0) && std::isfinite(unitaria.x) &&
                        std::isfinite(unitaria.y) && std::isfinite(unitaria.z);
    if (!usavel) {
        return deFrente(od, iluminacao);
    }
    const Vetor cor = iluminacao.corDoVertice(p, &unitaria, foco, luz, od);
    return opaco(Sombreamento::canais(cor.x, cor.y, cor.z));
}

}  // namespace gouraud::detail
