#ifndef GOURAUD_CRONOMETRO_H
#define GOURAUD_CRONOMETRO_H

#include <chrono>

namespace gouraud::detail {

// Wall-clock time on the steady clock, from when it was made or last restarted.
class Cronometro {
public:
    Cronometro() : inicio(std::chrono::steady_clock::now()) {}

    // Starts counting again from now.
    void reiniciar() { inicio = std::chrono::steady_clock::now(); }
    // Milliseconds since the start.
    double milissegundos() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - inicio)
            .count();
    }

private:
    std::chrono::steady_clock::time_point inicio;
};

}  // namespace gouraud::detail

#endif
