"""gouraud: the renderer as a Python module, numpy in and numpy out.

Open a file once, draw it as often as you like, from any view, with any options::

    import gouraud
    modelo = gouraud.Modelo.abrir("exemplos/bunny.ply")
    imagem = modelo.desenhar(vista="iso", modo="phong", largura=800, altura=600)
    imagem.rgb            # (600, 800, 3) uint8, the PNG's pixels
    imagem.gravarPng("coelho.png")

A mesh from memory is drawn exactly as the same data read from a PLY file::

    modelo = gouraud.Modelo(posicoes, triangulos, cores=cores)

Buffers and the camera of each picture::

    imagem = modelo.desenhar(buffers=["profundidade", "triangulo"])
    imagem.profundidade   # (altura, largura) float32, inf where nothing is drawn
    imagem.triangulo      # (altura, largura) uint32, gouraud.NENHUM where nothing is drawn
    imagem.K, imagem.mundo_para_camera

The keywords of Modelo.desenhar are the fields of the library's options (help(Modelo.desenhar)),
their values the command line's words where it has words ("phong", "iso", "+z"). The pixels are
those of ``visualizador ARQUIVO --imagem`` with the same options, byte for byte, on any machine
and any number of cores.

Errors: Modelo.abrir raises OSError with the viewer's one-line reason for a file that cannot be
drawn; bad arrays and bad option values raise ValueError with the reason, unknown keywords and
values of the wrong type TypeError; drawing a Modelo that another thread is drawing raises
RuntimeError.

Threads: opening and drawing release the GIL, so threads draw different models (or one model
each) in parallel. One Modelo draws one picture at a time.
"""

import os as _os

from . import _gouraud
from ._gouraud import NENHUM, Imagem, Modelo, extensoes

__all__ = ["Modelo", "Imagem", "NENHUM", "extensoes"]


def _procurar_importador():
    """The child program that reads files with the import library, where the build or the
    install put it beside this package; "" leaves the library to look (GOURAUD_IMPORTADOR, the
    prefix the build was configured with)."""
    if _os.environ.get("GOURAUD_IMPORTADOR"):
        return ""
    aqui = _os.path.dirname(_os.path.abspath(__file__))
    candidatos = [
        # BUILD/python/gouraud -> BUILD/gouraud-importador
        _os.path.join(aqui, "..", "..", "gouraud-importador"),
        # PREFIX/lib/python3.X/dist-packages/gouraud -> PREFIX/libexec/gouraud
        _os.path.join(aqui, "..", "..", "..", "..", "libexec", "gouraud", "gouraud-importador"),
    ]
    for candidato in candidatos:
        if _os.access(candidato, _os.X_OK):
            return _os.path.normpath(candidato)
    return ""


_gouraud._definirImportador(_procurar_importador())
