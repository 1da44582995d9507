"""The module against the viewer: the same bytes for the samples in every mode and for the
options the command line has words for; the keywords against the table of options; bad options
and files raising with the library's reasons."""

import os

import numpy as np
import pytest

import gouraud
from gouraud import _gouraud

from conftest import exemplo, ler_png, visualizador

# (file, the viewer's words): each drawn in the three modes.
AMOSTRAS = [
    ("bunny.ply", ()),
    ("bunny.txt", ()),
    ("toro.txt", ()),
    ("bunny-cores.ply", ("--vista", "iso")),
    ("caixa.gltf", ("--vista", "iso")),
    ("nuvem.ply", ()),
    ("toro-linhas.gltf", ("--vista", "topo")),
]

# (the viewer's words, the module's keywords): options beside the mode.
OPCOES = [
    (("--vista", "direita", "--cima", "+z"), dict(vista="direita", cima="+z")),
    (("--tamanho", "320x200", "--arestas"), dict(largura=320, altura=200, arestas=True)),
    (("--normais", "--sem-cor"), dict(normais=True, cores=False)),
    (("--ponto", "5", "--ponto-forma", "disco"), dict(ponto=5, formaPonto="disco")),
    (("--bits", "24", "--aa", "2"), dict(bits=24, aa=2)),
    (("--edl", "2,5"), dict(edl=True, raioEdl=2, forcaEdl=5.0)),
    (("--fundo", "#3366cc"), dict(fundo="#3366cc")),
    (("--fundo", "0.2,0.4,0.8"), dict(fundo=(0.2, 0.4, 0.8))),
    (("--fundo", "transparente", "--vista", "iso"), dict(transparente=True, vista="iso")),
]


def iguais(tmp_path, imagem, png):
    """The picture is the viewer's PNG: the same file bytes once written, the same pixels."""
    pixels = ler_png(png)
    assert imagem.rgb.shape == (pixels.shape[0], pixels.shape[1], 3)
    assert imagem.rgb.dtype == np.uint8
    assert np.array_equal(imagem.rgb, pixels[..., :3])
    if pixels.shape[2] == 4:
        assert imagem.alfa is not None and np.array_equal(imagem.alfa, pixels[..., 3])
    else:
        assert imagem.alfa is None
    nosso = os.path.join(str(tmp_path), "modulo.png")
    imagem.gravarPng(nosso)
    with open(nosso, "rb") as a, open(png, "rb") as b:
        assert a.read() == b.read()


@pytest.mark.parametrize("arquivo,palavras", AMOSTRAS)
def test_as_amostras_em_cada_modo_sao_as_do_visualizador(tmp_path, arquivo, palavras):
    modelo = gouraud.Modelo.abrir(exemplo(arquivo))
    extra = {"vista": palavras[1]} if palavras else {}
    vistos = set()
    for modo in ("plano", "gouraud", "phong"):
        imagem = modelo.desenhar(modo=modo, **extra)
        iguais(tmp_path, imagem, visualizador(tmp_path, exemplo(arquivo), "--modo", modo,
                                              *palavras))
        vistos.add(imagem.rgb.tobytes())
    # Points and lines are drawn alike in every mode; a mesh is not.
    if arquivo not in ("nuvem.ply", "toro-linhas.gltf"):
        assert len(vistos) == 3


@pytest.mark.parametrize("palavras,chaves", OPCOES, ids=[" ".join(p) for p, _ in OPCOES])
def test_opcoes_sao_as_do_visualizador(tmp_path, palavras, chaves):
    arquivo = exemplo("nuvem.ply" if "ponto" in chaves else "bunny.ply")
    modelo = gouraud.Modelo.abrir(arquivo)
    antes = modelo.desenhar().rgb.copy()
    imagem = modelo.desenhar(**chaves)
    iguais(tmp_path, imagem, visualizador(tmp_path, arquivo, *palavras))
    # The options changed the picture, and the same Modelo draws the default one again after.
    assert imagem.rgb.shape != antes.shape or not np.array_equal(imagem.rgb, antes)
    assert np.array_equal(modelo.desenhar().rgb, antes)


def test_iluminacao_e_abertura(tmp_path):
    luz = exemplo("iluminacao.txt")
    arquivo = exemplo("caixa.gltf")
    modelo = gouraud.Modelo.abrir(arquivo, luz, limiteTempo=20, limiteMemoria=1024)
    iguais(tmp_path, modelo.desenhar(vista="iso"),
           visualizador(tmp_path, arquivo, "--iluminacao", luz, "--vista", "iso",
                        "--limite-tempo", "20"))
    # Read in this process, the same picture; paths may be os.PathLike.
    import pathlib
    sem = gouraud.Modelo.abrir(pathlib.Path(arquivo), pathlib.Path(luz), isolamento=False)
    assert np.array_equal(sem.desenhar(vista="iso").rgb, modelo.desenhar(vista="iso").rgb)


def test_palavras_sao_os_campos_da_tabela():
    """Every campo of the table of options is a keyword of the module and the other way round:
    an option added to the table without the module fails here."""
    tabela = _gouraud._camposTabela()
    desenho = {campo for _, campo, onde in tabela if onde == "desenhar" and campo}
    abertura = {campo for _, campo, onde in tabela if onde == "abrir" and campo}
    assert {"modo", "largura", "altura", "fundo", "transparente"} <= desenho
    assert abertura == {"limiteMemoria", "limiteTempo", "isolamento", "threads"}
    # The hand-placed camera, the pinhole camera and the buffers are keywords even before the
    # command line has words for them.
    assert set(_gouraud._palavrasDesenhar()) == desenho | {"camera", "olhar", "buffers"}
    assert set(_gouraud._palavrasAbrir()) == abertura
    # And each is taken, at its default value.
    padroes = dict(vista=None, cima="+y", camera=None, olhar=None, largura=64, altura=48,
                   modo="gouraud", arestas=False, normais=False, cores=True, ponto=3,
                   formaPonto="quadrado", bits=16, aa=1, edl=False, raioEdl=1, forcaEdl=2.0,
                   fundo=(0, 0, 0), transparente=False, buffers=[])
    assert set(padroes) == set(_gouraud._palavrasDesenhar())
    modelo = gouraud.Modelo.abrir(exemplo("bunny.ply"))
    assert np.array_equal(modelo.desenhar(**padroes).rgb,
                          modelo.desenhar(largura=64, altura=48).rgb)


def test_opcoes_ruins():
    modelo = gouraud.Modelo.abrir(exemplo("bunny.ply"))
    # The command line's refusals for its words, the library's for its values.
    casos = [
        (dict(modo="sombra"), ValueError, "unknown mode sombra"),
        (dict(vista="baixo"), ValueError, "unknown view baixo (--vista takes frente, direita"),
        (dict(cima="y"), ValueError, "unknown up axis y"),
        (dict(formaPonto="estrela"), ValueError, "--ponto-forma takes quadrado or disco"),
        (dict(largura=0), ValueError, "the size 0x480 is out of range"),
        (dict(largura=2 ** 40), ValueError, "largura 1099511627776 is out of range"),
        (dict(ponto=17), ValueError, "the point size 17 is out of range"),
        (dict(bits=8), ValueError, "the colour depth of 8 bits is out of range"),
        (dict(aa=4, largura=2000), ValueError, "aa 4 at 2000x480"),
        (dict(forcaEdl=-1.0), ValueError, "the eye-dome strength is out of range"),
        (dict(fundo=(0, 0, 2)), ValueError, "the background's channels go from 0 to 1"),
        (dict(fundo="#zz0000"), ValueError, "--fundo takes #rrggbb"),
        (dict(vista="iso", camera=((0, 0, 5), (0, 0, -1), (0, 1, 0))), ValueError,
         "a view and a camera were both given"),
        (dict(camera=((0, 0, 5), (0, 0, 0), (0, 1, 0))), ValueError,
         "the camera cannot give a picture"),
        (dict(buffers=["cor"]), ValueError, "unknown buffer cor"),
        (dict(modo=2), TypeError, "modo takes a word"),
        (dict(largura=64.0), TypeError, "largura takes a whole number"),
        (dict(arestas=1), TypeError, "arestas takes True or False"),
        (dict(fundo=(0, 0)), TypeError, "fundo takes three numbers"),
        (dict(camera=((0, 0, float("nan")), (0, 0, -1), (0, 1, 0))), ValueError, "not finite"),
        (dict(sombra=True), TypeError, "unexpected keyword argument 'sombra'"),
    ]
    for chaves, erro, texto in casos:
        with pytest.raises(erro) as excecao:
            modelo.desenhar(**chaves)
        assert texto in str(excecao.value), (chaves, str(excecao.value))
    with pytest.raises(TypeError):
        modelo.desenhar("iso")
    # A refused picture leaves the model as it was.
    assert modelo.desenhar(largura=64, altura=48).rgb.shape == (48, 64, 3)


def test_arquivos_ruins(tmp_path):
    nada = os.path.join(str(tmp_path), "nada.txt")
    with pytest.raises(OSError) as excecao:
        gouraud.Modelo.abrir(nada)
    assert str(excecao.value) == "cannot open the scene " + nada + ": No such file or directory"
    with pytest.raises(OSError) as excecao:
        gouraud.Modelo.abrir(exemplo("toro.txt"), os.path.join(str(tmp_path), "luz.txt"))
    assert "cannot open the lighting file" in str(excecao.value)
    ruim = os.path.join(str(tmp_path), "ruim.ply")
    with open(ruim, "wb") as arquivo:
        arquivo.write(b"ply\nformat binary_little_endian 1.0\nelement vertex 99999999\nend_header\n")
    with pytest.raises(OSError):
        gouraud.Modelo.abrir(ruim)
    with pytest.raises(ValueError) as excecao:
        gouraud.Modelo.abrir(exemplo("caixa.gltf"), limiteTempo=0)
    assert "limite" in str(excecao.value) or "time" in str(excecao.value)
    with pytest.raises(TypeError):
        gouraud.Modelo.abrir(exemplo("caixa.gltf"), tempo=3)


def test_imagem_e_seus_arranjos(tmp_path):
    imagem = gouraud.Modelo.abrir(exemplo("bunny.ply")).desenhar(largura=64, altura=32)
    assert (imagem.largura, imagem.altura) == (64, 32)
    rgb = imagem.rgb
    # A read-only view that keeps the picture alive after the object is gone.
    with pytest.raises(ValueError):
        rgb[0, 0, 0] = 1
    copia = rgb.copy()
    del imagem
    assert np.array_equal(rgb, copia)
    assert copia.any()
    with pytest.raises(OSError) as excecao:
        gouraud.Modelo.abrir(exemplo("bunny.ply")).desenhar().gravarPng(
            os.path.join(str(tmp_path), "nao", "existe.png"))
    assert "cannot write" in str(excecao.value)


def test_ajuda_le_como_o_readme():
    texto = gouraud.__doc__
    assert "Modelo.abrir" in texto and "desenhar" in texto
    for palavra in _gouraud._palavrasDesenhar():
        assert palavra in gouraud.Modelo.desenhar.__doc__, palavra


def test_threads_nao_mudam_a_imagem_e_sao_conferidas(tmp_path):
    """Any thread count draws the same bytes as the viewer's default, from a file or from
    arrays; a count out of range is a ValueError with the table's reason."""
    arquivo = exemplo("bunny.ply")
    padrao = gouraud.Modelo.abrir(arquivo).desenhar(vista="iso", modo="phong")
    for n in (1, 3):
        assert np.array_equal(gouraud.Modelo.abrir(arquivo, threads=n)
                              .desenhar(vista="iso", modo="phong").rgb, padrao.rgb)
    posicoes = np.array([[0, 0, 0], [1, 0, 0], [0, 1, 0]], dtype=np.float64)
    triangulos = np.array([[0, 1, 2]], dtype=np.int32)
    assert np.array_equal(gouraud.Modelo(posicoes, triangulos, threads=1).desenhar().rgb,
                          gouraud.Modelo(posicoes, triangulos).desenhar().rgb)
    for construir in (lambda: gouraud.Modelo.abrir(arquivo, threads=257),
                      lambda: gouraud.Modelo(posicoes, triangulos, threads=-1)):
        with pytest.raises(ValueError, match="thread count"):
            construir()
