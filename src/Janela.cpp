#include "Janela.h"

#include <allegro.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>

#include "FalhaAllegro.h"
#include "GravadorPng.h"

namespace {

constexpr int kProfundidadeCor = 16;
constexpr int kSemTamanhoVirtual = 0;
// Pause between key checks while nothing happens.
constexpr int kPausaMs = 10;
constexpr int kCanalMaximo = 255;
constexpr int kFundoTexto = 0;
// Bytes of a 16-bit row.
constexpr std::size_t kBytesPorLinha = sizeof(std::uint16_t) * Quadro::kLargura;
// The frame's own layout: red in the top 5 bits, green in the middle 6, blue in the low 5.
constexpr int kDeslocamentoVermelho = 11;
constexpr int kDeslocamentoVerde = 5;
constexpr int kDeslocamentoAzul = 0;
constexpr int kMaiorNumeroDeFoto = 999999;

// Set from the library's own thread when the window's close button is pressed.
std::atomic<bool>& fecharPedido() {
    static std::atomic<bool> pedido{false};
    return pedido;
}

void aoFechar() { fecharPedido().store(true); }

// Reports a start-up step that failed, under this program's name.
void relatarFalha(const char* etapa) { FalhaAllegro::relatar("visualizador", etapa); }

// Brings the library up with a 640 x 480 16-bit window (full screen only if no window can be
// had); false, after saying which step failed, when it cannot.
bool iniciar() {
    if (allegro_init() != 0) {
        relatarFalha("allegro_init");
        return false;
    }
    set_color_depth(kProfundidadeCor);
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, Quadro::kLargura, Quadro::kAltura, kSemTamanhoVirtual,
                     kSemTamanhoVirtual) != 0 &&
        set_gfx_mode(GFX_AUTODETECT, Quadro::kLargura, Quadro::kAltura, kSemTamanhoVirtual,
                     kSemTamanhoVirtual) != 0) {
        relatarFalha("set_gfx_mode");
        allegro_exit();
        return false;
    }
    if (install_timer() != 0) {
        relatarFalha("install_timer");
        allegro_exit();
        return false;
    }
    if (install_keyboard() != 0) {
        relatarFalha("install_keyboard");
        allegro_exit();
        return false;
    }
    return true;
}

struct LiberaBitmap {
    void operator()(BITMAP* bitmap) const { destroy_bitmap(bitmap); }
};

bool arquivoExiste(const std::string& nome) {
    struct stat info {};
    return ::lstat(nome.c_str(), &info) == 0;
}

}  // namespace

Janela::Janela(Renderizador& renderizador, Navegacao& navegacao, const Projecao& projecao,
               int quantTriangulos)
    : renderizador(renderizador),
      navegacao(navegacao),
      projecao(projecao),
      quantTriangulos(quantTriangulos) {}

void Janela::desenhar() {
    const auto inicio = std::chrono::steady_clock::now();
    renderizador.desenhar(navegacao.getCamera(), projecao, quadro);
    const std::chrono::duration<double, std::milli> duracao =
        std::chrono::steady_clock::now() - inicio;
    milissegundos = duracao.count();
}

void Janela::mostrar() {
    const std::unique_ptr<BITMAP, LiberaBitmap> tela(
        create_bitmap_ex(kProfundidadeCor, Quadro::kLargura, Quadro::kAltura));
    if (!tela) {
        return;
    }
    const bool mesmoFormato = _rgb_r_shift_16 == kDeslocamentoVermelho &&
                              _rgb_g_shift_16 == kDeslocamentoVerde &&
                              _rgb_b_shift_16 == kDeslocamentoAzul;
    for (int y = 0; y < Quadro::kAltura; ++y) {
        const std::uint16_t* origem = quadro.linhaCor(y);
        auto* destino = reinterpret_cast<std::uint16_t*>(tela->line[y]);
        if (mesmoFormato) {
            std::memcpy(destino, origem, kBytesPorLinha);
            continue;
        }
        for (int x = 0; x < Quadro::kLargura; ++x) {
            destino[x] = static_cast<std::uint16_t>(makecol16(
                Quadro::vermelho(origem[x]), Quadro::verde(origem[x]), Quadro::azul(origem[x])));
        }
    }
    if (sobreposicaoVisivel) {
        std::ostringstream texto;
        texto.setf(std::ios::fixed);
        texto.precision(1);
        texto << quantTriangulos << " triangles, " << milissegundos << " ms";
        if (!mensagem.empty()) {
            texto << ", " << mensagem;
        }
        const int branco = makecol(kCanalMaximo, kCanalMaximo, kCanalMaximo);
        textout_ex(tela.get(), font, texto.str().c_str(), 0, 0, branco, kFundoTexto);
    }
    blit(tela.get(), screen, 0, 0, 0, 0, Quadro::kLargura, Quadro::kAltura);
}

void Janela::salvar() {
    for (int numero = 1; numero <= kMaiorNumeroDeFoto; ++numero) {
        char nome[sizeof("visualizador-999999.png")];
        std::snprintf(nome, sizeof(nome), "visualizador-%03d.png", numero);
        if (arquivoExiste(nome)) {
            continue;
        }
        const std::string erro = GravadorPng::gravar(quadro, nome);
        mensagem = erro.empty() ? std::string("saved ") + nome
                                : std::string("cannot write ") + nome + ": " + erro;
        return;
    }
    mensagem = "no free name for a picture";
}

int Janela::executar(const std::string& titulo) {
    if (!iniciar()) {
        return 1;
    }
    set_window_title(titulo.c_str());
    set_close_button_callback(aoFechar);

    bool desatualizado = true;
    bool redesenhar = true;
    for (;;) {
        if (desatualizado) {
            desenhar();
            desatualizado = false;
            redesenhar = true;
        }
        if (redesenhar) {
            mostrar();
            redesenhar = false;
        }
        if (fecharPedido().load()) {
            break;
        }
        if (!keypressed()) {
            rest(kPausaMs);
            continue;
        }
        // Every key that arrived while the last frame was drawn counts, and all of them are
        // answered by one new frame, so a held key never leaves a backlog behind it.
        bool sair = false;
        while (keypressed() && !sair) {
            const int tecla = readkey();
            const int codigo = tecla >> 8;
            const int caractere = tecla & 0xFF;
            switch (codigo) {
                case KEY_ESC:
                    sair = true;
                    break;
                case KEY_RIGHT:
                    navegacao.aplicar(Navegacao::Acao::direita);
                    desatualizado = true;
                    break;
                case KEY_LEFT:
                    navegacao.aplicar(Navegacao::Acao::esquerda);
                    desatualizado = true;
                    break;
                case KEY_UP:
                    navegacao.aplicar(Navegacao::Acao::cima);
                    desatualizado = true;
                    break;
                case KEY_DOWN:
                    navegacao.aplicar(Navegacao::Acao::baixo);
                    desatualizado = true;
                    break;
                case KEY_PGUP:
                case KEY_PLUS_PAD:
                    navegacao.aplicar(Navegacao::Acao::aproximar);
                    desatualizado = true;
                    break;
                case KEY_PGDN:
                case KEY_MINUS_PAD:
                    navegacao.aplicar(Navegacao::Acao::afastar);
                    desatualizado = true;
                    break;
                case KEY_R:
                    navegacao.aplicar(Navegacao::Acao::restaurar);
                    desatualizado = true;
                    break;
                case KEY_H:
                    sobreposicaoVisivel = !sobreposicaoVisivel;
                    redesenhar = true;
                    break;
                case KEY_F12:
                    if (desatualizado) {
                        desenhar();
                        desatualizado = false;
                    }
                    salvar();
                    redesenhar = true;
                    break;
                default:
                    if (caractere == '+') {
                        navegacao.aplicar(Navegacao::Acao::aproximar);
                        desatualizado = true;
                    } else if (caractere == '-') {
                        navegacao.aplicar(Navegacao::Acao::afastar);
                        desatualizado = true;
                    }
                    break;
            }
        }
        if (sair) {
            break;
        }
    }
    clear_keybuf();
    allegro_exit();
    return 0;
}
