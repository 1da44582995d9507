#ifndef GOURAUD_TRABALHADORES_H
#define GOURAUD_TRABALHADORES_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace gouraud::detail {

// A fixed group of threads that run the tasks 0 .. n-1 of one job at a time, the calling thread
// taking part. Tasks are handed out in increasing order to whichever thread is free, so a job
// must not depend on which thread runs which task. Starting a job allocates nothing.
class Trabalhadores {
public:
    // `quantidade` threads in all, the caller included (at least 1); 0 means one per core.
    explicit Trabalhadores(int quantidade = 0);
    ~Trabalhadores();
    Trabalhadores(const Trabalhadores&) = delete;
    Trabalhadores& operator=(const Trabalhadores&) = delete;

    // Number of threads that run tasks, the caller included.
    int getQuantidade() const;

    // Runs tarefa(i) for every i in [0, n) and returns once all have returned; or
    // tarefa(i, thread) when it takes two numbers, `thread` in [0, getQuantidade()) being the
    // one that runs it (the caller's is 0), so that a task can use that thread's scratch space.
    // `tarefa` is called concurrently from several threads and must not throw.
    template <typename Tarefa>
    void paraCada(int n, Tarefa& tarefa) {
        executar(n, &Trabalhadores::chamar<Tarefa>, &tarefa);
    }

private:
    using Funcao = void (*)(void*, int, int);
    template <typename Tarefa>
    static void chamar(void* contexto, int i, int thread) {
        if constexpr (std::is_invocable_v<Tarefa&, int, int>) {
            (*static_cast<Tarefa*>(contexto))(i, thread);
        } else {
            (*static_cast<Tarefa*>(contexto))(i);
        }
    }

    void executar(int n, Funcao funcao, void* contexto);
    // Takes tasks of the current job until none is left, as thread number `thread`.
    void trabalhar(int thread);
    void laco(int thread);

    std::vector<std::thread> threads;
    std::mutex trava;
    std::condition_variable inicio;
    std::condition_variable fim;
    // Job number, bumped for every job so that sleeping threads see a new one.
    std::uint64_t geracao = 0;
    bool encerrar = false;
    int ocupados = 0;
    Funcao funcaoAtual = nullptr;
    void* contextoAtual = nullptr;
    int totalAtual = 0;
    std::atomic<int> proxima{0};
};

}  // namespace gouraud::detail

#endif
