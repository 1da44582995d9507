"""What the module's tests share: where the samples and the viewer are, and a PNG reader (the
tests need no imaging library)."""

import os
import struct
import subprocess
import zlib

import numpy as np
import pytest

RAIZ = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EXEMPLOS = os.environ.get("GOURAUD_EXEMPLOS", os.path.join(RAIZ, "exemplos"))
VISUALIZADOR = os.environ.get("GOURAUD_VISUALIZADOR", "")


def exemplo(nome):
    return os.path.join(EXEMPLOS, nome)


def ler_png(caminho):
    """The pixels of an 8-bit RGB or RGBA PNG file unfiltered or up-filtered, as the project's
    writer makes them, as an (altura, largura, canais) uint8 array."""
    with open(caminho, "rb") as arquivo:
        dados = arquivo.read()
    assert dados[:8] == b"\x89PNG\r\n\x1a\n", caminho
    posicao, comprimido = 8, b""
    largura = altura = canais = 0
    while posicao < len(dados):
        (tamanho,) = struct.unpack(">I", dados[posicao:posicao + 4])
        tipo = dados[posicao + 4:posicao + 8]
        corpo = dados[posicao + 8:posicao + 8 + tamanho]
        posicao += 12 + tamanho
        if tipo == b"IHDR":
            largura, altura, bits, cor, _, _, entrelacado = struct.unpack(">IIBBBBB", corpo)
            assert bits == 8 and cor in (2, 6) and entrelacado == 0, (bits, cor, entrelacado)
            canais = 3 if cor == 2 else 4
        elif tipo == b"IDAT":
            comprimido += corpo
    bruto = zlib.decompress(comprimido)
    passo = largura * canais
    linhas = np.zeros((altura, passo), dtype=np.int32)
    anterior = np.zeros(passo, dtype=np.int32)
    for y in range(altura):
        filtro = bruto[y * (passo + 1)]
        linha = np.frombuffer(bruto, dtype=np.uint8, count=passo,
                              offset=y * (passo + 1) + 1).astype(np.int32)
        if filtro == 0:
            atual = linha
        elif filtro == 2:
            atual = (linha + anterior) & 0xFF
        else:
            # The project's writer filters nothing; sub, average and Paeth are not needed.
            raise AssertionError("%s: PNG filter %d is not read here" % (caminho, filtro))
        linhas[y] = atual
        anterior = atual
    return linhas.astype(np.uint8).reshape(altura, largura, canais)


def visualizador(tmp_path, arquivo, *argumentos):
    """The PNG `visualizador ARQUIVO ARGUMENTOS --imagem` writes, as its path."""
    if not VISUALIZADOR:
        pytest.skip("the viewer was not built (GOURAUD_VISUALIZADOR)")
    saida = os.path.join(str(tmp_path), "visualizador-%d.png" % len(os.listdir(str(tmp_path))))
    ambiente = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    feito = subprocess.run([VISUALIZADOR, arquivo, *argumentos, "--imagem", saida],
                           env=ambiente, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                           timeout=120)
    assert feito.returncode == 0, feito.stderr
    return saida
