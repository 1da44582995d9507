#include "CaminhoTextura.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace gouraud::detail {

namespace fs = std::filesystem;

namespace {

char minuscula(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool mesmoNome(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return minuscula(x) == minuscula(y);
           });
}

bool arquivo(const fs::path& caminho) {
    std::error_code erro;
    return fs::is_regular_file(caminho, erro);
}

bool ehPasta(const fs::path& caminho) {
    std::error_code erro;
    return fs::is_directory(caminho, erro);
}

// A name written on Windows or Unix with a drive letter or a leading separator.
bool absoluto(const std::string& texto) {
    const bool letra =
        texto.size() >= 2 && texto[1] == ':' &&
        ((texto[0] >= 'a' && texto[0] <= 'z') || (texto[0] >= 'A' && texto[0] <= 'Z'));
    return letra || (!texto.empty() && texto[0] == '/');
}

// The parts of `texto` between separators, without empty ones, "." and a drive letter.
std::vector<std::string> partesDe(const std::string& texto) {
    std::vector<std::string> partes;
    std::size_t inicio = absoluto(texto) && texto[0] != '/' ? 2 : 0;
    while (inicio <= texto.size()) {
        const std::size_t fim = std::min(texto.find('/', inicio), texto.size());
        std::string parte = texto.substr(inicio, fim - inicio);
        if (!parte.empty() && parte != ".") {
            partes.push_back(std::move(parte));
        }
        inicio = fim + 1;
    }
    return partes;
}

// Why the file `caminho` cannot be read, as the system says it.
std::string motivo(const fs::path& caminho) {
    std::error_code erro;
    const fs::file_status estado = fs::status(caminho, erro);
    if (fs::is_directory(estado)) {
        return std::strerror(EISDIR);
    }
    return erro ? erro.message() : std::strerror(ENOENT);
}

}  // namespace

CaminhoTextura::CaminhoTextura(fs::path pasta, std::size_t maisEntradas)
    : pasta(std::move(pasta)), maisEntradas(maisEntradas) {}

const std::vector<std::string>* CaminhoTextura::listar(const fs::path& onde) {
    const auto achada = listadas.find(onde);
    if (achada != listadas.end()) {
        return &achada->second;
    }
    if (esgotado) {
        return nullptr;
    }
    std::vector<std::string> nomes;
    std::error_code erro;
    for (fs::directory_iterator i(onde.empty() ? fs::path(".") : onde, erro), fim;
         !erro && i != fim; i.increment(erro)) {
        if (++entradasLidas > maisEntradas) {
            esgotado = true;
            return nullptr;
        }
        nomes.push_back(i->path().filename().string());
    }
    // A folder that cannot be listed is kept as empty: it is not tried again.
    if (erro) {
        nomes.clear();
    }
    std::sort(nomes.begin(), nomes.end());
    return &listadas.emplace(onde, std::move(nomes)).first->second;
}

bool CaminhoTextura::percorrer(const std::vector<std::string>& partes, fs::path& relativo) {
    relativo.clear();
    for (std::size_t k = 0; k < partes.size(); ++k) {
        const bool ultima = k + 1 == partes.size();
        const auto serve = [&](const fs::path& caminho) {
            return ultima ? arquivo(caminho) : ehPasta(caminho);
        };
        if (partes[k] == ".." || serve(pasta / relativo / partes[k])) {
            relativo /= partes[k];
            continue;
        }
        const std::vector<std::string>* nomes = listar(pasta / relativo);
        if (nomes == nullptr) {
            return false;
        }
        const auto escolhido =
            std::find_if(nomes->begin(), nomes->end(), [&](const std::string& n) {
                return mesmoNome(n, partes[k]) && serve(pasta / relativo / n);
            });
        if (escolhido == nomes->end()) {
            return false;
        }
        relativo /= *escolhido;
    }
    return true;
}

CaminhoTextura::Achado CaminhoTextura::procurar(const std::string& nome) {
    Achado achado;
    if (nome.find('\0') != std::string::npos) {
        achado.problema = "its name holds a NUL byte";
        return achado;
    }
    if (nome.size() > kMaiorNome) {
        achado.problema = "its name is longer than " + std::to_string(kMaiorNome) + " bytes";
        return achado;
    }
    std::string texto = nome;
    std::replace(texto.begin(), texto.end(), '\\', '/');
    const bool deOutraMaquina = absoluto(texto);
    const std::vector<std::string> partes = partesDe(texto);
    if (partes.empty() || partes.back() == "..") {
        achado.problema = "its name names no file";
        return achado;
    }
    const auto usar = [&](const fs::path& relativo) {
        achado.arquivo = (pasta / relativo).string();
        const std::string mostrado = relativo.lexically_normal().string();
        if (relativo.string() != nome) {
            achado.aviso = "texture " + nome + " is read from " + mostrado;
        }
        return achado;
    };
    if (!deOutraMaquina && arquivo(pasta / texto)) {
        return usar(texto);
    }
    // The name in another case, then its last part in the folders it names (the deepest
    // kMaisPastas), the deepest first, then beside the model.
    fs::path relativo;
    if (!deOutraMaquina && percorrer(partes, relativo)) {
        return usar(relativo);
    }
    std::vector<std::string> pastas;
    for (std::size_t k = 0; k + 1 < partes.size(); ++k) {
        if (partes[k] != "..") {
            pastas.push_back(partes[k]);
        }
    }
    // An absolute name's folders are another machine's: only its last part is looked for, beside
    // the model.
    const std::size_t primeira =
        deOutraMaquina ? pastas.size() : pastas.size() - std::min(pastas.size(), kMaisPastas);
    for (std::size_t inicio = primeira; inicio <= pastas.size(); ++inicio) {
        std::vector<std::string> tentativa(pastas.begin() + static_cast<std::ptrdiff_t>(inicio),
                                           pastas.end());
        tentativa.push_back(partes.back());
        // The name as a whole was tried above.
        if ((deOutraMaquina || tentativa != partes) && percorrer(tentativa, relativo)) {
            return usar(relativo);
        }
    }
    achado.problema = deOutraMaquina ? "an absolute name is not followed, and no " + partes.back() +
                                           " is found beside the model"
                                     : motivo(pasta / texto);
    if (esgotado) {
        achado.problema +=
            " (the search stopped after " + std::to_string(maisEntradas) + " folder entries)";
    }
    return achado;
}

}  // namespace gouraud::detail
