#include "Visualizacao.h"

#include <iostream>

#include "LeitorIluminacao.h"
#include "Mensagem.h"

namespace gouraud::detail {

namespace {

// The default options, the marker line of a scene file on standard output as the viewer has it.
CenaCarregada::Opcoes padrao() {
    CenaCarregada::Opcoes opcoes;
    opcoes.marcador = &std::cout;
    return opcoes;
}

}  // namespace

Visualizacao::Visualizacao(const std::string& cena, const std::optional<std::string>& nomeLuz,
                           int largura, int altura, int threads)
    : Visualizacao(cena, nomeLuz, padrao(), largura, altura, threads) {}

Visualizacao::Visualizacao(const std::string& cena, const std::optional<std::string>& nomeLuz,
                           const CenaCarregada::Opcoes& opcoes, int largura, int altura,
                           int threads)
    : vigiaCena(cena), opcoes(opcoes), largura(largura), altura(altura), threads(threads) {
    // The files are looked at before they are read, so a change made while they are read shows
    // at the next look.
    if (nomeLuz) {
        vigiaIluminacao.emplace(*nomeLuz);
        erro = LeitorIluminacao::lerArquivo(*nomeLuz, iluminacao);
        if (!erro.empty()) {
            return;
        }
    }
    auto lida = std::make_unique<CenaCarregada>(cena, opcoes, largura, altura);
    if (!lida->valida()) {
        erro = lida->getErro();
        return;
    }
    carregada = std::move(lida);
    renderizador = std::make_unique<Renderizador>(carregada->getMalha(), iluminacao, threads);
    renderizador->usarPartes(carregada->getPartes());
    navegacao.emplace(carregada->getCamera(), carregada->getMalha().getCentro(),
                      carregada->getMalha().getDiagonal(), opcoes.cima);
    projecao = carregada->getProjecao();
}

bool Visualizacao::valida() const { return carregada != nullptr; }
const std::string& Visualizacao::getErro() const { return erro; }

void Visualizacao::desenhar(Quadro& quadro, bool previa, BuffersQuadro* buffers) {
    renderizador->desenhar(navegacao->getCamera(), projecao, quadro, previa ? 1 : 0, buffers);
    if (primeiro) {
        primeiro = false;
        if (!renderizador->desenhouAlgo(quadro)) {
            const Malha& malha = carregada->getMalha();
            const Primitivas& primitivas = malha.getPrimitivas();
            avisar(vigiaCena.getNome() + ": it draws no pixel from the starting view (" +
                   contagem(malha.getQuantTriangulos(), primitivas.getQuantLinhas(),
                            primitivas.getQuantPontos()) +
                   ")");
        }
    }
}

void Visualizacao::setEstilo(const Estilo& novo) {
    estilo = novo;
    if (renderizador) {
        renderizador->setEstilo(estilo);
    }
}

const Estilo& Visualizacao::getEstilo() const { return estilo; }

void Visualizacao::aplicar(Navegacao::Acao acao) {
    using Acao = Navegacao::Acao;
    navegacao->aplicar(acao);
    switch (acao) {
        case Acao::restaurar:
            projecao = carregada->getProjecao();
            break;
        case Acao::vistaFrente:
        case Acao::vistaDireita:
        case Acao::vistaTopo:
        case Acao::vistaIso:
            // The automatic framing of that camera, as a file read with --vista gets it: the
            // picture is the one --imagem --vista gives, bit for bit.
            projecao =
                Projecao::enquadrar(carregada->getMalha(), navegacao->getCamera(), largura, altura);
            break;
        default:
            break;
    }
}

void Visualizacao::girarArrasto(int dx, int dy) { navegacao->girarArrasto(dx, dy); }

void Visualizacao::deslocar(int dx, int dy) { navegacao->deslocar(dx, dy, projecao); }

bool Visualizacao::vigiar() {
    bool mudou = false;
    if (vigiaCena.mudou()) {
        lerCena();
        mudou = true;
    }
    if (vigiaIluminacao && vigiaIluminacao->mudou()) {
        lerIluminacao();
        mudou = true;
    }
    return mudou;
}

void Visualizacao::recarregar() {
    // A look first, so that the next one compares with what was read now.
    vigiaCena.mudou();
    lerCena();
    if (vigiaIluminacao) {
        vigiaIluminacao->mudou();
        lerIluminacao();
    }
}

void Visualizacao::lerCena() {
    auto lida = std::make_unique<CenaCarregada>(vigiaCena.getNome(), opcoes, largura, altura);
    if (!lida->valida()) {
        problemaCena = lida->getErro();
        return;
    }
    problemaCena.clear();
    auto novo = std::make_unique<Renderizador>(lida->getMalha(), iluminacao, threads);
    novo->usarPartes(lida->getPartes());
    novo->setEstilo(estilo);
    // The old renderer reads the old mesh: it goes first.
    renderizador = std::move(novo);
    carregada = std::move(lida);
    projecao.zPerto = carregada->getProjecao().zPerto;
    navegacao->setInicio(carregada->getCamera(), carregada->getMalha().getCentro(),
                         carregada->getMalha().getDiagonal());
}

void Visualizacao::lerIluminacao() {
    Iluminacao nova;
    problemaIluminacao = LeitorIluminacao::lerArquivo(vigiaIluminacao->getNome(), nova);
    if (problemaIluminacao.empty()) {
        iluminacao = nova;
        renderizador->setIluminacao(iluminacao);
    }
}

std::string Visualizacao::getProblemas() const {
    if (problemaCena.empty() || problemaIluminacao.empty()) {
        return problemaCena + problemaIluminacao;
    }
    return problemaCena + "; " + problemaIluminacao;
}

const Camera& Visualizacao::getCamera() const { return navegacao->getCamera(); }
const Projecao& Visualizacao::getProjecao() const { return projecao; }
int Visualizacao::getQuantTriangulos() const { return carregada->getMalha().getQuantTriangulos(); }

std::string Visualizacao::getDescricao() const {
    const Malha& malha = carregada->getMalha();
    const Primitivas& primitivas = malha.getPrimitivas();
    const std::string contagens = contagem(malha.getQuantTriangulos(), primitivas.getQuantLinhas(),
                                           primitivas.getQuantPontos());
    // The mode and the switches change the triangles alone.
    std::string texto = malha.getQuantTriangulos() > 0 ? estilo.descricao() + ", " : "";
    const std::string imagem = estilo.descricaoImagem();
    if (!imagem.empty()) {
        texto += imagem + ", ";
    }
    return texto + contagens;
}

std::string Visualizacao::contagem(int triangulos, int linhas, int pontos) {
    std::string texto;
    const auto acrescentar = [&texto](int quant, const char* nome) {
        if (quant == 0) {
            return;
        }
        if (!texto.empty()) {
            texto += ", ";
        }
        texto += std::to_string(quant) + " " + nome + (quant == 1 ? "" : "s");
    };
    acrescentar(triangulos, "triangle");
    acrescentar(linhas, "line");
    acrescentar(pontos, "point");
    return texto.empty() ? "0 triangles" : texto;
}
CenaCarregada& Visualizacao::getCarregada() { return *carregada; }

const Renderizador& Visualizacao::getRenderizador() const { return *renderizador; }

}  // namespace gouraud::detail
