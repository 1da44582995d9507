#ifndef GOURAUD_CAMINHO_TEXTURA_H
#define GOURAUD_CAMINHO_TEXTURA_H

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace gouraud::detail {

// Finds the file of a texture a model names, written as the machine that made the model wrote
// it. Backslashes are separators. A relative name (../textures/ included) is followed from the
// model's folder; when it names no file there, it is looked for with its letters in either case
// (ASCII letters only; other bytes as they are), then its last part in the folders the name
// names, as subfolders of the model's folder (the deepest first, at most kMaisPastas of them:
// for a/b/c.png, in a/b/, then b/), then in the model's folder alone. An absolute name ("/...",
// "C:\..." or a Windows share) is never followed as written: only its last part is looked for,
// in the model's folder alone. A folder named like the texture is passed over. When a
// spelling among several matches, the first in byte order is taken. The work is bounded: at most
// kMaisEntradas folder entries are read for one model (each folder listed once) and a name of
// more than kMaiorNome bytes or with a NUL is not looked for.
class CaminhoTextura {
public:
    static constexpr std::size_t kMaisEntradas = std::size_t{1} << 17;
    static constexpr std::size_t kMaiorNome = 4096;
    static constexpr std::size_t kMaisPastas = 16;

    // Where a name led.
    struct Achado {
        // The file to read, or "" when none was found.
        std::string arquivo;
        // The line for the model's warnings when the file is not the name as written
        // ("texture TEST.PNG is read from test.png"), or "".
        std::string aviso;
        // Why no file was found, or "".
        std::string problema;
    };

    // The textures of a model in the folder `pasta`, reading at most `maisEntradas` folder
    // entries.
    explicit CaminhoTextura(std::filesystem::path pasta, std::size_t maisEntradas = kMaisEntradas);

    // Looks for the texture the model names `nome`.
    [[nodiscard]] Achado procurar(const std::string& nome);

private:
    // The names in `pasta` sorted by byte, read once (none when it cannot be listed); null when
    // the entries allowed are spent.
    const std::vector<std::string>* listar(const std::filesystem::path& pasta);
    // Walks `partes` from the model's folder, each part as written or else in another case,
    // into `relativo` (the path from the model's folder); false when some part is not found.
    bool percorrer(const std::vector<std::string>& partes, std::filesystem::path& relativo);

    std::filesystem::path pasta;
    std::map<std::filesystem::path, std::vector<std::string>> listadas;
    std::size_t maisEntradas;
    std::size_t entradasLidas = 0;
    bool esgotado = false;
};

}  // namespace gouraud::detail

#endif
