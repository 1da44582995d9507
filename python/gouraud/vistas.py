"""The cameras of a dataset: N directions spread evenly on a sphere, or cameras read from a
JSON file, each made into a pinhole camera (the ``olhar`` keyword of ``Modelo.desenhar``) for a
model's bounding box.

The directions are a Fibonacci sphere in the model's own frame, the frame of the viewer's
views for the up axis ``cima``: *direita* (the ``direita`` view's side), *cima* (the up axis)
and *frente* (the ``frente`` view's side). Point ``i`` of ``n`` is::

    y = 1 - (2 i + 1) / n            # from near the top to near the bottom, even steps
    r = sqrt(1 - y * y)
    a = i * pi * (3 - sqrt(5))       # the golden angle, turning from frente towards direita
    direction = r * sin(a) * direita + y * cima + r * cos(a) * frente

so point 0 stands above the front, and the set is the same on every run and machine. Every
camera looks at the box's centre from the distance at which the box's bounding sphere (radius:
half its diagonal) just fits the narrower of the picture's two fields of view.

Only the parts of a camera that need no model (the directions, the distance per unit radius)
call sine and cosine; they are worked out once, by the process that starts the run, and handed
to the workers as numbers, so a camera placed on another machine is the same to the bit.
"""

from __future__ import annotations

import json
import math
from dataclasses import dataclass
from typing import Any, Optional, Sequence

Terno = tuple[float, float, float]

# The frame (direita, cima, frente) of each up axis, as the viewer's views have it: frente is
# +z, or -y when the up axis is along z; direita is cima x frente.
_EIXOS: dict[str, Terno] = {
    "+x": (1.0, 0.0, 0.0), "-x": (-1.0, 0.0, 0.0),
    "+y": (0.0, 1.0, 0.0), "-y": (0.0, -1.0, 0.0),
    "+z": (0.0, 0.0, 1.0), "-z": (0.0, 0.0, -1.0),
}

# The vertical field of view of --vistas' cameras, in degrees.
CAMPO_PADRAO = 45.0
# A direction this close to the up axis (the sine of the angle between them) takes frente as its
# up on the screen instead, as a camera looking straight along the up axis has no "up".
_QUASE_PARALELO = 1e-6


def _vetorial(a: Terno, b: Terno) -> Terno:
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def _zero_positivo(a: Terno) -> Terno:
    return (a[0] + 0.0, a[1] + 0.0, a[2] + 0.0)


def referencial(cima: str) -> tuple[Terno, Terno, Terno]:
    """The unit axes (direita, cima, frente) of the up axis ``cima`` ("+y", "-z", ...)."""
    if cima not in _EIXOS:
        raise ValueError(f"unknown up axis {cima} (it is +y, -y, +z, -z, +x or -x)")
    a = _EIXOS[cima]
    frente = (0.0, -1.0, 0.0) if cima in ("+z", "-z") else (0.0, 0.0, 1.0)
    return _zero_positivo(_vetorial(a, frente)), a, frente


def _combinar(x: float, d: Terno, y: float, c: Terno, z: float, f: Terno) -> Terno:
    return tuple((x * d[k] + y * c[k]) + z * f[k] for k in range(3))  # type: ignore[return-value]


def fibonacci(n: int, cima: str = "+y") -> list[Terno]:
    """The ``n`` unit directions of the Fibonacci sphere (see the module's text), from the
    box's centre towards the cameras."""
    if n < 1:
        raise ValueError(f"the number of views must be at least 1, not {n}")
    direita, a, frente = referencial(cima)
    angulo = math.pi * (3.0 - math.sqrt(5.0))
    direcoes = []
    for i in range(n):
        y = 1.0 - (2.0 * i + 1.0) / n
        r = math.sqrt(max(0.0, 1.0 - y * y))
        t = i * angulo
        direcoes.append(_combinar(r * math.sin(t), direita, y, a, r * math.cos(t), frente))
    return direcoes


def distancia_por_raio(campo: float, largura: int, altura: int) -> float:
    """How many radii from the centre a camera of vertical field of view ``campo`` degrees
    stands so that a sphere just fits the narrower field of a largura x altura picture."""
    if not (0.0 < campo < 180.0):
        raise ValueError(f"the field of view {campo} is not within (0, 180) degrees")
    meio = math.radians(campo) / 2.0
    if largura < altura:
        meio = math.atan(math.tan(meio) * largura / altura)
    return 1.0 / math.sin(meio)


@dataclass(frozen=True)
class Camera:
    """A camera of the dataset before it meets a model. Either ``direcao`` (a direction from
    the box's centre; the eye goes where the box fits, ``distancia`` radii away) or ``olho``
    and ``alvo`` (a camera in the model's own coordinates, used as it is). ``cima`` is the way
    up on the screen; ``campo`` the vertical field of view in degrees."""

    campo: float
    cima: Terno
    direcao: Optional[Terno] = None
    distancia: float = 0.0
    olho: Optional[Terno] = None
    alvo: Optional[Terno] = None

    def olhar(self, menor: Sequence[float], maior: Sequence[float]) -> dict[str, Any]:
        """The pinhole camera (olho, alvo, cima, campo) for a model whose box goes from
        ``menor`` to ``maior``; only additions, products and a square root."""
        if self.direcao is None:
            return {"olho": self.olho, "alvo": self.alvo, "cima": self.cima, "campo": self.campo}
        centro = tuple((menor[k] + maior[k]) / 2.0 for k in range(3))
        d = [maior[k] - menor[k] for k in range(3)]
        raio = math.sqrt((d[0] * d[0] + d[1] * d[1]) + d[2] * d[2]) / 2.0
        # A box of one point has no size: the camera stands as if its radius were 1, as the
        # viewer's views stand back a unit from it.
        longe = self.distancia * (raio if raio > 0.0 else 1.0)
        olho = tuple(centro[k] + longe * self.direcao[k] for k in range(3))
        return {"olho": olho, "alvo": centro, "cima": self.cima, "campo": self.campo}

    def descrever(self) -> dict[str, Any]:
        """The camera as plain JSON numbers, for the record that says how a model was drawn."""
        return {k: v for k, v in self.__dict__.items() if v is not None}


def _cima_da_direcao(direcao: Terno, cima: str) -> Terno:
    direita, a, frente = referencial(cima)
    cruz = _vetorial(direcao, a)
    seno = math.sqrt((cruz[0] * cruz[0] + cruz[1] * cruz[1]) + cruz[2] * cruz[2])
    if seno >= _QUASE_PARALELO:
        return a
    # Looking straight down the up axis: frente is at the top of the picture from above, as
    # the viewer's topo view has it, and at the bottom from below.
    return tuple(-x + 0.0 for x in frente) if sum(direcao[k] * a[k] for k in range(3)) > 0 \
        else frente  # type: ignore[return-value]


def esfera(n: int, largura: int, altura: int, cima: str = "+y",
           campo: float = CAMPO_PADRAO) -> list[Camera]:
    """``--vistas N``: the Fibonacci sphere's cameras for pictures of largura x altura."""
    fator = distancia_por_raio(campo, largura, altura)
    return [Camera(campo=campo, cima=_cima_da_direcao(d, cima), direcao=d, distancia=fator)
            for d in fibonacci(n, cima)]


def _terno(valor: Any, nome: str, onde: str) -> Terno:
    if (not isinstance(valor, (list, tuple)) or len(valor) != 3 or
            not all(isinstance(x, (int, float)) and not isinstance(x, bool) for x in valor)):
        raise ValueError(f"{onde}: {nome} must be a list of three numbers")
    terno = tuple(float(x) for x in valor)
    if not all(math.isfinite(x) for x in terno):
        raise ValueError(f"{onde}: {nome} must be finite")
    return terno  # type: ignore[return-value]


def ler_cameras(texto: str, largura: int, altura: int, cima: str = "+y",
                origem: str = "cameras") -> list[Camera]:
    """``--cameras FILE.json``: a JSON list of cameras, each an object with either

    * ``"direcao": [x, y, z]`` - a direction from the box's centre, placed as ``--vistas``
      places its cameras (``"distancia"``: that distance times this factor, default 1); or
    * ``"olho": [x, y, z]`` and ``"alvo": [x, y, z]`` - a camera in the model's coordinates;

    and optionally ``"cima": [x, y, z]`` (default: the up axis) and ``"campo"`` (degrees,
    default 45). A ValueError says what is wrong, naming the camera."""
    try:
        dados = json.loads(texto)
    except json.JSONDecodeError as erro:
        raise ValueError(f"{origem} is not JSON: {erro}") from None
    if not isinstance(dados, list) or not dados:
        raise ValueError(f"{origem} must hold a non-empty JSON list of cameras")
    cameras = []
    conhecidas = {"direcao", "distancia", "olho", "alvo", "cima", "campo"}
    for i, item in enumerate(dados):
        onde = f"{origem}: camera {i}"
        if not isinstance(item, dict):
            raise ValueError(f"{onde} is not an object")
        estranhas = sorted(set(item) - conhecidas)
        if estranhas:
            raise ValueError(f"{onde} has unknown keys: {', '.join(estranhas)}")
        campo = item.get("campo", CAMPO_PADRAO)
        if isinstance(campo, bool) or not isinstance(campo, (int, float)) or \
                not (0.0 < campo < 180.0):
            raise ValueError(f"{onde}: campo must be a number over 0 and under 180")
        campo = float(campo)
        if ("direcao" in item) == ("olho" in item):
            raise ValueError(f"{onde} needs either direcao or olho and alvo")
        if "direcao" in item:
            if "alvo" in item:
                raise ValueError(f"{onde}: alvo goes with olho, not with direcao")
            d = _terno(item["direcao"], "direcao", onde)
            comprimento = math.sqrt((d[0] * d[0] + d[1] * d[1]) + d[2] * d[2])
            if comprimento == 0.0:
                raise ValueError(f"{onde}: direcao must not be zero")
            d = tuple(x / comprimento for x in d)
            fator = item.get("distancia", 1.0)
            if isinstance(fator, bool) or not isinstance(fator, (int, float)) or \
                    not (math.isfinite(fator) and fator > 0.0):
                raise ValueError(f"{onde}: distancia must be a number over 0")
            up = (_terno(item["cima"], "cima", onde) if "cima" in item
                  else _cima_da_direcao(d, cima))  # type: ignore[arg-type]
            cameras.append(Camera(campo=campo, cima=up, direcao=d,  # type: ignore[arg-type]
                                  distancia=float(fator) *
                                  distancia_por_raio(campo, largura, altura)))
        else:
            if "alvo" not in item or "distancia" in item:
                raise ValueError(f"{onde}: olho goes with alvo (and no distancia)")
            up = _terno(item["cima"], "cima", onde) if "cima" in item else _EIXOS[cima]
            cameras.append(Camera(campo=campo, cima=up, olho=_terno(item["olho"], "olho", onde),
                                  alvo=_terno(item["alvo"], "alvo", onde)))
    return cameras
