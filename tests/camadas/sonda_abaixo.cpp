// A file of the scene layer that includes only its own layer: the build must take it.
#include "Gouraud.h"
#include "Operadores.h"
