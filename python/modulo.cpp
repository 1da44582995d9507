// The extension gouraud._gouraud: the library's Modelo and Imagem for Python, numpy arrays in
// and out. The options of a picture are keyword arguments named as the fields of gouraud::Opcoes
// (the table of options' `campo`), their values the command line's words where it has words
// ("phong", "iso", "+z"), read by the table's own readers so that the words and the refusals are
// the viewer's, and plain Python values (bools, numbers, tuples) elsewhere. The GIL is released
// while a file is read and while a picture is drawn.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "TabelaOpcoes.h"
#include "gouraud/Modelo.h"

namespace py = pybind11;

namespace gouraud::detail {

namespace {

// --- Values of keywords -------------------------------------------------------------------

// The Python type's name of `valor`, for the refusals.
std::string tipoDe(py::handle valor) { return py::str(py::type::handle_of(valor).attr("__name__")); }

bool ehBool(py::handle valor) {
    return PyBool_Check(valor.ptr()) ||
           py::isinstance(valor, py::module_::import("numpy").attr("bool_"));
}

bool lerBool(py::handle valor, const std::string& nome) {
    if (!ehBool(valor)) {
        throw py::type_error(nome + " takes True or False, not " + tipoDe(valor));
    }
    return PyObject_IsTrue(valor.ptr()) == 1;
}

// A whole number (a Python or numpy integer, not a bool nor a float) within the range of int;
// the library checks the option's own range.
int lerInt(py::handle valor, const std::string& nome) {
    if (ehBool(valor) || PyIndex_Check(valor.ptr()) == 0) {
        throw py::type_error(nome + " takes a whole number, not " + tipoDe(valor));
    }
    py::object indice = py::reinterpret_steal<py::object>(PyNumber_Index(valor.ptr()));
    if (!indice) {
        throw py::error_already_set();
    }
    int transbordou = 0;
    const long long numero = PyLong_AsLongLongAndOverflow(indice.ptr(), &transbordou);
    if (transbordou != 0 || numero < std::numeric_limits<int>::min() ||
        numero > std::numeric_limits<int>::max()) {
        throw py::value_error(nome + " " + std::string(py::str(indice)) + " is out of range");
    }
    return static_cast<int>(numero);
}

// A real number (any Python or numpy number but a bool).
double lerReal(py::handle valor, const std::string& nome) {
    if (ehBool(valor) || PyNumber_Check(valor.ptr()) == 0 || PyUnicode_Check(valor.ptr())) {
        throw py::type_error(nome + " takes a number, not " + tipoDe(valor));
    }
    const double numero = PyFloat_AsDouble(valor.ptr());
    if (numero == -1.0 && PyErr_Occurred() != nullptr) {
        throw py::error_already_set();
    }
    return numero;
}

std::string lerTexto(py::handle valor, const std::string& nome) {
    if (!PyUnicode_Check(valor.ptr())) {
        throw py::type_error(nome + " takes a word such as the command line's, not " +
                             tipoDe(valor));
    }
    return valor.cast<std::string>();
}

// Three numbers, finite, from any sequence of three (a tuple, a list, a numpy array).
std::array<double, 3> lerTres(py::handle valor, const std::string& nome) {
    if (PyUnicode_Check(valor.ptr()) || PySequence_Check(valor.ptr()) == 0 ||
        PySequence_Size(valor.ptr()) != 3) {
        if (PyErr_Occurred() != nullptr) PyErr_Clear();
        throw py::type_error(nome + " takes three numbers, such as (0, 1, 0)");
    }
    std::array<double, 3> tres{};
    const py::sequence sequencia = py::reinterpret_borrow<py::sequence>(valor);
    for (std::size_t k = 0; k < 3; ++k) {
        tres[k] = lerReal(sequencia[k], nome);
        if (!std::isfinite(tres[k])) {
            throw py::value_error(nome + " holds a number that is not finite");
        }
    }
    return tres;
}

// Reads the command line's word `palavra` for the option `opcao` ("--modo") through the table,
// into a fresh set of the viewer's options; the refusal is the command line's.
OpcoesVisualizador pelaTabela(std::string_view opcao, const std::string& palavra) {
    const Opcao* entrada = Opcao::procurar(opcao);
    OpcoesVisualizador opcoes;
    std::vector<std::string> arquivos;
    Opcao::Leitura leitura{opcoes, arquivos};
    const std::string motivo = entrada->ler(palavra, leitura);
    if (!motivo.empty()) {
        throw py::value_error(motivo);
    }
    return opcoes;
}

// The fields of a camera or a pinhole camera given as a dict (by name) or a sequence (in order).
std::vector<py::object> campos(py::handle valor, const std::string& nome,
                               const std::vector<std::string>& nomes, std::size_t exigidos) {
    std::vector<py::object> lidos(nomes.size());
    if (PyDict_Check(valor.ptr())) {
        const py::dict dicionario = py::reinterpret_borrow<py::dict>(valor);
        for (auto [chave, v] : dicionario) {
            const std::string texto = py::str(chave);
            std::size_t k = 0;
            while (k < nomes.size() && nomes[k] != texto) ++k;
            if (k == nomes.size()) {
                throw py::type_error(nome + " has no field " + texto);
            }
            lidos[k] = py::reinterpret_borrow<py::object>(v);
        }
    } else if (!PyUnicode_Check(valor.ptr()) && PySequence_Check(valor.ptr()) != 0) {
        const py::sequence sequencia = py::reinterpret_borrow<py::sequence>(valor);
        if (sequencia.size() < exigidos || sequencia.size() > nomes.size()) {
            throw py::type_error(nome + " takes " + std::to_string(exigidos) + " to " +
                                 std::to_string(nomes.size()) + " values");
        }
        for (std::size_t k = 0; k < sequencia.size(); ++k) {
            lidos[k] = sequencia[k];
        }
    } else {
        throw py::type_error(nome + " takes a dict or a tuple, not " + tipoDe(valor));
    }
    for (std::size_t k = 0; k < exigidos; ++k) {
        if (!lidos[k]) {
            throw py::type_error(nome + " needs its " + nomes[k]);
        }
    }
    return lidos;
}

// --- The keywords of a picture ------------------------------------------------------------

using Leitor = std::function<void(py::handle, gouraud::Opcoes&)>;

// Every keyword of Modelo.desenhar and how it sets the library's options; a test holds this list
// to the table of options' campos.
const std::map<std::string, Leitor>& leitoresDesenho() {
    static const std::map<std::string, Leitor> leitores = {
        {"vista",
         [](py::handle v, gouraud::Opcoes& o) {
             o.vista = v.is_none() ? std::nullopt : pelaTabela("--vista", lerTexto(v, "vista")).vista;
         }},
        {"cima",
         [](py::handle v, gouraud::Opcoes& o) {
             o.cima = pelaTabela("--cima", lerTexto(v, "cima")).cima;
         }},
        {"camera",
         [](py::handle v, gouraud::Opcoes& o) {
             if (v.is_none()) {
                 o.camera.reset();
                 return;
             }
             const auto lidos = campos(v, "camera", {"foco", "n", "v"}, 3);
             o.camera = gouraud::Camera{lerTres(lidos[0], "camera's foco"),
                                        lerTres(lidos[1], "camera's n"),
                                        lerTres(lidos[2], "camera's v")};
         }},
        {"olhar",
         [](py::handle v, gouraud::Opcoes& o) {
             if (v.is_none()) {
                 o.olhar.reset();
                 return;
             }
             const auto lidos = campos(v, "olhar", {"olho", "alvo", "cima", "campo"}, 2);
             gouraud::Olhar olhar;
             olhar.olho = lerTres(lidos[0], "olhar's olho");
             olhar.alvo = lerTres(lidos[1], "olhar's alvo");
             if (lidos[2]) olhar.cima = lerTres(lidos[2], "olhar's cima");
             if (lidos[3]) olhar.campo = lerReal(lidos[3], "olhar's campo");
             o.olhar = olhar;
         }},
        {"largura", [](py::handle v, gouraud::Opcoes& o) { o.largura = lerInt(v, "largura"); }},
        {"altura", [](py::handle v, gouraud::Opcoes& o) { o.altura = lerInt(v, "altura"); }},
        {"modo",
         [](py::handle v, gouraud::Opcoes& o) {
             o.modo = pelaTabela("--modo", lerTexto(v, "modo")).estilo.modo;
         }},
        {"arestas", [](py::handle v, gouraud::Opcoes& o) { o.arestas = lerBool(v, "arestas"); }},
        {"normais", [](py::handle v, gouraud::Opcoes& o) { o.normais = lerBool(v, "normais"); }},
        {"cores", [](py::handle v, gouraud::Opcoes& o) { o.cores = lerBool(v, "cores"); }},
        {"ponto", [](py::handle v, gouraud::Opcoes& o) { o.ponto = lerInt(v, "ponto"); }},
        {"formaPonto",
         [](py::handle v, gouraud::Opcoes& o) {
             o.formaPonto = pelaTabela("--ponto-forma", lerTexto(v, "formaPonto")).estilo.formaPonto;
         }},
        {"bits", [](py::handle v, gouraud::Opcoes& o) { o.bits = lerInt(v, "bits"); }},
        {"aa", [](py::handle v, gouraud::Opcoes& o) { o.aa = lerInt(v, "aa"); }},
        {"edl", [](py::handle v, gouraud::Opcoes& o) { o.edl = lerBool(v, "edl"); }},
        {"raioEdl", [](py::handle v, gouraud::Opcoes& o) { o.raioEdl = lerInt(v, "raioEdl"); }},
        {"forcaEdl",
         [](py::handle v, gouraud::Opcoes& o) { o.forcaEdl = lerReal(v, "forcaEdl"); }},
        {"fundo",
         [](py::handle v, gouraud::Opcoes& o) {
             if (PyUnicode_Check(v.ptr())) {
                 // "#rrggbb" as the command line writes it: each channel c of 0..255 as c / 255,
                 // which the library rounds back to c.
                 const std::string palavra = v.cast<std::string>();
                 if (palavra == "transparente") {
                     throw py::value_error("fundo takes a colour; transparente=True gives none");
                 }
                 const Estilo estilo = pelaTabela("--fundo", palavra).estilo;
                 for (int k = 0; k < 3; ++k) {
                     const std::uint32_t canal = (estilo.fundo >> (16 - 8 * k)) & 0xFFU;
                     o.fundo[static_cast<std::size_t>(k)] = static_cast<double>(canal) / 255.0;
                 }
                 return;
             }
             o.fundo = lerTres(v, "fundo");
         }},
        {"transparente",
         [](py::handle v, gouraud::Opcoes& o) { o.transparente = lerBool(v, "transparente"); }},
        {"buffers",
         [](py::handle v, gouraud::Opcoes& o) {
             o.buffers = gouraud::Buffers{};
             if (v.is_none()) {
                 return;
             }
             std::vector<std::string> nomes;
             if (PyUnicode_Check(v.ptr())) {
                 nomes.push_back(v.cast<std::string>());
             } else {
                 const bool colecao = PyIter_Check(v.ptr()) != 0 ||
                                      PySequence_Check(v.ptr()) != 0 ||
                                      py::isinstance<py::set>(v) || py::isinstance<py::frozenset>(v);
                 if (py::isinstance<py::dict>(v) || !colecao) {
                     throw py::type_error(
                         "buffers takes a list of names (profundidade, normais, triangulo, parte)");
                 }
                 for (py::handle nome : v) {
                     nomes.push_back(lerTexto(nome, "buffers"));
                 }
             }
             for (const std::string& nome : nomes) {
                 if (nome == "profundidade") {
                     o.buffers.profundidade = true;
                 } else if (nome == "normais") {
                     o.buffers.normais = true;
                 } else if (nome == "triangulo") {
                     o.buffers.triangulo = true;
                 } else if (nome == "parte") {
                     o.buffers.parte = true;
                 } else {
                     throw py::value_error("unknown buffer " + nome +
                                           " (buffers takes profundidade, normais, triangulo "
                                           "and parte)");
                 }
             }
         }},
    };
    return leitores;
}

gouraud::Opcoes opcoesDe(const py::kwargs& palavras) {
    gouraud::Opcoes opcoes;
    const auto& leitores = leitoresDesenho();
    for (auto [chave, valor] : palavras) {
        const std::string nome = py::str(chave);
        const auto leitor = leitores.find(nome);
        if (leitor == leitores.end()) {
            throw py::type_error("desenhar() got an unexpected keyword argument '" + nome + "'");
        }
        leitor->second(valor, opcoes);
    }
    return opcoes;
}

// --- The keywords of opening a file -------------------------------------------------------

using LeitorAbertura = std::function<void(py::handle, gouraud::Abertura&)>;

const std::map<std::string, LeitorAbertura>& leitoresAbertura() {
    static const std::map<std::string, LeitorAbertura> leitores = {
        {"limiteMemoria",
         [](py::handle v, gouraud::Abertura& a) { a.limiteMemoria = lerInt(v, "limiteMemoria"); }},
        {"limiteTempo",
         [](py::handle v, gouraud::Abertura& a) { a.limiteTempo = lerInt(v, "limiteTempo"); }},
        {"isolamento",
         [](py::handle v, gouraud::Abertura& a) { a.isolamento = lerBool(v, "isolamento"); }},
        {"threads", [](py::handle v, gouraud::Abertura& a) { a.threads = lerInt(v, "threads"); }},
    };
    return leitores;
}

// How to open a model checked as the library checks it, before anything is read: a limit or a
// thread count out of range is a bad value (ValueError), not a file that cannot be read.
void conferirAbertura(const gouraud::Abertura& abertura) {
    OpcoesVisualizador conferidas;
    const std::string problema = opcoesDaAbertura(abertura, conferidas);
    if (!problema.empty()) {
        throw py::value_error(problema);
    }
}

// The child program that reads files with the import library, as the package found it next to
// itself ("" leaves the library to look for it).
std::string& importadorPadrao() {
    static std::string caminho;
    return caminho;
}

// A file name given as a str, bytes or os.PathLike.
std::string caminhoDe(py::handle caminho) {
    const py::module_ os = py::module_::import("os");
    return os.attr("fsdecode")(os.attr("fspath")(caminho)).cast<std::string>();
}

// --- Arrays in ----------------------------------------------------------------------------

enum class Especie { real, inteiro, byte };

// `valor` as the library's Arranjo: numpy's own memory when its layout and type allow
// (C-contiguous, native order, one of the types the library takes), otherwise converted once to
// float64 or int64 and kept alive in `mantidos`. `colunas` is the second side (the third for a
// picture, whose rows then hold largura x 3 bytes).
gouraud::Arranjo arranjoDe(py::handle valor, const std::string& nome, Especie especie,
                           std::size_t colunas, std::vector<py::object>& mantidos,
                           std::size_t* largura = nullptr) {
    const py::module_ np = py::module_::import("numpy");
    py::array arranjo = np.attr("asarray")(valor);
    const std::size_t dimensoes = especie == Especie::byte ? 3 : 2;
    const auto forma = [&] {
        std::string texto = "(";
        for (py::ssize_t k = 0; k < arranjo.ndim(); ++k) {
            texto += (k > 0 ? ", " : "") + std::to_string(arranjo.shape(k));
        }
        return texto + (arranjo.ndim() == 1 ? ",)" : ")");
    };
    const std::string esperada = especie == Especie::byte ? "(altura, largura, 3)"
                                 : colunas == 3           ? "(n, 3)"
                                                          : "(n, " + std::to_string(colunas) + ")";
    if (static_cast<std::size_t>(arranjo.ndim()) != dimensoes ||
        static_cast<std::size_t>(arranjo.shape(static_cast<py::ssize_t>(dimensoes) - 1)) !=
            colunas) {
        throw py::value_error(nome + " must have the shape " + esperada + ", not " + forma());
    }
    const char tipo = arranjo.dtype().kind();
    const py::ssize_t tamanho = arranjo.dtype().itemsize();
    const bool nativo = arranjo.dtype().attr("isnative").cast<bool>();
    const bool contiguo = (arranjo.flags() & py::array::c_style) != 0;
    gouraud::Arranjo saida;
    bool direto = false;
    switch (especie) {
        case Especie::real:
            if (tipo != 'f' && tipo != 'i' && tipo != 'u') {
                throw py::value_error(nome + " must hold numbers, not " +
                                      std::string(py::str(arranjo.dtype())));
            }
            direto = tipo == 'f' && (tamanho == 4 || tamanho == 8);
            saida.tipo = tamanho == 4 ? gouraud::Arranjo::Tipo::float32
                                      : gouraud::Arranjo::Tipo::float64;
            break;
        case Especie::inteiro:
            if (tipo != 'i' && tipo != 'u') {
                throw py::value_error(nome + " must hold integers, not " +
                                      std::string(py::str(arranjo.dtype())));
            }
            direto = (tipo == 'i' && (tamanho == 4 || tamanho == 8)) ||
                     (tipo == 'u' && tamanho == 4);
            saida.tipo = tipo == 'u'    ? gouraud::Arranjo::Tipo::uint32
                         : tamanho == 4 ? gouraud::Arranjo::Tipo::int32
                                        : gouraud::Arranjo::Tipo::int64;
            if (!direto && tipo == 'u' && tamanho == 8 && arranjo.size() > 0 &&
                np.attr("max")(arranjo).cast<std::uint64_t>() >
                    static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                throw py::value_error(nome + " holds an index beyond any vertex");
            }
            break;
        case Especie::byte:
            if (tipo != 'u' || tamanho != 1) {
                throw py::value_error(nome + " must hold uint8 values, not " +
                                      std::string(py::str(arranjo.dtype())));
            }
            direto = true;
            saida.tipo = gouraud::Arranjo::Tipo::uint8;
            break;
    }
    if (!direto || !nativo || !contiguo) {
        const char* alvo = especie == Especie::real      ? (direto ? nullptr : "float64")
                           : especie == Especie::inteiro ? (direto ? nullptr : "int64")
                                                         : "uint8";
        py::object dtype = alvo != nullptr ? np.attr("dtype")(alvo)
                                           : arranjo.dtype().attr("newbyteorder")("=");
        arranjo = np.attr("ascontiguousarray")(arranjo, py::arg("dtype") = dtype);
        if (alvo != nullptr && especie == Especie::real) saida.tipo = gouraud::Arranjo::Tipo::float64;
        if (alvo != nullptr && especie == Especie::inteiro) saida.tipo = gouraud::Arranjo::Tipo::int64;
    }
    mantidos.push_back(arranjo);
    saida.dados = arranjo.data();
    saida.linhas = static_cast<std::size_t>(arranjo.shape(0));
    saida.colunas = colunas;
    if (especie == Especie::byte) {
        *largura = static_cast<std::size_t>(arranjo.shape(1));
        saida.colunas = *largura * 3;
    }
    return saida;
}

// --- The picture --------------------------------------------------------------------------

// The memory of pictures whose Python objects are gone, for the next pictures drawn. A picture's
// colours and buffers are several megabytes (640 x 480 with the four buffers: 8 MiB), which the
// system hands out as fresh pages: drawn into a new picture every time, each page costs a fault
// and a clearing, as much as the frame itself for a small model. Modelo::desenhar reuses the
// memory of the picture it is given, so a picture given back here is drawn into again with no
// page touched for the first time. A picture is given back only when nothing refers to it (its
// arrays hold it alive), so no array ever sees its values change. Any model's pictures go here,
// which serves a loop over many models as well as many pictures of one; at most kLivres of them
// are kept, holding kBytes in all, the rest freed as before.
class Reserva {
public:
    static Reserva& unica() {
        // Never destroyed: pictures may be let go while the interpreter ends.
        static Reserva* reserva = new Reserva;
        return *reserva;
    }

    gouraud::Imagem tomar() {
        const std::lock_guard<std::mutex> guarda(trava);
        if (livres.empty()) {
            return {};
        }
        gouraud::Imagem imagem = std::move(livres.back());
        livres.pop_back();
        bytes -= tamanho(imagem);
        return imagem;
    }

    void devolver(gouraud::Imagem& imagem) noexcept {
        const std::size_t seu = tamanho(imagem);
        if (seu == 0) {
            return;
        }
        const std::lock_guard<std::mutex> guarda(trava);
        if (livres.size() >= kLivres || seu > kBytes - bytes) {
            return;
        }
        // The vector of pictures has room for kLivres from the start: nothing is allocated here.
        livres.push_back(std::move(imagem));
        bytes += seu;
    }

private:
    static constexpr std::size_t kLivres = 2;
    static constexpr std::size_t kBytes = std::size_t{64} << 20;

    Reserva() { livres.reserve(kLivres); }

    static std::size_t tamanho(const gouraud::Imagem& i) {
        return i.rgb.capacity() + i.alfa.capacity() +
               sizeof(float) * (i.profundidade.capacity() + i.normais.capacity()) +
               sizeof(std::uint32_t) * (i.triangulo.capacity() + i.parte.capacity());
    }

    std::mutex trava;
    std::vector<gouraud::Imagem> livres;
    std::size_t bytes = 0;
};

// A picture for Python; its memory goes back to the Reserva when the object goes.
struct ImagemPy {
    ImagemPy() = default;
    ImagemPy(ImagemPy&&) noexcept = default;
    ImagemPy& operator=(ImagemPy&&) noexcept = default;
    ImagemPy(const ImagemPy&) = delete;
    ImagemPy& operator=(const ImagemPy&) = delete;
    ~ImagemPy() { Reserva::unica().devolver(imagem); }

    gouraud::Imagem imagem;
};

// A read-only numpy view of `dados`, kept alive by the picture `dono`.
template <typename T>
py::object vista(const std::vector<T>& dados, std::vector<py::ssize_t> forma, py::handle dono) {
    if (dados.empty()) {
        return py::none();
    }
    py::array_t<T> arranjo(std::move(forma), dados.data(), dono);
    arranjo.attr("setflags")(py::arg("write") = false);
    return py::object(std::move(arranjo));
}

template <std::size_t N>
py::array_t<double> matriz(const std::array<double, N>& valores, py::ssize_t lado) {
    py::array_t<double> arranjo({lado, lado});
    std::copy(valores.begin(), valores.end(), arranjo.mutable_data());
    return arranjo;
}

// --- The model ----------------------------------------------------------------------------

// The model, and whether a thread is drawing it. The library refuses a second thread itself;
// the module refuses it before that as well, so that a picture in Python never depends on it.
struct ModeloPy {
    explicit ModeloPy(gouraud::Modelo m) : modelo(std::move(m)) {}
    ModeloPy(ModeloPy&& outro) noexcept : modelo(std::move(outro.modelo)) {}

    gouraud::Modelo modelo;
    std::atomic<bool> desenhando{false};
};

// Marks the model drawn for the life of the object, or refuses as the library does.
class Desenho {
public:
    explicit Desenho(ModeloPy& m) : modelo(m) {
        if (modelo.desenhando.exchange(true, std::memory_order_acquire)) {
            throw std::runtime_error("the model is being drawn by another thread");
        }
    }
    ~Desenho() { modelo.desenhando.store(false, std::memory_order_release); }
    Desenho(const Desenho&) = delete;
    Desenho& operator=(const Desenho&) = delete;

private:
    ModeloPy& modelo;
};

[[noreturn]] void recusarDesenho(const std::string& motivo) {
    // Two threads drawing one model is a misuse of the object, not a bad value.
    if (motivo.find("another thread") != std::string::npos) {
        throw std::runtime_error(motivo);
    }
    throw py::value_error(motivo);
}

// A mesh from numpy arrays (Modelo(...)).
ModeloPy modeloDeArranjos(py::handle posicoes, py::handle triangulos, py::handle cores,
                           py::handle normais, py::handle uv, py::handle textura, py::handle iluminacao,
                           int threads) {
    gouraud::Abertura abertura;
    abertura.threads = threads;
    conferirAbertura(abertura);
    std::vector<py::object> mantidos;
    gouraud::Arranjos arranjos;
    arranjos.posicoes = arranjoDe(posicoes, "posicoes", Especie::real, 3, mantidos);
    arranjos.triangulos =
        arranjoDe(triangulos, "triangulos", Especie::inteiro, 3, mantidos);
    if (!cores.is_none()) {
        arranjos.cores = arranjoDe(cores, "cores", Especie::real, 3, mantidos);
    }
    if (!normais.is_none()) {
        arranjos.normais = arranjoDe(normais, "normais", Especie::real, 3, mantidos);
    }
    if (!uv.is_none()) {
        arranjos.uv = arranjoDe(uv, "uv", Especie::real, 2, mantidos);
    }
    if (!textura.is_none()) {
        arranjos.textura = arranjoDe(textura, "textura", Especie::byte, 3, mantidos,
                                     &arranjos.larguraTextura);
    }
    const std::string luz =
        iluminacao.is_none() ? "" : caminhoDe(iluminacao);
    std::optional<gouraud::Resultado<gouraud::Modelo>> feito;
    {
        py::gil_scoped_release livre;
        feito.emplace(gouraud::Modelo::deArranjos(arranjos, luz, abertura));
    }
    if (!*feito) {
        throw py::value_error(feito->getErro());
    }
    return ModeloPy(std::move(**feito));
}

}  // namespace

}  // namespace gouraud::detail

using namespace gouraud::detail;

PYBIND11_MODULE(_gouraud, m) {
    m.doc() = "The renderer's library for Python: gouraud.Modelo and gouraud.Imagem.";

    py::class_<ImagemPy>(m, "Imagem", R"(A picture drawn by Modelo.desenhar.

Its arrays are read-only views of the picture's own memory (copy them to change them):
  rgb                (altura, largura, 3) uint8, rows from the top: the PNG's pixels
  alfa               (altura, largura) uint8 for transparente=True, else None
  profundidade       (altura, largura) float32, camera-space depth, inf where nothing is drawn
  normais            (altura, largura, 3) float32, the unit normal in the model's coordinates
  triangulo, parte   (altura, largura) uint32, the winner's triangle and mesh, NENHUM where none
  K                  (3, 3) float64, the intrinsic matrix in pixels (OpenCV's convention)
  mundo_para_camera  (4, 4) float64, from the model's coordinates to the camera's
A buffer is None unless desenhar(buffers=[...]) asked for it.)")
        .def_property_readonly("largura", [](const ImagemPy& i) { return i.imagem.largura; })
        .def_property_readonly("altura", [](const ImagemPy& i) { return i.imagem.altura; })
        .def_property_readonly(
            "rgb",
            [](py::object self) {
                const auto& i = self.cast<const ImagemPy&>().imagem;
                return vista(i.rgb, {i.altura, i.largura, 3}, self);
            },
            "(altura, largura, 3) uint8: red, green and blue, rows from the top.")
        .def_property_readonly(
            "alfa",
            [](py::object self) {
                const auto& i = self.cast<const ImagemPy&>().imagem;
                return vista(i.alfa, {i.altura, i.largura}, self);
            },
            "(altura, largura) uint8 for a transparent background: 0 where nothing is drawn, "
            "255 where something is; None for an opaque picture.")
        .def_property_readonly(
            "profundidade",
            [](py::object self) {
                const auto& i = self.cast<const ImagemPy&>().imagem;
                return vista(i.profundidade, {i.altura, i.largura}, self);
            },
            "(altura, largura) float32: the camera-space depth of the pixel's winner, inf where "
            "nothing is drawn; None unless asked for.")
        .def_property_readonly(
            "normais",
            [](py::object self) {
                const auto& i = self.cast<const ImagemPy&>().imagem;
                return vista(i.normais, {i.altura, i.largura, 3}, self);
            },
            "(altura, largura, 3) float32: the unit normal the phong mode lights the pixel with, "
            "in the model's coordinates, zeros where none; None unless asked for.")
        .def_property_readonly(
            "triangulo",
            [](py::object self) {
                const auto& i = self.cast<const ImagemPy&>().imagem;
                return vista(i.triangulo, {i.altura, i.largura}, self);
            },
            "(altura, largura) uint32: the winner's triangle as numbered in the file, NENHUM "
            "where none; None unless asked for.")
        .def_property_readonly(
            "parte",
            [](py::object self) {
                const auto& i = self.cast<const ImagemPy&>().imagem;
                return vista(i.parte, {i.altura, i.largura}, self);
            },
            "(altura, largura) uint32: the winner's mesh of the file, NENHUM where none; None "
            "unless asked for.")
        .def_property_readonly(
            "K", [](const ImagemPy& i) { return matriz(i.imagem.K, 3); },
            "(3, 3) float64: the camera's intrinsic matrix in pixels, OpenCV's convention (x "
            "right, y down, z forward, pixel centres at integer + 0.5).")
        .def_property_readonly(
            "mundo_para_camera", [](const ImagemPy& i) { return matriz(i.imagem.mundoParaCamera, 4); },
            "(4, 4) float64: the model's coordinates to the camera's; a point p lands at "
            "(u/w, v/w), (u, v, w) = K (R p + t).")
        .def(
            "gravarPng",
            [](const ImagemPy& i, py::handle caminho) {
                const std::string destino = caminhoDe(caminho);
                std::string erro;
                {
                    py::gil_scoped_release livre;
                    erro = i.imagem.gravarPng(destino);
                }
                if (!erro.empty()) {
                    PyErr_SetString(PyExc_OSError, erro.c_str());
                    throw py::error_already_set();
                }
            },
            py::arg("caminho"),
            "Writes the picture as an RGB PNG file (RGBA with an alpha), through a temporary "
            "file beside it; raises OSError with the reason when it cannot.")
        .def("__repr__", [](const ImagemPy& i) {
            return "<gouraud.Imagem " + std::to_string(i.imagem.largura) + "x" +
                   std::to_string(i.imagem.altura) + (i.imagem.alfa.empty() ? "" : " com alfa") +
                   ">";
        });

    py::class_<ModeloPy>(m, "Modelo", R"(A scene file, a mesh file or a mesh from arrays, read and ready to draw.

Modelo.abrir(caminho, ...) reads a file. Modelo(posicoes, triangulos, cores=None, normais=None,
uv=None, textura=None, iluminacao="") makes a mesh from numpy arrays: posicoes (n, 3)
float32/float64, triangulos (m, 3) int32/int64/uint32 indices into posicoes; optional
per-vertex cores (n, 3) in 0..1, normais (n, 3), uv (n, 2) with textura (altura, largura, 3)
uint8, its top row first. C-contiguous arrays of those types are read where they are, others
are converted once; the library copies what it keeps, so the arrays may change afterwards. It is
drawn exactly as the same data read from a PLY file. A wrong shape or type raises ValueError,
as do an index out of range, a position that is not finite and a colour outside 0..1, with the
reason. modelo.desenhar(**opcoes) draws a picture.)")
        .def(py::init(&modeloDeArranjos), py::arg("posicoes"), py::arg("triangulos"),
             py::arg("cores") = py::none(), py::arg("normais") = py::none(),
             py::arg("uv") = py::none(), py::arg("textura") = py::none(),
             py::arg("iluminacao") = "", py::kw_only(), py::arg("threads") = 0)
        .def_static(
            "abrir",
            [](py::handle caminho, py::handle iluminacao, const py::kwargs& palavras) {
                gouraud::Abertura abertura;
                abertura.importador = importadorPadrao();
                const auto& leitores = leitoresAbertura();
                for (auto [chave, valor] : palavras) {
                    const std::string nome = py::str(chave);
                    const auto leitor = leitores.find(nome);
                    if (leitor == leitores.end()) {
                        throw py::type_error("abrir() got an unexpected keyword argument '" +
                                             nome + "'");
                    }
                    leitor->second(valor, abertura);
                }
                conferirAbertura(abertura);
                const std::string arquivo = caminhoDe(caminho);
                const std::string luz = iluminacao.is_none() ? "" : caminhoDe(iluminacao);
                std::optional<gouraud::Resultado<gouraud::Modelo>> aberto;
                {
                    py::gil_scoped_release livre;
                    aberto.emplace(gouraud::Modelo::abrir(arquivo, luz, abertura));
                }
                if (!*aberto) {
                    PyErr_SetString(PyExc_OSError, aberto->getErro().c_str());
                    throw py::error_already_set();
                }
                return ModeloPy(std::move(**aberto));
            },
            py::arg("caminho"), py::arg("iluminacao") = "",
            R"(Modelo.abrir(caminho, iluminacao="", *, limiteMemoria=2048, limiteTempo=30, isolamento=True, threads=0)

Reads a scene file (.txt or no extension) or a mesh file (OBJ, PLY, STL, glTF and the other
formats the viewer opens), lit by the lighting file `iluminacao` ("" for the default headlight).
Files the import library reads are read in a confined child process within limiteMemoria MiB
and limiteTempo seconds; isolamento=False reads them in this process (for debugging). threads
(1 to 256; 0, the default, one per core) draw each picture: one each suits models drawn at once
in several processes or threads. The pictures are the same bytes whatever the count.
Raises OSError with the viewer's one-line reason when the file cannot be drawn, ValueError for
a limit out of range. The GIL is released while reading.)")
        .def(
            "desenhar",
            [](ModeloPy& self, const py::kwargs& palavras) {
                const gouraud::Opcoes opcoes = opcoesDe(palavras);
                ImagemPy imagem;
                imagem.imagem = Reserva::unica().tomar();
                std::string erro;
                {
                    const Desenho desenho(self);
                    py::gil_scoped_release livre;
                    erro = self.modelo.desenhar(opcoes, imagem.imagem);
                }
                if (!erro.empty()) {
                    recusarDesenho(erro);
                }
                return imagem;
            },
            R"(desenhar(**opcoes) -> Imagem

Draws a picture; the keywords are the library's options, the values the command line's words
where it has words:
  vista="frente"|"direita"|"topo"|"iso" (None: a scene file's own camera, a mesh's front view)
  cima="+y"|"-y"|"+z"|"-z"|"+x"|"-x"
  camera=(foco, n, v) or {"foco":..., "n":..., "v":...}: a camera of your own, framed
  olhar=(olho, alvo, cima, campo) or a dict: a pinhole camera, campo the vertical field of view
  largura=640, altura=480 (1 to 4096)
  modo="plano"|"gouraud"|"phong"
  arestas, normais, cores (True/False)
  ponto=3 (1 to 16), formaPonto="quadrado"|"disco"
  bits=16|24, aa=1..4
  edl=False, raioEdl=1 (1 to 8), forcaEdl=2.0 (0 to 100)
  fundo=(r, g, b) each 0..1 or "#rrggbb", transparente=False
  buffers=["profundidade", "normais", "triangulo", "parte"]: any of them
The pixels are those of `visualizador ARQUIVO --imagem` with the same options. Raises TypeError
for an unknown keyword or a value of the wrong type, ValueError with the library's reason for a
bad value, RuntimeError when another thread is drawing this model: a Modelo draws one picture at
a time; draw different models, or one model per thread, in parallel. The GIL is released while
drawing.)")
        .def_property_readonly(
            "caixa",
            [](const ModeloPy& self) {
                const gouraud::Modelo::Caixa caixa = self.modelo.caixa();
                return py::make_tuple(
                    py::make_tuple(caixa.menor[0], caixa.menor[1], caixa.menor[2]),
                    py::make_tuple(caixa.maior[0], caixa.maior[1], caixa.maior[2]));
            },
            "((x, y, z) least, (x, y, z) greatest): the axis-aligned box of every point of the "
            "model (vertices, loose points, the ends of lines), the box the views frame.");

    m.def("extensoes", &gouraud::Modelo::extensoes,
          "The file extensions Modelo.abrir reads, lower case without the leading dot, sorted: "
          "\"txt\" for scene files and every mesh format (\"fbx\", \"gltf\", \"ply\", ...).");

    // The table of options as --help shows it, for the programs in Python that take the
    // viewer's options (gouraud.lote): (option, value's name, default, help) for each.
    m.def("_ajudasTabela", [] {
        std::vector<std::tuple<std::string, std::string, std::string, std::string>> lista;
        for (const Opcao& opcao : tabelaOpcoes()) {
            lista.emplace_back(std::string(opcao.nome), std::string(opcao.argumento),
                               std::string(opcao.padrao), std::string(opcao.ajuda));
        }
        return lista;
    });

    // The pointer the library would be handed for `valor`, for the tests of zero copies.
    m.def("_enderecoArranjo", [](py::handle valor, const std::string& especie) {
        std::vector<py::object> mantidos;
        const Especie e = especie == "inteiro" ? Especie::inteiro : Especie::real;
        return reinterpret_cast<std::uintptr_t>(arranjoDe(valor, especie, e, 3, mantidos).dados);
    });

    m.def(
        "_definirImportador", [](std::string caminho) { importadorPadrao() = std::move(caminho); },
        "Where Modelo.abrir finds the child program gouraud-importador (\"\": the library looks).");

    // The keywords the module takes, and the table of options' fields, for the test that holds
    // them together.
    m.def("_palavrasDesenhar", [] {
        std::vector<std::string> nomes;
        for (const auto& [nome, leitor] : leitoresDesenho()) nomes.push_back(nome);
        return nomes;
    });
    m.def("_palavrasAbrir", [] {
        std::vector<std::string> nomes;
        for (const auto& [nome, leitor] : leitoresAbertura()) nomes.push_back(nome);
        return nomes;
    });
    m.def("_camposTabela", [] {
        // (option, campo, of the picture or of opening) for every campo of the table.
        std::vector<std::tuple<std::string, std::string, std::string>> lista;
        for (const Opcao& opcao : tabelaOpcoes()) {
            std::string_view resto = opcao.campo;
            while (!resto.empty()) {
                const std::size_t virgula = resto.find(',');
                std::string_view campo = resto.substr(0, virgula);
                while (!campo.empty() && campo.front() == ' ') campo.remove_prefix(1);
                while (!campo.empty() && campo.back() == ' ') campo.remove_suffix(1);
                lista.emplace_back(std::string(opcao.nome), std::string(campo),
                                   opcao.daAbertura != nullptr ? "abrir" : "desenhar");
                resto = virgula == std::string_view::npos ? std::string_view{}
                                                          : resto.substr(virgula + 1);
            }
        }
        return lista;
    });

    m.attr("NENHUM") = py::int_(gouraud::Imagem::kNenhum);
}
