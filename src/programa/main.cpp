// The program: opens a 640 x 480 graphics screen, greets, prints one Gram-Schmidt step and waits
// for ESC.
#include <allegro.h>

#include <iostream>
#include <memory>

#include "InicioAllegro.h"
#include "Operadores.h"
#include "Vetor.h"

namespace {

constexpr int kCanalMaximo = 255;
// Colour 0 is an opaque black box behind the text; -1 would make it transparent.
constexpr int kFundoTexto = 0;
constexpr int kTextoX = 0;
constexpr int kTextoY = 0;
constexpr char kSaudacao[] = "Hello World!";
constexpr int kSaidaFalha = 1;

// Brings up the library, the 640 x 480 16-bit screen, the timer, keyboard and mouse. Returns
// false, after reporting the failed step, when anything the program relies on could not start.
bool init() {
    if (!InicioAllegro::iniciar("gouraud", {GFX_AUTODETECT})) {
        return false;
    }
    // Nothing uses the mouse, so a missing mouse is not a reason to stop.
    install_mouse();
    return true;
}

// Discards keys still queued and shuts the library down.
void deinit() {
    clear_keybuf();
    allegro_exit();
}

}  // namespace

int main() {
    if (!init()) {
        return kSaidaFalha;
    }

    const int branco = makecol(kCanalMaximo, kCanalMaximo, kCanalMaximo);
    textout_ex(screen, font, kSaudacao, kTextoX, kTextoY, branco, kFundoTexto);

    auto o = std::make_unique<Operadores>();
    auto vetor1 = std::make_unique<Vetor>(0.0, 0.0, 1.0);
    auto vetor2 = std::make_unique<Vetor>(-1.0, 0.0, -1.0);
    std::unique_ptr<Vetor> resposta(o->ortogonalizacao(vetor1.get(), vetor2.get()));

    std::cout << resposta->x << std::endl;
    std::cout << resposta->y << std::endl;
    std::cout << resposta->z << std::endl;

    // Busy wait on the key state array, which the library's keyboard handler updates from
    // outside this thread; the array is volatile, so every pass reads it afresh.
    while (!key[KEY_ESC]) {
    }

    deinit();
    return 0;
}
END_OF_MAIN()
