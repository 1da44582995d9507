#ifndef GOURAUD_LEITURA_H
#define GOURAUD_LEITURA_H

namespace gouraud::detail {

// How a fast reader of one mesh format ended: it read the file, the file is of a kind it leaves
// to the import library, or the file is refused (with the reason beside).
enum class Leitura { lida, outroLeitor, recusada };

}  // namespace gouraud::detail

#endif
