// The program: opens a 640 x 480 graphics screen, greets, prints one Gram-Schmidt step and waits
// for ESC.
#include <allegro.h>

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "InicioAllegro.h"
#include "UsoGouraud.h"
#include "Operadores.h"
#include "Vetor.h"

using gouraud::detail::InicioAllegro;
using gouraud::detail::UsoGouraud;

namespace {

constexpr int kCanalMaximo = 255;
// Colour 0 is an opaque black box behind the text; -1 would make it transparent.
constexpr int kFundoTexto = 0;
constexpr int kTextoX = 0;
constexpr int kTextoY = 0;
constexpr char kSaudacao[] = "Hello World!";
constexpr int kSaidaFalha = 1;
constexpr int kSaidaUso = 2;

// The usage, from the declaration that the manual page is also made from.
std::string uso() {
    return std::string("usage: gouraud [") + UsoGouraud::kAjuda + "]\n\n" +
           UsoGouraud::kDescricao + "\n  " + UsoGouraud::kAjuda + "   " +
           UsoGouraud::kTextoAjuda + "\n";
}

// Reads the command line with CLI11: it may ask for the usage with --help (or -h) and holds
// nothing else. Returns whether the usage was asked for, or nullopt, after saying why and showing
// the usage on standard error, when the line holds anything else.
std::optional<bool> lerOpcoes(int argc, const char* const* argv) {
    CLI::App app("gouraud");
    // The usage text is the program's own, so --help is an ordinary switch.
    app.set_help_flag();
    app.allow_extras();
    bool ajuda = false;
    app.add_flag("--help,-h", ajuda)->disable_flag_override();
    bool entendida = true;
    try {
        app.parse(argc, argv);
        entendida = app.remaining().empty();
    } catch (const CLI::ParseError&) {
        entendida = false;
    }
    if (entendida) {
        return ajuda;
    }
    // The first word that is not the switch itself is the one refused ("-hx", "--help=no", "x").
    int i = 1;
    while (i < argc && (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h")) ++i;
    const std::string palavra = i < argc ? argv[i] : "";
    std::cerr << "gouraud: "
              << (palavra.size() > 1 && palavra[0] == '-' ? "unknown option " : "unexpected argument ")
              << palavra << "\n"
              << uso();
    return std::nullopt;
}

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

int main(int argc, char** argv) {
    // The command line is read before the screen opens, so a usage error never shows one.
    const std::optional<bool> ajuda = lerOpcoes(argc, argv);
    if (!ajuda) {
        return kSaidaUso;
    }
    if (*ajuda) {
        std::cout << uso() << std::flush;
        if (!std::cout) {
            std::cerr << "gouraud: cannot write the usage to standard output" << std::endl;
            return kSaidaFalha;
        }
        return 0;
    }
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
