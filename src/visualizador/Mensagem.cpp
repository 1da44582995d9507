#include "Mensagem.h"

#include <iostream>

namespace gouraud::detail {

void avisar(std::string_view mensagem) { std::cerr << "visualizador: " << mensagem << std::endl; }

}  // namespace gouraud::detail
