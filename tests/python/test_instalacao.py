"""`cmake --install` puts the package where Debian's python3 looks under the prefix: installed
into a fresh prefix, python3 imports it from there alone, finds the import library's child
program under the prefix, and draws the viewer's picture."""

import os
import subprocess
import sys

import pytest

from conftest import exemplo

BUILD = os.environ.get("GOURAUD_BUILD", "")
CMAKE = os.environ.get("GOURAUD_CMAKE", "cmake")


def test_instalado_num_prefixo(tmp_path):
    if not BUILD:
        pytest.skip("GOURAUD_BUILD does not name the build folder")
    prefixo = tmp_path / "prefixo"
    feito = subprocess.run([CMAKE, "--install", BUILD, "--prefix", str(prefixo)],
                           capture_output=True, text=True, timeout=300)
    assert feito.returncode == 0, feito.stderr
    versao = "python%d.%d" % sys.version_info[:2]
    pacote = prefixo / "lib" / versao / "dist-packages" / "gouraud"
    assert (pacote / "__init__.py").is_file() and (pacote / "_gouraud.pyi").is_file()
    assert any(nome.startswith("_gouraud.") and nome.endswith(".so")
               for nome in os.listdir(pacote))
    # Debian's python3 reads PREFIX/lib/python3.X/dist-packages for /usr/local.
    feito = subprocess.run([sys.executable, "-c", "import sys; print('\\n'.join(sys.path))"],
                           capture_output=True, text=True, check=True)
    if sys.executable.startswith("/usr/bin/"):
        assert "/usr/local/lib/%s/dist-packages" % versao in feito.stdout.split("\n")
    # Nothing from the build or the environment: the child program is found under the prefix.
    ambiente = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"),
                "PYTHONPATH": str(pacote.parent)}
    programa = (
        "import gouraud, sys\n"
        "assert gouraud.__file__.startswith(sys.argv[1]), gouraud.__file__\n"
        "m = gouraud.Modelo.abrir(sys.argv[2])\n"
        "m.desenhar(vista='iso').gravarPng(sys.argv[3])\n")
    saida = tmp_path / "caixa.png"
    feito = subprocess.run([sys.executable, "-c", programa, str(pacote), exemplo("caixa.gltf"),
                            str(saida)], env=ambiente, capture_output=True, text=True,
                           timeout=120, cwd=str(tmp_path))
    assert feito.returncode == 0, feito.stderr
    visualizador = os.environ.get("GOURAUD_VISUALIZADOR")
    if visualizador:
        esperado = tmp_path / "visualizador.png"
        subprocess.run([visualizador, exemplo("caixa.gltf"), "--vista", "iso", "--imagem",
                        str(esperado)], check=True, capture_output=True, timeout=120)
        assert saida.read_bytes() == esperado.read_bytes()
