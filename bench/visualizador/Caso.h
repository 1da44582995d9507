#ifndef GOURAUD_BENCH_CASO_H
#define GOURAUD_BENCH_CASO_H

#include <memory>
#include <optional>
#include <string>

#include "Camera.h"
#include "Gouraud.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"

namespace gouraud::detail {

// A scene or mesh file loaded for the benchmark: its mesh (with a mesh file's points and lines)
// and the file's camera, or a mesh file's default one (VistaPadrao, front).
struct Cena {
    std::string rotulo;  // file name and triangle count
    std::string curto;   // file name without its extension, for picture names
    std::unique_ptr<Gouraud> gouraud;
    std::unique_ptr<Malha> malha;
    Camera camera;

    // Loads the scene file (the loader's marker line silenced) or the mesh file; nullopt after
    // saying why on standard error.
    static std::optional<Cena> carregar(const std::string& caminho);
};

// One case every renderer draws: a scene from one of its views, and the goal for this renderer.
struct Caso {
    const Cena* cena = nullptr;
    int vista = 1;
    int largura = Quadro::kLargura;
    int altura = Quadro::kAltura;
    Camera camera;
    Projecao projecao;
    std::string rotulo;  // "coelho-940k, view 3"
    std::string curto;   // for picture names
    // This renderer's median on every core must be at most metaMs, and llvmpipe's on two
    // threads at least metaRazao times it (when above 0); with frenteAllegro, Allegro's too must
    // be slower.
    double metaMs = 0;
    double metaRazao = 0;
    bool frenteAllegro = false;
    // A point cloud: Allegro and the reference, which draw triangles or take seconds a frame,
    // are left out.
    bool nuvem = false;
};

// 940544 as "940,544".
std::string comMilhares(long long n);

}  // namespace gouraud::detail

#endif
