// A file of the scene layer that reaches up to the viewer: the build must refuse it.
#include "Gouraud.h"
#include "Visualizacao.h"
