#ifndef GOURAUD_FAIXA_VISIVEL_H
#define GOURAUD_FAIXA_VISIVEL_H

#include <array>
#include <cstdint>
#include <vector>

#include "Classificacao.h"
#include "Recorte.h"
#include "VerticeTela.h"

namespace gouraud::detail {

// What a band of rows shows before it is shaded: per pixel, the triangle that won the depth test
// there (the greatest 1/cn; among equals the lowest number in the file), with its
// screen-space weights b1 and b2 of the second and third corners; its 1/cn is the frame's depth.
// A winner is a number: 0 or more for entry n of the band's list (a whole triangle, its corners
// points of the vertex stage), kNenhum where nothing was drawn, and kPrimeiraPeca - p for piece
// p of the clipped triangles, kept here with their corners and the modes' attributes.
// Each thread draws its bands in one object of its own, reused band after band; the pieces of a
// band are kept in a list of that band's own, so that drawing a frame again allocates nothing
// whichever thread draws which band.
class FaixaVisivel {
public:
    static constexpr std::int32_t kNenhum = -1;
    static constexpr std::int32_t kPrimeiraPeca = -2;

    // A triangle of the fan (0, k, k + 1) of a clipped triangle's polygon, numero = k - 1.
    struct Peca {
        std::int32_t triangulo;
        std::int32_t numero;
        std::array<Recorte::Canto, 3> cantos;
    };

    // Makes room for bands of up to `pixels` pixels; it allocates only when that is more than
    // ever before.
    void reservar(std::size_t pixels);
    // Starts band rows [linha0, linha1) of a frame `largura` wide (each 1 to
    // Quadro::kMaiorLado), room for it reserved, whose list starts at `entradas` and whose
    // pieces go to `pecas` (emptied here): no winner anywhere, no piece. `posicoes`, when not
    // null, gives beside each entry its triangle's position in the vertex stage.
    void iniciar(int linha0, int linha1, int largura, const Classificacao::Entrada* entradas,
                 std::vector<Peca>& pecas, const std::int32_t* posicoes = nullptr);
    // Keeps a piece and gives its winner number.
    std::int32_t acrescentarPeca(const Peca& peca);

    int getLinha0() const;
    int getLinha1() const;
    int getLargura() const;
    // Row j's winners and weights, getLargura() of each (linha0 <= j < linha1).
    std::int32_t* linhaVencedores(int j);
    const std::int32_t* linhaVencedores(int j) const;
    double* linhaPesos1(int j);
    const double* linhaPesos1(int j) const;
    double* linhaPesos2(int j);
    const double* linhaPesos2(int j) const;

    // Whether a winner number is a piece.
    static bool ehPeca(std::int32_t vencedor);
    // The band's list entry of a winner 0 or more, and the piece of a piece's number.
    const Classificacao::Entrada& getEntrada(std::int32_t vencedor) const;
    const Peca& getPeca(std::int32_t vencedor) const;
    // The file's number of the triangle of a winner other than kNenhum.
    std::int32_t numeroNoArquivo(std::int32_t vencedor) const;
    // The entries' positions in the vertex stage, as iniciar was given them (null for none).
    const std::int32_t* getPosicoes() const;
    // Whether `novo`, at the same 1/cn as the winner `atual` of pixel (i, j) (kNenhum when
    // none), takes the pixel: when novo's triangle comes before the pixel's winner in the file,
    // this band's or an earlier pass's (usarAnteriores). The triangles of a band need not be
    // drawn in file order.
    bool ganhaEmpate(std::int32_t novo, std::int32_t atual, int i, int j) const;
    // For a band drawn over an earlier pass of the same frame: per pixel of its rows (row by
    // row, getLargura() each), the file's number of that pass's winner, -1 where none. Null
    // (as iniciar leaves it) when there was none.
    void usarAnteriores(const std::int32_t* anteriores);

private:
    std::size_t indice(int j) const;

    int linha0 = 0;
    int linha1 = 0;
    int largura = 0;
    const Classificacao::Entrada* entradas = nullptr;
    const std::int32_t* posicoes = nullptr;
    std::vector<std::int32_t> vencedores;
    std::vector<double> pesos1;
    std::vector<double> pesos2;
    std::vector<Peca>* pecas = nullptr;
    const std::int32_t* anteriores = nullptr;
};

}  // namespace gouraud::detail

#endif
