from ._gouraud import NENHUM as NENHUM, Imagem as Imagem, Modelo as Modelo, extensoes as extensoes

__all__ = ["Modelo", "Imagem", "NENHUM", "extensoes"]
