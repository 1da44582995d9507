#ifndef GOURAUD_BENCH_MAQUINA_H
#define GOURAUD_BENCH_MAQUINA_H

#include <chrono>
#include <string>

namespace gouraud::detail {

// The machine a benchmark runs on, and how busy other work kept it meanwhile.
struct Maquina {
    // Processor time of the whole machine and of this process, at one moment.
    struct UsoCpu {
        double ocupado = 0;  // seconds any core ran anything (user, nice, system, interrupts)
        double roubado = 0;  // seconds the hypervisor kept the cores from this machine (steal)
        double nosso = 0;    // seconds this process and its waited-for children ran
        std::chrono::steady_clock::time_point quando;
    };

    // "<processor model>, 2 cores (2 hardware threads), 23.5 GiB, g++ 12.2.0".
    static std::string descrever();
    // The 1, 5 and 15 minute load averages, "0.52 0.61 0.70": other work on the machine shows
    // here.
    static std::string cargaMedia();
    // The processor times now, from /proc/stat and getrusage.
    static UsoCpu lerUsoCpu();
    // "other processes kept the cores busy 0.4 s of 2 x 31.2 s (0.6 %), steal 0.0 s": the
    // processor time between `antes` and `depois` that was not this process's.
    static std::string outrosProcessos(const UsoCpu& antes, const UsoCpu& depois);
};

}  // namespace gouraud::detail

#endif
