#ifndef GOURAUD_CENA_CARREGADA_H
#define GOURAUD_CENA_CARREGADA_H

#include <memory>
#include <string>

#include "Camera.h"
#include "Gouraud.h"
#include "Malha.h"
#include "Projecao.h"

// A scene file read and made ready to draw: the scene, its mesh (point normals, bounding box)
// and the view it starts from (the file's camera and projection). Reading either gives all of
// that or, when the file cannot be drawn, nothing but the one-line reason.
class CenaCarregada {
public:
    // Reads the scene file `nome`, to be drawn on a largura x altura screen (each from 1 to
    // 4096). When it does not open, is not a valid scene or its camera cannot give a picture,
    // valida() is false and getErro() says why, naming the file.
    explicit CenaCarregada(const std::string& nome, int largura = Projecao::kLargura,
                           int altura = Projecao::kAltura);
    CenaCarregada(const CenaCarregada&) = delete;
    CenaCarregada& operator=(const CenaCarregada&) = delete;

    // True when the scene can be drawn; the getters below need it.
    bool valida() const;
    // "" when valid; otherwise one line such as "x.txt: line 5, column 5: triangle 0 names
    // point 3, but the scene has 3 points" or "cannot open the scene x.txt: No such file or
    // directory".
    const std::string& getErro() const;

    // The scene as loaded (its lists, camera and projection settings).
    Gouraud& getCena();
    // The mesh the renderer draws; lives as long as this object.
    const Malha& getMalha() const;
    // The camera of the file, the starting view.
    const Camera& getCamera() const;
    // The projection of the starting view, onto the screen size given.
    const Projecao& getProjecao() const;

private:
    std::unique_ptr<Gouraud> cena;
    std::unique_ptr<Malha> malha;
    Camera camera;
    Projecao projecao;
    std::string erro;
};

#endif
