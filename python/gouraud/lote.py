"""Datasets: every model of the files and folders given, drawn from the same views, on this
machine's cores or on a Dask cluster.

    python3 -m gouraud.lote ENTRADAS... --saida PASTA [--vistas N | --cameras FILE.json]
        [--buffers profundidade,normais,triangulo,parte | todos] [--processos N]
        [--agendador tcp://HOST:PORT] [the viewer's drawing options: --tamanho, --modo, ...]

For each model it writes, in PASTA/<its name>/ (its path under the folder given, or its file
name), ``000.png``, ``001.png``, ... one picture per camera, the buffers asked for as
``000.profundidade.npy`` and so on (numpy.save), and ``cameras.json``: the model's box, and for
each view its pinhole camera, K and world-to-camera matrix (the OpenCV convention of
``Imagem.K``). ``PASTA/manifesto.jsonl`` has one line per model, in the order the models were
found: ``"estado": "feito"`` with the files written, or ``"falhou"`` with the one-line reason.
A model that fails never stops the others.

Every file is written under a temporary name beside its own and renamed once complete, and
``cameras.json`` last: a model whose ``cameras.json`` exists, was made with the same drawing
arguments and whose files are all there with their sizes is complete, and a second run with the
same arguments skips it; anything else is drawn again. The outputs depend only on the
arguments: the same bytes from one process, from many, or from a cluster.
"""

from __future__ import annotations

import argparse
import concurrent.futures
import json
import multiprocessing
import os
import sys
import time
import uuid
from dataclasses import dataclass, field
from typing import Any, Callable, Iterable, Optional, Sequence

from . import vistas as _vistas

MANIFESTO = "manifesto.jsonl"
CAMERAS = "cameras.json"
BUFFERS = ("profundidade", "normais", "triangulo", "parte")
# A model whose worker process ended while drawing it is tried this many times in all.
TENTATIVAS = 3
_TEMPORARIO = ".tmp-"


# --- The models ----------------------------------------------------------------------------

def extensoes() -> list[str]:
    """The extensions (lower case, no dot) of the files the viewer opens, from the library."""
    from . import _gouraud  # the extension module; imported only where models are read
    return list(_gouraud.extensoes())


@dataclass(frozen=True)
class Entrada:
    """A model found: its path as given or found, and its name, which is its folder under the
    output folder."""
    caminho: str
    nome: str


def encontrar(entradas: Sequence[str], extensoes: Iterable[str]) -> list[Entrada]:
    """The models of `entradas`: a file is taken as it is (named by its file name); a folder is
    walked for files whose extension (in any case) is one of `extensoes`, named by their path
    under the folder and taken in the order of those names (as strings of code points). Two models of one name are refused (ValueError),
    as they would write into one folder; so is an entry that does not exist."""
    aceitas = {e.lower() for e in extensoes}
    modelos: list[Entrada] = []
    for entrada in entradas:
        if os.path.isdir(entrada):
            achados = []
            for raiz, _, arquivos in os.walk(entrada):
                for nome in arquivos:
                    minusculo = nome.lower()
                    if any(minusculo.endswith("." + e) for e in aceitas):
                        caminho = os.path.join(raiz, nome)
                        relativo = os.path.relpath(caminho, entrada).replace(os.sep, "/")
                        achados.append(Entrada(caminho, relativo))
            modelos.extend(sorted(achados, key=lambda m: m.nome))
        elif os.path.isfile(entrada):
            modelos.append(Entrada(entrada, os.path.basename(entrada)))
        else:
            raise ValueError(f"{entrada}: no such file or folder")
    vistos: dict[str, str] = {}
    for m in modelos:
        if m.nome in vistos:
            raise ValueError(f"{vistos[m.nome]} and {m.caminho} would both be written as {m.nome}")
        vistos[m.nome] = m.caminho
    return modelos


# --- The viewer's drawing options as keywords ------------------------------------------------

def _inteiro(texto: str) -> int:
    if not texto.isdigit():
        raise ValueError(texto)
    return int(texto)


def _tamanho(texto: str) -> dict[str, Any]:
    largura, x, altura = texto.partition("x")
    if not x:
        raise ValueError(texto)
    return {"largura": _inteiro(largura), "altura": _inteiro(altura)}


def _edl(texto: str) -> dict[str, Any]:
    if texto == "":
        return {"edl": True}
    raio, _, forca = texto.partition(",")
    kw: dict[str, Any] = {"edl": True, "raioEdl": _inteiro(raio)}
    if forca:
        kw["forcaEdl"] = float(forca)
    return kw


def _fundo(texto: str) -> dict[str, Any]:
    if texto == "transparente":
        return {"transparente": True}
    if len(texto) == 7 and texto[0] == "#":
        return {"fundo": tuple(int(texto[i:i + 2], 16) / 255.0 for i in (1, 3, 5))}
    partes = texto.split(",")
    if len(partes) != 3:
        raise ValueError(texto)
    return {"fundo": tuple(float(p) for p in partes)}


@dataclass(frozen=True)
class OpcaoVisualizador:
    """A drawing option of the viewer that the runner takes and hands to Modelo.desenhar (or,
    for `abrir`, to Modelo.abrir) as keywords, the words of its command line made into them."""
    nome: str
    campos: tuple[str, ...]
    argumento: Optional[str]  # None for a switch
    converter: Callable[[str], dict[str, Any]]
    abrir: bool = False


def _palavra(campo: str) -> Callable[[str], dict[str, Any]]:
    return lambda texto: {campo: texto}


def _numero(campo: str) -> Callable[[str], dict[str, Any]]:
    return lambda texto: {campo: _inteiro(texto)}


def _chave(campo: str, valor: Any) -> Callable[[str], dict[str, Any]]:
    return lambda _texto: {campo: valor}


# The options of the viewer's table that the runner passes on; each of its table's fields is
# one of these, or one of SEM_LOTE (the test of the runner holds the two to the table).
OPCOES = (
    OpcaoVisualizador("--cima", ("cima",), "EIXO", _palavra("cima")),
    OpcaoVisualizador("--tamanho", ("largura", "altura"), "LARGURAxALTURA", _tamanho),
    OpcaoVisualizador("--modo", ("modo",), "MODO", _palavra("modo")),
    OpcaoVisualizador("--arestas", ("arestas",), None, _chave("arestas", True)),
    OpcaoVisualizador("--normais", ("normais",), None, _chave("normais", True)),
    OpcaoVisualizador("--sem-cor", ("cores",), None, _chave("cores", False)),
    OpcaoVisualizador("--ponto", ("ponto",), "N", _numero("ponto")),
    OpcaoVisualizador("--ponto-forma", ("formaPonto",), "FORMA", _palavra("formaPonto")),
    OpcaoVisualizador("--bits", ("bits",), "16|24", _numero("bits")),
    OpcaoVisualizador("--aa", ("aa",), "K", _numero("aa")),
    OpcaoVisualizador("--edl", ("edl", "raioEdl", "forcaEdl"), "R,S", _edl),
    OpcaoVisualizador("--fundo", ("fundo", "transparente"), "COR", _fundo),
    OpcaoVisualizador("--limite-memoria", ("limiteMemoria",), "MiB", _numero("limiteMemoria"),
                      abrir=True),
    OpcaoVisualizador("--limite-tempo", ("limiteTempo",), "S", _numero("limiteTempo"),
                      abrir=True),
    OpcaoVisualizador("--sem-isolamento", ("isolamento",), None, _chave("isolamento", False),
                      abrir=True),
    OpcaoVisualizador("--threads", ("threads",), "N", _numero("threads"), abrir=True),
)
# The fields of the viewer's table the runner sets itself: the camera of each view, the buffers.
SEM_LOTE = ("vista", "camera", "olhar", "buffers")


# --- One model -----------------------------------------------------------------------------

def _temporario(caminho: str) -> str:
    pasta, nome = os.path.split(caminho)
    return os.path.join(pasta, f".{nome}{_TEMPORARIO}{os.getpid()}-{uuid.uuid4().hex[:8]}")


def _gravar(caminho: str, escrever: Callable[[Any], None]) -> int:
    """Writes `caminho` through a temporary file beside it, renamed once complete; its size."""
    temporario = _temporario(caminho)
    try:
        with open(temporario, "wb") as arquivo:
            escrever(arquivo)
        os.replace(temporario, caminho)
    except BaseException:
        try:
            os.unlink(temporario)
        except OSError:
            pass
        raise
    return os.path.getsize(caminho)


def _limpar(pasta: str) -> None:
    """Empties the folder of a model about to be drawn of its files: what a former run wrote
    (its record first, so that a run ended now leaves no record of other files), the temporary
    files of a run that was ended, pictures of views no longer asked for. Its folders, which
    are other models', stay."""
    try:
        os.unlink(os.path.join(pasta, CAMERAS))
    except OSError:
        pass
    try:
        nomes = os.listdir(pasta)
    except OSError:
        return
    for nome in nomes:
        if os.path.isfile(os.path.join(pasta, nome)):
            try:
                os.unlink(os.path.join(pasta, nome))
            except OSError:
                pass


def _uma_linha(erro: BaseException) -> str:
    texto = " ".join(str(erro).split())
    return texto or type(erro).__name__


def _lista(valor: Any) -> Any:
    """A numpy array, tuple or number as plain JSON."""
    if hasattr(valor, "tolist"):
        return valor.tolist()
    if isinstance(valor, (list, tuple)):
        return [_lista(v) for v in valor]
    return valor


def desenhar_modelo(tarefa: dict[str, Any]) -> dict[str, Any]:
    """Draws one model of a run (a task made by `tarefas`): every view's PNG and buffers, then
    its cameras.json, into tarefa["pasta"]. Its line of the manifest: done with the files
    written (names under the output folder, with their sizes), or failed with the reason. Plain
    data in and out, so that it runs in a worker process or on a Dask worker alike."""
    import numpy

    from . import Modelo

    pasta = tarefa["pasta"]
    linha: dict[str, Any] = {"modelo": tarefa["nome"], "caminho": tarefa["caminho"]}
    arquivos: list[list[Any]] = []
    try:
        _limpar(pasta)
        modelo = Modelo.abrir(tarefa["caminho"], tarefa["iluminacao"], **tarefa["abertura"])
        menor, maior = (tuple(float(x) for x in c) for c in modelo.caixa)
        os.makedirs(pasta, exist_ok=True)
        registro_vistas = []
        for i, dados in enumerate(tarefa["cameras"]):
            camera = _vistas.Camera(**dados)
            olhar = camera.olhar(menor, maior)
            imagem = modelo.desenhar(**tarefa["opcoes"], olhar=olhar,
                                     **({"buffers": tarefa["buffers"]} if tarefa["buffers"]
                                        else {}))
            nome_png = f"{i:03d}.png"
            # The library writes the PNG through a temporary file of its own and renames it.
            imagem.gravarPng(os.path.join(pasta, nome_png))
            arquivos.append([nome_png, os.path.getsize(os.path.join(pasta, nome_png))])
            vista: dict[str, Any] = {"imagem": nome_png, "olhar": _lista(olhar),
                                     "K": _lista(imagem.K),
                                     "mundo_para_camera": _lista(imagem.mundo_para_camera)}
            nomes_buffers = {}
            for buffer in tarefa["buffers"]:
                nome_npy = f"{i:03d}.{buffer}.npy"
                valores = getattr(imagem, buffer)
                if valores is None:
                    raise RuntimeError(f"the library gave no {buffer} buffer")
                tamanho = _gravar(os.path.join(pasta, nome_npy),
                                  lambda arquivo: numpy.save(arquivo, valores,
                                                             allow_pickle=False))
                arquivos.append([nome_npy, tamanho])
                nomes_buffers[buffer] = nome_npy
            if nomes_buffers:
                vista["buffers"] = nomes_buffers
            registro_vistas.append(vista)
        registro = {"modelo": tarefa["nome"], "parametros": tarefa["parametros"],
                    "caixa": {"menor": list(menor), "maior": list(maior)},
                    "vistas": registro_vistas, "arquivos": arquivos}
        texto = (json.dumps(registro, indent=1, sort_keys=True) + "\n").encode()
        _gravar(os.path.join(pasta, CAMERAS), lambda arquivo: arquivo.write(texto))
    except Exception as erro:  # the model fails, its line says why, the run goes on
        # What it wrote goes, and its folder when that leaves it empty.
        for nome, _ in arquivos:
            try:
                os.unlink(os.path.join(pasta, nome))
            except OSError:
                pass
        try:
            os.rmdir(pasta)
        except OSError:
            pass
        linha.update(estado="falhou", motivo=_uma_linha(erro))
        return linha
    linha.update(estado="feito", arquivos=_arquivos_da_linha(tarefa["nome"], arquivos))
    return linha


def _arquivos_da_linha(nome: str, arquivos: Sequence[Sequence[Any]]) -> list[str]:
    return [f"{nome}/{a[0]}" for a in arquivos] + [f"{nome}/{CAMERAS}"]


def completo(tarefa: dict[str, Any]) -> Optional[dict[str, Any]]:
    """The manifest's line of a model a former run drew with the same arguments, when every
    file it wrote is there with its size; None when it must be drawn (again)."""
    pasta = tarefa["pasta"]
    try:
        with open(os.path.join(pasta, CAMERAS), "rb") as arquivo:
            registro = json.loads(arquivo.read())
        if registro.get("parametros") != tarefa["parametros"]:
            return None
        arquivos = registro["arquivos"]
        for nome, tamanho in arquivos:
            if os.path.getsize(os.path.join(pasta, nome)) != tamanho:
                return None
    except (OSError, ValueError, KeyError, TypeError):
        return None
    return {"modelo": tarefa["nome"], "caminho": tarefa["caminho"], "estado": "feito",
            "arquivos": _arquivos_da_linha(tarefa["nome"], arquivos)}


# --- A run ---------------------------------------------------------------------------------

@dataclass
class Pedido:
    """What a run draws: the models, and how each is opened and drawn."""
    modelos: list[Entrada]
    saida: str
    cameras: list[_vistas.Camera]
    opcoes: dict[str, Any] = field(default_factory=dict)
    abertura: dict[str, Any] = field(default_factory=dict)
    iluminacao: str = ""
    buffers: tuple[str, ...] = ()


def tarefas(pedido: Pedido) -> list[dict[str, Any]]:
    """The models' tasks, plain data. The parameters recorded with a model (and compared when a
    run resumes) are everything that changes its files."""
    cameras = [c.descrever() for c in pedido.cameras]
    parametros = {"cameras": cameras, "opcoes": _lista(pedido.opcoes),
                  "iluminacao": pedido.iluminacao, "buffers": list(pedido.buffers)}
    # Through JSON once, so that the parameters compare equal to those read back from a file.
    parametros = json.loads(json.dumps(parametros, sort_keys=True))
    return [{"caminho": m.caminho, "nome": m.nome,
             "pasta": os.path.join(pedido.saida, *m.nome.split("/")),
             "cameras": cameras, "opcoes": pedido.opcoes, "abertura": pedido.abertura,
             "iluminacao": pedido.iluminacao, "buffers": list(pedido.buffers),
             "parametros": parametros} for m in pedido.modelos]


class Progresso:
    """The bar on the terminal: models done of the total, the rate and the time left; nothing
    when `saida` is not a terminal."""

    def __init__(self, total: int, saida: Any = None) -> None:
        self.saida = saida if saida is not None else sys.stderr
        self.ativo = hasattr(self.saida, "isatty") and self.saida.isatty()
        self.total = total
        self.feitos = 0
        self.desenhados = 0
        self.inicio = time.monotonic()
        self.ultimo = 0.0

    def avancar(self, desenhado: bool) -> None:
        self.feitos += 1
        self.desenhados += 1 if desenhado else 0
        agora = time.monotonic()
        if self.ativo and (agora - self.ultimo >= 0.1 or self.feitos == self.total):
            self.ultimo = agora
            self.saida.write("\r" + self.texto(agora - self.inicio))
            self.saida.flush()

    def texto(self, passados: float) -> str:
        largura = 30
        cheio = largura * self.feitos // max(self.total, 1)
        taxa = self.desenhados / passados if passados > 0 else 0.0
        faltam = self.total - self.feitos
        resta = f"{_duracao(faltam / taxa)} left" if taxa > 0 and faltam else \
            ("done" if not faltam else "--:-- left")
        return (f"[{'#' * cheio}{'.' * (largura - cheio)}] {self.feitos}/{self.total} models, "
                f"{taxa:.1f}/s, {resta}  ")

    def fim(self) -> None:
        if self.ativo and self.total:
            self.saida.write("\n")
            self.saida.flush()


def _duracao(segundos: float) -> str:
    s = int(segundos + 0.5)
    return f"{s // 3600}:{s // 60 % 60:02d}:{s % 60:02d}" if s >= 3600 else f"{s // 60:02d}:{s % 60:02d}"


# In a worker process: where it notes which task it is drawing (1) and which it finished (2), so
# that a run whose pool broke knows which tasks were being drawn when a worker ended.
_ESTADOS: Any = None


def _iniciar_trabalhador(estados: Any) -> None:
    global _ESTADOS
    _ESTADOS = estados


def _desenhar_anotado(i: int, tarefa: dict[str, Any]) -> dict[str, Any]:
    _ESTADOS[i] = 1
    linha = desenhar_modelo(tarefa)
    _ESTADOS[i] = 2
    return linha


def _local(pendentes: list[dict[str, Any]], processos: int,
           pronto: Callable[[int, dict[str, Any]], None]) -> None:
    """Draws the tasks on `processos` worker processes. A worker that ends breaks the pool: the
    tasks it was drawing lose a try (TENTATIVAS in all, then fail), and a new pool takes every
    task not done."""
    if processos <= 1:
        for i, tarefa in enumerate(pendentes):
            pronto(i, desenhar_modelo(tarefa))
        return
    # Forked from this process, which holds no thread and no model by now (a model's renderer
    # owns its threads), so a worker starts with the module and numpy already imported.
    import numpy  # noqa: F401  (imported once here rather than in every worker)
    contexto = multiprocessing.get_context("fork")
    estados = contexto.Array("b", len(pendentes), lock=False)
    tentativas = [0] * len(pendentes)
    restantes = set(range(len(pendentes)))
    while restantes:
        for i in restantes:
            estados[i] = 0
        with concurrent.futures.ProcessPoolExecutor(
                max_workers=min(processos, len(restantes)), mp_context=contexto,
                initializer=_iniciar_trabalhador, initargs=(estados,)) as pool:
            futuros = {pool.submit(_desenhar_anotado, i, pendentes[i]): i
                       for i in sorted(restantes)}
            for futuro in concurrent.futures.as_completed(futuros):
                i = futuros[futuro]
                try:
                    linha = futuro.result()
                except concurrent.futures.process.BrokenProcessPool:
                    continue
                restantes.discard(i)
                pronto(i, linha)
        for i in sorted(restantes):
            if estados[i] == 1:
                tentativas[i] += 1
                if tentativas[i] >= TENTATIVAS:
                    restantes.discard(i)
                    pronto(i, _falha_do_processo(pendentes[i]))


def _falha_do_processo(tarefa: dict[str, Any]) -> dict[str, Any]:
    return {"modelo": tarefa["nome"], "caminho": tarefa["caminho"], "estado": "falhou",
            "motivo": f"the worker process ended while drawing it, {TENTATIVAS} times"}


def _cluster(pendentes: list[dict[str, Any]], agendador: Any,
             pronto: Callable[[int, dict[str, Any]], None]) -> None:
    """Hands the tasks to a Dask distributed cluster (an address such as tcp://HOST:PORT, or a
    distributed.Client); a worker that ends has its tasks drawn again by the others."""
    import distributed

    cliente = agendador if isinstance(agendador, distributed.Client) else \
        distributed.Client(agendador)
    try:
        futuros = cliente.map(desenhar_modelo, pendentes, pure=False)
        indice = {f.key: i for i, f in enumerate(futuros)}
        for futuro in distributed.as_completed(futuros):
            i = indice[futuro.key]
            try:
                linha = futuro.result()
            except Exception as erro:  # the cluster gave up on it (KilledWorker...)
                linha = {"modelo": pendentes[i]["nome"], "caminho": pendentes[i]["caminho"],
                         "estado": "falhou",
                         "motivo": f"the cluster could not draw it: {_uma_linha(erro)}"}
            pronto(i, linha)
    finally:
        if cliente is not agendador:
            cliente.close()


def executar(pedido: Pedido, processos: int = 0, agendador: Any = None,
             progresso: Any = None) -> list[dict[str, Any]]:
    """Runs `pedido`: skips the models drawn complete by a former run, draws the others on
    `processos` worker processes (0: as many as the cores) or on the Dask cluster `agendador`,
    and writes the manifest. Its lines, in the models' order."""
    os.makedirs(pedido.saida, exist_ok=True)
    todas = tarefas(pedido)
    linhas: list[Optional[dict[str, Any]]] = [completo(t) for t in todas]
    pendentes = [i for i, linha in enumerate(linhas) if linha is None]
    barra = Progresso(len(todas), progresso)
    for linha in linhas:
        if linha is not None:
            barra.avancar(False)

    def pronto(j: int, linha: dict[str, Any]) -> None:
        linhas[pendentes[j]] = linha
        barra.avancar(True)

    trabalho = [todas[i] for i in pendentes]
    try:
        if trabalho and agendador is not None:
            _cluster(trabalho, agendador, pronto)
        elif trabalho:
            quantos = processos or _nucleos()
            # Each worker draws on its share of the cores unless --threads says otherwise:
            # processes that each start a thread per core would contend for them.
            if "threads" not in pedido.abertura and quantos > 1:
                parte = max(1, _nucleos() // quantos)
                trabalho = [dict(t, abertura=dict(t["abertura"], threads=parte))
                            for t in trabalho]
            _local(trabalho, quantos, pronto)
    finally:
        barra.fim()
    prontas = [linha for linha in linhas if linha is not None]
    texto = "".join(json.dumps(linha, sort_keys=True) + "\n" for linha in prontas).encode()
    _gravar(os.path.join(pedido.saida, MANIFESTO), lambda arquivo: arquivo.write(texto))
    return prontas


def _nucleos() -> int:
    try:
        return len(os.sched_getaffinity(0))
    except AttributeError:
        return os.cpu_count() or 1


# --- The command line ----------------------------------------------------------------------

def _analisador() -> argparse.ArgumentParser:
    p = argparse.ArgumentParser(
        prog="python3 -m gouraud.lote",
        description="Draws every model of the files and folders given (folders recursively, "
                    "by the extensions the viewer opens) from the same views into a dataset: "
                    "per model a PNG per view, the buffers asked for as .npy files and "
                    "cameras.json (the box, each view's K and world-to-camera matrix); "
                    "manifesto.jsonl says which models were drawn and why the others failed. "
                    "A second run with the same arguments skips what is complete.")
    p.add_argument("entradas", nargs="+", metavar="ENTRADA", help="a model file or a folder")
    p.add_argument("--saida", required=True, metavar="PASTA", help="the output folder")
    quais = p.add_mutually_exclusive_group()
    quais.add_argument("--vistas", type=int, metavar="N",
                       help="N cameras spread evenly on a sphere around each model (a "
                            "Fibonacci sphere, the same every run), looking at its box's centre "
                            "from where the box fits the picture (default 1)")
    quais.add_argument("--cameras", metavar="ARQUIVO.json",
                       help="the cameras, a JSON list (see docs/python.md)")
    p.add_argument("--campo", type=float, default=_vistas.CAMPO_PADRAO, metavar="GRAUS",
                   help="the vertical field of view of --vistas' cameras (default 45)")
    p.add_argument("--buffers", metavar="LISTA",
                   help="the buffers to write beside each PNG: some of profundidade, normais, "
                        "triangulo, parte, separated by commas, or todos")
    p.add_argument("--processos", type=int, default=0, metavar="N",
                   help="worker processes on this machine (default: one per core)")
    p.add_argument("--agendador", metavar="tcp://HOST:PORT",
                   help="hand the models to the Dask distributed scheduler there instead")
    p.add_argument("--iluminacao", metavar="ARQUIVO", default="",
                   help="the lighting file every model is lit with")
    viewer = p.add_argument_group("the viewer's options, as visualizador takes them")
    # Their words and help are the library's table of options'.
    from . import _gouraud
    tabela = {nome: (argumento, padrao, ajuda)
              for nome, argumento, padrao, ajuda in _gouraud._ajudasTabela()}
    for opcao in OPCOES:
        destino = "opcao_" + opcao.nome[2:].replace("-", "_")
        argumento, padrao, ajuda = tabela.get(opcao.nome, ("", "", ""))
        ajuda = (ajuda + (f" (default {padrao})" if padrao else "")).replace("%", "%%")
        if opcao.argumento is None:
            viewer.add_argument(opcao.nome, dest=destino, action="store_const", const="",
                                help=ajuda)
        elif opcao.nome == "--edl":
            viewer.add_argument(opcao.nome, dest=destino, nargs="?", const="",
                                metavar=argumento or opcao.argumento, help=ajuda)
        else:
            viewer.add_argument(opcao.nome, dest=destino, metavar=argumento or opcao.argumento,
                                help=ajuda)
    return p


def _buffers(texto: Optional[str]) -> tuple[str, ...]:
    if not texto:
        return ()
    if texto == "todos":
        return BUFFERS
    nomes = texto.split(",")
    for nome in nomes:
        if nome not in BUFFERS:
            raise ValueError(f"unknown buffer {nome} (--buffers takes "
                             f"{', '.join(BUFFERS)} or todos)")
    return tuple(b for b in BUFFERS if b in nomes)


def conferir(opcoes: dict[str, Any], abertura: dict[str, Any], iluminacao: str,
             cameras: Sequence[_vistas.Camera]) -> None:
    """Raises the module's ValueError, TypeError or OSError for options it refuses, before any
    model is read: the limits and the lighting file as Modelo.abrir reads them, and the drawing
    options and the cameras by drawing a triangle with them."""
    import tempfile

    from . import Modelo

    with tempfile.TemporaryDirectory(prefix="gouraud-lote-") as pasta:
        caminho = os.path.join(pasta, "triangulo.obj")
        with open(caminho, "w") as arquivo:
            arquivo.write("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n")
        triangulo = Modelo.abrir(caminho, iluminacao, **abertura)
    caixa = ((0.0, 0.0, 0.0), (1.0, 1.0, 0.0))
    triangulo.desenhar(**opcoes, olhar=cameras[0].olhar(*caixa))
    # The other cameras on a picture of one pixel: a camera the library refuses (its eye on its
    # target, its up along its line of sight) is refused here, once, rather than for every model.
    pequenas = dict(opcoes, largura=1, altura=1, aa=1)
    for camera in cameras[1:]:
        triangulo.desenhar(**pequenas, olhar=camera.olhar(*caixa))


def pedido_da_linha(argumentos: Sequence[str]) -> tuple[Pedido, argparse.Namespace]:
    """The run a command line asks for; SystemExit with argparse's message when it is bad."""
    p = _analisador()
    a = p.parse_args(argumentos)
    opcoes: dict[str, Any] = {}
    abertura: dict[str, Any] = {}
    try:
        for opcao in OPCOES:
            valor = getattr(a, "opcao_" + opcao.nome[2:].replace("-", "_"))
            if valor is None:
                continue
            try:
                kw = opcao.converter(valor)
            except ValueError:
                raise ValueError(f"{opcao.nome} does not take {valor}") from None
            (abertura if opcao.abrir else opcoes).update(kw)
        buffers = _buffers(a.buffers)
        largura = opcoes.get("largura", 640)
        altura = opcoes.get("altura", 480)
        cima = opcoes.get("cima", "+y")
        if a.cameras:
            with open(a.cameras, encoding="utf-8") as arquivo:
                cameras = _vistas.ler_cameras(arquivo.read(), largura, altura, cima, a.cameras)
        else:
            cameras = _vistas.esfera(a.vistas if a.vistas is not None else 1, largura, altura,
                                     cima, a.campo)
        if a.processos < 0:
            raise ValueError("--processos takes a number of processes, 0 for one per core")
        conferir(opcoes, abertura, a.iluminacao, cameras)
        modelos = encontrar(a.entradas, extensoes())
    except (ValueError, TypeError, OSError) as erro:
        p.error(_uma_linha(erro))
    pedido = Pedido(modelos=modelos, saida=a.saida, cameras=cameras, opcoes=opcoes,
                    abertura=abertura, iluminacao=a.iluminacao, buffers=buffers)
    return pedido, a


def principal(argumentos: Optional[Sequence[str]] = None) -> int:
    """The command: 0 when every model was drawn, 1 when some failed (their lines say why)."""
    pedido, a = pedido_da_linha(sys.argv[1:] if argumentos is None else argumentos)
    linhas = executar(pedido, processos=a.processos, agendador=a.agendador)
    falhas = [linha for linha in linhas if linha["estado"] != "feito"]
    for linha in falhas:
        print(f"gouraud.lote: {linha['caminho']}: {linha['motivo']}", file=sys.stderr)
    print(f"gouraud.lote: {len(linhas) - len(falhas)} of {len(linhas)} models drawn into "
          f"{pedido.saida}", file=sys.stderr)
    return 1 if falhas else 0


if __name__ == "__main__":
    # The functions handed to worker processes and to Dask are those of the module gouraud.lote,
    # which they import by name, not those of this __main__.
    from gouraud import lote as _lote

    sys.exit(_lote.principal())
