#!/usr/bin/env python3
"""Times the Python module on a large mesh against the viewer, and the renderers a Python user
would pick instead, where they run:

  - 100 pictures from one gouraud.Modelo, over the 24 views the command line names (4 views x 6
    up axes, in turn): each view's median picture time against `visualizador --medir`'s median
    frame at the same size and view (goal: within 1.1x);
  - the 100 pictures, load and PNG files included, against 100 runs of `visualizador --imagem`
    (goal: at least 8x faster);
  - the four buffers asked for against none, per view (goal: at most +25 %);
  - Open3D's offscreen renderer and VTK's, on the same mesh, size and views: their time per
    picture, or the reason they cannot draw here.

    bench_python.py VISUALIZADOR MALHA.ply [--imagens N] [--quadros Q] [--sem-pares]
                    [--markdown FILE]

Run by scripts/bench_python.sh, with PYTHONPATH at the build's package.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

import gouraud

VISTAS = ["frente", "direita", "topo", "iso"]
CIMAS = ["+y", "-y", "+z", "-z", "+x", "-x"]
LARGURA, ALTURA = 640, 480


def vistas():
    return [(v, c) for c in CIMAS for v in VISTAS]


def medir_visualizador(visualizador, malha, vista, cima, quadros):
    """`--medir`'s median frame in ms for the view."""
    saida = subprocess.run([visualizador, malha, "--vista", vista, "--cima", cima,
                            "--tamanho", "%dx%d" % (LARGURA, ALTURA), "--medir", str(quadros)],
                           capture_output=True, text=True, check=True,
                           env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
    linha = saida.stdout.strip().splitlines()[-1]
    return float(linha.split()[1])


def contra_visualizador(argumentos):
    visualizador, malha = argumentos.visualizador, argumentos.malha
    todas = vistas()
    sequencia = [todas[k % len(todas)] for k in range(argumentos.imagens)]
    resultados = {}
    pasta = tempfile.mkdtemp(prefix="bench-python-")

    # The viewer's frame per view, and the module's pictures of the same view, in rounds that
    # alternate them so that other work on the machine falls on both alike.
    print("bench_python: %s, %d views, load %s" % (os.path.basename(malha), len(todas),
                                                   open("/proc/loadavg").read().split()[:3]))
    inicio = time.perf_counter()
    modelo = gouraud.Modelo.abrir(malha)
    carga = time.perf_counter() - inicio
    modelo.desenhar(largura=LARGURA, altura=ALTURA)
    medir, nosso, buffers = {}, {}, {}
    for vista, cima in todas:
        chave = vista + " " + cima
        medir[chave] = medir_visualizador(visualizador, malha, vista, cima, argumentos.quadros)
        tempos, com = [], []
        for _ in range(argumentos.quadros):
            t = time.perf_counter()
            modelo.desenhar(vista=vista, cima=cima, largura=LARGURA, altura=ALTURA)
            tempos.append((time.perf_counter() - t) * 1000)
            t = time.perf_counter()
            modelo.desenhar(vista=vista, cima=cima, largura=LARGURA, altura=ALTURA,
                            buffers=["profundidade", "normais", "triangulo", "parte"])
            com.append((time.perf_counter() - t) * 1000)
        nosso[chave] = statistics.median(tempos)
        buffers[chave] = statistics.median(com)
        print("  %-12s --medir %7.2f ms  module %7.2f ms (%.2fx)  buffers %7.2f ms (%+.0f %%)" % (
            chave, medir[chave], nosso[chave], nosso[chave] / medir[chave], buffers[chave],
            100 * (buffers[chave] / nosso[chave] - 1)))
    resultados["por_vista"] = dict(medir=medir, modulo=nosso, buffers=buffers)

    # All the pictures from one Modelo, the load and the PNG files included, against as many
    # runs of the viewer.
    inicio = time.perf_counter()
    modelo = gouraud.Modelo.abrir(malha)
    for k, (vista, cima) in enumerate(sequencia):
        modelo.desenhar(vista=vista, cima=cima, largura=LARGURA, altura=ALTURA).gravarPng(
            os.path.join(pasta, "m%03d.png" % k))
    lote = time.perf_counter() - inicio
    inicio = time.perf_counter()
    for k, (vista, cima) in enumerate(sequencia):
        subprocess.run([visualizador, malha, "--vista", vista, "--cima", cima, "--tamanho",
                        "%dx%d" % (LARGURA, ALTURA), "--imagem",
                        os.path.join(pasta, "v%03d.png" % k)],
                       check=True, capture_output=True,
                       env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
    processos = time.perf_counter() - inicio
    iguais = all(open(os.path.join(pasta, "m%03d.png" % k), "rb").read() ==
                 open(os.path.join(pasta, "v%03d.png" % k), "rb").read()
                 for k in range(len(sequencia)))
    resultados.update(carga=carga, lote=lote, processos=processos, iguais=iguais)
    print("  %d pictures: module %.2f s (load %.2f s), viewer runs %.2f s: %.1fx; same PNG bytes: %s"
          % (len(sequencia), lote, carga, processos, processos / lote, iguais))
    for nome in os.listdir(pasta):
        os.unlink(os.path.join(pasta, nome))
    os.rmdir(pasta)
    return resultados


def pares_externos(argumentos, cameras):
    """Open3D's and VTK's offscreen renderers, each in a child process of its own (a renderer
    that cannot find a display may end its process), without a display and under Xvfb."""
    resultados = {}
    arquivo_cameras = tempfile.mktemp(prefix="bench-python-cameras-", suffix=".json")
    with open(arquivo_cameras, "w") as saida:
        json.dump(cameras, saida)
    for nome in ("open3d", "vtk"):
        for com_x in (False, True):
            comando = [sys.executable, os.path.abspath(__file__), "--par", nome,
                       argumentos.malha, arquivo_cameras]
            ambiente = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
            if com_x:
                comando = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24"] + comando
            try:
                feito = subprocess.run(comando, capture_output=True, text=True, timeout=900,
                                       env=ambiente)
                linhas = [l for l in feito.stdout.splitlines() if l.startswith("{")]
                if feito.returncode == 0 and linhas:
                    resultado = json.loads(linhas[-1])
                else:
                    erro = (feito.stderr.strip().splitlines() or ["exit status %d" %
                                                                  feito.returncode])
                    resultado = dict(erro="exit status %d: %s" % (feito.returncode,
                                                                  " / ".join(erro[-3:])))
            except (OSError, subprocess.TimeoutExpired) as erro:
                resultado = dict(erro=str(erro))
            chave = nome + (" under Xvfb" if com_x else " headless")
            resultados[chave] = resultado
            print("  %-18s %s" % (chave, resultado))
    os.unlink(arquivo_cameras)
    return resultados


def cameras_das_vistas(modelo):
    """Each view's camera as pinhole cameras are set (eye, target, up, vertical field of view),
    from the K and world-to-camera matrix of the module's picture of it; None while pictures do
    not report them."""
    import numpy as np
    cameras = []
    for vista, cima in vistas():
        imagem = modelo.desenhar(vista=vista, cima=cima, largura=LARGURA, altura=ALTURA)
        K, M = imagem.K, imagem.mundo_para_camera
        if K[2, 2] != 1:
            return None
        R, t = M[:3, :3], M[:3, 3]
        olho = -R.T @ t
        frente = R.T @ np.array([0.0, 0.0, 1.0])
        cima_mundo = R.T @ np.array([0.0, -1.0, 0.0])
        campo = 2 * np.degrees(np.arctan(ALTURA / 2 / K[1, 1]))
        cameras.append(dict(olho=olho.tolist(), alvo=(olho + frente).tolist(),
                            cima=cima_mundo.tolist(), campo=float(campo)))
    return cameras


def par(nome, malha, arquivo_cameras):
    """Draws the mesh with a peer from the 24 views' cameras (or, when the module gives none,
    24 turns about the model) and prints a JSON line with its median time per picture, the load
    apart."""
    import numpy as np
    with open(arquivo_cameras) as entrada:
        cameras = json.load(entrada)
    if nome == "open3d":
        import open3d as o3d
        inicio = time.perf_counter()
        mesh = o3d.io.read_triangle_mesh(malha)
        mesh.compute_vertex_normals()
        carga = time.perf_counter() - inicio
        renderer = o3d.visualization.rendering.OffscreenRenderer(LARGURA, ALTURA)
        material = o3d.visualization.rendering.MaterialRecord()
        material.shader = "defaultLit"
        renderer.scene.add_geometry("malha", mesh, material)
        caixa = mesh.get_axis_aligned_bounding_box()
        centro, diagonal = caixa.get_center(), np.linalg.norm(caixa.get_extent())
        tempos = []
        for k in range(len(vistas()) + 1):
            if cameras:
                c = cameras[k % len(cameras)]
                renderer.setup_camera(c["campo"], c["alvo"], c["olho"], c["cima"])
            else:
                olho = centro + 1.5 * diagonal * np.array([np.sin(k), 0.3, np.cos(k)])
                renderer.setup_camera(45.0, centro, olho, [0, 1, 0])
            t = time.perf_counter()
            imagem = np.asarray(renderer.render_to_image())
            tempos.append((time.perf_counter() - t) * 1000)
        print(json.dumps(dict(ms=statistics.median(tempos[1:]), carga=carga,
                              forma=list(imagem.shape))))
    else:
        import vtk
        inicio = time.perf_counter()
        leitor = vtk.vtkPLYReader()
        leitor.SetFileName(malha)
        leitor.Update()
        normais = vtk.vtkPolyDataNormals()
        normais.SetInputConnection(leitor.GetOutputPort())
        normais.SplittingOff()
        normais.Update()
        carga = time.perf_counter() - inicio
        mapeador = vtk.vtkPolyDataMapper()
        mapeador.SetInputConnection(normais.GetOutputPort())
        ator = vtk.vtkActor()
        ator.SetMapper(mapeador)
        ator.GetProperty().SetInterpolationToGouraud()
        cena = vtk.vtkRenderer()
        cena.AddActor(ator)
        janela = vtk.vtkRenderWindow()
        janela.SetOffScreenRendering(1)
        janela.AddRenderer(cena)
        janela.SetSize(LARGURA, ALTURA)
        captura = vtk.vtkWindowToImageFilter()
        captura.SetInput(janela)
        tempos = []
        for k in range(len(vistas()) + 1):
            camera = cena.GetActiveCamera()
            if cameras:
                c = cameras[k % len(cameras)]
                camera.SetPosition(*c["olho"])
                camera.SetFocalPoint(*c["alvo"])
                camera.SetViewUp(*c["cima"])
                camera.SetViewAngle(c["campo"])
                cena.ResetCameraClippingRange()
            else:
                cena.ResetCamera()
                camera.Azimuth(15.0 * k)
            t = time.perf_counter()
            janela.Render()
            captura.Modified()
            captura.Update()
            tempos.append((time.perf_counter() - t) * 1000)
        print(json.dumps(dict(ms=statistics.median(tempos[1:]), carga=carga,
                              gl=janela.ReportCapabilities().splitlines()[1:4])))


def markdown(arquivo, r, externos, imagens, quadros):
    v = r["por_vista"]
    razoes = {k: v["modulo"][k] / v["medir"][k] for k in v["medir"]}
    extras = {k: v["buffers"][k] / v["modulo"][k] - 1 for k in v["medir"]}
    pior = max(razoes, key=razoes.get)
    linhas = [
        "| measure | figure | goal |",
        "|---|---:|---|",
        "| picture from one Modelo against `--medir`'s frame, median over the 24 views | %.2f× | |"
        % statistics.median(razoes.values()),
        "| the same, slowest view (%s) | %.2f× | at most 1.10× (%s) |"
        % (pior, razoes[pior], "met" if razoes[pior] <= 1.10 else "NOT met"),
        "| %d pictures from one Modelo (load %.2f s, PNG files written) | %.2f s | |"
        % (imagens, r["carga"], r["lote"]),
        "| %d runs of `visualizador --imagem` | %.2f s | |" % (imagens, r["processos"]),
        "| runs against one Modelo | %.1f× faster | at least 8× (%s) |"
        % (r["processos"] / r["lote"], "met" if r["processos"] / r["lote"] >= 8 else "NOT met"),
        "| the four buffers, median over the views | %+.0f %% | at most +25 %% (%s) |"
        % (100 * statistics.median(extras.values()),
           "met" if statistics.median(extras.values()) <= 0.25 else "NOT met"),
        "| the four buffers, most costly view | %+.0f %% | |" % (100 * max(extras.values())),
        "| the module's PNG files and the viewer's | %s | the same bytes |"
        % ("the same bytes" if r["iguais"] else "DIFFERENT"),
    ]
    for chave, resultado in externos.items():
        if "ms" in resultado:
            linhas.append("| %s, a picture (%dx%d) | %.1f ms | |" % (chave, LARGURA, ALTURA,
                                                                    resultado["ms"]))
        else:
            linhas.append("| %s | cannot draw: %s | |" % (
                chave, resultado["erro"].replace("|", "/")[:300]))
    texto = "\n".join(linhas) + "\n\n%d × %d, Gouraud; %d pictures a view for the medians.\n" % (
        LARGURA, ALTURA, quadros)
    print()
    print(texto)
    if arquivo:
        with open(arquivo, "w") as saida:
            saida.write(texto)


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--par":
        par(sys.argv[2], sys.argv[3], sys.argv[4])
        return
    parser = argparse.ArgumentParser()
    parser.add_argument("visualizador")
    parser.add_argument("malha")
    parser.add_argument("--imagens", type=int, default=100)
    parser.add_argument("--quadros", type=int, default=11)
    parser.add_argument("--markdown", default="")
    parser.add_argument("--sem-pares", action="store_true")
    argumentos = parser.parse_args()
    resultados = contra_visualizador(argumentos)
    externos = {}
    if not argumentos.sem_pares:
        cameras = cameras_das_vistas(gouraud.Modelo.abrir(argumentos.malha))
        externos = pares_externos(argumentos, cameras)
    markdown(argumentos.markdown, resultados, externos, argumentos.imagens, argumentos.quadros)


if __name__ == "__main__":
    main()
