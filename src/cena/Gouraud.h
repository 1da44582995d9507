#ifndef GOURAUD_GOURAUD_H
#define GOURAUD_GOURAUD_H

#include <istream>
#include <ostream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Operadores.h"
#include "Ponto.h"
#include "Triangulo.h"
#include "Vetor.h"

// One scene for a Gouraud-shading renderer: a triangle mesh and a camera (focus and an
// orthonormal basis U, V, N), loaded from the text format described in the README, plus the
// first stages of the renderer. A scene that could not be loaded holds nothing: both counts
// are 0, every list and camera getter returns nullptr and every stage does nothing. A scene
// that is not valid says why in one line.
// The scene owns its lists and camera and cannot be copied.
class Gouraud {
public:
    // Loads "triangulo.txt" from the current folder; holds no scene, silently, if it does not open.
    Gouraud();
    // Loads a scene from the stream's remaining characters; holds no scene if the stream is not
    // good at the start. Writes the marker line on standard output whenever it reads the stream.
    explicit Gouraud(std::istream& entrada);
    // The same, the marker line written to `marcador` instead (null: nowhere), so that a
    // library that reads scenes writes nothing on standard output.
    Gouraud(std::istream& entrada, std::ostream* marcador);
    // A scene made from lists rather than read: the points and triangles (kept as they are: lists
    // moved in are not copied), the camera axes N and V and the focus, and the three reals after
    // the focus, all taken as if a file had held them in that order. The camera is built exactly
    // as loading builds it. The scene is valid when both counts fit in an int and every triangle
    // index names a point; otherwise it holds no scene and the diagnostic says why. Writes
    // nothing on standard output.
    Gouraud(std::vector<Ponto> pontos, std::vector<Triangulo> triangulos, const Vetor& n,
            const Vetor& v, const Ponto& foco, double distanciaProjecao, double meiaLargura,
            double meiaAltura);
    ~Gouraud();
    Gouraud(const Gouraud&) = delete;
    Gouraud& operator=(const Gouraud&) = delete;

    // Camera coordinates (U.d, V.d, N.d) of every point, d = point - focus, into listaPontoCamera.
    void mudancaCoordenadasCamera();
    // New vector: the unit world-space edge p1->p3 crossed with the unit edge p1->p2; its length
    // is the sine of the angle at p1. Three NaN when an index is outside 0 .. quantPontos - 1.
    // The caller owns the result.
    Vetor* encontrarNormal(int p1, int p2, int p3);
    // Stores the normal of every triangle (as encontrarNormal) into listaNormalTriangulo.
    void calcularNormalTriangulo();
    // For each triangle in file order, stores each of its points plus the triangle's stored
    // normal into listaNovoPonto; a shared point keeps the last triangle's. Run
    // calcularNormalTriangulo first.
    void calcularNovoPonto();

    // Number of mesh points; 0 without a scene.
    int getQuantPontos() const;
    // Number of triangles; 0 without a scene.
    int getQuantTriangulos() const;
    // quantPontos world-space points in file order, or nullptr without a scene.
    const Ponto* getListaPonto() const;
    // quantTriangulos triangles in file order (indices checked in range), or nullptr.
    const Triangulo* getListaTriangulo() const;
    // quantTriangulos normals (zero until calcularNormalTriangulo), or nullptr.
    const Vetor* getListaNormalTriangulo() const;
    // quantPontos displaced points (each point itself until calcularNovoPonto), or nullptr.
    const Ponto* getListaNovoPonto() const;
    // quantPontos camera-space coordinates (zero until mudancaCoordenadasCamera), or nullptr.
    const Vetor* getListaPontoCamera() const;
    // Camera axis N (unit length, or NaN when degenerate), or nullptr without a scene.
    const Vetor* getVetorN() const;
    // Camera axis V (orthogonal to N, unit length, or NaN when degenerate), or nullptr.
    const Vetor* getVetorV() const;
    // Camera axis U = N x V, or nullptr without a scene.
    const Vetor* getVetorU() const;
    // Camera axis N as the file held it, before it was made unit length; nullptr without a scene.
    const Vetor* getVetorNLido() const;
    // Camera axis V as the file held it, before it lost its part along N; nullptr without a scene.
    const Vetor* getVetorVLido() const;
    // Camera focus in world coordinates, or nullptr without a scene.
    const Ponto* getFoco() const;
    // True when every number up to the focus was read, both counts are non-negative and every
    // triangle index names a point.
    bool cenaValida() const;
    // The first problem met while loading, in one line with its place in the file; "" if valid.
    const std::string& getDiagnostico() const;
    // Distance of the projection window from the focus (first real after it); 0 when not read.
    double getDistanciaProjecao() const;
    // Half the width of the projection window at that distance; 0 when not read.
    double getMeiaLargura() const;
    // Half the height of the projection window at that distance; 0 when not read.
    double getMeiaAltura() const;
    // True when there is a scene and the three reals after the focus were all read.
    bool projecaoLida() const;

private:
    // Reads the scene from the stream into the fields; see the public constructor.
    void carregar(std::istream& entrada, std::ostream* marcador);
    // Takes the points and triangles as the scene's lists (the displaced points and camera
    // coordinates are made on first use).
    void guardarListas(std::vector<Ponto> pontos, std::vector<Triangulo> triangulos);
    // The displaced points' list, made on first use as a copy of the points (each point
    // itself), or null without a scene; the same list from then on.
    Ponto* novosPontosProntos() const;
    // The camera coordinates' list, made on first use with every entry zero, or null without a
    // scene; the same list from then on.
    Vetor* pontosCameraProntos() const;
    // The triangles' normals' list, made on first use with every entry zero, or null without a
    // scene; the same list from then on.
    Vetor* normaisTrianguloProntas() const;
    // Keeps N and V as given, and builds the orthonormal basis from them: V loses its component
    // along N, both become unit vectors, and U = N x V.
    void montarCamera(const Vetor& n, const Vetor& v, const Ponto& foco);

    std::unique_ptr<Vetor> vetorN;
    std::unique_ptr<Vetor> vetorV;
    std::unique_ptr<Vetor> vetorU;
    std::unique_ptr<Ponto> foco;
    std::unique_ptr<Vetor> vetorNLido;
    std::unique_ptr<Vetor> vetorVLido;
    int quantPontos = 0;
    int quantTriangulos = 0;
    Operadores operadores;
    // The points and triangles, empty without a scene; a scene's lists always hold memory, so
    // their getters give a pointer even for a scene of no points or triangles.
    std::vector<Ponto> listaPonto;
    std::vector<Triangulo> listaTriangulo;
    bool listasGuardadas = false;
    // The triangles' normals, the displaced points and the camera coordinates are made when
    // first asked for or computed, not with the scene: a caller that never uses them (the
    // viewer, on a mesh of millions of points, but for the flat mode and the needles) never
    // pays their memory. Once made, each keeps its address.
    mutable std::unique_ptr<Vetor[]> listaNormalTriangulo;
    mutable std::once_flag normalTrianguloFeita;
    mutable std::unique_ptr<Ponto[]> listaNovoPonto;
    mutable std::once_flag novoPontoFeito;
    mutable std::unique_ptr<Vetor[]> listaPontoCamera;
    mutable std::once_flag pontoCameraFeito;
    bool valida = false;
    std::string diagnostico;
    double distanciaProjecao = 0.0;
    double meiaLargura = 0.0;
    double meiaAltura = 0.0;
    bool projecaoCompleta = false;
};

#endif
