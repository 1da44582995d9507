#include "CenaReferencia.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "Operadores.h"

namespace gouraud::detail {

namespace {

// `stream >> valor`, leaving 0 when it fails; once the stream has failed every later read
// fails too.
template <typename T>
T ler(std::istream& entrada) {
    T valor{};
    if (!(entrada >> valor)) {
        valor = T{};
    }
    return valor;
}

bool mesmoValor(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) ||
           std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

template <typename T>
bool mesmasCoordenadas(const T& a, const T& b) {
    return mesmoValor(a.x, b.x) && mesmoValor(a.y, b.y) && mesmoValor(a.z, b.z);
}

template <typename T>
std::string descrever(const char* nome, std::size_t i, const T& a, const T& b) {
    std::ostringstream texto;
    texto.precision(17);
    texto << nome << "[" << i << "]: (" << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.x
          << ", " << b.y << ", " << b.z << ")";
    return texto.str();
}

// The first entry where the list differs from the reference, or "" when none does.
template <typename T>
std::string diferencaNaLista(const T* lista, const std::vector<T>& referencia, const char* nome) {
    if (lista == nullptr) {
        return std::string(nome) + " is null";
    }
    for (std::size_t i = 0; i < referencia.size(); ++i) {
        if (!mesmasCoordenadas(lista[i], referencia[i])) {
            return descrever(nome, i, lista[i], referencia[i]);
        }
    }
    return "";
}

}  // namespace

CenaReferencia carregarReferencia(std::istream& entrada) {
    CenaReferencia cena;
    if (!entrada.good()) {
        return cena;
    }
    const std::string texto{std::istreambuf_iterator<char>(entrada),
                            std::istreambuf_iterator<char>()};
    std::istringstream in(texto);
    const int quantPontos = ler<int>(in);
    const int quantTriangulos = ler<int>(in);
    if (in.fail() || quantPontos < 0 || quantTriangulos < 0) {
        return cena;
    }
    // Asked of the buffer: tellg reports -1 once the second count ended the text.
    const long long restante = static_cast<long long>(texto.size()) -
                               in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
    const long long numeros = 3LL * quantPontos + 3LL * quantTriangulos;
    if (numeros > 0 && 2 * numeros - 1 > restante) {
        return cena;
    }
    for (int i = 0; i < quantPontos; ++i) {
        const double x = ler<double>(in);
        const double y = ler<double>(in);
        const double z = ler<double>(in);
        cena.pontos.emplace_back(x, y, z);
    }
    for (int i = 0; i < quantTriangulos; ++i) {
        const int p1 = ler<int>(in);
        const int p2 = ler<int>(in);
        const int p3 = ler<int>(in);
        for (const int p : {p1, p2, p3}) {
            if (p < 0 || p >= quantPontos) {
                return CenaReferencia{};
            }
        }
        cena.triangulos.emplace_back(p1, p2, p3);
    }
    double c[9];
    for (double& valor : c) {
        valor = ler<double>(in);
    }
    cena.valida = !in.fail();
    for (int i = 0; i < 3; ++i) {
        ler<double>(in);
    }

    Operadores o;
    Vetor n(c[0], c[1], c[2]);
    Vetor v(c[3], c[4], c[5]);
    std::unique_ptr<Vetor> v1(o.ortogonalizacao(&v, &n));
    std::unique_ptr<Vetor> v2(o.normalizacao(v1.get()));
    std::unique_ptr<Vetor> n2(o.normalizacao(&n));
    std::unique_ptr<Vetor> u(o.produtoVetorial(n2.get(), v2.get()));
    cena.n = *n2;
    cena.v = *v2;
    cena.u = *u;
    cena.foco = Ponto(c[6], c[7], c[8]);
    cena.normais.resize(cena.triangulos.size());
    cena.novosPontos = cena.pontos;
    cena.camera.resize(cena.pontos.size());
    cena.temCena = true;
    return cena;
}

void mudancaCoordenadasCameraReferencia(CenaReferencia& cena) {
    Operadores o;
    for (std::size_t i = 0; i < cena.pontos.size(); ++i) {
        const Ponto p = cena.pontos[i];
        Vetor d(p.x - cena.foco.x, p.y - cena.foco.y, p.z - cena.foco.z);
        std::unique_ptr<Vetor> c(o.multiplicacaoMatrizVetor(&cena.u, &cena.v, &cena.n, &d));
        cena.camera[i] = *c;
    }
}

void calcularNormalTrianguloReferencia(CenaReferencia& cena) {
    Operadores o;
    for (std::size_t i = 0; i < cena.triangulos.size(); ++i) {
        const Triangulo t = cena.triangulos[i];
        const Ponto& p1 = cena.pontos[t.indiceP1];
        const Ponto& p2 = cena.pontos[t.indiceP2];
        const Ponto& p3 = cena.pontos[t.indiceP3];
        Vetor aresta1(p2.x - p1.x, p2.y - p1.y, p2.z - p1.z);
        Vetor aresta2(p3.x - p1.x, p3.y - p1.y, p3.z - p1.z);
        std::unique_ptr<Vetor> unitaria1(o.normalizacao(&aresta1));
        std::unique_ptr<Vetor> unitaria2(o.normalizacao(&aresta2));
        std::unique_ptr<Vetor> normal(o.produtoVetorial(unitaria2.get(), unitaria1.get()));
        cena.normais[i] = *normal;
    }
}

void calcularNovoPontoReferencia(CenaReferencia& cena) {
    for (std::size_t i = 0; i < cena.triangulos.size(); ++i) {
        const Triangulo t = cena.triangulos[i];
        const Vetor n = cena.normais[i];
        for (const int indice : {t.indiceP1, t.indiceP2, t.indiceP3}) {
            const Ponto p = cena.pontos[indice];
            auto novo = std::make_unique<Ponto>(p.x + n.x, p.y + n.y, p.z + n.z);
            cena.novosPontos[indice] = *novo;
        }
    }
}

void executarEstagiosReferencia(CenaReferencia& cena) {
    mudancaCoordenadasCameraReferencia(cena);
    calcularNormalTrianguloReferencia(cena);
    calcularNovoPontoReferencia(cena);
}

std::string primeiraDiferenca(const Gouraud& cena, const CenaReferencia& referencia) {
    if (cena.cenaValida() != referencia.valida) {
        return "cenaValida differs";
    }
    if (cena.getQuantPontos() != static_cast<int>(referencia.pontos.size()) ||
        cena.getQuantTriangulos() != static_cast<int>(referencia.triangulos.size())) {
        return "counts differ";
    }
    if (!referencia.temCena) {
        const bool tudoNulo = !cena.getListaPonto() && !cena.getListaTriangulo() &&
                              !cena.getListaNormalTriangulo() && !cena.getListaNovoPonto() &&
                              !cena.getListaPontoCamera() && !cena.getVetorN() &&
                              !cena.getVetorV() && !cena.getVetorU() && !cena.getFoco();
        return tudoNulo ? "" : "a scene that is not loaded exposes a list or camera";
    }
    if (!cena.getVetorN() || !cena.getVetorV() || !cena.getVetorU() || !cena.getFoco()) {
        return "camera is null";
    }
    const std::pair<const Vetor*, const Vetor*> eixos[] = {{cena.getVetorN(), &referencia.n},
                                                           {cena.getVetorV(), &referencia.v},
                                                           {cena.getVetorU(), &referencia.u}};
    for (const auto& [eixo, esperado] : eixos) {
        if (!mesmasCoordenadas(*eixo, *esperado)) {
            return descrever("axis", 0, *eixo, *esperado);
        }
    }
    if (!mesmasCoordenadas(*cena.getFoco(), referencia.foco)) {
        return descrever("foco", 0, *cena.getFoco(), referencia.foco);
    }
    for (std::string diferenca :
         {diferencaNaLista(cena.getListaPonto(), referencia.pontos, "listaPonto"),
          diferencaNaLista(cena.getListaNormalTriangulo(), referencia.normais,
                           "listaNormalTriangulo"),
          diferencaNaLista(cena.getListaNovoPonto(), referencia.novosPontos, "listaNovoPonto"),
          diferencaNaLista(cena.getListaPontoCamera(), referencia.camera, "listaPontoCamera")}) {
        if (!diferenca.empty()) {
            return diferenca;
        }
    }
    const Triangulo* triangulos = cena.getListaTriangulo();
    if (triangulos == nullptr) {
        return "listaTriangulo is null";
    }
    for (std::size_t i = 0; i < referencia.triangulos.size(); ++i) {
        const Triangulo& a = triangulos[i];
        const Triangulo& b = referencia.triangulos[i];
        if (a.indiceP1 != b.indiceP1 || a.indiceP2 != b.indiceP2 || a.indiceP3 != b.indiceP3) {
            return "listaTriangulo[" + std::to_string(i) + "] differs";
        }
    }
    return "";
}

}  // namespace gouraud::detail
