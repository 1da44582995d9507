#ifndef GOURAUD_SOMBREAMENTO_COM_ARESTAS_H
#define GOURAUD_SOMBREAMENTO_COM_ARESTAS_H

#include <cstdint>
#include <memory>

#include "Camera.h"
#include "EstagioVertices.h"
#include "FaixaVisivel.h"
#include "Malha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Sombreamento.h"

namespace gouraud::detail {

// A shading mode with the mesh's edges over it, hidden lines removed: once the mode has coloured
// a band (sombrear) and the model's lines are drawn over it, every pixel whose winner has one of
// its own edges within 0.75 pixel of the pixel's centre (Arestas) turns black (sobrepor). A whole
// triangle's edges run between its corners' screen positions; a clipped one's between the projected
// ends of their parts in front of the near plane, never along the cut.
class SombreamentoComArestas : public Sombreamento {
public:
    // `modo` (not null) colours the pixels; `malha` and `vertices` (which must outlive this
    // object) give the triangles' corners.
    SombreamentoComArestas(std::unique_ptr<Sombreamento> modo, const Malha& malha,
                           const EstagioVertices& vertices);

    int getQuantAtributos() const override;
    void iniciar(const Camera& camera) override;
    void usarProjecao(const Projecao& projecao) override;
    void prepararPontos(int inicio, int fim, const std::uint8_t* marcas) override;
    const double* getAtributos(int ponto) const override;
    void sombrear(const FaixaVisivel& faixa, Quadro& quadro) const override;
    void sobrepor(const FaixaVisivel& faixa, Quadro& quadro) const override;
    // Passed on to the mode under the edges.
    void usarAvx2(bool permitir) override;

private:
    std::unique_ptr<Sombreamento> modo;
    const Malha& malha;
    const EstagioVertices& vertices;
    Camera camera;
    Projecao projecao;
};

}  // namespace gouraud::detail

#endif
