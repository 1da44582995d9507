#include "ConcorrenteOsmesa.h"

#include <GL/osmesa.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

namespace gouraud::detail {

namespace {

constexpr int kBitsProfundidadePedidos = 24;
constexpr double kCanalMaximo = 255.0;
// Blinn's exponent that gives the highlight of Phong's eta with the light at the eye.
constexpr double kBlinnPorPhong = 4.0;
constexpr double kMaiorBrilho = 128.0;
// The side of a point, in pixels.
constexpr GLfloat kTamanhoPonto = 3.0F;

}  // namespace

struct ConcorrenteOsmesa::Estado {
    const Malha& malha;
    Iluminacao iluminacao;
    OSMesaContext contexto = nullptr;
    std::vector<std::uint16_t> cores;
    std::vector<float> posicoes;
    std::vector<float> normais;
    std::vector<GLuint> indices;
    // The loose points' and the lines' ends' positions and colours (red, green, blue bytes).
    std::vector<float> pontos;
    std::vector<GLubyte> coresPontos;
    std::vector<float> extremos;
    std::vector<GLubyte> coresExtremos;
    std::string erro;
    GLint bitsProfundidade = 0;
    int largura;
    int altura;

    Estado(const Malha& m, const Iluminacao& i, int w, int h)
        : malha(m), iluminacao(i), largura(w), altura(h) {}
};

ConcorrenteOsmesa::ConcorrenteOsmesa(const Malha& malha, const Iluminacao& iluminacao, int largura,
                                     int altura)
    : estado(std::make_unique<Estado>(malha, iluminacao, largura, altura)) {
    Estado& e = *estado;
    e.contexto = OSMesaCreateContextExt(OSMESA_RGB_565, kBitsProfundidadePedidos, 0, 0, nullptr);
    if (e.contexto == nullptr) {
        e.erro = "OSMesaCreateContextExt(OSMESA_RGB_565, 24 depth bits) failed";
        return;
    }
    e.cores.resize(static_cast<std::size_t>(largura) * static_cast<std::size_t>(altura));
    if (!OSMesaMakeCurrent(e.contexto, e.cores.data(), GL_UNSIGNED_SHORT_5_6_5, largura, altura)) {
        e.erro = "OSMesaMakeCurrent failed";
        return;
    }
    glGetIntegerv(GL_DEPTH_BITS, &e.bitsProfundidade);

    // The arrays OpenGL reads: single floats, the same points, normals and triangles.
    const int pontos = malha.getQuantPontos();
    e.posicoes.reserve(3 * static_cast<std::size_t>(pontos));
    e.normais.reserve(3 * static_cast<std::size_t>(pontos));
    for (int i = 0; i < pontos; ++i) {
        const Ponto& p = malha.getPontos()[i];
        e.posicoes.insert(e.posicoes.end(), {static_cast<float>(p.x), static_cast<float>(p.y),
                                             static_cast<float>(p.z)});
        // A point without a normal gets the zero one: N.L = 0, so ambient only, as Iluminacao.
        const Vetor* n = malha.getNormal(i);
        e.normais.insert(e.normais.end(),
                         {n ? static_cast<float>(n->x) : 0.0F, n ? static_cast<float>(n->y) : 0.0F,
                          n ? static_cast<float>(n->z) : 0.0F});
    }
    e.indices.reserve(3 * static_cast<std::size_t>(malha.getQuantTriangulos()));
    for (int t = 0; t < malha.getQuantTriangulos(); ++t) {
        const Triangulo& tri = malha.getTriangulos()[t];
        e.indices.insert(e.indices.end(),
                         {static_cast<GLuint>(tri.indiceP1), static_cast<GLuint>(tri.indiceP2),
                          static_cast<GLuint>(tri.indiceP3)});
    }

    // The points and lines, with the colour of each lit head-on.
    const Primitivas& primitivas = malha.getPrimitivas();
    const auto deFrente = [&iluminacao](const std::vector<Primitivas::Terno>& cores, std::size_t k,
                                        std::vector<GLubyte>& saida) {
        const Iluminacao& l = iluminacao;
        Vetor od = l.od;
        if (!cores.empty() && Primitivas::temCor(cores[k])) {
            od = Vetor(cores[k].x, cores[k].y, cores[k].z);
        }
        for (const double canal :
             {l.ka * l.ia.x + l.kd * od.x * l.il.x, l.ka * l.ia.y + l.kd * od.y * l.il.y,
              l.ka * l.ia.z + l.kd * od.z * l.il.z}) {
            saida.push_back(static_cast<GLubyte>(std::clamp(canal, 0.0, kCanalMaximo)));
        }
    };
    for (int i = 0; i < primitivas.getQuantPontos(); ++i) {
        const Primitivas::Terno p = primitivas.getPosicao(i);
        e.pontos.insert(e.pontos.end(), {p.x, p.y, p.z});
        deFrente(primitivas.getCores(), static_cast<std::size_t>(i), e.coresPontos);
    }
    for (std::size_t k = 0; k < primitivas.getExtremos().size(); ++k) {
        const Primitivas::Terno& p = primitivas.getExtremos()[k];
        e.extremos.insert(e.extremos.end(), {p.x, p.y, p.z});
        deFrente(primitivas.getCoresLinhas(), k / 2, e.coresExtremos);
    }

    glViewport(0, 0, largura, altura);
    glClearColor(0.0F, 0.0F, 0.0F, 1.0F);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_DITHER);
    glShadeModel(GL_SMOOTH);

    // The scene's triangle normal is (p3 - p1) x (p2 - p1): the side it points to is the one
    // from which the corners turn clockwise, so that is OpenGL's front for two-sided lighting.
    glFrontFace(GL_CW);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
    const Iluminacao& luz = e.iluminacao;
    const auto canal = [](double valor) { return static_cast<GLfloat>(valor / kCanalMaximo); };
    const GLfloat ambienteCena[] = {canal(luz.ia.x), canal(luz.ia.y), canal(luz.ia.z), 1.0F};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambienteCena);
    const GLfloat nada[] = {0.0F, 0.0F, 0.0F, 1.0F};
    const GLfloat corLuz[] = {canal(luz.il.x), canal(luz.il.y), canal(luz.il.z), 1.0F};
    glLightfv(GL_LIGHT0, GL_AMBIENT, nada);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, corLuz);
    glLightfv(GL_LIGHT0, GL_SPECULAR, corLuz);
    const auto ka = static_cast<GLfloat>(luz.ka);
    const GLfloat ambiente[] = {ka, ka, ka, 1.0F};
    const GLfloat difusa[] = {static_cast<GLfloat>(luz.kd * luz.od.x),
                              static_cast<GLfloat>(luz.kd * luz.od.y),
                              static_cast<GLfloat>(luz.kd * luz.od.z), 1.0F};
    const auto ks = static_cast<GLfloat>(luz.ks);
    const GLfloat especular[] = {ks, ks, ks, 1.0F};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambiente);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, difusa);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, especular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS,
                static_cast<GLfloat>(std::min(kBlinnPorPhong * luz.eta, kMaiorBrilho)));

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, e.posicoes.data());
    glNormalPointer(GL_FLOAT, 0, e.normais.data());
    if (glGetError() != GL_NO_ERROR) {
        e.erro = "setting up the OpenGL state failed";
    }
}

ConcorrenteOsmesa::~ConcorrenteOsmesa() {
    if (estado->contexto != nullptr) OSMesaDestroyContext(estado->contexto);
}

const std::string& ConcorrenteOsmesa::getErro() const { return estado->erro; }

std::string ConcorrenteOsmesa::getRenderizador() const {
    const auto texto = [](GLenum nome) {
        const auto* s = reinterpret_cast<const char*>(glGetString(nome));
        return std::string(s != nullptr ? s : "?");
    };
    return texto(GL_RENDERER) + ", OpenGL " + texto(GL_VERSION);
}

int ConcorrenteOsmesa::getBitsProfundidade() const { return estado->bitsProfundidade; }

void ConcorrenteOsmesa::desenhar(const Camera& camera, const Projecao& projecao) {
    Estado& e = *estado;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Projecao's window at distance d, scaled to the near plane; the far plane beyond the mesh.
    const double perto = projecao.zPerto;
    const Ponto& centro = e.malha.getCentro();
    const double longe =
        std::hypot(centro.x - camera.foco.x, centro.y - camera.foco.y, centro.z - camera.foco.z) +
        e.malha.getDiagonal();
    const double escala = perto / projecao.d;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum((projecao.ox - projecao.hx) * escala, (projecao.ox + projecao.hx) * escala,
              (projecao.oy - projecao.hy) * escala, (projecao.oy + projecao.hy) * escala, perto,
              longe);

    // Eye coordinates (cu, cv, -cn): rows U, V, -N, and the focus moved to the origin.
    const Vetor& u = camera.u;
    const Vetor& v = camera.v;
    const Vetor& n = camera.n;
    const Ponto& f = camera.foco;
    // Column by column, as OpenGL reads it.
    // clang-format off
    const GLdouble vista[16] = {
        u.x, v.x, -n.x, 0.0,
        u.y, v.y, -n.y, 0.0,
        u.z, v.z, -n.z, 0.0,
        -(u.x * f.x + u.y * f.y + u.z * f.z), -(v.x * f.x + v.y * f.y + v.z * f.z),
        n.x * f.x + n.y * f.y + n.z * f.z, 1.0};
    // clang-format on
    glMatrixMode(GL_MODELVIEW);
    if (e.iluminacao.luzNoFoco) {
        const GLfloat olho[] = {0.0F, 0.0F, 0.0F, 1.0F};
        glLoadIdentity();
        glLightfv(GL_LIGHT0, GL_POSITION, olho);
        glLoadMatrixd(vista);
    } else {
        const Ponto& l = e.iluminacao.luz;
        const GLfloat posicao[] = {static_cast<GLfloat>(l.x), static_cast<GLfloat>(l.y),
                                   static_cast<GLfloat>(l.z), 1.0F};
        glLoadMatrixd(vista);
        glLightfv(GL_LIGHT0, GL_POSITION, posicao);
    }

    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(e.indices.size()), GL_UNSIGNED_INT,
                   e.indices.data());
    if (!e.pontos.empty() || !e.extremos.empty()) {
        glDisable(GL_LIGHTING);
        glDisableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glPointSize(kTamanhoPonto);
        for (const auto& [posicoes, cores, tipo] :
             {std::tuple{&e.pontos, &e.coresPontos, GLenum{GL_POINTS}},
              std::tuple{&e.extremos, &e.coresExtremos, GLenum{GL_LINES}}}) {
            glVertexPointer(3, GL_FLOAT, 0, posicoes->data());
            glColorPointer(3, GL_UNSIGNED_BYTE, 0, cores->data());
            glDrawArrays(tipo, 0, static_cast<GLsizei>(posicoes->size() / 3));
        }
        glDisableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, e.posicoes.data());
        glEnable(GL_LIGHTING);
    }
    glFinish();
}

void ConcorrenteOsmesa::copiar(Quadro& quadro) const {
    quadro.limpar();
    // OSMesa's row 0 is the bottom one.
    const Estado& e = *estado;
    const int largura = std::min(e.largura, quadro.getLargura());
    for (int y = 0; y < e.altura && y < quadro.getAltura(); ++y) {
        const std::uint16_t* origem = e.cores.data() + static_cast<std::size_t>(e.altura - 1 - y) *
                                                           static_cast<std::size_t>(e.largura);
        std::copy(origem, origem + largura, quadro.linhaCor(y));
    }
}

}  // namespace gouraud::detail
