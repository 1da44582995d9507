#ifndef GOURAUD_MENSAGEM_H
#define GOURAUD_MENSAGEM_H

#include <string_view>

namespace gouraud::detail {

// Writes one line of the viewer on standard error, "visualizador: " and `mensagem`, flushed.
void avisar(std::string_view mensagem);

}  // namespace gouraud::detail

#endif
