#include "CenaCarregada.h"

#include <fstream>
#include <utility>

#include "Arquivo.h"

CenaCarregada::CenaCarregada(const std::string& nome, int largura, int altura) {
    std::ifstream arquivo;
    const std::string motivo = Arquivo::abrir(nome, arquivo);
    if (!motivo.empty()) {
        erro = "cannot open the scene " + nome + ": " + motivo;
        return;
    }
    auto lida = std::make_unique<Gouraud>(arquivo);
    arquivo.close();
    if (!lida->cenaValida()) {
        erro = nome + ": " + lida->getDiagnostico();
        return;
    }
    const std::string problema = Camera::problemaDaCena(*lida);
    if (!problema.empty()) {
        erro = nome + ": the camera cannot give a picture: " + problema;
        return;
    }
    malha = std::make_unique<Malha>(*lida);
    camera = Camera(*lida);
    projecao = Projecao::daCena(*lida, *malha, camera, largura, altura);
    cena = std::move(lida);
}

bool CenaCarregada::valida() const { return cena != nullptr; }
const std::string& CenaCarregada::getErro() const { return erro; }
Gouraud& CenaCarregada::getCena() { return *cena; }
const Malha& CenaCarregada::getMalha() const { return *malha; }
const Camera& CenaCarregada::getCamera() const { return camera; }
const Projecao& CenaCarregada::getProjecao() const { return projecao; }
