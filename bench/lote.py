#!/usr/bin/env python3
"""What the dataset runner costs against drawing the models one by one: a folder of small
models (bench/modelos_pequenos.py, made in the build folder when missing), one picture each,
timed three ways in alternated rounds, so that a change of the machine's load falls on all:

  sozinhos   each model alone, one at a time, in one process: Modelo.abrir, desenhar with the
             runner's camera and options, gravarPng, timed by the clock, as a user who draws
             one picture after the other would time it. The library draws with its default
             threads, one per core (it offers no other count), so a picture's frame already
             spreads over the cores; its reading and its PNG, most of a small model's time, do
             not. The sum of the models' times, and that sum divided by the cores, the time a
             perfect split over the cores would take; and, for comparison, the sum of
             `visualizador MODEL --imagem`, a process per picture;
  local      python3 -m gouraud.lote FOLDER --saida NEW --vistas 1, one worker process a core
             (the whole command: Python starting, the pool's processes starting, the manifest);
  cluster    the same run handed to a running two-worker Dask LocalCluster (gouraud.lote's
             executar with the cluster's client; the cluster is started once, before the rounds).

Goals: local within 1.2x of sozinhos / cores; cluster within 1.5x of local. Run through
scripts/bench.sh, or alone with the build's package:

    PYTHONPATH=build/python python3 bench/lote.py --pasta build [--modelos 200] [--rodadas 3]
        [--tamanho 640x480] [--markdown FILE]
"""

import argparse
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

import gouraud
from gouraud import lote


def cpu_filhos():
    uso = resource.getrusage(resource.RUSAGE_CHILDREN)
    return uso.ru_utime + uso.ru_stime


def medir_sozinhos(pedido, saida):
    """The seconds of each model drawn alone, in this process, and the processor seconds of
    them all: the renderer's threads, and the import library's child processes that read the
    files of its formats (a quarter of the models), as gouraud.lote's processor time counts
    them too."""
    cpu = time.process_time() + cpu_filhos()
    tempos = []
    opcoes = pedido.opcoes
    camera = pedido.cameras[0]
    for i, modelo in enumerate(pedido.modelos):
        inicio = time.perf_counter()
        try:
            m = gouraud.Modelo.abrir(modelo.caminho, pedido.iluminacao, **pedido.abertura)
            menor, maior = m.caixa
            imagem = m.desenhar(**opcoes, olhar=camera.olhar(menor, maior))
            imagem.gravarPng(os.path.join(saida, "%04d.png" % i))
        except OSError as erro:
            print("lote bench: %s: %s" % (modelo.caminho, erro), file=sys.stderr)
        tempos.append(time.perf_counter() - inicio)
    return tempos, time.process_time() + cpu_filhos() - cpu


def medir_visualizador(visualizador, pedido, saida, tamanho):
    """The seconds of `visualizador MODEL --imagem` for every model, a process per picture (its
    default front view: the viewer takes no look-at camera)."""
    inicio = time.perf_counter()
    for i, modelo in enumerate(pedido.modelos):
        subprocess.run([visualizador, modelo.caminho, "--tamanho", tamanho, "--imagem",
                        os.path.join(saida, "v%04d.png" % i)], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - inicio


def medir_local(pasta, saida, argumentos, processos):
    """The seconds of the whole command, and the processor seconds of it and its workers."""
    cpu = cpu_filhos()
    inicio = time.perf_counter()
    subprocess.run([sys.executable, "-m", "gouraud.lote", pasta, "--saida", saida,
                    "--processos", str(processos), *argumentos], check=True,
                   stderr=subprocess.DEVNULL)
    return time.perf_counter() - inicio, cpu_filhos() - cpu


def medir_cluster(cliente, pasta, saida, argumentos):
    inicio = time.perf_counter()
    pedido, _ = lote.pedido_da_linha([pasta, "--saida", saida, *argumentos])
    lote.executar(pedido, agendador=cliente)
    return time.perf_counter() - inicio


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--pasta", default="build", help="the build folder")
    p.add_argument("--modelos", type=int, default=200)
    p.add_argument("--triangulos", type=int, default=2000)
    p.add_argument("--rodadas", type=int, default=3)
    p.add_argument("--tamanho", default="640x480")
    p.add_argument("--markdown", help="also write the table as Markdown into this file")
    a = p.parse_args()
    raiz = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    pasta = os.path.join(os.path.abspath(a.pasta), "modelos-%d" % a.modelos)
    if not os.path.isdir(pasta):
        subprocess.run([sys.executable, os.path.join(raiz, "bench", "modelos_pequenos.py"),
                        pasta + ".tmp", "--quantos", str(a.modelos), "--triangulos",
                        str(a.triangulos)], check=True)
        os.replace(pasta + ".tmp", pasta)
    nucleos = lote._nucleos()
    argumentos = ["--vistas", "1", "--tamanho", a.tamanho]
    pedido, _ = lote.pedido_da_linha([pasta, "--saida", os.devnull, *argumentos])

    import distributed
    carga_antes = open("/proc/loadavg").read().split()[:3]
    visualizador = os.path.join(os.path.abspath(a.pasta), "visualizador")
    if not os.access(visualizador, os.X_OK):
        visualizador = None
    sozinhos, processos, local, cluster = [], [], [], []
    cpu_sozinhos, cpu_local = [], []
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None, silence_logs=50) as aglomerado, \
            distributed.Client(aglomerado) as cliente:
        for rodada in range(a.rodadas + 1):
            with tempfile.TemporaryDirectory(prefix="lote-bench-") as tmp:
                # Round 0 warms the caches and the workers' imports; it is not counted.
                tempos, cs = medir_sozinhos(pedido, tmp)
                s = sum(tempos)
                v = medir_visualizador(visualizador, pedido, tmp, a.tamanho) \
                    if visualizador else float("nan")
                l, cl = medir_local(pasta, os.path.join(tmp, "local"), argumentos, nucleos)
                c = medir_cluster(cliente, pasta, os.path.join(tmp, "cluster"), argumentos)
                if rodada:
                    sozinhos.append(s)
                    processos.append(v)
                    local.append(l)
                    cluster.append(c)
                    cpu_sozinhos.append(cs)
                    cpu_local.append(cl)
                print("lote bench: round %d: alone %.2f s in all, a viewer per model %.2f s, "
                      "local %.2f s, cluster %.2f s" % (rodada, s, v, l, c), file=sys.stderr)
    carga_depois = open("/proc/loadavg").read().split()[:3]

    s = statistics.median(sozinhos)
    ideal = s / nucleos
    l = statistics.median(local)
    c = statistics.median(cluster)
    v = statistics.median(processos)
    ps = statistics.median(cpu_sozinhos)
    pl = statistics.median(cpu_local)
    linhas = [
        "%d models of about %d triangles (bench/modelos_pequenos.py), one %s picture each, "
        "%d cores; medians of %d rounds." % (a.modelos, a.triangulos, a.tamanho, nucleos,
                                             a.rodadas),
        "",
        "| run | time | per model | ratio | goal |",
        "|---|---:|---:|---:|---|",
        "| each alone, one at a time in one process (default threads: one per core), summed "
        "| %.2f s | %.1f ms | | |" % (s, 1000 * s / a.modelos),
        "| the same, processor time (every thread, the import library's children) | %.2f s "
        "| %.1f ms | | |"
        % (ps, 1000 * ps / a.modelos),
        "| that sum / %d cores | %.2f s | | 1.00 | |" % (nucleos, ideal),
        "| `visualizador MODEL --imagem` for each, summed | %.2f s | %.1f ms | | |"
        % (v, 1000 * v / a.modelos),
        "| that sum / %d cores | %.2f s | | %.2f of the first | |" % (nucleos, v / nucleos,
                                                                    v / s),
        "| `python3 -m gouraud.lote` (%d processes) | %.2f s | %.1f ms | %.2f of the sum / cores "
        "| within 1.2 |" % (nucleos, l, 1000 * l / a.modelos, l / ideal),
        "| `gouraud.lote`, processor time (every process) | %.2f s | %.1f ms | %.2f of the "
        "alone's | |" % (pl, 1000 * pl / a.modelos, pl / ps),
        "| two-worker `LocalCluster` | %.2f s | %.1f ms | %.2f of gouraud.lote | within 1.5 |"
        % (c, 1000 * c / a.modelos, c / l),
        "",
        "Load average (1, 5, 15 min): %s before, %s after." % (" ".join(carga_antes),
                                                               " ".join(carga_depois)),
    ]
    print("\n".join(linhas))
    if a.markdown:
        with open(a.markdown, "w") as f:
            f.write("\n".join(linhas) + "\n")


if __name__ == "__main__":
    main()
