#include "gouraud/Modelo.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "Camera.h"
#include "CenaCarregada.h"
#include "Estilo.h"
#include "GravadorPng.h"
#include "Iluminacao.h"
#include "Importador.h"
#include "LeitorIluminacao.h"
#include "LeitorMalha.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "VistaPadrao.h"

namespace gouraud {

using detail::CenaCarregada;
using detail::Estilo;
using detail::GravadorPng;
using detail::Iluminacao;
using detail::LeitorIluminacao;
using detail::LeitorMalha;
using detail::Malha;
using detail::Projecao;
using detail::Quadro;
using detail::Renderizador;
using detail::VistaPadrao;

namespace {

// The renderer's mode for the option's, or nullopt for a value outside the enumeration.
std::optional<Estilo::Modo> modoInterno(Modo modo) {
    switch (modo) {
        case Modo::plano:
            return Estilo::Modo::plano;
        case Modo::gouraud:
            return Estilo::Modo::gouraud;
        case Modo::phong:
            return Estilo::Modo::phong;
    }
    return std::nullopt;
}

// The views' up axis for the option's, or nullopt for a value outside the enumeration.
std::optional<VistaPadrao::Cima> cimaInterna(Cima cima) {
    switch (cima) {
        case Cima::maisX:
            return VistaPadrao::Cima::maisX;
        case Cima::menosX:
            return VistaPadrao::Cima::menosX;
        case Cima::maisY:
            return VistaPadrao::Cima::maisY;
        case Cima::menosY:
            return VistaPadrao::Cima::menosY;
        case Cima::maisZ:
            return VistaPadrao::Cima::maisZ;
        case Cima::menosZ:
            return VistaPadrao::Cima::menosZ;
    }
    return std::nullopt;
}

// Where the view's camera stands for the option's, or nullopt for a value outside the
// enumeration.
std::optional<VistaPadrao::Lado> ladoInterno(Vista vista) {
    switch (vista) {
        case Vista::frente:
            return VistaPadrao::Lado::frente;
        case Vista::direita:
            return VistaPadrao::Lado::direita;
        case Vista::topo:
            return VistaPadrao::Lado::topo;
        case Vista::iso:
            return VistaPadrao::Lado::iso;
    }
    return std::nullopt;
}

Vetor vetor(const std::array<double, 3>& a) { return Vetor(a[0], a[1], a[2]); }

}  // namespace

// The file as read, the renderer that draws it, and the frame of the last size drawn, which
// later pictures of that size reuse.
struct Modelo::Dados {
    Iluminacao iluminacao;
    std::unique_ptr<CenaCarregada> carregada;
    bool ehMalha = false;
    std::unique_ptr<Renderizador> renderizador;
    std::optional<Quadro> quadro;
};

Modelo::Modelo(std::unique_ptr<Dados> dados) : dados(std::move(dados)) {}
Modelo::Modelo(Modelo&&) noexcept = default;
Modelo& Modelo::operator=(Modelo&&) noexcept = default;
Modelo::~Modelo() = default;

Resultado<Modelo> Modelo::abrirInstalado(const std::string& arquivo, const std::string& iluminacao,
                                         const Abertura& abertura, const char* instalado) {
    if (abertura.limiteMemoria < static_cast<int>(detail::Isolamento::kMenorLimiteMemoria) ||
        abertura.limiteMemoria > static_cast<int>(detail::Isolamento::kMaiorLimiteMemoria)) {
        return Resultado<Modelo>::falha(
            "the memory limit " + std::to_string(abertura.limiteMemoria) +
            " MiB is out of range: it goes from " +
            std::to_string(detail::Isolamento::kMenorLimiteMemoria) + " to " +
            std::to_string(detail::Isolamento::kMaiorLimiteMemoria) + " MiB");
    }
    if (abertura.limiteTempo < 1 || abertura.limiteTempo > detail::Isolamento::kMaiorLimiteTempo) {
        return Resultado<Modelo>::falha("the time limit " + std::to_string(abertura.limiteTempo) +
                                        " s is out of range: it goes from 1 to " +
                                        std::to_string(detail::Isolamento::kMaiorLimiteTempo) +
                                        " s");
    }
    CenaCarregada::Opcoes opcoes;
    opcoes.isolamento.ativo = abertura.isolamento;
    opcoes.isolamento.limiteMemoria = static_cast<std::uint64_t>(abertura.limiteMemoria);
    opcoes.isolamento.limiteTempo = abertura.limiteTempo;
    opcoes.isolamento.programa = abertura.importador;
    opcoes.isolamento.instalado = instalado != nullptr ? instalado : "";
    // The lighting file first, as the viewer reads them, so its problem is the one reported.
    auto dados = std::make_unique<Dados>();
    if (!iluminacao.empty()) {
        std::string erro = LeitorIluminacao::lerArquivo(iluminacao, dados->iluminacao);
        if (!erro.empty()) {
            return Resultado<Modelo>::falha(std::move(erro));
        }
    }
    dados->carregada = std::make_unique<CenaCarregada>(arquivo, opcoes);
    if (!dados->carregada->valida()) {
        return Resultado<Modelo>::falha(dados->carregada->getErro());
    }
    dados->ehMalha = LeitorMalha::ehMalha(arquivo);
    dados->renderizador =
        std::make_unique<Renderizador>(dados->carregada->getMalha(), dados->iluminacao);
    return Modelo(std::move(dados));
}

static_assert(Opcoes{}.ponto == Estilo::kPontoPadrao, "the API's default point is the viewer's");

std::string Modelo::desenhar(const Opcoes& opcoes, Imagem& imagem) {
    if (opcoes.largura < Quadro::kMenorLado || opcoes.largura > Quadro::kMaiorLado ||
        opcoes.altura < Quadro::kMenorLado || opcoes.altura > Quadro::kMaiorLado) {
        return "the size " + std::to_string(opcoes.largura) + "x" + std::to_string(opcoes.altura) +
               " is out of range: each side goes from " + std::to_string(Quadro::kMenorLado) +
               " to " + std::to_string(Quadro::kMaiorLado);
    }
    if (opcoes.ponto < Estilo::kMenorPonto || opcoes.ponto > Estilo::kMaiorPonto) {
        return "the point size " + std::to_string(opcoes.ponto) +
               " is out of range: it goes from " + std::to_string(Estilo::kMenorPonto) + " to " +
               std::to_string(Estilo::kMaiorPonto) + " pixels";
    }
    if (opcoes.vista && opcoes.camera) {
        return "a view and a camera were both given; choose one";
    }
    const std::optional<Estilo::Modo> modo = modoInterno(opcoes.modo);
    const std::optional<VistaPadrao::Cima> cima = cimaInterna(opcoes.cima);
    const std::optional<VistaPadrao::Lado> lado =
        opcoes.vista ? ladoInterno(*opcoes.vista) : VistaPadrao::Lado::frente;
    if (!modo || !cima || !lado) {
        return "the options hold a mode, an up axis or a view that does not exist";
    }

    // A scene file keeps its own camera and window unless a view or a camera is asked for; a
    // mesh file, which has none, starts from the front view. Views and cameras of one's own get
    // the automatic framing, as the viewer's --vista does.
    const Malha& malha = dados->carregada->getMalha();
    detail::Camera camera;
    Projecao projecao;
    if (opcoes.camera) {
        camera = detail::Camera::deEixos(
            vetor(opcoes.camera->n), vetor(opcoes.camera->v),
            Ponto(opcoes.camera->foco[0], opcoes.camera->foco[1], opcoes.camera->foco[2]));
        const std::string problema = camera.problema();
        if (!problema.empty()) {
            return "the camera cannot give a picture: " + problema;
        }
        projecao = Projecao::enquadrar(malha, camera, opcoes.largura, opcoes.altura);
    } else if (opcoes.vista || dados->ehMalha) {
        const VistaPadrao vista =
            VistaPadrao::calcular(*cima, *lado, malha.getCentro(), malha.getDiagonal());
        camera = detail::Camera::deEixos(vista.n, vista.v, vista.foco);
        projecao = Projecao::enquadrar(malha, camera, opcoes.largura, opcoes.altura);
    } else {
        camera = dados->carregada->getCamera();
        projecao = Projecao::daCena(dados->carregada->getCena(), malha, camera, opcoes.largura,
                                    opcoes.altura);
    }

    Estilo estilo;
    estilo.modo = *modo;
    estilo.arestas = opcoes.arestas;
    estilo.normais = opcoes.normais;
    estilo.cores = opcoes.cores;
    estilo.tamanhoPonto = opcoes.ponto;
    dados->renderizador->setEstilo(estilo);
    if (!dados->quadro || dados->quadro->getLargura() != opcoes.largura ||
        dados->quadro->getAltura() != opcoes.altura) {
        dados->quadro.emplace(opcoes.largura, opcoes.altura);
    }
    dados->renderizador->desenhar(camera, projecao, *dados->quadro);

    imagem.rgb.resize(static_cast<std::size_t>(opcoes.largura) *
                      static_cast<std::size_t>(opcoes.altura) * Imagem::kBytesPorPixel);
    GravadorPng::paraRgb(*dados->quadro, imagem.rgb.data());
    imagem.largura = opcoes.largura;
    imagem.altura = opcoes.altura;
    return "";
}

Resultado<Imagem> Modelo::desenhar(const Opcoes& opcoes) {
    Imagem imagem;
    std::string erro = desenhar(opcoes, imagem);
    if (!erro.empty()) {
        return Resultado<Imagem>::falha(std::move(erro));
    }
    return imagem;
}

}  // namespace gouraud
