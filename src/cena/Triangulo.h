#ifndef GOURAUD_TRIANGULO_H
#define GOURAUD_TRIANGULO_H

// One triangle of a mesh: three 0-based indices into the scene's list of points.
class Triangulo {
public:
    int indiceP1;
    int indiceP2;
    int indiceP3;

    // The triangle (0, 0, 0): indices start at a definite 0 rather than indeterminate.
    Triangulo();
    // The triangle of the three given point indices, stored in that order.
    Triangulo(int indiceP1, int indiceP2, int indiceP3);
    ~Triangulo();
};

#endif
