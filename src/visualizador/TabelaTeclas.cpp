#include "TabelaTeclas.h"

#include <initializer_list>

namespace gouraud::detail {

namespace {

using Acao = Navegacao::Acao;
using E = Tecla::Especial;

constexpr Atalho mover(Tecla tecla, Acao acao) { return Atalho{tecla, Comando::mover, acao}; }
constexpr Atalho pedir(Tecla tecla, Comando comando) { return Atalho{tecla, comando, {}}; }

constexpr EntradaTeclas entrada(std::string_view rotulo, std::string_view resumo,
                                std::string_view descricao, std::string_view opcao,
                                std::initializer_list<Atalho> atalhos) {
    EntradaTeclas e{rotulo, resumo, descricao, opcao, {}, 0};
    for (const Atalho& atalho : atalhos) {
        e.atalhos[static_cast<std::size_t>(e.quantAtalhos++)] = atalho;
    }
    return e;
}

constexpr EntradaTeclas kTeclas[] = {
    entrada("Left, Right", "turn 5 degrees about the vertical axis",
            "turn the model 5 degrees about the vertical axis through its turning centre (at "
            "first its bounding box's centre)",
            "",
            {mover(Tecla::de(E::direita), Acao::direita),
             mover(Tecla::de(E::esquerda), Acao::esquerda)}),
    entrada("Up, Down", "turn 5 degrees about the horizontal axis",
            "turn it 5 degrees about the horizontal axis through that centre", "",
            {mover(Tecla::de(E::acima), Acao::cima), mover(Tecla::de(E::abaixo), Acao::baixo)}),
    entrada("Page Up, +", "10% nearer the centre",
            "move the camera 10 % of its distance nearer the centre", "",
            {mover(Tecla::de(E::pgUp), Acao::aproximar), mover(Tecla::de(E::mais), Acao::aproximar),
             mover(Tecla::texto('+'), Acao::aproximar)}),
    entrada("Page Down, -", "10% further away", "move it 10 % of its distance further away", "",
            {mover(Tecla::de(E::pgDn), Acao::afastar), mover(Tecla::de(E::menos), Acao::afastar),
             mover(Tecla::texto('-'), Acao::afastar)}),
    // The views where the numeric keypad puts them, on the keypad or the row of digits.
    entrada(
        "1, 3, 7, 9", "front, right, top, iso view, framed",
        "the front, right, top and iso views (keypad or digit row): exactly the picture of "
        "--vista frente, direita, topo or iso with the same --cima, framed anew at the "
        "window's size, for a mesh or a scene file; the turning centre goes back to the "
        "bounding box's centre",
        "--vista",
        {mover(Tecla::letra('1'), Acao::vistaFrente), mover(Tecla::teclado('1'), Acao::vistaFrente),
         mover(Tecla::letra('3'), Acao::vistaDireita),
         mover(Tecla::teclado('3'), Acao::vistaDireita), mover(Tecla::letra('7'), Acao::vistaTopo),
         mover(Tecla::teclado('7'), Acao::vistaTopo), mover(Tecla::letra('9'), Acao::vistaIso),
         mover(Tecla::teclado('9'), Acao::vistaIso)}),
    entrada("R", "back to the starting view",
            "back to the starting view, exactly, whatever the keys and the mouse did", "",
            {mover(Tecla::letra('R'), Acao::restaurar)}),
    entrada("M", "next shading: plano, gouraud, phong",
            "next shading mode: plano, then gouraud, then phong, then plano again", "--modo",
            {pedir(Tecla::letra('M'), Comando::modo)}),
    entrada("E", "show or hide the mesh's edges", "show or hide the mesh's edges", "--arestas",
            {pedir(Tecla::letra('E'), Comando::arestas)}),
    entrada("N", "show or hide the normals' needles", "show or hide the normals' needles",
            "--normais", {pedir(Tecla::letra('N'), Comando::normais)}),
    entrada("C", "the file's colours and textures off or on",
            "turn the file's colours, materials and textures off (exactly the --sem-cor picture) "
            "or on again",
            "--sem-cor", {pedir(Tecla::letra('C'), Comando::cores)}),
    entrada("[, ]", "points one pixel smaller, larger",
            "the points one pixel smaller or larger, from 1 to 16 pixels", "--ponto",
            {pedir(Tecla::texto('['), Comando::pontoMenor),
             pedir(Tecla::texto(']'), Comando::pontoMaior)}),
    entrada("B", "24 or 16 bits of colour",
            "24 bits of colour (each channel as the lighting floors it) or 16 (packed as the "
            "screen the project grew from)",
            "--bits", {pedir(Tecla::letra('B'), Comando::bits)}),
    entrada("A", "anti-aliasing: 1, 2, 3, 4 samples a side",
            "anti-aliasing: 1, 2, 3, 4 samples a side, then 1 again; while the model moves the "
            "frames are drawn at 1, and 150 ms after it stops the picture of --aa",
            "--aa", {pedir(Tecla::letra('A'), Comando::amostras)}),
    entrada("D", "eye-dome lighting on or off", "eye-dome lighting on or off", "--edl",
            {pedir(Tecla::letra('D'), Comando::edl)}),
    entrada("L", "read the scene and lighting files again",
            "read the scene or mesh file and the lighting file again", "--iluminacao",
            {pedir(Tecla::letra('L'), Comando::recarregar)}),
    entrada("H", "show or hide the mode, the counts, the time",
            "show or hide the overlay: the mode and the switches that are on, the counts of "
            "triangles, lines and points, the last frame's time and the last picture saved",
            "", {pedir(Tecla::letra('H'), Comando::sobreposicao)}),
    entrada("F12", "save the picture as visualizador-NNN.png",
            "save the frame (without the overlay or the help) as visualizador-NNN.png, the first "
            "free number from 001, in the current folder",
            "--imagem", {pedir(Tecla::de(E::f12), Comando::salvar)}),
    entrada("F1, ?", "show or hide this help",
            "show or hide the list of keys and mouse actions over the picture", "--help",
            {pedir(Tecla::de(E::f1), Comando::ajuda), pedir(Tecla::texto('?'), Comando::ajuda)}),
    entrada("ESC", "quit", "quit (status 0), as the window's close button does", "",
            {pedir(Tecla::de(E::esc), Comando::sair)}),
};

constexpr AcaoRato kRato[] = {
    {"left drag", "turn, 0.5 degrees a pixel",
     "turn the model 0.5 degrees per pixel: across as Left and Right (dragging right turns as "
     "Right), up and down as Up and Down; a drag of 10 pixels is exactly one arrow"},
    {"right/middle drag", "move the model with the pointer",
     "move the camera and the turning centre parallel to the screen, so that points at the depth "
     "of the centre follow the pointer (nearer ones move more, further ones less)"},
    {"wheel", "nearer (away from you) or further",
     "one notch away from you is exactly one Page Up, one towards you one Page Down"},
};

}  // namespace

std::span<const EntradaTeclas> tabelaTeclas() { return kTeclas; }

std::span<const AcaoRato> tabelaRato() { return kRato; }

}  // namespace gouraud::detail
