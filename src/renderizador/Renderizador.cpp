#include "Renderizador.h"

#include <algorithm>
#include <utility>

#include "OrdemEspacial.h"
#include "Recorte.h"
#include "SombreamentoComArestas.h"
#include "SombreamentoGouraud.h"
#include "SombreamentoGouraudTextura.h"
#include "SombreamentoPhong.h"
#include "SombreamentoPlano.h"

namespace gouraud::detail {

namespace {

// A band's loose points and lines, drawn in their places among the rasteriser's passes.
class ExtrasFaixa : public Rasterizador::Extras {
public:
    ExtrasFaixa(PontosTela* pontos, const LinhasTela* linhas) : pontos(pontos), linhas(linhas) {}

    void aposVisibilidade(FaixaVisivel& visivel, Quadro& quadro) const override {
        if (pontos != nullptr) {
            pontos->desenharFaixa(visivel, quadro);
        }
    }

    void aposSombreamento(const FaixaVisivel& visivel, Quadro& quadro) const override {
        if (linhas != nullptr) {
            linhas->desenharFaixa(faixaDe(visivel), visivel.getLinha0(), visivel.getLinha1(),
                                  quadro);
        }
    }

private:
    // The number of the band whose rows `visivel` holds.
    static int faixaDe(const FaixaVisivel& visivel) {
        return visivel.getLinha0() / Classificacao::kLinhasPorFaixa;
    }

    PontosTela* pontos;
    const LinhasTela* linhas;
};

}  // namespace

Renderizador::Renderizador(const Malha& malha, const Iluminacao& iluminacao, int threads)
    : malha(malha),
      iluminacao(iluminacao),
      trabalhadores(threads),
      vertices(malha, OrdemEspacial::calcular(malha), &trabalhadores),
      descarte(vertices),
      classificacao(malha, vertices),
      rasterizador(malha, vertices, classificacao),
      visiveis(static_cast<std::size_t>(trabalhadores.getQuantidade())) {
    montarSombreamento();
    const Primitivas& primitivas = malha.getPrimitivas();
    if (primitivas.getQuantPontos() > 0) {
        pontosTela.emplace(primitivas, iluminacao, estilo.cores);
    }
    if (primitivas.getQuantLinhas() > 0) {
        linhasTela.emplace(primitivas, iluminacao, estilo.cores);
    }
    // The two phases hide triangles behind triangles only; a model with loose points or lines
    // is drawn in one pass (the frustum still culls its triangles).
    if (descarte.getQuantGrupos() >= Visibilidade::kMenosAglomerados && !pontosTela &&
        !linhasTela) {
        visibilidade.emplace(vertices, trabalhadores);
    }
}

bool Renderizador::desenhouAlgo(const Quadro& saida) const {
    // The lines were placed in the frame that was drawn: the samples' one when there were more.
    const Quadro& quadro = amostrasUltimo > 1 && amostragem ? *amostragem : saida;
    for (int y = 0; y < quadro.getAltura(); ++y) {
        const double* linha = quadro.linhaProfundidade(y);
        if (std::any_of(linha, linha + quadro.getLargura(), [](double z) { return z != 0.0; })) {
            return true;
        }
    }
    return linhasTela && linhasTela->escreveramPixel(quadro, Classificacao::kLinhasPorFaixa);
}

int Renderizador::getQuantThreads() const { return trabalhadores.getQuantidade(); }

const EstagioVertices& Renderizador::getEstagioVertices() const { return vertices; }

void Renderizador::usarSombreamento(std::unique_ptr<Sombreamento> modo) {
    sombreamento = std::move(modo);
    sombreamento->usarAvx2(avx2);
}

void Renderizador::permitirAvx2(bool permitir) {
    avx2 = permitir;
    if (pontosTela) {
        pontosTela->usarAvx2(permitir);
    }
    vertices.usarAvx2(permitir);
    classificacao.usarAvx2(permitir);
    rasterizador.usarAvx2(permitir);
    acabamento.usarAvx2(permitir);
    sombreamento->usarAvx2(permitir);
}

void Renderizador::permitirDescarte(bool permitir) { descartar = permitir; }

void Renderizador::permitirOclusao(bool permitir) { ocluir = permitir; }

const Visibilidade::Contagem* Renderizador::getContagem() const {
    return duasFases ? &visibilidade->getContagem() : nullptr;
}

void Renderizador::setEstilo(const Estilo& novo) {
    const bool mesmaPintura =
        novo.modo == estilo.modo && novo.arestas == estilo.arestas && novo.cores == estilo.cores;
    const bool mesmasCores = novo.cores == estilo.cores;
    estilo = novo;
    if (!mesmaPintura) {
        montarSombreamento();
    }
    if (pontosTela) {
        pontosTela->usarCanais(estilo.bits24);
    }
    // The points' and lines' colours follow the file's colours being on or off.
    if (!mesmasCores && pontosTela) {
        pontosTela->setIluminacao(iluminacao, estilo.cores);
    }
    if (!mesmasCores && linhasTela) {
        linhasTela->setIluminacao(iluminacao, estilo.cores);
    }
}

const Estilo& Renderizador::getEstilo() const { return estilo; }

void Renderizador::setIluminacao(const Iluminacao& nova) {
    iluminacao = nova;
    montarSombreamento();
    if (pontosTela) {
        pontosTela->setIluminacao(nova, estilo.cores);
    }
    if (linhasTela) {
        linhasTela->setIluminacao(nova, estilo.cores);
    }
}

void Renderizador::montarSombreamento() {
    std::unique_ptr<CoresDaMalha> novasCores;
    if (estilo.cores && malha.getAparencia() != nullptr) {
        novasCores = std::make_unique<CoresDaMalha>(malha, vertices, iluminacao.od);
    }
    const CoresDaMalha* comCores = novasCores.get();
    std::unique_ptr<Sombreamento> modo;
    switch (estilo.modo) {
        case Estilo::Modo::plano:
            modo = std::make_unique<SombreamentoPlano>(malha, vertices, iluminacao, comCores);
            break;
        case Estilo::Modo::gouraud:
            if (comCores != nullptr && comCores->temTexturizados()) {
                modo =
                    std::make_unique<SombreamentoGouraudTextura>(vertices, iluminacao, *comCores);
            } else {
                modo = std::make_unique<SombreamentoGouraud>(vertices, iluminacao, comCores);
            }
            break;
        case Estilo::Modo::phong:
            modo = std::make_unique<SombreamentoPhong>(vertices, iluminacao, comCores);
            break;
    }
    if (estilo.arestas) {
        modo = std::make_unique<SombreamentoComArestas>(std::move(modo), malha, vertices);
    }
    // The old mode goes before the colours it may read.
    usarSombreamento(std::move(modo));
    cores = std::move(novasCores);
}

void Renderizador::desenharTriangulo(const Vetor& posicao0, double iz0, const Vetor& cor0,
                                     const Vetor& posicao1, double iz1, const Vetor& cor1,
                                     const Vetor& posicao2, double iz2, const Vetor& cor2,
                                     int linha0, int linha1, Quadro& quadro) {
    const auto canto = [](const Vetor& posicao, double iz, const Vetor& cor, int k) {
        return Recorte::Canto{
            posicao.x, posicao.y, iz, {cor.x, cor.y, cor.z}, static_cast<std::uint8_t>(1U << k)};
    };
    const FaixaVisivel::Peca triangulo{
        0,
        0,
        {canto(posicao0, iz0, cor0, 0), canto(posicao1, iz1, cor1, 1),
         canto(posicao2, iz2, cor2, 2)}};
    const auto tela = [&triangulo](int k) {
        const Recorte::Canto& c = triangulo.cantos[static_cast<std::size_t>(k)];
        return VerticeTela{c.x, c.y, c.z};
    };
    const VerticeTela a = tela(0);
    const VerticeTela b = tela(1);
    const VerticeTela c = tela(2);
    // The two passes a band at a time, the triangle its only winner.
    FaixaVisivel visivel;
    std::vector<FaixaVisivel::Peca> pecas;
    const int fim = std::min(quadro.getAltura(), linha1);
    for (int j0 = std::max(0, linha0); j0 < fim; j0 += Classificacao::kLinhasPorFaixa) {
        visivel.iniciar(j0, std::min(fim, j0 + Classificacao::kLinhasPorFaixa), quadro.getLargura(),
                        nullptr, pecas);
        const std::int32_t numero = visivel.acrescentarPeca(triangulo);
        Rasterizador::visibilidade(a, b, c, numero, visivel, quadro);
        SombreamentoGouraud::sombrearFaixa(visivel, nullptr, nullptr, quadro);
    }
}

void Renderizador::usarPartes(const std::vector<std::uint32_t>& novas) {
    partes = &novas;
    registro.reset();
}

void Renderizador::desenhar(const Camera& camera, const Projecao& projecao, Quadro& quadro,
                            int amostras, BuffersQuadro* buffers) {
    if (buffers != nullptr && !registro) {
        static const std::vector<std::uint32_t> kSemPartes;
        registro.emplace(malha, vertices, partes != nullptr ? *partes : kSemPartes);
    }
    if (buffers != nullptr && buffers->getPedido().normais) {
        registro->prepararNormais();
    }
    const int k = amostras > 0 ? amostras : estilo.amostras;
    amostrasUltimo = k;
    Acabamento::Pedido pedido;
    pedido.amostras = k;
    pedido.canais = estilo.bits24;
    pedido.transparente = estilo.transparente;
    pedido.edl = estilo.edl;
    pedido.raio = k * estilo.raioEdl;
    pedido.forca = estilo.forcaEdl;
    // The frame drawn keeps channels for a 24-bit picture, for a transparent one, whose alpha
    // says what was drawn, and for the eye-dome lighting; the background is none when
    // transparent.
    const auto preparar = [&](Quadro& destino) {
        destino.usarCanais(Acabamento::canaisNoDesenho(pedido));
        destino.setFundo(estilo.transparente ? 0 : estilo.fundo);
        destino.setTransparente(estilo.transparente);
    };
    if (k == 1) {
        preparar(quadro);
        desenharQuadro(camera, projecao, quadro, estilo.tamanhoPonto, buffers);
        if (Acabamento::necessario(pedido)) {
            acabamento.acabar(quadro, pedido, trabalhadores);
        }
        return;
    }
    const int largura = k * quadro.getLargura();
    const int altura = k * quadro.getAltura();
    if (!amostragem || amostragem->getLargura() != largura || amostragem->getAltura() != altura) {
        amostragem.reset();
        amostragem.emplace(largura, altura);
    }
    if (buffers != nullptr) {
        // The buffers from the winners at the pixels' centres: a frame of one sample a pixel.
        if (!quadroBuffers || quadroBuffers->getLargura() != quadro.getLargura() ||
            quadroBuffers->getAltura() != quadro.getAltura()) {
            quadroBuffers.reset();
            quadroBuffers.emplace(quadro.getLargura(), quadro.getAltura());
        }
        quadroBuffers->usarCanais(false);
        desenharQuadro(camera, projecao, *quadroBuffers, estilo.tamanhoPonto, buffers);
    }
    preparar(*amostragem);
    Projecao ampliada = projecao;
    ampliada.largura = k * projecao.largura;
    ampliada.altura = k * projecao.altura;
    desenharQuadro(camera, ampliada, *amostragem, k * estilo.tamanhoPonto, nullptr);
    acabamento.acabar(*amostragem, pedido, quadro, trabalhadores);
}

void Renderizador::desenharQuadro(const Camera& camera, const Projecao& projecao, Quadro& quadro,
                                  int tamanhoPonto, BuffersQuadro* buffers) {
    sombreamento->iniciar(camera);
    sombreamento->usarProjecao(projecao);
    const double limite = Recorte::limiteSeguro(quadro.getLargura(), quadro.getAltura());
    const std::uint8_t* pontosVivos = nullptr;
    const std::uint8_t* triangulosVivos = nullptr;
    if (descartar) {
        descarte.preparar(camera, projecao, quadro.getLargura(), quadro.getAltura());
        pontosVivos = descarte.getPontosVivos();
        triangulosVivos = descarte.getTriangulosVivos();
    }
    duasFases = descartar && ocluir && visibilidade.has_value();
    if (duasFases) {
        desenharEmDuasFases(camera, projecao, limite, quadro, buffers);
    } else {
        if (visibilidade) {
            visibilidade->esquecer();
        }
        prepararGrupos(triangulosVivos, EstagioVertices::kPorGrupo, pontosVivos,
                       EstagioVertices::kPorGrupo, camera, projecao, limite, quadro);
        reservarFaixas(quadro);
        // The loose points and the lines, each worked out and listed by band for this frame.
        const int largura = quadro.getLargura();
        const int altura = quadro.getAltura();
        constexpr int kLinhas = Classificacao::kLinhasPorFaixa;
        if (pontosTela) {
            pontosTela->preparar(camera, projecao, largura, altura, tamanhoPonto, trabalhadores,
                                 estilo.formaPonto == Estilo::FormaPonto::disco);
        }
        if (linhasTela) {
            linhasTela->preparar(camera, projecao, largura, altura, kLinhas, trabalhadores);
        }
        const ExtrasFaixa extras(pontosTela ? &*pontosTela : nullptr,
                                 linhasTela ? &*linhasTela : nullptr);
        const bool comExtras = pontosTela || linhasTela;
        // The points' normals in the buffers need the point that won each pixel.
        const bool normaisPontos =
            buffers != nullptr && pontosTela && buffers->getPedido().normais;
        if (normaisPontos) {
            pontosTela->vencedores(camera, projecao, largura, altura, tamanhoPonto,
                                   estilo.formaPonto == Estilo::FormaPonto::disco,
                                   vencedoresPontos, profundidadesPontos);
        }
        auto faixas = [&](int faixa, int thread) {
            FaixaVisivel& visivel = visiveis[static_cast<std::size_t>(thread)];
            rasterizador.desenharFaixa(faixa, camera, projecao, *sombreamento, visivel,
                                       pecas[static_cast<std::size_t>(faixa)], quadro,
                                       comExtras ? &extras : nullptr);
            if (buffers != nullptr) {
                registro->faixa(visivel, quadro, camera, projecao, true, *buffers,
                                normaisPontos ? &*pontosTela : nullptr,
                                normaisPontos ? vencedoresPontos.data() : nullptr);
                if (linhasTela) {
                    linhasTela->registrarFaixa(faixa, visivel.getLinha0(), visivel.getLinha1(),
                                               quadro, *buffers);
                }
            }
        };
        trabalhadores.paraCada(classificacao.getQuantFaixas(), faixas);
    }
    if (estilo.normais) {
        if (!agulhas) {
            agulhas.emplace(malha);
        }
        agulhas->desenhar(camera, projecao, quadro, trabalhadores);
    }
}

void Renderizador::prepararGrupos(const std::uint8_t* grupos, int triangulosPorGrupo,
                                  const std::uint8_t* gruposPontos, int pontosPorGrupo,
                                  const Camera& camera, const Projecao& projecao, double limite,
                                  const Quadro& quadro) {
    auto pontos = [&](int lote) {
        vertices.processar(lote, camera, projecao, limite, gruposPontos, pontosPorGrupo);
    };
    trabalhadores.paraCada(vertices.getQuantLotes(), pontos);
    classificacao.preparar(quadro.getLargura(), quadro.getAltura());
    auto classificar = [&](int lote) {
        classificacao.classificar(lote, camera, projecao, grupos, triangulosPorGrupo);
    };
    trabalhadores.paraCada(classificacao.getQuantLotes(), classificar);
    classificacao.montarFaixas();
    // In one job: the triangles listed in their bands, and the marked points prepared for the
    // shading (and their marks taken off for the next frame).
    const int lotesTriangulos = classificacao.getQuantLotes();
    auto distribuirEPreparar = [&](int tarefa) {
        if (tarefa < lotesTriangulos) {
            classificacao.distribuir(tarefa);
            return;
        }
        const int inicio = (tarefa - lotesTriangulos) * EstagioVertices::kPorLote;
        const int fim = std::min(vertices.getQuantPontos(), inicio + EstagioVertices::kPorLote);
        sombreamento->prepararPontos(inicio, fim, classificacao.getMarcas());
        classificacao.limparMarcas(inicio, fim);
    };
    trabalhadores.paraCada(lotesTriangulos + vertices.getQuantLotes(), distribuirEPreparar);
}

void Renderizador::reservarFaixas(const Quadro& quadro) {
    for (FaixaVisivel& visivel : visiveis) {
        visivel.reservar(static_cast<std::size_t>(Classificacao::kLinhasPorFaixa) *
                         static_cast<std::size_t>(quadro.getLargura()));
    }
    if (pecas.size() != static_cast<std::size_t>(classificacao.getQuantFaixas())) {
        pecas.resize(static_cast<std::size_t>(classificacao.getQuantFaixas()));
    }
}

void Renderizador::desenharEmDuasFases(const Camera& camera, const Projecao& projecao,
                                       double limite, Quadro& quadro, BuffersQuadro* buffers) {
    Visibilidade& v = *visibilidade;
    const std::uint8_t* vivos = descarte.getTriangulosVivos();
    const int largura = quadro.getLargura();
    // Phase 1: the runs seen last time, drawn and shaded band by band as in one pass; per pixel
    // the file's number of its winner, for the ties of phase 2; and the pyramid of depths.
    const std::uint8_t* primeira = v.primeiraFase(vivos, camera);
    v.marcarPontos(primeira, nullptr, pontosPrimeira);
    prepararGrupos(primeira, Aglomerados::kPorTrecho, pontosPrimeira.data(),
                   Visibilidade::kPontosPorGrupo, camera, projecao, limite, quadro);
    reservarFaixas(quadro);
    const auto pixels =
        static_cast<std::size_t>(largura) * static_cast<std::size_t>(quadro.getAltura());
    if (anteriores.size() != pixels) {
        anteriores.resize(pixels);
    }
    Piramide& piramide = v.getPiramide();
    piramide.preparar(largura, quadro.getAltura());
    const auto linhaAnteriores = [&](const FaixaVisivel& visivel) {
        return anteriores.data() +
               static_cast<std::size_t>(visivel.getLinha0()) * static_cast<std::size_t>(largura);
    };
    auto primeiras = [&](int faixa, int thread) {
        FaixaVisivel& visivel = visiveis[static_cast<std::size_t>(thread)];
        rasterizador.desenharFaixa(faixa, camera, projecao, *sombreamento, visivel,
                                   pecas[static_cast<std::size_t>(faixa)], quadro);
        v.marcarVistos(visivel, linhaAnteriores(visivel));
        piramide.construirFaixa(quadro, visivel.getLinha0(), visivel.getLinha1());
        if (buffers != nullptr) {
            registro->faixa(visivel, quadro, camera, projecao, true, *buffers);
        }
    };
    trabalhadores.paraCada(classificacao.getQuantFaixas(), primeiras);
    piramide.completar();
    // Phase 2: the other runs the pyramid does not hide, drawn over the bands they reach, and
    // only the pixels they win shaded again; the runs that won a pixel are marked for the next
    // frame.
    const std::uint8_t* segunda = v.segundaFase(vivos, camera, projecao, largura,
                                                quadro.getAltura(), trabalhadores);
    if (v.temSegundaFase()) {
        // The points phase 1 worked out hold for this frame still.
        v.marcarPontos(segunda, pontosPrimeira.data(), pontosFase);
        prepararGrupos(segunda, Aglomerados::kPorTrecho, pontosFase.data(),
                       Visibilidade::kPontosPorGrupo, camera, projecao, limite, quadro);
        auto segundas = [&](int faixa, int thread) {
            const std::int64_t inicio = classificacao.inicio(faixa);
            const std::int64_t fim = classificacao.inicio(faixa + 1);
            if (inicio == fim) {
                return;
            }
            FaixaVisivel& visivel = visiveis[static_cast<std::size_t>(thread)];
            rasterizador.iniciarFaixa(faixa, inicio, visivel,
                                      pecas[static_cast<std::size_t>(faixa)], quadro, false);
            visivel.usarAnteriores(linhaAnteriores(visivel));
            rasterizador.visibilidadeFaixa(inicio, fim, camera, projecao, *sombreamento, visivel,
                                           quadro);
            sombreamento->sombrear(visivel, quadro);
            sombreamento->sobrepor(visivel, quadro);
            v.marcarVistos(visivel, nullptr);
            // Only the pixels this pass took from the first.
            if (buffers != nullptr) {
                registro->faixa(visivel, quadro, camera, projecao, false, *buffers);
            }
        };
        trabalhadores.paraCada(classificacao.getQuantFaixas(), segundas);
    }
    v.encerrarQuadro();
}

}  // namespace gouraud::detail
