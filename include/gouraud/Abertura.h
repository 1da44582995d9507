#ifndef GOURAUD_API_ABERTURA_H
#define GOURAUD_API_ABERTURA_H

#include <string>

namespace gouraud {

// How Modelo::abrir reads a mesh file of the formats the Open Asset Import Library reads (all
// but the PLY, STL and OBJ files the faster readers take): in a child process of its own,
// confined (no network, no program started, no file written, files opened only to read under
// the model's folder), within a memory and a time limit, so that a hostile file costs at most a
// one-line refusal. The defaults are the viewer's:
//   gouraud::Abertura abertura;
//   abertura.limiteTempo = 5;
//   auto modelo = gouraud::Modelo::abrir("download.fbx", "", abertura);
struct Abertura {
    // False reads in this process, unconfined and with no limit: for debugging only, as the
    // viewer's --sem-isolamento.
    bool isolamento = true;
    // The memory the child may use, in MiB, from 64 to 1048576 (--limite-memoria).
    int limiteMemoria = 2048;
    // The seconds it may take, from 1 to 86400, of processor time and by the clock
    // (--limite-tempo).
    int limiteTempo = 30;
    // The child program, gouraud-importador; "" (the default) finds it: named by the variable
    // GOURAUD_IMPORTADOR, else beside the program or shared object that links this library, in
    // ../libexec/gouraud from there, where `cmake --install` put it, or in the prefix the build
    // was configured with.
    std::string importador{};
    // The threads that draw the model, the caller's included, from 1 to 256; 0 (the default)
    // is one per core (--threads). The pictures are the same bytes whatever the count: several
    // models drawn at once, each by one thread, keep the cores busy without contending.
    int threads = 0;
};

}  // namespace gouraud

#endif
