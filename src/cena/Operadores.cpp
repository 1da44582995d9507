#include "Operadores.h"

#include <cmath>

namespace {
// The square of x, correctly rounded: the exact value pow(x, 2) stands for. The compiler already
// turns pow(x, 2.0) into this product whenever it optimises, while the math library's pow,
// called at run time, is one ulp off for about 1 in 1,200 inputs; writing the product keeps the
// results the same in every build type.
inline double quadrado(double x) { return x * x; }
}  // namespace

Operadores::Operadores() = default;

Operadores::~Operadores() = default;

double Operadores::produtoInterno(Vetor* vetor1, Vetor* vetor2) {
    return vetor1->x * vetor2->x + vetor1->y * vetor2->y + vetor1->z * vetor2->z;
}

Vetor* Operadores::produtoVetorial(Vetor* vetor1, Vetor* vetor2) {
    return new Vetor(vetor1->y * vetor2->z - vetor1->z * vetor2->y,
                     vetor1->z * vetor2->x - vetor1->x * vetor2->z,
                     vetor1->x * vetor2->y - vetor1->y * vetor2->x);
}

double Operadores::norma(Vetor* vetor) {
    return std::sqrt((quadrado(vetor->x) + quadrado(vetor->y)) + quadrado(vetor->z));
}

Vetor* Operadores::normalizacao(Vetor* vetor) {
    // Multiplying by the reciprocal (not dividing by the length) is part of the result's bits.
    const double inverso = 1.0 / norma(vetor);
    return new Vetor(inverso * vetor->x, inverso * vetor->y, inverso * vetor->z);
}

double Operadores::coeficienteFourier(Vetor* vetor1, Vetor* vetor2) {
    return produtoInterno(vetor1, vetor2) / produtoInterno(vetor2, vetor2);
}

Vetor* Operadores::ortogonalizacao(Vetor* vetor1, Vetor* vetor2) {
    const double k = coeficienteFourier(vetor1, vetor2);
    return new Vetor(vetor1->x - k * vetor2->x, vetor1->y - k * vetor2->y,
                     vetor1->z - k * vetor2->z);
}

Vetor* Operadores::multiplicacaoMatrizVetor(Vetor* vetorU, Vetor* vetorV, Vetor* vetorN,
                                            Vetor* vetor) {
    return new Vetor(produtoInterno(vetorU, vetor), produtoInterno(vetorV, vetor),
                     produtoInterno(vetorN, vetor));
}

Vetor* Operadores::multiplicacaoVetorEscalar(double escalar, Vetor* vetor) {
    return new Vetor(vetor->x * escalar, vetor->y * escalar, vetor->z * escalar);
}
