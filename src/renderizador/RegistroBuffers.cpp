#include "RegistroBuffers.h"

#include <array>
#include <cstddef>
#include <limits>

#include "Iluminacao.h"
#include "Recorte.h"

namespace gouraud::detail {

namespace {

// The attributes the phong mode gives a point: its world position, then its normal.
constexpr int kAtributos = 6;
constexpr int kNormal = 3;

// va + (q1 (vb - va) + q2 (vc - va)) s, as the shading interpolates a value.
double interpolar(const double* a, const double* b, const double* c, int k, double q1, double q2,
                  double s) {
    return a[k] + (q1 * (b[k] - a[k]) + q2 * (c[k] - a[k])) * s;
}

// The phong normal from the corners' attributes, as CorPhong::cor interpolates them.
bool normalInterpolada(const double* a, const double* b, const double* c, double q1, double q2,
                       double s, const Ponto& foco, Vetor& saida) {
    const Ponto p(interpolar(a, b, c, 0, q1, q2, s), interpolar(a, b, c, 1, q1, q2, s),
                  interpolar(a, b, c, 2, q1, q2, s));
    const Vetor n(interpolar(a, b, c, kNormal, q1, q2, s),
                  interpolar(a, b, c, kNormal + 1, q1, q2, s),
                  interpolar(a, b, c, kNormal + 2, q1, q2, s));
    return Iluminacao::normalIluminada(p, n, foco, saida);
}

}  // namespace

// The polygon of the last clipped triangle a band's pixels asked for, by its number in the file.
struct RegistroBuffers::Recortado {
    std::int32_t triangulo = -1;
    Recorte::Poligono poligono;
};

RegistroBuffers::RegistroBuffers(const Malha& malha, const EstagioVertices& vertices,
                                 const std::vector<std::uint32_t>& partes)
    : malha(malha), vertices(vertices), partes(partes) {}

void RegistroBuffers::prepararNormais() {
    if (!atributos.empty()) {
        return;
    }
    const auto quant = static_cast<std::size_t>(vertices.getQuantPontos());
    atributos.resize(quant * kAtributos);
    const Ponto* pontos = vertices.getPontos();
    const Vetor* normais = vertices.getNormais();
    for (std::size_t k = 0; k < quant; ++k) {
        double* a = &atributos[k * kAtributos];
        a[0] = pontos[k].x;
        a[1] = pontos[k].y;
        a[2] = pontos[k].z;
        a[kNormal] = normais[k].x;
        a[kNormal + 1] = normais[k].y;
        a[kNormal + 2] = normais[k].z;
    }
}

bool RegistroBuffers::normal(const FaixaVisivel& faixa, std::int32_t vencedor, double b1, double b2,
                             double s, const Camera& camera, const Projecao& projecao, int largura,
                             int altura, Recortado& cache, Vetor& saida) const {
    if (!FaixaVisivel::ehPeca(vencedor)) {
        const Classificacao::Entrada& e = faixa.getEntrada(vencedor);
        const VerticeTela* tela = vertices.getVertices();
        const auto de = [this](std::int32_t ponto) {
            return atributos.data() + static_cast<std::ptrdiff_t>(ponto) * kAtributos;
        };
        return normalInterpolada(de(e.a), de(e.b), de(e.c), b1 * tela[e.b].iz, b2 * tela[e.c].iz, s,
                                 camera.foco, saida);
    }
    // A piece of a clipped triangle: the triangle clipped again with the phong mode's
    // attributes, which gives the same polygon, the corners carrying positions and normals.
    const FaixaVisivel::Peca& peca = faixa.getPeca(vencedor);
    if (cache.triangulo != peca.triangulo) {
        const Triangulo& t = malha.getTriangulos()[peca.triangulo];
        const Ponto* pontos = malha.getPontos();
        const auto atributos = [&](int k) {
            const Ponto& p = pontos[k];
            const Vetor* n = malha.getNormal(k);
            const Vetor zero(0.0, 0.0, 0.0);
            const Vetor& normal = n != nullptr ? *n : zero;
            return std::array<double, kAtributos>{p.x, p.y, p.z, normal.x, normal.y, normal.z};
        };
        const auto a = atributos(t.indiceP1);
        const auto b = atributos(t.indiceP2);
        const auto c = atributos(t.indiceP3);
        cache.poligono = Recorte::recortar(camera, projecao, largura, altura, pontos[t.indiceP1],
                                           pontos[t.indiceP2], pontos[t.indiceP3], a.data(),
                                           b.data(), c.data(), kAtributos);
        cache.triangulo = peca.triangulo;
    }
    const int k = peca.numero + 1;
    if (k + 1 >= cache.poligono.quant) {
        return false;
    }
    const auto& cantos = cache.poligono.cantos;
    const Recorte::Canto& c0 = cantos[0];
    const Recorte::Canto& c1 = cantos[static_cast<std::size_t>(k)];
    const Recorte::Canto& c2 = cantos[static_cast<std::size_t>(k) + 1];
    return normalInterpolada(c0.atributos.data(), c1.atributos.data(), c2.atributos.data(),
                             b1 * c1.z, b2 * c2.z, s, camera.foco, saida);
}

void RegistroBuffers::faixa(const FaixaVisivel& faixa, const Quadro& quadro, const Camera& camera,
                            const Projecao& projecao, bool todos, BuffersQuadro& buffers,
                            const PontosTela* pontos, const std::int32_t* vencedoresPontos) const {
    constexpr float kInfinito = std::numeric_limits<float>::infinity();
    constexpr std::uint32_t kNenhum = BuffersQuadro::kNenhum;
    const int largura = faixa.getLargura();
    constexpr int kAdiante = 4;
    Recortado cache;
    for (int j = faixa.getLinha0(); j < faixa.getLinha1(); ++j) {
        const std::int32_t* vencedores = faixa.linhaVencedores(j);
        const double* pesos1 = faixa.linhaPesos1(j);
        const double* pesos2 = faixa.linhaPesos2(j);
        const double* profundidades = quadro.linhaProfundidade(j);
        float* profundidade = buffers.linhaProfundidade(j);
        float* normais = buffers.linhaNormais(j);
        std::uint32_t* triangulo = buffers.linhaTriangulo(j);
        std::uint32_t* parte = buffers.linhaParte(j);
        for (int i = 0; i < largura; ++i) {
            // The corners of the winner a few pixels ahead are fetched while this one is read,
            // as the shading does.
            if (normais != nullptr && i + kAdiante < largura && vencedores[i + kAdiante] >= 0) {
                const Classificacao::Entrada& proxima = faixa.getEntrada(vencedores[i + kAdiante]);
                for (const std::int32_t ponto : {proxima.a, proxima.b, proxima.c}) {
                    const double* a =
                        atributos.data() + static_cast<std::ptrdiff_t>(ponto) * kAtributos;
                    __builtin_prefetch(a);
                    __builtin_prefetch(a + kAtributos - 1);
                }
            }
            const std::int32_t vencedor = vencedores[i];
            const auto p = static_cast<std::size_t>(i);
            if (vencedor == FaixaVisivel::kNenhum) {
                if (!todos) {
                    continue;
                }
                // Nothing, or a loose point, whose normal PontosTela registers.
                const double iz = profundidades[i];
                if (profundidade != nullptr) {
                    profundidade[p] = iz != 0.0 ? static_cast<float>(1.0 / iz) : kInfinito;
                }
                if (normais != nullptr) {
                    Vetor n(0.0, 0.0, 0.0);
                    if (iz != 0.0 && pontos != nullptr) {
                        const std::int32_t ponto =
                            vencedoresPontos[static_cast<std::size_t>(j) *
                                                 static_cast<std::size_t>(largura) +
                                             p];
                        if (ponto < 0 || !pontos->normalDoPonto(ponto, camera.foco, n)) {
                            n = Vetor(0.0, 0.0, 0.0);
                        }
                    }
                    normais[3 * p] = static_cast<float>(n.x);
                    normais[3 * p + 1] = static_cast<float>(n.y);
                    normais[3 * p + 2] = static_cast<float>(n.z);
                }
                if (triangulo != nullptr) {
                    triangulo[p] = kNenhum;
                }
                if (parte != nullptr) {
                    parte[p] = kNenhum;
                }
                continue;
            }
            const double s = 1.0 / profundidades[i];
            if (profundidade != nullptr) {
                profundidade[p] = static_cast<float>(s);
            }
            const auto numero = static_cast<std::uint32_t>(faixa.numeroNoArquivo(vencedor));
            if (triangulo != nullptr) {
                triangulo[p] = numero;
            }
            if (parte != nullptr) {
                parte[p] = numero < partes.size() ? partes[numero] : 0U;
            }
            if (normais != nullptr) {
                Vetor n(0.0, 0.0, 0.0);
                if (!normal(faixa, vencedor, pesos1[i], pesos2[i], s, camera, projecao,
                            quadro.getLargura(), quadro.getAltura(), cache, n)) {
                    n = Vetor(0.0, 0.0, 0.0);
                }
                normais[3 * p] = static_cast<float>(n.x);
                normais[3 * p + 1] = static_cast<float>(n.y);
                normais[3 * p + 2] = static_cast<float>(n.z);
            }
        }
    }
}

}  // namespace gouraud::detail
