#ifndef GOURAUD_JANELA_H
#define GOURAUD_JANELA_H

#include <memory>
#include <string>

#include "Navegacao.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"

struct BITMAP;

// The interactive viewer: a 640 x 480, 16-bit window through Allegro 4 that shows the frames
// of a Renderizador and walks the camera with the keys (arrows turn, Page Up/Down and +/- move,
// 1, 3, 7 and 9 go to the front, right, top and iso views, R restores, F12 saves a picture, H
// shows the overlay, ESC or the close button quits). It
// draws only when the view changes and sleeps between key checks.
class Janela {
public:
    // What it draws: the renderer, the walk, and the projection of the file's view.
    Janela(Renderizador& renderizador, Navegacao& navegacao, const Projecao& projecao,
           int quantTriangulos);

    // Opens the window titled `titulo` and runs until ESC or the close button; returns the exit
    // status: 0, or 1 after saying on standard error which step of the library failed.
    int executar(const std::string& titulo);

private:
    // Draws the current view into the frame and times it.
    void desenhar();
    // Copies the frame, and the overlay when shown, to the screen.
    void mostrar();
    // Saves the frame as the first free visualizador-NNN.png in the current folder.
    void salvar();

    Renderizador& renderizador;
    Navegacao& navegacao;
    Projecao projecao;
    int quantTriangulos;
    Quadro quadro;
    // The window's picture, put together off screen: made once the library is up.
    struct LiberaBitmap {
        void operator()(BITMAP* bitmap) const;
    };
    std::unique_ptr<BITMAP, LiberaBitmap> tela;
    bool sobreposicaoVisivel = false;
    double milissegundos = 0.0;
    std::string mensagem;
};

#endif
