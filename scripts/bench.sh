#!/usr/bin/env bash
# Reproduces the benchmark table in one command: installs the dependencies, builds Release in
# build/ and runs build/bench/gouraud_bench with every argument passed through, e.g.
#   bash scripts/bench.sh                                   # 1,000,000 points, 2,000,000 triangles
#   bash scripts/bench.sh --pontos 100000 --triangulos 200000 --repeticoes 3
#   bash scripts/bench.sh --benchmark_filter=carga          # Google Benchmark flags work too
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=Release -DGOURAUD_BENCH=ON
exec "$root/build/bench/gouraud_bench" "$@"
