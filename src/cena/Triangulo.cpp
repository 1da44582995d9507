#include "Triangulo.h"

Triangulo::Triangulo() : indiceP1(0), indiceP2(0), indiceP3(0) {}

Triangulo::Triangulo(int indiceP1, int indiceP2, int indiceP3)
    : indiceP1(indiceP1), indiceP2(indiceP2), indiceP3(indiceP3) {}

Triangulo::~Triangulo() = default;
