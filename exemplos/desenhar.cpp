// Draws a scene or mesh file into a PNG through the library, with the viewer's defaults:
// the same bytes as `visualizador MODELO --imagem SAIDA.png`. Build it, once installed, with
//   g++ -std=c++20 desenhar.cpp $(pkg-config --cflags --libs gouraud) -o desenhar
#include <gouraud/Modelo.h>

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: desenhar MODELO SAIDA.png\n";
        return 2;
    }
    auto modelo = gouraud::Modelo::abrir(argv[1]);
    if (!modelo) {
        std::cerr << "desenhar: " << modelo.getErro() << "\n";
        return 1;
    }
    gouraud::Opcoes opcoes;  // 640 x 480, Gouraud shading, the file's camera or the front view
    auto imagem = modelo->desenhar(opcoes);
    if (!imagem) {
        std::cerr << "desenhar: " << imagem.getErro() << "\n";
        return 1;
    }
    const std::string erro = imagem->gravarPng(argv[2]);
    if (!erro.empty()) {
        std::cerr << "desenhar: " << erro << "\n";
        return 1;
    }
    return 0;
}
