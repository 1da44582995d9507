"""The dataset's cameras: the Fibonacci sphere of --vistas and the JSON of --cameras."""

import json
import math

import pytest

from gouraud import vistas


def projetar(olhar, largura, altura, ponto):
    """Pixel coordinates of `ponto` through the pinhole camera `olhar` (OpenCV convention: x
    right, y down, z forward, square pixels, the line of sight through the picture's centre),
    written out independently of the module, with its depth."""
    olho, alvo, cima = olhar["olho"], olhar["alvo"], olhar["cima"]

    def sub(a, b):
        return [a[k] - b[k] for k in range(3)]

    def vet(a, b):
        return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]

    def uni(a):
        n = math.sqrt(sum(x * x for x in a))
        return [x / n for x in a]

    def esc(a, b):
        return sum(a[k] * b[k] for k in range(3))

    z = uni(sub(alvo, olho))
    x = uni(vet(z, cima))
    y = vet(z, x)
    p = sub(ponto, olho)
    f = (altura / 2) / math.tan(math.radians(olhar["campo"]) / 2)
    return (largura / 2 + f * esc(p, x) / esc(p, z), altura / 2 + f * esc(p, y) / esc(p, z),
            esc(p, z))


def test_a_esfera_de_fibonacci_e_fixa_unitaria_e_espalhada():
    for n in (1, 2, 10, 100, 500):
        d = vistas.fibonacci(n)
        assert d == vistas.fibonacci(n)
        assert len(d) == n and len(set(d)) == n
        for v in d:
            assert math.sqrt(sum(x * x for x in v)) == pytest.approx(1.0, abs=1e-15)
        if n < 10:
            continue
        # Evenly spread: no two points much closer than the spacing of n points over the sphere
        # (random points come far closer), as many above the middle as below, no drift.
        perto = min(math.dist(a, b) for i, a in enumerate(d) for b in d[i + 1:])
        assert perto >= 1.4 * math.sqrt(4.0 / n)
        assert sum(1 for v in d if v[1] > 0) == n // 2
        for k in range(3):
            assert abs(sum(v[k] for v in d) / n) < 0.03
    # The first point stands above the front; the set is fixed by the formula (documented).
    assert vistas.fibonacci(4)[0] == (0.0, 0.75, math.sqrt(1 - 0.75 * 0.75))


def test_o_eixo_de_cima_gira_a_esfera_como_as_vistas():
    for cima, frente in (("+y", (0, 0, 1)), ("+z", (0, -1, 0)), ("-x", (0, 0, 1))):
        eixo = vistas.referencial(cima)[1]
        for base, d in zip(vistas.fibonacci(30), vistas.fibonacci(30, cima)):
            assert sum(d[k] * eixo[k] for k in range(3)) == pytest.approx(base[1], abs=1e-15)
            assert sum(d[k] * frente[k] for k in range(3)) == pytest.approx(base[2], abs=1e-15)
    with pytest.raises(ValueError, match="up axis"):
        vistas.fibonacci(3, "y")
    with pytest.raises(ValueError, match="at least 1"):
        vistas.fibonacci(0)


@pytest.mark.parametrize("largura,altura", [(640, 480), (200, 400), (64, 64)])
def test_cada_camera_enquadra_a_caixa(largura, altura):
    menor, maior = (-3.0, 1.0, 10.0), (5.0, 2.0, 14.0)
    centro = [(menor[k] + maior[k]) / 2 for k in range(3)]
    raio = math.dist(menor, maior) / 2
    cantos = [(x, y, z) for x in (menor[0], maior[0]) for y in (menor[1], maior[1])
              for z in (menor[2], maior[2])]
    for camera in vistas.esfera(40, largura, altura, "+y", 50.0):
        olhar = camera.olhar(menor, maior)
        assert list(olhar["alvo"]) == centro
        # The bounding sphere just fits the narrower field: its angular radius is that
        # field's half.
        meio_v = math.radians(50.0) / 2
        meio = min(meio_v, math.atan(math.tan(meio_v) * largura / altura))
        distancia = math.dist(olhar["olho"], centro)
        assert math.asin(raio / distancia) == pytest.approx(meio, rel=1e-12)
        for canto in cantos:
            u, v, w = projetar(olhar, largura, altura, canto)
            assert w > 0 and 0 <= u <= largura and 0 <= v <= altura
    # A box of a single point is looked at from a unit radius away.
    olhar = vistas.esfera(1, 64, 64)[0].olhar((1.0, 1.0, 1.0), (1.0, 1.0, 1.0))
    assert math.dist(olhar["olho"], (1, 1, 1)) == pytest.approx(
        1 / math.sin(math.radians(22.5)), rel=1e-15)


def test_de_cima_a_camera_toma_outro_eixo_para_cima():
    camera = vistas.ler_cameras('[{"direcao": [0, 2, 0]}]', 64, 64)[0]
    assert camera.direcao == (0.0, 1.0, 0.0) and camera.cima == (0.0, 0.0, -1.0)
    olhar = camera.olhar((0, 0, 0), (1, 1, 1))
    u, v, _ = projetar(olhar, 64, 64, (0.5, 0.5, 0.0))
    assert v < 32  # from above, the back is at the top, as the viewer's topo view has it


def test_cameras_de_um_arquivo():
    texto = json.dumps([
        {"direcao": [1, 0, 0], "distancia": 2, "campo": 30},
        {"olho": [0, 0, 9], "alvo": [0, 0, 0], "cima": [0, 1, 0]},
    ])
    longe, fixa = vistas.ler_cameras(texto, 640, 480)
    assert longe.distancia == pytest.approx(2 / math.sin(math.radians(15)), rel=1e-15)
    assert fixa.olhar((-1, -1, -1), (1, 1, 1)) == {
        "olho": (0.0, 0.0, 9.0), "alvo": (0.0, 0.0, 0.0), "cima": (0.0, 1.0, 0.0), "campo": 45.0}
    for ruim, motivo in [
        ("{", "not JSON"),
        ("[]", "non-empty JSON list"),
        ("[3]", "camera 0 is not an object"),
        ('[{"direcao": [1, 0, 0]}, {"olho": [1, 0, 0]}]', "camera 1: olho goes with alvo"),
        ('[{"direcao": [0, 0, 0]}]', "must not be zero"),
        ('[{"direcao": [1, 0]}]', "list of three numbers"),
        ('[{"direcao": [1, 0, "a"]}]', "list of three numbers"),
        ('[{"direcao": [1, 0, 0], "campo": 180}]', "campo"),
        ('[{"direcao": [1, 0, 0], "campo": true}]', "campo"),
        ('[{"direcao": [1, 0, 0], "distancia": -1}]', "distancia"),
        ('[{"direcao": [1, 0, 0], "alvo": [0, 0, 0]}]', "alvo goes with olho"),
        ('[{"olho": [0, 0, 1], "alvo": [0, 0, 0], "direcao": [1, 0, 0]}]', "either"),
        ('[{"olho": [0, 0, 1e999], "alvo": [0, 0, 0]}]', "finite"),
        ('[{"olhos": [0, 0, 1]}]', "unknown keys: olhos"),
    ]:
        with pytest.raises(ValueError, match=motivo):
            vistas.ler_cameras(ruim, 640, 480, origem="c.json")
