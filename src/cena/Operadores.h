#ifndef GOURAUD_OPERADORES_H
#define GOURAUD_OPERADORES_H

#include "Vetor.h"

// Stateless vector operations. Every vector argument is only read and may be the same object
// as another argument; it must not be null. Every vector result is a new heap object that the
// caller owns and must delete. Formulas are evaluated in double, in the order written, with
// no fused multiply-add, so exact cancellations give exact zeros.
class Operadores {
public:
    Operadores();
    ~Operadores();

    // Dot product a.x*b.x + a.y*b.y + a.z*b.z.
    double produtoInterno(Vetor* vetor1, Vetor* vetor2);
    // New vector: cross product vetor1 x vetor2 (operand order matters).
    Vetor* produtoVetorial(Vetor* vetor1, Vetor* vetor2);
    // Euclidean length sqrt((x^2 + y^2) + z^2), each square the correctly rounded x*x.
    double norma(Vetor* vetor);
    // New vector: each component times 1/norma(vetor); the zero vector gives three NaN.
    Vetor* normalizacao(Vetor* vetor);
    // Projection coefficient (vetor1 . vetor2) / (vetor2 . vetor2); not finite for a zero vetor2.
    double coeficienteFourier(Vetor* vetor1, Vetor* vetor2);
    // New vector: vetor1 minus its projection on vetor2 (one Gram-Schmidt step).
    Vetor* ortogonalizacao(Vetor* vetor1, Vetor* vetor2);
    // New vector: (U.v, V.v, N.v), the 3x3 matrix with rows vetorU, vetorV, vetorN times vetor.
    Vetor* multiplicacaoMatrizVetor(Vetor* vetorU, Vetor* vetorV, Vetor* vetorN, Vetor* vetor);
    // New vector: (v.x*escalar, v.y*escalar, v.z*escalar).
    Vetor* multiplicacaoVetorEscalar(double escalar, Vetor* vetor);
};

#endif
