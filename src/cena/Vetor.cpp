#include "Vetor.h"

Vetor::Vetor() : x(0.0), y(0.0), z(0.0) {}

Vetor::Vetor(double x, double y, double z) : x(x), y(y), z(z) {}

Vetor::~Vetor() = default;
