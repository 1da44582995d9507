#!/usr/bin/env bash
# Times the Python module (scripts/bench_python.py) on a mesh file, default the bunny subdivided
# four times as a PLY: pictures from one gouraud.Modelo against the viewer's --medir frame and
# against one run of the viewer per picture, the cost of the four buffers, and Open3D's and
# VTK's offscreen renderers on the same views (each also tried under a private Xvfb).
#   bash scripts/bench_python.sh BUILD MALHA.ply [--imagens N] [--quadros Q] [--sem-pares]
#                                [--markdown FILE]
# --markdown FILE also writes the table into FILE.
set -euo pipefail
uso="usage: bench_python.sh BUILD MALHA.ply [--imagens N] [--quadros Q] [--sem-pares] [--markdown FILE]"
build=$(realpath -- "${1:?$uso}")
malha=$(realpath -- "${2:?$uso}")
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$build/python/gouraud/__init__.py" ] ||
  { echo "bench_python: no Python module in $build/python (GOURAUD_PYTHON, pybind11-dev)" >&2; exit 1; }
export PYTHONPATH=$build/python${PYTHONPATH:+:$PYTHONPATH}
export GOURAUD_IMPORTADOR=$build/gouraud-importador
exec /usr/bin/python3 "$root/scripts/bench_python.py" "$build/visualizador" "$malha" "$@"
