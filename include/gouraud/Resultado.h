#ifndef GOURAUD_API_RESULTADO_H
#define GOURAUD_API_RESULTADO_H

#include <optional>
#include <string>
#include <utility>

namespace gouraud {

// What a call that can fail gives back: the value it made, or the one-line reason it could not
// (the message the viewer prints after "visualizador: "). Test it before use:
//   auto modelo = gouraud::Modelo::abrir("bunny.ply");
//   if (!modelo) std::cerr << modelo.getErro() << "\n";
template <typename T>
class [[nodiscard]] Resultado {
public:
    // A success holding `valor`; implicit, so that a function returns its value as it is.
    Resultado(T valor) : valor(std::move(valor)) {}
    // A failure that says why.
    static Resultado falha(std::string mensagem) { return Resultado(std::move(mensagem), 0); }

    // True when it holds a value.
    explicit operator bool() const { return valor.has_value(); }
    // The value; throws std::bad_optional_access on a failure.
    T& operator*() { return valor.value(); }
    const T& operator*() const { return valor.value(); }
    T* operator->() { return &valor.value(); }
    const T* operator->() const { return &valor.value(); }
    // "" on a success; otherwise the reason, one line.
    const std::string& getErro() const { return erro; }

private:
    Resultado(std::string mensagem, int) : erro(std::move(mensagem)) {}

    std::optional<T> valor;
    std::string erro;
};

}  // namespace gouraud

#endif
