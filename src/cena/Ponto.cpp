#include "Ponto.h"

Ponto::Ponto() : x(0.0), y(0.0), z(0.0) {}

Ponto::Ponto(double x, double y, double z) : x(x), y(y), z(z) {}

Ponto::~Ponto() = default;
