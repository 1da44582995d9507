"""The buffers and the camera of a picture: a square in front of a square made from arrays,
worked by hand (depth, triangles, normals at chosen pixels), a tie going to the lower number,
shapes and types, and K with the world-to-camera matrix against the projected vertices."""

import os

import numpy as np
import pytest

import gouraud

from conftest import EXEMPLOS, exemplo

TODOS = ["profundidade", "normais", "triangulo", "parte"]
# The normals given with the arrays lean; the library lights a mesh's triangles with the normals
# of its own geometry (it keeps given normals for clouds of points), so both squares read +z.
INCLINADA = np.array([0.0, 0.6, 0.8])
FRENTE = np.array([0.0, 0.0, 1.0])


def quadrados(empate=False):
    """Triangles 0 and 1: a square of side 4.2 at z = 0 facing +z; triangles 2 and 3: a square of
    side 2.2 at z = 1 (or, for a tie, the first square again), its normals leaning towards +y."""
    atras = np.array([[-1, -1, 0], [1, -1, 0], [1, 1, 0], [-1, 1, 0]], dtype=np.float64) * 2.1
    frente = atras.copy() if empate else np.array(
        [[-1.1, -1.1, 1], [1.1, -1.1, 1], [1.1, 1.1, 1], [-1.1, 1.1, 1]], dtype=np.float64)
    posicoes = np.vstack([atras, frente])
    triangulos = np.array([[0, 1, 2], [0, 2, 3], [4, 5, 6], [4, 6, 7]], dtype=np.int32)
    normais = np.vstack([np.tile([0.0, 0.0, 1.0], (4, 1)), np.tile(INCLINADA, (4, 1))])
    return gouraud.Modelo(posicoes, triangulos, normais=normais), posicoes, triangulos


# A pinhole camera 5 in front of the squares, looking at them, 90 degrees: in a 100 x 100
# picture f = 50, the centre at (50, 50); world (X, Y, Z) is camera (X, -Y, 5 - Z).
OLHAR = dict(olhar=dict(olho=(0, 0, 5), alvo=(0, 0, 0), cima=(0, 1, 0), campo=90.0),
             largura=100, altura=100)


def test_quadrado_na_frente_de_quadrado():
    modelo, _, _ = quadrados()
    for modo in ("plano", "gouraud", "phong"):
        imagem = modelo.desenhar(modo=modo, buffers=TODOS, **OLHAR)
        p, n, t, c = imagem.profundidade, imagem.normais, imagem.triangulo, imagem.parte
        # Pixel (x, y) is p[y, x]. The front square spans 36.25 to 63.75 across and down, the
        # back one 29 to 71: no pixel centre on an edge. Centre (58.5, 45.5): world (0.68, 0.36)
        # on the front square, right of its diagonal.
        assert p[45, 58] == np.float32(4.0) and t[45, 58] == 2 and c[45, 58] == 0
        # (42.5, 55.5): world (-0.6, -0.44), above the diagonal.
        assert p[55, 42] == np.float32(4.0) and t[55, 42] == 3
        np.testing.assert_allclose(n[55, 42], FRENTE, atol=1e-6)
        # (32.5, 50.5), world (-1.75, -0.05), and (66.5, 40.5), world (1.65, 0.95): only the
        # back square, at depth 5.
        assert p[50, 32] == np.float32(5.0) and t[50, 32] == 1
        assert p[40, 66] == np.float32(5.0) and t[40, 66] == 0
        np.testing.assert_allclose(n[40, 66], [0, 0, 1], atol=1e-6)
        # (10.5, 10.5): nothing.
        assert p[10, 10] == np.inf and t[10, 10] == gouraud.NENHUM
        assert c[10, 10] == gouraud.NENHUM and not n[10, 10].any()
        # Counted over the picture: the front square wins pixels 36 to 63 each way, the back one
        # the rest of 29 to 70, each at its depth; nothing elsewhere.
        frente, atras = (t == 2) | (t == 3), (t == 0) | (t == 1)
        assert frente.sum() == 28 * 28 and atras.sum() == 42 * 42 - 28 * 28
        assert frente[36:64, 36:64].all() and atras[29:71, 29:71].sum() == atras.sum()
        assert (p[frente] == np.float32(4.0)).all() and (p[atras] == np.float32(5.0)).all()
        assert ((p == np.inf) == (t == gouraud.NENHUM)).all()
        assert ((c == 0) == (t != gouraud.NENHUM)).all()
        assert (np.linalg.norm(n[t != gouraud.NENHUM], axis=1) > 0.999).all()


def test_empate_vai_ao_menor():
    modelo, _, _ = quadrados(empate=True)
    t = modelo.desenhar(buffers="triangulo", **OLHAR).triangulo
    desenhados = t[t != gouraud.NENHUM]
    assert desenhados.size == 42 * 42
    assert set(np.unique(desenhados)) == {0, 1}


def test_formas_tipos_e_a_cor_igual():
    modelo = gouraud.Modelo.abrir(exemplo("bunny.ply"))
    sem = modelo.desenhar(vista="iso", largura=320, altura=200)
    for nome in ("profundidade", "normais", "triangulo", "parte"):
        assert getattr(sem, nome) is None
    com = modelo.desenhar(vista="iso", largura=320, altura=200, buffers=TODOS)
    assert np.array_equal(sem.rgb, com.rgb)
    assert com.profundidade.shape == (200, 320) and com.profundidade.dtype == np.float32
    assert com.normais.shape == (200, 320, 3) and com.normais.dtype == np.float32
    assert com.triangulo.shape == (200, 320) and com.triangulo.dtype == np.uint32
    assert com.parte.shape == (200, 320) and com.parte.dtype == np.uint32
    # Each one asked alone is the same as asked with the others.
    for nome in TODOS:
        so = modelo.desenhar(vista="iso", largura=320, altura=200, buffers=[nome])
        assert np.array_equal(getattr(so, nome), getattr(com, nome))
        assert all(getattr(so, outro) is None for outro in TODOS if outro != nome)
    assert com.K.shape == (3, 3) and com.mundo_para_camera.shape == (4, 4)


@pytest.mark.parametrize("arquivo", ["bunny.ply", "nuvem.ply", "toro-linhas.gltf", "caixa.gltf",
                                     "bunny.txt"])
def test_desenhado_onde_ha_profundidade(arquivo):
    """Points and lines win pixels as triangles do: the depth is finite exactly where the
    transparent picture's alpha says something is drawn."""
    imagem = gouraud.Modelo.abrir(exemplo(arquivo)).desenhar(
        vista="iso", transparente=True, buffers=TODOS)
    desenhado = imagem.alfa > 0
    assert desenhado.any()
    assert (np.isfinite(imagem.profundidade) == desenhado).all()
    assert (imagem.profundidade[desenhado] > 0).all()
    assert (imagem.parte[~desenhado] == gouraud.NENHUM).all()
    assert (imagem.triangulo[~desenhado] == gouraud.NENHUM).all()


def test_partes_onde_ha_triangulos():
    arquivo = os.path.join(os.path.dirname(EXEMPLOS), "tests", "arquivos", "malhas",
                           "instancias.gltf")
    imagem = gouraud.Modelo.abrir(arquivo).desenhar(vista="iso", buffers=["parte", "triangulo"])
    parte, triangulo = imagem.parte, imagem.triangulo
    assert ((parte == gouraud.NENHUM) == (triangulo == gouraud.NENHUM)).all()
    assert (parte[parte != gouraud.NENHUM] < 64).all() and (parte != gouraud.NENHUM).any()


def projetar(imagem, pontos):
    """The pixel coordinates and the camera depth of `pontos` by the picture's K and matrix."""
    homogeneos = np.hstack([pontos, np.ones((len(pontos), 1))])
    camera = (imagem.mundo_para_camera @ homogeneos.T).T[:, :3]
    uvw = (imagem.K @ camera.T).T
    return uvw[:, :2] / uvw[:, 2:3], camera[:, 2]


CAMERAS = [dict(), dict(vista="iso"), dict(vista="topo", cima="+z"),
           dict(camera=((0.5, -3, 6), (-0.1, 0.5, -1), (0, 1, 0))),
           dict(olhar=((3, 2, 6), (0.2, 0, 0), (0, 1, 0), 40.0)), OLHAR]


@pytest.mark.parametrize("camera", CAMERAS, ids=[str(sorted(c)) for c in CAMERAS])
def test_K_e_matriz_contra_os_vertices(camera):
    """Every pixel whose centre the projected vertices put well inside one triangle of the front
    square (nearer the camera than the back one everywhere) is that triangle's, at the depth the
    matrices give for the point of the triangle under the centre."""
    modelo, posicoes, triangulos = quadrados()
    opcoes = dict(largura=160, altura=120)
    opcoes.update(camera)
    imagem = modelo.desenhar(buffers=["profundidade", "triangulo"], **opcoes)
    K, M = imagem.K, imagem.mundo_para_camera
    assert K[2].tolist() == [0, 0, 1] and K[0, 1] == 0 and K[1, 0] == 0
    assert K[0, 0] > 0 and abs(K[0, 0] - K[1, 1]) < 1e-9 * K[0, 0]
    np.testing.assert_allclose(M[:3, :3] @ M[:3, :3].T, np.eye(3), atol=1e-12)
    assert M[3].tolist() == [0, 0, 0, 1]
    uv, z = projetar(imagem, posicoes)
    assert (z > 0).all()
    y, x = np.mgrid[0:imagem.altura, 0:imagem.largura]
    centros = np.stack([x.ravel() + 0.5, y.ravel() + 0.5], axis=1)
    verificados = 0
    for numero in (2, 3):
        a, b, c = uv[triangulos[numero]]
        # Barycentric coordinates of every pixel centre.
        matriz = np.array([[b[0] - a[0], c[0] - a[0]], [b[1] - a[1], c[1] - a[1]]])
        beta, gama = np.linalg.solve(matriz, (centros - a).T)
        alfa = 1 - beta - gama
        margem = 0.02
        dentro = (alfa > margem) & (beta > margem) & (gama > margem)
        lado = np.abs(np.linalg.det(matriz)) ** 0.5
        dentro &= np.minimum(np.minimum(alfa, beta), gama) * lado > 0.05
        for k in np.flatnonzero(dentro):
            px, py = int(centros[k, 0]), int(centros[k, 1])
            assert imagem.triangulo[py, px] == numero, (px, py, imagem.triangulo[py, px])
            # The depth at the centre: 1/z interpolates linearly across the screen.
            inverso = alfa[k] / z[triangulos[numero][0]] + beta[k] / z[triangulos[numero][1]] + \
                gama[k] / z[triangulos[numero][2]]
            assert imagem.profundidade[py, px] == pytest.approx(1 / inverso, rel=1e-5)
            verificados += 1
    assert verificados > 50


def test_olhar_da_a_camera_pedida():
    imagem = quadrados()[0].desenhar(**OLHAR)
    f = 50 / np.tan(np.radians(45))
    np.testing.assert_allclose(imagem.K, [[f, 0, 50], [0, f, 50], [0, 0, 1]], rtol=1e-12)
    np.testing.assert_allclose(imagem.mundo_para_camera,
                               [[1, 0, 0, 0], [0, -1, 0, 0], [0, 0, -1, 5], [0, 0, 0, 1]],
                               atol=1e-12)


def test_memoria_de_imagens_soltas_reusada_sem_mudar_as_vivas():
    """Pictures let go lend their memory to the next ones: an array still held keeps its
    picture's values whatever is drawn after, and a picture drawn into reused memory is the one
    drawn afresh, with no buffer or alpha of the picture whose memory it took."""
    modelo = gouraud.Modelo.abrir(exemplo("bunny.ply"))
    todos = ["profundidade", "normais", "triangulo", "parte"]
    pedidos = [dict(vista="iso", buffers=todos, transparente=True),
               dict(vista="frente", largura=320, altura=200),
               dict(vista="topo", modo="phong", buffers=["triangulo"]),
               dict(vista="direita", largura=800, altura=600, buffers=todos)]
    frescas = []
    for pedido in pedidos:
        imagem = modelo.desenhar(**pedido)
        frescas.append({nome: None if getattr(imagem, nome) is None else
                        getattr(imagem, nome).copy()
                        for nome in ["rgb", "alfa"] + todos})
    # The arrays of the first picture held, the picture itself let go.
    imagem = modelo.desenhar(**pedidos[0])
    guardados = [imagem.rgb, imagem.profundidade, imagem.normais]
    del imagem
    for volta in range(3):
        for pedido, fresca in zip(pedidos, frescas):
            imagem = modelo.desenhar(**pedido)
            for nome, valores in fresca.items():
                if valores is None:
                    assert getattr(imagem, nome) is None, (volta, pedido, nome)
                else:
                    np.testing.assert_array_equal(getattr(imagem, nome), valores)
            del imagem
    for guardado, nome in zip(guardados, ["rgb", "profundidade", "normais"]):
        np.testing.assert_array_equal(guardado, frescas[0][nome])
