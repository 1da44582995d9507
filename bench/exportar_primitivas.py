#!/usr/bin/env python3
"""Writes models of points and lines from a scene file's mesh, for the samples and the benchmarks.

    exportar_primitivas.py nuvem CENA.txt SAIDA.ply [--pontos N] [--normais] [--semente S]
    exportar_primitivas.py linhas CENA.txt SAIDA.gltf

`nuvem` writes a binary little-endian PLY point cloud, as a scanner gives one: N points (the
scene's point count unless given) spread over the mesh's triangles in the triangles' order, each
triangle getting points in proportion to its area at pseudo-random places (seed S, 1 unless
given), with a colour per point (red, green and blue bytes that follow the position along the three axes) and, with
--normais, the normal of the triangle it lies on. It makes the sample cloud of exemplos/ and the
benchmark's large cloud from the subdivided bunny:

    exportar_primitivas.py nuvem exemplos/bunny.txt exemplos/nuvem.ply --pontos 20000
    exportar_primitivas.py nuvem build/coelho-940k.txt build/nuvem-5m.ply --pontos 5000000

`linhas` writes a glTF 2.0 file (buffer inside) holding the mesh's triangles, a coloured helix
wound around the mesh's bounding box (about its shortest side) as one LINE_STRIP and the box's three axes through its centre
as LINES, each axis coloured after its name (x red, y green, z blue):

    exportar_primitivas.py linhas exemplos/toro.txt exemplos/toro-linhas.gltf

Standard library only; the same arguments always give the same bytes.
"""
import argparse
import array
import base64
import json
import math
import os
import random
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import exportar_malha  # noqa: E402


def ler_cena(caminho):
    """The points (list of (x, y, z)) and triangles (list of index triples) of a scene file."""
    valores, indices = exportar_malha.ler_cena(caminho)
    pontos = [tuple(valores[i:i + 3]) for i in range(0, len(valores), 3)]
    triangulos = [tuple(indices[i:i + 3]) for i in range(0, len(indices), 3)]
    return pontos, triangulos


def caixa(pontos):
    """The least and greatest coordinates of the points, per axis."""
    return ([min(p[k] for p in pontos) for k in range(3)],
            [max(p[k] for p in pontos) for k in range(3)])


def menos(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def vetorial(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def gravar_nuvem(cena, saida, quant, normais, semente):
    pontos, triangulos = ler_cena(cena)
    if not triangulos:
        sys.exit(f"exportar_primitivas: {cena} has no triangles to spread points over")
    gerador = random.Random(semente)
    # Each triangle's area and unit normal, and the running sum of the areas to pick by area.
    acumulado = []
    unitarias = []
    total = 0.0
    for a, b, c in triangulos:
        n = vetorial(menos(pontos[b], pontos[a]), menos(pontos[c], pontos[a]))
        comprimento = math.sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2])
        total += comprimento / 2.0
        acumulado.append(total)
        unitarias.append(tuple(v / comprimento for v in n) if comprimento > 0 else (0.0, 0.0, 0.0))
    menor, maior = caixa(pontos)
    extensao = [max(maior[k] - menor[k], 1e-30) for k in range(3)]
    formato = "<3f" + ("3f" if normais else "") + "3B"
    registro = struct.Struct(formato)
    dados = bytearray(registro.size * quant)
    # The points walk the triangles in file order, as a scanner's walk the surface: point i
    # lies on the triangle where the running sum of the areas reaches (i + r) / N of the total,
    # r pseudo-random in [0, 1), at a uniform pseudo-random place on it.
    triangulo = 0
    for i in range(quant):
        alvo = (i + gerador.random()) / quant * total
        while triangulo < len(acumulado) - 1 and acumulado[triangulo] < alvo:
            triangulo += 1
        a, b, c = (pontos[k] for k in triangulos[triangulo])
        u, v = gerador.random(), gerador.random()
        if u + v > 1.0:
            u, v = 1.0 - u, 1.0 - v
        p = tuple(a[k] + u * (b[k] - a[k]) + v * (c[k] - a[k]) for k in range(3))
        cor = tuple(round(255 * (p[k] - menor[k]) / extensao[k]) for k in range(3))
        campos = list(p) + (list(unitarias[triangulo]) if normais else []) + list(cor)
        registro.pack_into(dados, i * registro.size, *campos)
    propriedades = ["float x", "float y", "float z"]
    if normais:
        propriedades += ["float nx", "float ny", "float nz"]
    propriedades += ["uchar red", "uchar green", "uchar blue"]
    cabecalho = ("ply\nformat binary_little_endian 1.0\n"
                 f"comment {quant} points spread over {cena.split('/')[-1]}\n"
                 f"element vertex {quant}\n" +
                 "".join(f"property {p}\n" for p in propriedades) + "end_header\n")
    with open(saida, "wb") as arquivo:
        arquivo.write(cabecalho.encode("ascii"))
        arquivo.write(dados)


def flutuantes(valores):
    lista = array.array("f", valores)
    if sys.byteorder != "little":
        lista.byteswap()
    return lista.tobytes()


def gravar_linhas(cena, saida):
    pontos, triangulos = ler_cena(cena)
    menor, maior = caixa(pontos)
    centro = [(menor[k] + maior[k]) / 2 for k in range(3)]
    meia = [(maior[k] - menor[k]) / 2 for k in range(3)]
    # A helix of 8 turns around the box's shortest axis, 512 steps, from blue at one end to
    # yellow at the other.
    eixo = min(range(3), key=lambda k: meia[k])
    u, v = [k for k in range(3) if k != eixo]
    passos = 512
    helice = []
    cores_helice = []
    for i in range(passos + 1):
        t = i / passos
        angulo = 2 * math.pi * 8 * t
        ponto = [0.0, 0.0, 0.0]
        ponto[u] = centro[u] + 1.15 * meia[u] * math.cos(angulo)
        ponto[v] = centro[v] + 1.15 * meia[v] * math.sin(angulo)
        ponto[eixo] = centro[eixo] + 1.6 * meia[eixo] * (2 * t - 1)
        helice += ponto
        cores_helice += [t, t, 1.0 - t, 1.0]
    eixos = []
    cores_eixos = []
    for k, cor in enumerate(((1.0, 0.2, 0.2, 1.0), (0.2, 1.0, 0.2, 1.0), (0.2, 0.4, 1.0, 1.0))):
        for sinal in (-1.3, 1.3):
            ponto = list(centro)
            ponto[k] += sinal * max(meia)
            eixos += ponto
            cores_eixos += cor
    posicoes_malha = [v for p in pontos for v in p]
    indices = array.array("I", [i for t in triangulos for i in t])
    if sys.byteorder != "little":
        indices.byteswap()
    partes = [flutuantes(posicoes_malha), indices.tobytes(), flutuantes(helice),
              flutuantes(cores_helice), flutuantes(eixos), flutuantes(cores_eixos)]
    buffer = b"".join(partes)
    vistas = []
    inicio = 0
    for parte in partes:
        vistas.append({"buffer": 0, "byteOffset": inicio, "byteLength": len(parte)})
        inicio += len(parte)

    def acessor(vista, quant, tipo, componente=5126, limites=None):
        resultado = {"bufferView": vista, "componentType": componente, "count": quant, "type": tipo}
        if limites:
            resultado["min"], resultado["max"] = limites
        return resultado

    def limites(valores):
        return ([min(valores[k::3]) for k in range(3)], [max(valores[k::3]) for k in range(3)])

    documento = {
        "asset": {"version": "2.0", "generator": "exportar_primitivas.py"},
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [{"mesh": 0}],
        "meshes": [{"primitives": [
            {"attributes": {"POSITION": 0}, "indices": 1, "mode": 4},
            {"attributes": {"POSITION": 2, "COLOR_0": 3}, "mode": 3},
            {"attributes": {"POSITION": 4, "COLOR_0": 5}, "mode": 1},
        ]}],
        "buffers": [{"byteLength": len(buffer),
                     "uri": "data:application/octet-stream;base64," +
                            base64.b64encode(buffer).decode("ascii")}],
        "bufferViews": vistas,
        "accessors": [
            acessor(0, len(pontos), "VEC3", limites=limites(posicoes_malha)),
            acessor(1, len(indices), "SCALAR", componente=5125),
            acessor(2, passos + 1, "VEC3", limites=limites(helice)),
            acessor(3, passos + 1, "VEC4"),
            acessor(4, 6, "VEC3", limites=limites(eixos)),
            acessor(5, 6, "VEC4"),
        ],
    }
    with open(saida, "w") as arquivo:
        json.dump(documento, arquivo, indent=1)
        arquivo.write("\n")


def main():
    analisador = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    tipos = analisador.add_subparsers(dest="tipo", required=True)
    nuvem = tipos.add_parser("nuvem")
    nuvem.add_argument("cena")
    nuvem.add_argument("saida")
    nuvem.add_argument("--pontos", type=int)
    nuvem.add_argument("--normais", action="store_true")
    nuvem.add_argument("--semente", type=int, default=1)
    linhas = tipos.add_parser("linhas")
    linhas.add_argument("cena")
    linhas.add_argument("saida")
    argumentos = analisador.parse_args()
    if argumentos.tipo == "nuvem":
        quant = argumentos.pontos
        if quant is None:
            quant = len(ler_cena(argumentos.cena)[0])
        gravar_nuvem(argumentos.cena, argumentos.saida, quant, argumentos.normais,
                     argumentos.semente)
    else:
        gravar_linhas(argumentos.cena, argumentos.saida)


if __name__ == "__main__":
    main()
