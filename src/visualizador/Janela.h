#ifndef GOURAUD_JANELA_H
#define GOURAUD_JANELA_H

#include <memory>
#include <string>

#include "Quadro.h"
#include "TabelaTeclas.h"
#include "Visualizacao.h"

// Allegro's bitmap, which only Janela.cpp sees in full.
struct BITMAP;

namespace gouraud::detail {

// The interactive viewer: a 16-bit window through Allegro 4 that shows the frames of a
// Visualizacao. The keys of its table (TabelaTeclas) and the mouse walk the camera (a left drag turns, a right
// or middle drag moves, the wheel steps nearer or further, 1, 3, 7 and 9 go to the front, right,
// top and iso views), R restores the starting view, M, E and N change the shading mode, the
// edges and the needles, [ and ] the points' size, L reads the files again, F12 saves a
// picture, H shows the overlay line, F1 or ? the keys, ESC or the close button quits. It draws
// only when the view or a file changed, looks at the files twice a second and sleeps between
// checks.
class Janela {
public:
    // Shows `visualizacao` (valid) in a window of the size of its projection.
    explicit Janela(Visualizacao& visualizacao);

    // Opens the window titled `titulo` and runs until ESC or the close button; returns the exit
    // status: 0, or 1 after saying on standard error which step of the library failed.
    int executar(const std::string& titulo);

private:
    // Does what a key asked (`acao`: the camera's move, for mover); false for the command that
    // ends the window.
    bool executar(Comando comando, Navegacao::Acao acao);
    // Applies the mouse movement added up since the last frame.
    void seguirRato();
    // Draws the current view into the frame and times it.
    void desenhar();
    // Copies the frame to the window with the overlay line and the help when shown.
    void mostrar();
    // Writes the overlay line at the top-left of the window's picture, when it has one.
    void escreverLinha();
    // Draws the list of keys and mouse actions over the window's picture.
    void escreverAjuda();
    // Saves the frame as the first free visualizador-NNN.png in the current folder.
    void salvar();
    // Looks at the problems of the files after a reading; true when they changed, and then
    // writes a new one on standard error.
    bool notarProblemas();

    Visualizacao& visualizacao;
    int largura;
    int altura;
    Quadro quadro;
    // The window's picture, put together off screen: made once the library is up.
    struct LiberaBitmap {
        void operator()(BITMAP* bitmap) const;
    };
    std::unique_ptr<BITMAP, LiberaBitmap> tela;
    // The view or a file changed (draw a new frame); the window's picture must be shown again.
    bool desatualizado = true;
    bool redesenhar = true;
    bool sobreposicaoVisivel = false;
    bool ajudaVisivel = false;
    double milissegundos = 0.0;
    std::string mensagem;
    std::string problemas;
};

}  // namespace gouraud::detail

#endif
