#include "GravadorCena.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string>

#include "Arquivo.h"
#include "Projecao.h"

namespace gouraud::detail {

namespace {

// Bytes gathered before each write.
constexpr std::size_t kTamanhoBloco = std::size_t{1} << 16;
// Room for one line of three numbers, each at most 24 characters long.
constexpr std::size_t kMaiorLinha = 3 * 32;

// Text written into a descriptor a block at a time; remembers the first failed write.
class Saida {
public:
    explicit Saida(int descritor) : descritor(descritor) { bloco.reserve(kTamanhoBloco); }

    // Appends up to three numbers, separated by spaces, and a line break.
    template <typename T>
    void linha(std::initializer_list<T> valores) {
        char texto[kMaiorLinha];
        char* fim = texto;
        for (const T valor : valores) {
            if (fim != texto) {
                *fim++ = ' ';
            }
            // Without a format, to_chars writes the shortest text that reads back the same value.
            fim = std::to_chars(fim, texto + sizeof(texto), valor).ptr;
        }
        *fim++ = '\n';
        bloco.append(texto, fim);
        if (bloco.size() >= kTamanhoBloco) {
            descarregar();
        }
    }

    // Writes what is gathered; "" or the reason the system refused it.
    std::string terminar() {
        descarregar();
        return erro == 0 ? std::string() : std::strerror(erro);
    }

private:
    void descarregar() {
        const char* dados = bloco.data();
        std::size_t restante = bloco.size();
        while (erro == 0 && restante > 0) {
            const ssize_t escritos = ::write(descritor, dados, restante);
            if (escritos < 0) {
                if (errno != EINTR) {
                    erro = errno;
                }
                continue;
            }
            dados += escritos;
            restante -= static_cast<std::size_t>(escritos);
        }
        bloco.clear();
    }

    int descritor;
    std::string bloco;
    int erro = 0;
};

}  // namespace

std::string GravadorCena::gravar(const Gouraud& cena, const std::string& caminho) {
    return Arquivo::gravar(caminho, [&cena](int descritor) {
        Saida saida(descritor);
        const int quantPontos = cena.getQuantPontos();
        const int quantTriangulos = cena.getQuantTriangulos();
        saida.linha({quantPontos, quantTriangulos});
        const Ponto* pontos = cena.getListaPonto();
        for (int i = 0; i < quantPontos; ++i) {
            saida.linha({pontos[i].x, pontos[i].y, pontos[i].z});
        }
        const Triangulo* triangulos = cena.getListaTriangulo();
        for (int i = 0; i < quantTriangulos; ++i) {
            const Triangulo& t = triangulos[i];
            saida.linha({t.indiceP1, t.indiceP2, t.indiceP3});
        }
        const Vetor& n = *cena.getVetorNLido();
        const Vetor& v = *cena.getVetorVLido();
        const Ponto& foco = *cena.getFoco();
        saida.linha({n.x, n.y, n.z});
        saida.linha({v.x, v.y, v.z});
        saida.linha({foco.x, foco.y, foco.z});
        if (Projecao::janelaDaCena(cena)) {
            saida.linha({cena.getDistanciaProjecao(), cena.getMeiaLargura(), cena.getMeiaAltura()});
        } else {
            saida.linha({0, 0, 0});
        }
        return saida.terminar();
    });
}

}  // namespace gouraud::detail
