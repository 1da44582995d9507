#ifndef GOURAUD_USO_GOURAUD_H
#define GOURAUD_USO_GOURAUD_H

namespace gouraud::detail {

// The seed program's command line, declared once for its --help and its manual page: what it
// does, and its one option.
struct UsoGouraud {
    static constexpr const char* kResumo = "open a screen, greet and print one Gram-Schmidt step";
    static constexpr const char* kDescricao =
        "Opens a 640 x 480, 16-bit graphics screen, writes \"Hello World!\" at its top-left\n"
        "corner, prints one Gram-Schmidt step (the part of (0, 0, 1) orthogonal to (-1, 0, -1))\n"
        "as three lines, and waits for ESC.\n";
    static constexpr const char* kAjuda = "--help";
    static constexpr const char* kTextoAjuda = "show this text";
};

}  // namespace gouraud::detail

#endif
