#ifndef GOURAUD_JANELA_H
#define GOURAUD_JANELA_H

#include <chrono>
#include <memory>
#include <string>

#include "Quadro.h"
#include "TabelaTeclas.h"
#include "Visualizacao.h"

// Allegro's bitmap, which only Janela.cpp sees in full.
struct BITMAP;

namespace gouraud::detail {

// The interactive viewer: a window through Allegro 4 that shows the frames of a Visualizacao, at
// the desktop's 24 or 32 bits where it has them (16-bit pictures shown as their PNG expands
// them), at 16 bits otherwise (pictures of 8-bit channels then shown packed, as one line on
// standard error says). The keys of its table (TabelaTeclas) and the mouse walk the camera (a
// left drag turns, a right or middle drag moves, the wheel steps nearer or further, 1, 3, 7 and 9
// go to the front, right, top and iso views), R restores the starting view, M, E and N change the
// shading mode, the edges and the needles, [ and ] the points' size, B, A and D the colour
// depth, the anti-aliasing and the eye-dome lighting, L reads the files again, F12 saves a
// picture, H shows the overlay line, F1 or ? the keys, ESC or the close button quits. It draws
// only when the view or a file changed, looks at the files twice a second and sleeps between
// checks. With anti-aliasing, frames are drawn at one sample a pixel while the model moves, and
// the picture of all the samples once nothing moved for kEsperaAmostras.
class Janela {
public:
    // Shows `visualizacao` (valid) in a window of the size of its projection.
    explicit Janela(Visualizacao& visualizacao);

    // Opens the window titled `titulo` and runs until ESC or the close button; returns the exit
    // status: 0, or 1 after saying on standard error which step of the library failed.
    int executar(const std::string& titulo);

    // How long after the last move the window draws the anti-aliased picture.
    static constexpr int kEsperaAmostras = 150;

private:
    // Does what a key asked (`acao`: the camera's move, for mover); false for the command that
    // ends the window.
    bool executar(Comando comando, Navegacao::Acao acao);
    // Applies the mouse movement added up since the last frame.
    void seguirRato();
    // Draws the current view into the frame and times it: at one sample a pixel while the model
    // moves, when the style has more.
    void desenhar();
    // Notes that the model moved now.
    void moveu();
    // Whether the last move was less than kEsperaAmostras ago.
    bool movendo() const;
    // Copies the frame to the window with the overlay line and the help when shown.
    void mostrar();
    // Writes the overlay line at the top-left of the window's picture `destino`, when it has
    // one.
    void escreverLinha(BITMAP* destino);
    // Draws the list of keys and mouse actions over the window's picture `destino`.
    void escreverAjuda(BITMAP* destino);
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
    // The same in 32 bits, on a screen of 24 or 32: the 16-bit picture expanded, or one of
    // channels; null on a 16-bit screen.
    std::unique_ptr<BITMAP, LiberaBitmap> tela32;
    // The frame shown was drawn at one sample a pixel while the model moved; the last move.
    bool previa = false;
    std::chrono::steady_clock::time_point ultimoMovimento{};
    // Whether standard error was told that a 16-bit screen shows the pictures packed.
    bool avisadoSemCores = false;
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
