#include "Trabalhadores.h"

#include <algorithm>

namespace gouraud::detail {

Trabalhadores::Trabalhadores(int quantidade) {
    if (quantidade <= 0) {
        quantidade = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    }
    threads.reserve(static_cast<std::size_t>(quantidade - 1));
    for (int i = 1; i < quantidade; ++i) {
        threads.emplace_back([this, i] { laco(i); });
    }
}

Trabalhadores::~Trabalhadores() {
    {
        const std::lock_guard<std::mutex> guarda(trava);
        encerrar = true;
    }
    inicio.notify_all();
    for (std::thread& t : threads) {
        t.join();
    }
}

int Trabalhadores::getQuantidade() const { return static_cast<int>(threads.size()) + 1; }

void Trabalhadores::executar(int n, Funcao funcao, void* contexto) {
    if (n <= 0) {
        return;
    }
    if (threads.empty() || n == 1) {
        for (int i = 0; i < n; ++i) {
            funcao(contexto, i, 0);
        }
        return;
    }
    {
        const std::lock_guard<std::mutex> guarda(trava);
        funcaoAtual = funcao;
        contextoAtual = contexto;
        totalAtual = n;
        proxima.store(0, std::memory_order_relaxed);
        ocupados = static_cast<int>(threads.size());
        ++geracao;
    }
    inicio.notify_all();
    trabalhar(0);
    std::unique_lock<std::mutex> guarda(trava);
    fim.wait(guarda, [this] { return ocupados == 0; });
}

void Trabalhadores::trabalhar(int thread) {
    for (int i = proxima.fetch_add(1, std::memory_order_relaxed); i < totalAtual;
         i = proxima.fetch_add(1, std::memory_order_relaxed)) {
        funcaoAtual(contextoAtual, i, thread);
    }
}

void Trabalhadores::laco(int thread) {
    std::uint64_t vista = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> guarda(trava);
            inicio.wait(guarda, [&] { return encerrar || geracao != vista; });
            if (encerrar) {
                return;
            }
            vista = geracao;
        }
        trabalhar(thread);
        {
            const std::lock_guard<std::mutex> guarda(trava);
            --ocupados;
        }
        fim.notify_one();
    }
}

}  // namespace gouraud::detail
