#include "Resposta.h"

#include <algorithm>
#include <cstring>

namespace gouraud::detail {

namespace {

constexpr std::size_t kAlinhamento = 4;

// Flags of a material, an image and a mesh.
constexpr std::uint32_t kPresente = 1;
constexpr std::uint32_t kTemCor = 2;
constexpr std::uint32_t kDeclaraTextura = 4;
constexpr std::uint32_t kTemTextura = 8;
constexpr std::uint32_t kTemDados = 1;
constexpr std::uint32_t kNormais = 1;
constexpr std::uint32_t kCores = 2;
constexpr std::uint32_t kUv = 4;

std::size_t preenchimento(std::size_t tamanho) {
    return (kAlinhamento - tamanho % kAlinhamento) % kAlinhamento;
}

std::string texto(std::uint64_t valor) { return std::to_string(valor); }

// Pieces of an answer going to a destination; the first piece that does not go stops the rest.
class Escrita {
public:
    explicit Escrita(const Resposta::Destino& destino) : destino(destino) {}

    void bytes(const void* dados, std::size_t tamanho) {
        if (ok && tamanho > 0) {
            ok = destino(dados, tamanho);
        }
    }
    void u32(std::uint32_t valor) { bytes(&valor, sizeof(valor)); }
    void i32(std::int32_t valor) { bytes(&valor, sizeof(valor)); }
    void u64(std::uint64_t valor) { bytes(&valor, sizeof(valor)); }
    // `tamanho` bytes and the zeros that pad them.
    void comPreenchimento(const void* dados, std::size_t tamanho) {
        static constexpr unsigned char kZeros[kAlinhamento] = {};
        bytes(dados, tamanho);
        bytes(kZeros, preenchimento(tamanho));
    }
    // A length in 4 bytes and the text.
    void nome(const std::string& valor) {
        u32(static_cast<std::uint32_t>(valor.size()));
        comPreenchimento(valor.data(), valor.size());
    }
    template <typename T>
    void lista(const std::vector<T>& valores) {
        bytes(valores.data(), valores.size() * sizeof(T));
    }
    bool getOk() const { return ok; }

private:
    const Resposta::Destino& destino;
    bool ok = true;
};

void cabecalho(Escrita& escrita, Resposta::Tipo tipo, std::uint64_t corpo) {
    escrita.u32(Resposta::kMagia);
    escrita.u32(static_cast<std::uint32_t>(tipo));
    escrita.u64(corpo);
}

// The body of an answer that holds `modelo`. Names longer than the reader takes are cut.
void corpo(const ModeloImportado& modelo, Escrita& escrita) {
    escrita.u32(modelo.nuvem ? 1 : 0);
    escrita.u32(static_cast<std::uint32_t>(modelo.malhas.size()));
    escrita.u32(static_cast<std::uint32_t>(modelo.materiais.size()));
    escrita.u32(static_cast<std::uint32_t>(modelo.texturas.size()));
    for (const ModeloImportado::Material& m : modelo.materiais) {
        escrita.u32((m.presente ? kPresente : 0) | (m.temCor ? kTemCor : 0) |
                    (m.declaraTextura ? kDeclaraTextura : 0) | (m.temTextura ? kTemTextura : 0));
        escrita.bytes(m.cor.data(), sizeof(m.cor));
        escrita.u32(m.modoU);
        escrita.u32(m.modoV);
        escrita.i32(m.embutida);
        escrita.nome(m.nome.substr(0, Resposta::kMaiorNome));
        escrita.nome(m.textura.substr(0, Resposta::kMaiorNome));
    }
    for (const ModeloImportado::TexturaEmbutida& t : modelo.texturas) {
        escrita.u32(t.largura);
        escrita.u32(t.altura);
        escrita.u32(t.temDados ? kTemDados : 0);
        escrita.u64(t.bytes.size());
        escrita.comPreenchimento(t.bytes.data(), t.bytes.size());
    }
    for (const ModeloImportado::Malha& malha : modelo.malhas) {
        escrita.u32(static_cast<std::uint32_t>(malha.quantVertices()));
        escrita.u32(static_cast<std::uint32_t>(malha.cantos.size()));
        escrita.u32(static_cast<std::uint32_t>(malha.indices.size()));
        escrita.u32(malha.material);
        escrita.u32((malha.temNormais ? kNormais : 0) | (malha.temCores ? kCores : 0) |
                    (malha.temUv ? kUv : 0));
        escrita.lista(malha.posicoes);
        if (malha.temNormais) escrita.lista(malha.normais);
        if (malha.temCores) escrita.lista(malha.cores);
        if (malha.temUv) escrita.lista(malha.uv);
        escrita.comPreenchimento(malha.cantos.data(), malha.cantos.size());
        escrita.lista(malha.indices);
    }
}

// Reads the bytes of an answer in order, each read checked against what is left.
class Cursor {
public:
    Cursor(const unsigned char* dados, std::size_t tamanho) : dados(dados), resta(tamanho) {}

    std::size_t getResta() const { return resta; }
    std::size_t getLidos() const { return lidos; }

    // Takes `tamanho` bytes into `destino`; false, taking nothing, when fewer are left.
    bool bytes(void* destino, std::size_t tamanho) {
        if (tamanho > resta) {
            return false;
        }
        if (tamanho > 0) {
            std::memcpy(destino, dados, tamanho);
        }
        pular(tamanho);
        return true;
    }
    bool u32(std::uint32_t& valor) { return bytes(&valor, sizeof(valor)); }
    bool i32(std::int32_t& valor) { return bytes(&valor, sizeof(valor)); }
    bool u64(std::uint64_t& valor) { return bytes(&valor, sizeof(valor)); }
    // Skips the zeros that pad `tamanho` bytes; false when they are missing or not zeros.
    bool preenchido(std::size_t tamanho) {
        const std::size_t n = preenchimento(tamanho);
        if (n > resta) {
            return false;
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (dados[i] != 0) {
                return false;
            }
        }
        pular(n);
        return true;
    }
    // `quantos` values of T into `lista`, which is sized only once they are known to be there.
    template <typename T>
    bool lista(std::uint64_t quantos, std::vector<T>& valores) {
        if (quantos > resta / sizeof(T)) {
            return false;
        }
        valores.resize(static_cast<std::size_t>(quantos));
        return bytes(valores.data(), valores.size() * sizeof(T));
    }

private:
    void pular(std::size_t n) {
        dados += n;
        resta -= n;
        lidos += n;
    }

    const unsigned char* dados;
    std::size_t resta;
    std::size_t lidos = 0;
};

// Reads the body of a model answer; "" or what is wrong with it.
class LeituraModelo {
public:
    LeituraModelo(Cursor& cursor, ModeloImportado& modelo) : cursor(cursor), modelo(modelo) {}

    std::string ler() {
        std::uint32_t nuvem = 0;
        std::uint32_t malhas = 0;
        std::uint32_t materiais = 0;
        if (!cursor.u32(nuvem) || !cursor.u32(malhas) || !cursor.u32(materiais) ||
            !cursor.u32(quantTexturas)) {
            return curto("its counts");
        }
        if (nuvem > 1) {
            return "its cloud flag is " + texto(nuvem);
        }
        modelo.nuvem = nuvem == 1;
        for (std::uint32_t i = 0; i < materiais; ++i) {
            std::string problema = lerMaterial(i);
            if (!problema.empty()) {
                return problema;
            }
        }
        for (std::uint32_t i = 0; i < quantTexturas; ++i) {
            std::string problema = lerTextura(i);
            if (!problema.empty()) {
                return problema;
            }
        }
        for (std::uint32_t m = 0; m < malhas; ++m) {
            std::string problema = lerMalha(m);
            if (!problema.empty()) {
                return problema;
            }
        }
        if (cursor.getResta() > 0) {
            return texto(cursor.getResta()) + " bytes follow the model";
        }
        return "";
    }

private:
    std::string curto(const std::string& parte) const {
        return "it ends in " + parte + " after " + texto(cursor.getLidos()) + " bytes";
    }

    bool nome(std::string& valor) {
        std::uint32_t tamanho = 0;
        if (!cursor.u32(tamanho) || tamanho > Resposta::kMaiorNome || tamanho > cursor.getResta()) {
            return false;
        }
        valor.resize(tamanho);
        return cursor.bytes(valor.data(), tamanho) && cursor.preenchido(tamanho);
    }

    std::string lerMaterial(std::uint32_t i) {
        ModeloImportado::Material m;
        std::uint32_t flags = 0;
        if (!cursor.u32(flags) || !cursor.bytes(m.cor.data(), sizeof(m.cor)) ||
            !cursor.u32(m.modoU) || !cursor.u32(m.modoV) || !cursor.i32(m.embutida) ||
            !nome(m.nome) || !nome(m.textura)) {
            return curto("material " + texto(i));
        }
        if ((flags & ~(kPresente | kTemCor | kDeclaraTextura | kTemTextura)) != 0) {
            return "material " + texto(i) + " has unknown flags " + texto(flags);
        }
        m.presente = (flags & kPresente) != 0;
        m.temCor = (flags & kTemCor) != 0;
        m.declaraTextura = (flags & kDeclaraTextura) != 0;
        m.temTextura = (flags & kTemTextura) != 0;
        if (m.embutida < -1 || (m.embutida >= 0 && static_cast<std::uint32_t>(m.embutida) >=
                                                       quantTexturas)) {
            return "material " + texto(i) + " names image " + std::to_string(m.embutida) +
                   " of " + texto(quantTexturas);
        }
        modelo.materiais.push_back(std::move(m));
        return "";
    }

    std::string lerTextura(std::uint32_t i) {
        ModeloImportado::TexturaEmbutida t;
        std::uint32_t flags = 0;
        std::uint64_t quantBytes = 0;
        if (!cursor.u32(t.largura) || !cursor.u32(t.altura) || !cursor.u32(flags) ||
            !cursor.u64(quantBytes)) {
            return curto("image " + texto(i));
        }
        if ((flags & ~kTemDados) != 0) {
            return "image " + texto(i) + " has unknown flags " + texto(flags);
        }
        t.temDados = (flags & kTemDados) != 0;
        std::uint64_t esperados = 0;
        if (!t.temDados) {
            esperados = 0;
        } else if (t.altura == 0) {
            esperados = t.largura;
        } else if (t.largura <= ModeloImportado::kMaiorLadoTexels &&
                   t.altura <= ModeloImportado::kMaiorLadoTexels) {
            esperados = std::uint64_t{4} * t.largura * t.altura;
        }
        if (quantBytes != esperados) {
            return "image " + texto(i) + " of " + texto(t.largura) + " x " + texto(t.altura) +
                   " comes with " + texto(quantBytes) + " bytes, not " + texto(esperados);
        }
        if (!cursor.lista(quantBytes, t.bytes) || !cursor.preenchido(t.bytes.size())) {
            return curto("image " + texto(i));
        }
        modelo.texturas.push_back(std::move(t));
        return "";
    }

    std::string lerMalha(std::uint32_t m) {
        ModeloImportado::Malha malha;
        std::uint32_t vertices = 0;
        std::uint32_t faces = 0;
        std::uint32_t quantIndices = 0;
        std::uint32_t flags = 0;
        if (!cursor.u32(vertices) || !cursor.u32(faces) || !cursor.u32(quantIndices) ||
            !cursor.u32(malha.material) || !cursor.u32(flags)) {
            return curto("mesh " + texto(m));
        }
        if ((flags & ~(kNormais | kCores | kUv)) != 0) {
            return "mesh " + texto(m) + " has unknown flags " + texto(flags);
        }
        if (modelo.nuvem && faces > 0) {
            return "mesh " + texto(m) + " of a cloud has faces";
        }
        if (quantIndices > std::uint64_t{3} * faces) {
            return "mesh " + texto(m) + " has " + texto(quantIndices) + " corners in " +
                   texto(faces) + " faces";
        }
        malha.temNormais = (flags & kNormais) != 0;
        malha.temCores = (flags & kCores) != 0;
        malha.temUv = (flags & kUv) != 0;
        const std::uint64_t v = vertices;
        if (!cursor.lista(3 * v, malha.posicoes) ||
            (malha.temNormais && !cursor.lista(3 * v, malha.normais)) ||
            (malha.temCores && !cursor.lista(3 * v, malha.cores)) ||
            (malha.temUv && !cursor.lista(2 * v, malha.uv)) ||
            !cursor.lista(faces, malha.cantos) || !cursor.preenchido(malha.cantos.size()) ||
            !cursor.lista(quantIndices, malha.indices)) {
            return curto("mesh " + texto(m));
        }
        std::uint64_t cantos = 0;
        for (std::size_t f = 0; f < malha.cantos.size(); ++f) {
            const std::uint8_t n = malha.cantos[f];
            if (n < 1 || n > 3) {
                return "face " + texto(f) + " of mesh " + texto(m) + " has " + texto(n) +
                       " corners";
            }
            cantos += n;
        }
        if (cantos != quantIndices) {
            return "the faces of mesh " + texto(m) + " have " + texto(cantos) +
                   " corners, but it gives " + texto(quantIndices);
        }
        std::size_t canto = 0;
        for (std::size_t f = 0; f < malha.cantos.size(); ++f) {
            for (std::uint8_t k = 0; k < malha.cantos[f]; ++k, ++canto) {
                if (malha.indices[canto] >= vertices) {
                    return "face " + texto(f) + " of mesh " + texto(m) + " names vertex " +
                           texto(malha.indices[canto]) + " of " + texto(vertices);
                }
            }
        }
        modelo.malhas.push_back(std::move(malha));
        return "";
    }

    Cursor& cursor;
    ModeloImportado& modelo;
    std::uint32_t quantTexturas = 0;
};

}  // namespace

bool Resposta::escreverModelo(const ModeloImportado& modelo, const Destino& destino) {
    std::uint64_t tamanho = 0;
    const Destino contar = [&tamanho](const void*, std::size_t n) {
        tamanho += n;
        return true;
    };
    Escrita contagem(contar);
    corpo(modelo, contagem);
    Escrita escrita(destino);
    cabecalho(escrita, Tipo::modelo, tamanho);
    corpo(modelo, escrita);
    return escrita.getOk();
}

bool Resposta::escreverRecusa(const std::string& motivo, const Destino& destino) {
    const std::size_t tamanho = std::min(motivo.size(), kMaiorRecusa);
    Escrita escrita(destino);
    cabecalho(escrita, Tipo::recusa, tamanho);
    escrita.bytes(motivo.data(), tamanho);
    return escrita.getOk();
}

namespace {

void cabecalho(unsigned char* bytes, Resposta::Tipo tipo, std::uint64_t corpo) {
    const std::uint32_t magia = Resposta::kMagia;
    const auto numero = static_cast<std::uint32_t>(tipo);
    std::memcpy(bytes, &magia, 4);
    std::memcpy(bytes + 4, &numero, 4);
    std::memcpy(bytes + 8, &corpo, 8);
}

}  // namespace

void Resposta::memoria(unsigned char (&bytes)[kCabecalho]) { cabecalho(bytes, Tipo::memoria, 0); }

void Resposta::filtro(std::int32_t chamada, std::uint32_t arquitetura,
                      unsigned char (&bytes)[kCabecalho + 8]) {
    cabecalho(bytes, Tipo::filtro, 8);
    std::memcpy(bytes + kCabecalho, &chamada, 4);
    std::memcpy(bytes + kCabecalho + 4, &arquitetura, 4);
}

std::string Resposta::ler(const unsigned char* dados, std::size_t tamanho, Lida& lida) {
    lida = Lida{};
    Cursor cursor(dados, tamanho);
    std::uint32_t magia = 0;
    std::uint32_t tipo = 0;
    std::uint64_t corpo = 0;
    if (!cursor.u32(magia) || !cursor.u32(tipo) || !cursor.u64(corpo)) {
        return tamanho == 0 ? "it is empty" : "it ends in its header after " + texto(tamanho) + " bytes";
    }
    if (magia != kMagia) {
        return "it does not start as an answer does";
    }
    if (corpo > cursor.getResta()) {
        return "it ends after " + texto(tamanho) + " of " + texto(kCabecalho + corpo) + " bytes";
    }
    // A refused call and a failed allocation are written over the start of what was being
    // written: more may follow them.
    const bool porCima = tipo == static_cast<std::uint32_t>(Tipo::filtro) ||
                         tipo == static_cast<std::uint32_t>(Tipo::memoria);
    if (!porCima && corpo != cursor.getResta()) {
        return texto(cursor.getResta() - corpo) + " bytes follow its end";
    }
    switch (tipo) {
        case static_cast<std::uint32_t>(Tipo::modelo): {
            lida.tipo = Tipo::modelo;
            LeituraModelo leitura(cursor, lida.modelo);
            std::string problema = leitura.ler();
            if (!problema.empty()) {
                lida.modelo = ModeloImportado{};
            }
            return problema;
        }
        case static_cast<std::uint32_t>(Tipo::recusa):
            if (corpo > kMaiorRecusa) {
                return "its reason is " + texto(corpo) + " bytes long";
            }
            lida.tipo = Tipo::recusa;
            lida.recusa.resize(static_cast<std::size_t>(corpo));
            return cursor.bytes(lida.recusa.data(), lida.recusa.size()) ? "" : "it ends early";
        case static_cast<std::uint32_t>(Tipo::memoria):
            lida.tipo = Tipo::memoria;
            return corpo == 0 ? "" : "its memory note has a body";
        case static_cast<std::uint32_t>(Tipo::filtro):
            if (corpo != 8 || !cursor.i32(lida.chamada) || !cursor.u32(lida.arquitetura)) {
                return "its note of a refused call is " + texto(corpo) + " bytes long";
            }
            lida.tipo = Tipo::filtro;
            return "";
        default:
            return "it is of an unknown kind " + texto(tipo);
    }
}

}  // namespace gouraud::detail
