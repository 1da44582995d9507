#ifndef GOURAUD_CENA_CARREGADA_H
#define GOURAUD_CENA_CARREGADA_H

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "Camera.h"
#include "Gouraud.h"
#include "Importador.h"
#include "Malha.h"
#include "ModeloImportado.h"
#include "Primitivas.h"
#include "Projecao.h"
#include "VistaPadrao.h"
#include "gouraud/Opcoes.h"

namespace gouraud::detail {

// A scene file or a mesh file read and made ready to draw: the scene, its mesh (point normals,
// bounding box) and the view it starts from. A scene file starts from its own camera and
// projection; a mesh file, which has no camera, from a view of VistaPadrao with the automatic
// framing; a view asked for replaces a scene file's camera and drops its projection window.
// Reading gives all of that or, when the file cannot be drawn, nothing but the one-line reason.
class CenaCarregada {
public:
    // How to frame what is read, and how to read a mesh file.
    struct Opcoes {
        Opcoes() = default;
        Opcoes(VistaPadrao::Cima cima, std::optional<VistaPadrao::Lado> vista,
               Isolamento isolamento = {})
            : cima(cima), vista(vista), isolamento(std::move(isolamento)) {}

        // The model's up axis, for the views.
        VistaPadrao::Cima cima = VistaPadrao::Cima::maisY;
        // The view to start from: always used for a mesh (frente when not given), and for a
        // scene file only when given.
        std::optional<VistaPadrao::Lado> vista;
        // How the import library reads a mesh file: confined in a child process with its
        // limits, by default.
        Isolamento isolamento;
        // At most this many threads read a large mesh file, as the drawing counts them (0: one
        // per core).
        int threads = 0;
        // Where reading a scene file writes the scene loader's marker line: nowhere (null), as
        // the library reads, unless a program asks for it (the viewer: standard output).
        std::ostream* marcador = nullptr;
        // A pinhole camera to start from instead of a view (Pinhole; its problems checked),
        // with its own projection.
        std::optional<gouraud::Olhar> olhar;
    };

    // Reads `nome` with the default options (up axis +y, no view asked for), to be drawn on a
    // largura x altura screen (each from 1 to 4096).
    explicit CenaCarregada(const std::string& nome, int largura = Projecao::kLargura,
                           int altura = Projecao::kAltura);
    // Reads `nome`, to be drawn on a largura x altura screen (each from 1 to 4096): a scene file
    // when LeitorMalha::ehMalha says it is not a mesh, otherwise a mesh file. When it does not
    // open, cannot be read, is not a valid scene or its camera cannot give a picture, valida()
    // is false and getErro() says why, naming the file.
    CenaCarregada(const std::string& nome, const Opcoes& opcoes, int largura = Projecao::kLargura,
                  int altura = Projecao::kAltura);
    // A mesh made in memory as the import library's answer would hold it (`modelo`, its indices
    // checked), gathered exactly as a file that gave that answer: the same points, triangles,
    // look and parts. `nome` names it in the reasons ("the arrays").
    CenaCarregada(const ModeloImportado& modelo, const std::string& nome, const Opcoes& opcoes);
    CenaCarregada(const CenaCarregada&) = delete;
    CenaCarregada& operator=(const CenaCarregada&) = delete;

    // True when the scene can be drawn; the getters below need it.
    [[nodiscard]] bool valida() const;
    // "" when valid; otherwise one line such as "x.txt: line 5, column 5: triangle 0 names
    // point 3, but the scene has 3 points", "cannot open the scene x.txt: No such file or
    // directory", "x.ply: it holds nothing to draw" or "the import library crashed reading
    // x.fbx (signal 11, segmentation fault)".
    const std::string& getErro() const;

    // The scene as loaded (its lists, camera and projection settings); for a mesh, the scene it
    // became; with a view, the scene with that view's camera and no projection window.
    Gouraud& getCena();
    // The mesh the renderer draws, with the file's loose points and segments; lives as long as
    // this object.
    const Malha& getMalha() const;
    // The camera of the starting view.
    const Camera& getCamera() const;
    // The projection of the starting view, onto the screen size given.
    const Projecao& getProjecao() const;
    // Whether the mesh has colours, materials or textures of its own (Malha::getAparencia).
    bool temCores() const;
    // One line for each thing of the file left out of the picture, such as a texture that
    // cannot be read (LeitorMalha::getAvisos), without the file's name.
    const std::vector<std::string>& getAvisos() const;
    // The part of each triangle of the scene, in the scene's order: the import library's mesh
    // it came from (LeitorMalha::getPartes); empty when every triangle is of part 0, as for a
    // scene file.
    const std::vector<std::uint32_t>& getPartes() const;

private:
    // Reads a scene file into `cena`; false, with the reason in `erro`, when it cannot.
    bool lerCena(const std::string& nome, const Opcoes& opcoes);
    // Reads a mesh file into `cena`; false, with the reason in `erro`, when it cannot.
    bool lerMalha(const std::string& nome, const Opcoes& opcoes);
    // What every constructor does once the model is read: the checks, the mesh, the camera.
    void concluir(const std::string& nome, const Opcoes& opcoes, int largura, int altura);

    std::unique_ptr<Gouraud> cena;
    // The look of a mesh file, until the mesh takes it.
    std::shared_ptr<const Aparencia> aparencia;
    std::vector<std::string> avisos;
    std::vector<std::uint32_t> partes;
    std::unique_ptr<Malha> malha;
    // A mesh file's points and segments, from its reading until the mesh takes them.
    Primitivas primitivas;
    Camera camera;
    Projecao projecao;
    std::string erro;
};

}  // namespace gouraud::detail

#endif
