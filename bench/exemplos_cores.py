#!/usr/bin/env python3
"""Writes coloured and textured meshes: the samples of exemplos/ and the benchmark's coloured and
textured versions of a large scene.

    exemplos_cores.py ply CENA.txt SAIDA.ply            a colour per vertex (binary PLY, uchar)
    exemplos_cores.py gltf CENA.txt SAIDA.gltf|.glb     a texture over the whole mesh
    exemplos_cores.py caixa SAIDA.gltf                  a small textured box
    exemplos_cores.py exemplos                          the samples: exemplos/bunny-cores.ply,
                                                        exemplos/caixa.gltf and caixa.png

A .gltf names its texture as a PNG file beside it (SAIDA with .png for .gltf); a .glb holds its
texture inside. Colours and texture coordinates follow the positions: a colour per vertex from
its height and its angle around the vertical axis, texture coordinates from the same angle and
height. The textures are drawn here, pixel by pixel, and written with zlib. Standard library only.
"""
import array
import base64
import colorsys
import json
import math
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from exportar_malha import ler_cena, simples  # noqa: E402

RAIZ = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def png(largura, altura, pixel):
    """An 8-bit RGB PNG of largura x altura whose pixel (i, j), row j from the top, is pixel(i, j)."""
    linhas = bytearray()
    for j in range(altura):
        linhas.append(0)
        for i in range(largura):
            linhas.extend(pixel(i, j))

    def pedaco(tipo, dados):
        corpo = tipo + dados
        return struct.pack(">I", len(dados)) + corpo + struct.pack(">I", zlib.crc32(corpo))

    return (b"\x89PNG\r\n\x1a\n" + pedaco(b"IHDR", struct.pack(">IIBBBBB", largura, altura, 8, 2, 0, 0, 0))
            + pedaco(b"IDAT", zlib.compress(bytes(linhas), 9)) + pedaco(b"IEND", b""))


def xadrez(i, j, lado=64, casas=4):
    """A checkerboard of warm and cool squares, each with a darker rim, and a light dot in each
    square's top-left corner, so that the texture's orientation shows."""
    casa = lado // casas
    ci, cj = i // casa, j // casa
    di, dj = i % casa, j % casa
    quente = (ci + cj) % 2 == 0
    base = (230, 140, 40) if quente else (40, 120, 200)
    if di == 0 or dj == 0 or di == casa - 1 or dj == casa - 1:
        return bytes(int(c * 0.6) for c in base)
    if di <= 2 and dj <= 2:
        return bytes((250, 250, 240))
    return bytes(base)


def caixa_limites(pontos):
    return ([min(pontos[k::3]) for k in range(3)], [max(pontos[k::3]) for k in range(3)])


def angulo_altura(pontos, i, minimo, maximo):
    """The angle around the vertical (y) axis through the box's centre, in turns from 0 to 1, and
    the height from 0 at the bottom to 1 at the top, of point i."""
    x = pontos[3 * i] - (minimo[0] + maximo[0]) / 2
    z = pontos[3 * i + 2] - (minimo[2] + maximo[2]) / 2
    altura = (pontos[3 * i + 1] - minimo[1]) / ((maximo[1] - minimo[1]) or 1.0)
    return (math.atan2(z, x) / (2 * math.pi)) % 1.0, altura


def gravar_ply_cores(caminho, pontos, triangulos):
    """A binary PLY with uchar red, green and blue per vertex: the hue goes round with the angle
    about the vertical axis, the lightness with the height."""
    quant_pontos, quant_triangulos = len(pontos) // 3, len(triangulos) // 3
    minimo, maximo = caixa_limites(pontos)
    coordenadas = simples(pontos).tobytes()
    vertices = bytearray()
    for i in range(quant_pontos):
        volta, altura = angulo_altura(pontos, i, minimo, maximo)
        r, g, b = colorsys.hls_to_rgb(volta, 0.35 + 0.35 * altura, 0.75)
        vertices.extend(coordenadas[12 * i:12 * i + 12])
        vertices.extend(bytes(round(255 * c) for c in (r, g, b)))
    indices = array.array("i", triangulos)
    if sys.byteorder != "little":
        indices.byteswap()
    dados = indices.tobytes()
    faces = bytearray(13 * quant_triangulos)
    for t in range(quant_triangulos):
        faces[13 * t] = 3
        faces[13 * t + 1:13 * t + 13] = dados[12 * t:12 * t + 12]
    cabecalho = (
        "ply\nformat binary_little_endian 1.0\ncomment made by exemplos_cores.py\n"
        f"element vertex {quant_pontos}\nproperty float x\nproperty float y\nproperty float z\n"
        "property uchar red\nproperty uchar green\nproperty uchar blue\n"
        f"element face {quant_triangulos}\nproperty list uchar int vertex_indices\nend_header\n")
    with open(caminho, "wb") as saida:
        saida.write(cabecalho.encode("ascii"))
        saida.write(vertices)
        saida.write(faces)


def gravar_gltf(caminho, posicoes, coordenadas, indices, imagem, repeticao=10497):
    """A glTF 2.0 file of one textured primitive: float positions and texture coordinates,
    32-bit indices, a material whose base colour texture is `imagem` (PNG bytes), with the
    sampler's `repeticao` on both axes. A .gltf holds its buffer as a data URI and names the
    texture as a PNG file beside it; a .glb holds both in its binary chunk."""
    binario = caminho.endswith(".glb")
    p = array.array("f", posicoes)
    uv = array.array("f", coordenadas)
    ind = array.array("I", indices)
    if sys.byteorder != "little":
        for a in (p, uv, ind):
            a.byteswap()
    partes = [p.tobytes(), uv.tobytes(), ind.tobytes()] + ([imagem] if binario else [])
    vistas, dados = [], bytearray()
    for parte in partes:
        vistas.append({"buffer": 0, "byteOffset": len(dados), "byteLength": len(parte)})
        dados.extend(parte)
        dados.extend(b"\0" * (-len(dados) % 4))
    minimo, maximo = caixa_limites(list(p))
    documento = {
        "asset": {"version": "2.0", "generator": "exemplos_cores.py"},
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [{"mesh": 0}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "TEXCOORD_0": 1}, "indices": 2,
                                    "material": 0}]}],
        "materials": [{"name": "xadrez",
                       "pbrMetallicRoughness": {"baseColorTexture": {"index": 0},
                                                "metallicFactor": 0.0}}],
        "textures": [{"source": 0, "sampler": 0}],
        "samplers": [{"wrapS": repeticao, "wrapT": repeticao}],
        "buffers": [{"byteLength": len(dados)}],
        "bufferViews": vistas,
        "accessors": [
            {"bufferView": 0, "componentType": 5126, "count": len(p) // 3, "type": "VEC3",
             "min": minimo, "max": maximo},
            {"bufferView": 1, "componentType": 5126, "count": len(uv) // 2, "type": "VEC2"},
            {"bufferView": 2, "componentType": 5125, "count": len(ind), "type": "SCALAR"},
        ],
    }
    if binario:
        documento["images"] = [{"bufferView": 3, "mimeType": "image/png"}]
        texto = json.dumps(documento).encode("ascii")
        texto += b" " * (-len(texto) % 4)
        corpo = (struct.pack("<II", len(texto), 0x4E4F534A) + texto
                 + struct.pack("<II", len(dados), 0x004E4942) + bytes(dados))
        with open(caminho, "wb") as saida:
            saida.write(struct.pack("<III", 0x46546C67, 2, 12 + len(corpo)) + corpo)
        return
    nome_imagem = os.path.splitext(os.path.basename(caminho))[0] + ".png"
    documento["images"] = [{"uri": nome_imagem}]
    documento["buffers"][0]["uri"] = ("data:application/octet-stream;base64,"
                                      + base64.b64encode(bytes(dados)).decode("ascii"))
    with open(caminho, "w") as saida:
        json.dump(documento, saida, indent=1)
        saida.write("\n")
    with open(os.path.join(os.path.dirname(caminho), nome_imagem), "wb") as saida:
        saida.write(imagem)


def gltf_de_cena(cena, caminho):
    """The scene's mesh with the checkerboard wrapped around it: u from the angle about the
    vertical axis (four times round), v from the height (four times up)."""
    pontos, triangulos = ler_cena(cena)
    minimo, maximo = caixa_limites(pontos)
    coordenadas = []
    for i in range(len(pontos) // 3):
        volta, altura = angulo_altura(pontos, i, minimo, maximo)
        coordenadas.extend((4 * volta, 4 * altura))
    gravar_gltf(caminho, pontos, coordenadas, triangulos, png(64, 64, xadrez))


def caixa(caminho):
    """A box 2 x 1.5 x 1 whose six faces each show the checkerboard twice across (the
    coordinates run from 0 to 2, so the texture repeats), four corners of their own a face."""
    meia = (1.0, 0.75, 0.5)
    posicoes, coordenadas, indices = [], [], []
    for eixo in range(3):
        for sinal in (1, -1):
            # The face's normal along `eixo`, its two other axes u and v, counter-clockwise seen
            # from outside.
            u, v = [(eixo + 1) % 3, (eixo + 2) % 3][::sinal]
            base = len(posicoes) // 3
            for a, b in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
                p = [0.0, 0.0, 0.0]
                p[eixo] = sinal * meia[eixo]
                p[u] = a * meia[u]
                p[v] = b * meia[v]
                posicoes.extend(p)
                coordenadas.extend((a + 1.0, b + 1.0))
            indices.extend((base, base + 1, base + 2, base, base + 2, base + 3))
    gravar_gltf(caminho, posicoes, coordenadas, indices, png(64, 64, xadrez))


def main():
    argumentos = sys.argv[1:]
    if argumentos[:1] == ["ply"] and len(argumentos) == 3:
        pontos, triangulos = ler_cena(argumentos[1])
        gravar_ply_cores(argumentos[2], pontos, triangulos)
    elif argumentos[:1] == ["gltf"] and len(argumentos) == 3:
        gltf_de_cena(argumentos[1], argumentos[2])
    elif argumentos[:1] == ["caixa"] and len(argumentos) == 2:
        caixa(argumentos[1])
    elif argumentos == ["exemplos"]:
        exemplos = os.path.join(RAIZ, "exemplos")
        pontos, triangulos = ler_cena(os.path.join(exemplos, "bunny.txt"))
        gravar_ply_cores(os.path.join(exemplos, "bunny-cores.ply"), pontos, triangulos)
        caixa(os.path.join(exemplos, "caixa.gltf"))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
