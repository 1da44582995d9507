from ._gouraud import NENHUM as NENHUM, Imagem as Imagem, Modelo as Modelo

__all__ = ["Modelo", "Imagem", "NENHUM"]
