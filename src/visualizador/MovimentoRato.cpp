#include "MovimentoRato.h"

#include <algorithm>
#include <limits>

namespace gouraud::detail {

namespace {

// a + (b - c), held at the ends of the int range rather than overflowing: a pointer that keeps
// moving for long enough between two frames must not wrap the sum.
int somar(int a, int b, int c) {
    const long long soma = static_cast<long long>(a) + (static_cast<long long>(b) - c);
    return static_cast<int>(std::clamp<long long>(soma, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

}  // namespace

void MovimentoRato::registrar(int novoX, int novoY, int novoZ, int botoes) {
    const std::lock_guard<std::mutex> guarda(trava);
    if (temPosicao) {
        if ((botoes & kBotaoEsquerdo) != 0) {
            soma.giroX = somar(soma.giroX, novoX, x);
            soma.giroY = somar(soma.giroY, novoY, y);
        } else if ((botoes & (kBotaoDireito | kBotaoMeio)) != 0) {
            soma.deslocamentoX = somar(soma.deslocamentoX, novoX, x);
            soma.deslocamentoY = somar(soma.deslocamentoY, novoY, y);
        }
    }
    soma.roda = somar(soma.roda, novoZ, z);
    temPosicao = true;
    x = novoX;
    y = novoY;
    z = novoZ;
}

MovimentoRato::Soma MovimentoRato::tomar() {
    const std::lock_guard<std::mutex> guarda(trava);
    const Soma tomada = soma;
    soma = Soma();
    return tomada;
}

}  // namespace gouraud::detail
