#!/usr/bin/env python3
"""Writes a folder of small models for timing the dataset runner (gouraud.lote):

    python3 bench/modelos_pequenos.py PASTA [--quantos 200] [--triangulos 2000]

Model i is a bumpy sphere or a bumpy torus of about --triangulos triangles, its bumps set by i
alone (the same files on every run), written in turn as a binary PLY with a colour per vertex, a
plain OBJ, a binary STL and an OFF file (the last read by the import library, in its confined
child process), into PASTA/NNN/modelo-NNN.EXT, ten models a subfolder. Python's standard
library only.
"""

import argparse
import math
import os
import struct

FORMATOS = ("ply", "obj", "stl", "off")


def superficie(i, triangulos):
    """The points and triangles of model i: a grid of n x m quads on a sphere or a torus,
    displaced along the normal by a product of sines whose frequencies i picks."""
    toro = i % 2 == 1
    m = max(3, int(math.sqrt(triangulos / 4.0)))
    n = max(3, triangulos // (2 * m))
    a, b = 2 + i % 5, 1 + (i // 5) % 4
    amplitude = 0.05 + 0.02 * (i % 3)
    pontos = []
    for j in range(n + (0 if toro else 1)):
        for k in range(m):
            u = 2 * math.pi * k / m
            if toro:
                v = 2 * math.pi * j / n
                r = 0.35 * (1 + amplitude * math.sin(a * u) * math.sin(b * v))
                pontos.append(((1 + r * math.cos(v)) * math.cos(u), r * math.sin(v),
                               (1 + r * math.cos(v)) * math.sin(u)))
            else:
                v = math.pi * j / n
                r = 1 + amplitude * math.sin(a * u) * math.sin(b * v) * 3
                pontos.append((r * math.sin(v) * math.cos(u), r * math.cos(v),
                               r * math.sin(v) * math.sin(u)))
    linhas = n if toro else n + 1
    faces = []
    for j in range(n):
        for k in range(m):
            p = j * m + k
            q = j * m + (k + 1) % m
            r = ((j + 1) % linhas) * m + k
            s = ((j + 1) % linhas) * m + (k + 1) % m
            faces.append((p, r, q))
            faces.append((q, r, s))
    return pontos, faces


def escrever(caminho, formato, pontos, faces, i):
    if formato == "ply":
        cabecalho = ("ply\nformat binary_little_endian 1.0\nelement vertex %d\n"
                     "property float x\nproperty float y\nproperty float z\n"
                     "property uchar red\nproperty uchar green\nproperty uchar blue\n"
                     "element face %d\nproperty list uchar int vertex_indices\nend_header\n"
                     % (len(pontos), len(faces)))
        with open(caminho, "wb") as f:
            f.write(cabecalho.encode())
            for x, y, z in pontos:
                f.write(struct.pack("<fffBBB", x, y, z, int(127 + 120 * x / 1.5) % 256,
                                    (40 * i) % 256, int(127 + 120 * z / 1.5) % 256))
            for t in faces:
                f.write(struct.pack("<Biii", 3, *t))
    elif formato == "obj":
        with open(caminho, "w") as f:
            f.writelines("v %.6f %.6f %.6f\n" % p for p in pontos)
            f.writelines("f %d %d %d\n" % (t[0] + 1, t[1] + 1, t[2] + 1) for t in faces)
    elif formato == "stl":
        with open(caminho, "wb") as f:
            f.write(b"modelo pequeno".ljust(80, b" "))
            f.write(struct.pack("<I", len(faces)))
            for t in faces:
                f.write(struct.pack("<3f", 0.0, 0.0, 0.0))
                for v in t:
                    f.write(struct.pack("<3f", *pontos[v]))
                f.write(b"\0\0")
    else:
        with open(caminho, "w") as f:
            f.write("OFF\n%d %d 0\n" % (len(pontos), len(faces)))
            f.writelines("%.6f %.6f %.6f\n" % p for p in pontos)
            f.writelines("3 %d %d %d\n" % t for t in faces)


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("pasta")
    p.add_argument("--quantos", type=int, default=200)
    p.add_argument("--triangulos", type=int, default=2000)
    a = p.parse_args()
    for i in range(a.quantos):
        formato = FORMATOS[i % len(FORMATOS)]
        pasta = os.path.join(a.pasta, "%03d" % (i // 10))
        os.makedirs(pasta, exist_ok=True)
        pontos, faces = superficie(i, a.triangulos)
        caminho = os.path.join(pasta, "modelo-%03d.%s" % (i, formato))
        escrever(caminho + ".tmp", formato, pontos, faces, i)
        os.replace(caminho + ".tmp", caminho)
    print("modelos_pequenos: %d models in %s" % (a.quantos, a.pasta))


if __name__ == "__main__":
    main()
