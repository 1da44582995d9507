#include "CenaCarregada.h"

#include <fstream>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "Arquivo.h"
#include "CaixaEnvolvente.h"
#include "LeitorAssimp.h"
#include "LeitorMalha.h"
#include "Pinhole.h"

namespace gouraud::detail {

namespace {

// A scene of the given points and triangles (moved in, not copied) seen from the view `lado` of
// the model they make with `primitivas`, with no projection window: the view is framed
// automatically.
std::unique_ptr<Gouraud> comVista(std::vector<Ponto> pontos, std::vector<Triangulo> triangulos,
                                  const Primitivas& primitivas, VistaPadrao::Cima cima,
                                  VistaPadrao::Lado lado) {
    const CaixaEnvolvente caixa(pontos.data(), static_cast<int>(pontos.size()), primitivas);
    const VistaPadrao vista =
        VistaPadrao::calcular(cima, lado, caixa.getCentro(), caixa.getDiagonal());
    return std::make_unique<Gouraud>(std::move(pontos), std::move(triangulos), vista.n, vista.v,
                                     vista.foco, 0.0, 0.0, 0.0);
}

}  // namespace

CenaCarregada::CenaCarregada(const std::string& nome, int largura, int altura)
    : CenaCarregada(nome, Opcoes{}, largura, altura) {}

CenaCarregada::CenaCarregada(const std::string& nome, const Opcoes& opcoes, int largura,
                             int altura) {
    const bool lida = LeitorMalha::ehMalha(nome) ? lerMalha(nome, opcoes) : lerCena(nome, opcoes);
    if (!lida) {
        cena.reset();
        return;
    }
    concluir(nome, opcoes, largura, altura);
}

CenaCarregada::CenaCarregada(const ModeloImportado& modelo, const std::string& nome,
                             const Opcoes& opcoes) {
    FusaoPontos fusao;
    LeitorAssimp::Leitura leitura;
    try {
        erro = LeitorAssimp::reunir(modelo, "", fusao, leitura, primitivas);
    } catch (const std::bad_alloc&) {
        erro = "there is not enough memory to read it";
    } catch (const std::length_error&) {
        erro = "there is not enough memory to read it";
    } catch (const std::invalid_argument& e) {
        erro = e.what();
    }
    if (erro.empty() && fusao.getTriangulos().empty() && primitivas.vazia()) {
        erro = "it holds nothing to draw";
    }
    if (!erro.empty()) {
        erro = nome + ": " + erro;
        return;
    }
    cena = comVista(std::move(fusao.getPontos()), std::move(fusao.getTriangulos()), primitivas,
                    opcoes.cima, opcoes.vista.value_or(VistaPadrao::Lado::frente));
    aparencia = std::move(leitura.aparencia);
    avisos = std::move(leitura.avisos);
    partes = std::move(leitura.partes);
    concluir(nome, opcoes, Projecao::kLargura, Projecao::kAltura);
}

void CenaCarregada::concluir(const std::string& nome, const Opcoes& opcoes, int largura,
                             int altura) {
    if (!cena->cenaValida()) {
        erro = nome + ": " + cena->getDiagnostico();
        cena.reset();
        return;
    }
    const std::string problema = Camera::problemaDaCena(*cena);
    if (!problema.empty()) {
        erro = nome + ": the camera cannot give a picture: " + problema;
        cena.reset();
        return;
    }
    malha = std::make_unique<Malha>(*cena, std::move(aparencia), std::move(primitivas));
    if (opcoes.olhar) {
        camera = Pinhole::camera(*opcoes.olhar);
        projecao = Pinhole::projecao(*opcoes.olhar, *malha, largura, altura);
        return;
    }
    camera = Camera(*cena);
    projecao = Projecao::daCena(*cena, *malha, camera, largura, altura);
}

bool CenaCarregada::lerCena(const std::string& nome, const Opcoes& opcoes) {
    std::ifstream arquivo;
    const std::string motivo = Arquivo::abrir(nome, arquivo);
    if (!motivo.empty()) {
        erro = "cannot open the scene " + nome + ": " + motivo;
        return false;
    }
    cena = std::make_unique<Gouraud>(arquivo, opcoes.marcador);
    arquivo.close();
    if (opcoes.vista && cena->cenaValida()) {
        const int quantPontos = cena->getQuantPontos();
        const int quantTriangulos = cena->getQuantTriangulos();
        std::vector<Ponto> pontos(cena->getListaPonto(), cena->getListaPonto() + quantPontos);
        std::vector<Triangulo> triangulos(cena->getListaTriangulo(),
                                          cena->getListaTriangulo() + quantTriangulos);
        cena.reset();
        cena = comVista(std::move(pontos), std::move(triangulos), primitivas, opcoes.cima,
                        *opcoes.vista);
    }
    return true;
}

bool CenaCarregada::lerMalha(const std::string& nome, const Opcoes& opcoes) {
    LeitorMalha leitor(nome, LeitorMalha::Leitores::todos, opcoes.isolamento, opcoes.threads);
    if (!leitor.abriu()) {
        erro = "cannot open the mesh " + nome + ": " + leitor.getErro();
        return false;
    }
    if (!leitor.valida()) {
        erro = leitor.getErroNomeiaArquivo() ? leitor.getErro() : nome + ": " + leitor.getErro();
        return false;
    }
    primitivas = std::move(leitor.getPrimitivas());
    cena = comVista(std::move(leitor.getPontos()), std::move(leitor.getTriangulos()), primitivas,
                    opcoes.cima, opcoes.vista.value_or(VistaPadrao::Lado::frente));
    aparencia = std::move(leitor.getAparencia());
    avisos = leitor.getAvisos();
    partes = std::move(leitor.getPartes());
    return true;
}

bool CenaCarregada::valida() const { return cena != nullptr; }
const std::string& CenaCarregada::getErro() const { return erro; }
Gouraud& CenaCarregada::getCena() { return *cena; }
const Malha& CenaCarregada::getMalha() const { return *malha; }
const Camera& CenaCarregada::getCamera() const { return camera; }
const Projecao& CenaCarregada::getProjecao() const { return projecao; }
bool CenaCarregada::temCores() const {
    return malha != nullptr && malha->getAparencia() != nullptr;
}
const std::vector<std::string>& CenaCarregada::getAvisos() const { return avisos; }
const std::vector<std::uint32_t>& CenaCarregada::getPartes() const { return partes; }

}  // namespace gouraud::detail
