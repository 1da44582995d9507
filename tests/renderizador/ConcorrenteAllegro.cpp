#include "ConcorrenteAllegro.h"

// Allegro is only a library here: no magic main, and its header stays inside this file.
#define ALLEGRO_NO_MAGIC_MAIN
#include <allegro.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace gouraud::detail {

namespace {

constexpr int kProfundidadeCor = 16;

// 8-bit channel of a lighting colour (0 .. 255), truncated as the renderers do.
int canal(double valor) { return valor > 0 ? static_cast<int>(valor < 255.0 ? valor : 255.0) : 0; }

}  // namespace

struct ConcorrenteAllegro::Estado {
    const Malha& malha;
    Iluminacao iluminacao;
    BITMAP* bitmap = nullptr;
    ZBUFFER* zbuffer = nullptr;
    std::vector<V3D_f> vertices;
    // Per point: whether it lies on or beyond the near plane, decided in double.
    std::vector<std::uint8_t> alemDoPlano;
    int pulados = 0;
    std::string erro;

    Estado(const Malha& m, const Iluminacao& i) : malha(m), iluminacao(i) {}
};

std::string ConcorrenteAllegro::iniciar() {
    if (install_allegro(SYSTEM_NONE, &errno, std::atexit) != 0) {
        return std::string("install_allegro failed: ") + allegro_error;
    }
    set_color_depth(kProfundidadeCor);
    return "";
}

std::string ConcorrenteAllegro::versao() { return allegro_id; }

ConcorrenteAllegro::ConcorrenteAllegro(const Malha& malha, const Iluminacao& iluminacao,
                                       int largura, int altura)
    : estado(std::make_unique<Estado>(malha, iluminacao)) {
    estado->bitmap = create_bitmap_ex(kProfundidadeCor, largura, altura);
    if (estado->bitmap == nullptr) {
        estado->erro = "create_bitmap_ex failed";
        return;
    }
    estado->zbuffer = create_zbuffer(estado->bitmap);
    if (estado->zbuffer == nullptr) {
        estado->erro = "create_zbuffer failed";
        return;
    }
    estado->vertices.resize(static_cast<std::size_t>(malha.getQuantPontos()));
    estado->alemDoPlano.resize(static_cast<std::size_t>(malha.getQuantPontos()));
}

ConcorrenteAllegro::~ConcorrenteAllegro() {
    if (estado->zbuffer != nullptr) destroy_zbuffer(estado->zbuffer);
    if (estado->bitmap != nullptr) destroy_bitmap(estado->bitmap);
}

const std::string& ConcorrenteAllegro::getErro() const { return estado->erro; }

void ConcorrenteAllegro::desenhar(const Camera& camera, const Projecao& projecao) {
    Estado& e = *estado;
    const Malha& malha = e.malha;
    const Ponto luz = e.iluminacao.luzNoFoco ? camera.foco : e.iluminacao.luz;
    const Ponto* pontos = malha.getPontos();
    for (int i = 0; i < malha.getQuantPontos(); ++i) {
        const Vetor c = camera.coordenadas(pontos[i]);
        const Vetor cor =
            e.iluminacao.corDoVertice(pontos[i], malha.getNormal(i), camera.foco, luz);
        const auto k = static_cast<std::size_t>(i);
        V3D_f& v = e.vertices[k];
        // Points in front of the near plane are never drawn, so their position does not matter.
        const bool alem = c.z >= projecao.zPerto;
        e.alemDoPlano[k] = alem ? 1 : 0;
        v.x = alem ? static_cast<float>(projecao.xTela(c.x, c.z)) : 0.0F;
        v.y = alem ? static_cast<float>(projecao.yTela(c.y, c.z)) : 0.0F;
        v.z = static_cast<float>(c.z);
        v.u = 0.0F;
        v.v = 0.0F;
        v.c = (canal(cor.x) << 16) | (canal(cor.y) << 8) | canal(cor.z);
    }

    clear_bitmap(e.bitmap);
    // 0 is infinitely far: Allegro's z-buffer holds 1/z.
    clear_zbuffer(e.zbuffer, 0.0F);
    set_zbuffer(e.zbuffer);
    const Triangulo* triangulos = malha.getTriangulos();
    int pulados = 0;
    for (int t = 0; t < malha.getQuantTriangulos(); ++t) {
        const auto a = static_cast<std::size_t>(triangulos[t].indiceP1);
        const auto b = static_cast<std::size_t>(triangulos[t].indiceP2);
        const auto c = static_cast<std::size_t>(triangulos[t].indiceP3);
        if ((e.alemDoPlano[a] & e.alemDoPlano[b] & e.alemDoPlano[c]) == 0) {
            ++pulados;
            continue;
        }
        triangle3d_f(e.bitmap, POLYTYPE_GRGB | POLYTYPE_ZBUF, nullptr, &e.vertices[a],
                     &e.vertices[b], &e.vertices[c]);
    }
    e.pulados = pulados;
}

int ConcorrenteAllegro::getTriangulosPulados() const { return estado->pulados; }

void ConcorrenteAllegro::copiar(Quadro& quadro) const {
    quadro.limpar();
    for (int y = 0; y < quadro.getAltura() && y < estado->bitmap->h; ++y) {
        std::uint16_t* linha = quadro.linhaCor(y);
        for (int x = 0; x < quadro.getLargura() && x < estado->bitmap->w; ++x) {
            const int pixel = _getpixel16(estado->bitmap, x, y);
            linha[x] = Quadro::empacotar(getr16(pixel), getg16(pixel), getb16(pixel));
        }
    }
}

}  // namespace gouraud::detail
