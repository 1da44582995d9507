#ifndef GOURAUD_PONTO_H
#define GOURAUD_PONTO_H

// A position in three dimensions; a type distinct from Vetor, with no conversion between them.
class Ponto {
public:
    double x;
    double y;
    double z;

    // The origin: every component starts at a definite 0 rather than indeterminate.
    Ponto();
    // The point (x, y, z), stored unchanged.
    Ponto(double x, double y, double z);
    ~Ponto();
};

#endif
