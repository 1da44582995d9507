#ifndef GOURAUD_TEXTO_UTF16_H
#define GOURAUD_TEXTO_UTF16_H

#include <cstddef>
#include <string>

namespace gouraud::detail {

// Text files written in UTF-16 with a byte order mark (FF FE little-endian, FE FF big-endian),
// made UTF-8 before the import library reads them. Its own conversion (version 5.2) finds the
// mark and then drops what it converted, so its text readers parse the UTF-16 bytes, find
// nothing in them, and an ASE file becomes an empty stand-in scene that draws no pixel.
// Only text is converted: every code unit pairs up (surrogates in pairs, an even length), and
// no character is a NUL or a control character other than tab, line feed, vertical tab, form
// feed and carriage return; anything else that happens to start with the mark is left as it is.
class TextoUtf16 {
public:
    // When the `tamanho` bytes at `dados` are such a text, its UTF-8 (without the mark) into
    // `utf8` and true; otherwise false, `utf8` empty.
    [[nodiscard]] static bool converter(const unsigned char* dados, std::size_t tamanho,
                                        std::string& utf8);
    // The same for the file `caminho`, read only when its first two bytes are a mark; false
    // when it is no such text or cannot be read (the library then reads it as it reads any).
    [[nodiscard]] static bool converterArquivo(const std::string& caminho, std::string& utf8);
};

}  // namespace gouraud::detail

#endif
