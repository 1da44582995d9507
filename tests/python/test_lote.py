"""The dataset runner, python3 -m gouraud.lote: a folder with a bad file, runs that resume, a
third of the files crashing or hanging the import library's child, and the same bytes through a
two-worker Dask LocalCluster, one of whose workers is ended in the middle of a run."""

import json
import os
import shutil
import signal
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import gouraud
from gouraud import lote, vistas

from conftest import exemplo, ler_png

IMPORTADOR = os.environ.get("GOURAUD_IMPORTADOR", "")
FALHAS = os.path.join(os.path.dirname(IMPORTADOR), "gouraud-importador-falhas")

# A cube as an OFF file, which the import library reads in its child process; `marca` goes into
# its first line's comment, where the test build of the child looks for a fault to make.
CUBO_OFF = """OFF # {marca}
8 12 0
-1 -1 -1
1 -1 -1
1 1 -1
-1 1 -1
-1 -1 1
1 -1 1
1 1 1
-1 1 1
3 0 2 1
3 0 3 2
3 4 5 6
3 4 6 7
3 0 1 5
3 0 5 4
3 3 7 6
3 3 6 2
3 0 4 7
3 0 7 3
3 1 2 6
3 1 6 5
"""


def tetraedro(escala):
    return ("v 0 0 0\nv {e} 0 0\nv 0 {e} 0\nv 0 0 {e}\n"
            "f 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n").format(e=escala)


def pasta_de_modelos(raiz):
    """A folder of models in subfolders, with a file that is no model and one the viewer does
    not read: the samples, two tetrahedra, a cube through the import library and a bad PLY."""
    os.makedirs(os.path.join(raiz, "b", "c"))
    shutil.copy(exemplo("cubo.txt"), os.path.join(raiz, "cubo.txt"))
    shutil.copy(exemplo("bunny.ply"), os.path.join(raiz, "b", "coelho.PLY"))
    shutil.copy(exemplo("toro-linhas.gltf"), os.path.join(raiz, "b", "c", "toro.gltf"))
    with open(os.path.join(raiz, "b", "t1.obj"), "w") as f:
        f.write(tetraedro(1))
    with open(os.path.join(raiz, "b", "c", "t2.obj"), "w") as f:
        f.write(tetraedro(3))
    with open(os.path.join(raiz, "cubo.off"), "w") as f:
        f.write(CUBO_OFF.format(marca="a cube"))
    with open(os.path.join(raiz, "ruim.ply"), "wb") as f:
        f.write(b"ply\nformat binary_little_endian 1.0\nelement vertex 99999999\nend_header\n")
    with open(os.path.join(raiz, "b", "leia-me.md"), "w") as f:
        f.write("not a model\n")
    return raiz


def conteudo(pasta):
    """Every file under `pasta` but hidden ones, by its path under it, with its bytes."""
    arquivos = {}
    for raiz, _, nomes in os.walk(pasta):
        for nome in nomes:
            caminho = os.path.join(raiz, nome)
            with open(caminho, "rb") as f:
                arquivos[os.path.relpath(caminho, pasta)] = f.read()
    return arquivos


def linhas(pasta):
    with open(os.path.join(pasta, lote.MANIFESTO)) as f:
        return [json.loads(linha) for linha in f]


def rodar(*argumentos, ambiente=None):
    env = dict(os.environ, **(ambiente or {}))
    return subprocess.run([sys.executable, "-m", "gouraud.lote", *argumentos], env=env,
                          capture_output=True, text=True, timeout=120)


ARGUMENTOS = ["--vistas", "3", "--tamanho", "96x64", "--modo", "phong", "--bits", "24"]


@pytest.fixture(scope="module")
def referencia(tmp_path_factory):
    """The folder of models and its dataset as one process draws it."""
    raiz = tmp_path_factory.mktemp("lote")
    modelos = pasta_de_modelos(str(raiz / "modelos"))
    saida = str(raiz / "um")
    feito = rodar(modelos, "--saida", saida, "--processos", "1", *ARGUMENTOS)
    return modelos, saida, feito


def test_uma_pasta_com_um_arquivo_ruim(referencia):
    modelos, saida, feito = referencia
    # The bad file fails alone: status 1, its line and its reason on stderr, the rest drawn.
    assert feito.returncode == 1, feito.stderr
    assert "ruim.ply: " in feito.stderr and "6 of 7 models drawn" in feito.stderr
    manifesto = linhas(saida)
    assert [m["modelo"] for m in manifesto] == [
        "b/c/t2.obj", "b/c/toro.gltf", "b/coelho.PLY", "b/t1.obj", "cubo.off", "cubo.txt",
        "ruim.ply"]
    ruim = manifesto[-1]
    assert ruim["estado"] == "falhou" and "\n" not in ruim["motivo"] and ruim["motivo"]
    assert "arquivos" not in ruim and not os.path.exists(os.path.join(saida, "ruim.ply"))
    for m in manifesto[:-1]:
        assert m["estado"] == "feito", m
        assert m["arquivos"] == [m["modelo"] + "/" + n
                                 for n in ("000.png", "001.png", "002.png", "cameras.json")]
        for nome in m["arquivos"]:
            assert os.path.getsize(os.path.join(saida, nome)) > 0
    # Each picture is the one the module draws for its camera, on the box the record gives.
    registro = json.load(open(os.path.join(saida, "b", "coelho.PLY", "cameras.json")))
    modelo = gouraud.Modelo.abrir(os.path.join(modelos, "b", "coelho.PLY"))
    menor, maior = modelo.caixa
    assert registro["caixa"] == {"menor": list(menor), "maior": list(maior)}
    cameras = vistas.esfera(3, 96, 64)
    for i, vista in enumerate(registro["vistas"]):
        olhar = cameras[i].olhar(menor, maior)
        assert vista["olhar"] == json.loads(json.dumps(olhar))
        imagem = modelo.desenhar(olhar=olhar, largura=96, altura=64, modo="phong", bits=24)
        assert np.array_equal(ler_png(os.path.join(saida, "b", "coelho.PLY", vista["imagem"])),
                              imagem.rgb)
        assert vista["K"] == imagem.K.tolist()
        assert vista["mundo_para_camera"] == imagem.mundo_para_camera.tolist()


def test_os_buffers_pedidos_vao_em_npy(tmp_path):
    saida = str(tmp_path / "b")
    feito = rodar(exemplo("bunny.ply"), exemplo("toro-linhas.gltf"), "--saida", saida,
                  "--vistas", "2", "--tamanho", "64x48", "--buffers", "todos", "--processos", "1")
    assert feito.returncode == 0, feito.stderr
    for nome in ("bunny.ply", "toro-linhas.gltf"):
        registro = json.load(open(os.path.join(saida, nome, "cameras.json")))
        modelo = gouraud.Modelo.abrir(exemplo(nome))
        for vista in registro["vistas"]:
            assert sorted(vista["buffers"]) == sorted(lote.BUFFERS)
            imagem = modelo.desenhar(olhar=vista["olhar"], largura=64, altura=48,
                                     buffers=list(lote.BUFFERS))
            for buffer, arquivo in vista["buffers"].items():
                valores = np.load(os.path.join(saida, nome, arquivo), allow_pickle=False)
                esperado = getattr(imagem, buffer)
                assert valores.dtype == esperado.dtype and valores.shape == esperado.shape
                assert np.array_equal(valores, esperado), (nome, arquivo)
            # Something of the model is in every view; on the bunny, all triangles, a pixel
            # has a depth where it has a triangle.
            assert np.isfinite(imagem.profundidade).any()
            if nome == "bunny.ply":
                assert np.array_equal(np.isfinite(imagem.profundidade),
                                      imagem.triangulo != gouraud.NENHUM)


def test_uma_segunda_rodada_retoma(referencia, tmp_path):
    modelos, feita, _ = referencia
    saida = str(tmp_path / "saida")
    shutil.copytree(feita, saida)
    antes = conteudo(saida)
    marcas = {n: os.stat(os.path.join(saida, n)).st_mtime_ns for n in antes}
    pedido, _ = lote.pedido_da_linha([modelos, "--saida", saida, *ARGUMENTOS])

    # The same arguments: nothing is drawn again but the model that failed.
    desenhados = []
    original = lote.desenhar_modelo

    def anotar(tarefa):
        desenhados.append(tarefa["nome"])
        return original(tarefa)

    lote.desenhar_modelo = anotar
    try:
        lote.executar(pedido, processos=1)
        assert desenhados == ["ruim.ply"]
        assert conteudo(saida) == antes
        assert all(os.stat(os.path.join(saida, n)).st_mtime_ns == marcas[n]
                   for n in antes if n != lote.MANIFESTO)

        # A picture deleted, a model whose run was ended before its record (a temporary file
        # left), and a model's PNG changed in size: those three are drawn again, the same bytes.
        del desenhados[:]
        os.unlink(os.path.join(saida, "b", "t1.obj", "001.png"))
        os.unlink(os.path.join(saida, "cubo.txt", "cameras.json"))
        sobra = os.path.join(saida, "cubo.txt", ".002.png.XyZ123")
        open(sobra, "wb").write(b"half a picture")
        with open(os.path.join(saida, "b", "c", "t2.obj", "000.png"), "ab") as f:
            f.write(b"more")
        lote.executar(pedido, processos=1)
        assert desenhados == ["b/c/t2.obj", "b/t1.obj", "cubo.txt", "ruim.ply"]
        assert not os.path.exists(sobra)
        assert conteudo(saida) == antes

        # Other arguments (fewer views) draw everything again, and leave no file of before.
        del desenhados[:]
        outro, _ = lote.pedido_da_linha([modelos, "--saida", saida, "--vistas", "2",
                                         "--tamanho", "64x64"])
        lote.executar(outro, processos=1)
        assert len(desenhados) == 7
        assert sorted(os.listdir(os.path.join(saida, "cubo.txt"))) == [
            "000.png", "001.png", "cameras.json"]
    finally:
        lote.desenhar_modelo = original


def test_processos_dao_os_mesmos_bytes(referencia, tmp_path):
    modelos, feita, _ = referencia
    saida = str(tmp_path / "dois")
    feito = rodar(modelos, "--saida", saida, "--processos", "2", *ARGUMENTOS)
    assert feito.returncode == 1 and "ruim.ply" in feito.stderr
    # Not a terminal: no progress bar, only the lines of the failures and the total.
    assert "\r" not in feito.stderr and len(feito.stderr.splitlines()) == 2
    assert conteudo(saida) == conteudo(feita)


def test_um_terco_dos_arquivos_derruba_ou_trava_o_filho(tmp_path):
    if not os.access(FALHAS, os.X_OK):
        pytest.skip("the test build of the child program is not beside " + IMPORTADOR)
    pasta = tmp_path / "hostis"
    pasta.mkdir()
    for i, marca in enumerate(["gouraud-falha:segv", "", "", "gouraud-falha:laco", "", ""]):
        (pasta / ("m%d.off" % i)).write_text(CUBO_OFF.format(marca=marca or "a cube"))
    inicio = time.monotonic()
    feito = rodar(str(pasta), "--saida", str(tmp_path / "saida"), "--processos", "2",
                  "--limite-tempo", "1", "--tamanho", "32x32",
                  ambiente={"GOURAUD_IMPORTADOR": FALHAS})
    assert time.monotonic() - inicio < 30
    assert feito.returncode == 1
    estado = {m["modelo"]: m for m in linhas(str(tmp_path / "saida"))}
    assert sorted(estado) == ["m%d.off" % i for i in range(6)]
    assert "crashed reading" in estado["m0.off"]["motivo"]
    assert "signal 11" in estado["m0.off"]["motivo"]
    assert "took more than 1 s reading" in estado["m3.off"]["motivo"]
    for i in (1, 2, 4, 5):
        assert estado["m%d.off" % i]["estado"] == "feito"


def test_opcoes_e_entradas_ruins_sao_recusadas(tmp_path):
    for argumentos, motivo in [
        (["--vistas", "2", "--cameras", "x.json"], "not allowed with"),
        (["--modo", "liso"], "liso"),
        (["--tamanho", "12"], "--tamanho"),
        (["--buffers", "cor"], "unknown buffer cor"),
        (["--vistas", "0"], "at least 1"),
        (["--processos", "-1"], "--processos"),
        (["--cameras", str(tmp_path / "nada.json")], "nada.json"),
        (["--iluminacao", str(tmp_path / "nada.txt")], "cannot open the lighting file"),
        (["--limite-tempo", "0"], "time limit 0 s is out of range"),
    ]:
        feito = rodar(exemplo("cubo.txt"), "--saida", str(tmp_path / "s"), *argumentos)
        assert feito.returncode == 2 and motivo in feito.stderr, (argumentos, feito.stderr)
    # A camera of the file that the library cannot draw from, refused before any model.
    cameras = tmp_path / "cameras.json"
    cameras.write_text('[{"direcao": [0, 0, 1]}, {"olho": [1, 2, 3], "alvo": [1, 2, 3]}]')
    for argumentos, motivo in [
        (["--cameras", str(cameras)], "olhar"),
    ]:
        feito = rodar(exemplo("cubo.txt"), "--saida", str(tmp_path / "s"), *argumentos)
        assert feito.returncode == 2 and motivo in feito.stderr, (argumentos, feito.stderr)
    feito = rodar(str(tmp_path / "nada"), "--saida", str(tmp_path / "s"))
    assert feito.returncode == 2 and "no such file or folder" in feito.stderr
    os.mkdir(tmp_path / "a")
    shutil.copy(exemplo("cubo.txt"), tmp_path / "a" / "cubo.txt")
    feito = rodar(str(tmp_path / "a"), exemplo("cubo.txt"), "--saida", str(tmp_path / "s"))
    assert feito.returncode == 2 and "both be written as cubo.txt" in feito.stderr


def test_as_opcoes_do_visualizador_sao_as_da_tabela():
    # Every field of the table of options is passed on by the runner or set by it, and every
    # option it passes on is the table's, with the same fields.
    tabela = {}
    for opcao, campo, _ in gouraud._gouraud._camposTabela():
        tabela.setdefault(opcao, []).append(campo)
    passadas = {o.nome: list(o.campos) for o in lote.OPCOES}
    for opcao, campos in tabela.items():
        if all(c in lote.SEM_LOTE for c in campos):
            assert opcao not in passadas
        else:
            assert passadas.get(opcao) == campos, opcao
    assert set(passadas) <= set(tabela)
    assert lote.extensoes() == gouraud.extensoes()
    # --help gives each of them with the table's words.
    ajuda = " ".join(rodar("--help").stdout.split())
    for nome, argumento, padrao, texto in gouraud._gouraud._ajudasTabela():
        if nome in passadas:
            assert " ".join(texto.split()) in ajuda, nome
            # "--edl [R,S]": its value may be left out.
            assert (nome + " " + argumento).strip() in ajuda.replace("[", "").replace("]", ""), \
                nome


def test_a_barra_de_progresso():
    class Terminal:
        def __init__(self):
            self.texto = ""

        def isatty(self):
            return True

        def write(self, t):
            self.texto += t

        def flush(self):
            pass

    terminal = Terminal()
    barra = lote.Progresso(4, terminal)
    barra.inicio -= 2.0
    barra.avancar(True)
    assert "1/4 models" in terminal.texto and "/s" in terminal.texto and "left" in terminal.texto
    for _ in range(3):
        barra.avancar(True)
    barra.fim()
    assert terminal.texto.endswith("4/4 models, " + terminal.texto.split("4/4 models, ")[-1])
    assert "done" in terminal.texto.splitlines()[-1]


# --- The cluster -----------------------------------------------------------------------------

@pytest.fixture(scope="module")
def cluster():
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None, silence_logs=50) as local, \
            distributed.Client(local) as cliente:
        yield cliente


def test_o_cluster_da_os_mesmos_bytes(referencia, cluster, tmp_path):
    modelos, feita, _ = referencia
    endereco = cluster.scheduler.address
    assert endereco.startswith("tcp://")
    feito = rodar(modelos, "--saida", str(tmp_path / "c"), "--agendador", endereco, *ARGUMENTOS)
    assert feito.returncode == 1 and "6 of 7 models drawn" in feito.stderr, feito.stderr
    assert conteudo(str(tmp_path / "c")) == conteudo(feita)


def test_um_trabalhador_termina_no_meio(cluster, tmp_path):
    # Enough models that the run is still going when a worker that is drawing is ended.
    pasta = tmp_path / "muitos"
    pasta.mkdir()
    for i in range(24):
        (pasta / ("t%02d.obj" % i)).write_text(tetraedro(1 + i))
    argumentos = [str(pasta), "--vistas", "6", "--tamanho", "160x120", "--aa", "2"]
    um, _ = lote.pedido_da_linha(argumentos + ["--saida", str(tmp_path / "um")])
    lote.executar(um, processos=1)

    pedido, _ = lote.pedido_da_linha(argumentos + ["--saida", str(tmp_path / "c")])
    erros = []

    def correr():
        try:
            lote.executar(pedido, agendador=cluster)
        except Exception as erro:  # reported below
            erros.append(erro)

    fio = threading.Thread(target=correr)
    fio.start()
    morto = None
    limite = time.monotonic() + 60
    while morto is None and fio.is_alive() and time.monotonic() < limite:
        ocupados = [w for w, chaves in cluster.processing().items() if chaves]
        feitos = [m for m in os.listdir(pasta) if
                  os.path.exists(tmp_path / "c" / m / "cameras.json")]
        if ocupados and feitos:
            pid = cluster.run(os.getpid, workers=[ocupados[0]])[ocupados[0]]
            os.kill(pid, signal.SIGKILL)
            morto = pid
        time.sleep(0.005)
    fio.join(120)
    assert morto is not None, "the run ended before a worker could be ended"
    assert not erros and not fio.is_alive()
    assert all(m["estado"] == "feito" for m in linhas(str(tmp_path / "c")))
    assert conteudo(str(tmp_path / "c")) == conteudo(str(tmp_path / "um"))
    # The nanny started another worker in its place.
    cluster.wait_for_workers(2, timeout=30)
