#ifndef GOURAUD_VISUALIZACAO_H
#define GOURAUD_VISUALIZACAO_H

#include <memory>
#include <optional>
#include <string>

#include "ArquivoVigiado.h"
#include "BuffersQuadro.h"
#include "CenaCarregada.h"
#include "Estilo.h"
#include "Iluminacao.h"
#include "Navegacao.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"

namespace gouraud::detail {

// What the viewer shows and keeps up to date: the scene or mesh file and the lighting file as last
// read,
// the renderer that draws them, the walk around the model and the projection of the view. Both
// files are watched; one that changed is read again through the same calls as at the start, and
// the view stays as it is. A file that no longer reads leaves the picture as it was and gives a
// one-line problem until a good version is read.
class Visualizacao {
public:
    // Takes a first look at the scene or mesh file `cena` and the lighting file `iluminacao`
    // (none: the default settings), then reads the lighting file and the scene, as
    // CenaCarregada (with `opcoes`, at every reading) and LeitorIluminacao::lerArquivo do, for
    // frames of largura x altura pixels (each from 1 to 4096). The renderer uses `threads`
    // threads (0: one per core).
    Visualizacao(const std::string& cena, const std::optional<std::string>& iluminacao,
                 const CenaCarregada::Opcoes& opcoes, int largura = Projecao::kLargura,
                 int altura = Projecao::kAltura, int threads = 0);
    // The same with the default options (up axis +y, no view asked for).
    Visualizacao(const std::string& cena, const std::optional<std::string>& iluminacao,
                 int largura = Projecao::kLargura, int altura = Projecao::kAltura, int threads = 0);

    // True when both files read at the start; the rest needs it.
    bool valida() const;
    // "" when valid; otherwise the first file's one-line reason, lighting first.
    const std::string& getErro() const;

    // Draws the current view into `quadro`, of the size given; with `previa`, at one sample a
    // pixel whatever the style's anti-aliasing (a window's frames while the model moves). After
    // the first frame, when it shows no pixel of the model (Renderizador::desenhouAlgo), one line
    // on standard error says so.
    // With `buffers` (prepared at the frame's size), the buffers they ask for from the same
    // frame (Renderizador::desenhar).
    void desenhar(Quadro& quadro, bool previa = false, BuffersQuadro* buffers = nullptr);

    // Applies a key's move. restaurar also brings back the starting view's projection; a view
    // key (vistaFrente, ...) frames that view automatically at the frame's size, so that it
    // shows exactly what --vista with the same up axis shows.
    void aplicar(Navegacao::Acao acao);
    // Turns as a drag of (dx, dy) pixels does (Navegacao::girarArrasto).
    void girarArrasto(int dx, int dy);
    // Moves the view with a drag of (dx, dy) pixels (Navegacao::deslocar, through the current
    // projection).
    void deslocar(int dx, int dy);

    // The shading mode and the switches the frames are drawn with (Renderizador::setEstilo),
    // kept when the scene is read again.
    void setEstilo(const Estilo& novo);
    const Estilo& getEstilo() const;

    // Looks at both files, without reading them, and reads again each one that changed; true
    // when the picture or the problems may have changed.
    bool vigiar();
    // Reads both files again, changed or not.
    void recarregar();

    // The one-line problems of the files that do not read now, scene first, joined by "; ";
    // "" when both read.
    std::string getProblemas() const;

    // The camera and projection of the view now.
    const Camera& getCamera() const;
    const Projecao& getProjecao() const;
    // Number of triangles of the scene drawn.
    int getQuantTriangulos() const;
    // What the overlay says is drawn: with triangles, the mode and its switches; then what the
    // picture asks for beyond today's (Estilo::descricaoImagem); then the counts
    // ("gouraud, edges, 12 triangles, 40 lines", "24 bits, aa 2, 20000 points").
    std::string getDescricao() const;
    // The counts that are not zero, "12 triangles, 40 lines, 1 point" ("0 triangles" for none).
    static std::string contagem(int triangulos, int linhas, int pontos);
    // The file as last read successfully.
    CenaCarregada& getCarregada();
    // The renderer that draws it.
    const Renderizador& getRenderizador() const;

private:
    // Reads the scene file again; on success draws it from now on with the view unchanged (the
    // camera, centre and projection window; only the near plane follows the new mesh), and
    // restaurar then gives the new file's view.
    void lerCena();
    // Reads the lighting file again over the defaults; on success draws with it from now on.
    void lerIluminacao();

    ArquivoVigiado vigiaCena;
    std::optional<ArquivoVigiado> vigiaIluminacao;
    CenaCarregada::Opcoes opcoes;
    Iluminacao iluminacao;
    Estilo estilo;
    std::unique_ptr<CenaCarregada> carregada;
    std::unique_ptr<Renderizador> renderizador;
    std::optional<Navegacao> navegacao;
    Projecao projecao;
    int largura;
    int altura;
    int threads;
    std::string erro;
    std::string problemaCena;
    std::string problemaIluminacao;
    // Whether the next frame is the first.
    bool primeiro = true;
};

}  // namespace gouraud::detail

#endif
