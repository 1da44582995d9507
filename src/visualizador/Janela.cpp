#include "Janela.h"

#include <allegro.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Cronometro.h"
#include "GravadorPng.h"
#include "InicioAllegro.h"
#include "Mensagem.h"
#include "MovimentoRato.h"
#include "TabelaTeclas.h"

namespace gouraud::detail {

namespace {

using Acao = Navegacao::Acao;

// The Allegro scan code of a key of the table, or 0 for a key matched by the character it types.
int codigoAllegro(const Tecla& tecla) {
    using E = Tecla::Especial;
    switch (tecla.tipo) {
        case Tecla::Tipo::letra:
            if (tecla.caractere >= 'A' && tecla.caractere <= 'Z') {
                return KEY_A + (tecla.caractere - 'A');
            }
            return KEY_0 + (tecla.caractere - '0');
        case Tecla::Tipo::teclado:
            return KEY_0_PAD + (tecla.caractere - '0');
        case Tecla::Tipo::caractere:
            return 0;
        case Tecla::Tipo::especial:
            break;
    }
    switch (tecla.especial) {
        case E::direita:
            return KEY_RIGHT;
        case E::esquerda:
            return KEY_LEFT;
        case E::acima:
            return KEY_UP;
        case E::abaixo:
            return KEY_DOWN;
        case E::pgUp:
            return KEY_PGUP;
        case E::pgDn:
            return KEY_PGDN;
        case E::mais:
            return KEY_PLUS_PAD;
        case E::menos:
            return KEY_MINUS_PAD;
        case E::f1:
            return KEY_F1;
        case E::f12:
            return KEY_F12;
        case E::esc:
            return KEY_ESC;
    }
    return 0;
}

constexpr int kProfundidadeCor = 16;
constexpr int kProfundidade32 = 32;
// Pause between checks while nothing happens.
constexpr int kPausaMs = 10;
// How often the files are looked at.
constexpr std::chrono::milliseconds kIntervaloVigia{500};
constexpr int kCanalMaximo = 255;
constexpr int kFundoTexto = 0;
constexpr int kSemFundo = -1;
// The frame's own layout: red in the top 5 bits, green in the middle 6, blue in the low 5.
constexpr int kDeslocamentoVermelho = 11;
constexpr int kDeslocamentoVerde = 5;
constexpr int kDeslocamentoAzul = 0;
constexpr int kMaiorNumeroDeFoto = 999999;
// The pointer's position may run this far outside the window, so that a drag which leaves it
// keeps counting.
constexpr int kAlcanceRato = 1 << 20;
// The help: a dark panel that lets the picture show through a little, its margin, line height
// and the gap between its two columns, in pixels, and the greys of its frame and headings.
constexpr int kOpacidadeAjuda = 208;
constexpr int kMargemAjuda = 12;
constexpr int kAlturaLinhaAjuda = 11;
constexpr int kEspacoColunas = 16;
constexpr int kCinzaBorda = 128;
constexpr int kCinzaTitulo = 176;
constexpr char kReticencias[] = "...";

// Set from the library's own thread when the window's close button is pressed.
std::atomic<bool>& fecharPedido() {
    static std::atomic<bool> pedido{false};
    return pedido;
}

void aoFechar() { fecharPedido().store(true); }

// The mouse's movement, added up on the library's thread (whose callback takes no argument, so
// the sums live here) and taken by the window once per frame.
MovimentoRato& movimentoRato() {
    static MovimentoRato movimento;
    return movimento;
}

void aoMoverRato(int) { movimentoRato().registrar(mouse_x, mouse_y, mouse_z, mouse_b); }

// What the key read by readkey asks for: by its scan code first, then by its character.
const Atalho* atalhoDe(int tecla) {
    const int codigo = tecla >> 8;
    const int caractere = tecla & 0xFF;
    for (const EntradaTeclas& entrada : tabelaTeclas()) {
        for (const Atalho& atalho : entrada.getAtalhos()) {
            const int seu = codigoAllegro(atalho.tecla);
            if (seu != 0 && seu == codigo) {
                return &atalho;
            }
        }
    }
    for (const EntradaTeclas& entrada : tabelaTeclas()) {
        for (const Atalho& atalho : entrada.getAtalhos()) {
            if (atalho.tecla.tipo == Tecla::Tipo::caractere && caractere != 0 &&
                atalho.tecla.caractere == caractere) {
                return &atalho;
            }
        }
    }
    return nullptr;
}

// One line of the help: keys or a mouse action, and what it does; a line with no entry is a
// heading.
struct LinhaAjuda {
    std::string entrada;
    std::string efeito;
    bool titulo() const { return entrada.empty(); }
};

// The help's lines: the table of keys, then the mouse's actions, each under its heading.
std::vector<LinhaAjuda> linhasAjuda() {
    std::vector<LinhaAjuda> linhas{{"", "Keys"}};
    for (const EntradaTeclas& entrada : tabelaTeclas()) {
        linhas.push_back({std::string(entrada.rotulo), std::string(entrada.resumo)});
    }
    linhas.push_back({"", "Mouse"});
    for (const AcaoRato& acao : tabelaRato()) {
        linhas.push_back({std::string(acao.rotulo), std::string(acao.resumo)});
    }
    return linhas;
}

// `texto` as it fits in `largura` pixels of the font: whole, or its end after "...", which
// keeps a message's reason and the file's name when a long path does not fit.
std::string caber(const std::string& texto, int largura) {
    if (text_length(font, texto.c_str()) <= largura) {
        return texto;
    }
    for (std::size_t corte = 1; corte < texto.size(); ++corte) {
        const std::string parte = kReticencias + texto.substr(corte);
        if (text_length(font, parte.c_str()) <= largura) {
            return parte;
        }
    }
    return "";
}

bool arquivoExiste(const std::string& nome) {
    struct stat info {};
    return ::lstat(nome.c_str(), &info) == 0;
}

}  // namespace

void Janela::LiberaBitmap::operator()(BITMAP* bitmap) const { destroy_bitmap(bitmap); }

Janela::Janela(Visualizacao& visualizacao)
    : visualizacao(visualizacao),
      largura(visualizacao.getProjecao().largura),
      altura(visualizacao.getProjecao().altura),
      quadro(largura, altura) {}

void Janela::desenhar() {
    const Cronometro cronometro;
    previa = visualizacao.getEstilo().amostras > 1 && movendo();
    visualizacao.desenhar(quadro, previa);
    milissegundos = cronometro.milissegundos();
}

void Janela::moveu() { ultimoMovimento = std::chrono::steady_clock::now(); }

bool Janela::movendo() const {
    return std::chrono::steady_clock::now() - ultimoMovimento <
           std::chrono::milliseconds(kEsperaAmostras);
}

void Janela::mostrar() {
    // A picture of 8-bit channels on a 32-bit screen is put together in 32 bits; any other in
    // 16, as it always was, and then expanded for a 32-bit screen as its PNG is.
    const bool emCanais = quadro.temCanais() && tela32;
    if (quadro.temCanais() && !tela32 && !avisadoSemCores) {
        avisar(
            "the display has no 24- or 32-bit visual: the window shows the pictures of 8-bit "
            "channels packed into 16 bits");
        avisadoSemCores = true;
    }
    BITMAP* destino = emCanais ? tela32.get() : tela.get();
    if (emCanais) {
        for (int y = 0; y < altura; ++y) {
            const Canais* origem = quadro.linhaCanais(y);
            auto* linha = reinterpret_cast<std::uint32_t*>(tela32->line[y]);
            for (int x = 0; x < largura; ++x) {
                linha[x] = static_cast<std::uint32_t>(makecol32(Quadro::vermelhoDe(origem[x]),
                                                                Quadro::verdeDe(origem[x]),
                                                                Quadro::azulDe(origem[x])));
            }
        }
    } else {
        const bool mesmoFormato = _rgb_r_shift_16 == kDeslocamentoVermelho &&
                                  _rgb_g_shift_16 == kDeslocamentoVerde &&
                                  _rgb_b_shift_16 == kDeslocamentoAzul;
        const std::size_t bytesPorLinha = sizeof(std::uint16_t) * static_cast<std::size_t>(largura);
        for (int y = 0; y < altura; ++y) {
            const std::uint16_t* origem = quadro.linhaCor(y);
            auto* linha = reinterpret_cast<std::uint16_t*>(tela->line[y]);
            if (mesmoFormato) {
                std::memcpy(linha, origem, bytesPorLinha);
                continue;
            }
            for (int x = 0; x < largura; ++x) {
                linha[x] = static_cast<std::uint16_t>(makecol16(Quadro::vermelho(origem[x]),
                                                                Quadro::verde(origem[x]),
                                                                Quadro::azul(origem[x])));
            }
        }
    }
    if (ajudaVisivel) {
        escreverAjuda(destino);
    }
    escreverLinha(destino);
    if (tela32 && !emCanais) {
        // The 16-bit picture, overlay and help, each colour expanded as the PNG writer does.
        const bool mesmoFormato = _rgb_r_shift_16 == kDeslocamentoVermelho &&
                                  _rgb_g_shift_16 == kDeslocamentoVerde &&
                                  _rgb_b_shift_16 == kDeslocamentoAzul;
        for (int y = 0; y < altura; ++y) {
            const auto* origem = reinterpret_cast<const std::uint16_t*>(tela->line[y]);
            auto* linha = reinterpret_cast<std::uint32_t*>(tela32->line[y]);
            for (int x = 0; x < largura; ++x) {
                const int c = origem[x];
                const Canais e = mesmoFormato ? Quadro::expandir(origem[x])
                                              : Quadro::opaco(getr16(c), getg16(c), getb16(c));
                linha[x] = static_cast<std::uint32_t>(
                    makecol32(Quadro::vermelhoDe(e), Quadro::verdeDe(e), Quadro::azulDe(e)));
            }
        }
        destino = tela32.get();
    }
    blit(destino, screen, 0, 0, 0, 0, largura, altura);
}

void Janela::escreverLinha(BITMAP* destino) {
    std::string linha = problemas;
    if (linha.empty() && sobreposicaoVisivel) {
        std::ostringstream texto;
        texto.setf(std::ios::fixed);
        texto.precision(1);
        texto << visualizacao.getDescricao() << ", " << milissegundos << " ms";
        if (!mensagem.empty()) {
            texto << ", " << mensagem;
        }
        linha = texto.str();
    }
    if (linha.empty()) {
        return;
    }
    const int branco =
        makecol_depth(bitmap_color_depth(destino), kCanalMaximo, kCanalMaximo, kCanalMaximo);
    textout_ex(destino, font, caber(linha, largura).c_str(), 0, 0, branco, kFundoTexto);
}

void Janela::escreverAjuda(BITMAP* destino) {
    const std::vector<LinhaAjuda> ajuda = linhasAjuda();
    int larguraEntrada = 0;
    int larguraEfeito = 0;
    for (const LinhaAjuda& linha : ajuda) {
        if (!linha.titulo()) {
            larguraEntrada = std::max(larguraEntrada, text_length(font, linha.entrada.c_str()));
        }
        larguraEfeito = std::max(larguraEfeito, text_length(font, linha.efeito.c_str()));
    }
    // A heading after the first stands half a line apart from the lines above it.
    int alturaTexto = 0;
    for (const LinhaAjuda& linha : ajuda) {
        if (linha.titulo() && alturaTexto > 0) {
            alturaTexto += kAlturaLinhaAjuda / 2;
        }
        alturaTexto += kAlturaLinhaAjuda;
    }
    const int larguraPainel = 2 * kMargemAjuda + larguraEntrada + kEspacoColunas + larguraEfeito;
    const int alturaPainel = 2 * kMargemAjuda + alturaTexto;
    // Centred; a window too small for it shows its top-left part.
    const int x0 = std::max(0, (largura - larguraPainel) / 2);
    const int y0 = std::max(0, (altura - alturaPainel) / 2);
    const int x1 = x0 + larguraPainel - 1;
    const int y1 = y0 + alturaPainel - 1;

    const int bits = bitmap_color_depth(destino);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    set_trans_blender(0, 0, 0, kOpacidadeAjuda);
    rectfill(destino, x0, y0, x1, y1, makecol_depth(bits, 0, 0, 0));
    solid_mode();
    rect(destino, x0, y0, x1, y1, makecol_depth(bits, kCinzaBorda, kCinzaBorda, kCinzaBorda));

    const int branco = makecol_depth(bits, kCanalMaximo, kCanalMaximo, kCanalMaximo);
    const int cinza = makecol_depth(bits, kCinzaTitulo, kCinzaTitulo, kCinzaTitulo);
    const int colunaEntrada = x0 + kMargemAjuda;
    const int colunaEfeito = colunaEntrada + larguraEntrada + kEspacoColunas;
    int y = y0 + kMargemAjuda;
    for (const LinhaAjuda& linha : ajuda) {
        if (linha.titulo() && y > y0 + kMargemAjuda) {
            y += kAlturaLinhaAjuda / 2;
        }
        if (linha.titulo()) {
            textout_ex(destino, font, linha.efeito.c_str(), colunaEntrada, y, cinza, kSemFundo);
        } else {
            textout_ex(destino, font, linha.entrada.c_str(), colunaEntrada, y, branco, kSemFundo);
            textout_ex(destino, font, linha.efeito.c_str(), colunaEfeito, y, branco, kSemFundo);
        }
        y += kAlturaLinhaAjuda;
    }
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

bool Janela::notarProblemas() {
    std::string agora = visualizacao.getProblemas();
    if (agora == problemas) {
        return false;
    }
    if (!agora.empty()) {
        avisar(agora);
    }
    problemas = std::move(agora);
    return true;
}

bool Janela::executar(Comando comando, Navegacao::Acao acao) {
    switch (comando) {
        case Comando::mover:
            visualizacao.aplicar(acao);
            moveu();
            desatualizado = true;
            break;
        case Comando::modo:
        case Comando::arestas:
        case Comando::normais:
        case Comando::cores:
        case Comando::bits:
        case Comando::amostras:
        case Comando::edl:
        case Comando::pontoMenor:
        case Comando::pontoMaior: {
            Estilo estilo = visualizacao.getEstilo();
            if (comando == Comando::modo) {
                estilo.modo = Estilo::modoSeguinte(estilo.modo);
            } else if (comando == Comando::arestas) {
                estilo.arestas = !estilo.arestas;
            } else if (comando == Comando::cores) {
                estilo.cores = !estilo.cores;
            } else if (comando == Comando::normais) {
                estilo.normais = !estilo.normais;
            } else if (comando == Comando::bits) {
                estilo.bits24 = !estilo.bits24;
            } else if (comando == Comando::amostras) {
                estilo.amostras = Estilo::amostrasSeguintes(estilo.amostras, largura, altura);
            } else if (comando == Comando::edl) {
                estilo.edl = !estilo.edl;
            } else {
                estilo.tamanhoPonto = Estilo::pontoSeguinte(
                    estilo.tamanhoPonto, comando == Comando::pontoMaior ? 1 : -1);
            }
            visualizacao.setEstilo(estilo);
            desatualizado = true;
            break;
        }
        case Comando::recarregar:
            visualizacao.recarregar();
            notarProblemas();
            desatualizado = true;
            break;
        case Comando::sobreposicao:
            sobreposicaoVisivel = !sobreposicaoVisivel;
            redesenhar = true;
            break;
        case Comando::ajuda:
            ajudaVisivel = !ajudaVisivel;
            redesenhar = true;
            break;
        case Comando::salvar:
            // The picture of all the samples, not a frame drawn while the model moved.
            if (desatualizado || previa) {
                ultimoMovimento = {};
                desenhar();
                desatualizado = false;
            }
            salvar();
            redesenhar = true;
            break;
        case Comando::sair:
            return false;
    }
    return true;
}

void Janela::seguirRato() {
    const MovimentoRato::Soma soma = movimentoRato().tomar();
    if (soma.giroX != 0 || soma.giroY != 0 || soma.deslocamentoX != 0 || soma.deslocamentoY != 0 ||
        soma.roda != 0) {
        moveu();
    }
    if (soma.giroX != 0 || soma.giroY != 0) {
        visualizacao.girarArrasto(soma.giroX, soma.giroY);
        desatualizado = true;
    }
    if (soma.deslocamentoX != 0 || soma.deslocamentoY != 0) {
        visualizacao.deslocar(soma.deslocamentoX, soma.deslocamentoY);
        desatualizado = true;
    }
    // Each notch is exactly one step, as one press of Page Up or Page Down.
    for (int entalhe = 0; entalhe < soma.roda; ++entalhe) {
        visualizacao.aplicar(Acao::aproximar);
        desatualizado = true;
    }
    for (int entalhe = 0; entalhe > soma.roda; --entalhe) {
        visualizacao.aplicar(Acao::afastar);
        desatualizado = true;
    }
}

int Janela::executar(const std::string& titulo) {
    if (!InicioAllegro::iniciar("visualizador", {GFX_AUTODETECT_WINDOWED, GFX_AUTODETECT}, largura,
                                altura, InicioAllegro::kCorDaArea)) {
        return 1;
    }
    // The picture is put together off screen, then copied to the window in one blit; on a
    // screen of more than 16 bits, through a 32-bit picture.
    tela.reset(create_bitmap_ex(kProfundidadeCor, largura, altura));
    if (bitmap_color_depth(screen) > kProfundidadeCor) {
        tela32.reset(create_bitmap_ex(kProfundidade32, largura, altura));
    }
    if (!tela || (bitmap_color_depth(screen) > kProfundidadeCor && !tela32)) {
        allegro_exit();
        avisar("no memory for the window's picture");
        return 1;
    }
    set_window_title(titulo.c_str());
    set_close_button_callback(aoFechar);
    // Without a mouse the keys still work.
    const bool comRato = install_mouse() >= 0;
    if (comRato) {
        set_mouse_range(-kAlcanceRato, -kAlcanceRato, kAlcanceRato, kAlcanceRato);
        position_mouse_z(0);
        // The system's own pointer, drawn by the display and never into the picture; the
        // library hides it over the window otherwise.
        enable_hardware_cursor();
        select_mouse_cursor(MOUSE_CURSOR_ARROW);
        if ((gfx_capabilities & GFX_HW_CURSOR) != 0) {
            show_mouse(screen);
        }
        movimentoRato().tomar();
        mouse_callback = aoMoverRato;
    }

    auto proximaOlhada = std::chrono::steady_clock::now() + kIntervaloVigia;
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
        // Everything that arrived while the last frame was drawn counts, and all of it is
        // answered by one new frame, so a held key or a long drag never leaves a backlog.
        seguirRato();
        bool sair = false;
        while (keypressed() && !sair) {
            if (const Atalho* atalho = atalhoDe(readkey())) {
                sair = !executar(atalho->comando, atalho->acao);
            }
        }
        if (sair) {
            break;
        }
        const auto agora = std::chrono::steady_clock::now();
        if (agora >= proximaOlhada) {
            if (visualizacao.vigiar()) {
                desatualizado = true;
            }
            redesenhar = notarProblemas() || redesenhar;
            proximaOlhada = agora + kIntervaloVigia;
        }
        // Once the model stopped, the picture of all the samples replaces the quick frames.
        if (previa && !desatualizado && !movendo()) {
            desatualizado = true;
        }
        if (!desatualizado && !redesenhar) {
            rest(kPausaMs);
        }
    }
    if (comRato) {
        mouse_callback = nullptr;
        show_mouse(nullptr);
    }
    tela.reset();
    tela32.reset();
    clear_keybuf();
    allegro_exit();
    return 0;
}

}  // namespace gouraud::detail
