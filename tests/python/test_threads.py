"""Threads: opening and drawing release the GIL, two threads draw two models in parallel, and a
Modelo that one thread is drawing refuses another instead of being drawn twice at once."""

import threading
import time

import numpy as np

import gouraud

from conftest import exemplo

# A picture large enough to take a while on any machine.
GRANDE = dict(largura=1024, altura=1024, modo="phong", aa=2, vista="iso")


def test_outra_thread_roda_python_durante_o_desenho():
    """While a thread is inside desenhar, the main thread keeps running Python code. Were the
    GIL held, no time stamp of the main thread could fall in the middle of the call."""
    modelo = gouraud.Modelo.abrir(exemplo("bunny.ply"))
    modelo.desenhar(**GRANDE)
    for _ in range(3):
        chamada = {}

        def desenhar():
            chamada["inicio"] = time.perf_counter()
            modelo.desenhar(**GRANDE)
            chamada["fim"] = time.perf_counter()

        marcas = []
        thread = threading.Thread(target=desenhar)
        thread.start()
        while thread.is_alive():
            marcas.append(time.perf_counter())
        thread.join()
        inicio, fim = chamada["inicio"], chamada["fim"]
        meio = [m for m in marcas
                if inicio + 0.25 * (fim - inicio) < m < inicio + 0.75 * (fim - inicio)]
        if fim - inicio > 0.02 and len(meio) > 100:
            break
    assert fim - inicio > 0.02, "the picture took too little time to tell"
    assert len(meio) > 100, (len(meio), fim - inicio)


def test_abrir_tambem_libera(tmp_path):
    """The same while a thread reads a file: a PLY of 400,000 triangles made here, large enough
    to take a while, read a few times if the machine is too busy to tell."""
    import numpy as np
    n = 200000
    posicoes = np.random.default_rng(7).random((n, 3), dtype=np.float32)
    triangulos = np.arange(3 * (2 * n // 3), dtype=np.int32).reshape(-1, 3) % n
    caminho = str(tmp_path / "grande.ply")
    with open(caminho, "wb") as arquivo:
        arquivo.write(("ply\nformat binary_little_endian 1.0\nelement vertex %d\n"
                       "property float x\nproperty float y\nproperty float z\n"
                       "element face %d\nproperty list uchar int vertex_indices\nend_header\n"
                       % (n, len(triangulos))).encode())
        arquivo.write(posicoes.tobytes())
        faces = np.zeros(len(triangulos), dtype=[("n", "u1"), ("v", "<i4", 3)])
        faces["n"], faces["v"] = 3, triangulos
        arquivo.write(faces.tobytes())
    for _ in range(3):
        chamada = {}

        def abrir():
            chamada["inicio"] = time.perf_counter()
            chamada["modelo"] = gouraud.Modelo.abrir(caminho)
            chamada["fim"] = time.perf_counter()

        marcas = []
        thread = threading.Thread(target=abrir)
        thread.start()
        while thread.is_alive():
            marcas.append(time.perf_counter())
        thread.join()
        inicio, fim = chamada["inicio"], chamada["fim"]
        meio = [m for m in marcas
                if inicio + 0.25 * (fim - inicio) < m < inicio + 0.75 * (fim - inicio)]
        if len(meio) > 100:
            break
    assert isinstance(chamada["modelo"], gouraud.Modelo)
    assert len(meio) > 100, (len(meio), fim - inicio)


def test_duas_threads_desenham_dois_modelos_mais_depressa():
    """Two models drawn by two threads at once take measurably less time than one thread
    drawing both; the best of a few rounds, so that a loaded machine does not decide it."""
    modelos = [gouraud.Modelo.abrir(exemplo("bunny.ply")) for _ in range(2)]
    opcoes = dict(largura=1024, altura=1024, modo="phong", vista="iso")
    esperado = modelos[0].desenhar(**opcoes).rgb.copy()
    vezes = 6

    def trabalho(modelo, saida):
        for _ in range(vezes):
            saida.append(modelo.desenhar(**opcoes).rgb)

    melhor = None
    for _ in range(5):
        saidas = [[], []]
        inicio = time.perf_counter()
        for modelo, saida in zip(modelos, saidas):
            trabalho(modelo, saida)
        sequencial = time.perf_counter() - inicio
        saidas = [[], []]
        threads = [threading.Thread(target=trabalho, args=(m, s)) for m, s in zip(modelos, saidas)]
        inicio = time.perf_counter()
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        paralelo = time.perf_counter() - inicio
        for saida in saidas:
            assert len(saida) == vezes and all(np.array_equal(r, esperado) for r in saida)
        razao = paralelo / sequencial
        melhor = razao if melhor is None else min(melhor, razao)
        if melhor < 0.9:
            break
    assert melhor < 0.9, "two threads took %.2f of one thread's time" % melhor


def test_um_modelo_em_duas_threads_e_recusado():
    modelo = gouraud.Modelo.abrir(exemplo("bunny.ply"))
    esperado = modelo.desenhar(**GRANDE).rgb.copy()
    barreira = threading.Barrier(2)
    recusas, imagens = [], []

    def trabalho():
        barreira.wait()
        for _ in range(6):
            try:
                imagens.append(modelo.desenhar(**GRANDE).rgb)
            except RuntimeError as erro:
                recusas.append(str(erro))

    threads = [threading.Thread(target=trabalho) for _ in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert recusas, "two threads never drew the model at the same time"
    assert all(r == "the model is being drawn by another thread" for r in recusas), recusas
    # Every picture that was drawn is whole.
    assert imagens and all(np.array_equal(i, esperado) for i in imagens)
