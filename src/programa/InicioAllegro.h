#ifndef GOURAUD_INICIO_ALLEGRO_H
#define GOURAUD_INICIO_ALLEGRO_H

#include <initializer_list>

namespace gouraud::detail {

// How the two programs bring up the graphics library, and report a step that failed.
class InicioAllegro {
public:
    static constexpr int kLarguraPadrao = 640;
    static constexpr int kAlturaPadrao = 480;
    // The screen's colour depth in bits: 16, or kCorDaArea for the desktop's own when that is
    // 24 or 32 bits (trying 32, then 24, then 16 with every driver), 16 otherwise.
    static constexpr int kProfundidadePadrao = 16;
    static constexpr int kCorDaArea = 0;

    // Calls allegro_init, set_color_depth (16 unless `profundidade` asks for the desktop's),
    // set_gfx_mode for a largura x altura screen with each driver of `placas` in turn until one
    // works, install_timer and install_keyboard. True when all of that worked; otherwise reports
    // the failed step under `programa`, shuts the library down again and returns false.
    static bool iniciar(const char* programa, std::initializer_list<int> placas,
                        int largura = kLarguraPadrao, int altura = kAlturaPadrao,
                        int profundidade = kProfundidadePadrao);

    // Writes "PROGRAMA: ETAPA failed: REASON" as one line on standard error, the reason being
    // the library's own, or that no display could be opened when the library gives none.
    static void relatarFalha(const char* programa, const char* etapa);
};

}  // namespace gouraud::detail

#endif
