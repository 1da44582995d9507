#!/usr/bin/env python3
"""Writes the mesh of a scene file as the mesh files other programs use: binary PLY, binary STL,
OBJ and glTF 2.0 (one .gltf with its buffer inside). Coordinates become single precision, as
those formats hold them; the scene's camera is left out.

    exportar_malha.py CENA.txt BASE [FORMATO...]

writes BASE.ply, BASE.stl, BASE.obj and BASE.gltf, or only the formats named (ply, stl, obj,
gltf). It makes the sample meshes of exemplos/ from the sample scenes, and the benchmark's large
meshes in build/ from the subdivided bunny:

    exportar_malha.py exemplos/bunny.txt exemplos/bunny ply stl obj
    exportar_malha.py build/coelho-940k.txt build/coelho-940k ply stl obj

Standard library only. OBJ coordinates are the shortest decimals that read back to the same single
precision value, so any reader that rounds correctly gets the very numbers of the PLY and STL.
"""
import array
import base64
import json
import os
import struct
import sys

FORMATOS = ("ply", "stl", "obj", "gltf")


def programa():
    """The name of the script that was run, for its messages."""
    return os.path.splitext(os.path.basename(sys.argv[0]))[0]


def ler_cena(caminho):
    """The points (flat list of 3n reals) and triangles (flat list of 3m indices) of a scene."""
    with open(caminho) as arquivo:
        numeros = arquivo.read().split()
    quant_pontos, quant_triangulos = int(numeros[0]), int(numeros[1])
    inicio = 2
    pontos = [float(v) for v in numeros[inicio:inicio + 3 * quant_pontos]]
    inicio += 3 * quant_pontos
    triangulos = [int(v) for v in numeros[inicio:inicio + 3 * quant_triangulos]]
    if len(pontos) != 3 * quant_pontos or len(triangulos) != 3 * quant_triangulos:
        sys.exit(f"{programa()}: {caminho} ends before its points and triangles")
    if any(not 0 <= i < quant_pontos for i in triangulos):
        sys.exit(f"{programa()}: {caminho} names a point it does not have")
    return pontos, triangulos


def simples(pontos):
    """The points rounded to single precision, as a little-endian float array."""
    valores = array.array("f", pontos)
    if sys.byteorder != "little":
        valores.byteswap()
    return valores


def inteiros(triangulos):
    valores = array.array("i", triangulos)
    if sys.byteorder != "little":
        valores.byteswap()
    return valores


def volta(texto, valor):
    """True when `texto` reads back, rounded to single precision, as `valor`."""
    return struct.unpack("<f", struct.pack("<f", float(texto)))[0] == valor


def texto_simples(valor):
    """The shortest decimal that reads back to the single precision value `valor`. Nine
    significant digits always do, and more digits never undo it, so the fewest that do are
    found by halving the range."""
    menor, maior = 1, 9
    while menor < maior:
        meio = (menor + maior) // 2
        if volta(f"{valor:.{meio}g}", valor):
            maior = meio
        else:
            menor = meio + 1
    return f"{valor:.{menor}g}"


def gravar_ply(base, pontos, triangulos):
    quant_pontos, quant_triangulos = len(pontos) // 3, len(triangulos) // 3
    cabecalho = (
        "ply\nformat binary_little_endian 1.0\ncomment made by exportar_malha.py\n"
        f"element vertex {quant_pontos}\nproperty float x\nproperty float y\nproperty float z\n"
        f"element face {quant_triangulos}\nproperty list uchar int vertex_indices\nend_header\n")
    faces = bytearray(13 * quant_triangulos)
    indices = inteiros(triangulos).tobytes()
    for t in range(quant_triangulos):
        faces[13 * t] = 3
        faces[13 * t + 1:13 * t + 13] = indices[12 * t:12 * t + 12]
    with open(base + ".ply", "wb") as saida:
        saida.write(cabecalho.encode("ascii"))
        saida.write(simples(pontos).tobytes())
        saida.write(faces)


def gravar_stl(base, pontos, triangulos):
    coordenadas = simples(pontos).tobytes()
    quant_triangulos = len(triangulos) // 3
    corpo = bytearray(50 * quant_triangulos)
    for t in range(quant_triangulos):
        registro = 50 * t + 12  # the facet normal stays zero: readers compute their own
        for k in range(3):
            p = triangulos[3 * t + k]
            corpo[registro + 12 * k:registro + 12 * k + 12] = coordenadas[12 * p:12 * p + 12]
    with open(base + ".stl", "wb") as saida:
        saida.write(b"binary STL made by exportar_malha.py".ljust(80, b" "))
        saida.write(struct.pack("<I", quant_triangulos))
        saida.write(corpo)


def gravar_obj(base, pontos, triangulos):
    valores = simples(pontos)
    textos = [texto_simples(v) for v in valores]
    with open(base + ".obj", "w") as saida:
        saida.write("# made by exportar_malha.py\n")
        saida.write("".join(f"v {textos[i]} {textos[i + 1]} {textos[i + 2]}\n"
                            for i in range(0, len(textos), 3)))
        saida.write("".join(f"f {triangulos[i] + 1} {triangulos[i + 1] + 1} {triangulos[i + 2] + 1}\n"
                            for i in range(0, len(triangulos), 3)))


def gravar_gltf(base, pontos, triangulos):
    valores = simples(pontos)
    indices = array.array("I", triangulos)
    if sys.byteorder != "little":
        indices.byteswap()
    dados_pontos = valores.tobytes()
    dados = dados_pontos + indices.tobytes()
    minimo = [min(valores[k::3]) for k in range(3)]
    maximo = [max(valores[k::3]) for k in range(3)]
    documento = {
        "asset": {"version": "2.0", "generator": "exportar_malha.py"},
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [{"mesh": 0}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1}]}],
        "buffers": [{"byteLength": len(dados),
                     "uri": "data:application/octet-stream;base64,"
                            + base64.b64encode(dados).decode("ascii")}],
        "bufferViews": [
            {"buffer": 0, "byteOffset": 0, "byteLength": len(dados_pontos), "target": 34962},
            {"buffer": 0, "byteOffset": len(dados_pontos), "byteLength": len(dados) - len(dados_pontos),
             "target": 34963},
        ],
        "accessors": [
            {"bufferView": 0, "componentType": 5126, "count": len(valores) // 3, "type": "VEC3",
             "min": minimo, "max": maximo},
            {"bufferView": 1, "componentType": 5125, "count": len(triangulos), "type": "SCALAR"},
        ],
    }
    with open(base + ".gltf", "w") as saida:
        json.dump(documento, saida, indent=1)
        saida.write("\n")


def main():
    if len(sys.argv) < 3 or any(f not in FORMATOS for f in sys.argv[3:]):
        sys.exit(__doc__)
    pontos, triangulos = ler_cena(sys.argv[1])
    gravadores = {"ply": gravar_ply, "stl": gravar_stl, "obj": gravar_obj, "gltf": gravar_gltf}
    for formato in sys.argv[3:] or FORMATOS:
        gravadores[formato](sys.argv[2], pontos, triangulos)


if __name__ == "__main__":
    main()
