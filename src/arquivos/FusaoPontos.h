#ifndef GOURAUD_FUSAO_PONTOS_H
#define GOURAUD_FUSAO_PONTOS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Ponto.h"
#include "Triangulo.h"

namespace gouraud::detail {

// The triangles of a mesh file gathered over distinct points. Corners at the same position are
// one point (-0 equals 0), numbered in the order the triangles first use them; a vertex of the
// file that no triangle uses never becomes a point. Positions are the file's single precision
// values, widened exactly to double. Finding a position costs one hash of its coordinates.
// A large first source of indexed vertices is merged on two threads (see usarThreads), with the
// very same result.
class FusaoPontos {
public:
    // Empty; the table of positions is made when first needed and grows as points arrive.
    FusaoPontos();
    // Makes room for about `pontosPrevistos` distinct points and `triangulosPrevistos`
    // triangles, counts the caller has checked against the file's length (guesses: everything
    // grows as needed).
    void reservar(std::size_t pontosPrevistos, std::size_t triangulosPrevistos);

    // Starts a source of `quantVertices` indexed vertices (a mesh of the file); the vertex numbers
    // given to pontoDoVertice and darPonto refer to it until the next source.
    void novaFonte(std::size_t quantVertices);
    // The point already given to vertex `vertice` (< quantVertices) of the current source, or -1.
    int pontoDoVertice(std::size_t vertice) const;
    // At most `quantas` threads (1 or more; 2 from the start, when the machine has two cores)
    // for triangulosIndexados on a source of at least kParaleloDesde triangles that is the
    // first to give points: the positions are found on two threads, each holding half of
    // them by their hash, and numbered in order afterwards.
    void usarThreads(int quantas);
    static constexpr std::size_t kParaleloDesde = std::size_t{1} << 15;
    // Gives vertex `vertice` of the current source the point at (x, y, z), as ponto does.
    int darPonto(std::size_t vertice, float x, float y, float z);

    // The point at (x, y, z): an earlier one at that position, or a new one at the end. -1, with
    // the problem recorded, when a coordinate is not finite or there are more points than an int
    // can count.
    int ponto(float x, float y, float z);
    // The hash of the position (x, y, z), for antecipar and ponto.
    static std::uint64_t espalhamento(float x, float y, float z);
    // Starts fetching the part of the table where a point whose position has the hash `hash`
    // would be, so that asking for it a little later does not wait for memory. Changes nothing.
    void antecipar(std::uint64_t hash) const;
    // The same as ponto(x, y, z), given the hash of (x, y, z).
    int ponto(float x, float y, float z, std::uint64_t hash);
    // Adds the triangle of three points that ponto or darPonto gave.
    void triangulo(int a, int b, int c);
    // Adds `quantTriangulos` triangles of the current source, in order: the corners of triangle
    // t are the vertices numbered by the three 4-byte unsigned numbers at indices + t
    // passoTriangulo (native byte order, each below the source's count: the caller has checked
    // them), vertex v at the floats at x + v passo, y + v passo and z + v passo. Each vertex gets
    // its point once, as darPonto gives it, asked for a few triangles ahead so that the table is
    // fetched in time. False, with the problem recorded, when a point is not finite or there are
    // too many.
    bool triangulosIndexados(const unsigned char* indices, std::size_t passoTriangulo,
                             std::size_t quantTriangulos, const unsigned char* x,
                             const unsigned char* y, const unsigned char* z, std::size_t passo);

    // "1.5 -2 nan": the shortest text of each coordinate, for the messages about a position.
    static std::string texto(float x, float y, float z);

    // The first problem met ("point 4 (a corner of triangle 2) is not finite: nan 1 0"), or "".
    const std::string& getProblema() const;
    // The distinct points, in order of first use.
    std::vector<Ponto>& getPontos();
    // The triangles, in the order they were added.
    std::vector<Triangulo>& getTriangulos();

private:
    // A slot of the table: the bits of the position's coordinates, -0 made 0, and the point's
    // number plus 1 (0 for an empty slot). A probe compares the position where it lands, with no
    // second read of memory elsewhere.
    struct Vaga {
        std::uint32_t x;
        std::uint32_t y;
        std::uint32_t z;
        std::uint32_t numero;
    };
    // The table's memory, in pages as large as the system gives when it is large itself.
    struct Libera {
        void operator()(Vaga* p) const;
    };

    // Open addressing with linear probing, kept at most half full: its slots (a power of two of
    // them, all empty at first) and how many hold a position.
    struct Tabela {
        std::unique_ptr<Vaga[], Libera> vagas;
        std::size_t mascara = 0;
        std::size_t ocupadas = 0;

        Tabela() = default;
        explicit Tabela(std::size_t tamanho);
        std::size_t tamanho() const;
        // The slot that holds the position (cx, cy, cz) of hash `hash`, or the empty one where
        // it would go.
        Vaga& vaga(std::uint32_t cx, std::uint32_t cy, std::uint32_t cz, std::uint64_t hash);
        // Counts a position just written into an empty slot, and doubles the slots when that
        // makes the table more than half full.
        void ocupar();
        // Makes the table `novoTamanho` slots and places every position again.
        void refazer(std::size_t novoTamanho);
    };

    // The table of every point so far, built when first needed (and again after a merge on two
    // threads, which leaves it unbuilt).
    void garantirTabela();
    // Vertex v's point in the merge on two threads, when the map does not give it yet; -1, with
    // the problem recorded, when the vertex's position is not finite or there are too many.
    int numerarVertice(std::size_t v, std::int32_t marca, float x, float y, float z);
    bool triangulosEmParalelo(const unsigned char* indices, std::size_t passoTriangulo,
                              std::size_t quantTriangulos, const unsigned char* x,
                              const unsigned char* y, const unsigned char* z, std::size_t passo);
    void naoFinito(float x, float y, float z);
    void demais();

    std::vector<Ponto> pontos;
    std::vector<Triangulo> triangulos;
    Tabela tabela;
    // The size the next table is built at, as reservar asked.
    std::size_t tamanhoPedido;
    // Point of each vertex of the current source, -1 until given (and for the merge on two
    // threads, meanwhile, the marks of the vertices whose position an earlier one has).
    std::vector<std::int32_t> mapa;
    int threads;
    std::string problema;
};

}  // namespace gouraud::detail

#endif
