#include "gouraud/Modelo.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <optional>
#include <utility>

#include "Camera.h"
#include "BuffersQuadro.h"
#include "CenaCarregada.h"
#include "ExtracaoAssimp.h"
#include "GravadorPng.h"
#include "Iluminacao.h"
#include "Importador.h"
#include "LeitorIluminacao.h"
#include "LeitorMalha.h"
#include "ModeloDeArranjos.h"
#include "Pinhole.h"
#include "Projecao.h"
#include "Quadro.h"
#include "Renderizador.h"
#include "TabelaOpcoes.h"
#include "VistaPadrao.h"

namespace gouraud {

using detail::CenaCarregada;
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

Vetor vetor(const std::array<double, 3>& a) { return Vetor(a[0], a[1], a[2]); }

}  // namespace

// The file as read, the renderer that draws it, and the frame of the last size drawn, which
// later pictures of that size reuse.
struct Modelo::Dados {
    // Set while a thread draws: a second thread is refused rather than let in.
    std::atomic<bool> desenhando{false};
    Iluminacao iluminacao;
    std::unique_ptr<CenaCarregada> carregada;
    bool ehMalha = false;
    std::unique_ptr<Renderizador> renderizador;
    std::optional<Quadro> quadro;
    // The buffers of the last picture that asked for any.
    detail::BuffersQuadro buffers;
};

namespace {

// Holds a model's drawing flag for as long as it lives, once taken.
class Vez {
public:
    explicit Vez(std::atomic<bool>& flag) : flag(flag), tomada(!flag.exchange(true)) {}
    ~Vez() {
        if (tomada) {
            flag.store(false);
        }
    }
    Vez(const Vez&) = delete;
    Vez& operator=(const Vez&) = delete;
    bool getTomada() const { return tomada; }

private:
    std::atomic<bool>& flag;
    bool tomada;
};

}  // namespace

Modelo::Modelo(std::unique_ptr<Dados> dados) : dados(std::move(dados)) {}
Modelo::Modelo(Modelo&&) noexcept = default;
Modelo& Modelo::operator=(Modelo&&) noexcept = default;
Modelo::~Modelo() = default;

Resultado<Modelo> Modelo::abrirInstalado(const std::string& arquivo, const std::string& iluminacao,
                                         const Abertura& abertura, const char* instalado) {
    // The limits checked and set by the table of options, as the viewer's command line sets them.
    detail::OpcoesVisualizador pedido;
    std::string motivo = detail::opcoesDaAbertura(abertura, pedido);
    if (!motivo.empty()) {
        return Resultado<Modelo>::falha(std::move(motivo));
    }
    CenaCarregada::Opcoes opcoes;
    opcoes.isolamento = pedido.isolamento;
    opcoes.isolamento.programa = abertura.importador;
    opcoes.isolamento.instalado = instalado != nullptr ? instalado : "";
    opcoes.threads = pedido.threads;
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
    dados->renderizador = std::make_unique<Renderizador>(dados->carregada->getMalha(),
                                                         dados->iluminacao, pedido.threads);
    dados->renderizador->usarPartes(dados->carregada->getPartes());
    return Modelo(std::move(dados));
}

Resultado<Modelo> Modelo::deArranjos(const Arranjos& arranjos, const std::string& iluminacao,
                                     const Abertura& abertura) {
    detail::OpcoesVisualizador pedido;
    std::string motivo = detail::opcoesDaAbertura(abertura, pedido);
    if (!motivo.empty()) {
        return Resultado<Modelo>::falha(std::move(motivo));
    }
    auto dados = std::make_unique<Dados>();
    if (!iluminacao.empty()) {
        std::string erro = LeitorIluminacao::lerArquivo(iluminacao, dados->iluminacao);
        if (!erro.empty()) {
            return Resultado<Modelo>::falha(std::move(erro));
        }
    }
    detail::ModeloImportado importado;
    std::string problema;
    try {
        problema = detail::modeloDeArranjos(arranjos, importado);
    } catch (const std::bad_alloc&) {
        problema = "there is not enough memory for the arrays";
    } catch (const std::length_error&) {
        problema = "there is not enough memory for the arrays";
    }
    if (!problema.empty()) {
        return Resultado<Modelo>::falha(std::move(problema));
    }
    dados->carregada =
        std::make_unique<CenaCarregada>(importado, "the arrays", CenaCarregada::Opcoes{});
    if (!dados->carregada->valida()) {
        return Resultado<Modelo>::falha(dados->carregada->getErro());
    }
    dados->ehMalha = true;
    dados->renderizador = std::make_unique<Renderizador>(dados->carregada->getMalha(),
                                                         dados->iluminacao, pedido.threads);
    dados->renderizador->usarPartes(dados->carregada->getPartes());
    return Modelo(std::move(dados));
}

std::string Modelo::desenhar(const Opcoes& opcoes, Imagem& imagem) {
    if (!dados) {
        return "the model was moved from";
    }
    const Vez vez(dados->desenhando);
    if (!vez.getTomada()) {
        return "the model is being drawn by another thread";
    }
    // The options as the viewer's command line would set them, checked by the table of options.
    detail::OpcoesVisualizador pedido;
    std::string motivo = detail::opcoesDaBiblioteca(opcoes, pedido);
    if (!motivo.empty()) {
        return motivo;
    }
    if (opcoes.vista && opcoes.camera) {
        return "a view and a camera were both given; choose one";
    }
    if (opcoes.olhar && (opcoes.vista || opcoes.camera)) {
        return std::string("a pinhole camera (olhar) and a ") +
               (opcoes.vista ? "view" : "camera") + " were both given; choose one";
    }

    // A scene file keeps its own camera and window unless a view or a camera is asked for; a
    // mesh file, which has none, starts from the front view. Views and cameras of one's own get
    // the automatic framing, as the viewer's --vista does; a pinhole camera frames nothing.
    const Malha& malha = dados->carregada->getMalha();
    detail::Camera camera;
    Projecao projecao;
    if (opcoes.olhar) {
        camera = detail::Pinhole::camera(*opcoes.olhar);
        projecao = detail::Pinhole::projecao(*opcoes.olhar, malha, pedido.largura, pedido.altura);
    } else if (opcoes.camera) {
        camera = detail::Camera::deEixos(
            vetor(opcoes.camera->n), vetor(opcoes.camera->v),
            Ponto(opcoes.camera->foco[0], opcoes.camera->foco[1], opcoes.camera->foco[2]));
        const std::string problema = camera.problema();
        if (!problema.empty()) {
            return "the camera cannot give a picture: " + problema;
        }
        projecao = Projecao::enquadrar(malha, camera, pedido.largura, pedido.altura);
    } else if (pedido.vista || dados->ehMalha) {
        const VistaPadrao vista =
            VistaPadrao::calcular(pedido.cima, pedido.vista.value_or(VistaPadrao::Lado::frente),
                                  malha.getCentro(), malha.getDiagonal());
        camera = detail::Camera::deEixos(vista.n, vista.v, vista.foco);
        projecao = Projecao::enquadrar(malha, camera, pedido.largura, pedido.altura);
    } else {
        camera = dados->carregada->getCamera();
        projecao = Projecao::daCena(dados->carregada->getCena(), malha, camera, pedido.largura,
                                    pedido.altura);
    }

    dados->renderizador->setEstilo(pedido.estilo);
    if (!dados->quadro || dados->quadro->getLargura() != pedido.largura ||
        dados->quadro->getAltura() != pedido.altura) {
        dados->quadro.emplace(pedido.largura, pedido.altura);
    }
    const gouraud::Buffers& pedidos = pedido.buffers;
    const bool comBuffers =
        pedidos.profundidade || pedidos.normais || pedidos.triangulo || pedidos.parte;
    if (comBuffers) {
        dados->buffers.preparar(pedidos, pedido.largura, pedido.altura);
    }
    dados->renderizador->desenhar(camera, projecao, *dados->quadro, 0,
                                  comBuffers ? &dados->buffers : nullptr);

    const std::size_t pixels =
        static_cast<std::size_t>(pedido.largura) * static_cast<std::size_t>(pedido.altura);
    imagem.rgb.resize(pixels * Imagem::kBytesPorPixel);
    GravadorPng::paraRgb(*dados->quadro, imagem.rgb.data());
    imagem.alfa.resize(dados->quadro->getTransparente() ? pixels : 0);
    if (!imagem.alfa.empty()) {
        GravadorPng::paraAlfa(*dados->quadro, imagem.alfa.data());
    }
    imagem.largura = pedido.largura;
    imagem.altura = pedido.altura;
    detail::Pinhole::matrizes(camera, projecao, imagem.K, imagem.mundoParaCamera);
    // Each buffer asked for, the others emptied (their memory kept). The frame's buffers are
    // handed over rather than copied (megabytes a picture), the picture's old memory taking
    // their place: every frame writes each buffer it asks for at every pixel.
    const auto entregar = [](bool pedido, auto& de, auto& para) {
        if (pedido) {
            para.swap(de);
        } else {
            para.clear();
        }
    };
    entregar(pedidos.profundidade, dados->buffers.profundidade, imagem.profundidade);
    entregar(pedidos.normais, dados->buffers.normais, imagem.normais);
    entregar(pedidos.triangulo, dados->buffers.triangulo, imagem.triangulo);
    entregar(pedidos.parte, dados->buffers.parte, imagem.parte);
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

std::vector<std::string> Modelo::extensoes() {
    std::vector<std::string> nomes = detail::ExtracaoAssimp::extensoes();
    for (const char* nossa : {"txt", "ply", "stl", "obj"}) {
        if (std::find(nomes.begin(), nomes.end(), nossa) == nomes.end()) {
            nomes.emplace_back(nossa);
        }
    }
    std::sort(nomes.begin(), nomes.end());
    return nomes;
}

Modelo::Caixa Modelo::caixa() const {
    const Malha& malha = dados->carregada->getMalha();
    const Ponto& menor = malha.getMenor();
    const Ponto& maior = malha.getMaior();
    return Caixa{{menor.x, menor.y, menor.z}, {maior.x, maior.y, maior.z}};
}

}  // namespace gouraud
