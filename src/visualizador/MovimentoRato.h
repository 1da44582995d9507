#ifndef GOURAUD_MOVIMENTO_RATO_H
#define GOURAUD_MOVIMENTO_RATO_H

#include <mutex>

namespace gouraud::detail {

// The mouse's movement added up between two frames. The graphics library reports every change
// of the pointer, its buttons and its wheel from a thread of its own; the window takes the sums
// once per frame, so nothing that arrives while a frame is drawn is lost or answered twice.
class MovimentoRato {
public:
    // Button bits as the library reports them.
    static constexpr int kBotaoEsquerdo = 1;
    static constexpr int kBotaoDireito = 2;
    static constexpr int kBotaoMeio = 4;

    // What the mouse did since the last take: pixels dragged with the left button (turning),
    // pixels dragged with the right or middle one (and not the left: moving), and wheel notches
    // (positive away from the user).
    struct Soma {
        int giroX = 0;
        int giroY = 0;
        int deslocamentoX = 0;
        int deslocamentoY = 0;
        int roda = 0;
    };

    // Notes the pointer at (x, y) in window pixels, the wheel's count z and the buttons held
    // (kBotao* bits) after a change. The movement since the last note goes to the drag of the
    // buttons held now, the first note's only setting the starting point; the wheel counts
    // from 0. Any thread may call it.
    void registrar(int x, int y, int z, int botoes);

    // The sums since the last take, which start again from zero.
    Soma tomar();

private:
    std::mutex trava;
    bool temPosicao = false;
    int x = 0;
    int y = 0;
    int z = 0;
    Soma soma;
};

}  // namespace gouraud::detail

#endif
