#ifndef GOURAUD_VETOR_H
#define GOURAUD_VETOR_H

// A direction or displacement in three dimensions.
class Vetor {
public:
    double x;
    double y;
    double z;

    // The zero vector: every component starts at a definite 0 rather than indeterminate.
    Vetor();
    // The vector (x, y, z), stored unchanged.
    Vetor(double x, double y, double z);
    ~Vetor();
};

#endif
