#!/usr/bin/env python3
"""Writes a scene's mesh split N times into four triangles at its edges' midpoints as a binary
PLY (single precision), for the scale benchmark's files of millions of triangles:

    subdividir_ply.py exemplos/bunny.txt 6 build/coelho-15m.ply    # 3,674 -> 15,048,704

Each step splits triangle (a, b, c) into (a, ab, ca), (ab, b, bc), (ca, bc, c), (ab, bc, ca), a
midpoint shared by the two triangles of its edge, the triangles in the order of the triangle they
split, as the scene subdivider of the shared tools does; the midpoints are numbered in the order
of their edges' sorted corner pairs, not in the order the triangles first name them, so the
points are the same but in another order. Needs numpy; seconds for 15 million triangles.
"""
import os
import sys

import numpy as np


def ler_cena(caminho):
    """The points (n x 3 float64) and triangles (m x 3 int64) of a scene file."""
    with open(caminho) as arquivo:
        numeros = arquivo.read().split()
    quant_pontos, quant_triangulos = int(numeros[0]), int(numeros[1])
    inicio = 2
    pontos = np.array(numeros[inicio:inicio + 3 * quant_pontos], dtype=np.float64)
    inicio += 3 * quant_pontos
    triangulos = np.array(numeros[inicio:inicio + 3 * quant_triangulos], dtype=np.int64)
    if pontos.size != 3 * quant_pontos or triangulos.size != 3 * quant_triangulos:
        sys.exit(f"subdividir_ply: {caminho} ends before its points and triangles")
    if triangulos.size and (triangulos.min() < 0 or triangulos.max() >= quant_pontos):
        sys.exit(f"subdividir_ply: {caminho} names a point it does not have")
    return pontos.reshape(-1, 3), triangulos.reshape(-1, 3)


def dividir(pontos, triangulos):
    """One step: every triangle into four, the midpoints appended after the points."""
    a, b, c = triangulos[:, 0], triangulos[:, 1], triangulos[:, 2]
    arestas = np.stack([np.stack([a, b], 1), np.stack([b, c], 1), np.stack([c, a], 1)], 1)
    chaves = np.sort(arestas, axis=2).reshape(-1, 2)
    unicas, qual = np.unique(chaves, axis=0, return_inverse=True)
    meios = (pontos[unicas[:, 0]] + pontos[unicas[:, 1]]) / 2
    qual = qual.reshape(-1, 3) + len(pontos)
    ab, bc, ca = qual[:, 0], qual[:, 1], qual[:, 2]
    novos = np.stack([np.stack([a, ab, ca], 1), np.stack([ab, b, bc], 1),
                      np.stack([ca, bc, c], 1), np.stack([ab, bc, ca], 1)], 1)
    return np.concatenate([pontos, meios]), novos.reshape(-1, 3)


def escrever_ply(caminho, pontos, triangulos):
    """A binary little-endian PLY of float vertices and int face lists."""
    cabecalho = (f"ply\nformat binary_little_endian 1.0\nelement vertex {len(pontos)}\n"
                 "property float x\nproperty float y\nproperty float z\n"
                 f"element face {len(triangulos)}\nproperty list uchar int vertex_indices\n"
                 "end_header\n")
    faces = np.empty(len(triangulos), dtype=[("n", "u1"), ("v", "<i4", (3,))])
    faces["n"] = 3
    faces["v"] = triangulos
    with open(caminho + ".tmp", "wb") as saida:
        saida.write(cabecalho.encode("ascii"))
        saida.write(pontos.astype("<f4").tobytes())
        saida.write(faces.tobytes())
    os.replace(caminho + ".tmp", caminho)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    pontos, triangulos = ler_cena(sys.argv[1])
    for _ in range(int(sys.argv[2])):
        pontos, triangulos = dividir(pontos, triangulos)
    escrever_ply(sys.argv[3], pontos, triangulos)


if __name__ == "__main__":
    main()
