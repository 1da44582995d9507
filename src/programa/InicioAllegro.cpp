#include "InicioAllegro.h"

#include <allegro.h>

#include <iostream>
#include <vector>

namespace gouraud::detail {

namespace {

constexpr int kProfundidadeCor = 16;
// No minimum size is asked for the virtual screen.
constexpr int kTamanhoVirtual = 0;

}  // namespace

bool InicioAllegro::iniciar(const char* programa, std::initializer_list<int> placas, int largura,
                            int altura, int profundidade) {
    if (allegro_init() != 0) {
        relatarFalha(programa, "allegro_init");
        return false;
    }
    // The depths to try in turn.
    std::vector<int> profundidades{kProfundidadeCor};
    if (profundidade == kCorDaArea && desktop_color_depth() >= 24) {
        profundidades = {32, 24, kProfundidadeCor};
    }
    bool modo = false;
    for (const int bits : profundidades) {
        set_color_depth(bits);
        for (const int placa : placas) {
            if (set_gfx_mode(placa, largura, altura, kTamanhoVirtual, kTamanhoVirtual) == 0) {
                modo = true;
                break;
            }
        }
        if (modo) {
            break;
        }
    }
    const char* falha = !modo                     ? "set_gfx_mode"
                        : install_timer() != 0    ? "install_timer"
                        : install_keyboard() != 0 ? "install_keyboard"
                                                  : nullptr;
    if (falha != nullptr) {
        relatarFalha(programa, falha);
        allegro_exit();
        return false;
    }
    return true;
}

void InicioAllegro::relatarFalha(const char* programa, const char* etapa) {
    std::cerr << programa << ": " << etapa << " failed: ";
    if (allegro_error[0] != '\0') {
        std::cerr << allegro_error;
    } else {
        // The library leaves the reason empty when no system driver at all could start.
        std::cerr << "no display could be opened (DISPLAY may be unset)";
    }
    std::cerr << std::endl;
}

}  // namespace gouraud::detail
