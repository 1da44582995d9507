"""Type hints for the extension gouraud._gouraud (python/modulo.cpp)."""

import os
from typing import Literal, Mapping, Optional, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

Caminho = Union[str, bytes, os.PathLike]
Tres = Sequence[float]
Buffer = Literal["profundidade", "normais", "triangulo", "parte"]

# The id a buffer of triangles or parts holds where nothing is drawn: 0xFFFFFFFF.
NENHUM: int

class Imagem:
    """A picture drawn by Modelo.desenhar; its arrays are read-only views of its memory."""

    @property
    def largura(self) -> int: ...
    @property
    def altura(self) -> int: ...
    @property
    def rgb(self) -> npt.NDArray[np.uint8]:
        """(altura, largura, 3) uint8, rows from the top."""
    @property
    def alfa(self) -> Optional[npt.NDArray[np.uint8]]:
        """(altura, largura) uint8 for a transparent background, else None."""
    @property
    def profundidade(self) -> Optional[npt.NDArray[np.float32]]:
        """(altura, largura) float32 camera-space depth, inf where nothing is drawn."""
    @property
    def normais(self) -> Optional[npt.NDArray[np.float32]]:
        """(altura, largura, 3) float32 unit normals in the model's coordinates."""
    @property
    def triangulo(self) -> Optional[npt.NDArray[np.uint32]]:
        """(altura, largura) uint32 triangle numbers, NENHUM where none."""
    @property
    def parte(self) -> Optional[npt.NDArray[np.uint32]]:
        """(altura, largura) uint32 mesh numbers, NENHUM where none."""
    @property
    def K(self) -> npt.NDArray[np.float64]:
        """(3, 3) intrinsic matrix in pixels, OpenCV's convention."""
    @property
    def mundo_para_camera(self) -> npt.NDArray[np.float64]:
        """(4, 4) from the model's coordinates to the camera's."""
    def gravarPng(self, caminho: Caminho) -> None:
        """Writes an RGB (RGBA with alfa) PNG file; OSError with the reason on failure."""

class Modelo:
    """A scene file, a mesh file or a mesh from arrays, ready to draw."""

    def __init__(
        self,
        posicoes: npt.ArrayLike,
        triangulos: npt.ArrayLike,
        cores: Optional[npt.ArrayLike] = None,
        normais: Optional[npt.ArrayLike] = None,
        uv: Optional[npt.ArrayLike] = None,
        textura: Optional[npt.ArrayLike] = None,
        iluminacao: Caminho = "",
        *,
        threads: int = 0,
    ) -> None: ...
    @staticmethod
    def abrir(
        caminho: Caminho,
        iluminacao: Caminho = "",
        *,
        limiteMemoria: int = 2048,
        limiteTempo: int = 30,
        isolamento: bool = True,
        threads: int = 0,
    ) -> "Modelo": ...
    def desenhar(
        self,
        *,
        vista: Optional[Literal["frente", "direita", "topo", "iso"]] = None,
        cima: Literal["+y", "-y", "+z", "-z", "+x", "-x"] = "+y",
        camera: Union[None, Tuple[Tres, Tres, Tres], Mapping[str, Tres]] = None,
        olhar: Union[None, Tuple[Tres, Tres], Tuple[Tres, Tres, Tres],
                     Tuple[Tres, Tres, Tres, float], Mapping[str, Union[Tres, float]]] = None,
        largura: int = 640,
        altura: int = 480,
        modo: Literal["plano", "gouraud", "phong"] = "gouraud",
        arestas: bool = False,
        normais: bool = False,
        cores: bool = True,
        ponto: int = 3,
        formaPonto: Literal["quadrado", "disco"] = "quadrado",
        bits: Literal[16, 24] = 16,
        aa: int = 1,
        edl: bool = False,
        raioEdl: int = 1,
        forcaEdl: float = 2.0,
        fundo: Union[Tres, str] = (0.0, 0.0, 0.0),
        transparente: bool = False,
        buffers: Union[None, Buffer, Sequence[Buffer]] = None,
    ) -> Imagem: ...
    @property
    def caixa(self) -> Tuple[Tuple[float, float, float], Tuple[float, float, float]]:
        """((x, y, z) least, (x, y, z) greatest): the box of every point, the box views frame."""

def extensoes() -> list[str]:
    """The file extensions Modelo.abrir reads, lower case without the dot, sorted."""
