#include "Janela.h"

#include <allegro.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "GravadorPng.h"
#include "InicioAllegro.h"

namespace {

constexpr int kProfundidadeCor = 16;
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

// The camera move a key asks for: by its scan code, or by its character for + and - (wherever
// the keyboard puts them).
std::optional<Navegacao::Acao> movimento(int codigo, int caractere) {
    using Acao = Navegacao::Acao;
    switch (codigo) {
        case KEY_RIGHT:
            return Acao::direita;
        case KEY_LEFT:
            return Acao::esquerda;
        case KEY_UP:
            return Acao::cima;
        case KEY_DOWN:
            return Acao::baixo;
        case KEY_PGUP:
        case KEY_PLUS_PAD:
            return Acao::aproximar;
        case KEY_PGDN:
        case KEY_MINUS_PAD:
            return Acao::afastar;
        case KEY_R:
            return Acao::restaurar;
        // The views of the numeric keypad's layout, on the keypad or the row of digits.
        case KEY_1:
        case KEY_1_PAD:
            return Acao::vistaFrente;
        case KEY_3:
        case KEY_3_PAD:
            return Acao::vistaDireita;
        case KEY_7:
        case KEY_7_PAD:
            return Acao::vistaTopo;
        case KEY_9:
        case KEY_9_PAD:
            return Acao::vistaIso;
        default:
            break;
    }
    if (caractere == '+') {
        return Acao::aproximar;
    }
    if (caractere == '-') {
        return Acao::afastar;
    }
    return std::nullopt;
}

bool arquivoExiste(const std::string& nome) {
    struct stat info {};
    return ::lstat(nome.c_str(), &info) == 0;
}

}  // namespace

void Janela::LiberaBitmap::operator()(BITMAP* bitmap) const { destroy_bitmap(bitmap); }

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
    if (!InicioAllegro::iniciar("visualizador", {GFX_AUTODETECT_WINDOWED, GFX_AUTODETECT})) {
        return 1;
    }
    // The picture is put together off screen, then copied to the window in one blit.
    tela.reset(create_bitmap_ex(kProfundidadeCor, Quadro::kLargura, Quadro::kAltura));
    if (!tela) {
        allegro_exit();
        std::cerr << "visualizador: no memory for the window's picture" << std::endl;
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
            if (const std::optional<Navegacao::Acao> acao = movimento(codigo, caractere)) {
                navegacao.aplicar(*acao);
                desatualizado = true;
            } else if (codigo == KEY_ESC) {
                sair = true;
            } else if (codigo == KEY_H) {
                sobreposicaoVisivel = !sobreposicaoVisivel;
                redesenhar = true;
            } else if (codigo == KEY_F12) {
                if (desatualizado) {
                    desenhar();
                    desatualizado = false;
                }
                salvar();
                redesenhar = true;
            }
        }
        if (sair) {
            break;
        }
    }
    tela.reset();
    clear_keybuf();
    allegro_exit();
    return 0;
}
