"""Models from numpy arrays: the same picture as the same data read from a PLY file, every
layout and type numpy gives, numpy's memory read where it lies, and bad arrays refused with the
reason."""

import os

import numpy as np
import pytest

import gouraud
from gouraud import _gouraud


def anel(voltas=24, secoes=12):
    """A torus with a colour and a normal per vertex, all exactly representable in float32 and,
    for the colours, as bytes over 255."""
    u = np.repeat(np.arange(voltas), secoes) * (2 * np.pi / voltas)
    v = np.tile(np.arange(secoes), voltas) * (2 * np.pi / secoes)
    centro = np.stack([np.cos(u), np.sin(u), np.zeros_like(u)], axis=1)
    normal = np.stack([np.cos(v) * np.cos(u), np.cos(v) * np.sin(u), np.sin(v)], axis=1)
    posicoes = (centro * 1.0 + normal * 0.35).astype(np.float32)
    normais = normal.astype(np.float32)
    bytes_cor = np.stack([(u * 40) % 256, (v * 40) % 256, np.full_like(u, 128)],
                         axis=1).astype(np.uint8)
    triangulos = []
    for i in range(voltas):
        for j in range(secoes):
            a = i * secoes + j
            b = ((i + 1) % voltas) * secoes + j
            c = ((i + 1) % voltas) * secoes + (j + 1) % secoes
            d = i * secoes + (j + 1) % secoes
            triangulos += [(a, b, c), (a, c, d)]
    return posicoes, np.array(triangulos, dtype=np.int32), bytes_cor, normais


def gravar_ply(caminho, posicoes, triangulos, bytes_cor=None, normais=None):
    with open(caminho, "wb") as arquivo:
        cabecalho = ["ply", "format binary_little_endian 1.0",
                     "element vertex %d" % len(posicoes),
                     "property float x", "property float y", "property float z"]
        campos = [posicoes.astype("<f4")]
        if normais is not None:
            cabecalho += ["property float nx", "property float ny", "property float nz"]
            campos.append(normais.astype("<f4"))
        if bytes_cor is not None:
            cabecalho += ["property uchar red", "property uchar green", "property uchar blue"]
        cabecalho += ["element face %d" % len(triangulos),
                      "property list uchar int vertex_indices", "end_header", ""]
        arquivo.write("\n".join(cabecalho).encode("ascii"))
        for k in range(len(posicoes)):
            for campo in campos:
                arquivo.write(campo[k].tobytes())
            if bytes_cor is not None:
                arquivo.write(bytes_cor[k].tobytes())
        for t in triangulos.astype("<i4"):
            arquivo.write(b"\x03" + t.tobytes())


OPCOES = [dict(), dict(modo="plano", vista="iso"), dict(modo="phong", vista="topo"),
          dict(arestas=True, bits=24, largura=320, altura=240)]


@pytest.mark.parametrize("com_cores,com_normais", [(False, False), (True, False), (True, True)])
def test_arranjos_desenham_como_o_ply(tmp_path, com_cores, com_normais):
    posicoes, triangulos, bytes_cor, normais = anel()
    ply = os.path.join(str(tmp_path), "anel.ply")
    gravar_ply(ply, posicoes, triangulos, bytes_cor if com_cores else None,
               normais if com_normais else None)
    arquivo = gouraud.Modelo.abrir(ply)
    cores = bytes_cor / 255.0 if com_cores else None
    normais_ = normais if com_normais else None
    memoria = gouraud.Modelo(posicoes, triangulos, cores=cores, normais=normais_)
    # float64 positions and int64 indices of the same values, and a layout numpy has to turn
    # into rows (Fortran order, a strided view) draw the same.
    largo = gouraud.Modelo(posicoes.astype(np.float64), triangulos.astype(np.int64),
                           cores=None if cores is None else np.asfortranarray(cores),
                           normais=normais_)
    espacado = np.zeros((len(posicoes), 6), dtype=np.float32)
    espacado[:, ::2] = posicoes
    torto = gouraud.Modelo(espacado[:, ::2], np.asfortranarray(triangulos.astype(np.uint32)),
                           cores=cores, normais=normais_)
    for opcoes in OPCOES:
        esperado = arquivo.desenhar(**opcoes).rgb
        assert esperado.any()
        for modelo in (memoria, largo, torto):
            assert np.array_equal(modelo.desenhar(**opcoes).rgb, esperado), opcoes


def test_arranjos_podem_mudar_depois():
    posicoes, triangulos, _, _ = anel()
    copia = posicoes.copy()
    modelo = gouraud.Modelo(posicoes, triangulos)
    antes = modelo.desenhar(vista="iso").rgb.copy()
    posicoes[:] = 0
    del triangulos
    assert np.array_equal(modelo.desenhar(vista="iso").rgb, antes)
    assert np.array_equal(gouraud.Modelo(copia, anel()[1]).desenhar(vista="iso").rgb, antes)


def test_sem_copias_onde_o_numpy_deixa():
    linhas = np.arange(12).reshape(4, 3)
    for dtype in (np.float32, np.float64):
        arranjo = linhas.astype(dtype)
        assert _gouraud._enderecoArranjo(arranjo, "real") == arranjo.ctypes.data
    for dtype in (np.int32, np.int64, np.uint32):
        arranjo = linhas.astype(dtype)
        assert _gouraud._enderecoArranjo(arranjo, "inteiro") == arranjo.ctypes.data
    # Anything else is converted once, into memory of the module's own.
    for arranjo, especie in [(np.asfortranarray(linhas.astype(np.float64)), "real"),
                             (linhas.astype(np.float16), "real"),
                             (linhas.astype(">f8"), "real"),
                             (linhas.astype(np.int32), "real"),
                             (linhas.astype(np.int16), "inteiro"),
                             (linhas.astype(np.uint64), "inteiro"),
                             (linhas.astype(np.int64)[::-1], "inteiro")]:
        assert _gouraud._enderecoArranjo(arranjo, especie) != arranjo.ctypes.data


def test_textura():
    posicoes = np.array([[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0]], dtype=np.float64)
    triangulos = np.array([[0, 1, 2], [0, 2, 3]])
    uv = np.array([[0, 0], [1, 0], [1, 1], [0, 1]], dtype=np.float64)
    textura = np.zeros((8, 8, 3), dtype=np.uint8)
    textura[:4, :, 0] = 255
    textura[4:, :, 2] = 255
    liso = gouraud.Modelo(posicoes, triangulos).desenhar(modo="plano", largura=64, altura=64)
    pintado = gouraud.Modelo(posicoes, triangulos, uv=uv, textura=textura).desenhar(
        modo="plano", largura=64, altura=64)
    assert not np.array_equal(liso.rgb, pintado.rgb)
    # The texture's top row is its first: red above, blue below.
    cima, baixo = pintado.rgb[16, 32].astype(int), pintado.rgb[48, 32].astype(int)
    assert cima[0] > cima[2] and baixo[2] > baixo[0], (cima, baixo)


def test_arranjos_ruins():
    posicoes, triangulos, _, _ = anel(6, 4)
    n = len(posicoes)
    casos = [
        (dict(posicoes=posicoes[:, :2]), "posicoes must have the shape (n, 3), not (24, 2)"),
        (dict(posicoes=posicoes.ravel()), "posicoes must have the shape (n, 3), not (72,)"),
        (dict(posicoes=posicoes.astype(str)), "posicoes must hold numbers"),
        (dict(posicoes=posicoes.astype(complex)), "posicoes must hold numbers"),
        (dict(triangulos=triangulos.astype(np.float64)), "triangulos must hold integers"),
        (dict(triangulos=triangulos[:, :2]), "triangulos must have the shape (n, 3)"),
        (dict(cores=np.zeros((n, 4))), "cores must have the shape (n, 3), not (24, 4)"),
        (dict(uv=np.zeros((n, 3)), textura=np.zeros((2, 2, 3), np.uint8)),
         "uv must have the shape (n, 2)"),
        (dict(uv=np.zeros((n, 2)), textura=np.zeros((2, 2, 3))), "textura must hold uint8"),
        (dict(uv=np.zeros((n, 2)), textura=np.zeros((2, 2), np.uint8)),
         "textura must have the shape (altura, largura, 3)"),
        (dict(triangulos=np.full((1, 3), 2 ** 64 - 1, np.uint64)), "beyond any vertex"),
    ]
    for mudanca, texto in casos:
        argumentos = dict(posicoes=posicoes, triangulos=triangulos)
        argumentos.update(mudanca)
        with pytest.raises(ValueError) as excecao:
            gouraud.Modelo(**argumentos)
        assert texto in str(excecao.value), (list(mudanca), str(excecao.value))
    # The library's own refusals of values, each one line.
    fora = triangulos.copy()
    fora[3, 1] = n
    negativo = triangulos.astype(np.int64)
    negativo[0, 0] = -1
    infinita = posicoes.copy()
    infinita[5, 2] = np.inf
    cores = np.full((n, 3), 0.5)
    cores[2, 1] = 1.5
    for argumentos in [dict(triangulos=fora), dict(triangulos=negativo),
                       dict(posicoes=infinita), dict(cores=cores),
                       dict(cores=np.zeros((n - 1, 3))), dict(normais=np.zeros((n + 1, 3))),
                       dict(uv=np.zeros((n, 2)))]:
        completos = dict(posicoes=posicoes, triangulos=triangulos)
        completos.update(argumentos)
        with pytest.raises(ValueError) as excecao:
            gouraud.Modelo(**completos)
        motivo = str(excecao.value)
        assert motivo and "\n" not in motivo, (list(argumentos), motivo)
    with pytest.raises(TypeError):
        gouraud.Modelo(posicoes)
