#include "Renderizadores.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "ComparacaoQuadros.h"
#include "Iluminacao.h"
#include "ProcessoOsmesa.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "RenderizadorReferencia.h"

#if GOURAUD_COM_ALLEGRO
#include "ConcorrenteAllegro.h"
#endif

namespace gouraud::detail {

namespace {

// Pixels whose colour or depth differ between two frames of the same size.
int diferentes(const Quadro& a, const Quadro& b) {
    int n = 0;
    for (int y = 0; y < a.getAltura(); ++y) {
        for (int x = 0; x < a.getLargura(); ++x) {
            n += a.getCor(x, y) != b.getCor(x, y) ||
                 a.getProfundidade(x, y) != b.getProfundidade(x, y);
        }
    }
    return n;
}

}  // namespace

std::string iniciarConcorrentes(std::vector<std::string>& notas) {
    std::string erroAllegro = "not built: pkg-config found no allegro when configuring";
#if GOURAUD_COM_ALLEGRO
    erroAllegro = ConcorrenteAllegro::iniciar();
    if (erroAllegro.empty()) {
        notas.push_back("Allegro: " + ConcorrenteAllegro::versao() +
                        "; per frame it lights and projects the points on one thread, then "
                        "draws the triangles whose three points are on or beyond the near plane "
                        "(colours interpolated linearly on the screen).");
    }
#endif
#if !GOURAUD_COM_OSMESA
    notas.push_back(
        "Mesa: not built, pkg-config found no osmesa when configuring (install "
        "libosmesa6-dev and configure again; scripts/bench.sh does).");
#endif
    return erroAllegro;
}

void medirNosso(Relatorio& r, const Caso& caso, int threads, const std::string& linha) {
    Iluminacao iluminacao;
    Renderizador renderizador(*caso.cena->malha, iluminacao, threads);
    Quadro quadro(caso.largura, caso.altura);
    Medida m;
    m.tempos = Tempos::medirQuadros(
        r.configuracao.quadros, [&] { renderizador.desenhar(caso.camera, caso.projecao, quadro); });
    if (const Visibilidade::Contagem* c = renderizador.getContagem()) {
        m.notas.push_back("clusters " + std::to_string(c->aglomerados) + ": " +
                          std::to_string(c->desenhados) + " drawn (" +
                          std::to_string(c->primeiraFase) + " first), " +
                          std::to_string(c->foraDoQuadro) + " culled by frustum, " +
                          std::to_string(c->ocultos) + " culled by occlusion");
    }
    if (threads == 0) {
        r.nosso = quadro;
        const auto nucleos = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
        if (renderizador.getQuantThreads() != nucleos) {
            m.notas.push_back("drew on " + std::to_string(renderizador.getQuantThreads()) +
                              " threads, not one per core");
        }
    } else {
        const int n = diferentes(quadro, r.nosso);
        m.notas.push_back(n == 0 ? "same picture, bit for bit, as on every core"
                                 : std::to_string(n) +
                                       " pixels DIFFER from the picture drawn on every core");
    }
    r.imprimir(linha, m);
    if (threads == 0) r.gravar(caso, "este", quadro);
    r.anotar(caso, linha, std::move(m));
}

void medirReferencia(Relatorio& r, const Caso& caso, const std::string& linha) {
    if (caso.nuvem) {
        Medida m;
        m.notas.push_back("not timed on a cloud: the tests hold it to this renderer's pictures");
        r.imprimir(linha, m);
        r.anotar(caso, linha, std::move(m));
        return;
    }
    Iluminacao iluminacao;
    Quadro quadro(caso.largura, caso.altura);
    Medida m;
    m.tempos = Tempos::medirQuadros(r.configuracao.quadros, [&] {
        desenharReferencia(*caso.cena->malha, iluminacao, caso.camera, caso.projecao, quadro);
    });
    const int n = diferentes(quadro, r.nosso);
    m.notas.push_back(n == 0 ? "same picture, bit for bit, as this renderer's"
                             : std::to_string(n) + " pixels DIFFER from this renderer's picture");
    r.imprimir(linha, m);
    r.gravar(caso, "referencia", quadro);
    r.anotar(caso, linha, std::move(m));
}

void medirAllegro(Relatorio& r, const Caso& caso, const std::string& linha,
                  const std::string& erroInicio) {
    Medida m;
    Quadro quadro(caso.largura, caso.altura);
    if (caso.nuvem) {
        m.notas.push_back("not timed on a cloud: it draws triangles only");
    } else if (!erroInicio.empty()) {
        m.notas.push_back(erroInicio);
    } else {
#if GOURAUD_COM_ALLEGRO
        Iluminacao iluminacao;
        ConcorrenteAllegro allegro(*caso.cena->malha, iluminacao, caso.largura, caso.altura);
        if (!allegro.getErro().empty()) {
            m.notas.push_back(allegro.getErro());
        } else {
            m.tempos = Tempos::medirQuadros(
                r.configuracao.quadros, [&] { allegro.desenhar(caso.camera, caso.projecao); });
            allegro.copiar(quadro);
            m.notas.push_back(comMilhares(allegro.getTriangulosPulados()) +
                              " triangles left out (a point in front of the near plane)");
            m.notas.push_back(ComparacaoQuadros::comparar(r.nosso, quadro).descrever());
        }
#endif
    }
    r.imprimir(linha, m);
    if (m.tempos) r.gravar(caso, "allegro", quadro);
    r.anotar(caso, linha, std::move(m));
}

void medirOsmesa(Relatorio& r, const Caso& caso, int threadsLlvmpipe, const std::string& linha) {
    ResultadoOsmesa resultado =
        ResultadoOsmesa::executar(caso, r.configuracao.quadros, threadsLlvmpipe);
    Medida m;
    if (!resultado.erro.empty() || resultado.ms.empty()) {
        m.notas.push_back(resultado.erro.empty() ? "no frame was timed" : resultado.erro);
        r.imprimir(linha, m);
        r.anotar(caso, linha, std::move(m));
        return;
    }
    m.tempos = Tempos::resumir(std::move(resultado.ms));
    m.notas.push_back(resultado.renderizador + ", " + std::to_string(resultado.bitsProfundidade) +
                      "-bit depth, " + std::to_string(resultado.threads) +
                      " threads in the process after making the context");
    m.notas.push_back(ComparacaoQuadros::comparar(r.nosso, resultado.quadro).descrever());
    r.imprimir(linha, m);
    r.gravar(caso, "osmesa-" + std::to_string(threadsLlvmpipe), resultado.quadro);
    r.anotar(caso, linha, std::move(m));
}

}  // namespace gouraud::detail
