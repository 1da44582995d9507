#ifndef GOURAUD_TESTS_CENA_REFERENCIA_H
#define GOURAUD_TESTS_CENA_REFERENCIA_H

// The straightforward scene loader and stages, kept as the reference the fast ones are tested
// against: one formatted stream extraction per number and every vector step through Operadores
// with a heap object per result.

#include <istream>
#include <string>
#include <vector>

#include "Gouraud.h"
#include "Ponto.h"
#include "Triangulo.h"
#include "Vetor.h"

namespace gouraud::detail {

struct CenaReferencia {
    bool temCena = false;
    bool valida = false;
    std::vector<Ponto> pontos;
    std::vector<Triangulo> triangulos;
    std::vector<Vetor> normais;
    std::vector<Ponto> novosPontos;
    std::vector<Vetor> camera;
    Vetor n, v, u;
    Ponto foco;
};

// Loads a scene with `stream >> value` per number, applying the same rules of validity.
CenaReferencia carregarReferencia(std::istream& entrada);
// The three stages, in the order a caller runs them.
void mudancaCoordenadasCameraReferencia(CenaReferencia& cena);
void calcularNormalTrianguloReferencia(CenaReferencia& cena);
void calcularNovoPontoReferencia(CenaReferencia& cena);
// The three stages above, in that order.
void executarEstagiosReferencia(CenaReferencia& cena);

// The first difference between the scene and the reference (counts, validity, null lists, and
// every value bit for bit, NaN matching any NaN), or "" when they agree.
std::string primeiraDiferenca(const Gouraud& cena, const CenaReferencia& referencia);

}  // namespace gouraud::detail

#endif
